#include "body_pass.hpp"

#include <tuple>

#include "apply_plan.hpp"
#include "line_plan.hpp"
#include "line_write.hpp"
#include "stop.hpp"

namespace g91to90 {

namespace {

// Whether a line means the same in both machines: planned alike, each
// incremental word and a cycle's levels from the same known positions.
bool means_the_same(const line_plan& a, const line_plan& b, const scanned_line& scan,
                    const machine_state& running, const machine_state& skipping) {
    if (a.form != b.form || a.words != b.words || a.mode != b.mode || a.styled != b.styled ||
        scan.more_words != 0) {
        return false;
    }
    std::uint16_t needed = a.mode == distance_mode::incremental ? scan.axes : 0;
    if (a.words == axis_effect::cycle_holes) {
        const cycle_series& x = running.series;
        const cycle_series& y = skipping.series;
        if (running.cycle != skipping.cycle || running.cycle_code != skipping.cycle_code ||
            running.retract != skipping.retract || x.incremental != y.incremental ||
            x.initial != y.initial || x.r != y.r || x.depth != y.depth) {
            return false;
        }
        needed |= XYZ_AXES;
    }
    for (int axis = 0; axis < AXIS_COUNT; ++axis) {
        const auto bit = axis_bit(axis);
        if ((needed & bit) != 0 && ((running.known & skipping.known & bit) == 0 ||
                                    running.position[static_cast<std::size_t>(axis)] !=
                                        skipping.position[static_cast<std::size_t>(axis)])) {
            return false;
        }
    }
    return true;
}

}  // namespace

void follow_skipped(const padded_line& line, std::uint64_t line_number, const scanned_line& scan,
                    const machine_state& machine, skipped_blocks& skipped, word_targets& targets) {
    machine_state& skipping = *skipped.machine;
    if (!scan.holds_program()) {
        return;  // a comment, a "%": the same wherever it stands
    }
    const line_plan running = plan_line(scan, machine, line_number);
    if (running.stops) {
        return;  // the line stops where the optional lines ran too
    }
    const line_plan plan = plan_line(scan, skipping, line_number);
    if (plan.stops || !means_the_same(running, plan, scan, machine, skipping)) {
        conversion_stop stop(stop_reason::optional_differs, {}, line_number);
        stop.since_line = skipped.first_line;
        throw stop;
    }
    apply_before_words(plan, skipping);
    if (!apply_words(plan, scan, skipping, line_number, targets)) {
        throw conversion_stop(stop_reason::number_out_of_range, {}, line_number);
    }
    if (plan.styled) {
        take_styles(line, plan, scan, skipping, line_number);
    }
    apply_after_words(plan, skipping);
}

bool machines_alike(const machine_state& a, const machine_state& b) {
    const auto state = [](const machine_state& m) {
        return std::tie(m.known, m.mode, m.plane, m.unit, m.cycle, m.cycle_code, m.retract,
                        m.modal_call, m.coordinate_system, m.standing, m.tool_length, m.feed_mode,
                        m.call_level, m.pointed_axes, m.whole_axes);
    };
    if (state(a) != state(b)) {
        return false;
    }
    for (int axis = 0; axis < AXIS_COUNT; ++axis) {
        if ((a.known & axis_bit(axis)) != 0 && a.position[static_cast<std::size_t>(axis)] !=
                                                   b.position[static_cast<std::size_t>(axis)]) {
            return false;
        }
    }
    return a.cycle == cycle_state::off ||
           (a.series.initial == b.series.initial && a.series.r == b.series.r &&
            a.series.depth == b.series.depth);
}

void convert_line(const padded_line& line, std::uint64_t line_number, scanned_line& scan,
                  word_targets& targets, line_writer& out, machine_state& machine,
                  const unit_formats& formats, toolpath* path, const start_source* start) {
    line_plan plan = plan_line(scan, machine, line_number);
    if (needs_late_start(plan, machine)) [[unlikely]] {
        take_late_start(machine, start != nullptr ? *start : start_source{}, out, line_number);
        plan = plan_line(scan, machine, line_number);
    }
    if (path != nullptr) [[unlikely]] {
        path->numbers(line, scan, plan, line_number);
    }
    if (plan.stops) {
        throw describe_stop(plan, line, scan, machine, line_number);
    }
    apply_before_words(plan, machine);
    if (plan.form == write_form::rewrite) {
        // A value out of range stops the run before its line is written.
        const auto apply_batch = [&] {
            if (!apply_words(plan, scan, machine, line_number, targets)) {
                throw conversion_stop(stop_reason::number_out_of_range, {}, line_number);
            }
        };
        if (plan.styled) [[unlikely]] {
            take_styles(line, plan, scan, machine, line_number);
        }
        apply_batch();
        const number_format& line_format = formats.under(machine.unit);
        if (plan.words == axis_effect::cycle_holes) {
            write_cycle_line(line, scan, plan, targets, out, line_format);
            for (std::uint32_t hole = 1;; ++hole) {
                if (path != nullptr) {
                    path->hole(machine, plan);
                }
                if (hole == plan.holes) {
                    break;
                }
                if (!apply_next_hole(plan, scan, machine, line_number, targets)) {
                    throw conversion_stop(stop_reason::number_out_of_range, {}, line_number);
                }
                write_hole_line(line, scan, plan, targets, hole + 1 == plan.holes, out,
                                line_format);
            }
            apply_after_words(plan, machine);
            if (path != nullptr) {
                path->line(scan, plan, machine);
            }
            return;
        }
        line_rewriter rewriter;
        if (!rewriter.write_whole(line, scan, plan, targets, out, line_format)) {
            for (;;) {
                rewriter.write_batch(line, scan, plan, targets, out, line_format);
                if (scan.more_words == 0) {
                    break;
                }
                scan_more_words(line, scan);
                apply_batch();
            }
            rewriter.finish(line, scan, out);
        }
    } else {
        write_line_start(scan, plan, out);
        if (plan.styled) [[unlikely]] {
            take_styles(line, plan, scan, machine, line_number);
        }
        for (;;) {
            // The line is copied: any value will do.
            (void)apply_words(plan, scan, machine, line_number, targets);
            if (scan.more_words == 0) {
                break;
            }
            scan_more_words(line, scan);
        }
        write_unchanged_line(line, scan, plan, out);
    }
    apply_after_words(plan, machine);
    if (path != nullptr) [[unlikely]] {
        path->line(scan, plan, machine);
    }
}

line_context convert_opening_line(const padded_line& line, std::uint64_t line_number,
                                  scanned_line& scan, word_targets& targets, line_writer& out,
                                  machine_state& machine, const unit_formats& formats,
                                  toolpath* path, const start_source& start) {
    const line_plan preamble = plan_line(scan, machine, line_number, line_context::preamble);
    if (preamble.stops) {
        throw describe_stop(preamble, line, scan, machine, line_number);
    }
    apply_before_words(preamble, machine);
    if (preamble.save) {
        // No line has stated the distance mode yet: M72 restores it unknown.
        machine.saved[static_cast<std::size_t>(machine.call_level)]->modes.mode =
            distance_mode::unknown;
    }
    if (!preamble.opens) {
        out.copy_line(line.text());
        return line_context::preamble;
    }
    if (!scan.holds(kind_bit(code_kind::set_position))) {
        take_given_start(machine, start);
        if (path != nullptr) {
            path->begin(machine);
        }
        convert_line(line, line_number, scan, targets, out, machine, formats, path, &start);
        return line_context::body;
    }
    line_plan plan = plan_line(scan, machine, line_number, line_context::start);
    if (plan.stops) {
        throw describe_stop(plan, line, scan, machine, line_number);
    }
    apply_before_words(plan, machine);
    take_start_from_words(line, line_number, scan, plan, machine, start);
    write_line_start(scan, plan, out);
    write_unchanged_line(line, scan, plan, out);
    apply_after_words(plan, machine);
    if (path != nullptr) {
        path->begin(machine);
        path->numbers(line, scan, line_plan{}, line_number);
    }
    return line_context::body;
}

}  // namespace g91to90
