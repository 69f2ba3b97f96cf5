// Motion line rewriting: one line into its absolute form.
#pragma once

#include "line_model.hpp"

namespace g91to90 {

// Writes the current line with its first "G91" turned into "G90", every X, Y
// and Z word outside comments carrying its absolute coordinate, and every I,
// J, K and R word outside comments in the converter's number format. Updates
// the distance mode and the position.
void rewrite_motion_line(conversion_context& context);

}  // namespace g91to90
