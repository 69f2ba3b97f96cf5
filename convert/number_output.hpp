// Number output: how rewritten axis and arc words are written.
#pragma once

#include <cstddef>

#include "line_io.hpp"

namespace g91to90 {

// How rewritten words are written.
struct number_format {
    // The places of a word written with decimals: 3, or 4 for inch programs.
    int decimals = 3;
    // A point after a word written without decimals ("X10." for "X10"), for
    // controls that read a number without one in their smallest increments.
    bool decimal_point = false;
};

// Decimals (`places` of them, 3 or 4) for a fraction of at least half a unit
// of the last place (0.0005 or 0.00005) in magnitude, none otherwise.
bool choose_decimals(double fraction, int places);

// Room for any finite double written with up to four decimals: a sign, the
// 309 digits of the largest double, a point and the decimals, with spare room.
inline constexpr std::size_t FIXED_TEXT_CAPACITY = 336;
// Room for a rewritten word: its letter, its number and a trailing point.
inline constexpr std::size_t WORD_CAPACITY = FIXED_TEXT_CAPACITY + 1;

// All four throw `number_out_of_range` for a value that is not finite.
// An axis word: a fraction within 0.00001 of a whole unit counts as whole.
void format_axis_word(line_writer& out, char letter, double value, const number_format& format);
// An I, J, K or R word: the fraction alone decides the format.
void format_arc_word(line_writer& out, char letter, double value, const number_format& format);
// The same words written at `at`, which holds WORD_CAPACITY bytes (those past
// the word may change); return the word's end.
char* write_axis_word(char* at, char letter, double value, const number_format& format);
char* write_arc_word(char* at, char letter, double value, const number_format& format);

// Writes `value` (finite) with `decimals` places (0, 3 or 4): first rounded to 17
// significant digits, halves up in magnitude, then rounded at the last written
// place, halves away from zero. Returns the length written to `out`, which
// holds FIXED_TEXT_CAPACITY bytes (those past the length may change).
std::size_t format_fixed(double value, int decimals, char* out);
// The same digits by the exact path alone, without the fast path for common
// values; kept so that tests can check that the two always agree.
std::size_t format_fixed_exact(double value, int decimals, char* out);

}  // namespace g91to90
