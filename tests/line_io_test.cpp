#include "convert/line_io.hpp"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "memory_run.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::PrintTo;

using test_support::memory_run;

std::string big_line(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(static_cast<char>('A' + i % 26));
    }
    return text;
}

struct read_case {
    std::string name;
    std::string input;
    std::vector<std::string> lines;
    std::uint64_t stop_line = 0;  // the line a Ctrl-Z inside the program stops at
};

class ReadLine : public ::testing::TestWithParam<read_case> {};

TEST_P(ReadLine, SplitsLinesWithTheLineEndRules) {
    const read_case& c = GetParam();
    for (const std::size_t block : {IO_BLOCK_SIZE, std::size_t{3}}) {
        memory_run run(c.input, "", block);
        std::vector<std::string> lines;
        padded_line line;
        std::uint64_t stop_line = 0;
        try {
            while (run.reader.next(line)) {
                lines.emplace_back(line.text());
                EXPECT_EQ(run.reader.line_number(), lines.size());
                // The padding is readable, and zero after a line without newline.
                const std::string_view padding(line.data() + line.size(), LINE_PADDING);
                EXPECT_TRUE(line.newline() || padding == std::string(LINE_PADDING, '\0'))
                    << "line " << lines.size() << ", block size " << block;
            }
        } catch (const conversion_stop& stop) {
            EXPECT_EQ(stop.reason, stop_reason::ctrl_z_inside);
            stop_line = stop.line_number;
        }
        EXPECT_EQ(lines, c.lines) << "block size " << block;
        EXPECT_EQ(stop_line, c.stop_line) << "block size " << block;
    }
}

const std::string LONG_TEXT = big_line(3 * IO_BLOCK_SIZE + 17);

INSTANTIATE_TEST_SUITE_P(
    Lines, ReadLine,
    ::testing::Values(
        read_case{.name = "empty", .input = "", .lines = {}},
        read_case{.name = "newlines", .input = "A\nB\n", .lines = {"A\n", "B\n"}},
        read_case{.name = "last without newline", .input = "A\nB", .lines = {"A\n", "B"}},
        read_case{.name = "empty lines", .input = "\n\n", .lines = {"\n", "\n"}},
        read_case{.name = "CR LF", .input = "A\r\nB\r\n", .lines = {"A\n", "B\n"}},
        read_case{.name = "CR LF alone", .input = "\r\n", .lines = {"\n"}},
        read_case{.name = "lone CR ends a line", .input = "A\rB\n", .lines = {"A\n", "B\n"}},
        read_case{.name = "CR before CR LF", .input = "A\r\r\n", .lines = {"A\n", "\n"}},
        read_case{.name = "CR last", .input = "A\r", .lines = {"A\n"}},
        read_case{.name = "CR lines", .input = "A\rB\rC", .lines = {"A\n", "B\n", "C"}},
        read_case{.name = "CR alone in the last block", .input = "ABC\r", .lines = {"ABC\n"}},
        read_case{.name = "Ctrl-Z mid line",
                  .input = "A\nB\x1a"
                           "C\n",
                  .lines = {"A\n"},
                  .stop_line = 2},
        read_case{.name = "Ctrl-Z before more lines",
                  .input = "A\n\x1a"
                           "B\n",
                  .lines = {"A\n"},
                  .stop_line = 2},
        read_case{.name = "Ctrl-Z first",
                  .input = "\x1a"
                           "A\n",
                  .lines = {},
                  .stop_line = 1},
        read_case{.name = "Ctrl-Z at the end of the file",
                  .input = "A\nB\x1a\r\n\x1a\x1a",
                  .lines = {"A\n", "B"}},
        read_case{.name = "NUL is text",
                  .input = std::string("A\0B\n", 4),
                  .lines = {std::string("A\0B\n", 4)}},
        read_case{.name = "LF lines longer than a small block",
                  .input = "ABCDE\nFGHIJ\n",
                  .lines = {"ABCDE\n", "FGHIJ\n"}},
        read_case{.name = "line longer than blocks",
                  .input = LONG_TEXT + "\r\nX",
                  .lines = {LONG_TEXT + "\n", "X"}},
        read_case{.name = "CR split from its newline by a block end",
                  .input = std::string(IO_BLOCK_SIZE - 1, 'A') + "\r\nB\n",
                  .lines = {std::string(IO_BLOCK_SIZE - 1, 'A') + "\n", "B\n"}}),
    test_support::row_name());

// A source whose every read fails, as a device error would.
struct failing_source : std::streambuf {
    int_type underflow() override { throw std::runtime_error("device error"); }
};

TEST(ReadError, IsReportedNotTakenForTheEnd) {
    failing_source source;
    line_reader reader(source, "p.nc");
    padded_line line;
    try {
        reader.next(line);
        FAIL() << "a read error must not look like the end of the input";
    } catch (const conversion_stop& stop) {
        EXPECT_EQ(stop.reason, stop_reason::input_not_read);
        EXPECT_EQ(stop.detail, "p.nc");
    }
}

TEST(WriteLine, EveryNewlineGoesOutAsCarriageReturnAndNewline) {
    memory_run run("");
    run.writer.write_line("G01 X1\n");
    run.writer.write_line("\r\n");  // a lone CR kept, then the newline
    run.writer.write_line("M30");
    run.writer.newline();
    run.writer.write(std::string("A\0B", 3));
    EXPECT_EQ(run.written(), std::string("G01 X1\r\n\r\r\nM30\r\nA\0B", 19));
}

TEST(WriteLine, OutputLargerThanTheBufferArrivesWholeAndInOrder) {
    memory_run run("");
    const std::string huge = big_line(5 * IO_BLOCK_SIZE + 3);
    run.writer.write("head");
    run.writer.write_line(huge + "\n");
    run.writer.write(std::string(IO_BLOCK_SIZE - 1, 'z'));
    run.writer.write("tail");
    EXPECT_EQ(run.written(), "head" + huge + "\r\n" + std::string(IO_BLOCK_SIZE - 1, 'z') + "tail");
}

// A sink that takes nothing, as a full disk does.
struct full_sink : std::streambuf {
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
    int_type overflow(int_type) override { return traits_type::eof(); }
};

TEST(WriteLine, WriteFailureStopsTheRun) {
    full_sink sink;
    line_writer writer(sink);
    writer.write("G90\n");
    try {
        writer.flush();
        FAIL() << "a failed write must not pass";
    } catch (const conversion_stop& stop) {
        EXPECT_EQ(stop.reason, stop_reason::output_failed);
    }
    try {
        writer.write(std::string(IO_BLOCK_SIZE * 2, 'x'));
        FAIL() << "a failed direct write must not pass";
    } catch (const conversion_stop& stop) {
        EXPECT_EQ(stop.reason, stop_reason::output_failed);
    }
}

}  // namespace
}  // namespace g91to90
