#include "convert/line_model.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

#include "memory_run.hpp"

namespace g91to90 {
namespace {

using testing::memory_run;

struct read_case {
    std::string input;
    std::vector<std::string> lines;
    // The end-of-file indicator after each line was read.
    std::vector<bool> at_end_after;
};

std::string big_line(std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) {
        text.push_back(static_cast<char>('A' + i % 26));
    }
    return text;
}

TEST(ReadLine, SplitsLinesWithTheLineEndRules) {
    const std::string long_text = big_line(3 * IO_BLOCK_SIZE + 17);
    const std::vector<read_case> cases = {
        {"", {}, {}},
        {"A\nB\n", {"A\n", "B\n"}, {false, false}},
        {"A\nB", {"A\n", "B"}, {false, true}},
        {"\n\n", {"\n", "\n"}, {false, false}},
        {"A\r\nB\r\n", {"A\n", "B\n"}, {false, false}},
        {"\r\n", {"\n"}, {false}},
        {"A\rB\n", {"A\rB\n"}, {false}},
        {"A\r\r\n", {"A\r\n"}, {false}},
        {"A\r", {"A\r"}, {true}},
        {"A\nB\x1a"
         "C\n",
         {"A\n", "B"},
         {false, true}},
        {"A\n\x1a"
         "B\n",
         {"A\n"},
         {false}},
        {"\x1a"
         "A\n",
         {},
         {}},
        {std::string("A\0B\n", 4), {std::string("A\0B\n", 4)}, {false}},
        {long_text + "\r\nX", {long_text + "\n", "X"}, {false, true}},
    };
    for (const read_case& c : cases) {
        memory_run run(c.input);
        std::vector<std::string> lines;
        std::vector<bool> at_end;
        while (read_line(run.context)) {
            lines.emplace_back(run.context.line_buffer);
            at_end.push_back(run.context.input.end_of_file);
        }
        EXPECT_EQ(lines, c.lines) << "input: " << c.input.substr(0, 40);
        EXPECT_EQ(at_end, c.at_end_after) << "input: " << c.input.substr(0, 40);
        EXPECT_TRUE(run.context.input.end_of_file);
    }
}

TEST(ReadLine, CarriageReturnSplitFromItsNewlineByABlockEndIsStillDropped) {
    std::string input(IO_BLOCK_SIZE - 1, 'A');
    input += "\r\nB\n";
    memory_run run(input);
    ASSERT_TRUE(read_line(run.context));
    EXPECT_EQ(run.context.line_buffer, std::string(IO_BLOCK_SIZE - 1, 'A') + "\n");
    ASSERT_TRUE(read_line(run.context));
    EXPECT_EQ(run.context.line_buffer, "B\n");
}

// A source whose every read fails, as a device error would.
struct failing_source : std::streambuf {
    int_type underflow() override { throw std::runtime_error("device error"); }
};

TEST(ReadLine, ReadErrorIsReportedNotTakenForTheEnd) {
    failing_source source;
    std::stringbuf output;
    std::istringstream console_in;
    std::ostringstream console_out;
    conversion_context context = make_context(source, output, console_in, console_out, "p.nc");
    try {
        read_line(context);
        FAIL() << "a read error must not look like the end of the input";
    } catch (const conversion_failure& failure) {
        EXPECT_STREQ(failure.what(), "\nCan't read p.nc\n");
        EXPECT_EQ(failure.status, STATUS_FAILURE);
    }
}

TEST(WriteLine, EveryNewlineGoesOutAsCarriageReturnAndNewline) {
    memory_run run("");
    write_line(run.context, "G01 X1\n");
    write_line(run.context, "\r\n");  // a lone CR kept, then the newline
    write_line(run.context, "M30");
    write_newline(run.context);
    write_bytes(run.context, std::string("A\0B", 3));
    EXPECT_EQ(run.written(), std::string("G01 X1\r\n\r\r\nM30\r\nA\0B", 19));
}

TEST(WriteLine, OutputLargerThanTheBufferArrivesWholeAndInOrder) {
    memory_run run("");
    const std::string huge = big_line(5 * IO_BLOCK_SIZE + 3);
    write_bytes(run.context, "head");
    write_line(run.context, huge + "\n");
    write_bytes(run.context, std::string(IO_BLOCK_SIZE - 1, 'z'));
    write_bytes(run.context, "tail");
    EXPECT_EQ(run.written(), "head" + huge + "\r\n" + std::string(IO_BLOCK_SIZE - 1, 'z') + "tail");
}

// A sink that takes nothing, as a full disk does.
struct full_sink : std::streambuf {
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
    int_type overflow(int_type) override { return traits_type::eof(); }
};

TEST(WriteLine, WriteFailureCarriesTheCloseFailureStatus) {
    std::stringbuf input;
    full_sink sink;
    std::istringstream console_in;
    std::ostringstream console_out;
    conversion_context context = make_context(input, sink, console_in, console_out, "in");
    write_bytes(context, "G90\n");
    try {
        flush_output(context);
        FAIL() << "a failed write must not pass";
    } catch (const conversion_failure& failure) {
        EXPECT_EQ(failure.status, STATUS_CLOSE_FAILED);
    }
    try {
        write_bytes(context, std::string(IO_BLOCK_SIZE * 2, 'x'));
        FAIL() << "a failed direct write must not pass";
    } catch (const conversion_failure& failure) {
        EXPECT_EQ(failure.status, STATUS_CLOSE_FAILED);
    }
}

TEST(CodeSets, PlainCaseSensitiveSubstrings) {
    EXPECT_TRUE(contains_code("G900", "G90"));
    EXPECT_TRUE(contains_code("G591", "G59"));
    EXPECT_TRUE(contains_code("(G91 ONLY)", "G91"));
    EXPECT_FALSE(contains_code("g91", "G91"));
    EXPECT_FALSE(contains_code("G9 1", "G91"));
    EXPECT_TRUE(contains_code(std::string("\0G91", 4), "G91"));
    EXPECT_TRUE(contains_any("(USE G54)", COORDINATE_SYSTEM_CODES));
    EXPECT_TRUE(contains_any("G30 Z0", EXEMPT_CODES));
    EXPECT_FALSE(contains_any("G30 Z0", COORDINATE_SYSTEM_CODES));
    EXPECT_FALSE(contains_any("G52 G29 G60", EXEMPT_CODES));
    EXPECT_TRUE(contains_any("G92X1", MODE_CODES));
    EXPECT_FALSE(contains_any("G93 G9", MODE_CODES));
    // Sets of other shapes are searched code by code.
    constexpr std::array<std::string_view, 3> mixed{"M30", "G9", "T"};
    EXPECT_TRUE(contains_any("N1 M30", mixed));
    EXPECT_TRUE(contains_any("G91", mixed));
    EXPECT_TRUE(contains_any("T1", mixed));
    EXPECT_FALSE(contains_any("M3 G8", mixed));
    EXPECT_FALSE(contains_any("G90", std::span<const std::string_view>()));
    EXPECT_TRUE(contains_char("A(B", '('));
    EXPECT_FALSE(contains_char("x5", 'X'));
    EXPECT_TRUE(begins_with_comment("(G90)"));
    EXPECT_FALSE(begins_with_comment(" (G90)"));
    EXPECT_FALSE(begins_with_comment(""));
}

TEST(NumberText, CollectsDigitsSignsAndPoints) {
    struct number_case {
        std::string line;
        std::size_t start;
        std::string text;
        std::size_t next;
    };
    const std::string long_number = std::string(5000, '1') + ".5";
    const std::vector<number_case> cases = {
        {"X12.5 Y", 1, "12.5", 5},
        {"X-.5\n", 1, "-.5", 4},
        {"X+5", 1, "+5", 3},
        {"X 5", 1, "", 1},
        {"X5-3", 1, "5-3", 4},
        {"X1.2.3", 1, "1.2.3", 6},
        {"X", 1, "", 1},
        {"X5", 7, "", 2},
        {"X" + long_number + "Y", 1, long_number, long_number.size() + 1},
        {std::string("X1\0002", 5), 1, "1", 2},
    };
    for (const number_case& c : cases) {
        std::string_view text;
        EXPECT_EQ(read_number_text(c.line, c.start, text), c.next) << c.line.substr(0, 20);
        EXPECT_EQ(text, c.text) << c.line.substr(0, 20);
    }
    for (const char c : std::string("+-.0123456789")) {
        EXPECT_TRUE(number_char(c)) << c;
    }
    for (const char c : std::string(" \n\tXeE,\0", 9)) {
        EXPECT_FALSE(number_char(c)) << static_cast<int>(c);
    }
}

TEST(NumberValue, LongestLeadingDecimal) {
    const double inf = std::numeric_limits<double>::infinity();
    struct value_case {
        std::string text;
        double value;
    };
    const std::vector<value_case> cases = {
        {"", 0.0},
        {"-", 0.0},
        {".", 0.0},
        {"12.5", 12.5},
        {"-.5", -0.5},
        {"+5", 5.0},
        {"5.", 5.0},
        {"1.2.3", 1.2},
        {"5-3", 5.0},
        {"--5", 0.0},
        {"+-5", 0.0},
        {"1d3", 1000.0},
        {"1D3", 1000.0},
        {"1e2", 100.0},
        {"1E+2", 100.0},
        {"25e-1", 2.5},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"2.5Dx", 2.5},
        {"0x10", 0.0},
        {"inf", 0.0},
        {"nan", 0.0},
        {"abc", 0.0},
        {"0.1", 0.1},
        {"123456789012345.6", 123456789012345.6},
        {"0.30000000000000004441", 0.30000000000000004},
        {"9007199254740993", 9007199254740992.0},
        {"1e999", inf},
        {"-1e999", -inf},
        {"1" + std::string(400, '0'), inf},
        {"1e-999", 0.0},
        {"0." + std::string(400, '0') + "1", 0.0},
        {"1e99999999999999999999999", inf},
        {"4.9e-324", 4.9e-324},
        {"0.000000000000000000000000000001", 1e-30},
    };
    for (const value_case& c : cases) {
        EXPECT_EQ(number_value(c.text), c.value) << c.text.substr(0, 40);
    }
    EXPECT_TRUE(std::signbit(number_value("-1e-999")));
    EXPECT_TRUE(std::signbit(number_value("-0")));
}

}  // namespace
}  // namespace g91to90
