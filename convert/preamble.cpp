#include "preamble.hpp"

#include "body_pass.hpp"
#include "stop.hpp"

namespace g91to90 {

namespace {

// An X, Y or Z word where the mode line was expected suggests the mode line
// is misplaced. A line holding "(" anywhere, a return or a coordinate-system
// code is spared.
bool holds_misplaced_axis_word(std::string_view line, const scanned_line& scan) {
    constexpr std::uint32_t SPARING_CODES =
        CODE_RETURN | CODE_MACHINE_COORDINATES | CODE_COORDINATE_SYSTEM;
    return (scan.axes & XYZ_AXES) != 0 && !scan.holds(SPARING_CODES) &&
           line.find('(') == std::string_view::npos;
}

std::string_view read_preamble_line(line_reader& in, scanned_line& scan) {
    std::string_view line;
    if (!in.next(line)) {
        throw conversion_stop(stop_reason::no_mode_line);
    }
    scan_line(line, scan);
    return line;
}

}  // namespace

bool is_mode_line(const scanned_line& scan) {
    return scan.holds(CODE_ABSOLUTE | CODE_INCREMENTAL | CODE_SET_ORIGIN);
}

std::string_view copy_preamble(line_reader& in, line_writer& out, scanned_line& scan,
                               machine_state& machine) {
    std::string_view line = read_preamble_line(in, scan);
    while (!is_mode_line(scan)) {
        if (holds_misplaced_axis_word(line, scan)) {
            throw conversion_stop(stop_reason::misplaced_mode_line);
        }
        copy_line(line, out);
        apply_unit_and_plane(scan, machine);
        line = read_preamble_line(in, scan);
    }
    return line;
}

}  // namespace g91to90
