// The preamble pass: copies the lines before the mode line.
#pragma once

#include "line_model.hpp"

namespace g91to90 {

// The mode line: holds G90, G91 or G92 and does not begin with a comment.
bool is_mode_line(std::string_view line);

// Copies the preamble to the output and leaves the mode line, unwritten, in
// the line buffer. Throws when the input ends first or an axis word stands
// where the mode line was expected.
void copy_preamble(conversion_context& context);

}  // namespace g91to90
