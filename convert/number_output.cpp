#include "number_output.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "number_input.hpp"
#include "stop.hpp"

namespace g91to90 {

namespace {

constexpr double NEAR_WHOLE = 0.99999;
constexpr double SMALLEST_SHOWN_FRACTION = 0.0005;
constexpr int SIGNIFICANT_DIGITS = 17;

// Numbers are first rounded to 17 significant digits, then at the last
// written place: a value read from "0.1235" is stored just below it, and
// without the first rounding it would be written 0.123 rather than the 0.124
// its text asks for. 17 digits tell every double apart, so the first rounding
// never merges two values.
//
// A positive value rounded to 17 significant digits:
// digits[0].digits[1..16] times ten to the power `exponent`, digits[0] nonzero.
struct rounded_decimal {
    std::array<char, SIGNIFICANT_DIGITS> digits{};
    int exponent = 0;
};

// base^0, base^1, ... base^(N - 1).
template <std::size_t N>
constexpr std::array<std::uint64_t, N> powers(std::uint64_t base) {
    std::array<std::uint64_t, N> result{};
    result[0] = 1;
    for (std::size_t i = 1; i < N; ++i) {
        result[i] = result[i - 1] * base;
    }
    return result;
}
constexpr std::array<std::uint64_t, 26> POWERS_OF_FIVE = powers<26>(5);
constexpr std::uint64_t TEN_POW_17 = 100'000'000'000'000'000ULL;
constexpr std::uint64_t TEN_POW_18 = 1'000'000'000'000'000'000ULL;

constexpr std::uint64_t HIDDEN_BIT = std::uint64_t{1} << 52;

// A positive finite double as mantissa * 2^exponent, the mantissa below 2^53
// (and at least 2^52 unless the value is subnormal).
struct binary_parts {
    std::uint64_t mantissa;
    int exponent;
};

binary_parts split_binary(double magnitude) {
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const auto biased = static_cast<int>(bits >> 52);
    const std::uint64_t fraction = bits & (HIDDEN_BIT - 1);
    if (biased == 0) {
        return {fraction, -1074};
    }
    return {fraction | HIDDEN_BIT, biased - 1075};
}

// When the exact decimal expansion of `magnitude` has exactly 18 significant
// digits (the last one then being 5), returns them; otherwise 0. Only then
// does rounding to 17 digits meet an exact half.
std::uint64_t exact_eighteen_digits(double magnitude, int& fraction_places) {
    auto [mantissa, binary_exponent] = split_binary(magnitude);
    const int trailing = std::countr_zero(mantissa);
    mantissa >>= trailing;
    binary_exponent += trailing;
    // value = mantissa / 2^places = mantissa * 5^places / 10^places
    const int places = -binary_exponent;
    if (places <= 0 || places >= static_cast<int>(POWERS_OF_FIVE.size())) {
        return 0;
    }
    const std::uint64_t power = POWERS_OF_FIVE[static_cast<std::size_t>(places)];
    if (mantissa > (TEN_POW_18 - 1) / power) {
        return 0;
    }
    const std::uint64_t digits = mantissa * power;
    if (digits < TEN_POW_17) {
        return 0;
    }
    fraction_places = places;
    return digits;
}

rounded_decimal round_to_significant_digits(double magnitude) {
    rounded_decimal result;
    int fraction_places = 0;
    const std::uint64_t tie = exact_eighteen_digits(magnitude, fraction_places);
    if (tie != 0) {
        // An exact half in the 18th digit rounds up in magnitude. It cannot
        // carry into an 18th digit: that needs the digits to end in "95",
        // but they are a multiple of 25 (the mantissa is below 2^53, so an
        // 18-digit product takes at least two factors of 5).
        std::uint64_t kept = tie / 10 + 1;
        result.exponent = SIGNIFICANT_DIGITS - fraction_places;
        for (int i = SIGNIFICANT_DIGITS - 1; i >= 0; --i) {
            result.digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + kept % 10);
            kept /= 10;
        }
        return result;
    }
    // Otherwise correct rounding to 17 digits is what the rule asks for.
    std::array<char, 32> text{};
    const auto written = std::to_chars(text.data(), text.data() + text.size(), magnitude,
                                       std::chars_format::scientific, SIGNIFICANT_DIGITS - 1);
    result.digits[0] = text[0];
    std::memcpy(result.digits.data() + 1, text.data() + 2, SIGNIFICANT_DIGITS - 1);
    const char* exponent_text = text.data() + SIGNIFICANT_DIGITS + 2;  // after "e"
    if (*exponent_text == '+') {
        ++exponent_text;
    }
    std::from_chars(exponent_text, written.ptr, result.exponent);
    return result;
}

// Adds one to a decimal digit string; returns true when it carried out of it.
bool increment_digits(char* digits, std::size_t count) {
    for (std::size_t i = count; i-- > 0;) {
        if (digits[i] != '9') {
            ++digits[i];
            return false;
        }
        digits[i] = '0';
    }
    return true;
}

// The digits of the magnitude times 10^decimals, rounded at the units with
// halves up. Returns their count; no leading zeros except a lone "0".
std::size_t scaled_digits(const rounded_decimal& decimal, int decimals, char* out) {
    const int units = decimal.exponent + decimals;  // index of the units digit
    if (units < -1) {
        out[0] = '0';
        return 1;
    }
    if (units == -1) {
        out[0] = decimal.digits[0] >= '5' ? '1' : '0';
        return 1;
    }
    if (units >= SIGNIFICANT_DIGITS - 1) {
        std::memcpy(out, decimal.digits.data(), SIGNIFICANT_DIGITS);
        const auto zeros = static_cast<std::size_t>(units - (SIGNIFICANT_DIGITS - 1));
        std::memset(out + SIGNIFICANT_DIGITS, '0', zeros);
        return SIGNIFICANT_DIGITS + zeros;
    }
    // Keep one place of head room for a carry out of the leading digit.
    const auto kept = static_cast<std::size_t>(units) + 1;
    std::memcpy(out + 1, decimal.digits.data(), kept);
    if (decimal.digits[kept] >= '5' && increment_digits(out + 1, kept)) {
        out[0] = '1';
        return kept + 1;
    }
    std::memmove(out, out + 1, kept);
    return kept;
}

constexpr std::array<std::uint64_t, 20> POWERS_OF_TEN = powers<20>(10);

// The count of decimal digits of `value`, 1 for zero.
[[gnu::always_inline]] inline std::size_t digit_count(std::uint64_t value) {
    // bit_width * log10(2), rounded down: the count, or one less.
    const auto guess = static_cast<std::size_t>((std::bit_width(value | 1) * 1233) >> 12);
    return guess + ((value | 1) >= POWERS_OF_TEN[guess] ? 1 : 0);
}

// The eight digits of `value` (below 10^8, leading zeros included) as the
// bytes of one little-endian word, the first digit in the lowest byte, each
// byte 0-9: split into halves, quarters and single digits in the lanes of one
// word, each division by a multiplication.
//
// A division by 100 of a lane below 10^4 is a multiplication by 5243 and a
// shift by 19 (5243 / 2^19 is 1/100 to within the error those lanes allow);
// a division by 10 of a lane below 100, by 103 and a shift by 10.
constexpr std::uint64_t DIVIDE_BY_100 = 5243;
constexpr int DIVIDE_BY_100_SHIFT = 19;
constexpr std::uint64_t DIVIDE_BY_10 = 103;
constexpr int DIVIDE_BY_10_SHIFT = 10;
constexpr std::uint64_t TWO_QUOTIENT_LANES = 0x0000007F0000007FU;   // quotients below 100
constexpr std::uint64_t FOUR_QUOTIENT_LANES = 0x000F000F000F000FU;  // quotients below 10
[[gnu::always_inline]] inline std::uint64_t digit_lanes(std::uint64_t value) {
    const std::uint64_t high = value / 10000;
    std::uint64_t lanes = high | ((value - high * 10000) << 32);  // two 4-digit halves
    const std::uint64_t hundreds =
        ((lanes * DIVIDE_BY_100) >> DIVIDE_BY_100_SHIFT) & TWO_QUOTIENT_LANES;
    lanes = hundreds | ((lanes - hundreds * 100) << 16);  // four 2-digit quarters
    const std::uint64_t tens = ((lanes * DIVIDE_BY_10) >> DIVIDE_BY_10_SHIFT) & FOUR_QUOTIENT_LANES;
    return tens | ((lanes - tens * 10) << 8);  // eight digits
}

// The exact path: the magnitude rounded to 17 significant digits, then at
// the last written place. Returns the end of what was written.
[[gnu::noinline]] char* write_exact_magnitude(double magnitude, int places, char* out) {
    std::array<char, FIXED_TEXT_CAPACITY> digits;  // NOLINT(*-member-init): written before use
    const std::size_t count =
        scaled_digits(round_to_significant_digits(magnitude), places, digits.data());
    const auto decimals = static_cast<std::size_t>(places);
    if (decimals == 0) {
        std::memcpy(out, digits.data(), count);
        return out + count;
    }
    if (count > decimals) {
        const std::size_t whole = count - decimals;
        std::memcpy(out, digits.data(), whole);
        out[whole] = '.';
        std::memcpy(out + whole + 1, digits.data() + whole, decimals);
        return out + count + 1;
    }
    // Below one: a lone zero before the point, then the places, zero-padded.
    out[0] = '0';
    out[1] = '.';
    std::memset(out + 2, '0', decimals - count);
    std::memcpy(out + 2 + decimals - count, digits.data(), count);
    return out + 2 + decimals;
}

// The common case in one piece: `value` (finite, nonzero) with `places`
// decimals when its magnitude times 10^places lies between 1 and 10^8 - 1.
// Returns the end of what was written, or nullptr for a value the general
// path must write; may write up to eight bytes past the end.
//
// The digit rule asks for the value rounded to 17 significant digits, then
// at the last place. Both are decided here from the exact binary value: with
// k the scaled value's integer part and m = 17 - (digits of k), the 17th
// significant digit has the unit 10^-m of a last-place unit. Rounding up at
// the last place needs the 17-digit value at or above k + 1/2, so the value
// itself at or above k + 1/2 - 10^-m / 2 (a value just on that bound rounds
// up at 17 digits already, halves going up).
[[gnu::always_inline]] inline char* write_fast(double value, int places, char* out) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const auto biased = static_cast<int>((bits >> 52) & 0x7FF);
    // |value| * 10^places = mantissa * 5^places / 2^shift
    const int shift = 1075 - biased - places;
    if (biased == 0 || shift < 1 || shift > 63) {
        return nullptr;
    }
    const std::uint64_t scaled =  // below 2^63: 5^places is at most 625 < 2^10
        ((bits & (HIDDEN_BIT - 1)) | HIDDEN_BIT) * POWERS_OF_FIVE[static_cast<std::size_t>(places)];
    const std::uint64_t truncated = scaled >> shift;
    const std::uint64_t rest = scaled & ((std::uint64_t{1} << shift) - 1);
    const std::uint64_t half = std::uint64_t{1} << (shift - 1);
    if (truncated == 0 || truncated >= 99'999'999) {
        return nullptr;
    }
    // rest / 2^shift >= 1/2 - 10^-m / 2, that is half - rest <= half / 10^m,
    // in integers half - rest <= 2^(shift - 1 - m) / 5^m, rounded down. As m
    // is 9 or more, that bound lies below half / 2^29: only a value so near
    // the half needs it worked out.
    bool up = rest >= half;
    if (half - rest - 1 < (half >> 29)) {  // below the half and that near it
        const int m = 17 - static_cast<int>(digit_count(truncated));  // 9 to 16
        const int twos = shift - 1 - m;
        up = twos >= 0 && half - rest <= (std::uint64_t{1} << twos) /
                                             POWERS_OF_FIVE[static_cast<std::size_t>(m)];
    }
    const std::uint64_t rounded = truncated + (up ? 1 : 0);
    *out = '-';
    out += bits >> 63;
    // The eight digits, leading zeros dropped up to the units digit.
    const auto decimals = static_cast<std::size_t>(places);
    const std::uint64_t digits = digit_lanes(rounded);
    const std::size_t whole_places = 8 - decimals;
    const auto leading = static_cast<std::size_t>(
        std::countr_zero(digits | (std::uint64_t{1} << (8 * (whole_places - 1)))) / 8);
    const std::size_t whole_count = whole_places - leading;
    const std::uint64_t chars = digits | ASCII_ZEROS;
    const std::uint64_t whole = chars >> (8 * leading);
    std::memcpy(out, &whole, 8);
    out += whole_count;
    if (places == 0) {
        return out;
    }
    const std::uint64_t fraction = (chars >> (8 * whole_places)) << 8 | '.';
    std::memcpy(out, &fraction, 8);
    return out + 1 + decimals;
}

// Writes `value` with `places` decimals by the exact path.
[[gnu::noinline]] char* write_general(double value, int places, char* out) {
    if (value < 0) {
        *out++ = '-';  // zero of either sign is written without it
    }
    if (value == 0) {
        *out++ = '0';
        if (places > 0) {
            *out++ = '.';
            std::memset(out, '0', static_cast<std::size_t>(places));
            out += places;
        }
        return out;
    }
    return write_exact_magnitude(std::fabs(value), places, out);
}

// Writes `value` with `places` decimals; may write up to eight bytes past
// the returned end.
[[gnu::always_inline]] inline char* write_fixed(double value, int places, char* out,
                                                bool allow_fast_path) {
    if (std::endian::native == std::endian::little && allow_fast_path) {
        if (char* const end = write_fast(value, places, out)) {
            return end;
        }
    }
    return write_general(value, places, out);
}

// The fractional part with the value's sign, as the standard modf gives it.
double fraction_of(double value) {
    constexpr double NO_FRACTION_FROM = 4503599627370496.0;  // 2^52
    if (std::fabs(value) >= NO_FRACTION_FROM) {
        return 0.0;
    }
    return value - static_cast<double>(static_cast<std::int64_t>(value));
}

// The smallest whole `fraction` with fraction / 2^fraction_bits >= bound,
// exactly.
constexpr std::uint64_t fraction_bound(double bound, int fraction_bits) {
    const auto bits = std::bit_cast<std::uint64_t>(bound);
    const std::uint64_t mantissa = (bits & (HIDDEN_BIT - 1)) | HIDDEN_BIT;
    const int exponent = static_cast<int>(bits >> 52) - 1075 + fraction_bits;
    if (exponent >= 0) {
        return mantissa << exponent;
    }
    if (exponent <= -64) {
        return 1;
    }
    return (mantissa + (std::uint64_t{1} << -exponent) - 1) >> -exponent;  // rounded up
}

// For each count of fraction bits, the fraction a bound asks for.
constexpr std::array<std::uint64_t, 64> fraction_bounds(double bound) {
    std::array<std::uint64_t, 64> bounds{};
    for (int bits = 1; bits < 64; ++bits) {
        bounds[static_cast<std::size_t>(bits)] = fraction_bound(bound, bits);
    }
    return bounds;
}
constexpr std::array<std::uint64_t, 64> NEAR_WHOLE_BOUNDS = fraction_bounds(NEAR_WHOLE);
constexpr std::array<std::array<std::uint64_t, 64>, 2> SHOWN_BOUNDS{
    fraction_bounds(SMALLEST_SHOWN_FRACTION), fraction_bounds(SMALLEST_SHOWN_FRACTION / 10)};

// The places of a word's number: `format.decimals`, or none for a fraction
// too small to show (or, for an axis word, within 0.00001 of a whole unit).
int word_places(double value, bool axis_word, const number_format& format) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    const int fraction_bits = 1075 - static_cast<int>((bits >> 52) & 0x7FF);
    if (fraction_bits >= 1 && fraction_bits <= 63) [[likely]] {
        // 2^-11 <= |value| < 2^52: the fraction is the mantissa's low bits,
        // compared in whole numbers with the bounds at this scale.
        const std::uint64_t fraction =
            ((bits & (HIDDEN_BIT - 1)) | HIDDEN_BIT) & ((std::uint64_t{1} << fraction_bits) - 1);
        const auto scale = static_cast<std::size_t>(fraction_bits);
        const bool whole = axis_word && fraction >= NEAR_WHOLE_BOUNDS[scale];
        // A branch rather than a select: the places are mostly the same from
        // word to word, and a predicted branch lets the digits start before
        // the fraction is known.
        if (!whole && fraction >= SHOWN_BOUNDS[format.decimals == 4 ? 1 : 0][scale]) [[likely]] {
            return format.decimals;
        }
        return 0;
    }
    double fraction = fraction_of(value);
    // An axis word's fraction within 0.00001 of a whole unit counts as whole.
    // On the negative side this gives -fraction - 1, a residue of the wrong
    // sign: harmless, since only its magnitude is compared below, and kept
    // so that the written form of every value stays what it has always been.
    if (axis_word && fraction >= NEAR_WHOLE) {
        fraction = fraction - 1;
    } else if (axis_word && fraction <= -NEAR_WHOLE) {
        fraction = -fraction - 1;
    }
    return choose_decimals(fraction, format.decimals) ? format.decimals : 0;
}

// Writes a word of a rewritten line at `at` (WORD_CAPACITY bytes): its
// letter, then its number in the axis-word or the arc-word format.
[[gnu::always_inline]] inline char* write_word(char* at, char letter, double value, bool axis_word,
                                               const number_format& format) {
    if (!std::isfinite(value)) {
        throw conversion_stop(stop_reason::number_out_of_range);
    }
    const int places = word_places(value, axis_word, format);
    at[0] = letter;
    char* end = write_fixed(value, places, at + 1, true);
    if (places == 0 && format.decimal_point) {
        *end++ = '.';
    }
    return end;
}

}  // namespace

bool choose_decimals(double fraction, int places) {
    const double smallest = places == 4 ? SMALLEST_SHOWN_FRACTION / 10 : SMALLEST_SHOWN_FRACTION;
    return std::fabs(fraction) >= smallest;  // one comparison: the sign follows no pattern
}

std::size_t format_fixed(double value, int decimals, char* out) {
    return static_cast<std::size_t>(write_fixed(value, decimals, out, true) - out);
}

std::size_t format_fixed_exact(double value, int decimals, char* out) {
    return static_cast<std::size_t>(write_fixed(value, decimals, out, false) - out);
}

char* write_axis_word(char* at, char letter, double value, const number_format& format) {
    return write_word(at, letter, value, true, format);
}

char* write_arc_word(char* at, char letter, double value, const number_format& format) {
    return write_word(at, letter, value, false, format);
}

void format_axis_word(line_writer& out, char letter, double value, const number_format& format) {
    char* const word = out.room(WORD_CAPACITY);
    out.claim(static_cast<std::size_t>(write_axis_word(word, letter, value, format) - word));
}

void format_arc_word(line_writer& out, char letter, double value, const number_format& format) {
    char* const word = out.room(WORD_CAPACITY);
    out.claim(static_cast<std::size_t>(write_arc_word(word, letter, value, format) - word));
}

}  // namespace g91to90
