#include "preamble.hpp"

#include "stop.hpp"

namespace g91to90 {

namespace {

// An X, Y or Z word where the mode line was expected suggests the mode line
// is misplaced. A return or a coordinate-system line is spared.
bool holds_misplaced_axis_word(const scanned_line& scan) {
    constexpr kind_set SPARING =
        kinds(code_kind::return_home, code_kind::machine_coordinates, code_kind::coordinate_system);
    return (scan.axes & XYZ_AXES) != 0 && !scan.holds(SPARING);
}

padded_line read_preamble_line(line_reader& in, scanned_line& scan) {
    padded_line line;
    if (!in.next(line)) {
        throw conversion_stop(stop_reason::no_mode_line);
    }
    scan_line(line, scan);
    return line;
}

}  // namespace

bool is_mode_line(const scanned_line& scan) {
    return scan.holds(kinds(code_kind::absolute, code_kind::incremental, code_kind::set_position));
}

void take_preamble_state(const scanned_line& scan, machine_state& machine) {
    if (scan.plane != 0) {
        set_plane(machine, scan.plane);
    }
    if (scan.unit != 0) {
        set_units(machine, scan.unit, {});  // every position is still 0
    }
    for (const code_word& code : scan.codes) {
        if (code.kind == code_kind::coordinate_system) {
            select_system(machine, code.tenths == 541 ? -1 : code.tenths);
        }
    }
}

padded_line copy_preamble(line_reader& in, line_writer& out, scanned_line& scan,
                          machine_state& machine) {
    padded_line line = read_preamble_line(in, scan);
    while (!is_mode_line(scan)) {
        if (holds_misplaced_axis_word(scan)) {
            throw conversion_stop(stop_reason::misplaced_mode_line);
        }
        out.copy_line(line.text());
        take_preamble_state(scan, machine);
        line = read_preamble_line(in, scan);
    }
    return line;
}

}  // namespace g91to90
