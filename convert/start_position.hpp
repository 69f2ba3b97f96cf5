// Start position: where the tool stands before the first converted line.
#pragma once

#include "line_model.hpp"

namespace g91to90 {

// From a mode line holding "G92": the position it states, absolute mode, and
// the line written unchanged. Otherwise the position is asked for on the
// console and the mode line waits, unwritten, for the body pass.
void establish_start_position(conversion_context& context);

}  // namespace g91to90
