// Numbers with and without a point. A number written with a point (X10.,
// X.5) means millimetres or inches on every control; one without (X10)
// means them on some controls and least increments on others (Fanuc-style
// controls without decimal-point input); a zero means zero on all. A
// position made of numbers of both styles means different places on
// different controls, so a conversion that would write one stops until the
// reading is given (--integers); a value is written in the style of the
// numbers that made it, so that it means on the control what the input's
// numbers meant.
//
// While no number without a point has been read (and always when they read
// as millimetres or inches), every position that is not zero is made of
// numbers with a point, and nothing needs following: a value is written
// with a point when it is not zero (a zero keeps its word's spelling). From
// the first number without a point on, the styles of the positions are
// followed, one bit an axis, and decided once a line.
#pragma once

#include <cstdint>

#include "line_scan.hpp"
#include "machine.hpp"

namespace g91to90 {

// The style of one value: POINTED_NUMBER, WHOLE_NUMBER, both or none.
inline constexpr std::uint8_t POINTED_NUMBER = 1;
inline constexpr std::uint8_t WHOLE_NUMBER = 2;
inline constexpr std::uint8_t MIXED_NUMBER = POINTED_NUMBER | WHOLE_NUMBER;

// How a line's words are written, one bit a word slot (axes, then I, J, K, R).
struct word_masks {
    std::uint16_t dotted = 0;   // with a point
    std::uint16_t pointed = 0;  // with a point, and not zero
    std::uint16_t whole = 0;    // without a point, and not zero
};
word_masks masks_of(const scanned_line& scan);

// The styles of the positions, one bit an axis: followed, or as they stand
// before the first number without a point (every position not zero is made
// of numbers with a point).
struct position_styles {
    std::uint16_t pointed = 0;
    std::uint16_t whole = 0;
};
position_styles styles_of(const machine_state& machine);

// The style of a value that is made of `styles`' bits of one axis.
inline std::uint8_t axis_style(const position_styles& styles, int axis) {
    return static_cast<std::uint8_t>(((styles.pointed >> axis) & 1U) |
                                     (((styles.whole >> axis) & 1U) << 1));
}
inline std::uint8_t word_style(const word_masks& masks, int slot) {
    return static_cast<std::uint8_t>(((masks.pointed >> slot) & 1U) |
                                     (((masks.whole >> slot) & 1U) << 1));
}

// What a line's words do to the styles, and how the writer spells them.
struct line_styles {
    std::uint16_t pointed = 0;  // the positions' styles after the line
    std::uint16_t whole = 0;
    std::uint16_t point_slots = 0;  // word slots written with a point
    std::uint16_t whole_slots = 0;  // word slots whose value is made of numbers without a point
    std::uint16_t mixed = 0;        // axes whose position would be made of both

    // Only tests compare whole styles; the branches are the compiler's, one per member.
    bool operator==(const line_styles&) const = default;  // GCOVR_EXCL_BR_LINE
};

// The styles after a line whose axis words move their axes (`incremental`:
// by their values; otherwise to them, or set them).
line_styles move_styles(const scanned_line& scan, const word_masks& masks,
                        const position_styles& before, bool incremental);

// The styles of a converted cycle line's values: the plane axes move, R
// becomes the R level (the initial level's style and R's), the normal axis's
// word the bottom (the R level's and its own), and after the line the normal
// axis stands at `level` (the initial level's or the R level's style).
// `initial`, `r` and `depth` are the styles of the initial level and of the
// R and depth words in force.
line_styles cycle_styles(const scanned_line& scan, const word_masks& masks,
                         const position_styles& before, int normal_axis, std::uint8_t initial,
                         std::uint8_t r, std::uint8_t depth, std::uint8_t level);

// The value a word means: a number without a point counts least increments
// where the machine reads it so (--integers increments). Throws
// `increments_unit_unknown`, naming `line_number`, where the unit is unknown.
exact_number word_value(const line_word& word, const machine_state& machine,
                        std::uint64_t line_number);

// Why a line's numbers cannot be written while their reading is unknown:
// a position of both styles, or a number without a point that
// --decimal-point would write with one (`rewritten`: the line is).
enum class numbers_refusal : std::uint8_t { none, mixed, point };
numbers_refusal refused_numbers(const machine_state& machine, const line_styles& styles,
                                bool rewritten);

}  // namespace g91to90
