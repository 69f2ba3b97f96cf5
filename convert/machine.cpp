#include "machine.hpp"

namespace g91to90 {

void apply_unit_and_plane(const scanned_line& scan, machine_state& machine) {
    if (scan.plane != 0) {
        machine.plane = scan.plane;
    }
    if (scan.unit == 0) {
        return;
    }
    if (machine.unit != 0 && scan.unit != machine.unit) {
        constexpr double MM_PER_INCH = 25.4;
        for (const int axis : {0, 1, 2, 6, 7, 8}) {
            double& value = machine.position[static_cast<std::size_t>(axis)];
            value = scan.unit == 20 ? value / MM_PER_INCH : value * MM_PER_INCH;
        }
    }
    machine.unit = scan.unit;
}

}  // namespace g91to90
