// Call levels of a program whose calls are written out in place
// (--expand-calls): each called program runs at a level of its own, whose
// M70 and M73 saves are its own, and M73's saved modes come back when it
// returns.
#pragma once

#include <cstdint>

#include "line_io.hpp"
#include "machine.hpp"

namespace g91to90 {

// A called program's lines follow (--expand-calls): a call level of its own.
void enter_called_program(machine_state& machine);
// A called program returned: the modes its M73 saved are restored, and the
// codes that restore them written.
void return_from_called_program(line_writer& out, machine_state& machine);

// Follows the call levels of the lines a source gives, when it gives them:
// the called programs above the level of the line just given have returned
// (each call's comment line stands at its caller's level, so that a repeat
// returns before it runs again), and the line runs at its level.
template <typename Source>
void follow_call_levels(Source& in, line_writer& out, machine_state& machine) {
    if constexpr (requires { in.call_level(); }) {
        while (machine.call_level > in.call_level()) {
            return_from_called_program(out, machine);
        }
        while (machine.call_level < in.call_level() && machine.call_level + 1 < CALL_LEVELS) {
            enter_called_program(machine);
        }
    }
}

}  // namespace g91to90
