#include "preamble.hpp"

namespace g91to90 {

bool holds_misplaced_axis_word(const scanned_line& scan) {
    constexpr kind_set SPARING =
        kinds(code_kind::return_home, code_kind::machine_coordinates, code_kind::coordinate_system);
    return (scan.axes & XYZ_AXES) != 0 && !scan.holds(SPARING);
}

char misplaced_axis(const scanned_line& scan) {
    for (const line_word& word : scan.words) {
        if (word.slot < 3) {
            return AXIS_LETTERS[word.slot];
        }
    }
    return 'X';
}

bool is_mode_line(const scanned_line& scan) {
    return scan.holds(kinds(code_kind::absolute, code_kind::incremental, code_kind::set_position));
}

void take_preamble_state(const scanned_line& scan, machine_state& machine) {
    if (scan.plane != work_plane::unknown) {
        set_plane(machine, scan.plane);
    }
    if (scan.unit != length_unit::unknown) {
        set_units(machine, scan.unit, {});  // every position is still 0
    }
    for (const code_word& code : scan.codes) {
        if (code.kind() == code_kind::coordinate_system) {
            select_system(machine, code.info->has(ONE_OF_MANY_SYSTEMS) ? -1 : code.tenths);
        }
    }
}

}  // namespace g91to90
