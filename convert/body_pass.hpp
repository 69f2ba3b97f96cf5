// The body pass: every line after the preamble, planned, applied and written.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "call_levels.hpp"
#include "definitions.hpp"
#include "line_io.hpp"
#include "line_plan.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "number_output.hpp"
#include "start_position.hpp"
#include "stop.hpp"
#include "toolpath.hpp"

namespace g91to90 {

// One line of the body, already scanned: its plan, applied to the machine
// (`targets` receives what is written for its words), then written. Throws
// the plan's stop, naming `line_number`, when the line cannot be converted.
// `path`, when given, follows the line's moves. Where no start position was
// given, `start` gives the one asked for where a move first needs it.
void convert_line(const padded_line& line, std::uint64_t line_number, scanned_line& scan,
                  word_targets& targets, line_writer& out, machine_state& machine,
                  const unit_formats& formats, toolpath* path = nullptr,
                  const start_source* start = nullptr);

// Converts or copies every remaining line of the input. `Source` gives lines
// as `line_reader` does.
// Optional blocks (block delete, "/") run or not as the operator sets the
// switch. An optional line is converted where it runs; `skipped` keeps the
// machine where it does not, while the two differ. Every other line must
// then mean the same for both: its plan the same, and each incremental word
// from the same known position; else the run stops (`optional_differs`,
// naming the line and the first optional line since they differ). Where the
// two machines are alike again, the run goes on as one.
struct skipped_blocks {
    std::optional<machine_state> machine;
    std::uint64_t first_line = 0;
};

// Follows a line that is no optional one in the machine where the optional
// lines did not run: planned and applied there, nothing written.
void follow_skipped(const padded_line& line, std::uint64_t line_number, const scanned_line& scan,
                    const machine_state& machine, skipped_blocks& skipped, word_targets& targets);
// Whether the two machines have come to stand alike.
bool machines_alike(const machine_state& a, const machine_state& b);

// A line before the body: planned in the preamble, copied, or, for the
// mode line, planned and applied as the start (a G92 line, written
// unchanged), or converted as the body's first line from the given start.
// Returns where the next line stands.
[[gnu::cold]] line_context convert_opening_line(const padded_line& line, std::uint64_t line_number,
                                                scanned_line& scan, word_targets& targets,
                                                line_writer& out, machine_state& machine,
                                                const unit_formats& formats, toolpath* path,
                                                const start_source& start);

// The one pass over a program's lines: each planned where it stands (the
// preamble, the start, the body), applied to the machine and written. The
// lines of subprogram definitions (`layout`) are copied as they stand.
// Throws `no_mode_line` when the input ends before the mode line
// (`subroutine_file` when it held definitions). Returns true where a
// program of its own follows the main program in the file: its first lines
// are the layout's held ones.
template <typename Source>
bool convert_lines(Source& in, line_writer& out, scanned_line& scan, machine_state& machine,
                   program_layout& layout, const number_format& format, toolpath* path,
                   const start_source& start) {
    padded_line line;
    word_targets targets;
    const unit_formats formats(format);
    // The lines before the body, to the mode line.
    for (line_context context = line_context::preamble; context != line_context::body;) {
        const bool read = in.next(line);
        follow_call_levels(in, out, machine);
        if (!read) {
            if (layout.first_definition() != 0) {
                throw conversion_stop(stop_reason::subroutine_file, {}, layout.first_definition());
            }
            throw conversion_stop(stop_reason::no_mode_line);
        }
        scan_line(line, scan);
        // A program that ends before its mode line leaves the blocks after
        // its end as the body does: held back, then written as definitions
        // or run as programs of their own (they were written here too, and
        // then run again).
        const line_place place = layout.place(line, scan, machine, in.line_number());
        if (place == line_place::new_program) [[unlikely]] {
            return true;
        }
        if (place == line_place::definition) {
            for (const held_line& held : layout.take_held()) {
                out.copy_line(held.text);
            }
            out.copy_line(line.text());
            continue;
        }
        if (place == line_place::held) {
            continue;
        }
        context = convert_opening_line(line, in.line_number(), scan, targets, out, machine, formats,
                                       path, start);
    }
    // The body.
    skipped_blocks skipped;
    while (in.next(line)) {
        follow_call_levels(in, out, machine);
        scan_line(line, scan);
        const std::uint64_t number = in.line_number();
        const line_place place = layout.place(line, scan, machine, number);
        if (scan.block_delete || skipped.machine) [[unlikely]] {
            if (place == line_place::main_program && scan.block_delete) {
                if (!skipped.machine) {
                    skipped.machine = machine;
                    skipped.first_line = number;
                }
            } else if (place == line_place::main_program) {
                follow_skipped(line, number, scan, machine, skipped, targets);
                convert_line(line, number, scan, targets, out, machine, formats, path, &start);
                if (machines_alike(machine, *skipped.machine)) {
                    skipped.machine.reset();
                }
                continue;
            }
        }
        if (place != line_place::main_program) [[unlikely]] {
            if (place == line_place::new_program) {
                return true;
            }
            if (place == line_place::definition) {
                for (const held_line& held : layout.take_held()) {
                    out.copy_line(held.text);
                }
                out.copy_line(line.text());
            }
            continue;
        }
        convert_line(line, number, scan, targets, out, machine, formats, path, &start);
    }
    follow_call_levels(in, out, machine);
    for (const held_line& held : layout.end_held()) {
        out.copy_line(held.text);  // a definition that ends with the input
    }
    return false;
}

// A source that gives lines held back again, then its own.
template <typename Source>
class replaying_source {
  public:
    explicit replaying_source(Source& in) : in_(&in) {}

    void replay(std::vector<held_line> lines) {
        queued_ = std::move(lines);
        next_ = 0;
    }
    bool next(padded_line& line) {
        if (next_ < queued_.size()) {
            current_ = std::move(queued_[next_].text);
            number_ = queued_[next_].number;
            ++next_;
            const std::size_t size = current_.size();
            current_.append(LINE_PADDING, '\0');
            line = padded_line::assume_padded(std::string_view(current_.data(), size));
            return true;
        }
        number_ = 0;
        return in_->next(line);
    }
    std::uint64_t line_number() const { return number_ != 0 ? number_ : in_->line_number(); }
    int call_level() const requires requires(const Source& source) { source.call_level(); }
    { return in_->call_level(); }

  private:
    Source* in_;
    std::vector<held_line> queued_;
    std::size_t next_ = 0;
    std::string current_;
    std::uint64_t number_ = 0;  // of the line given again; 0 for the source's own
};

}  // namespace g91to90
