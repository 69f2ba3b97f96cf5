#include "apply_plan.hpp"

#include <array>
#include <optional>
#include <string>

#include "number_output.hpp"

#include "stop.hpp"

namespace g91to90 {

namespace {

// A converted cycle line: each plane axis moves to the first hole, R and the
// normal axis's word become the R level and the bottom, measured from the
// series' initial level; the K word (a repeat count) keeps its value.
bool apply_cycle_words(const line_plan& plan, const scanned_line& scan, machine_state& machine,
                       std::uint64_t line_number, word_targets& targets) {
    const int normal = plan.normal_axis;
    if (plan.series_start) {
        begin_series(machine, true, machine.position[static_cast<std::size_t>(normal)],
                     static_cast<std::uint8_t>(plan.cycle_word_styles & 3U));
    }
    std::optional<exact_number> r;
    std::optional<exact_number> depth;
    for (const line_word& word : scan.words) {
        if (word.slot == R_SLOT) {
            r = word_value(word, machine, line_number);
        } else if (word.slot == normal) {
            depth = word_value(word, machine, line_number);
        }
    }
    keep_cycle_words(machine, r, depth, static_cast<std::uint8_t>(plan.cycle_word_styles >> 2 & 3U),
                     static_cast<std::uint8_t>(plan.cycle_word_styles >> 4 & 3U));
    const exact_number r_level = machine.series.initial + *machine.series.r;
    const exact_number bottom = r_level + *machine.series.depth;
    bool in_range = r_level.in_range() && bottom.in_range();
    for (std::size_t i = 0; i < scan.words.size(); ++i) {
        const line_word& word = scan.words[i];
        if (word.slot == R_SLOT) {
            targets[i] = r_level;
        } else if (word.slot == normal) {
            targets[i] = bottom;
        } else if (word.slot < AXIS_COUNT) {
            targets[i] = move(machine, word.slot, word_value(word, machine, line_number));
        } else {
            targets[i] = word_value(word, machine, line_number);
        }
        in_range = in_range && targets[i].in_range();
    }
    return in_range;
}

}  // namespace

bool apply_next_hole(const line_plan& plan, const scanned_line& scan, machine_state& machine,
                     std::uint64_t line_number, word_targets& targets) {
    bool in_range = true;
    for (std::size_t i = 0; i < scan.words.size(); ++i) {
        const line_word& word = scan.words[i];
        if (word.slot < AXIS_COUNT && word.slot != plan.normal_axis) {
            targets[i] = move(machine, word.slot, word_value(word, machine, line_number));
            in_range = in_range && targets[i].in_range();
        }
    }
    return in_range;
}

void take_styles(const padded_line& line, const line_plan& plan, const scanned_line& scan,
                 machine_state& machine, std::uint64_t line_number) {
    const position_styles before = styles_of(machine);
    if (!machine.styles_followed) {
        // The positions reached so far are made of numbers with a point.
        for (std::size_t axis = 0; axis < AXIS_COUNT; ++axis) {
            if ((before.pointed >> axis & 1U) != 0) {
                std::array<char, WORD_CAPACITY> text{};
                const char* end = write_number_word(text.data(), AXIS_LETTERS[axis],
                                                    machine.position[axis], 0, true);
                machine.pointed_from[axis] = style_source_at(
                    0, std::string_view(text.data(), static_cast<std::size_t>(end - text.data())));
            }
        }
    }
    const auto gained_pointed = static_cast<std::uint16_t>(plan.styles.pointed & ~before.pointed);
    const auto gained_whole = static_cast<std::uint16_t>(plan.styles.whole & ~before.whole);
    for (const line_word& word : scan.words) {
        if (word.slot >= AXIS_COUNT || ((gained_pointed | gained_whole) >> word.slot & 1U) == 0) {
            continue;
        }
        const style_source source =
            style_source_at(line_number, line.text().substr(word.begin, word.end - word.begin));
        if ((gained_pointed >> word.slot & 1U) != 0) {
            machine.pointed_from[word.slot] = source;
        }
        if ((gained_whole >> word.slot & 1U) != 0) {
            machine.whole_from[word.slot] = source;
        }
    }
    set_styles(machine, plan.styles.pointed, plan.styles.whole);
}

void apply_other_before_words(const line_plan& plan, machine_state& machine) {
    if (plan.save) {
        save_state(machine, plan.autorestore, plan.why.line);
    }
    if (plan.restore) {
        restore_state(machine, loss_at(plan.why.line, "M72"));
    }
    if (plan.plane != work_plane::unknown) {
        set_plane(machine, plan.plane);
    }
    if (plan.unit != length_unit::unknown) {
        std::array<char, 12> name{};
        set_units(machine, plan.unit,
                  loss_at(plan.why.line, code_name('G', unit_code(plan.unit), name)));
    }
    set_mode(machine, plan.mode);
    if (plan.select_system != 0) {
        select_system(machine, plan.select_system);
    }
    if (plan.feed_mode != 0) {
        set_feed_mode(machine, plan.feed_mode);
    }
    if (plan.tool_length != 0) {
        set_tool_length(machine, plan.tool_length);
    }
    forget(machine, plan.forget_before, plan.why);
    if (plan.retract != retract_level::unknown) {
        set_retract(machine, plan.retract);
    }
    if (plan.series_start && plan.words != axis_effect::cycle_holes) {
        begin_series(machine, false, {});  // an absolute series: no line of it is converted
    }
}

bool apply_other_words(const line_plan& plan, const scanned_line& scan, machine_state& machine,
                       std::uint64_t line_number, word_targets& targets) {
    if (plan.words == axis_effect::cycle_holes) {
        return apply_cycle_words(plan, scan, machine, line_number, targets);
    }
    bool in_range = true;
    const bool rewritten = plan.form == write_form::rewrite;
    for (std::size_t i = 0; i < scan.words.size(); ++i) {
        const line_word& word = scan.words[i];
        exact_number& target = targets[i];
        const bool axis = word.slot < AXIS_COUNT;
        if (axis ? plan.words != axis_effect::move && plan.words != axis_effect::set &&
                       plan.words != axis_effect::shift
                 : !rewritten) {
            continue;  // a word whose value nothing reads
        }
        const exact_number value = word_value(word, machine, line_number);
        if (!axis) {
            target = value;
        } else if (plan.words == axis_effect::move) {
            target = move(machine, word.slot, value);
        } else if (plan.words == axis_effect::set) {
            set_axis(machine, word.slot, value);
            target = value;
        } else {
            shift(machine, word.slot, value);
            target = value;  // the line is written unchanged
        }
        in_range = in_range && target.in_range();
    }
    return in_range;
}

void apply_other_after_words(const line_plan& plan, machine_state& machine) {
    forget(machine, plan.forget_after, plan.why);
    const bool incremental = plan.mode == distance_mode::incremental;
    if ((plan.gives_cycle_words & CYCLE_R_WORD) != 0) {
        keep_cycle_word(machine.kept_r, plan.why.line, incremental);
    }
    if ((plan.gives_cycle_words & CYCLE_DEPTH_WORD) != 0) {
        keep_cycle_word(machine.kept_depth, plan.why.line, incremental);
    }
    if (plan.words == axis_effect::cycle_holes && machine.retract != retract_level::unknown) {
        // After the last hole: back to the initial level or the R level.
        const cycle_series& series = machine.series;
        set_axis(machine, plan.normal_axis,
                 machine.retract == retract_level::initial ? series.initial
                                                           : series.initial + *series.r);
    }
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
