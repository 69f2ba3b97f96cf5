// The body pass: every line after the preamble, converted or copied.
#pragma once

#include <optional>
#include <string_view>

#include "line_io.hpp"
#include "machine.hpp"

namespace g91to90 {

enum class line_class { motion, pass };

// A motion line names G90, G91 or an axis letter, holds no exempt code and
// does not begin with a comment; every other line is a pass line.
line_class classify_line(std::string_view line);

// Follows the X, Y and Z words of a coordinate-system line (comments
// included) in the current mode. Writes nothing.
void track_coordinate_line(std::string_view line, machine_state& machine);

// Converts or copies every remaining line: `pending` first, when the mode
// line waits for conversion, then the input's lines.
void convert_body(line_reader& in, line_writer& out, machine_state& machine,
                  std::optional<std::string_view> pending);

}  // namespace g91to90
