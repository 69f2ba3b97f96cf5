#include "exact_number.hpp"

#include <cstdlib>
#include <string>

namespace g91to90 {

namespace {

// `value` times `multiplier` over `divisor`, rounded to odd: an inexact
// quotient gets an odd last digit, so that a later rounding at six places
// at most is that of the exact quotient. The product must not overflow.
std::int64_t scaled_rounded(std::int64_t value, std::int64_t multiplier, std::int64_t divisor) {
    const std::int64_t product = value * multiplier;
    const std::int64_t quotient = product / divisor;  // toward zero
    if (product % divisor != 0 && quotient % 2 == 0) {
        return quotient + (product < 0 ? -1 : 1);
    }
    return quotient;
}

// 25.4 = 127 / 5. A magnitude below the limit over 25.4 times 127 stays
// below 2^63, and so does any in-range magnitude times 5.
constexpr std::int64_t INCH_NUMERATOR = 127;
constexpr std::int64_t INCH_DENOMINATOR = 5;
static_assert(EXACT_LIMIT / 25 * INCH_NUMERATOR < std::numeric_limits<std::int64_t>::max());
static_assert(EXACT_LIMIT * INCH_DENOMINATOR < std::numeric_limits<std::int64_t>::max());

bool digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

exact_number inches_to_millimetres(exact_number inches) {
    if (!inches.in_range() || std::llabs(inches.billionths) >= EXACT_LIMIT / 25) {
        return OUT_OF_RANGE_NUMBER;
    }
    // Times 254 over 10: one place more at most.
    return checked(scaled_rounded(inches.billionths, INCH_NUMERATOR, INCH_DENOMINATOR),
                   std::min(inches.places + 1, EXACT_PLACES));
}

exact_number millimetres_to_inches(exact_number millimetres) {
    if (!millimetres.in_range()) {
        return OUT_OF_RANGE_NUMBER;
    }
    return checked(scaled_rounded(millimetres.billionths, INCH_DENOMINATOR, INCH_NUMERATOR),
                   millimetres.places);
}

exact_number exact_value(std::string_view text) {
    std::size_t i = 0;
    const bool negative = i < text.size() && text[i] == '-';
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        ++i;
    }
    std::string digits;
    long long fraction_digits = 0;
    bool seen_point = false;
    for (; i < text.size() && (digit(text[i]) || text[i] == '.'); ++i) {
        if (text[i] == '.') {
            seen_point = true;
        } else {
            digits.push_back(text[i]);
            fraction_digits += seen_point ? 1 : 0;
        }
    }
    long long exponent = 0;
    if (i < text.size()) {  // E, e, D or d, then an optional sign and digits
        ++i;
        const bool negative_exponent = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            ++i;
        }
        constexpr long long CAP = 1'000'000;
        for (; i < text.size(); ++i) {
            exponent = std::min(CAP, exponent * 10 + (text[i] - '0'));
        }
        exponent = negative_exponent ? -exponent : exponent;
    }
    const auto places =
        static_cast<int>(std::clamp<long long>(fraction_digits - exponent, 0, EXACT_PLACES));
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos) {
        return {0, static_cast<std::uint8_t>(places)};
    }
    // The power of ten, in billionths, of the first nonzero digit.
    long long power = EXACT_PLACES + exponent - fraction_digits +
                      static_cast<long long>(digits.size() - 1 - first);
    if (power >= 18) {  // 10^18 billionths and more
        return OUT_OF_RANGE_NUMBER;
    }
    // Digits past the ninth place are rounded to odd: a nonzero digit dropped
    // makes the last kept digit odd, so that the value is never taken for a
    // half or a whole at a written place (at most the sixth) that it is not.
    std::int64_t magnitude = 0;
    bool dropped = false;
    for (std::size_t k = first; k < digits.size(); ++k, --power) {
        if (power >= 0) {
            magnitude = magnitude * 10 + (digits[k] - '0');
        } else {
            dropped = dropped || digits[k] != '0';
        }
    }
    for (; power >= 0; --power) {  // the digits ended above the billionths
        magnitude *= 10;
    }
    if (dropped && magnitude % 2 == 0) {
        ++magnitude;
    }
    return checked(negative ? -magnitude : magnitude, places);
}

}  // namespace g91to90
