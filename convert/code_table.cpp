#include "code_table.hpp"

#include <charconv>
#include <utility>

namespace g91to90 {

namespace {

struct code_entry {
    int tenths;
    code_kind kind;
    code_group group = NO_GROUP;
};

// Every modelled G code, by its value in tenths.
constexpr code_entry G_CODES[] = {
    {0, code_kind::motion, MOTION_GROUP},
    {10, code_kind::motion, MOTION_GROUP},
    {20, code_kind::motion, MOTION_GROUP},
    {30, code_kind::motion, MOTION_GROUP},
    {40, code_kind::dwell, NO_GROUP},
    {70, code_kind::transform, DIAMETER_GROUP},  // diameter mode
    {80, code_kind::transform, DIAMETER_GROUP},  // radius mode
    {90, code_kind::motion, NO_GROUP},           // exact stop, this line only
    {100, code_kind::offset_named, NO_GROUP},
    {150, code_kind::transform_end, POLAR_GROUP},  // polar coordinates off
    {160, code_kind::transform, POLAR_GROUP},      // polar coordinates on
    {170, code_kind::plane, PLANE_GROUP},
    {180, code_kind::plane, PLANE_GROUP},
    {190, code_kind::plane, PLANE_GROUP},
    {200, code_kind::units, UNITS_GROUP},
    {210, code_kind::units, UNITS_GROUP},
    {280, code_kind::return_home, NO_GROUP},
    {300, code_kind::return_home, NO_GROUP},
    {310, code_kind::probe, NO_GROUP},
    {382, code_kind::probe, NO_GROUP},
    {383, code_kind::probe, NO_GROUP},
    {384, code_kind::probe, NO_GROUP},
    {385, code_kind::probe, NO_GROUP},
    {400, code_kind::mode, CUTTER_GROUP},
    {410, code_kind::mode, CUTTER_GROUP},
    {411, code_kind::mode, CUTTER_GROUP},
    {420, code_kind::mode, CUTTER_GROUP},
    {421, code_kind::mode, CUTTER_GROUP},
    {430, code_kind::tool_length, TOOL_LENGTH_GROUP},
    {431, code_kind::tool_length_axes, TOOL_LENGTH_GROUP},
    {432, code_kind::tool_length_axes, TOOL_LENGTH_GROUP},
    {440, code_kind::tool_length, TOOL_LENGTH_GROUP},
    {490, code_kind::tool_length, TOOL_LENGTH_GROUP},
    {500, code_kind::transform_end, SCALING_GROUP},  // scaling off
    {501, code_kind::transform, MIRROR_GROUP},       // mirror off (axes named only)
    {510, code_kind::transform, SCALING_GROUP},      // scaling
    {511, code_kind::transform, MIRROR_GROUP},       // mirror
    {520, code_kind::offset_named, NO_GROUP},
    {530, code_kind::machine_coordinates, NO_GROUP},
    {540, code_kind::coordinate_system, SYSTEM_GROUP},
    {541, code_kind::coordinate_system, SYSTEM_GROUP},
    {550, code_kind::coordinate_system, SYSTEM_GROUP},
    {560, code_kind::coordinate_system, SYSTEM_GROUP},
    {570, code_kind::coordinate_system, SYSTEM_GROUP},
    {580, code_kind::coordinate_system, SYSTEM_GROUP},
    {590, code_kind::coordinate_system, SYSTEM_GROUP},
    {591, code_kind::coordinate_system, SYSTEM_GROUP},
    {592, code_kind::coordinate_system, SYSTEM_GROUP},
    {593, code_kind::coordinate_system, SYSTEM_GROUP},
    {610, code_kind::mode, PATH_GROUP},
    {611, code_kind::mode, PATH_GROUP},
    {640, code_kind::mode, PATH_GROUP},
    {650, code_kind::call, NO_GROUP},
    {660, code_kind::modal_call, NO_GROUP},
    {661, code_kind::modal_call, NO_GROUP},
    {670, code_kind::modal_call_end, NO_GROUP},
    {680, code_kind::transform, ROTATION_GROUP},  // rotation
    {681, code_kind::transform, ROTATION_GROUP},
    {682, code_kind::transform, ROTATION_GROUP},
    {683, code_kind::transform, ROTATION_GROUP},
    {684, code_kind::transform, ROTATION_GROUP},
    {690, code_kind::transform_end, ROTATION_GROUP},  // rotation off
    {730, code_kind::cycle, MOTION_GROUP},
    {740, code_kind::cycle, MOTION_GROUP},
    {760, code_kind::cycle, MOTION_GROUP},
    {800, code_kind::cycle_cancel, NO_GROUP},
    {810, code_kind::cycle, MOTION_GROUP},
    {820, code_kind::cycle, MOTION_GROUP},
    {830, code_kind::cycle, MOTION_GROUP},
    {840, code_kind::cycle, MOTION_GROUP},
    {850, code_kind::cycle, MOTION_GROUP},
    {860, code_kind::cycle, MOTION_GROUP},
    {870, code_kind::cycle, MOTION_GROUP},
    {880, code_kind::cycle, MOTION_GROUP},
    {890, code_kind::cycle, MOTION_GROUP},
    {900, code_kind::absolute, DISTANCE_GROUP},
    {901, code_kind::mode, ARC_DISTANCE_GROUP},
    {910, code_kind::incremental, DISTANCE_GROUP},
    {911, code_kind::mode, ARC_DISTANCE_GROUP},
    {920, code_kind::set_position, NO_GROUP},
    {921, code_kind::offset_all, NO_GROUP},
    {922, code_kind::offset_all, NO_GROUP},
    {923, code_kind::offset_all, NO_GROUP},
    {930, code_kind::mode, FEED_MODE_GROUP},
    {940, code_kind::mode, FEED_MODE_GROUP},
    {950, code_kind::mode, FEED_MODE_GROUP},
    {960, code_kind::mode, SPINDLE_GROUP},
    {970, code_kind::mode, SPINDLE_GROUP},
    {980, code_kind::mode, RETRACT_GROUP},
    {990, code_kind::mode, RETRACT_GROUP},
};

// Every M code with a rule of its own; any other is a machine function, or
// firmware data on a line with axis words.
constexpr code_entry M_CODES[] = {
    {20, code_kind::program_end}, {60, code_kind::tool_change}, {300, code_kind::program_end},
    {700, code_kind::save_state}, {730, code_kind::save_state}, {720, code_kind::restore_state},
    {970, code_kind::jump},       {980, code_kind::call},       {990, code_kind::flow},
    {1980, code_kind::call},
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
constexpr std::array<code_group, CODE_LIMIT> G_GROUPS = [] {
    std::array<code_group, CODE_LIMIT> table{};
    table.fill(NO_GROUP);
    for (const code_entry& entry : G_CODES) {
        table[static_cast<std::size_t>(entry.tenths)] = entry.group;
    }
    return table;
}();
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
