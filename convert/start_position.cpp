#include "start_position.hpp"

#include "line_codes.hpp"
#include "number_input.hpp"

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

}  // namespace

bool establish_start_position(std::string_view mode_line, line_writer& out, const ask_function& ask,
                              machine_state& machine) {
    if (holds_code(mode_line, "G92")) {
        machine.mode = distance_mode::absolute;
        machine.position = {number_value(start_text_on_line(mode_line, 'X')),
                            number_value(start_text_on_line(mode_line, 'Y')),
                            number_value(start_text_on_line(mode_line, 'Z'))};
        out.write_line(mode_line);
        return false;
    }
    const std::string x = ask("\nINPUT START-X:");
    const std::string y = ask("\nINPUT START-Y:");
    const std::string z = ask("\nINPUT START-Z:");
    machine.position = {number_value(x), number_value(y), number_value(z)};
    machine.mode = distance_mode::incremental;
    return true;
}

}  // namespace g91to90
