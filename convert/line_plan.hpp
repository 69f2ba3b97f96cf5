// The plan of one line: a pure function of the line's scan and the machine
// state that says how the line is written, what stops it, and what it does to
// the machine. The kinds of code come from the code table (code_table.hpp);
// the stops are tried in one order, that of the README's table of messages.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "code_table.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "number_styles.hpp"
#include "stop.hpp"

namespace g91to90 {

enum class state_change : std::uint8_t { keep, start, end };

// Where a line stands in its program: before the mode line (the first line
// whose code part holds G90, G91 or G92), on a mode line that states the
// start position (G92), or after them.
enum class line_context : std::uint8_t { preamble, start, body };

// Its fields stand widest first, so that the plan of every line is small.
struct line_plan {
    kind_set held = 0;                    // the kinds of code the line holds, constructs included
    const char* cycle_problem = nullptr;  // why a cycle in incremental mode stops
    loss why;                             // what made the axes below unknown
    stop_reason stop{};                   // for `stops`
    std::uint16_t holes = 1;              // a converted cycle's holes: its L or K repeat count
    std::int16_t cycle_code = 0;
    std::int16_t select_system = 0;   // the coordinate system selected, or 0
    std::uint16_t forget_before = 0;  // unknown before the words set their axes
    std::uint16_t forget_after = 0;   // unknown after the line
    std::uint16_t needs_known = 0;    // the axes that must be known
    std::uint16_t known = 0;          // the axes known when its words apply
    std::array<std::uint16_t, TRANSFORM_SLOTS> transform_code{};
    std::int16_t feed_mode = 0;    // the feed mode code on the line, or 0
    std::int16_t tool_length = 0;  // a tool length code on the line, or 0
    // The styles of the numbers the positions are made of after the line,
    // and how the writer spells each word (see number_styles.hpp), where
    // they are followed (`styled`).
    line_styles styles;
    std::uint8_t normal_axis = 2;       // a converted cycle's axis normal to the plane
    std::uint8_t transforms_begin = 0;  // transform slots, one bit each
    std::uint8_t transforms_end = 0;
    work_plane plane = work_plane::unknown;          // selected by the line
    length_unit unit = length_unit::unknown;         // selected by the line
    retract_level retract = retract_level::unknown;  // selected by the line
    work_plane in_plane = work_plane::unknown;       // the plane its arcs and cycles lie in
    bool stops = false;                              // the line cannot be converted, for `stop`
    bool plain = false;                     // a move or mode line with a machine in a plain state
    write_form form = write_form::rewrite;  // never `stop`
    axis_effect words = axis_effect::move;  // what the axis words do
    distance_mode mode = distance_mode::absolute;  // the mode the words are read in
    bool forget_state = false;                     // a call, a jump or a program end
    bool save = false;                             // the line saves the modes
    bool autorestore = false;                      // restored where the called program returns
    bool restore = false;                          // the line restores the saved modes
    state_change cycle = state_change::keep;
    state_change modal_call = state_change::keep;
    bool program_end = false;
    bool jump = false;
    bool incremental_move = false;  // incremental axis words are converted
    // A canned cycle converted in incremental mode (`words` is cycle_holes).
    bool series_start = false;  // the line begins a series (any mode)
    bool repeat_in_k = false;   // the repeat count is its K word
    // A line that runs a cycle: the R and depth words it gives, which the
    // control keeps (CYCLE_R_WORD, CYCLE_DEPTH_WORD), and the one it relies
    // on that was kept from a line read in the other mode.
    std::uint8_t gives_cycle_words = 0;
    std::uint8_t mixed_cycle_word = 0;
    bool styled = false;
    // A converted cycle line's styles of the initial level, R and depth:
    // two bits each, from the lowest.
    std::uint8_t cycle_word_styles = 0;
    bool opens = false;  // a line read as preamble that is the mode line

    bool holds(kind_set kinds) const { return (held & kinds) != 0; }
    // Only tests compare whole plans; the branches are the compiler's, one per member.
    bool operator==(const line_plan&) const = default;  // GCOVR_EXCL_BR_LINE
};

// What is written for each word of a batch, by its index in the scan's
// words: the values that applying the plan gave them (see apply_plan.hpp).
struct word_targets {
    std::array<exact_number, WORD_BATCH> values;

    exact_number& operator[](std::size_t word) { return values[word]; }
    const exact_number& operator[](std::size_t word) const { return values[word]; }
};

inline constexpr std::uint8_t CYCLE_R_WORD = 1;
inline constexpr std::uint8_t CYCLE_DEPTH_WORD = 2;

// Whether a line's styles are followed (see number_styles.hpp): from the
// first number without a point on, unless such numbers read as millimetres
// or inches.
inline bool follows_styles(const scanned_line& scan, const machine_state& machine) {
    return machine.reading != integer_reading::units &&
           (machine.styles_followed || scan.whole_word());
}

// The styles of the numbers the line's values are made of (its words do what
// `plan.words` says), and whether they can be written.
numbers_refusal plan_styles(const scanned_line& scan, const machine_state& machine,
                            line_plan& plan);

// The common line: motion codes, G90 or G91 at most, plain words, and a
// machine in a plain state (no cycle, call, transform or jump, a known mode).
inline bool plain_line(const scanned_line& scan, const machine_state& machine) {
    constexpr kind_set MOTION_ONLY =
        kinds(code_kind::motion, code_kind::absolute, code_kind::incremental);
    return (scan.held & ~MOTION_ONLY) == 0 && !scan.unusual() &&
           machine.cycle == cycle_state::off && !machine.modal_call &&
           machine.mode != distance_mode::unknown && machine.jumped.line == 0 &&
           machine.standing == 0;
}

// The plan of any other line of the body, from the table of codes and the
// stop rules.
line_plan plan_other_line(const scanned_line& scan, const machine_state& machine,
                          std::uint64_t line_number);

// The plan of a line before the body (`context` preamble or start):
// - in the preamble, a line is copied, and its plane, units and coordinate
//   system are followed; a line no control reads alike stops, and so does an
//   X, Y or Z word (`misplaced_mode_line`), which suggests the mode line is
//   misplaced (a return or a coordinate-system line is spared); the mode
//   line `opens` the program: a G92 line's plane, units and system are
//   followed, another's units where none were selected before, and it is
//   planned again, as the start or as the body's first line;
// - the start, a G92 mode line, is planned as a line of the body, read in
//   absolute mode unless it holds G91, and written unchanged: its words are
//   the start position, so nothing becomes unknown.
line_plan plan_opening_line(const scanned_line& scan, const machine_state& machine,
                            std::uint64_t line_number, line_context context);

// The plan of the common line.
inline line_plan plan_plain_line(const scanned_line& scan, const machine_state& machine) {
    line_plan plan;
    plan.plain = true;
    plan.held = scan.held;
    plan.known = machine.known;
    plan.in_plane = machine.plane;
    plan.mode = scan.holds(kind_bit(code_kind::incremental)) ? distance_mode::incremental
                : scan.holds(kind_bit(code_kind::absolute))  ? distance_mode::absolute
                                                             : machine.mode;
    plan.needs_known = scan.axes;
    plan.incremental_move = plan.mode == distance_mode::incremental && scan.axes != 0;
    if (plan.incremental_move && (scan.axes & ~machine.known) != 0) [[unlikely]] {
        plan.stops = true;
        plan.stop = stop_reason::unknown_position;
        plan.incremental_move = false;  // nothing is converted
    }
    if (follows_styles(scan, machine)) [[unlikely]] {
        const numbers_refusal refusal = plan_styles(scan, machine, plan);
        if (refusal != numbers_refusal::none && !plan.stops) {
            plan.stops = true;
            plan.incremental_move = false;
            plan.stop = refusal == numbers_refusal::mixed ? stop_reason::whole_added_to_pointed
                                                          : stop_reason::point_needs_reading;
        }
    }
    if (scan.words.empty() && scan.g91_digits.empty()) {
        plan.form = write_form::copy;  // nothing to rewrite
    }
    return plan;
}

// The plan of a scanned line read at `line_number` in `context` with the
// machine as it stands before it. The common line's plan is decided from a
// few bits.
inline line_plan plan_line(const scanned_line& scan, const machine_state& machine,
                           std::uint64_t line_number, line_context context = line_context::body) {
    if (context != line_context::body) [[unlikely]] {
        return plan_opening_line(scan, machine, line_number, context);
    }
    if (!plain_line(scan, machine)) [[unlikely]] {
        return plan_other_line(scan, machine, line_number);
    }
    return plan_plain_line(scan, machine);
}

// Throws the stop of a line that no control reads alike, in any mode and
// wherever it stands: a malformed number, a control character, two codes of
// one group.
void refuse_unreadable_line(const padded_line& line, const scanned_line& scan,
                            const machine_state& machine, std::uint64_t line_number);

// The codes that restore the modes M73 `saved` where its called program
// returns, the modes standing `now`, on a line of their own (calls written
// out in place run at one level, so the control restores nothing there).
// Distance mode needs none: the written program is absolute throughout.
// Throws `restore_not_written` when a mode cannot be written exactly.
std::string restoring_codes(const modal_state& now, const saved_modes& saved);

// The stop of a plan that stops, with what its message names.
conversion_stop describe_stop(const line_plan& plan, const padded_line& line,
                              const scanned_line& scan, const machine_state& machine,
                              std::uint64_t line_number);

}  // namespace g91to90
