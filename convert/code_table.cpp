#include "code_table.hpp"

#include <charconv>

namespace g91to90 {

namespace {

// The first G code row whose field `field` holds `value`, in tenths.
template <typename Field, typename Value>
int first_g_code(Field field, Value value) {
    for (const code_info& code : G_CODES) {
        if (code.*field == value) {
            return code.tenths;
        }
    }
    return OTHER_CODE;
}

}  // namespace

int plane_code(work_plane plane) {
    return first_g_code(&code_info::plane, plane);
}

int unit_code(length_unit unit) {
    return first_g_code(&code_info::unit, unit);
}

int retract_code(retract_level level) {
    return first_g_code(&code_info::retract, level);
}

int transform_code(transform_slot slot, bool begins) {
    return first_g_code(begins ? &code_info::begins : &code_info::ends, slot);
}

namespace {

constexpr bool every_kind_has_its_row() {
    for (std::size_t i = 0; i < CODE_ROWS.size(); ++i) {
        for (std::size_t j = 0; j < CODE_ROWS.size(); ++j) {
            if (i != j && CODE_ROWS[i].kind == CODE_ROWS[j].kind) {
                return false;
            }
        }
    }
    return true;
}
static_assert(every_kind_has_its_row(), "one row a kind");

// Every cell that stops names the reason it stops with.
constexpr bool every_stop_has_its_reason() {
    for (const code_row& row : CODE_ROWS) {
        if ((row.incremental_form == write_form::stop || row.absolute_form == write_form::stop) &&
            row.stop == stop_reason{}) {
            return false;
        }
    }
    return true;
}
static_assert(every_stop_has_its_reason(), "a stop cell names its reason");

// Every code's row: by value, each value once, within the lookup's range.
template <std::size_t N>
constexpr bool codes_in_order(const code_info (&codes)[N]) {
    for (std::size_t row = 0; row + 1 < N; ++row) {
        if (codes[row].tenths < 0 || codes[row].tenths >= CODE_LIMIT ||
            (row > 0 && codes[row - 1].tenths >= codes[row].tenths)) {
            return false;
        }
    }
    return codes[N - 1].tenths == OTHER_CODE;
}
static_assert(codes_in_order(G_CODES) && codes_in_order(M_CODES),
              "codes by value, each once, any other last");

// The scanner reads a move by its row's motion alone, in the motion group.
constexpr bool moves_in_motion_group() {
    for (const code_info& code : G_CODES) {
        if (code.motion != motion_kind::none && code.group != MOTION_GROUP) {
            return false;
        }
    }
    for (const code_info& code : M_CODES) {
        if (code.motion != motion_kind::none) {
            return false;
        }
    }
    return true;
}
static_assert(moves_in_motion_group(), "moves are G codes of the motion group");

constexpr std::size_t KIND_COUNT = static_cast<std::size_t>(code_kind::count);

// The index in CODE_ROWS of each kind's row.
constexpr std::array<std::uint8_t, KIND_COUNT> rows_of_kinds() {
    std::array<std::uint8_t, KIND_COUNT> rows{};
    for (std::size_t row = 0; row < CODE_ROWS.size(); ++row) {
        rows[static_cast<std::size_t>(CODE_ROWS[row].kind)] = static_cast<std::uint8_t>(row);
    }
    return rows;
}
constexpr std::array<std::uint8_t, KIND_COUNT> ROW_OF_KIND = rows_of_kinds();

}  // namespace

const code_row& row_of(code_kind kind) {
    return CODE_ROWS[ROW_OF_KIND[static_cast<std::size_t>(kind)]];
}

const code_row& governing_row(kind_set held) {
    for (const code_row& row : CODE_ROWS) {
        if ((held & kind_bit(row.kind)) != 0) {
            return row;
        }
    }
    return CODE_ROWS.back();  // the motion row
}

std::uint8_t held_flags(kind_set held) {
    std::uint8_t flags = 0;
    for (const code_row& row : CODE_ROWS) {
        if ((held & kind_bit(row.kind)) != 0) {
            flags = static_cast<std::uint8_t>(flags | row.flags);
        }
    }
    return flags;
}

std::string_view code_name(char letter, int tenths, std::array<char, 12>& text) {
    text[0] = letter;
    if (tenths < 0) {
        text[1] = '?';
        return {text.data(), 2};
    }
    char* end = std::to_chars(text.data() + 1, text.data() + 8, tenths / 10).ptr;
    if (tenths % 10 != 0) {
        *end++ = '.';
        *end++ = static_cast<char>('0' + tenths % 10);
    }
    return {text.data(), static_cast<std::size_t>(end - text.data())};
}

}  // namespace g91to90
