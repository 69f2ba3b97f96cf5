// The preamble pass: copies the lines before the mode line.
#pragma once

#include "call_levels.hpp"
#include "definitions.hpp"
#include "line_io.hpp"
#include "line_plan.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "stop.hpp"

namespace g91to90 {

// The mode line: the first line whose code part holds G90, G91 or G92.
bool is_mode_line(const scanned_line& scan);

// Follows the units, plane and coordinate system a line before the start
// selects: the start position is taken in them.
void take_preamble_state(const scanned_line& scan, machine_state& machine);

// An X, Y or Z word where the mode line was expected suggests the mode line
// is misplaced. A return or a coordinate-system line is spared.
bool holds_misplaced_axis_word(const scanned_line& scan);
// The first of its X, Y and Z words' letters.
char misplaced_axis(const scanned_line& scan);

// Copies the preamble to the output, following the units, plane and
// coordinate system it selects, and returns the mode line, unwritten and
// scanned into `scan`; it holds until the source's next line. Subprogram
// definitions (`layout`) are copied as they stand and hold no mode line.
// Throws `no_mode_line` when the input ends first (`subroutine_file` when it
// held definitions), and `misplaced_mode_line` when an X, Y or Z word stands
// where the mode line was expected. `Source` gives lines as `line_reader`
// does.
template <typename Source>
padded_line copy_preamble(Source& in, line_writer& out, scanned_line& scan, machine_state& machine,
                          program_layout& layout) {
    padded_line line;
    for (;;) {
        const bool read = in.next(line);
        follow_call_levels(in, out, machine);
        if (!read) {
            if (layout.first_definition() != 0) {
                throw conversion_stop(stop_reason::subroutine_file, {}, layout.first_definition());
            }
            throw conversion_stop(stop_reason::no_mode_line);
        }
        scan_line(line, scan);
        if (layout.place(line, scan, machine, in.line_number()) == line_place::definition) {
            machine.definitions_seen = true;
            out.copy_line(line.text());
            continue;
        }
        refuse_unreadable_line(line, scan, machine, in.line_number());
        if (is_mode_line(scan)) {
            return line;
        }
        if (holds_misplaced_axis_word(scan)) {
            throw conversion_stop(stop_reason::misplaced_mode_line,
                                  std::string(1, misplaced_axis(scan)), in.line_number());
        }
        out.copy_line(line.text());
        take_preamble_state(scan, machine);
    }
}

}  // namespace g91to90
