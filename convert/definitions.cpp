#include "definitions.hpp"

#include <string>
#include <utility>

#include "line_plan.hpp"
#include "stop.hpp"

namespace g91to90 {

namespace {

std::string span_text(const padded_line& line, text_span span) {
    return std::string(line.text().substr(span.begin, span.end - span.begin));
}

}  // namespace

void program_layout::begin(inside kind, std::string name, std::uint64_t line_number) {
    inside_ = kind;
    name_ = std::move(name);
    first_line_ = line_number;
    mode_ = distance_mode::unknown;
    if (first_definition_ == 0 && kind != inside::candidate) {
        first_definition_ = line_number;
    }
}

void program_layout::read_definition_line(const scanned_line& scan) {
    // The mode a definition's line sets holds for its later lines.
    if (scan.holds(kind_bit(code_kind::incremental))) {
        mode_ = distance_mode::incremental;
    } else if (scan.holds(kind_bit(code_kind::absolute))) {
        mode_ = distance_mode::absolute;
    }
    // Its axis words mean one thing in the input and another in the output
    // when they are read in the caller's mode (which the output changes) or
    // in incremental mode.
    if ((scan.axes | scan.computed_axes) != 0 && mode_ != distance_mode::absolute) {
        throw conversion_stop(stop_reason::incremental_definition, name_, first_line_);
    }
}

line_place program_layout::place_candidate(const padded_line& line, const scanned_line& scan,
                                           const machine_state& machine,
                                           std::uint64_t line_number) {
    refuse_unreadable_line(line, scan, machine, line_number);
    held_bytes_ += line.size();
    if (held_bytes_ > MOST_HELD_BYTES) {
        throw conversion_stop(stop_reason::block_too_long, name_, first_line_);
    }
    if (scan.holds(kind_bit(code_kind::program_end))) {
        // A program of its own: it ends as a program does.
        inside_ = inside::main_program;
        held_.push_back({std::string(line.text()), line_number});
        return line_place::new_program;
    }
    if (scan.has(SUBPROGRAM_RETURN)) {
        // A definition: it returns. Its lines are read as a definition's.
        check_held_definition();
        return line_place::definition;
    }
    held_.push_back({std::string(line.text()), line_number});
    return line_place::held;
}

void program_layout::check_held_definition() {
    inside_ = inside::main_program;  // the block ends here: at its M99, or with the input
    mode_ = distance_mode::unknown;
    if (first_definition_ == 0) {
        first_definition_ = first_line_;
    }
    scanned_line scan;
    for (const held_line& held : held_) {
        const std::string text = held.text + std::string(LINE_PADDING, '\0');
        scan_line(padded_line::assume_padded(std::string_view(text.data(), held.text.size())),
                  scan);
        read_definition_line(scan);
    }
}

std::vector<held_line> program_layout::end_held() {
    if (inside_ == inside::candidate) {
        check_held_definition();  // a block that ended with the input: a definition
    }
    return take_held();
}

line_place program_layout::place_other(const padded_line& line, const scanned_line& scan,
                                       const machine_state& machine, std::uint64_t line_number) {
    switch (inside_) {
        case inside::linuxcnc_sub:
            refuse_unreadable_line(line, scan, machine, line_number);
            if (scan.o_word == o_word_line::endsub && span_text(line, scan.o_name) == sub_name_) {
                inside_ = inside::main_program;
                return line_place::definition;
            }
            break;
        case inside::candidate:
            return place_candidate(line, scan, machine, line_number);
        case inside::main_program:
            if (optional_end_ != 0 && scan.holds_program()) {
                throw conversion_stop(stop_reason::optional_end, {}, optional_end_);
            }
            if (scan.o_word == o_word_line::sub) {
                refuse_unreadable_line(line, scan, machine, line_number);
                sub_name_ = span_text(line, scan.o_name);
                begin(inside::linuxcnc_sub, "o" + sub_name_, line_number);
                return line_place::definition;
            }
            if (main_ended_ && scan.program_number()) {
                refuse_unreadable_line(line, scan, machine, line_number);
                // The name's letter put in front in place: `"O" + name` makes
                // g++ 12 warn of an overlap that cannot happen (GCC bug 105651).
                std::string name = span_text(line, scan.o_name);
                name.insert(0, 1, 'O');
                begin(inside::candidate, std::move(name), line_number);
                held_bytes_ = line.size();
                held_.push_back({std::string(line.text()), line_number});
                return line_place::held;
            }
            if (scan.holds(kind_bit(code_kind::program_end))) {
                if (scan.block_delete) {
                    optional_end_ = line_number;  // more of the program may run after it
                } else {
                    main_ended_ = true;
                }
            }
            return line_place::main_program;
    }
    read_definition_line(scan);
    return line_place::definition;
}

}  // namespace g91to90
