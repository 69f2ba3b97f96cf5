#include "convert/number_output.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <string>

#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::PrintTo;

std::string word(exact_number value, int fewest, bool point = false) {
    std::array<char, WORD_CAPACITY> text{};
    return {text.data(), write_number_word(text.data(), 'X', value, fewest, point)};
}

std::string plain_word(exact_number value, int fewest, bool point = false) {
    std::array<char, WORD_CAPACITY> text{};
    return {text.data(), write_number_word_plainly(text.data(), 'X', value, fewest, point)};
}

// A value read from its text, or a sum of such values: its places are those
// of the texts.
exact_number sum(std::initializer_list<const char*> texts) {
    exact_number total{};
    for (const char* text : texts) {
        total = total + exact_value(text);
    }
    return total;
}

struct word_case {
    std::string name;
    exact_number value;
    int fewest;  // the format's places
    bool point;  // the input word had a point, or --decimal-point
    std::string written;
};

class WriteNumberWord : public ::testing::TestWithParam<word_case> {};

TEST_P(WriteNumberWord, FollowsThePlacesAndPointRules) {
    const word_case& c = GetParam();
    EXPECT_EQ(word(c.value, c.fewest, c.point), c.written);
    EXPECT_EQ(plain_word(c.value, c.fewest, c.point), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WriteNumberWord,
    ::testing::Values(
        word_case{"whole", sum({"10"}), 3, false, "X10"},
        word_case{"whole with a point", sum({"10."}), 3, true, "X10."},
        word_case{"three places padded", sum({"2.5", "5."}), 3, true, "X7.500"},
        word_case{"input places kept", sum({"1.0625"}), 3, false, "X1.0625"},
        word_case{"sum at the input places", sum({".03125", ".0001"}), 3, false, "X0.03135"},
        word_case{"trailing zeros of the sum dropped", sum({"1.0625", "0.0625"}), 3, false,
                  "X1.125"},
        word_case{"whole sum of places", sum({"0.25", "0.75"}), 3, false, "X1"},
        word_case{"inch places", sum({".5"}), 4, false, "X0.5000"},
        word_case{"inch places forced to three", sum({"1.0625"}), 3, false, "X1.0625"},
        word_case{"six places at most", sum({"0.12345678"}), 3, false, "X0.123457"},
        word_case{"zeros left by the rounding dropped", sum({"0.1000004"}), 3, false, "X0.100"},
        word_case{"a sum that needs six places", sum({"1.5", "0.000015"}), 4, false, "X1.500015"},
        word_case{"a half rounds up", sum({"-0.0000005"}), 3, false, "X-0.000001"},
        word_case{"just below a half past the ninth place", sum({"27.999018499999"}), 3, false,
                  "X27.999018"},
        word_case{"no negative zero", sum({"-0.0000004"}), 3, false, "X0"},
        word_case{"no negative zero with a point", sum({"-0.0000004"}), 3, true, "X0."},
        word_case{"zero with places", sum({"0.000"}), 3, false, "X0"},
        word_case{"six fewest places", sum({"-12.5"}), 6, false, "X-12.500000"},
        word_case{"no places", sum({"7.4"}), 0, false, "X7.4"},
        word_case{"eight digits and more", sum({"123456.789"}), 3, false, "X123456.789"},
        word_case{"largest", sum({"-999999999.999999"}), 3, false, "X-999999999.999999"},
        word_case{"rounds into a ninth digit", sum({"99999999.9999996"}), 3, false, "X100000000"},
        word_case{"carry into a whole unit", sum({"2.9999996"}), 3, true, "X3."}),
    test_support::row_name());

// The fast path must give the plain path's digits at every place count.
TEST(WriteNumberWord, FastPathAgreesWithThePlainPath) {
    std::mt19937_64 random(18);
    std::uniform_int_distribution<std::int64_t> any(-EXACT_LIMIT + 1, EXACT_LIMIT - 1);
    std::uniform_int_distribution<std::int64_t> small(-200'000'000'000, 200'000'000'000);
    std::uniform_int_distribution<int> places(0, EXACT_PLACES);
    std::uniform_int_distribution<int> fewest(0, MOST_WRITTEN_PLACES);
    for (int i = 0; i < 200000; ++i) {
        // Near a half of some place: the rounding boundaries.
        const std::int64_t half = small(random) / 1000 * 1000 + 500;
        for (const std::int64_t billionths : {any(random), small(random), half, half - 1}) {
            const exact_number value{billionths, static_cast<std::uint8_t>(places(random))};
            const int format = fewest(random);
            for (const bool point : {false, true}) {
                ASSERT_EQ(word(value, format, point), plain_word(value, format, point))
                    << billionths << " with " << int{value.places} << " places, " << format;
            }
        }
    }
}

struct exact_case {
    std::string name;
    std::string text;
    std::int64_t billionths;
    int places;
};

class ExactValue : public ::testing::TestWithParam<exact_case> {};

TEST_P(ExactValue, ReadsTheDigitsExactly) {
    const exact_number value = exact_value(GetParam().text);
    EXPECT_EQ(value.billionths, GetParam().billionths);
    if (value.in_range()) {
        EXPECT_EQ(int{value.places}, GetParam().places);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ExactValue,
    ::testing::Values(exact_case{"decimal", "1.0625", 1'062'500'000, 4},
                      exact_case{"negative", "-.5", -500'000'000, 1},
                      exact_case{"point only after", "+10.", 10 * BILLION, 0},
                      exact_case{"exponent", "1.5e3", 1500 * BILLION, 0},
                      exact_case{"fortran exponent", "25D-3", 25'000'000, 3},
                      exact_case{"ninth place", "0.000000001", 1, 9},
                      exact_case{"past the ninth place rounds to odd", "0.0000000005", 1, 9},
                      exact_case{"odd already", "-0.00000000149", -1, 9},
                      exact_case{"just below a half of the sixth place", "0.0000004999", 499, 9},
                      exact_case{"leading zeros", "0000000000000000000000012.5", 12'500'000'000, 1},
                      exact_case{"tiny rounds to odd", "1e-999999", 1, 9},
                      exact_case{"largest", "999999999.999999999", EXACT_LIMIT - 1, 9},
                      exact_case{"odd below the limit", "999999999.9999999995", EXACT_LIMIT - 1, 9},
                      exact_case{"a billion", "1e9", OUT_OF_RANGE, 0},
                      exact_case{"huge", "1e999999", OUT_OF_RANGE, 0}),
    test_support::row_name());

TEST(ExactNumber, SumsOutOfRangeStayOutOfRange) {
    const exact_number most{EXACT_LIMIT - 1, 0};
    EXPECT_FALSE((most + exact_value("0.000000001")).in_range());
    EXPECT_FALSE((OUT_OF_RANGE_NUMBER + exact_value("-1")).in_range());
    EXPECT_EQ((most + exact_value("-1")).billionths, EXACT_LIMIT - 1 - BILLION);
}

TEST(ExactNumber, UnitSwitchesConvertExactlyWhereTheyCan) {
    EXPECT_EQ(inches_to_millimetres(exact_value("1.0625")), (exact_number{26'987'500'000, 5}));
    EXPECT_EQ(inches_to_millimetres(exact_value("0.0001")), (exact_number{2'540'000, 5}));
    EXPECT_EQ(millimetres_to_inches(exact_value("25.4")), (exact_number{BILLION, 1}));
    // 10 / 25.4 = 0.39370078740..., rounded at the ninth place.
    EXPECT_EQ(millimetres_to_inches(exact_value("-10")), (exact_number{-393'700'787, 0}));
    EXPECT_FALSE(inches_to_millimetres(exact_value("40000000")).in_range());
}

}  // namespace
}  // namespace g91to90
