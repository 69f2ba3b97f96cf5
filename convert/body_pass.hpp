// The body pass: every line after the preamble, planned, applied and written.
#pragma once

#include <cstdint>

#include "call_levels.hpp"
#include "definitions.hpp"
#include "line_io.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "number_output.hpp"
#include "start_position.hpp"
#include "toolpath.hpp"

namespace g91to90 {

// One line of the body, already scanned: its plan, applied to the machine,
// then written. Throws the plan's stop, naming `line_number`, when the line
// cannot be converted. `path`, when given, follows the line's moves.
// Where no start position was given, `start` gives the one asked for where
// a move first needs it.
void convert_line(const padded_line& line, std::uint64_t line_number, scanned_line& scan,
                  line_writer& out, machine_state& machine, const number_format& format,
                  toolpath* path = nullptr, const start_source* start = nullptr);

// Converts or copies every remaining line of the input. `Source` gives lines
// as `line_reader` does.
// The lines of subprogram definitions (`layout`) are copied as they stand.
template <typename Source>
void convert_body(Source& in, line_writer& out, scanned_line& scan, machine_state& machine,
                  program_layout& layout, const number_format& format, toolpath* path = nullptr,
                  const start_source* start = nullptr) {
    padded_line line;
    while (in.next(line)) {
        follow_call_levels(in, out, machine);
        scan_line(line, scan);
        if (layout.place(line, scan, machine, in.line_number()) == line_place::definition)
            [[unlikely]] {
            machine.definitions_seen = true;
            out.copy_line(line.text());
            continue;
        }
        convert_line(line, in.line_number(), scan, out, machine, format, path, start);
    }
    follow_call_levels(in, out, machine);
}

}  // namespace g91to90
