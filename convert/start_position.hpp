// Start position: where the tool stands before the first converted line.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "line_io.hpp"
#include "machine.hpp"

namespace g91to90 {

// Shows a prompt on the console and returns the next blank-delimited token
// typed; throws `console_ended` when there is none.
using ask_function = std::function<std::string(std::string_view prompt)>;

// From a mode line holding "G92": the position it states, absolute mode, and
// the line written unchanged. Otherwise the position is asked for and the
// mode line waits, unwritten, for the body pass, which converts it first in
// incremental mode. Returns true in that second case.
bool establish_start_position(std::string_view mode_line, line_writer& out, const ask_function& ask,
                              machine_state& machine);

}  // namespace g91to90
