// Applying a line's plan to the machine: every change goes through the
// named transitions of machine.hpp, in the order a control makes them.
#pragma once

#include <tuple>

#include "line_plan.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "number_styles.hpp"

namespace g91to90 {

// Before the words: the saved state restored (M72) or saved (M70, M73), the
// plane, units and mode the line selects, another coordinate system.
void apply_other_before_words(const line_plan& plan, machine_state& machine);
inline void apply_before_words(const line_plan& plan, machine_state& machine) {
    if (plan.plain) [[likely]] {
        set_mode(machine, plan.mode);
        return;
    }
    apply_other_before_words(plan, machine);
}

// The batch of axis words in `scan`: each moves, sets or shifts its axis as
// the plan says; `targets` receives what is written for each word. Returns
// whether every target is in range.
bool apply_other_words(const line_plan& plan, const scanned_line& scan, machine_state& machine,
                       std::uint64_t line_number, word_targets& targets);
[[nodiscard]] inline bool apply_words(const line_plan& plan, const scanned_line& scan,
                                      machine_state& machine, std::uint64_t line_number,
                                      word_targets& targets) {
    if (plan.words != axis_effect::move || machine.reading == integer_reading::increments)
        [[unlikely]] {
        return apply_other_words(plan, scan, machine, line_number, targets);
    }
    // The common case: each axis moves, an arc word keeps its value.
    static_assert(WORD_BATCH == std::tuple_size_v<decltype(word_targets::values)>,
                  "a target for every word of a batch");
    bool in_range = true;
    exact_number* target = targets.values.data();
    for (const line_word& word : scan.words) {
        const exact_number value =
            word.slot >= AXIS_COUNT ? word.value : move(machine, word.slot, word.value);
        in_range = in_range && value.in_range();
        *target++ = value;
    }
    return in_range;
}

// The next hole of a converted cycle line: each plane axis moves by its word
// again, its target the hole's position. Returns whether every target is in
// range.
bool apply_next_hole(const line_plan& plan, const scanned_line& scan, machine_state& machine,
                     std::uint64_t line_number, word_targets& targets);

// The positions take the styles of the numbers the line made them of (a
// line whose styles the plan followed, `plan.styled`); for each axis that
// takes a style it did not have, the line's word that gave it is noted, for
// the message of a later stop that adds the other style.
void take_styles(const padded_line& line, const line_plan& plan, const scanned_line& scan,
                 machine_state& machine, std::uint64_t line_number);

// After the words: the axes the line leaves unknown, the cycle, modal call,
// transforms, program end and jumps.
void apply_other_after_words(const line_plan& plan, machine_state& machine);
inline void apply_after_words(const line_plan& plan, machine_state& machine) {
    if (plan.plain) [[likely]] {
        if (plan.incremental_move) {
            note_incremental_move(machine);
        }
        return;
    }
    apply_other_after_words(plan, machine);
}

}  // namespace g91to90
