#include "apply_plan.hpp"

#include "stop.hpp"

namespace g91to90 {

void apply_other_before_words(const line_plan& plan, machine_state& machine) {
    if (plan.save) {
        save_state(machine);
    }
    if (plan.restore) {
        restore_state(machine, loss_at(plan.why.line, "M72"));
    }
    if (plan.plane != 0) {
        set_plane(machine, plan.plane);
    }
    if (plan.unit != 0) {
        set_units(machine, plan.unit, loss_at(plan.why.line, plan.unit == 20 ? "G20" : "G21"));
    }
    set_mode(machine, plan.mode);
    if (plan.select_system != 0) {
        select_system(machine, plan.select_system);
    }
    forget(machine, plan.forget_before, plan.why);
}

bool apply_other_words(const line_plan& plan, scanned_line& scan, machine_state& machine) {
    bool in_range = true;
    for (line_word& word : scan.words) {
        if (word.slot < AXIS_COUNT && plan.words == axis_effect::set) {
            set_axis(machine, word.slot, word.value);
        } else if (word.slot < AXIS_COUNT && plan.words == axis_effect::shift) {
            shift(machine, word.slot, word.value);
        }
        in_range = in_range && word.target.in_range();
    }
    return in_range;
}

void apply_other_after_words(const line_plan& plan, machine_state& machine) {
    forget(machine, plan.forget_after, plan.why);
    if (plan.incremental_move) {
        note_incremental_move(machine);
    }
    if (plan.cycle == state_change::start) {
        set_cycle(machine, cycle_state::on, plan.cycle_code);
    } else if (plan.cycle == state_change::end) {
        set_cycle(machine, cycle_state::off, 0);
    }
    if (plan.modal_call != state_change::keep) {
        set_modal_call(machine, plan.modal_call == state_change::start);
    }
    for (int slot = 0; (plan.transforms_begin | plan.transforms_end) != 0 && slot < TRANSFORM_SLOTS;
         ++slot) {
        if ((plan.transforms_end >> slot & 1U) != 0) {
            end_transform(machine, static_cast<transform_slot>(slot));
        }
        if ((plan.transforms_begin >> slot & 1U) != 0) {
            begin_transform(machine, static_cast<transform_slot>(slot),
                            plan.transform_code[static_cast<std::size_t>(slot)], plan.why.line);
        }
    }
    if (plan.program_end) {
        end_program(machine);
    }
    if (plan.jump) {
        note_jump(machine, plan.why);
    }
    if (plan.forget_state) {
        forget_state(machine, plan.why);
    }
}

}  // namespace g91to90
