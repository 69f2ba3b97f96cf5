#include "convert.hpp"

#include "body_pass.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "preamble.hpp"

namespace g91to90 {

void convert_program(line_reader& in, line_writer& out, const start_source& start,
                     const number_format& format) {
    machine_state machine;
    scanned_line scan;
    const padded_line mode_line = copy_preamble(in, out, scan, machine);
    const std::uint64_t mode_line_number = in.line_number();
    if (establish_start_position(mode_line, mode_line_number, scan, out, start, machine)) {
        convert_line(mode_line, mode_line_number, scan, out, machine, format);
    }
    convert_body(in, out, scan, machine, format);
}

}  // namespace g91to90
