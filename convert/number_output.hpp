// Number output: how rewritten axis and arc words are written.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "exact_number.hpp"

namespace g91to90 {

// The most places a word is written with.
inline constexpr int MOST_WRITTEN_PLACES = 6;

// How rewritten words are written.
struct number_format {
    // The fewest places of a word written with decimals (--decimals, 3 to
    // 6); 0 for the default: 3, or 4 under G20 (inch).
    int decimals = 0;
    // A point after every word written without decimals ("X10." for "X10"),
    // for controls that read a number without one in their smallest
    // increments.
    bool decimal_point = false;
    // How the control reads a number written without a point.
    integer_reading integers = integer_reading::unknown;
    // The least increment in billionths, under a known unit.
    std::int64_t increment = 0;

    // The format under `unit`: its decimals and increment set.
    number_format under(length_unit unit) const {
        return {decimals != 0               ? decimals
                : unit == length_unit::inch ? 4
                                            : 3,
                decimal_point, integers, least_increment(unit)};
    }
};

// A format under each unit, made once: a line's is one look.
class unit_formats {
  public:
    explicit unit_formats(const number_format& format)
        : formats_{format.under(length_unit::unknown), format.under(length_unit::inch),
                   format.under(length_unit::millimetre)} {}
    const number_format& under(length_unit unit) const {
        return formats_[static_cast<std::size_t>(unit)];
    }

  private:
    std::array<number_format, 3> formats_;
};

// Room for a rewritten word: its letter, a sign, nine whole digits, a point,
// six places, and eight bytes that the writer may fill past the word.
inline constexpr std::size_t WORD_CAPACITY = 32;

// Writes a word at `at` (WORD_CAPACITY bytes; those past the word may
// change): its letter, then `value` (in range) rounded at its written places,
// halves away from zero. The written places are at least `fewest`, more
// where the value rounded at the most places needs them (up to the places of
// the input words that made it, at most MOST_WRITTEN_PLACES). A value that is whole there is
// written without places, with a point when `point`; a zero has no sign. Returns the word's end.
char* write_number_word(char* at, char letter, exact_number value, int fewest, bool point);

// The same number by plain arithmetic alone, without the fast path for
// common values; kept so that tests can check that the two always agree.
char* write_number_word_plainly(char* at, char letter, exact_number value, int fewest, bool point);

}  // namespace g91to90
