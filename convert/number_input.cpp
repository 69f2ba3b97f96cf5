#include "number_input.hpp"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <string>
#include <system_error>

namespace g91to90 {

namespace {

// Up to 15 digits hold exactly in a double, and so does the power of ten:
// their quotient is then the correctly rounded value.
constexpr std::size_t EXACT_DIGITS = 15;

// The common case: the whole text is a plain decimal of at most 15 digits.
bool plain_decimal_value(std::string_view text, double& value) {
    const char* at = text.data();
    const char* const end = at + text.size();
    bool negative = false;
    if (at != end && (*at == '-' || *at == '+')) {
        negative = *at == '-';
        ++at;
    }
    std::uint64_t digits = 0;
    const char* const whole_begin = at;
    for (; at != end && is_digit(*at); ++at) {
        digits = digits * 10 + static_cast<unsigned>(*at - '0');
    }
    std::size_t count = static_cast<std::size_t>(at - whole_begin);
    std::size_t decimals = 0;
    if (at != end && *at == '.') {
        const char* const fraction_begin = ++at;
        for (; at != end && is_digit(*at); ++at) {
            digits = digits * 10 + static_cast<unsigned>(*at - '0');
        }
        decimals = static_cast<std::size_t>(at - fraction_begin);
        count += decimals;
    }
    if (at != end || count == 0 || count > EXACT_DIGITS) {
        return false;
    }
    const double magnitude = static_cast<double>(digits) / EXACT_POWERS_OF_TEN[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

// Where the parts of the leading decimal number of a text lie.
struct decimal_shape {
    bool negative = false;
    std::size_t mantissa_begin = 0;  // after the sign
    std::size_t mantissa_end = 0;
    std::size_t digit_count = 0;
    std::size_t exponent_begin = 0;  // after the exponent letter; equal to end when none
    std::size_t end = 0;
};

decimal_shape scan_decimal(std::string_view text) {
    decimal_shape shape;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        shape.negative = text[i] == '-';
        ++i;
    }
    shape.mantissa_begin = i;
    bool seen_point = false;
    for (; i < text.size(); ++i) {
        if (is_digit(text[i])) {
            ++shape.digit_count;
        } else if (text[i] == '.' && !seen_point) {
            seen_point = true;
        } else {
            break;
        }
    }
    shape.mantissa_end = i;
    shape.exponent_begin = i;
    shape.end = i;
    if (shape.digit_count == 0 || i >= text.size()) {
        return shape;
    }
    const char letter = text[i];
    if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd') {
        return shape;
    }
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) {
        ++j;
    }
    const std::size_t digits_begin = j;
    while (j < text.size() && is_digit(text[j])) {
        ++j;
    }
    if (j > digits_begin) {
        shape.exponent_begin = i + 1;
        shape.end = j;
    }
    return shape;
}

// Decimal exponent of the leading significant digit, including the written
// exponent; only its sign matters, so it saturates.
long long leading_digit_exponent(std::string_view mantissa, std::string_view exponent) {
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    // Only a mantissa with a nonzero digit can leave the double range.
    const std::size_t first = std::min(mantissa.find_first_of("123456789"), mantissa.size());
    const long long position = first < point ? static_cast<long long>(point - first) - 1
                                             : -static_cast<long long>(first - point);
    bool negative_exponent = false;
    std::size_t i = 0;
    if (i < exponent.size() && (exponent[i] == '-' || exponent[i] == '+')) {
        negative_exponent = exponent[i] == '-';
        ++i;
    }
    long long written = 0;
    constexpr long long CAP = 1'000'000'000LL;
    for (; i < exponent.size(); ++i) {
        written = std::min(CAP, written * 10 + (exponent[i] - '0'));
    }
    return position + (negative_exponent ? -written : written);
}

}  // namespace

namespace {

std::size_t skip_blanks(const padded_line& line, std::size_t at) {
    while (at < line.size() && is_blank(line[at])) {
        ++at;
    }
    return at;
}

std::size_t skip_number_chars(const padded_line& line, std::size_t at) {
    while (at < line.size() && number_char(line[at])) {
        ++at;
    }
    return at;
}

}  // namespace

word_number read_general_number(const padded_line& line, std::size_t at, std::string& scratch) {
    word_number number;
    number.begin = skip_blanks(line, at);
    std::size_t i = skip_number_chars(line, number.begin);
    if (i == number.begin) {
        return number;
    }
    number.end = i;
    // Blanks inside the number only before a digit or a point.
    bool inner_blanks = false;
    while (i < line.size() && is_blank(line[i])) {
        const std::size_t next = skip_blanks(line, i);
        if (next == line.size() || !(is_digit(line[next]) || line[next] == '.')) {
            break;
        }
        inner_blanks = true;
        i = skip_number_chars(line, next);
        number.end = i;
    }
    const std::string_view raw = line.text().substr(number.begin, number.end - number.begin);
    std::string_view text = raw;
    if (inner_blanks) {
        scratch.clear();
        for (const char c : raw) {
            if (!is_blank(c)) {
                scratch.push_back(c);
            }
        }
        text = scratch;
    }
    for (const char c : text) {
        number.digit = number.digit || is_digit(c);
        number.point = number.point || c == '.';
    }
    number.value = number_value(text);
    const decimal_shape shape = scan_decimal(text);
    number.malformed = shape.digit_count == 0 || shape.end != text.size();
    number.exact = shape.digit_count == 0 ? exact_number{} : exact_value(text.substr(0, shape.end));
    return number;
}

bool is_number_token(std::string_view text) {
    const decimal_shape shape = scan_decimal(text);
    return shape.digit_count > 0 && shape.end == text.size();
}

double number_value(std::string_view text) {
    double value = 0.0;
    if (plain_decimal_value(text, value)) {
        return value;
    }
    const decimal_shape shape = scan_decimal(text);
    if (shape.digit_count == 0) {
        return 0.0;
    }
    // Everything else goes to the standard parser, which knows only "e" as
    // the exponent letter and no plus sign: the text is put in its form.
    const std::string_view mantissa =
        text.substr(shape.mantissa_begin, shape.mantissa_end - shape.mantissa_begin);
    const std::string_view exponent =
        text.substr(shape.exponent_begin, shape.end - shape.exponent_begin);
    std::string normal;
    normal.reserve(shape.end + 2);
    if (shape.negative) {
        normal.push_back('-');
    }
    normal.append(mantissa);
    if (shape.end > shape.mantissa_end) {
        normal.push_back('e');
        normal.append(exponent);
    }
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the double range the value is infinite; below it, zero.
        const double magnitude = leading_digit_exponent(mantissa, exponent) > 0
                                     ? std::numeric_limits<double>::infinity()
                                     : 0.0;
        value = shape.negative ? -magnitude : magnitude;
    }
    return value;
}

}  // namespace g91to90
