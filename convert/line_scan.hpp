// One scan of a line yields what every rule needs: its words, its codes and
// where its comments are not. A line is read the way a control reads it:
// - a comment runs from "(" to the first ")" after it (or to the line's end),
//   and from a ";" outside such a comment to the line's end; no rule reads it;
// - letters count in either case;
// - a word is a letter and its number text (digits, "-", "+", "."), where
//   blanks may stand after the letter and, inside the number, before a digit
//   or a point; a letter with no number text after it is no word;
// - codes are G and M words compared by their exact decimal value, so G091
//   and G91.0 are G91 while G91.1 is another code.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace g91to90 {

// Axis words: X, Y, Z, then the rotary A, B, C and the parallel U, V, W.
inline constexpr int AXIS_COUNT = 9;
inline constexpr std::string_view AXIS_LETTERS = "XYZABCUVW";
inline constexpr std::uint16_t ALL_AXES = (1U << AXIS_COUNT) - 1;
inline constexpr std::uint16_t XYZ_AXES = 0b111;
inline constexpr std::uint16_t axis_bit(int axis) {
    return static_cast<std::uint16_t>(1U << axis);
}
// Word slots after the axes: the arc words I, J, K and R.
inline constexpr std::uint8_t FIRST_ARC_SLOT = AXIS_COUNT;

// An axis or arc word of the line's code part.
struct line_word {
    std::size_t begin;        // its letter
    std::size_t end;          // just after its last number character
    std::string_view number;  // its number text, inner blanks left out
    double value;             // the value of its number text
    std::uint8_t slot;        // an axis (0-8) or FIRST_ARC_SLOT + 0-3 for I, J, K, R
};

// The codes a line holds, one bit for each kind the rules tell apart.
enum line_code : std::uint32_t {
    CODE_MOTION = 1U << 0,               // G0, G1, G2, G3
    CODE_DWELL = 1U << 1,                // G4
    CODE_DATA_SETTING = 1U << 2,         // G10
    CODE_RETURN = 1U << 3,               // G28, G30
    CODE_LOCAL_SHIFT = 1U << 4,          // G52
    CODE_MACHINE_COORDINATES = 1U << 5,  // G53
    CODE_COORDINATE_SYSTEM = 1U << 6,    // G54 up to G60, G54.1 and the like included
    CODE_CALL = 1U << 7,                 // G65, G66, M98
    CODE_MODAL_CALL = 1U << 8,           // G66
    CODE_MODAL_CALL_CANCEL = 1U << 9,    // G67
    CODE_CANNED_CYCLE = 1U << 10,        // G73, G74, G76, G81-G89
    CODE_CYCLE_CANCEL = 1U << 11,        // G80
    CODE_ABSOLUTE = 1U << 12,            // G90
    CODE_INCREMENTAL = 1U << 13,         // G91
    CODE_SET_ORIGIN = 1U << 14,          // G92
    CODE_CANCEL_ORIGIN = 1U << 15,       // G92.1, G92.2, G92.3
    CODE_SAVE_MODE = 1U << 16,           // M70, M73
    CODE_RESTORE_MODE = 1U << 17,        // M72
};

enum class o_word_line : std::uint8_t { none, control, call };

struct scanned_line {
    std::vector<line_word> words;  // in the order they stand
    std::uint32_t codes = 0;       // line_code bits
    std::uint16_t axes = 0;        // axis bits of the axis words
    // Where the "1" of the first G91 stands, written "0" when the line is
    // rewritten; npos when the line holds no G91.
    std::size_t g91_digit = std::string_view::npos;
    int plane = 0;  // the last of G17, G18, G19 on the line, or 0
    int unit = 0;   // the last of G20, G21 on the line, or 0
    bool e_word = false;
    bool polar_word = false;  // "@" or "^", then a number with a digit
    // A line whose code part begins with an O word and a keyword such as
    // "sub", "if" or "call": nothing else on it is read.
    o_word_line o_word = o_word_line::none;
    std::string scratch;  // number texts with their inner blanks left out

    bool holds(std::uint32_t code) const { return (codes & code) != 0; }
};

// Reads `line` (its newline, if any, included) into `scan`, which is reused
// from line to line. The views in `scan` hold as long as `line` and `scan`.
// The line is followed by LINE_PADDING readable bytes, as `line_reader`
// gives it (see line_io.hpp).
void scan_line(std::string_view line, scanned_line& scan);

}  // namespace g91to90
