#include "convert/convert.hpp"

#include <gtest/gtest.h>

#include <string>

#include "memory_run.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::PrintTo;

using test_support::memory_run;

// A program through the lines before its body: the preamble copied, the
// mode line planned as the start (G92) or converted as the body's first line
// from the given start X0 Y0 Z0.
struct preamble_case {
    std::string name;
    std::string input;
    std::string written;       // the output file after the run
    std::string console = "";  // the message when the run stops
};

class Preamble : public ::testing::TestWithParam<preamble_case> {};

TEST_P(Preamble, CopiedUpToTheModeLine) {
    const preamble_case& c = GetParam();
    memory_run run(c.input);
    run.start = "X0 Y0 Z0";
    run.integers = "units";
    run.convert();
    EXPECT_EQ(run.written(), c.written);
    EXPECT_EQ(run.console_out.str(), c.console);
}

// The warning, and the line and axis word it names.
std::string warning(const std::string& line_and_axis) {
    return "Warning:in input file the location of G92/G90/G91 maybe wrong!\n" + line_and_axis +
           " before any G90, G91 or G92 line\n";
}
constexpr const char* NO_MODE_LINE = "\nERROR: no G90, G91 or G92 line: nothing to convert\n";

INSTANTIATE_TEST_SUITE_P(
    Programs, Preamble,
    ::testing::Values(
        preamble_case{.name = "plain",
                      .input = "%\nO0001\n(TEST)\nG91 G21\nG00 X1\n",
                      .written = "%\r\nO0001\r\n(TEST)\r\nG90 G21\r\nG00 X1\r\n"},
        preamble_case{.name = "mode line first", .input = "G92 X0\n", .written = "G92 X0\r\n"},
        preamble_case{.name = "comment with mode code stays",
                      .input = "(G90 MODE)\nG90\n",
                      .written = "(G90 MODE)\r\nG90\r\n"},
        preamble_case{.name = "blank before mode code", .input = " G90\n", .written = " G90\r\n"},
        preamble_case{.name = "comment with axis letter",
                      .input = "(MAX X TRAVEL)\nG91\n",
                      .written = "(MAX X TRAVEL)\r\nG90\r\n"},
        preamble_case{.name = "exempt code with axis",
                      .input = "G28 X0 Y0\nG91\n",
                      .written = "G28 X0 Y0\r\nG90\r\n"},
        preamble_case{
            .name = "tool change", .input = "M06 T1\nG91\n", .written = "M06 T1\r\nG90\r\n"},
        preamble_case{.name = "empty lines dropped, blanks kept",
                      .input = "\n\r\n  \nG91\n",
                      .written = "  \r\nG90\r\n"},
        preamble_case{.name = "comment naming system and G90",
                      .input = "(G54 G90)\nG91\n",
                      .written = "(G54 G90)\r\nG90\r\n"},
        preamble_case{.name = "comment before the mode code",
                      .input = "(NOTE) G91 X5\n",
                      .written = "(NOTE) G90 X5\r\n"},
        preamble_case{.name = "semicolon comment with axis words",
                      .input = "; Bounds: X263.41 Y120.3\nG91\n",
                      .written = "; Bounds: X263.41 Y120.3\r\nG90\r\n"},
        preamble_case{.name = "dotted G92 is no mode code",
                      .input = "G92.1\nG90\n",
                      .written = "G92.1\r\nG90\r\n"},
        preamble_case{.name = "other axes do not count",
                      .input = "A90 B0\nG91\n",
                      .written = "A90 B0\r\nG90\r\n"},
        preamble_case{.name = "dwell with X gets the warning",
                      .input = "G04 X1.5\nG91\n",
                      .written = "",
                      .console = warning("line 1: X")},
        preamble_case{
            .name = "system without G90", .input = "(G54)\nG91\n", .written = "(G54)\r\nG90\r\n"},
        preamble_case{.name = "lower-case axis words",
                      .input = "x5 y5\nG91\n",
                      .written = "",
                      .console = warning("line 1: X")},
        preamble_case{.name = "letters without numbers",
                      .input = "%_N_XYZ_MPF\ng91\n",
                      .written = "%_N_XYZ_MPF\r\ng90\r\n"},
        preamble_case{
            .name = "mode line without newline", .input = "%\nG91 X1", .written = "%\r\nG90 X1"},
        preamble_case{.name = "G929 is no G92",
                      .input = "M30G929\n",
                      .written = "M30G929\r\n",
                      .console = NO_MODE_LINE},
        preamble_case{.name = "axis words beside a comment get the warning",
                      .input = "G0 X10 Y10 (START)\nG91\n",
                      .written = "",
                      .console = warning("line 1: X")},
        preamble_case{.name = "axis word before mode line",
                      .input = "%\nG00 X10\nG91\n",
                      .written = "%\r\n",
                      .console = warning("line 2: X")},
        preamble_case{.name = "axis word on the first line",
                      .input = "Z5\n",
                      .written = "",
                      .console = warning("line 1: Z")},
        preamble_case{.name = "empty input", .input = "", .written = "", .console = NO_MODE_LINE},
        preamble_case{.name = "input ends in preamble",
                      .input = "%\nM06 T1\n",
                      .written = "%\r\nM06 T1\r\n",
                      .console = NO_MODE_LINE},
        preamble_case{
            .name = "only empty lines", .input = "\n\n", .written = "", .console = NO_MODE_LINE},
        preamble_case{.name = "last line with system and G90",
                      .input = "(G54 G90)",
                      .written = "(G54 G90)",
                      .console = NO_MODE_LINE}),
    test_support::row_name());

}  // namespace
}  // namespace g91to90
