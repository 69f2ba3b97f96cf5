// The preamble pass: copies the lines before the mode line.
#pragma once

#include <string_view>

#include "line_io.hpp"
#include "line_scan.hpp"
#include "machine.hpp"

namespace g91to90 {

// The mode line: the first line whose code part holds G90, G91 or G92.
bool is_mode_line(const scanned_line& scan);

// Copies the preamble to the output, following the unit and plane it sets,
// and returns the mode line, unwritten and scanned into `scan`; the view
// holds until the reader's next line. Throws `no_mode_line` when the input
// ends first and `misplaced_mode_line` when an X, Y or Z word stands where
// the mode line was expected.
std::string_view copy_preamble(line_reader& in, line_writer& out, scanned_line& scan,
                               machine_state& machine);

}  // namespace g91to90
