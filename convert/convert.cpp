#include "convert.hpp"

#include "body_pass.hpp"
#include "machine.hpp"
#include "preamble.hpp"

namespace g91to90 {

void convert_program(line_reader& in, line_writer& out, const ask_function& ask) {
    machine_state machine;
    const std::string_view mode_line = copy_preamble(in, out);
    const bool pending = establish_start_position(mode_line, out, ask, machine);
    convert_body(in, out, machine, pending ? std::optional(mode_line) : std::nullopt);
}

}  // namespace g91to90
