#include "convert/number_output.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "memory_run.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::PrintTo;

using test_support::memory_run;

std::string axis_word(double value, const number_format& format = {}) {
    memory_run run("");
    format_axis_word(run.writer, 'X', value, format);
    return run.written();
}

std::string arc_word(double value, const number_format& format = {}) {
    memory_run run("");
    format_arc_word(run.writer, 'R', value, format);
    return run.written();
}

struct word_case {
    std::string name;  // the value as written in the table
    double value;
    std::string written;
};

// A row named after its value: "-7.99999" is the test minus_7_99999.
#define WORD(value, written)                                                       \
    word_case {                                                                    \
        (std::string(#value)[0] == '-' ? "minus " #value : #value), value, written \
    }

class FormatAxisWord : public ::testing::TestWithParam<word_case> {};

TEST_P(FormatAxisWord, FollowsTheNearWholeAndDecimalRules) {
    EXPECT_EQ(axis_word(GetParam().value), GetParam().written) << std::hexfloat << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatAxisWord,
    ::testing::Values(
        WORD(10, "X10"), WORD(10.25, "X10.250"), WORD(-3, "X-3"), WORD(0.00005, "X0"),
        WORD(0.0002, "X0"), WORD(7.999999, "X8"), WORD(-7.999999, "X-8"),
        WORD(7.99999, "X8"),      // stored fraction just above 0.99999
        WORD(2.99999, "X3.000"),  // stored fraction just below it
        WORD(-7.99999, "X-8"), WORD(-2.99999, "X-3.000"), WORD(4.9998, "X5.000"),
        WORD(10.0004, "X10"), WORD(0.0005, "X0.001"), WORD(-0.0005, "X-0.001"),
        WORD(0.00049999999999999, "X0"), WORD(0.1235, "X0.124"), WORD(1.0625, "X1.063"),
        WORD(-1.0625, "X-1.063"), WORD(0.0625, "X0.063"), WORD(2.5, "X2.500"), WORD(0.5, "X0.500"),
        WORD(1.0005, "X1"),      // its stored fraction is just below 0.0005
        WORD(1.2345, "X1.234"),  // stored 1.23449999999999993..., below the half even at 17 digits
        WORD(-0.00004, "X-0"), WORD(-0.0, "X0"), WORD(0.0, "X0"), WORD(9.9999999999999995, "X10"),
        WORD(0.99999999999999989, "X1"), WORD(1e20, "X100000000000000000000"),
        WORD(123456789012345678.0, "X123456789012345680"),
        WORD(98765432109876.5625, "X98765432109876.563"),
        WORD(-98765432109876.5625, "X-98765432109876.563"),
        WORD(4503599627370495.5, "X4503599627370495.500"), WORD(1e-300, "X0"),
        WORD(-4.9406564584124654e-324, "X-0"),
        WORD(99999999.999995, "X100000000"),  // a carry into a ninth digit
        WORD(-99999.9996, "X-100000.000"),    // and into a sixth with three places
        WORD(29.840499999999999, "X29.840"),  // 17 digits just below the half
        WORD(9.1075000000000017, "X9.108"),   // just above it
        WORD(0.0015, "X0.002"),               // stored below 0.0015, 17 digits at it
        WORD(std::numeric_limits<double>::max(), "X17976931348623157" + std::string(292, '0'))),
    test_support::row_name());

class FormatArcWord : public ::testing::TestWithParam<word_case> {};

TEST_P(FormatArcWord, HasNoNearWholeWindow) {
    EXPECT_EQ(arc_word(GetParam().value), GetParam().written) << GetParam().value;
}

INSTANTIATE_TEST_SUITE_P(Values, FormatArcWord,
                         ::testing::Values(WORD(7.999999, "R8.000"), WORD(0, "R0"),
                                           WORD(0.00005, "R0"), WORD(-2.5, "R-2.500"),
                                           WORD(7.99999, "R8.000"), WORD(0.0005, "R0.001"),
                                           WORD(-0.0004, "R-0"), WORD(5, "R5"),
                                           WORD(0.9999, "R1.000"), WORD(-1e-9, "R-0"),
                                           WORD(12.3456, "R12.346")),
                         test_support::row_name());

TEST(ChooseDecimals, BoundsIncluded) {
    for (const auto& [places, bound] : {std::pair{3, 0.0005}, std::pair{4, 0.00005}}) {
        EXPECT_TRUE(choose_decimals(bound, places));
        EXPECT_TRUE(choose_decimals(-bound, places));
        EXPECT_FALSE(choose_decimals(std::nextafter(bound, 0.0), places));
        EXPECT_FALSE(choose_decimals(std::nextafter(-bound, 0.0), places));
        EXPECT_FALSE(choose_decimals(0.0, places));
        EXPECT_TRUE(choose_decimals(0.5, places));
    }
}

// The same values written with four decimals and with a trailing point.
struct format_case {
    std::string name;
    double value;
    number_format format;
    std::string axis;  // as an axis word
    std::string arc;   // as an arc word
};

class FormatOptions : public ::testing::TestWithParam<format_case> {};

TEST_P(FormatOptions, ChangeOnlyWhatTheyName) {
    EXPECT_EQ(axis_word(GetParam().value, GetParam().format), GetParam().axis);
    EXPECT_EQ(arc_word(GetParam().value, GetParam().format), GetParam().arc);
}

constexpr number_format FOUR{.decimals = 4};
constexpr number_format POINT{.decimal_point = true};
constexpr number_format FOUR_POINT{.decimals = 4, .decimal_point = true};

INSTANTIATE_TEST_SUITE_P(
    Rows, FormatOptions,
    ::testing::Values(
        format_case{"sixteenth inch", 0.0625, FOUR, "X0.0625", "R0.0625"},
        format_case{"exact half rounds up", 1.03125, FOUR, "X1.0313", "R1.0313"},
        format_case{"below four place threshold", 2.00004, FOUR, "X2", "R2"},
        format_case{"three places padded to four", -12.5, FOUR, "X-12.5000", "R-12.5000"},
        format_case{"near whole stays whole", 7.999999, FOUR, "X8", "R8.0000"},
        format_case{"long whole part", 123456789012.25, FOUR, "X123456789012.2500",
                    "R123456789012.2500"},
        format_case{"whole gets point", 10, POINT, "X10.", "R10."},
        format_case{"negative whole gets point", -3, POINT, "X-3.", "R-3."},
        format_case{"zero gets point", 0, POINT, "X0.", "R0."},
        format_case{"near whole gets point", 2.999999, POINT, "X3.", "R3.000"},
        format_case{"decimals unchanged", 6.25, POINT, "X6.250", "R6.250"},
        format_case{"both options", 4, FOUR_POINT, "X4.", "R4."},
        format_case{"both options with decimals", 0.0001, FOUR_POINT, "X0.0001", "R0.0001"}),
    test_support::row_name());

TEST(FormatWords, ValuesThatAreNotFiniteStopTheRun) {
    for (const double value :
         {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
          std::numeric_limits<double>::quiet_NaN()}) {
        memory_run run("");
        try {
            format_axis_word(run.writer, 'X', value, {});
            FAIL() << "a value that is not finite was written";
        } catch (const conversion_stop& stop) {
            EXPECT_EQ(stop.reason, stop_reason::number_out_of_range);
        }
        EXPECT_THROW(format_arc_word(run.writer, 'I', value, {}), conversion_stop);
        EXPECT_EQ(run.written(), "");
    }
}

// An independent slow path: the exact decimal expansion of the double by
// integer arithmetic, then the digit rule applied to the digit string.
struct exact_decimal {
    std::string digits;  // no leading zeros
    int fraction_places = 0;
};

void multiply_digits(std::string& digits, int factor) {
    int carry = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const int product = (digits[i] - '0') * factor + carry;
        digits[i] = static_cast<char>('0' + product % 10);
        carry = product / 10;
    }
    while (carry > 0) {
        digits.insert(digits.begin(), static_cast<char>('0' + carry % 10));
        carry /= 10;
    }
}

exact_decimal expand_exactly(double magnitude) {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const auto biased = static_cast<int>(bits >> 52);
    std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
    int exponent = biased == 0 ? -1074 : biased - 1075;
    if (biased != 0) {
        mantissa |= std::uint64_t{1} << 52;
    }
    exact_decimal result{std::to_string(mantissa), 0};
    for (; exponent > 0; --exponent) {
        multiply_digits(result.digits, 2);
    }
    for (; exponent < 0; ++exponent) {
        multiply_digits(result.digits, 5);
        ++result.fraction_places;
    }
    return result;
}

// Rounds away the last `count` digits, halves (a first dropped digit of 5 or
// more) going up.
std::string drop_digits_rounding_up(std::string digits, std::size_t count) {
    if (count == 0) {
        return digits;
    }
    if (count > digits.size()) {
        return "0";
    }
    const bool up = digits[digits.size() - count] >= '5';
    digits.resize(digits.size() - count);
    if (digits.empty()) {
        return up ? "1" : "0";
    }
    if (up) {
        std::size_t i = digits.size();
        while (i > 0 && digits[i - 1] == '9') {
            digits[--i] = '0';
        }
        if (i == 0) {
            digits.insert(digits.begin(), '1');
        } else {
            ++digits[i - 1];
        }
    }
    return digits;
}

std::string reference_fixed(double value, int decimals) {
    if (value == 0) {
        return decimals == 0 ? "0" : "0." + std::string(static_cast<std::size_t>(decimals), '0');
    }
    exact_decimal exact = expand_exactly(std::fabs(value));
    const std::size_t length = exact.digits.size();
    std::string digits = exact.digits;
    if (length > 17) {
        digits = drop_digits_rounding_up(digits, length - 17);
        digits.append(length - 17, '0');  // back to the exact expansion's place values
    }
    std::string scaled;
    if (exact.fraction_places > decimals) {
        scaled = drop_digits_rounding_up(digits, exact.fraction_places - decimals);
    } else {
        scaled = digits + std::string(decimals - exact.fraction_places, '0');
    }
    const std::size_t first = scaled.find_first_not_of('0');
    scaled = first == std::string::npos ? "0" : scaled.substr(first);
    if (decimals > 0) {
        if (scaled.size() <= static_cast<std::size_t>(decimals)) {
            scaled.insert(0, static_cast<std::size_t>(decimals) + 1 - scaled.size(), '0');
        }
        scaled.insert(scaled.size() - decimals, ".");
    }
    return (value < 0 ? "-" : "") + scaled;
}

std::string fixed(double value, int decimals) {
    char text[FIXED_TEXT_CAPACITY];
    return {text, format_fixed(value, decimals, text)};
}

// The places rule written plainly, in doubles: the fraction as std::modf
// gives it, the near-whole window for axis words, then the threshold.
int reference_places(double value, bool axis_word, int decimals) {
    double whole = 0;
    double fraction = std::modf(value, &whole);
    if (axis_word && std::fabs(fraction) >= 0.99999) {
        fraction = std::fabs(fraction) - 1;
    }
    return std::fabs(fraction) >= (decimals == 4 ? 0.00005 : 0.0005) ? decimals : 0;
}

// Values on either side of every bound the places rule has, at many scales.
TEST(FormatWords, PlacesFollowTheRuleAtEveryBound) {
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> units(-2'000'000, 2'000'000);
    std::uniform_int_distribution<int> steps(-3, 3);
    for (int i = 0; i < 100000; ++i) {
        const double bound = std::array{0.0005, 0.00005, 0.99999, 0.5}[i % 4];
        const double scale = std::ldexp(1.0, i % 40 - 20);
        double value = static_cast<double>(units(random)) * scale + bound;
        for (int s = steps(random); s != 0; s += s > 0 ? -1 : 1) {
            value = std::nextafter(value, s > 0 ? 1e300 : -1e300);
        }
        for (const int decimals : {3, 4}) {
            const number_format format{.decimals = decimals};
            ASSERT_EQ(axis_word(value, format),
                      "X" + fixed(value, reference_places(value, true, decimals)))
                << std::hexfloat << value << " with " << decimals;
            ASSERT_EQ(arc_word(value, format),
                      "R" + fixed(value, reference_places(value, false, decimals)))
                << std::hexfloat << value << " with " << decimals;
        }
    }
}

TEST(FormatFixed, MatchesTheExactDigitRuleOnManyValues) {
    std::mt19937_64 random(20261207);
    std::vector<double> values;
    std::uniform_int_distribution<std::uint64_t> any_bits;
    std::uniform_int_distribution<int> thousandths(-5'000'000, 5'000'000);
    std::uniform_int_distribution<int> wide_exponent(-30, 30);
    for (int i = 0; i < 3000; ++i) {
        const double any = std::bit_cast<double>(any_bits(random));
        if (std::isfinite(any)) {
            values.push_back(any);
        }
        // Program-like values and their neighbours around every decimal half.
        const double half = (thousandths(random) + 0.5) / 1000.0;
        values.push_back(half);
        values.push_back(std::nextafter(half, 0.0));
        values.push_back(std::nextafter(half, 1e9));
        const double unit_half = thousandths(random) / 1000 + 0.5;
        values.push_back(unit_half);
        values.push_back(std::nextafter(unit_half, -1e9));
        values.push_back(thousandths(random) * std::pow(10.0, wide_exponent(random)));
        // Exact halves in the 18th significant digit: m / 2^k with 18 digits.
        const double dyadic = std::ldexp(static_cast<double>(any_bits(random) >> 11),
                                         -static_cast<int>(any_bits(random) % 26));
        values.push_back(dyadic);
        values.push_back(-dyadic);
    }
    for (const double value : values) {
        for (const int decimals : {0, 3, 4}) {
            ASSERT_EQ(fixed(value, decimals), reference_fixed(value, decimals))
                << std::hexfloat << value << " with " << decimals << " decimals";
        }
    }
}

std::string fixed_exact(double value, int decimals) {
    char text[FIXED_TEXT_CAPACITY];
    return {text, format_fixed_exact(value, decimals, text)};
}

// The fast path for common values must give the exact path's digits.
TEST(FormatFixed, FastPathAgreesWithTheExactPath) {
    std::mt19937_64 random(91);
    std::uniform_int_distribution<std::int64_t> units(-100'000'000, 100'000'000);
    std::uniform_int_distribution<int> steps(-4, 4);
    std::uniform_int_distribution<int> exponent(-12, 53);
    std::uniform_int_distribution<std::uint64_t> mantissa(0, (std::uint64_t{1} << 53) - 1);
    for (int i = 0; i < 200000; ++i) {
        // Near every rounding boundary: a decimal half of the third place or
        // of the unit, give or take a few steps of the double grid.
        const double boundary = i % 2 == 0 ? (static_cast<double>(units(random)) + 0.5) / 1000.0
                                           : static_cast<double>(units(random)) / 1000.0 + 0.5;
        double near = boundary;
        const int step = steps(random);
        for (int s = 0; s < std::abs(step); ++s) {
            near = std::nextafter(near, step > 0 ? 1e300 : -1e300);
        }
        const double spread =
            std::ldexp(static_cast<double>(mantissa(random)), exponent(random) - 53);
        // A half of the fourth place, and the carry into one more digit.
        const double fourth = (static_cast<double>(units(random)) + 0.5) / 10000.0;
        const double carry = (std::pow(10.0, i % 17) - 0.5) / std::pow(10.0, i % 5);
        for (const double value : {boundary, near, spread, -spread, fourth, carry,
                                   std::nextafter(carry, 0.0), std::nextafter(carry, 1e300)}) {
            for (const int decimals : {0, 3, 4}) {
                ASSERT_EQ(fixed(value, decimals), fixed_exact(value, decimals))
                    << std::hexfloat << value << " with " << decimals << " decimals";
            }
        }
    }
}

}  // namespace
}  // namespace g91to90
