#include "convert/number_input.hpp"

#include <gtest/gtest.h>

#include <cstdint>
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
    std::int64_t billionths;
    bool malformed = false;
};

class NumberText : public ::testing::TestWithParam<number_text_case> {};

TEST_P(NumberText, ReadsAWordsNumber) {
    const number_text_case& c = GetParam();
    const test_support::padded_text line(c.line);
    std::string scratch;
    const word_number number = read_word_number(line.line(), c.start, scratch);
    EXPECT_EQ(number.end, c.end);
    EXPECT_EQ(exact_of(number).billionths, c.billionths);
    EXPECT_EQ(number.malformed, c.malformed);
}

const std::string LONG_NUMBER = std::string(5000, '1') + ".5";

constexpr std::int64_t B = BILLION;

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberText,
    ::testing::Values(
        number_text_case{.name = "decimal",
                         .line = "X12.5 Y",
                         .start = 1,
                         .end = 5,
                         .billionths = 12 * B + B / 2},
        number_text_case{
            .name = "point first", .line = "X-.5\n", .start = 1, .end = 4, .billionths = -B / 2},
        number_text_case{.name = "plus", .line = "X+5", .start = 1, .end = 3, .billionths = 5 * B},
        number_text_case{.name = "blank after the letter",
                         .line = "X 5",
                         .start = 1,
                         .end = 3,
                         .billionths = 5 * B},
        number_text_case{.name = "blanks inside",
                         .line = "X1 0 .5 Y",
                         .start = 1,
                         .end = 7,
                         .billionths = 10 * B + B / 2},
        number_text_case{.name = "sign inside",
                         .line = "X5-3",
                         .start = 1,
                         .end = 4,
                         .billionths = 5 * B,
                         .malformed = true},
        number_text_case{.name = "two points",
                         .line = "X1.2.3",
                         .start = 1,
                         .end = 6,
                         .billionths = B + B / 5,
                         .malformed = true},
        number_text_case{.name = "sign alone",
                         .line = "X- Y",
                         .start = 1,
                         .end = 2,
                         .billionths = 0,
                         .malformed = true},
        number_text_case{.name = "letter last", .line = "X", .start = 1, .end = 0, .billionths = 0},
        number_text_case{
            .name = "start past the end", .line = "X5", .start = 7, .end = 0, .billionths = 0},
        number_text_case{.name = "long",
                         .line = "X" + LONG_NUMBER + "Y",
                         .start = 1,
                         .end = LONG_NUMBER.size() + 1,
                         .billionths = OUT_OF_RANGE_NUMBER.billionths},
        number_text_case{.name = "nine digits after the point",
                         .line = "X0.123456789",
                         .start = 1,
                         .end = 12,
                         .billionths = 123'456'789},
        number_text_case{.name = "NUL ends it",
                         .line = std::string("X1\0002", 5),
                         .start = 1,
                         .end = 2,
                         .billionths = B}),
    test_support::row_name());

TEST(NumberText, CharacterClasses) {
    for (const char c : std::string("+-.0123456789")) {
        EXPECT_TRUE(number_char(c)) << c;
    }
    for (const char c : std::string(" \n\tXeE,\0", 9)) {
        EXPECT_FALSE(number_char(c)) << static_cast<int>(c);
    }
}

struct token_case {
    std::string name;
    std::string text;
    bool number;
};

class NumberToken : public ::testing::TestWithParam<token_case> {};

TEST_P(NumberToken, IsTheWholeTextANumber) {
    EXPECT_EQ(is_number_token(GetParam().text), GetParam().number);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberToken,
    ::testing::Values(token_case{.name = "empty", .text = "", .number = false},
                      token_case{.name = "minus alone", .text = "-", .number = false},
                      token_case{.name = "point alone", .text = ".", .number = false},
                      token_case{.name = "decimal", .text = "12.5", .number = true},
                      token_case{.name = "point first", .text = "-.5", .number = true},
                      token_case{.name = "plus", .text = "+5", .number = true},
                      token_case{.name = "point last", .text = "5.", .number = true},
                      token_case{.name = "second point", .text = "1.2.3", .number = false},
                      token_case{.name = "sign inside", .text = "5-3", .number = false},
                      token_case{.name = "two minus", .text = "--5", .number = false},
                      token_case{.name = "plus minus", .text = "+-5", .number = false},
                      token_case{.name = "d exponent", .text = "1d3", .number = true},
                      token_case{.name = "D exponent", .text = "1D3", .number = true},
                      token_case{.name = "E plus exponent", .text = "1E+2", .number = true},
                      token_case{.name = "negative exponent", .text = "25e-1", .number = true},
                      token_case{.name = "exponent letter alone", .text = "1e", .number = false},
                      token_case{.name = "exponent sign alone", .text = "1e+", .number = false},
                      token_case{.name = "exponent then junk", .text = "2.5Dx", .number = false},
                      token_case{.name = "hexadecimal", .text = "0x10", .number = false},
                      token_case{.name = "inf", .text = "inf", .number = false},
                      token_case{.name = "letters", .text = "abc", .number = false}),
    test_support::row_name());

}  // namespace
}  // namespace g91to90
