#include "number_output.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

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

constexpr std::array<std::uint64_t, 26> powers_of_five() {
    std::array<std::uint64_t, 26> powers{};
    powers[0] = 1;
    for (std::size_t i = 1; i < powers.size(); ++i) {
        powers[i] = powers[i - 1] * 5;
    }
    return powers;
}
constexpr std::array<std::uint64_t, 26> POWERS_OF_FIVE = powers_of_five();
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

// The common case decided from the binary value alone: the magnitude times
// 10^decimals as an integer part and a binary fraction. False when the value
// lies outside the range this handles, or so near a half that rounding to 17
// significant digits first could change the result; the exact path decides
// those.
bool scaled_value_fast(double magnitude, int decimals, std::uint64_t& rounded) {
    const auto [mantissa, exponent] = split_binary(magnitude);
    const int fraction_bits = -exponent;  // magnitude = mantissa / 2^fraction_bits
    if (mantissa < HIDDEN_BIT || fraction_bits < 1 || fraction_bits > 63) {
        return false;
    }
    const std::uint64_t scaled = mantissa * (decimals == 3 ? 1000 : 1);  // below 2^63
    std::uint64_t whole = scaled >> fraction_bits;
    const std::uint64_t rest = scaled & ((std::uint64_t{1} << fraction_bits) - 1);
    if (whole >= TEN_POW_17 / 10) {
        return false;  // the written digits would reach past the 16th
    }
    const std::uint64_t half = std::uint64_t{1} << (fraction_bits - 1);
    const std::uint64_t distance = rest >= half ? rest - half : half - rest;
    // Rounding to 17 digits moves the scaled value by less than 0.5e-16 of
    // it; the bound below leaves a factor of two for the double arithmetic.
    const auto unit =  // 2^-fraction_bits
        std::bit_cast<double>(static_cast<std::uint64_t>(1023 - fraction_bits) << 52);
    if (static_cast<double>(distance) * unit <= static_cast<double>(whole + 1) * 1e-16) {
        return false;
    }
    rounded = whole + (rest > half ? 1 : 0);
    return true;
}

// Writes a scaled value from the fast path: its units, then three decimals
// when there are any. Returns the end of what was written.
char* write_scaled_value(std::uint64_t scaled, int decimals, char* out) {
    if (decimals == 0) {
        return std::to_chars(out, out + 20, scaled).ptr;
    }
    const auto thousandths = static_cast<unsigned>(scaled % 1000);
    char* at = std::to_chars(out, out + 20, scaled / 1000).ptr;
    at[0] = '.';
    at[1] = static_cast<char>('0' + thousandths / 100);
    at[2] = static_cast<char>('0' + thousandths / 10 % 10);
    at[3] = static_cast<char>('0' + thousandths % 10);
    return at + 4;
}

std::size_t format_fixed_text(double value, int decimals, char* out, bool allow_fast_path) {
    std::size_t length = 0;
    if (value < 0) {
        out[length++] = '-';  // zero of either sign is written without it
    }
    const double magnitude = std::fabs(value);
    std::uint64_t scaled = 0;
    if (value == 0 || (allow_fast_path && scaled_value_fast(magnitude, decimals, scaled))) {
        return static_cast<std::size_t>(write_scaled_value(scaled, decimals, out + length) - out);
    }
    std::array<char, FIXED_TEXT_CAPACITY> digits;  // NOLINT(*-member-init): written before use
    const std::size_t count =
        scaled_digits(round_to_significant_digits(magnitude), decimals, digits.data());
    const auto places = static_cast<std::size_t>(decimals);
    if (places == 0) {
        std::memcpy(out + length, digits.data(), count);
        return length + count;
    }
    if (count > places) {
        const std::size_t whole = count - places;
        std::memcpy(out + length, digits.data(), whole);
        length += whole;
        out[length++] = '.';
        std::memcpy(out + length, digits.data() + whole, places);
        return length + places;
    }
    // Below one: a lone zero before the point, then the places, zero-padded.
    out[length++] = '0';
    out[length++] = '.';
    std::memset(out + length, '0', places - count);
    length += places - count;
    std::memcpy(out + length, digits.data(), count);
    return length + count;
}

// The fractional part with the value's sign, as the standard modf gives it.
double fraction_of(double value) {
    constexpr double NO_FRACTION_FROM = 4503599627370496.0;  // 2^52
    if (std::fabs(value) >= NO_FRACTION_FROM) {
        return 0.0;
    }
    return value - static_cast<double>(static_cast<std::int64_t>(value));
}

void check_finite(double value) {
    if (!std::isfinite(value)) {
        throw conversion_stop(stop_reason::number_out_of_range);
    }
}

// `value` is finite: the callers checked it before taking its fraction.
void write_word(line_writer& out, char letter, double value, int decimals) {
    char* const word = out.room(FIXED_TEXT_CAPACITY + 1);
    word[0] = letter;
    out.claim(1 + format_fixed(value, decimals, word + 1));
}

}  // namespace

bool choose_decimals(double fraction) {
    return fraction >= SMALLEST_SHOWN_FRACTION || fraction <= -SMALLEST_SHOWN_FRACTION;
}

std::size_t format_fixed(double value, int decimals, char* out) {
    return format_fixed_text(value, decimals, out, true);
}

std::size_t format_fixed_exact(double value, int decimals, char* out) {
    return format_fixed_text(value, decimals, out, false);
}

void format_axis_word(line_writer& out, char letter, double value) {
    check_finite(value);
    double fraction = fraction_of(value);
    // A fraction within 0.00001 of a whole unit counts as whole. On the
    // negative side this gives -fraction - 1, a residue of the wrong sign:
    // harmless, since only its magnitude is compared below, and kept so that
    // the written form of every value stays what it has always been.
    if (fraction >= NEAR_WHOLE) {
        fraction = fraction - 1;
    } else if (fraction <= -NEAR_WHOLE) {
        fraction = -fraction - 1;
    }
    write_word(out, letter, value, choose_decimals(fraction) ? 3 : 0);
}

void format_arc_word(line_writer& out, char letter, double value) {
    check_finite(value);
    const double fraction = fraction_of(value);
    write_word(out, letter, value, choose_decimals(fraction) ? 3 : 0);
}

}  // namespace g91to90
