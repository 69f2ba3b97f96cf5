// Number input: the text of a number after a word letter, and its exact value.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "exact_number.hpp"
#include "line_io.hpp"

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
// point, fewer than eight digits before the point and after it, so that its
// value is one exact division.
struct plain_number {
    std::uint64_t digits = 0;  // all its digits as one integer
    std::size_t end = 0;       // just after its text
    std::size_t whole_digits = 0;
    std::size_t decimals = 0;  // digits after the point
    bool negative = false;
    bool point = false;  // it has a decimal point
};

// Eight ASCII zeros, one in each byte: "0" is 0x30.
inline constexpr std::uint64_t ASCII_ZEROS = 0x3030303030303030U;
// The high bit of each byte.
inline constexpr std::uint64_t BYTE_HIGH_BITS = 0x8080808080808080U;
// Added to a byte that holds 0-255 after the zeros are taken away, it sets
// the byte's high bit exactly for values of 10 and up (0x76 + 10 = 0x80).
inline constexpr std::uint64_t TEN_AND_UP_TO_HIGH_BIT = 0x7676767676767676U;

// How many of the eight characters lead as digits (8 when all are digits).
inline std::size_t leading_digits(std::uint64_t chars) {
    const std::uint64_t lows = chars ^ ASCII_ZEROS;  // a digit becomes 0-9
    // The high bit of each byte that is not 0-9; bytes past the first such
    // one may be wrong, and do not count.
    const std::uint64_t not_digit = ((lows + TEN_AND_UP_TO_HIGH_BIT) | lows) & BYTE_HIGH_BITS;
    return static_cast<std::size_t>(std::countr_zero(not_digit)) / 8;
}

// Masks that keep every other byte, pair of bytes and four bytes.
inline constexpr std::uint64_t EVERY_OTHER_BYTE = 0x00FF00FF00FF00FFU;
inline constexpr std::uint64_t EVERY_OTHER_PAIR = 0x0000FFFF0000FFFFU;
inline constexpr std::uint64_t LOW_HALF = 0xFFFFFFFFU;

// The value of the first `count` (0-7) characters, all digits: neighbouring
// digits joined into pairs, pairs into fours, fours into eight, each step one
// multiplication across the lanes of the word.
inline std::uint64_t digits_value(std::uint64_t chars, std::size_t count) {
    // The digits moved to the top bytes, zeros before them.
    std::uint64_t value = count == 0 ? 0 : (chars ^ ASCII_ZEROS) << (64 - 8 * count);
    value = (value * 10 + (value >> 8)) & EVERY_OTHER_BYTE;
    value = (value * 100 + (value >> 16)) & EVERY_OTHER_PAIR;
    return (value * 10000 + (value >> 32)) & LOW_HALF;
}

inline constexpr std::array<std::uint64_t, 8> SMALL_POWERS_OF_TEN{1,     10,     100,     1000,
                                                                  10000, 100000, 1000000, 10000000};

// Reads the number text of a word from `at` (just after its letter, at most
// the line's size) when it is plain and ends there: no number character and
// no blank followed by a digit or a point comes after it. False for any other
// text, which the general reading handles. The digits are read eight
// characters at a time, past the text into the line's padding.
[[gnu::always_inline]] inline bool read_plain_number(const padded_line& line, std::size_t at,
                                                     plain_number& number) {
    const std::size_t size = line.size();
    std::size_t i = at;
    if (i >= size) {
        return false;
    }
    number.negative = line[i] == '-';
    i += (number.negative || line[i] == '+') ? 1 : 0;
    std::uint64_t chars = line.eight_bytes(i);
    number.whole_digits = leading_digits(chars);
    if (number.whole_digits == 8) {
        return false;  // a long number: the general reading
    }
    std::uint64_t digits = digits_value(chars, number.whole_digits);
    i += number.whole_digits;
    number.decimals = 0;
    number.point = i < size && line[i] == '.';
    if (number.point) {
        ++i;
        chars = line.eight_bytes(i);
        number.decimals = leading_digits(chars);
        if (number.decimals == 8) {
            return false;
        }
        digits =
            digits * SMALL_POWERS_OF_TEN[number.decimals] + digits_value(chars, number.decimals);
        i += number.decimals;
    }
    if (number.whole_digits + number.decimals == 0) {
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

// Where the number text of a word whose value is not kept (a line number, a
// feed, a speed) ends, when it is plain as `read_plain_number` reads it but
// with any count of digits (N10000000): 0 for any other text. A run of
// digits never runs past the line's text: its newline, or the zero bytes
// after it, end the run.
[[gnu::always_inline]] inline std::size_t plain_number_end(const padded_line& line,
                                                           std::size_t at) {
    const std::size_t size = line.size();
    std::size_t i = at;
    if (i >= size) {
        return 0;
    }
    i += (line[i] == '-' || line[i] == '+') ? 1 : 0;
    std::size_t digits = 0;
    const auto skip_digits = [&] {
        for (;;) {
            const std::size_t count = leading_digits(line.eight_bytes(i));
            i += count;
            digits += count;
            if (count < 8) {
                return;
            }
        }
    };
    skip_digits();
    if (i < size && line[i] == '.') {
        ++i;
        skip_digits();
    }
    if (digits == 0) {
        return 0;
    }
    if (i < size) {
        // As after a plain number: the text goes on, or may go on after a blank.
        const unsigned char next = static_cast<unsigned char>(line[i]);
        const unsigned char after = i + 1 < size ? static_cast<unsigned char>(line[i + 1]) : '\n';
        if ((NUMBER_FOLLOWER[next] & (NUMBER_GOES_ON | (NUMBER_FOLLOWER[after] >> 1))) != 0) {
            return 0;
        }
    }
    return i;
}

// The number text of a word whose letter stands just before `at`: blanks may
// stand after the letter, and inside the number before a digit or a point.
struct word_number {
    std::size_t begin = 0;  // its first character, blanks after the letter skipped
    std::size_t end = 0;    // just after its last number character; 0 when there is none
    exact_number exact;     // set by the general reading; see `exact_of`
    bool digit = false;     // it holds a digit
    bool point = false;     // it holds a decimal point
    bool plain = false;     // read as a plain number: `parts` holds it
    // Its text is no number: a sign alone, a point without digits, a second
    // sign or point (X5-3, X--5, X1.2.5).
    bool malformed = false;
    plain_number parts;
};

// The exact value of a plain number.
inline exact_number exact_of(const plain_number& number) {
    return exact_of_digits(number.digits, number.decimals, number.negative);
}

// The exact value of a word's number.
inline exact_number exact_of(const word_number& number) {
    return number.plain ? exact_of(number.parts) : number.exact;
}

// Any number text that is not plain (inner blanks, long or odd texts), read
// character by character, its inner blanks left out in `scratch` to take its
// value.
word_number read_general_number(const padded_line& line, std::size_t at, std::string& scratch);

// The one reader of a word's number: the plain form eight characters at a
// time, any other by `read_general_number`.
[[gnu::always_inline]] inline word_number read_word_number(const padded_line& line, std::size_t at,
                                                           std::string& scratch) {
    word_number number;
    if (read_plain_number(line, at, number.parts)) [[likely]] {
        number.begin = at;
        number.end = number.parts.end;
        number.digit = true;
        number.point = number.parts.point;
        number.plain = true;
        return number;
    }
    return read_general_number(line, at, scratch);
}

// True when the whole text is a number: an optional sign, digits with at most
// one point (at least one digit in all), then optionally E, e, D or d with an
// optional sign and digits.
bool is_number_token(std::string_view text);

}  // namespace g91to90
