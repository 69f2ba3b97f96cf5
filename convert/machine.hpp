// What the converter knows of the machine while it reads the program.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "line_scan.hpp"

namespace g91to90 {

enum class distance_mode { absolute, incremental };

struct machine_state {
    // The tracked position of each axis (X, Y, Z, A, B, C, U, V, W). An axis
    // whose bit in `known` is clear stands where the converter cannot tell
    // (after a return to the reference point, say); it keeps its last
    // tracked value.
    std::array<double, AXIS_COUNT> position{};
    std::uint16_t known = XYZ_AXES;
    distance_mode mode = distance_mode::absolute;
    int plane = 17;  // G17, G18 or G19
    int unit = 0;    // G20 or G21 once one is set
    bool cycle_active = false;
    bool modal_call_active = false;  // G66 until G67
    std::optional<distance_mode> saved_mode;

    bool incremental() const { return mode == distance_mode::incremental; }
};

// Sets the unit and the plane a line selects. Switching the unit converts
// the tracked linear axes (X, Y, Z, U, V, W) to it; A, B and C are angles.
void apply_unit_and_plane(const scanned_line& scan, machine_state& machine);

}  // namespace g91to90
