// Motion line rewriting: one line into its absolute form.
#pragma once

#include <string_view>

#include "line_io.hpp"
#include "machine.hpp"

namespace g91to90 {

// Writes `line` with its first "G91" turned into "G90", every X, Y and Z word
// outside comments carrying its absolute coordinate, and every I, J, K and R
// word outside comments in the converter's number format. Updates the
// distance mode and the position.
void rewrite_motion_line(std::string_view line, line_writer& out, machine_state& machine);

}  // namespace g91to90
