// The picture of a toolpath: an SVG drawing of the XY plane seen from above.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "toolpath.hpp"

namespace g91to90 {

// "-10.000 to 50.000", at 3 places (4 in inches), or "unknown" when the tool
// never stood at a known position of the axis.
std::string extent_text(const extent& range, length_unit unit);

// " mm", " in", or nothing when the unit is unknown.
std::string_view unit_text(length_unit unit);

// Writes the picture: feeds as solid lines, rapids dashed, XY arcs as arcs,
// each hole of a cycle as a circle after its dashed rapid, a move of Z alone
// as a dot, deeper moves in darker colours; above it `title` (the program's name), below it the
// extents and a scale bar. One path element per drawn move.
void write_svg(std::ostream& out, const toolpath& path, std::string_view title);

}  // namespace g91to90
