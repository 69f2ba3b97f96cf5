// Exact numbers: a word's value kept as a whole count of billionths, so that
// the sum of any incremental words is exact and is written digit for digit.
// Magnitudes of a billion units and more are out of range: the run stops
// where such a value would be written or reached.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>

#include "g91to90/g91to90.hpp"

namespace g91to90 {

// The places an exact number keeps: a word with more is rounded to odd at the
// ninth (see `exact_value`), which the writing at six places at most cannot
// tell from the word itself.
inline constexpr int EXACT_PLACES = 9;
inline constexpr std::int64_t BILLION = 1'000'000'000;
// The first magnitude out of range, in billionths: 10^9 units.
inline constexpr std::int64_t EXACT_LIMIT = BILLION * BILLION;
// Out of range: far beyond every value in range, so that a sum of two values,
// each in range or out of range, never overflows and is out of range exactly
// when its magnitude reaches the limit.
inline constexpr std::int64_t OUT_OF_RANGE = 4 * EXACT_LIMIT;
static_assert(2 * OUT_OF_RANGE < std::numeric_limits<std::int64_t>::max(),
              "no sum of two values overflows");

struct exact_number {
    std::int64_t billionths = 0;
    // The most places of the input words that made the value (at most
    // EXACT_PLACES): those of the word that set it, and of every word added
    // to it since.
    std::uint8_t places = 0;

    bool in_range() const { return billionths != OUT_OF_RANGE; }
    bool operator==(const exact_number&) const = default;
};

inline constexpr exact_number OUT_OF_RANGE_NUMBER{OUT_OF_RANGE, 0};

// A value in range, or OUT_OF_RANGE_NUMBER for a magnitude from the limit on.
inline exact_number checked(std::int64_t billionths, int places) {
    // One comparison: the magnitude below the limit.
    if (static_cast<std::uint64_t>(billionths + (EXACT_LIMIT - 1)) >= 2 * EXACT_LIMIT - 1) {
        return OUT_OF_RANGE_NUMBER;
    }
    return {billionths, static_cast<std::uint8_t>(places)};
}

inline exact_number operator+(exact_number a, exact_number b) {
    return checked(a.billionths + b.billionths, std::max(a.places, b.places));
}

// A whole count of units (a test's or a start's value).
inline exact_number whole_units(std::int64_t units) {
    return units <= -BILLION || units >= BILLION ? OUT_OF_RANGE_NUMBER
                                                 : exact_number{units * BILLION, 0};
}

// A length in inches in millimetres (times 25.4, exact to one more place) and
// back (rounded to odd at the ninth place).
exact_number inches_to_millimetres(exact_number inches);
exact_number millimetres_to_inches(exact_number millimetres);

// The value of a number text as a start value is typed: an optional sign,
// digits with at most one point, then optionally an exponent written with E,
// e, D or d. The text must be such a number (`is_number_token`).
exact_number exact_value(std::string_view text);

// The unit of lengths, once a program selects one.
enum class length_unit : std::uint8_t { unknown, inch, millimetre };

// The least increment of a unit in billionths; 0 when unknown.
inline constexpr std::int64_t least_increment(length_unit unit) {
    return unit == length_unit::millimetre ? 1'000'000 : unit == length_unit::inch ? 100'000 : 0;
}

// A number written without a point, read as a count of `increment`
// billionths: its value in millimetres or inches, with the places the
// increment has.
inline exact_number counted_increments(exact_number written, std::int64_t increment) {
    return checked(written.billionths / BILLION * increment, increment == 100'000 ? 4 : 3);
}

// The value of a plain number: `digits` (below 10^14) with `decimals` (at
// most 7) of them after the point, and so fewer than eight whole digits:
// always in range.
inline exact_number exact_of_digits(std::uint64_t digits, std::size_t decimals, bool negative) {
    constexpr std::array<std::int64_t, 8> SCALES{BILLION, 100'000'000, 10'000'000, 1'000'000,
                                                 100'000, 10'000,      1'000,      100};
    const auto magnitude = static_cast<std::int64_t>(digits) * SCALES[decimals];
    return {negative ? -magnitude : magnitude, static_cast<std::uint8_t>(decimals)};
}

}  // namespace g91to90
