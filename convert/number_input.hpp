// Number input: the text of a number after a word letter, and its value.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace g91to90 {

// Digits, "-", "." and "+": the characters a word's number text is made of.
inline constexpr std::array<bool, 256> NUMBER_CHARS = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : std::string_view("0123456789-.+")) {
        table[c] = true;
    }
    return table;
}();

inline bool number_char(char c) {
    return NUMBER_CHARS[static_cast<unsigned char>(c)];
}

// Collects the number characters of `line` from `start` on into `number_text`
// and returns the index of the first character not collected.
std::size_t read_number_text(std::string_view line, std::size_t start,
                             std::string_view& number_text);

// True when the whole text is a number: an optional sign, digits with at most
// one point (at least one digit in all), then optionally E, e, D or d with an
// optional sign and digits.
bool is_number_token(std::string_view text);

// The value of the longest leading decimal number of `text`: an optional
// sign, digits with at most one point, then optionally an exponent written
// with E, e, D or d. 0 when there is none; infinite beyond the double range.
double number_value(std::string_view text);

}  // namespace g91to90
