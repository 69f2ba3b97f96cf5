#include "body_pass.hpp"

#include "motion_line.hpp"
#include "preamble.hpp"
#include "start_position.hpp"

namespace g91to90 {

namespace {

bool holds_motion_text(std::string_view line) {
    return contains_char(line, 'X') || contains_char(line, 'Y') || contains_char(line, 'Z') ||
           contains_code(line, "G90") || contains_code(line, "G91");
}

void copy_pass_line(conversion_context& context) {
    const std::string_view line = context.line_buffer;
    if (line_length(line) >= 2) {
        write_line(context, line);
    }
    if (!contains_any(line, COORDINATE_SYSTEM_CODES)) {
        return;
    }
    if (contains_code(line, "G91")) {
        context.mode = MODE_INCREMENTAL;
        if (!has_newline(line)) {
            write_newline(context);
        }
        write_bytes(context, "G90");
        write_newline(context);
    }
    if (contains_code(line, "G90")) {
        context.mode = MODE_ABSOLUTE;
    }
    track_coordinate_line(context);
}

// The next line to handle: the waiting mode line on the first step, then
// the input's lines. False at the end of the input.
bool next_body_line(conversion_context& context) {
    if (context.mode == MODE_START_PENDING) {
        context.mode = MODE_INCREMENTAL;
        return true;
    }
    return !context.input.end_of_file && read_line(context);
}

}  // namespace

line_class classify_line(std::string_view line) {
    const bool motion =
        holds_motion_text(line) && !contains_any(line, EXEMPT_CODES) && !begins_with_comment(line);
    return motion ? line_class::motion : line_class::pass;
}

void track_coordinate_line(conversion_context& context) {
    const std::string_view line = context.line_buffer;
    std::size_t i = 0;
    while (i < line.size() && line[i] != '\n') {
        const char c = line[i];
        if (c != 'X' && c != 'Y' && c != 'Z') {
            ++i;
            continue;
        }
        std::string_view number_text;
        i = read_number_text(line, i + 1, number_text);
        move_axis(context, c, number_value(number_text));
    }
}

void convert_body(conversion_context& context) {
    while (next_body_line(context)) {
        if (classify_line(context.line_buffer) == line_class::motion) {
            rewrite_motion_line(context);
        } else {
            copy_pass_line(context);
        }
    }
}

void convert_program(conversion_context& context) {
    copy_preamble(context);
    establish_start_position(context);
    convert_body(context);
}

}  // namespace g91to90
