#include "convert/body_pass.hpp"

#include <gtest/gtest.h>

#include <string>

#include "memory_run.hpp"
#include "program_cases.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::PrintTo;

using test_support::memory_run;
using test_support::program_case;

struct class_case {
    std::string name;
    std::string line;
    line_class expected;
};

class ClassifyLine : public ::testing::TestWithParam<class_case> {};

TEST_P(ClassifyLine, MotionOrPass) {
    EXPECT_EQ(classify_line(GetParam().line), GetParam().expected);
}

constexpr line_class MOTION = line_class::motion;
constexpr line_class PASS = line_class::pass;

INSTANTIATE_TEST_SUITE_P(
    Lines, ClassifyLine,
    ::testing::Values(
        class_case{.name = "move", .line = "G01 X1\n", .expected = MOTION},
        class_case{.name = "G91 alone", .line = "G91\n", .expected = MOTION},
        class_case{.name = "G90 dotted", .line = "G90.1\n", .expected = MOTION},
        class_case{.name = "no newline", .line = "Z5", .expected = MOTION},
        class_case{.name = "G92", .line = "G92 X0 Y0\n", .expected = MOTION},
        class_case{.name = "blank then comment", .line = " (X1)\n", .expected = MOTION},
        class_case{.name = "program end", .line = "M30\n", .expected = PASS},
        class_case{.name = "lower case", .line = "x5 y5\n", .expected = PASS},
        class_case{.name = "empty", .line = "\n", .expected = PASS},
        class_case{.name = "comment first", .line = "(X1)\n", .expected = PASS},
        class_case{.name = "G28", .line = "G28 X0 Y0\n", .expected = PASS},
        class_case{.name = "G30 G91", .line = "G30 G91 Z0\n", .expected = PASS},
        class_case{.name = "G54 G91", .line = "G54 G91 X1\n", .expected = PASS},
        class_case{.name = "system in comment", .line = "G01 X1 (G59)\n", .expected = PASS},
        class_case{.name = "G530", .line = "G1 G530 X1\n", .expected = PASS},
        class_case{.name = "cycle cancel", .line = "N10 G80\n", .expected = PASS}),
    test_support::row_name());

class ConvertProgram : public ::testing::TestWithParam<program_case> {};

// Whole conversions in memory: preamble, start position and body pass.
TEST_P(ConvertProgram, InMemory) {
    const program_case& c = GetParam();
    memory_run run(c.input, c.answers);
    EXPECT_EQ(run.convert(), c.status);
    EXPECT_EQ(run.written(), c.output);
    EXPECT_EQ(run.console_out.str(), c.console);
}

INSTANTIATE_TEST_SUITE_P(Programs, ConvertProgram,
                         ::testing::ValuesIn(test_support::whole_program_cases()),
                         test_support::row_name());

}  // namespace
}  // namespace g91to90
