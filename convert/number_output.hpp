// Number output: how rewritten axis and arc words are written.
#pragma once

#include <cstddef>

#include "line_io.hpp"

namespace g91to90 {

// Three decimals for a fraction of at least 0.0005 in magnitude, none otherwise.
bool choose_decimals(double fraction);

// Both throw `number_out_of_range` for a value that is not finite.
// Writes an X, Y or Z word: a fraction within 0.00001 of a whole unit counts as whole.
void format_axis_word(line_writer& out, char letter, double value);
// Writes an I, J, K or R word: the fraction alone decides the format.
void format_arc_word(line_writer& out, char letter, double value);

// Room for any finite double written with up to three decimals: a sign, the
// 309 digits of the largest double, a point and the decimals, with spare room.
inline constexpr std::size_t FIXED_TEXT_CAPACITY = 336;

// Writes `value` (finite) with `decimals` places (0 or 3): first rounded to 17
// significant digits, halves up in magnitude, then rounded at the last written
// place, halves away from zero. Returns the length written to `out`.
std::size_t format_fixed(double value, int decimals, char* out);
// The same digits by the exact path alone, without the fast path for common
// values; kept so that tests can check that the two always agree.
std::size_t format_fixed_exact(double value, int decimals, char* out);

}  // namespace g91to90
