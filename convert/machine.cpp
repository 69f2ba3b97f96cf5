#include "machine.hpp"

namespace g91to90 {

namespace {

// A, B and C are angles: a change of unit leaves them.
constexpr std::string_view LINEAR_AXES = "XYZUVW";

}  // namespace

void apply_unit_and_plane(const scanned_line& scan, machine_state& machine) {
    if (scan.plane != 0) {
        machine.plane = scan.plane;
    }
    if (scan.unit == 0) {
        return;
    }
    if (machine.unit != 0 && scan.unit != machine.unit) {
        constexpr double MM_PER_INCH = 25.4;
        for (std::size_t axis = 0; axis < AXIS_LETTERS.size(); ++axis) {
            if (LINEAR_AXES.find(AXIS_LETTERS[axis]) != std::string_view::npos) {
                double& value = machine.position[axis];
                value = scan.unit == 20 ? value / MM_PER_INCH : value * MM_PER_INCH;
            }
        }
    }
    machine.unit = scan.unit;
}

}  // namespace g91to90
