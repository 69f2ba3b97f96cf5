// What the converter knows of the machine while it reads the program.
#pragma once

namespace g91to90 {

enum class distance_mode { absolute, incremental };

struct axis_position {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

struct machine_state {
    axis_position position;
    distance_mode mode = distance_mode::absolute;
};

// Moves the axis named by `letter` ("X", "Y" or "Z") by a word's value: to
// it in absolute mode, by it in incremental mode. Returns the new coordinate.
inline double move_axis(machine_state& machine, char letter, double value) {
    double& axis = letter == 'X'   ? machine.position.x
                   : letter == 'Y' ? machine.position.y
                                   : machine.position.z;
    axis = machine.mode == distance_mode::incremental ? axis + value : value;
    return axis;
}

}  // namespace g91to90
