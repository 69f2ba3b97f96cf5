// Motion line rewriting: one line into its absolute form.
#pragma once

#include <string_view>

#include "line_io.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "number_output.hpp"

namespace g91to90 {

// Moves an axis by a word's value: to it in absolute mode, by it in
// incremental mode. The axis is known afterwards. Returns its new coordinate.
inline double move_axis(machine_state& machine, int axis, double value) {
    double& position = machine.position[static_cast<std::size_t>(axis)];
    position = machine.incremental() ? position + value : value;
    machine.known |= axis_bit(axis);
    return position;
}

// Writes `line` with the "1" of its first G91 written "0", every axis word of
// its code part carrying the absolute coordinate in the axis-word format and
// every arc word in the arc-word format, its letter's case kept; all else is
// copied. Moves the axes its words name.
void rewrite_motion_line(std::string_view line, const scanned_line& scan, line_writer& out,
                         machine_state& machine, const number_format& format);

}  // namespace g91to90
