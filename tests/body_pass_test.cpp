#include "convert/body_pass.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "memory_run.hpp"
#include "program_cases.hpp"
#include "rule_cases.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::PrintTo;

using test_support::memory_run;
using test_support::padded_text;
using test_support::program_case;

constexpr distance_mode ABS = distance_mode::absolute;
constexpr distance_mode INC = distance_mode::incremental;
using xyz = std::array<double, 3>;
constexpr xyz ORIGIN{0, 0, 0};

// Test positions are whole thousandths: exact in doubles and in billionths.
exact_number exact(double value) {
    return {std::llround(value * 1e9), 3};
}
double units(exact_number value) {
    return static_cast<double>(value.billionths) / 1e9;
}

// One line converted from a known position (every axis known), in a mode.
struct line_case {
    std::string name;
    distance_mode mode_before;
    xyz position_before;
    std::string line;
    std::string written;
    distance_mode mode_after;
    xyz position_after;
};

class ConvertLine : public ::testing::TestWithParam<line_case> {};

const number_format UNITS_FORMAT{.integers = integer_reading::units};

TEST_P(ConvertLine, RewritesOneLine) {
    const line_case& c = GetParam();
    memory_run run("");
    machine_state machine;
    machine.mode = c.mode_before;
    machine.known = ALL_AXES;
    std::transform(c.position_before.begin(), c.position_before.end(), machine.position.begin(),
                   exact);
    // The rows read numbers without a point as millimetres, as the tables do.
    machine.reading = integer_reading::units;
    scanned_line scan;
    const padded_text line(c.line);
    scan_line(line.line(), scan);
    word_targets targets;
    convert_line(line.line(), 1, scan, targets, run.writer, machine, unit_formats(UNITS_FORMAT));
    EXPECT_EQ(run.written(), c.written);
    EXPECT_EQ(machine.mode, c.mode_after);
    EXPECT_EQ(
        (xyz{units(machine.position[0]), units(machine.position[1]), units(machine.position[2])}),
        c.position_after);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ConvertLine,
    ::testing::Values(line_case{.name = "worked example",
                                .mode_before = INC,
                                .position_before = ORIGIN,
                                .line = "N20 G91 G02 X10.5 Y-3 I5.25 J0 F200\n",
                                .written = "N20 G90 G02 X10.500 Y-3 I5.250 J0 F200\r\n",
                                .mode_after = INC,
                                .position_after = xyz{10.5, -3, 0}},
                      line_case{.name = "follow-up line",
                                .mode_before = INC,
                                .position_before = xyz{10.5, -3, 0},
                                .line = "X-0.5\n",
                                .written = "X10.\r\n",
                                .mode_after = INC,
                                .position_after = xyz{10, -3, 0}},
                      line_case{.name = "comment copied",
                                .mode_before = INC,
                                .position_before = ORIGIN,
                                .line = "G01 X1 (PASS X2)\n",
                                .written = "G01 X1 (PASS X2)\r\n",
                                .mode_after = INC,
                                .position_after = xyz{1, 0, 0}},
                      line_case{.name = "unclosed comment",
                                .mode_before = INC,
                                .position_before = ORIGIN,
                                .line = "G01 X1 (NOTE\n",
                                .written = "G01 X1 (NOTE\r\n",
                                .mode_after = INC,
                                .position_after = xyz{1, 0, 0}},
                      line_case{.name = "unclosed comment, no newline",
                                .mode_before = INC,
                                .position_before = ORIGIN,
                                .line = "G01 X1 (NOTE Y5",
                                .written = "G01 X1 (NOTE Y5",
                                .mode_after = INC,
                                .position_after = xyz{1, 0, 0}},
                      line_case{.name = "stray close",
                                .mode_before = ABS,
                                .position_before = ORIGIN,
                                .line = "X1 ) Y2\n",
                                .written = "X1 ) Y2\r\n",
                                .mode_after = ABS,
                                .position_after = xyz{1, 2, 0}},
                      line_case{.name = "nested comment ends at first close",
                                .mode_before = INC,
                                .position_before = xyz{5, 0, 0},
                                .line = "G01 (A (B) X1)\n",
                                .written = "G01 (A (B) X6)\r\n",
                                .mode_after = INC,
                                .position_after = xyz{6, 0, 0}},
                      line_case{.name = "lower case letters",
                                .mode_before = ABS,
                                .position_before = ORIGIN,
                                .line = "g91 g01 x5\n",
                                .written = "g90 g01 x5\r\n",
                                .mode_after = INC,
                                .position_after = xyz{5, 0, 0}},
                      line_case{.name = "plus sign is part of the number",
                                .mode_before = INC,
                                .position_before = xyz{10, 0, 0},
                                .line = "G01 X+5\n",
                                .written = "G01 X15\r\n",
                                .mode_after = INC,
                                .position_after = xyz{15, 0, 0}},
                      line_case{.name = "every G91 changes",
                                .mode_before = ABS,
                                .position_before = ORIGIN,
                                .line = "G91 G91 X1 G91.\n",
                                .written = "G90 G90 X1 G90.\r\n",
                                .mode_after = INC,
                                .position_after = xyz{1, 0, 0}},
                      line_case{.name = "G91.1",
                                .mode_before = ABS,
                                .position_before = ORIGIN,
                                .line = "G02 G91.1 X1 I1\n",
                                .written = "G02 G91.1 X1 I1\r\n",
                                .mode_after = ABS,
                                .position_after = xyz{1, 0, 0}},
                      line_case{.name = "keeps the mode",
                                .mode_before = ABS,
                                .position_before = xyz{3, 3, 3},
                                .line = "X5\n",
                                .written = "X5\r\n",
                                .mode_after = ABS,
                                .position_after = xyz{5, 3, 3}},
                      line_case{.name = "G90 selects absolute",
                                .mode_before = INC,
                                .position_before = xyz{3, 3, 3},
                                .line = "G90 X5 Z-1\n",
                                .written = "G90 X5 Z-1\r\n",
                                .mode_after = ABS,
                                .position_after = xyz{5, 3, -1}},
                      line_case{.name = "G91 inside a comment",
                                .mode_before = ABS,
                                .position_before = xyz{2, 0, 0},
                                .line = "G01 X5 (OLD G91)\n",
                                .written = "G01 X5 (OLD G91)\r\n",
                                .mode_after = ABS,
                                .position_after = xyz{5, 0, 0}},
                      line_case{.name = "letter without number is no word",
                                .mode_before = INC,
                                .position_before = xyz{4, 0, 0},
                                .line = "X Y\n",
                                .written = "X Y\r\n",
                                .mode_after = INC,
                                .position_after = xyz{4, 0, 0}},
                      line_case{.name = "other address letters",
                                .mode_before = ABS,
                                .position_before = ORIGIN,
                                .line = "G91 A10 b-2.5 N7\n",
                                .written = "G90 A10 b-2.500 N7\r\n",
                                .mode_after = INC,
                                .position_after = ORIGIN},
                      line_case{.name = "no newline",
                                .mode_before = INC,
                                .position_before = xyz{1, 1, 1},
                                .line = "G01 Z1",
                                .written = "G01 Z2",
                                .mode_after = INC,
                                .position_after = xyz{1, 1, 2}},
                      line_case{.name = "G92 in incremental mode",
                                .mode_before = INC,
                                .position_before = xyz{7, 0, 0},
                                .line = "G92 X0\n",
                                .written = "G91\r\nG92 X0\r\nG90\r\n",
                                .mode_after = INC,
                                .position_after = xyz{7, 0, 0}},
                      line_case{.name = "arc words keep their value",
                                .mode_before = INC,
                                .position_before = ORIGIN,
                                .line = "G03 X1 I-2.5 J.25 K0 R7.999999\n",
                                .written = "G03 X1 I-2.500 J0.250 K0 R7.999999\r\n",
                                .mode_after = INC,
                                .position_after = xyz{1, 0, 0}},
                      line_case{.name = "words without blanks",
                                .mode_before = INC,
                                .position_before = ORIGIN,
                                .line = "G1X1Y2Z3\n",
                                .written = "G1X1Y2Z3\r\n",
                                .mode_after = INC,
                                .position_after = xyz{1, 2, 3}}),
    test_support::row_name());

TEST(ConvertLine, OverflowingSumStopsBeforeTheLineIsWritten) {
    memory_run run("");
    machine_state machine;
    machine.mode = INC;
    machine.position[0] = exact(999'999'999);
    machine.reading = integer_reading::units;
    const padded_text line("G01 Y1 X1\n");  // a billion
    scanned_line scan;
    scan_line(line.line(), scan);
    word_targets targets;
    try {
        convert_line(line.line(), 1, scan, targets, run.writer, machine,
                     unit_formats(UNITS_FORMAT));
        FAIL() << "a coordinate out of range was written";
    } catch (const conversion_stop& stop) {
        EXPECT_EQ(stop.reason, stop_reason::number_out_of_range);
        EXPECT_EQ(stop.line_number, 1U);
    }
    EXPECT_EQ(run.written(), "");
}

class ConvertProgram : public ::testing::TestWithParam<program_case> {};

// Whole conversions in memory: preamble, start position and body pass.
TEST_P(ConvertProgram, InMemory) {
    const program_case& c = GetParam();
    memory_run run(c.input, c.answers);
    run.start = c.start;
    run.integers = c.integers;
    run.format.decimal_point = c.decimal_point;
    run.expand = c.expand;
    run.max_lines = c.max_lines;
    for (const auto& [name, lines] : c.beside) {
        run.beside[name] = test_support::lf(lines);
    }
    EXPECT_EQ(run.convert(), c.status);
    EXPECT_EQ(run.written(), c.output);
    EXPECT_EQ(run.console_out.str(), c.console);
}

INSTANTIATE_TEST_SUITE_P(Programs, ConvertProgram,
                         ::testing::ValuesIn(test_support::whole_program_cases()),
                         test_support::row_name());
G91TO90_RULE_TABLES(ConvertProgram);

}  // namespace
}  // namespace g91to90
