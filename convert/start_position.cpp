#include "start_position.hpp"

#include <string>

namespace g91to90 {

namespace {

// The number text after the first occurrence of `letter` anywhere in the
// line; empty (value 0) when the letter does not occur.
std::string_view start_text_on_line(std::string_view line, char letter) {
    std::string_view text;
    const std::size_t at = line.find(letter);
    if (at != std::string_view::npos) {
        read_number_text(line, at + 1, text);
    }
    return text;
}

void take_start_from_g92_line(conversion_context& context) {
    const std::string_view line = context.line_buffer;
    context.mode = MODE_ABSOLUTE;
    context.position.x = number_value(start_text_on_line(line, 'X'));
    context.position.y = number_value(start_text_on_line(line, 'Y'));
    context.position.z = number_value(start_text_on_line(line, 'Z'));
    write_line(context, line);
}

void ask_for_start(conversion_context& context) {
    context.mode = MODE_START_PENDING;
    std::istream& in = *context.console_in;
    std::ostream& out = *context.console_out;
    const std::string x = ask_token(in, out, "\nINPUT START-X:");
    const std::string y = ask_token(in, out, "\nINPUT START-Y:");
    const std::string z = ask_token(in, out, "\nINPUT START-Z:");
    context.position = {number_value(x), number_value(y), number_value(z)};
}

}  // namespace

void establish_start_position(conversion_context& context) {
    if (contains_code(context.line_buffer, "G92")) {
        take_start_from_g92_line(context);
    } else {
        ask_for_start(context);
    }
}

}  // namespace g91to90
