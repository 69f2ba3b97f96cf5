#include "number_input.hpp"

#include <string>

namespace g91to90 {

namespace {

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
    const decimal_shape shape = scan_decimal(text);
    number.malformed = shape.digit_count == 0 || shape.end != text.size();
    number.exact = shape.digit_count == 0 ? exact_number{} : exact_value(text.substr(0, shape.end));
    return number;
}

bool is_number_token(std::string_view text) {
    const decimal_shape shape = scan_decimal(text);
    return shape.digit_count > 0 && shape.end == text.size();
}

}  // namespace g91to90
