// The axes a line names, the arc words after them, and the planes they lie
// in: what every part of the engine counts by, and so a header of its own.
#pragma once

#include <cstdint>
#include <string_view>

namespace g91to90 {

// Axis words: X, Y, Z, then the rotary A, B, C and the parallel U, V, W.
inline constexpr int AXIS_COUNT = 9;
inline constexpr std::string_view AXIS_LETTERS = "XYZABCUVW";
inline constexpr std::uint16_t ALL_AXES = (1U << AXIS_COUNT) - 1;
inline constexpr std::uint16_t XYZ_AXES = 0b111;
inline constexpr std::uint16_t Z_AXIS = 0b100;
// X, Y, Z, U, V and W: A, B and C are angles, which a change of unit leaves.
inline constexpr std::uint16_t LINEAR_AXES = 0b111'000'111;
inline constexpr std::uint16_t axis_bit(int axis) {
    return static_cast<std::uint16_t>(1U << axis);
}
// Word slots after the axes: the arc words I, J, K and R.
inline constexpr std::uint8_t FIRST_ARC_SLOT = AXIS_COUNT;
inline constexpr std::uint8_t K_SLOT = FIRST_ARC_SLOT + 2;
inline constexpr std::uint8_t R_SLOT = FIRST_ARC_SLOT + 3;

// The plane of arcs and canned cycles.
enum class work_plane : std::uint8_t { unknown, xy, zx, yz };

// The axis normal to a plane: Z for XY, Y for ZX, X for YZ; every one of
// them when the plane is unknown.
inline constexpr std::uint16_t plane_normal_axes(work_plane plane) {
    switch (plane) {
        case work_plane::xy:
            return axis_bit(2);
        case work_plane::zx:
            return axis_bit(1);
        case work_plane::yz:
            return axis_bit(0);
        case work_plane::unknown:
            break;
    }
    return XYZ_AXES;
}

}  // namespace g91to90
