// Start position: where the tool stands before the first converted line.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "line_io.hpp"
#include "line_scan.hpp"
#include "machine.hpp"

namespace g91to90 {

// Shows a prompt on the console and returns the next blank-delimited token
// typed; throws `console_ended` when there is none.
using ask_function = std::function<std::string(std::string_view prompt)>;

// From a mode line holding G92: the position its words state (an axis it
// does not name, or names by a parameter, is unknown), the line written
// unchanged, the mode its G91 or G90 selects (absolute when neither), and
// after a G91 an added line G90. Otherwise X, Y and Z are asked for and the
// mode line waits, unwritten, for the body pass, which converts it first, in
// incremental mode; returns true in that case.
bool establish_start_position(const padded_line& mode_line, std::uint64_t line_number,
                              scanned_line& scan, line_writer& out, const ask_function& ask,
                              machine_state& machine);

}  // namespace g91to90
