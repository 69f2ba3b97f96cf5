#include "body_pass.hpp"

#include "motion_line.hpp"
#include "stop.hpp"

namespace g91to90 {

namespace {

// Lines copied unchanged for their codes; their words are parameters.
constexpr std::uint32_t COPIED_CODES = CODE_COORDINATE_SYSTEM | CODE_MACHINE_COORDINATES |
                                       CODE_DWELL | CODE_DATA_SETTING | CODE_LOCAL_SHIFT |
                                       CODE_CANCEL_ORIGIN | CODE_RESTORE_MODE;

// The axis that a canned cycle leaves at its R or initial level.
int plane_normal_axis(const machine_state& machine) {
    return machine.plane == 19 ? 0 : machine.plane == 18 ? 1 : 2;
}

[[noreturn]] void stop_at(stop_reason reason, std::uint64_t line_number, std::string detail = {}) {
    throw conversion_stop(reason, std::move(detail), line_number);
}

// Sets the distance mode from the line: M72 restores the saved mode, M70 and
// M73 save the mode the line found, and the line's own G91 or G90 decides
// last (G91 when it holds both).
void take_mode(const scanned_line& scan, machine_state& machine) {
    const distance_mode found = machine.mode;
    if (scan.holds(CODE_RESTORE_MODE) && machine.saved_mode) {
        machine.mode = *machine.saved_mode;
    }
    if (scan.holds(CODE_INCREMENTAL)) {
        machine.mode = distance_mode::incremental;
    } else if (scan.holds(CODE_ABSOLUTE)) {
        machine.mode = distance_mode::absolute;
    }
    if (scan.holds(CODE_SAVE_MODE)) {
        machine.saved_mode = found;
    }
}

// An incremental word of an axis whose position is not known cannot be
// converted: the first such word stops the run.
void check_known(const scanned_line& scan, const machine_state& machine,
                 std::uint64_t line_number) {
    if (!machine.incremental() || (scan.axes & ~machine.known) == 0) {
        return;
    }
    for (const line_word& word : scan.words) {
        if (word.slot < AXIS_COUNT && (machine.known & axis_bit(word.slot)) == 0) {
            stop_at(stop_reason::unknown_position, line_number,
                    std::string(1, AXIS_LETTERS[word.slot]));
        }
    }
}

// Moves the axes a line's axis words name, without writing them.
void track_words(const scanned_line& scan, machine_state& machine) {
    for (const line_word& word : scan.words) {
        if (word.slot < AXIS_COUNT) {
            move_axis(machine, word.slot, word.value);
        }
    }
}

// G28, G30: the intermediate point keeps its incremental meaning, so in
// incremental mode the line runs under G91 and G90 follows it. The axes it
// names (all, when it names none) then stand at the reference point.
void convert_return_line(std::string_view line, const scanned_line& scan, line_writer& out,
                         machine_state& machine) {
    if (machine.incremental()) {
        if (!scan.holds(CODE_INCREMENTAL)) {
            out.write("G91");
            out.newline();
        }
        out.write_line(line);
        add_line_after(line, "G90", out);
    } else {
        copy_line(line, out);
    }
    track_words(scan, machine);
    machine.known &= static_cast<std::uint16_t>(scan.axes == 0 ? 0 : ~scan.axes);
}

void convert_copied_line(std::string_view line, std::uint64_t line_number, const scanned_line& scan,
                         line_writer& out, machine_state& machine) {
    const bool tracked =
        scan.holds(CODE_COORDINATE_SYSTEM) && !scan.holds(CODE_MACHINE_COORDINATES);
    if (tracked) {
        check_known(scan, machine, line_number);
    }
    copy_line(line, out);
    if (scan.holds(CODE_INCREMENTAL)) {
        add_line_after(line, "G90", out);
    }
    if (tracked) {
        track_words(scan, machine);
    }
    // Machine coordinates, data setting and local shifts move the named axes
    // where the converter cannot follow; cancelled offsets move them all.
    if (scan.holds(CODE_MACHINE_COORDINATES | CODE_DATA_SETTING | CODE_LOCAL_SHIFT)) {
        machine.known &= static_cast<std::uint16_t>(~scan.axes);
    }
    if (scan.holds(CODE_CANCEL_ORIGIN)) {
        machine.known = 0;
    }
}

}  // namespace

void copy_line(std::string_view line, line_writer& out) {
    if (line.size() >= 2) {
        out.write_line(line);
    }
}

void add_line_after(std::string_view line, std::string_view added, line_writer& out) {
    if (!has_newline(line)) {
        out.newline();
    }
    out.write(added);
    out.newline();
}

void convert_line(std::string_view line, std::uint64_t line_number, const scanned_line& scan,
                  line_writer& out, machine_state& machine, const number_format& format) {
    // Most lines hold motion codes at most, while nothing cycles or calls:
    // the rules below then come down to the line's G90 or G91 and its words.
    constexpr std::uint32_t MOTION_ONLY = CODE_MOTION | CODE_ABSOLUTE | CODE_INCREMENTAL;
    if ((scan.codes & ~MOTION_ONLY) == 0 && scan.o_word == o_word_line::none && !scan.e_word &&
        !scan.polar_word && scan.plane == 0 && scan.unit == 0 && !machine.cycle_active &&
        !machine.modal_call_active) {
        if (scan.holds(CODE_INCREMENTAL)) {
            machine.mode = distance_mode::incremental;
        } else if (scan.holds(CODE_ABSOLUTE)) {
            machine.mode = distance_mode::absolute;
        }
        if (scan.axes != 0 || scan.holds(CODE_ABSOLUTE | CODE_INCREMENTAL)) {
            check_known(scan, machine, line_number);
            rewrite_motion_line(line, scan, out, machine, format);
        } else {
            copy_line(line, out);
        }
        return;
    }
    if (scan.o_word != o_word_line::none) {
        // The lines a sub, a branch or a loop governs do not run where they
        // stand, and a call moves the tool elsewhere.
        if (machine.incremental()) {
            stop_at(scan.o_word == o_word_line::call ? stop_reason::call_incremental
                                                     : stop_reason::o_word_incremental,
                    line_number);
        }
        copy_line(line, out);
        machine.known = 0;
        return;
    }
    if (scan.holds(CODE_MODAL_CALL_CANCEL)) {
        machine.modal_call_active = false;
    }
    take_mode(scan, machine);
    apply_unit_and_plane(scan, machine);
    if (scan.holds(CODE_CANNED_CYCLE)) {
        machine.cycle_active = true;
    } else if (scan.holds(CODE_MOTION | CODE_CYCLE_CANCEL)) {
        machine.cycle_active = false;
    }
    const bool axis_words = scan.axes != 0;
    const bool cycle_line = scan.holds(CODE_CANNED_CYCLE);
    const bool runs_cycle = machine.cycle_active && (cycle_line || axis_words);
    const bool call = scan.holds(CODE_CALL) || (machine.modal_call_active && axis_words);
    if (machine.incremental()) {
        if (cycle_line) {
            stop_at(stop_reason::canned_cycle_incremental, line_number);
        }
        if (call) {
            stop_at(stop_reason::call_incremental, line_number);
        }
        if (scan.polar_word) {
            stop_at(stop_reason::polar_incremental, line_number);
        }
        if (runs_cycle) {
            stop_at(stop_reason::canned_cycle_incremental, line_number);
        }
        if (scan.e_word) {
            stop_at(stop_reason::e_word_incremental, line_number);
        }
        // A return line runs under an added G91, and a control saves and
        // restores the mode before it returns: M70 or M73 would save G91 for
        // a later M72 to bring back into the absolute output, and M72 would
        // bring back the output's G90 for the return's intermediate point.
        if (scan.holds(CODE_RETURN) && scan.holds(CODE_SAVE_MODE | CODE_RESTORE_MODE) &&
            !scan.holds(CODE_INCREMENTAL)) {
            stop_at(stop_reason::mode_kept_under_g91, line_number);
        }
    }
    if (call) {
        copy_line(line, out);
        machine.known = 0;
    } else if (scan.holds(CODE_RETURN)) {
        convert_return_line(line, scan, out, machine);
    } else if (scan.holds(COPIED_CODES)) {
        convert_copied_line(line, line_number, scan, out, machine);
    } else if (axis_words || cycle_line || scan.holds(CODE_ABSOLUTE | CODE_INCREMENTAL)) {
        // A G92 line sets the position it names, in either mode.
        if (!scan.holds(CODE_SET_ORIGIN)) {
            check_known(scan, machine, line_number);
        }
        rewrite_motion_line(line, scan, out, machine, format);
    } else {
        copy_line(line, out);
    }
    if (runs_cycle) {
        machine.known &= static_cast<std::uint16_t>(~axis_bit(plane_normal_axis(machine)));
    }
    if (scan.polar_word) {
        machine.known &= static_cast<std::uint16_t>(~(axis_bit(0) | axis_bit(1)));
    }
    if (scan.holds(CODE_MODAL_CALL)) {
        machine.modal_call_active = true;
    }
}

void convert_body(line_reader& in, line_writer& out, scanned_line& scan, machine_state& machine,
                  const number_format& format) {
    std::string_view line;
    while (in.next(line)) {
        scan_line(line, scan);
        convert_line(line, in.line_number(), scan, out, machine, format);
    }
}

}  // namespace g91to90
