#include "machine.hpp"

#include <algorithm>

namespace g91to90 {

std::string_view loss::text() const {
    return {why.data(),
            static_cast<std::size_t>(std::find(why.begin(), why.end(), '\0') - why.begin())};
}

loss loss_at(std::uint64_t line, std::string_view why) {
    loss result;
    result.line = line;
    std::copy_n(why.begin(), std::min(why.size(), result.why.size() - 1), result.why.begin());
    return result;
}

std::uint16_t plane_normal_axes(int plane) {
    switch (plane) {
        case 17:
            return axis_bit(2);
        case 18:
            return axis_bit(1);
        case 19:
            return axis_bit(0);
        default:
            return XYZ_AXES;
    }
}

void set_plane(machine_state& machine, int plane) {
    machine.plane = plane;
}

void set_units(machine_state& machine, int unit, const loss& why) {
    if (unit == machine.unit) {
        return;
    }
    if (machine.unit != 0 && unit != 0) {
        for (int axis = 0; axis < AXIS_COUNT; ++axis) {
            if ((LINEAR_AXES & axis_bit(axis)) != 0) {
                exact_number& value = machine.position[static_cast<std::size_t>(axis)];
                value = unit == 20 ? millimetres_to_inches(value) : inches_to_millimetres(value);
            }
        }
    } else {
        std::uint16_t not_at_zero = 0;
        for (int axis = 0; axis < AXIS_COUNT; ++axis) {
            if ((LINEAR_AXES & axis_bit(axis)) != 0 &&
                machine.position[static_cast<std::size_t>(axis)].billionths != 0) {
                not_at_zero |= axis_bit(axis);
            }
        }
        forget(machine, not_at_zero, why);
    }
    machine.unit = unit;
}

void set_axis(machine_state& machine, int axis, exact_number value) {
    machine.position[static_cast<std::size_t>(axis)] = value;
    machine.known |= axis_bit(axis);
}

void shift(machine_state& machine, int axis, exact_number value) {
    exact_number& position = machine.position[static_cast<std::size_t>(axis)];
    position = position + value;
}

void forget_some(machine_state& machine, std::uint16_t axes, const loss& why) {
    for (int axis = 0; axis < AXIS_COUNT; ++axis) {
        if ((axes & machine.known & axis_bit(axis)) != 0) {
            machine.lost[static_cast<std::size_t>(axis)] = why;
        }
    }
    machine.known &= static_cast<std::uint16_t>(~axes);
}

void forget_state(machine_state& machine, const loss& why) {
    forget(machine, ALL_AXES, why);
    if (machine.mode != distance_mode::unknown) {
        machine.mode_lost = why;
    }
    machine.mode = distance_mode::unknown;
    machine.plane = 0;
    machine.unit = 0;
    machine.coordinate_system = 0;
    if (machine.cycle != cycle_state::maybe) {
        machine.cycle_unsure = why;
    }
    machine.cycle = cycle_state::maybe;
    machine.retract = 0;
}

void start_at(machine_state& machine, const std::array<exact_number, AXIS_COUNT>& position,
              std::uint16_t known, const loss& why) {
    machine.position = position;
    machine.known = ALL_AXES;
    forget(machine, static_cast<std::uint16_t>(ALL_AXES & ~known), why);
}

void save_state(machine_state& machine) {
    machine.saved = saved_state{machine.mode, machine.plane, machine.unit};
}

void restore_state(machine_state& machine, const loss& why) {
    if (!machine.saved) {
        return;
    }
    if (machine.saved->mode == distance_mode::unknown && machine.mode != distance_mode::unknown) {
        machine.mode_lost = why;
    }
    machine.mode = machine.saved->mode;
    machine.plane = machine.saved->plane;
    set_units(machine, machine.saved->unit, why);
}

void select_system(machine_state& machine, int tenths) {
    machine.coordinate_system = tenths;
}

void begin_transform(machine_state& machine, transform_slot slot, int tenths, std::uint64_t line) {
    machine.transforms[slot] = {line, tenths};
    machine.standing = static_cast<std::uint8_t>(machine.standing | 1U << slot);
}

void end_transform(machine_state& machine, transform_slot slot) {
    machine.transforms[slot] = {};
    machine.standing = static_cast<std::uint8_t>(machine.standing & ~(1U << slot));
}

void begin_series(machine_state& machine, bool incremental, exact_number initial) {
    machine.series = {incremental, initial, std::nullopt, std::nullopt};
}

void keep_cycle_words(machine_state& machine, const std::optional<exact_number>& r,
                      const std::optional<exact_number>& depth) {
    if (r) {
        machine.series.r = r;
    }
    if (depth) {
        machine.series.depth = depth;
    }
}

void set_retract(machine_state& machine, int tenths) {
    machine.retract = tenths;
}

void set_cycle(machine_state& machine, cycle_state state, int tenths) {
    machine.cycle = state;
    if (tenths != 0) {
        machine.cycle_code = tenths;
    }
}

void set_modal_call(machine_state& machine, bool active) {
    machine.modal_call = active;
}

void end_program(machine_state& machine) {
    machine.program_ended = true;
}

void note_jump(machine_state& machine, const loss& where) {
    if (machine.jumped.line == 0) {
        machine.jumped = where;
    }
}

}  // namespace g91to90
