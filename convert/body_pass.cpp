#include "body_pass.hpp"

#include "apply_plan.hpp"
#include "line_plan.hpp"
#include "line_write.hpp"
#include "stop.hpp"

namespace g91to90 {

void convert_line(const padded_line& line, std::uint64_t line_number, scanned_line& scan,
                  line_writer& out, machine_state& machine, const number_format& format,
                  toolpath* path, const start_source* start) {
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
            if (!apply_words(plan, scan, machine, line_number)) {
                throw conversion_stop(stop_reason::number_out_of_range, {}, line_number);
            }
        };
        if (plan.styled) [[unlikely]] {
            take_styles(line, plan, scan, machine, line_number);
        }
        apply_batch();
        const number_format line_format = format.under(machine.unit);
        if (plan.words == axis_effect::cycle_holes) {
            write_cycle_line(line, scan, plan, out, line_format);
            for (std::uint32_t hole = 1;; ++hole) {
                if (path != nullptr) {
                    path->hole(machine, plan);
                }
                if (hole == plan.holes) {
                    break;
                }
                if (!apply_next_hole(plan, scan, machine, line_number)) {
                    throw conversion_stop(stop_reason::number_out_of_range, {}, line_number);
                }
                write_hole_line(line, scan, plan, hole + 1 == plan.holes, out, line_format);
            }
            apply_after_words(plan, machine);
            if (path != nullptr) {
                path->line(scan, plan, machine);
            }
            return;
        }
        line_rewriter rewriter;
        if (!rewriter.write_whole(line, scan, plan, out, line_format)) {
            for (;;) {
                rewriter.write_batch(line, scan, plan, out, line_format);
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
            (void)apply_words(plan, scan, machine, line_number);
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

}  // namespace g91to90
