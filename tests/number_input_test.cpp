#include "convert/number_input.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "memory_run.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::PrintTo;

struct number_text_case {
    std::string name;
    std::string line;
    std::size_t start;
    std::size_t end;  // 0 when there is no number text
    double value;
};

class NumberText : public ::testing::TestWithParam<number_text_case> {};

TEST_P(NumberText, ReadsAWordsNumber) {
    const number_text_case& c = GetParam();
    const test_support::padded_text line(c.line);
    std::string scratch;
    const word_number number = read_word_number(line.line(), c.start, scratch);
    EXPECT_EQ(number.end, c.end);
    EXPECT_EQ(value_of(number), c.value);
}

const std::string LONG_NUMBER = std::string(5000, '1') + ".5";

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberText,
    ::testing::Values(
        number_text_case{.name = "decimal", .line = "X12.5 Y", .start = 1, .end = 5, .value = 12.5},
        number_text_case{
            .name = "point first", .line = "X-.5\n", .start = 1, .end = 4, .value = -0.5},
        number_text_case{.name = "plus", .line = "X+5", .start = 1, .end = 3, .value = 5},
        number_text_case{
            .name = "blank after the letter", .line = "X 5", .start = 1, .end = 3, .value = 5},
        number_text_case{
            .name = "blanks inside", .line = "X1 0 .5 Y", .start = 1, .end = 7, .value = 10.5},
        number_text_case{.name = "sign inside", .line = "X5-3", .start = 1, .end = 4, .value = 5},
        number_text_case{
            .name = "two points", .line = "X1.2.3", .start = 1, .end = 6, .value = 1.2},
        number_text_case{.name = "letter last", .line = "X", .start = 1, .end = 0, .value = 0},
        number_text_case{
            .name = "start past the end", .line = "X5", .start = 7, .end = 0, .value = 0},
        number_text_case{.name = "long",
                         .line = "X" + LONG_NUMBER + "Y",
                         .start = 1,
                         .end = LONG_NUMBER.size() + 1,
                         .value = std::numeric_limits<double>::infinity()},
        number_text_case{.name = "NUL ends it",
                         .line = std::string("X1\0002", 5),
                         .start = 1,
                         .end = 2,
                         .value = 1}),
    test_support::row_name());

TEST(NumberText, CharacterClasses) {
    for (const char c : std::string("+-.0123456789")) {
        EXPECT_TRUE(number_char(c)) << c;
    }
    for (const char c : std::string(" \n\tXeE,\0", 9)) {
        EXPECT_FALSE(number_char(c)) << static_cast<int>(c);
    }
}

struct value_case {
    std::string name;
    std::string text;
    double value;
};

class NumberValue : public ::testing::TestWithParam<value_case> {};

TEST_P(NumberValue, LongestLeadingDecimal) {
    EXPECT_EQ(number_value(GetParam().text), GetParam().value);
}

constexpr double INF = std::numeric_limits<double>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Values, NumberValue,
    ::testing::Values(
        value_case{.name = "empty", .text = "", .value = 0.0},
        value_case{.name = "minus alone", .text = "-", .value = 0.0},
        value_case{.name = "point alone", .text = ".", .value = 0.0},
        value_case{.name = "decimal", .text = "12.5", .value = 12.5},
        value_case{.name = "point first", .text = "-.5", .value = -0.5},
        value_case{.name = "plus", .text = "+5", .value = 5.0},
        value_case{.name = "point last", .text = "5.", .value = 5.0},
        value_case{.name = "second point ends it", .text = "1.2.3", .value = 1.2},
        value_case{.name = "sign inside ends it", .text = "5-3", .value = 5.0},
        value_case{.name = "two minus", .text = "--5", .value = 0.0},
        value_case{.name = "plus minus", .text = "+-5", .value = 0.0},
        value_case{.name = "d exponent", .text = "1d3", .value = 1000.0},
        value_case{.name = "D exponent", .text = "1D3", .value = 1000.0},
        value_case{.name = "e exponent", .text = "1e2", .value = 100.0},
        value_case{.name = "E plus exponent", .text = "1E+2", .value = 100.0},
        value_case{.name = "negative exponent", .text = "25e-1", .value = 2.5},
        value_case{.name = "exponent letter alone", .text = "1e", .value = 1.0},
        value_case{.name = "exponent sign alone", .text = "1e+", .value = 1.0},
        value_case{.name = "exponent then junk", .text = "2.5Dx", .value = 2.5},
        value_case{.name = "hexadecimal", .text = "0x10", .value = 0.0},
        value_case{.name = "inf", .text = "inf", .value = 0.0},
        value_case{.name = "nan", .text = "nan", .value = 0.0},
        value_case{.name = "letters", .text = "abc", .value = 0.0},
        value_case{.name = "tenth", .text = "0.1", .value = 0.1},
        value_case{
            .name = "sixteen digits", .text = "123456789012345.6", .value = 123456789012345.6},
        value_case{
            .name = "many digits", .text = "0.30000000000000004441", .value = 0.30000000000000004},
        value_case{.name = "halfway rounds to even",
                   .text = "9007199254740993",
                   .value = 9007199254740992.0},
        value_case{.name = "huge exponent", .text = "1e999", .value = INF},
        value_case{.name = "huge negative", .text = "-1e999", .value = -INF},
        value_case{.name = "huge digits", .text = "1" + std::string(400, '0'), .value = INF},
        value_case{.name = "tiny exponent", .text = "1e-999", .value = 0.0},
        value_case{.name = "tiny digits", .text = "0." + std::string(400, '0') + "1", .value = 0.0},
        value_case{.name = "endless exponent", .text = "1e99999999999999999999999", .value = INF},
        value_case{.name = "subnormal", .text = "4.9e-324", .value = 4.9e-324},
        value_case{
            .name = "thirty decimals", .text = "0.000000000000000000000000000001", .value = 1e-30}),
    test_support::row_name());

TEST(NumberValue, NegativeZeroKeepsItsSign) {
    EXPECT_TRUE(std::signbit(number_value("-1e-999")));
    EXPECT_TRUE(std::signbit(number_value("-0")));
}

}  // namespace
}  // namespace g91to90
