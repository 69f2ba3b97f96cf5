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

std::string_view style_source::text() const {
    return {word.data(),
            static_cast<std::size_t>(std::find(word.begin(), word.end(), '\0') - word.begin())};
}

style_source style_source_at(std::uint64_t line, std::string_view word) {
    style_source source;
    source.line = line;
    std::copy_n(word.begin(), std::min(word.size(), source.word.size() - 1), source.word.begin());
    return source;
}

void set_plane(machine_state& machine, work_plane plane) {
    machine.plane = plane;
}

void set_units(machine_state& machine, length_unit unit, const loss& why) {
    if (unit == machine.unit) {
        return;
    }
    if (machine.unit != length_unit::unknown && unit != length_unit::unknown) {
        std::uint16_t unread = 0;
        for (int axis = 0; axis < AXIS_COUNT; ++axis) {
            if ((LINEAR_AXES & axis_bit(axis)) != 0) {
                exact_number& value = machine.position[static_cast<std::size_t>(axis)];
                value = unit == length_unit::inch ? millimetres_to_inches(value)
                                                  : inches_to_millimetres(value);
                if ((machine.whole_axes & axis_bit(axis)) != 0 &&
                    machine.reading == integer_reading::unknown) {
                    unread |= axis_bit(axis);  // so many units, or so many increments?
                }
            }
        }
        forget(machine, unread, why);
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
        loss& lost = machine.lost[static_cast<std::size_t>(axis)];
        // An axis unknown since the start is lost again: a start typed in
        // later no longer gives its position.
        const bool since_start = lost.line == 0 && lost.text().empty();
        if ((axes & axis_bit(axis)) != 0 &&
            ((machine.known & axis_bit(axis)) != 0 || since_start)) {
            lost = why;
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
    machine.plane = work_plane::unknown;
    machine.unit = length_unit::unknown;
    machine.coordinate_system = 0;
    if (machine.cycle != cycle_state::maybe) {
        machine.cycle_unsure = why;
    }
    machine.cycle = cycle_state::maybe;
    machine.retract = retract_level::unknown;
}

void start_at(machine_state& machine, const std::array<exact_number, AXIS_COUNT>& position,
              std::uint16_t known, const loss& why) {
    machine.position = position;
    machine.known = ALL_AXES;
    forget(machine, static_cast<std::uint16_t>(ALL_AXES & ~known), why);
}

modal_state current_modes(const machine_state& machine) {
    return {machine.mode,
            machine.plane,
            machine.unit,
            machine.feed_mode,
            machine.coordinate_system,
            machine.retract,
            machine.tool_length,
            machine.tool_length_changes,
            (machine.standing & (1U << DIAMETER_SLOT)) != 0};
}

void save_state(machine_state& machine, bool autorestore, std::uint64_t line) {
    machine.saved[static_cast<std::size_t>(machine.call_level)] =
        saved_modes{current_modes(machine), autorestore, ++machine.save_events, line};
}

void restore_modes(machine_state& machine, const modal_state& modes, const loss& why) {
    if (modes.mode == distance_mode::unknown && machine.mode != distance_mode::unknown) {
        machine.mode_lost = why;
    }
    machine.mode = modes.mode;
    machine.plane = modes.plane;
    set_units(machine, modes.unit, why);
    machine.feed_mode = modes.feed_mode;
    if (modes.coordinate_system != machine.coordinate_system || modes.coordinate_system <= 0) {
        forget(machine, ALL_AXES, why);  // every position changes with the system
    }
    machine.coordinate_system = modes.coordinate_system;
    machine.retract = modes.retract;
    if (modes.tool_length_changes != machine.tool_length_changes) {
        forget(machine, Z_AXIS, why);
    }
    machine.tool_length = modes.tool_length;
    const bool diameter = (machine.standing & (1U << DIAMETER_SLOT)) != 0;
    if (modes.diameter && !diameter) {
        begin_transform(machine, DIAMETER_SLOT, transform_code(DIAMETER_SLOT, true), why.line);
    } else if (!modes.diameter && diameter) {
        end_transform(machine, DIAMETER_SLOT);
    }
}

void restore_state(machine_state& machine, const loss& why) {
    if (const saved_modes* saved = saved_here(machine)) {
        restore_modes(machine, saved->modes, why);
    }
}

void enter_call(machine_state& machine) {
    ++machine.call_level;
    machine.saved[static_cast<std::size_t>(machine.call_level)].reset();
}

std::optional<saved_modes> leave_call(machine_state& machine) {
    std::optional<saved_modes>& saved = machine.saved[static_cast<std::size_t>(machine.call_level)];
    std::optional<saved_modes> restored;
    if (saved && saved->autorestore) {
        restored = saved;
    }
    saved.reset();
    --machine.call_level;
    return restored;
}

void set_feed_mode(machine_state& machine, int tenths) {
    machine.feed_mode = tenths;
}

void set_tool_length(machine_state& machine, int tenths) {
    machine.tool_length = tenths;
    ++machine.tool_length_changes;
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

void begin_series(machine_state& machine, bool incremental, exact_number initial,
                  std::uint8_t initial_style) {
    machine.series = {incremental, initial, std::nullopt, std::nullopt, initial_style, 0, 0};
}

void keep_cycle_words(machine_state& machine, const std::optional<exact_number>& r,
                      const std::optional<exact_number>& depth, std::uint8_t r_style,
                      std::uint8_t depth_style) {
    if (r) {
        machine.series.r = r;
        machine.series.r_style = r_style;
    }
    if (depth) {
        machine.series.depth = depth;
        machine.series.depth_style = depth_style;
    }
}

void keep_cycle_word(kept_cycle_word& word, std::uint64_t line, bool incremental) {
    word = {line, incremental};
}

void set_retract(machine_state& machine, retract_level level) {
    machine.retract = level;
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
