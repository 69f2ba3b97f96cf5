#include "preamble.hpp"

namespace g91to90 {

namespace {

constexpr const char* MISPLACED_MODE_WARNING =
    "Warning:in input file the location of G92/G90/G91 maybe wrong!\n";

bool holds_unexempt_axis_word(std::string_view line) {
    const bool has_axis =
        contains_char(line, 'X') || contains_char(line, 'Y') || contains_char(line, 'Z');
    return has_axis && !contains_char(line, '(') && !contains_any(line, EXEMPT_CODES);
}

void read_preamble_line(conversion_context& context) {
    if (!read_line(context)) {
        throw conversion_failure("", STATUS_FAILURE);
    }
}

}  // namespace

bool is_mode_line(std::string_view line) {
    return contains_any(line, MODE_CODES) && !begins_with_comment(line);
}

void copy_preamble(conversion_context& context) {
    read_preamble_line(context);
    while (!is_mode_line(context.line_buffer)) {
        const std::string_view line = context.line_buffer;
        if (holds_unexempt_axis_word(line)) {
            throw conversion_failure(MISPLACED_MODE_WARNING, STATUS_FAILURE);
        }
        if (line_length(line) >= 2) {
            write_line(context, line);
        }
        if (contains_any(line, COORDINATE_SYSTEM_CODES) && contains_code(line, "G90")) {
            if (!has_newline(line)) {
                write_newline(context);
            }
            write_bytes(context, "G91");
            write_newline(context);
        }
        read_preamble_line(context);
    }
}

}  // namespace g91to90
