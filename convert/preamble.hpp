// The preamble pass: copies the lines before the mode line.
#pragma once

#include "line_io.hpp"
#include "line_scan.hpp"
#include "machine.hpp"

namespace g91to90 {

// The mode line: the first line whose code part holds G90, G91 or G92.
bool is_mode_line(const scanned_line& scan);

// Copies the preamble to the output, following the units, plane and
// coordinate system it selects, and returns the mode line, unwritten and
// scanned into `scan`; it holds until the reader's next line. Throws
// `no_mode_line` when the input ends first and `misplaced_mode_line` when an
// X, Y or Z word stands where the mode line was expected.
padded_line copy_preamble(line_reader& in, line_writer& out, scanned_line& scan,
                          machine_state& machine);

// Follows the units, plane and coordinate system a line before the start
// selects: the start position is taken in them.
void take_preamble_state(const scanned_line& scan, machine_state& machine);

}  // namespace g91to90
