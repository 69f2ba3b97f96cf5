// The body pass: every line after the preamble, converted or copied.
#pragma once

#include "line_model.hpp"

namespace g91to90 {

enum class line_class { motion, pass };

// A motion line names G90, G91 or an axis letter, holds no exempt code and
// does not begin with a comment; every other line is a pass line.
line_class classify_line(std::string_view line);

// Follows the X, Y and Z words of a coordinate-system line (comments
// included) in the current mode. Writes nothing.
void track_coordinate_line(conversion_context& context);

// Converts or copies every remaining line, the waiting mode line first.
void convert_body(conversion_context& context);

// The three passes in their order: preamble, start position, body.
void convert_program(conversion_context& context);

}  // namespace g91to90
