#include "preamble.hpp"

#include "line_codes.hpp"
#include "stop.hpp"

namespace g91to90 {

namespace {

bool holds_unexempt_axis_word(std::string_view line) {
    return holds_axis_letter(line) && !holds_char(line, '(') && !holds_exempt_code(line);
}

std::string_view read_preamble_line(line_reader& in) {
    std::string_view line;
    if (!in.next(line)) {
        throw conversion_stop(stop_reason::no_mode_line);
    }
    return line;
}

}  // namespace

bool is_mode_line(std::string_view line) {
    return holds_mode_code(line) && !begins_with_comment(line);
}

std::string_view copy_preamble(line_reader& in, line_writer& out) {
    std::string_view line = read_preamble_line(in);
    while (!is_mode_line(line)) {
        if (holds_unexempt_axis_word(line)) {
            throw conversion_stop(stop_reason::misplaced_mode_line);
        }
        // A line holding only its newline is dropped.
        if (line.size() >= 2) {
            out.write_line(line);
        }
        if (holds_coordinate_system_code(line) && holds_code(line, "G90")) {
            if (!has_newline(line)) {
                out.newline();
            }
            out.write("G91");
            out.newline();
        }
        line = read_preamble_line(in);
    }
    return line;
}

}  // namespace g91to90
