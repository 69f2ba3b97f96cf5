#include "call_levels.hpp"

#include <optional>
#include <string>

#include "call_expansion.hpp"
#include "line_plan.hpp"

namespace g91to90 {

static_assert(MOST_NESTED_CALLS < CALL_LEVELS, "a level for the main program and each nested call");

void enter_called_program(machine_state& machine) {
    enter_call(machine);
}

void return_from_called_program(line_writer& out, machine_state& machine) {
    const std::optional<saved_modes> saved = leave_call(machine);
    if (!saved) {
        return;
    }
    const std::string codes = restoring_codes(current_modes(machine), *saved);
    if (!codes.empty()) {
        out.write(codes);
        out.newline();
    }
    restore_modes(machine, saved->modes, loss_at(saved->line, "M73"));
}

}  // namespace g91to90
