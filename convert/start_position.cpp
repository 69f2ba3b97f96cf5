#include "start_position.hpp"

#include "apply_plan.hpp"
#include "line_plan.hpp"
#include "number_input.hpp"
#include "stop.hpp"

namespace g91to90 {

namespace {

// A start value, given or typed.
exact_number start_value(std::string_view text) {
    const exact_number value = exact_value(text);
    if (!value.in_range()) {
        throw conversion_stop(stop_reason::number_out_of_range);
    }
    return value;
}

exact_number ask_start_value(const ask_function& ask, std::string_view prompt) {
    const std::optional<std::string> answer = ask(prompt);
    if (!answer) {
        throw conversion_stop(stop_reason::console_ended);
    }
    const std::string& token = *answer;
    if (!is_number_token(token)) {
        throw conversion_stop(stop_reason::start_not_a_number, token);
    }
    return start_value(token);
}

given_start asked_start(const ask_function& ask) {
    given_start start;
    start.position[0] = ask_start_value(ask, "\nINPUT START-X:");
    start.position[1] = ask_start_value(ask, "\nINPUT START-Y:");
    start.position[2] = ask_start_value(ask, "\nINPUT START-Z:");
    start.named = XYZ_AXES;
    return start;
}

}  // namespace

given_start read_start_words(std::string_view text) {
    given_start start;
    std::size_t at = 0;
    const auto skip_blanks = [&] {
        while (at < text.size() && is_blank(text[at])) {
            ++at;
        }
    };
    const auto refuse = [&] { return conversion_stop(stop_reason::bad_start, std::string(text)); };
    for (skip_blanks(); at < text.size(); skip_blanks()) {
        const char letter = static_cast<char>(text[at] & ~0x20);  // upper case
        const std::size_t axis = AXIS_LETTERS.find(letter);
        if (axis == std::string_view::npos ||
            (start.named & axis_bit(static_cast<int>(axis))) != 0) {
            throw refuse();
        }
        std::string number;
        for (++at, skip_blanks(); at < text.size() && !is_blank(text[at]) &&
                                  ((text[at] >= '0' && text[at] <= '9') || text[at] == '.' ||
                                   text[at] == '-' || text[at] == '+');
             ++at) {
            number += text[at];
        }
        if (!is_number_token(number)) {
            throw refuse();
        }
        start.position[axis] = start_value(number);
        start.named |= axis_bit(static_cast<int>(axis));
    }
    if (start.named == 0) {
        throw refuse();
    }
    return start;
}

void take_start_from_words(const padded_line& line, std::uint64_t line_number,
                           const scanned_line& scan, line_plan& plan, machine_state& machine,
                           const start_source& start) {
    // An axis named twice is unknown: controls differ on which word counts.
    std::array<exact_number, AXIS_COUNT> position{};
    std::uint16_t named = 0;
    for (const line_word& word : scan.words) {
        if (word.slot < AXIS_COUNT && (named & axis_bit(word.slot)) == 0) {
            named |= axis_bit(word.slot);
            position[word.slot] = word_value(word, machine, line_number);
        }
    }
    if (follows_styles(scan, machine)) {
        // The start takes the styles of the line's numbers, in whatever mode
        // the line is read: its words set the positions.
        plan.styled = true;
        plan.styles = move_styles(scan, masks_of(scan), position_styles{}, false);
        take_styles(line, plan, scan, machine, line_number);
    }
    // The line wins for the axes it names; the given start gives the others.
    std::uint16_t known =
        static_cast<std::uint16_t>(named & ~scan.computed_axes & ~scan.repeated_axes);
    if (start.given) {
        const auto others = static_cast<std::uint16_t>(start.given->named & ~named);
        for (std::size_t axis = 0; axis < AXIS_COUNT; ++axis) {
            if ((others & axis_bit(static_cast<int>(axis))) != 0) {
                position[axis] = start.given->position[axis];
            }
        }
        known |= others;
    }
    start_at(machine, position, known, loss_at(line_number, "G92"));
    if (machine.styles_followed && start.given) {
        // A given start is in millimetres or inches: the style of a number with a point.
        for (std::size_t axis = 0; axis < AXIS_COUNT; ++axis) {
            const auto bit = axis_bit(static_cast<int>(axis));
            if ((start.given->named & ~named & bit) != 0 && position[axis].billionths != 0) {
                machine.pointed_axes |= bit;
                machine.pointed_from[axis] = style_source_at(0, "the given start");
            }
        }
    }
}

void take_given_start(machine_state& machine, const start_source& start) {
    if (start.given) {
        start_at(machine, start.given->position, start.given->named, {});
    } else {
        start_at(machine, {}, 0, {});  // asked for where a move first needs it
        machine.start_awaited = true;
        machine.start_unit = machine.unit;
    }
    set_mode(machine, distance_mode::incremental);
}

bool needs_late_start(const line_plan& plan, const machine_state& machine) {
    if (!machine.start_awaited || !plan.stops || plan.stop != stop_reason::unknown_position) {
        return false;
    }
    const auto missing = static_cast<std::uint16_t>(plan.needs_known & ~machine.known);
    for (std::size_t axis = 0; axis < AXIS_COUNT; ++axis) {
        const loss& lost = machine.lost[axis];
        if ((missing & axis_bit(static_cast<int>(axis))) != 0 && lost.line == 0 &&
            lost.text().empty()) {
            return true;
        }
    }
    return false;
}

void take_late_start(machine_state& machine, const start_source& start, line_writer& out,
                     std::uint64_t line_number) {
    machine.start_awaited = false;
    if (!start.ask) {
        throw conversion_stop(stop_reason::no_start_position, {}, line_number);
    }
    out.flush();
    const given_start asked = asked_start(start.ask);
    for (std::size_t axis = 0; axis < AXIS_COUNT; ++axis) {
        const auto bit = axis_bit(static_cast<int>(axis));
        const loss& lost = machine.lost[axis];
        if ((asked.named & bit) == 0 || (machine.known & bit) != 0 || lost.line != 0 ||
            !lost.text().empty()) {
            continue;
        }
        exact_number value = asked.position[axis];
        // The axes asked for, X, Y and Z, are linear: their values follow a unit switch.
        if (machine.start_unit != length_unit::unknown && machine.unit != length_unit::unknown &&
            machine.unit != machine.start_unit) {
            value = machine.unit == length_unit::inch ? millimetres_to_inches(value)
                                                      : inches_to_millimetres(value);
        }
        set_axis(machine, static_cast<int>(axis), value);
        if (machine.styles_followed && value.billionths != 0) {
            // A start value is in millimetres or inches, as a number with a point.
            machine.pointed_axes |= bit;
            machine.pointed_from[axis] =
                style_source_at(0, std::string(1, AXIS_LETTERS[axis]) + "(start)");
        }
    }
}

}  // namespace g91to90
