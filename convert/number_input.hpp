// Number input: the text of a number after a word letter, and its value.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
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

// What the character after a number text tells: it is a number character
// (the text goes on), or a blank (the text may go on after it); a digit, a
// point or a blank after such a blank goes on too.
inline constexpr std::uint8_t NUMBER_GOES_ON = 1;
inline constexpr std::uint8_t BLANK_AFTER_NUMBER = 2;
inline constexpr std::uint8_t GOES_ON_AFTER_BLANK = 4;  // BLANK_AFTER_NUMBER shifted up
inline constexpr std::array<std::uint8_t, 256> NUMBER_FOLLOWER = [] {
    std::array<std::uint8_t, 256> table{};
    for (const unsigned char c : std::string_view("0123456789-.+")) {
        table[c] = NUMBER_GOES_ON;
    }
    for (const unsigned char c : std::string_view("0123456789. \t")) {
        table[c] |= GOES_ON_AFTER_BLANK;
    }
    table[' '] |= BLANK_AFTER_NUMBER;
    table['\t'] |= BLANK_AFTER_NUMBER;
    return table;
}();

inline bool number_char(char c) {
    return NUMBER_CHARS[static_cast<unsigned char>(c)];
}

inline bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

inline bool is_digit(char c) {
    return static_cast<unsigned>(c - '0') < 10;
}

// A plain decimal number text: an optional sign, then digits with at most one
// point, 15 digits at most, so that its value is one exact division.
struct plain_number {
    std::uint64_t digits = 0;  // all its digits as one integer
    std::size_t end = 0;       // just after its text
    std::size_t whole_digits = 0;
    std::size_t decimals = 0;  // digits after the point
    bool negative = false;
};

// Reads the number text of a word from `at` (just after its letter) when it
// is plain and ends there: no number character and no blank followed by a
// digit or a point comes after it. False for any other text, which the
// general reading handles.
inline bool read_plain_number(std::string_view line, std::size_t at, plain_number& number) {
    constexpr std::size_t EXACT_DIGITS = 15;
    const std::size_t size = line.size();
    std::size_t i = at;
    if (i < size) {
        number.negative = line[i] == '-';
        i += (number.negative || line[i] == '+') ? 1 : 0;
    }
    const std::size_t whole_begin = i;
    std::uint64_t digits = 0;
    for (; i < size && is_digit(line[i]); ++i) {
        digits = digits * 10 + static_cast<unsigned>(line[i] - '0');
    }
    number.whole_digits = i - whole_begin;
    number.decimals = 0;
    if (i < size && line[i] == '.') {
        const std::size_t fraction_begin = ++i;
        for (; i < size && is_digit(line[i]); ++i) {
            digits = digits * 10 + static_cast<unsigned>(line[i] - '0');
        }
        number.decimals = i - fraction_begin;
    }
    const std::size_t count = number.whole_digits + number.decimals;
    if (count == 0 || count > EXACT_DIGITS) {
        return false;
    }
    if (i < size) {
        // The text goes on after a number character, or after a blank
        // followed by a digit or a point (blanks inside the number). Two
        // blanks in a row are left to the general reading too: decided
        // without branches, since what follows a number varies.
        const unsigned char next = static_cast<unsigned char>(line[i]);
        const unsigned char after = i + 1 < size ? static_cast<unsigned char>(line[i + 1]) : '\n';
        if ((NUMBER_FOLLOWER[next] & (NUMBER_GOES_ON | (NUMBER_FOLLOWER[after] >> 1))) != 0) {
            return false;
        }
    }
    number.digits = digits;
    number.end = i;
    return true;
}

// Powers of ten that a double holds exactly.
inline constexpr std::array<double, 23> EXACT_POWERS_OF_TEN{
    1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
    1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The value of a plain number: its digits and the power of ten are exact
// doubles, so their quotient is the correctly rounded value.
inline double plain_number_value(const plain_number& number) {
    const double magnitude =
        static_cast<double>(number.digits) / EXACT_POWERS_OF_TEN[number.decimals];
    // The sign set without a branch: signs follow no pattern a branch could learn.
    return std::bit_cast<double>(std::bit_cast<std::uint64_t>(magnitude) |
                                 (static_cast<std::uint64_t>(number.negative) << 63));
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
