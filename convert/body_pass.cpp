#include "body_pass.hpp"

#include "line_codes.hpp"
#include "motion_line.hpp"
#include "number_input.hpp"

namespace g91to90 {

namespace {

bool holds_motion_text(std::string_view line) {
    return holds_axis_letter(line) || holds_code(line, "G90") || holds_code(line, "G91");
}

void copy_pass_line(std::string_view line, line_writer& out, machine_state& machine) {
    // A line holding only its newline is dropped, and so is a last line of a
    // single character without one (such as a closing "%").
    if (line.size() >= 2) {
        out.write_line(line);
    }
    if (!holds_coordinate_system_code(line)) {
        return;
    }
    if (holds_code(line, "G91")) {
        machine.mode = distance_mode::incremental;
        if (!has_newline(line)) {
            out.newline();
        }
        out.write("G90");
        out.newline();
    }
    if (holds_code(line, "G90")) {
        machine.mode = distance_mode::absolute;
    }
    track_coordinate_line(line, machine);
}

void convert_line(std::string_view line, line_writer& out, machine_state& machine) {
    if (classify_line(line) == line_class::motion) {
        rewrite_motion_line(line, out, machine);
    } else {
        copy_pass_line(line, out, machine);
    }
}

}  // namespace

line_class classify_line(std::string_view line) {
    const bool motion =
        holds_motion_text(line) && !holds_exempt_code(line) && !begins_with_comment(line);
    return motion ? line_class::motion : line_class::pass;
}

void track_coordinate_line(std::string_view line, machine_state& machine) {
    std::size_t i = 0;
    while (i < line.size() && line[i] != '\n') {
        const char c = line[i];
        if (c != 'X' && c != 'Y' && c != 'Z') {
            ++i;
            continue;
        }
        std::string_view number_text;
        i = read_number_text(line, i + 1, number_text);
        move_axis(machine, c, number_value(number_text));
    }
}

void convert_body(line_reader& in, line_writer& out, machine_state& machine,
                  std::optional<std::string_view> pending) {
    if (pending) {
        convert_line(*pending, out, machine);
    }
    std::string_view line;
    while (in.next(line)) {
        convert_line(line, out, machine);
    }
}

}  // namespace g91to90
