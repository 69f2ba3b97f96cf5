#include "start_position.hpp"

#include "body_pass.hpp"
#include "number_input.hpp"
#include "stop.hpp"

namespace g91to90 {

namespace {

void take_start_from_g92_line(std::string_view line, std::uint64_t line_number,
                              const scanned_line& scan, line_writer& out, machine_state& machine) {
    apply_unit_and_plane(scan, machine);
    machine.mode =
        scan.holds(CODE_INCREMENTAL) ? distance_mode::incremental : distance_mode::absolute;
    if (machine.incremental() && scan.e_word) {
        throw conversion_stop(stop_reason::e_word_incremental, {}, line_number);
    }
    machine.position = {};
    machine.known = XYZ_AXES;
    // The first word of an axis counts.
    std::uint16_t named = 0;
    for (const line_word& word : scan.words) {
        if (word.slot < AXIS_COUNT && (named & axis_bit(word.slot)) == 0) {
            named |= axis_bit(word.slot);
            machine.position[word.slot] = word.value;
        }
    }
    machine.known |= named;
    out.write_line(line);
    if (machine.incremental()) {
        add_line_after(line, "G90", out);
    }
}

double ask_start_value(const ask_function& ask, std::string_view prompt) {
    const std::string token = ask(prompt);
    if (!is_number_token(token)) {
        throw conversion_stop(stop_reason::start_not_a_number, token);
    }
    return number_value(token);
}

}  // namespace

bool establish_start_position(std::string_view mode_line, std::uint64_t line_number,
                              const scanned_line& scan, line_writer& out, const ask_function& ask,
                              machine_state& machine) {
    if (scan.holds(CODE_SET_ORIGIN)) {
        take_start_from_g92_line(mode_line, line_number, scan, out, machine);
        return false;
    }
    machine.position = {};
    machine.position[0] = ask_start_value(ask, "\nINPUT START-X:");
    machine.position[1] = ask_start_value(ask, "\nINPUT START-Y:");
    machine.position[2] = ask_start_value(ask, "\nINPUT START-Z:");
    machine.known = XYZ_AXES;
    machine.mode = distance_mode::incremental;
    return true;
}

}  // namespace g91to90
