#include "number_output.hpp"

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "number_input.hpp"

namespace g91to90 {

namespace {

constexpr std::array<std::uint64_t, 10> POWERS_OF_TEN{
    1, 10, 100, 1'000, 10'000, 100'000, 1'000'000, 10'000'000, 100'000'000, 1'000'000'000};

// `magnitude` (billionths) counted in units of the last of `places` places,
// rounded halves up: one division by a constant for each place count.
std::uint64_t rounded_at(std::uint64_t magnitude, int places) {
    if (places == 3) [[likely]] {  // the default format, and most words
        return (magnitude + 500'000) / 1'000'000;
    }
    switch (places) {
        case 0:
            return (magnitude + 500'000'000) / 1'000'000'000;
        case 1:
            return (magnitude + 50'000'000) / 100'000'000;
        case 2:
            return (magnitude + 5'000'000) / 10'000'000;
        case 4:
            return (magnitude + 50'000) / 100'000;
        case 5:
            return (magnitude + 5'000) / 10'000;
        default:
            return (magnitude + 500) / 1'000;
    }
}

// The digits of `value` (below 10^8) as the bytes of one little-endian word,
// the first digit in the lowest byte, each byte 0-9, leading zeros included:
// split into halves, quarters and single digits in the lanes of one word,
// each division by a multiplication.
//
// A division by 100 of a lane below 10^4 is a multiplication by 5243 and a
// shift by 19 (5243 / 2^19 is 1/100 to within the error those lanes allow);
// a division by 10 of a lane below 100, by 103 and a shift by 10.
constexpr std::uint64_t DIVIDE_BY_100 = 5243;
constexpr int DIVIDE_BY_100_SHIFT = 19;
constexpr std::uint64_t DIVIDE_BY_10 = 103;
constexpr int DIVIDE_BY_10_SHIFT = 10;
constexpr std::uint64_t TWO_QUOTIENT_LANES = 0x0000007F0000007FU;   // quotients below 100
constexpr std::uint64_t FOUR_QUOTIENT_LANES = 0x000F000F000F000FU;  // quotients below 10
constexpr std::uint64_t EIGHT_DIGITS = 100'000'000;
std::uint64_t digit_lanes(std::uint64_t value) {
    const std::uint64_t high = value / 10000;
    std::uint64_t lanes = high | ((value - high * 10000) << 32);  // two 4-digit halves
    const std::uint64_t hundreds =
        ((lanes * DIVIDE_BY_100) >> DIVIDE_BY_100_SHIFT) & TWO_QUOTIENT_LANES;
    lanes = hundreds | ((lanes - hundreds * 100) << 16);  // four 2-digit quarters
    const std::uint64_t tens = ((lanes * DIVIDE_BY_10) >> DIVIDE_BY_10_SHIFT) & FOUR_QUOTIENT_LANES;
    return tens | ((lanes - tens * 10) << 8);  // eight digits
}

// Writes `count` digits of the eight in `lanes` from the digit `first`
// (0 for the first); may write eight bytes.
char* write_digits(char* at, std::uint64_t lanes, std::size_t first, std::size_t count) {
    const std::uint64_t chars = (lanes | ASCII_ZEROS) >> (8 * first);
    std::memcpy(at, &chars, 8);
    return at + count;
}

struct rounded_number {
    bool negative;
    std::uint64_t scaled;  // the magnitude in units of the last place
    int places;
};

// The value rounded at its written places: at least `fewest`, more where the
// value needs them, up to the places of the input words that made it, at most
// MOST_WRITTEN_PLACES. Rounded at the most places first, then trailing zeros
// dropped down to `fewest`: the same digits as rounding at the places kept.
rounded_number round_for_writing(exact_number value, int fewest) {
    rounded_number number{};
    number.negative = value.billionths < 0;
    const std::uint64_t magnitude =
        number.negative ? std::uint64_t{0} - static_cast<std::uint64_t>(value.billionths)
                        : static_cast<std::uint64_t>(value.billionths);
    const int most = std::min<int>(value.places, MOST_WRITTEN_PLACES);
    if (most <= fewest) [[likely]] {
        number.places = fewest;
        number.scaled = rounded_at(magnitude, fewest);
        return number;
    }
    number.places = most;
    number.scaled = rounded_at(magnitude, most);
    while (number.places > fewest && number.scaled % 10 == 0) {
        number.scaled /= 10;
        --number.places;
    }
    return number;
}

// The sign, unless the number is written as zero.
char* write_sign(char* at, const rounded_number& number) {
    *at = '-';
    return at + (number.negative && number.scaled != 0 ? 1 : 0);
}

char* write_rounded_plainly(char* at, char letter, const rounded_number& number, bool point) {
    *at++ = letter;
    at = write_sign(at, number);
    const std::uint64_t unit = POWERS_OF_TEN[static_cast<std::size_t>(number.places)];
    const std::uint64_t whole = number.scaled / unit;
    const std::uint64_t fraction = number.scaled % unit;
    at = std::to_chars(at, at + 20, whole).ptr;
    if (fraction == 0) {
        *at = '.';
        return at + (point ? 1 : 0);
    }
    *at++ = '.';
    std::array<char, 20> fraction_text{};
    const char* const end =
        std::to_chars(fraction_text.data(), fraction_text.data() + fraction_text.size(), fraction)
            .ptr;
    const auto digits = static_cast<std::size_t>(end - fraction_text.data());
    const auto places = static_cast<std::size_t>(number.places);
    std::memset(at, '0', places - digits);
    std::memcpy(at + places - digits, fraction_text.data(), digits);
    return at + places;
}

}  // namespace

char* write_number_word(char* at, char letter, exact_number value, int fewest, bool point) {
    const rounded_number number = round_for_writing(value, fewest);
    if (number.scaled >= EIGHT_DIGITS) [[unlikely]] {
        // Rounded again there: the rounded number is not kept in memory on
        // the common path.
        return write_number_word_plainly(at, letter, value, fewest, point);
    }
    *at++ = letter;
    at = write_sign(at, number);
    // Eight digits hold the whole part and the places: the whole digits
    // without leading zeros (the units digit always), then a point and the
    // places unless the number is whole there.
    const auto places = static_cast<std::size_t>(number.places);
    const std::uint64_t lanes = digit_lanes(number.scaled);
    const std::size_t whole_places = 8 - places;
    const auto leading = static_cast<std::size_t>(
        std::countr_zero(lanes | (std::uint64_t{1} << (8 * (whole_places - 1)))) / 8);
    at = write_digits(at, lanes, leading, whole_places - leading);
    if (places == 0 || lanes >> (8 * whole_places) == 0) {  // whole at the written places
        *at = '.';
        return at + (point ? 1 : 0);
    }
    *at++ = '.';
    return write_digits(at, lanes, whole_places, places);
}

[[gnu::noinline]] char* write_number_word_plainly(char* at, char letter, exact_number value,
                                                  int fewest, bool point) {
    return write_rounded_plainly(at, letter, round_for_writing(value, fewest), point);
}

}  // namespace g91to90
