// The preamble pass: copies the lines before the mode line.
#pragma once

#include <string_view>

#include "line_io.hpp"

namespace g91to90 {

// The mode line: holds G90, G91 or G92 and does not begin with a comment.
bool is_mode_line(std::string_view line);

// Copies the preamble to the output and returns the mode line, unwritten; the
// view holds until the reader's next line. Throws `no_mode_line` when the
// input ends first and `misplaced_mode_line` when an axis word stands where
// the mode line was expected.
std::string_view copy_preamble(line_reader& in, line_writer& out);

}  // namespace g91to90
