#include "code_table.hpp"

#include <charconv>
#include <utility>

namespace g91to90 {

namespace {

struct code_entry {
    int tenths;
    code_kind kind;
};

// Every modelled G code, by its value in tenths.
constexpr code_entry G_CODES[] = {
    {0, code_kind::motion},
    {10, code_kind::motion},
    {20, code_kind::motion},
    {30, code_kind::motion},
    {40, code_kind::dwell},
    {70, code_kind::transform},  // diameter mode
    {80, code_kind::transform},  // radius mode
    {90, code_kind::motion},     // exact stop, this line only
    {100, code_kind::offset_named},
    {150, code_kind::transform_end},  // polar coordinates off
    {160, code_kind::transform},      // polar coordinates on
    {170, code_kind::plane},
    {180, code_kind::plane},
    {190, code_kind::plane},
    {200, code_kind::units},
    {210, code_kind::units},
    {280, code_kind::return_home},
    {300, code_kind::return_home},
    {310, code_kind::probe},
    {382, code_kind::probe},
    {383, code_kind::probe},
    {384, code_kind::probe},
    {385, code_kind::probe},
    {400, code_kind::mode},
    {410, code_kind::mode},
    {411, code_kind::mode},
    {420, code_kind::mode},
    {421, code_kind::mode},
    {430, code_kind::tool_length},
    {431, code_kind::tool_length_axes},
    {432, code_kind::tool_length_axes},
    {440, code_kind::tool_length},
    {490, code_kind::tool_length},
    {500, code_kind::transform_end},  // scaling off
    {501, code_kind::transform},      // mirror off (axes named only)
    {510, code_kind::transform},      // scaling
    {511, code_kind::transform},      // mirror
    {520, code_kind::offset_named},
    {530, code_kind::machine_coordinates},
    {540, code_kind::coordinate_system},
    {541, code_kind::coordinate_system},
    {550, code_kind::coordinate_system},
    {560, code_kind::coordinate_system},
    {570, code_kind::coordinate_system},
    {580, code_kind::coordinate_system},
    {590, code_kind::coordinate_system},
    {591, code_kind::coordinate_system},
    {592, code_kind::coordinate_system},
    {593, code_kind::coordinate_system},
    {610, code_kind::mode},
    {611, code_kind::mode},
    {640, code_kind::mode},
    {650, code_kind::call},
    {660, code_kind::modal_call},
    {661, code_kind::modal_call},
    {670, code_kind::modal_call_end},
    {680, code_kind::transform},  // rotation
    {681, code_kind::transform},
    {682, code_kind::transform},
    {683, code_kind::transform},
    {684, code_kind::transform},
    {690, code_kind::transform_end},  // rotation off
    {730, code_kind::cycle},
    {740, code_kind::cycle},
    {760, code_kind::cycle},
    {800, code_kind::cycle_cancel},
    {810, code_kind::cycle},
    {820, code_kind::cycle},
    {830, code_kind::cycle},
    {840, code_kind::cycle},
    {850, code_kind::cycle},
    {860, code_kind::cycle},
    {870, code_kind::cycle},
    {880, code_kind::cycle},
    {890, code_kind::cycle},
    {900, code_kind::absolute},
    {901, code_kind::mode},
    {910, code_kind::incremental},
    {911, code_kind::mode},
    {920, code_kind::set_position},
    {921, code_kind::offset_all},
    {922, code_kind::offset_all},
    {923, code_kind::offset_all},
    {930, code_kind::mode},
    {940, code_kind::mode},
    {950, code_kind::mode},
    {960, code_kind::mode},
    {970, code_kind::mode},
    {980, code_kind::mode},
    {990, code_kind::mode},
};

// Every M code with a rule of its own; any other is a machine function, or
// firmware data on a line with axis words.
constexpr code_entry M_CODES[] = {
    {20, code_kind::program_end}, {300, code_kind::program_end},   {700, code_kind::save_state},
    {730, code_kind::save_state}, {720, code_kind::restore_state}, {970, code_kind::jump},
    {980, code_kind::call},       {990, code_kind::flow},          {1980, code_kind::call},
};
// M codes that are machine functions whatever the line holds: M0-M9, M19,
// M48-M53, M60, M71.
constexpr int MACHINE_FUNCTIONS[] = {0,   10,  20,  30,  40,  50,  60,  70,  80, 90,
                                     190, 480, 490, 500, 510, 520, 530, 600, 710};

template <std::size_t N>
constexpr std::array<code_kind, CODE_LIMIT> lookup(const code_entry (&entries)[N],
                                                   code_kind otherwise) {
    std::array<code_kind, CODE_LIMIT> table{};
    table.fill(otherwise);
    for (const code_entry& entry : entries) {
        table[static_cast<std::size_t>(entry.tenths)] = entry.kind;
    }
    return table;
}

}  // namespace

constexpr std::array<code_kind, CODE_LIMIT> G_KINDS = lookup(G_CODES, code_kind::other_g);
constexpr std::array<code_kind, CODE_LIMIT> M_KINDS = [] {
    std::array<code_kind, CODE_LIMIT> table = lookup(M_CODES, code_kind::firmware);
    for (const int tenths : MACHINE_FUNCTIONS) {
        if (table[static_cast<std::size_t>(tenths)] == code_kind::firmware) {
            table[static_cast<std::size_t>(tenths)] = code_kind::machine_function;
        }
    }
    return table;
}();

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

}  // namespace

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
