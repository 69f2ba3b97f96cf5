// The library's public surface: every whole-program case through it, each
// option and stop as a value, conversions fed in chunks of any size, and
// conversions in two threads at once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "g91to90/g91to90.hpp"
#include "program_cases.hpp"
#include "rule_cases.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::program_case;

// A row's command-line options as the library takes them, the console's
// answers read from `answers` and its prompts written to `console`.
g91to90::options options_of(const program_case& c, std::istringstream& answers,
                            std::string& console) {
    g91to90::options how;
    how.start = c.start;
    how.decimal_point = c.decimal_point;
    how.integers = c.integers == "units"        ? g91to90::integer_reading::units
                   : c.integers == "increments" ? g91to90::integer_reading::increments
                                                : g91to90::integer_reading::unknown;
    how.expand_calls = c.expand;
    how.extension = ".nc";
    how.find_file = [&c](const std::string& name) -> std::optional<std::string> {
        for (const auto& [file, lines] : c.beside) {
            if (file == name) {
                return g91to90::test_support::lf(lines);
            }
        }
        return std::nullopt;
    };
    if (c.max_lines != 0) {
        how.max_lines = c.max_lines;
    }
    how.ask = [&answers, &console](std::string_view prompt) -> std::optional<std::string> {
        console += prompt;
        std::string token;
        if (!(answers >> token)) {
            return std::nullopt;
        }
        return token;
    };
    return how;
}

class LibraryProgram : public ::testing::TestWithParam<program_case> {};

// Every whole program gives through the library the output, messages and
// status that the program gives.
TEST_P(LibraryProgram, GivesTheProgramsResult) {
    const program_case& c = GetParam();
    std::istringstream answers(c.answers);
    std::string console;
    const g91to90::result done = g91to90::convert(c.input, options_of(c, answers, console));
    EXPECT_EQ(done.output, c.output);
    if (done.stopped) {
        console += done.stopped->message;
    }
    EXPECT_EQ(console, c.console);
    EXPECT_EQ(done.stopped ? done.stopped->status : 0, c.status);
}

INSTANTIATE_TEST_SUITE_P(Programs, LibraryProgram,
                         ::testing::ValuesIn(g91to90::test_support::whole_program_cases()),
                         g91to90::test_support::row_name());
G91TO90_RULE_TABLES(LibraryProgram);

const std::string STARTED = "G92 X0 Y0 Z0\nG91 G1 X1.5 Y2. F100\nX-0.5\n";

// One stop as the library gives it.
struct stop_row {
    std::string name;
    std::string program;
    g91to90::options how;
    g91to90::stop_reason reason;
    std::uint64_t line;
    std::string file;
    std::string message;
    std::string output;  // written before the stop
};

std::vector<stop_row> stop_rows() {
    g91to90::options called;
    called.expand_calls = true;
    called.extension = ".nc";
    called.find_file = [](const std::string& name) -> std::optional<std::string> {
        if (name == "O100.nc") {
            return "O100\nG91 G16 X1\nM99\n";
        }
        return std::nullopt;
    };
    g91to90::options bad_start;
    bad_start.start = "X0 Q5";
    g91to90::options bad_decimals;
    bad_decimals.decimals = 7;
    g91to90::options far_start;
    far_start.start = "X1000000000";
    g91to90::options no_lines;
    no_lines.expand_calls = true;
    no_lines.max_lines = 0;
    return {
        {.name = "a line that cannot be converted",
         .program = STARTED + "G91 G16 X1\n",
         .how = {},
         .reason = g91to90::stop_reason::code_incremental,
         .line = 4,
         .file = "",
         .message = "\nERROR: line 4: G16 cannot be converted in incremental mode\n",
         .output = "G92 X0 Y0 Z0\r\nG90 G1 X1.500 Y2. F100\r\nX1.\r\n"},
        {.name = "a line of a called file",
         .program = "G92 X0 Y0 Z0\nM98 P100\nM30\n",
         .how = called,
         .reason = g91to90::stop_reason::code_incremental,
         .line = 2,
         .file = "O100.nc",
         .message = "\nERROR: O100.nc line 2: G16 cannot be converted in incremental mode\n",
         .output = "G92 X0 Y0 Z0\r\n(CALL O100 1/1)\r\n"},
        {.name = "no mode line",
         .program = "(nothing)\n",
         .how = {},
         .reason = g91to90::stop_reason::no_mode_line,
         .line = 0,
         .file = "",
         .message = "\nERROR: no G90, G91 or G92 line: nothing to convert\n",
         .output = "(nothing)\r\n"},
        {.name = "a start that is not axis words",
         .program = STARTED,
         .how = bad_start,
         .reason = g91to90::stop_reason::bad_start,
         .line = 0,
         .file = "",
         .message = "ERROR: --start takes axis words, as in --start \"X0 Y0 Z50\" (not \"X0 "
                    "Q5\")\n",
         .output = ""},
        {.name = "a start out of range",
         .program = STARTED,
         .how = far_start,
         .reason = g91to90::stop_reason::number_out_of_range,
         .line = 0,
         .file = "",
         .message = "ERROR: number out of range\n",
         .output = ""},
        {.name = "decimals out of range",
         .program = STARTED,
         .how = bad_decimals,
         .reason = g91to90::stop_reason::bad_decimals,
         .line = 0,
         .file = "",
         .message = "ERROR: --decimals takes 3 to 6\n",
         .output = ""},
        {.name = "no lines allowed for calls",
         .program = STARTED,
         .how = no_lines,
         .reason = g91to90::stop_reason::bad_command_line,
         .line = 0,
         .file = "",
         .message = "ERROR: --max-lines takes a number of lines, 1 or more\nTry: g91to90 --help\n",
         .output = ""},
        {.name = "a start asked for where nothing can answer",
         .program = "G91 G1 X1\n",
         .how = {},
         .reason = g91to90::stop_reason::no_start_position,
         .line = 1,
         .file = "",
         .message = "\nERROR: line 1: no start position (give --start or a G92 line)\n",
         .output = ""},
    };
}

class LibraryStop : public ::testing::TestWithParam<stop_row> {};

TEST_P(LibraryStop, IsAValue) {
    const stop_row& row = GetParam();
    const g91to90::result done = g91to90::convert(row.program, row.how);
    ASSERT_TRUE(done.stopped.has_value());
    EXPECT_FALSE(done.converted());
    EXPECT_EQ(done.stopped->reason, row.reason);
    EXPECT_EQ(done.stopped->line, row.line);
    EXPECT_EQ(done.stopped->file, row.file);
    EXPECT_EQ(done.stopped->message, row.message);
    EXPECT_EQ(done.stopped->status, 1);
    EXPECT_EQ(done.output, row.output);
    // The options' own stops are known before any input is read.
    const std::optional<g91to90::stop> refused = g91to90::options_stop(row.how);
    EXPECT_EQ(refused.has_value(),
              row.line == 0 && row.reason != g91to90::stop_reason::no_mode_line);
}

INSTANTIATE_TEST_SUITE_P(Stops, LibraryStop, ::testing::ValuesIn(stop_rows()),
                         g91to90::test_support::row_name());

// A program of every kind of move, long enough to cross many chunks.
std::string long_program() {
    std::string program = "%\nG21 G92 X0 Y0 Z5.\nG91 G0 Z-4.\n";
    for (int i = 0; i < 3000; ++i) {
        program += "G1 X" + std::to_string(i % 7) + ".25 Y-0.5 F100 (STEP " + std::to_string(i) +
                   ")\r\nG2 X2. Y0 I1. J0\n";
    }
    return program + "G90 G0 Z5.\nM30\n%\n";
}

// The output of a program fed in chunks of `size` bytes, taking the output
// after each.
g91to90::result fed_in_chunks(const std::string& program, std::size_t size,
                              const g91to90::options& how) {
    g91to90::converter fed(how);
    std::string output;
    for (std::size_t at = 0; at < program.size(); at += size) {
        fed.feed(std::string_view(program).substr(at, size));
        output += fed.take();
    }
    g91to90::result done = fed.finish();
    done.output = output + done.output;
    return done;
}

class FedConversion : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FedConversion, GivesTheBytesOfOneCall) {
    g91to90::options how;
    how.integers = g91to90::integer_reading::units;
    const std::string program = long_program();
    const g91to90::result whole = g91to90::convert(program, how);
    ASSERT_TRUE(whole.converted());
    const g91to90::result fed = fed_in_chunks(program, GetParam(), how);
    EXPECT_TRUE(fed.converted());
    EXPECT_EQ(fed.output, whole.output);
    // The read and write form, reading at most the same size at once.
    std::size_t next = 0;
    std::string written;
    const g91to90::result streamed = g91to90::convert(
        [&](char* buffer, std::size_t room) -> std::optional<std::size_t> {
            const std::size_t count = std::min({room, GetParam(), program.size() - next});
            std::copy_n(program.data() + next, count, buffer);
            next += count;
            return count;
        },
        [&written](std::string_view bytes) {
            written += bytes;
            return true;
        },
        how);
    EXPECT_TRUE(streamed.converted());
    EXPECT_EQ(written, whole.output);
}

INSTANTIATE_TEST_SUITE_P(Chunks, FedConversion,
                         ::testing::Values(1, 2, 7, 4096, 65536, 65537, 1 << 20));

TEST(FedConversion, StopsMidwayAndReadsNoMore) {
    const std::string program = STARTED + "G91 G16 X1\n" + long_program();
    const g91to90::result fed = fed_in_chunks(program, 5, {});
    ASSERT_FALSE(fed.converted());
    EXPECT_EQ(fed.stopped->reason, g91to90::stop_reason::code_incremental);
    EXPECT_EQ(fed.output, "G92 X0 Y0 Z0\r\nG90 G1 X1.500 Y2. F100\r\nX1.\r\n");
}

TEST(FedConversion, EndsWhenLeftUnfinished) {
    g91to90::options how;
    how.integers = g91to90::integer_reading::units;
    const std::string program = long_program();
    std::string taken;
    {
        g91to90::converter fed(how);
        fed.feed(program.substr(0, program.size() / 2));
        taken = fed.take();  // the output comes in blocks: some of them
    }                        // no finish: the conversion ends with the converter
    EXPECT_FALSE(taken.empty());
    EXPECT_TRUE(g91to90::convert(program, how).output.starts_with(taken));
}

TEST(FedConversion, AFailedReadOrWriteStops) {
    const g91to90::result unread =
        g91to90::convert([](char*, std::size_t) { return std::optional<std::size_t>(); },
                         [](std::string_view) { return true; }, {}, "in.nc");
    ASSERT_FALSE(unread.converted());
    EXPECT_EQ(unread.stopped->message, "\nCan't read in.nc\n");
    std::size_t next = 0;
    const std::string program = long_program();
    const g91to90::result unwritten = g91to90::convert(
        [&](char* buffer, std::size_t room) -> std::optional<std::size_t> {
            const std::size_t count = std::min(room, program.size() - next);
            std::copy_n(program.data() + next, count, buffer);
            next += count;
            return count;
        },
        [](std::string_view) { return false; }, {});
    ASSERT_FALSE(unwritten.converted());
    EXPECT_EQ(unwritten.stopped->reason, g91to90::stop_reason::output_failed);
    EXPECT_EQ(unwritten.stopped->status, 255);
}

TEST(Library, TwoConversionsInTwoThreads) {
    g91to90::options how;
    how.integers = g91to90::integer_reading::units;
    const std::string first = long_program();
    const std::string second = "G92 X1 Y1 Z1\nG91 G0 X1 Y1\n" + first;
    const std::string first_alone = g91to90::convert(first, how).output;
    const std::string second_alone = g91to90::convert(second, how).output;
    std::string first_fed;
    std::string second_fed;
    std::thread one([&] { first_fed = fed_in_chunks(first, 3, how).output; });
    std::thread two([&] { second_fed = fed_in_chunks(second, 5, how).output; });
    one.join();
    two.join();
    EXPECT_EQ(first_fed, first_alone);
    EXPECT_EQ(second_fed, second_alone);
}

TEST(Library, ChecksAndDrawsOnRequest) {
    g91to90::options how;
    how.check_only = true;
    how.toolpath = true;
    how.title = "square";
    const std::string square = "G21 G92 X0 Y0 Z0\nG91 G1 X10. F100\nY10.\nX-10.\nY-10.\nM30\n";
    const g91to90::result done = g91to90::convert(square, how);
    ASSERT_TRUE(done.converted());
    EXPECT_EQ(done.output, "");  // a check writes nothing
    EXPECT_EQ(g91to90::report_text(done.read),
              "  lines 6, moves 4\n  X 0.000 to 10.000 mm\n  Y 0.000 to 10.000 mm\n"
              "  Z 0.000 to 0.000 mm\n  numbers: pointed\n");
    ASSERT_EQ(done.moves.size(), 4U);
    EXPECT_EQ(done.moves[1].from, (std::array<double, 2>{10, 0}));
    EXPECT_EQ(done.moves[1].to, (std::array<double, 2>{10, 10}));
    EXPECT_NE(done.svg.find("<svg"), std::string::npos);
    EXPECT_NE(done.svg.find("square"), std::string::npos);
    // Without a check or a toolpath, nothing is followed.
    const g91to90::result plain = g91to90::convert(square, {});
    EXPECT_EQ(plain.read.lines, 6U);
    EXPECT_EQ(plain.read.moves, 0U);
    EXPECT_TRUE(plain.svg.empty());
}

}  // namespace
}  // namespace g91to90
