#include "convert.hpp"

#include "body_pass.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "preamble.hpp"

namespace g91to90 {

void convert_program(line_reader& in, line_writer& out, const start_source& start,
                     const number_format& format, toolpath* path) {
    machine_state machine;
    scanned_line scan;
    const padded_line mode_line = copy_preamble(in, out, scan, machine);
    const std::uint64_t mode_line_number = in.line_number();
    const bool mode_line_waits =
        establish_start_position(mode_line, mode_line_number, scan, out, start, machine);
    if (path != nullptr) {
        path->begin(machine);
    }
    if (mode_line_waits) {
        convert_line(mode_line, mode_line_number, scan, out, machine, format, path);
    }
    convert_body(in, out, scan, machine, format, path);
}

}  // namespace g91to90
