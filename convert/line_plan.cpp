#include "line_plan.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <optional>
#include <string>

#include "number_output.hpp"

namespace g91to90 {

namespace {

constexpr kind_set CALLS = kinds(code_kind::call, code_kind::modal_call, code_kind::modal_call_end);
constexpr std::uint8_t R_WORD = 1U << (R_SLOT - FIRST_ARC_SLOT);

}  // namespace

// What the stop rules read of a line: its scan, the machine, the plan so far.
struct line_facts {
    const scanned_line& scan;
    const machine_state& machine;
    const line_plan& plan;
    bool runs_cycle;
    bool adds_g91;  // written under a G91 the converter adds
    std::uint8_t flags;
    numbers_refusal refusal = numbers_refusal::none;  // why its numbers cannot be written

    bool holds(kind_set wanted) const { return plan.holds(wanted); }
    bool incremental() const { return plan.mode == distance_mode::incremental; }
};

namespace {

// The name of the line's first code of a kind, such as "G28", written in
// `text`; empty when it holds none.
std::string_view first_code_name(const scanned_line& scan, kind_set wanted,
                                 std::array<char, 12>& text) {
    for (const code_word& code : scan.codes) {
        if ((kind_bit(code.kind()) & wanted) != 0) {
            return code_name(code.letter, code.tenths, text);
        }
    }
    if (scan.o_word != o_word_line::none) {
        return "O-word";
    }
    if (scan.flow_keyword) {
        return scan.jump_keyword ? "GOTO" : "macro flow";
    }
    return {};
}

// The same as a string, for a message.
std::string code_name_of(const scanned_line& scan, kind_set wanted) {
    std::array<char, 12> text{};
    return std::string(first_code_name(scan, wanted, text));
}

// A stop's name for the first code of `wanted`: its value (G12, G5.1), or
// the word as it stands where no value names it (G-1, G1.05).
std::string stopping_code_name(const padded_line& line, const scanned_line& scan, kind_set wanted) {
    for (const code_word& code : scan.codes) {
        if ((kind_bit(code.kind()) & wanted) != 0) {
            if (code.tenths == OTHER_CODE) {
                return std::string(line.text().substr(code.begin, code.end - code.begin));
            }
            break;
        }
    }
    return code_name_of(scan, wanted);
}

// The kinds of code a line holds, with the constructs read like codes.
kind_set line_kinds(const scanned_line& scan, const machine_state& machine) {
    kind_set held = scan.held;
    if (scan.o_word == o_word_line::call) {
        held |= kind_bit(code_kind::call);
    } else if (scan.o_word == o_word_line::control) {
        held |= kind_bit(code_kind::flow);
    }
    if (scan.flow_keyword) {
        held |= kind_bit(code_kind::flow);
    }
    if (scan.jump_keyword) {
        held |= kind_bit(code_kind::jump);
    }
    if (scan.has(SUBPROGRAM_RETURN) && (scan.holds_letter('P') || !machine.program_ended)) {
        held |= kind_bit(code_kind::jump);  // a return to a line, or to the program's start
    }
    if (scan.has(LOCAL_CALL)) {
        held |= kind_bit(code_kind::jump);  // a call of a block of the program
    }
    if ((held & kind_bit(code_kind::firmware)) != 0 && scan.axes == 0) {
        held = (held & ~kind_bit(code_kind::firmware)) | kind_bit(code_kind::machine_function);
    }
    if (scan.holds_letter('H') && scan.axes != 0 &&
        (held & kind_bit(code_kind::tool_length)) == 0) {
        held |= kind_bit(code_kind::probe);  // an endstop move, such as G1 H1 Z-300
    }
    if (scan.has(ROTATES_WITH_R) && sets_system_data(scan.l_value) && (scan.arcs & R_WORD) != 0) {
        held |= kind_bit(code_kind::transform);  // a rotated coordinate system
    }
    if ((held & kind_bit(code_kind::transform_end)) != 0 && scan.axes != 0) {
        held |= kind_bit(code_kind::other_g);
    }
    if (machine.modal_call && scan.axes != 0 && (held & kind_bit(code_kind::modal_call_end)) == 0) {
        held |= kind_bit(code_kind::call);
    }
    return held;
}

// --- The stop rules ---

// The line holds a code whose row's cell, in the line's mode, stops with
// `reason`.
template <stop_reason reason>
bool stop_cell(const line_facts& f) {
    constexpr kind_set INCREMENTAL = kinds_stopping(reason, true);
    constexpr kind_set ABSOLUTE = kinds_stopping(reason, false);
    return f.holds(f.plan.mode == distance_mode::incremental ? INCREMENTAL
                   : f.plan.mode == distance_mode::absolute  ? ABSOLUTE
                                                             : 0);
}

bool malformed_number(const line_facts& f) {
    return !f.scan.malformed.empty();
}
bool control_character(const line_facts& f) {
    return f.scan.control_char != 0;
}
bool two_codes_of_a_group(const line_facts& f) {
    return f.scan.conflicting();
}
bool computed_code(const line_facts& f) {
    return f.scan.computed_code;
}
bool optional_block(const line_facts& f) {
    // Moves and modes of an optional block are followed both ways (see
    // body_pass.hpp); calls and program flow are not.
    constexpr kind_set NOT_FOLLOWED =
        kinds(code_kind::call, code_kind::modal_call, code_kind::modal_call_end, code_kind::flow,
              code_kind::jump);
    return f.scan.block_delete && f.holds(NOT_FOLLOWED);
}
bool jump_with_incremental(const line_facts& f) {
    return (f.holds(kind_bit(code_kind::jump)) && f.machine.moved_incrementally) ||
           (f.machine.jumped.line != 0 && f.incremental() && f.scan.axes != 0);
}
bool under_transform(const line_facts& f) {
    return f.incremental() && f.machine.transform() != nullptr && f.scan.axes != 0;
}
bool cycle_incremental(const line_facts& f) {
    return f.incremental() && f.plan.cycle_problem != nullptr;
}
bool cycle_word_other_mode(const line_facts& f) {
    return f.plan.mixed_cycle_word != 0;
}
bool cycle_may_run(const line_facts& f) {
    return f.incremental() && f.runs_cycle && f.plan.words != axis_effect::cycle_holes;
}
bool parameter_incremental(const line_facts& f) {
    return f.incremental() &&
           (f.scan.computed_axes != 0 ||
            (f.scan.parameters && f.scan.axes != 0 && f.plan.form == write_form::rewrite));
}
bool offset_with_move(const line_facts& f) {
    return f.incremental() && (f.flags & STOPS_WITH_MOVE) != 0 && f.scan.motion_code() &&
           f.scan.axes != 0;
}
bool dwell_with_axes(const line_facts& f) {
    return f.incremental() && (f.flags & STOPS_WITH_AXES) != 0 && f.scan.axes != 0;
}
bool tool_length_z(const line_facts& f) {
    return f.incremental() && (f.flags & STOPS_ON_Z) != 0 && (f.scan.axes & Z_AXIS) != 0 &&
           !f.holds(kinds(code_kind::machine_coordinates, code_kind::return_home));
}
bool polar_incremental(const line_facts& f) {
    return f.incremental() && f.scan.polar_word;
}
bool e_word_incremental(const line_facts& f) {
    return f.incremental() && f.scan.e_word;
}
bool restore_other_level(const line_facts& f) {
    // Written out in place, the calls run at one level: the control's M72
    // restores the last modes saved, which must be those of the line's own level.
    if (!f.holds(kind_bit(code_kind::restore_state))) {
        return false;
    }
    const saved_modes* here = saved_here(f.machine);
    return here != nullptr ? here->event != f.machine.save_events : f.machine.save_events != 0;
}
bool mode_kept_under_g91(const line_facts& f) {
    return f.adds_g91 && f.holds(kinds(code_kind::save_state, code_kind::restore_state));
}
bool unknown_position(const line_facts& f) {
    return f.incremental() && f.plan.form == write_form::rewrite &&
           (f.plan.needs_known & ~f.plan.known) != 0;
}
bool numbers_of_both_styles(const line_facts& f) {
    return f.refusal == numbers_refusal::mixed;
}
bool point_needs_reading(const line_facts& f) {
    return f.refusal == numbers_refusal::point;
}
bool repeated_axis(const line_facts& f) {
    // Controls differ: some take the last word, some add them up, some refuse.
    return f.incremental() && f.plan.form == write_form::rewrite && f.scan.repeated_axes != 0;
}

}  // namespace

// A stop rule names its reason and tells whether a line meets it. They are
// tried in the order of the README's table of messages.
struct stop_rule {
    stop_reason reason;
    bool (*applies)(const line_facts& facts);
    bool reads_cells = false;  // the rule of the table's `stop` cells of its reason
};
template <stop_reason reason>
constexpr stop_rule cell_rule() {
    return {reason, stop_cell<reason>, true};
}
constexpr stop_rule STOP_RULES[] = {
    {stop_reason::malformed_number, malformed_number},
    {stop_reason::control_character, control_character},
    {stop_reason::conflicting_codes, two_codes_of_a_group},
    {stop_reason::computed_code, computed_code},
    {stop_reason::optional_block, optional_block},
    cell_rule<stop_reason::flow_incremental>(),
    {stop_reason::jump_with_incremental, jump_with_incremental},
    cell_rule<stop_reason::call_incremental>(),
    cell_rule<stop_reason::code_incremental>(),
    cell_rule<stop_reason::firmware_incremental>(),
    {stop_reason::under_transform, under_transform},
    {stop_reason::canned_cycle_incremental, cycle_incremental},
    {stop_reason::cycle_word_other_mode, cycle_word_other_mode},
    {stop_reason::parameter_incremental, parameter_incremental},
    {stop_reason::offset_with_move, offset_with_move},
    {stop_reason::dwell_with_axes, dwell_with_axes},
    {stop_reason::tool_length_z, tool_length_z},
    {stop_reason::polar_incremental, polar_incremental},
    {stop_reason::e_word_incremental, e_word_incremental},
    {stop_reason::mode_kept_under_g91, mode_kept_under_g91},
    {stop_reason::restore_other_level, restore_other_level},
    {stop_reason::unknown_position, unknown_position},
    {stop_reason::whole_added_to_pointed, numbers_of_both_styles},
    {stop_reason::point_needs_reading, point_needs_reading},
    {stop_reason::cycle_may_run, cycle_may_run},
    {stop_reason::repeated_axis, repeated_axis},
};

// The first rules: lines that no control reads alike, in any mode.
constexpr std::size_t UNREADABLE_RULES = 3;
static_assert(STOP_RULES[UNREADABLE_RULES - 1].reason == stop_reason::conflicting_codes);

// Every `stop` cell of the table of codes is read: its reason has the rule
// that reads the cells.
constexpr bool every_stop_cell_read() {
    for (const code_row& row : CODE_ROWS) {
        if (row.incremental_form != write_form::stop && row.absolute_form != write_form::stop) {
            continue;
        }
        bool read = false;
        for (const stop_rule& rule : STOP_RULES) {
            read = read || (rule.reads_cells && rule.reason == row.stop);
        }
        if (!read) {
            return false;
        }
    }
    return true;
}
static_assert(every_stop_cell_read(), "a stop cell's reason has a rule that reads it");

namespace {

// The first axis of `axes` in the order the line names them.
int first_axis(const scanned_line& scan, std::uint16_t axes) {
    for (const line_word& word : scan.words) {
        if (word.slot < AXIS_COUNT && (axes & axis_bit(word.slot)) != 0) {
            return word.slot;
        }
    }
    return std::countr_zero(axes);
}

// The stop of `reason` for the line, with what its message names.
struct stop_facts {
    const padded_line& line;
    const scanned_line& scan;
    const machine_state& machine;
    const line_plan& plan;
};

// The text of a word of the line.
std::string word_text(const padded_line& line, const line_word& word) {
    return std::string(line.text().substr(word.begin, word.end - word.begin));
}

// The line's first word of `slot`, or nullptr.
const line_word* word_of(const scanned_line& scan, int slot) {
    for (const line_word& word : scan.words) {
        if (word.slot == slot) {
            return &word;
        }
    }
    return nullptr;
}

// The stop of numbers of both styles added up: the line's word, and the
// word that gave the rest the other style (another word of a cycle line, or
// the one that gave its axis's position that style).
void describe_mixed_numbers(const stop_facts& f, conversion_stop& stop) {
    const line_plan& plan = f.plan;
    const int axis = first_axis(f.scan, plan.styles.mixed);
    const line_word* word = word_of(f.scan, axis);
    const line_word* other_word = nullptr;
    if (plan.words == axis_effect::cycle_holes && axis == plan.normal_axis) {
        // The R level (the initial level's and R's styles) or the bottom
        // (the R level's and the depth's) is made of both.
        const auto initial = static_cast<std::uint8_t>(plan.cycle_word_styles & 3U);
        const auto r = static_cast<std::uint8_t>(plan.cycle_word_styles >> 2 & 3U);
        const line_word* r_word = word_of(f.scan, R_SLOT);
        if ((initial | r) != MIXED_NUMBER && r_word != nullptr && word != nullptr) {
            other_word = r_word;  // the depth is added to this line's R
        } else if (r_word != nullptr) {
            word = r_word;
        }
    }
    if (word == nullptr) {
        word = &f.scan.words.front();
    }
    const bool whole = (masks_of(f.scan).whole >> word->slot & 1U) != 0;
    stop.reason = whole ? stop_reason::whole_added_to_pointed : stop_reason::pointed_added_to_whole;
    stop.detail = word_text(f.line, *word);
    if (other_word != nullptr) {
        stop.since = word_text(f.line, *other_word);
        stop.since_line = stop.line_number;
        return;
    }
    const auto source_axis =
        static_cast<std::size_t>(word->slot < AXIS_COUNT ? word->slot : plan.normal_axis);
    if (!f.machine.styles_followed) {
        // Before the first number without a point, every position that is
        // not zero was reached with numbers with a point.
        std::array<char, WORD_CAPACITY> text{};
        const char* end = write_number_word(text.data(), AXIS_LETTERS[source_axis],
                                            f.machine.position[source_axis], 0, true);
        stop.since = std::string(text.data(), static_cast<std::size_t>(end - text.data()));
        stop.since_line = 0;
        return;
    }
    const style_source& source =
        (whole ? f.machine.pointed_from : f.machine.whole_from)[source_axis];
    stop.since = std::string(source.text());
    stop.since_line = source.line;
}

conversion_stop make_stop(stop_reason reason, const stop_facts& f, std::uint64_t line_number) {
    conversion_stop stop(reason, {}, line_number);
    std::array<char, 12> text{};
    switch (reason) {
        case stop_reason::whole_added_to_pointed:
            describe_mixed_numbers(f, stop);
            break;
        case stop_reason::point_needs_reading:
            for (const line_word& word : f.scan.words) {
                if ((f.plan.styles.whole_slots >> word.slot & 1U) != 0) {
                    stop.detail = word_text(f.line, word);
                    break;
                }
            }
            break;
        case stop_reason::misplaced_mode_line:
            for (const line_word& word : f.scan.words) {
                if ((XYZ_AXES >> word.slot & 1U) != 0) {
                    stop.detail = std::string(1, AXIS_LETTERS[word.slot]);
                    break;
                }
            }
            break;
        case stop_reason::malformed_number:
            stop.detail = std::string(f.line.text().substr(
                f.scan.malformed.begin, f.scan.malformed.end - f.scan.malformed.begin));
            break;
        case stop_reason::control_character: {
            constexpr std::string_view HEX = "0123456789ABCDEF";
            const auto byte = static_cast<unsigned char>(f.line[f.scan.control_char - 1]);
            stop.detail = std::string("0x") + HEX[byte >> 4] + HEX[byte & 0xF];
            break;
        }
        case stop_reason::conflicting_codes:
            stop.detail = std::string(code_name('G', f.scan.conflict_first, text)) + " and " +
                          std::string(code_name('G', f.scan.conflict_second, text));
            break;
        case stop_reason::code_incremental:
            // A transform, another code, a transform end with axis words, or
            // an offset that rotates.
            stop.detail =
                stopping_code_name(f.line, f.scan,
                                   kinds(code_kind::transform, code_kind::other_g,
                                         code_kind::transform_end, code_kind::offset_named));
            break;
        case stop_reason::firmware_incremental:
            stop.detail = stopping_code_name(f.line, f.scan, kind_bit(code_kind::firmware));
            break;
        case stop_reason::repeated_axis:
            stop.detail = std::string(
                1, AXIS_LETTERS[static_cast<std::size_t>(std::countr_zero(f.scan.repeated_axes))]);
            break;
        case stop_reason::offset_with_move:
            stop.detail =
                code_name_of(f.scan, kinds(code_kind::offset_named, code_kind::offset_all));
            break;
        case stop_reason::tool_length_z:
            stop.detail = code_name_of(
                f.scan,
                kinds(code_kind::tool_length, code_kind::tool_length_axes, code_kind::tool_change));
            break;
        case stop_reason::under_transform: {
            const standing_transform& standing = *f.machine.transform();
            stop.detail = std::string(
                1, AXIS_LETTERS[static_cast<std::size_t>(first_axis(f.scan, f.scan.axes))]);
            stop.since = std::string(code_name('G', standing.tenths, text));
            stop.since_line = standing.line;
            break;
        }
        case stop_reason::canned_cycle_incremental:
            stop.detail = f.plan.cycle_problem != nullptr ? f.plan.cycle_problem : "";
            break;
        case stop_reason::call_incremental: {
            // Subprogram and O-word calls can be written out in place; macro calls cannot.
            bool expandable = f.scan.o_word == o_word_line::call;
            bool macro = f.scan.holds(kinds(code_kind::modal_call, code_kind::modal_call_end));
            for (const code_word& code : f.scan.codes) {
                if (code.kind() == code_kind::call) {
                    expandable = expandable || code.info->has(EXPANDABLE_CALL);
                    macro = macro || !code.info->has(EXPANDABLE_CALL);
                }
            }
            stop.detail = !macro && expandable ? "expandable" : "";
            break;
        }
        case stop_reason::cycle_word_other_mode: {
            const bool r = f.plan.mixed_cycle_word == CYCLE_R_WORD;
            const kept_cycle_word& kept = r ? f.machine.kept_r : f.machine.kept_depth;
            const int normal = std::countr_zero(plane_normal_axes(f.plan.in_plane));
            stop.detail = r ? "R" : std::string(1, AXIS_LETTERS[static_cast<std::size_t>(normal)]);
            stop.since = kept.incremental ? "G91" : "G90";
            stop.since_line = kept.line;
            break;
        }
        case stop_reason::cycle_may_run:
            stop.since = std::string(f.machine.cycle_unsure.text());
            stop.since_line = f.machine.cycle_unsure.line;
            stop.hint = f.machine.cycle_unsure.call ? stop_hint::expand_calls : stop_hint::none;
            break;
        case stop_reason::unknown_position: {
            const int axis =
                first_axis(f.scan, static_cast<std::uint16_t>(f.plan.needs_known & ~f.plan.known));
            const loss& lost = f.machine.lost[static_cast<std::size_t>(axis)];
            stop.detail = std::string(1, AXIS_LETTERS[static_cast<std::size_t>(axis)]);
            stop.since = std::string(lost.text());
            stop.since_line = lost.line;
            stop.hint = lost.call                               ? stop_hint::expand_calls
                        : lost.line == 0 && lost.text().empty() ? stop_hint::give_start
                                                                : stop_hint::state_position;
            break;
        }
        default:
            break;
    }
    return stop;
}

// The axes still known when the line's words apply: a switch from or to
// unknown units makes every axis not at 0 unknown.
std::uint16_t known_after_units(const scanned_line& scan, kind_set held,
                                const machine_state& machine) {
    std::uint16_t known = machine.known;
    const length_unit unit =
        scan.unit != length_unit::unknown ? scan.unit
        : (held & kind_bit(code_kind::restore_state)) != 0 && saved_here(machine)
            ? saved_here(machine)->modes.unit
            : machine.unit;
    if (unit != machine.unit &&
        (machine.unit == length_unit::unknown || unit == length_unit::unknown)) {
        for (int axis = 0; axis < AXIS_COUNT; ++axis) {
            if (machine.position[static_cast<std::size_t>(axis)].billionths != 0 &&
                (LINEAR_AXES & axis_bit(axis)) != 0) {
                known &= static_cast<std::uint16_t>(~axis_bit(axis));
            }
        }
    }
    return known;
}

// The value of the line's word in `slot`, if it has one.
std::optional<exact_number> word_value(const scanned_line& scan, int slot) {
    for (const line_word& word : scan.words) {
        if (word.slot == slot) {
            return word.value;
        }
    }
    return std::nullopt;
}

// A repeat count: whole and at least 1, or 0 for any other.
std::uint64_t repeat_count(exact_number value) {
    return value.billionths % BILLION == 0 && value.billionths > 0
               ? static_cast<std::uint64_t>(value.billionths / BILLION)
               : 0;
}

// Whether a cycle line in incremental mode can be converted; nullptr when it
// can, else why not ("" for a cycle that is never converted). Sets the holes
// and where the repeat count stands.
const char* plan_cycle_holes(const scanned_line& scan, const machine_state& machine, int code,
                             work_plane plane, line_plan& plan) {
    if (!g_code(code).has(CONVERTED_CYCLE)) {
        return "";
    }
    // Codes whose axis words are not moves: on a cycle line no control
    // agrees whose words they are (RS274NGC refuses the line).
    constexpr kind_set OTHER_AXIS_WORDS =
        kinds(code_kind::set_position, code_kind::machine_coordinates, code_kind::return_home,
              code_kind::offset_named, code_kind::offset_all, code_kind::dwell,
              code_kind::tool_length_axes, code_kind::probe);
    if ((plan.held & OTHER_AXIS_WORDS) != 0) {
        return "another code's axis words on the line";
    }
    if (plane == work_plane::unknown) {
        return "plane unknown";
    }
    if (machine.transform() != nullptr) {
        return "under a transform";
    }
    if (!plan.series_start && !machine.series.incremental) {
        return "series begun in absolute mode";
    }
    if (machine.cycle == cycle_state::on && plan.cycle_code != 0 &&
        plan.cycle_code != machine.cycle_code) {
        return "another cycle code without G80: controls differ on the initial level";
    }
    if (scan.parameters || scan.computed_axes != 0) {
        return "parameter or expression";
    }
    if (scan.more_words != 0) {
        return "more than 64 words";
    }
    const std::uint16_t normal = plane_normal_axes(plane);
    plan.normal_axis = static_cast<std::uint8_t>(std::countr_zero(normal));
    const std::uint16_t plane_axes = static_cast<std::uint16_t>(XYZ_AXES & ~normal);
    if ((scan.axes & ~(plane_axes | normal)) != 0) {
        return "axis word beyond the plane";
    }
    constexpr std::uint8_t I_OR_J = 0b11;
    if ((scan.arcs & I_OR_J) != 0) {
        return "I or J word";
    }
    const std::optional<exact_number> k = word_value(scan, K_SLOT);
    if (k && scan.l_end != 0) {
        return "two repeat counts";
    }
    plan.repeat_in_k = k.has_value();
    const std::uint64_t holes = k                 ? repeat_count(*k)
                                : scan.l_end != 0 ? repeat_count(scan.l_value)
                                                  : 1;
    if (holes == 0) {
        return "repeat count of 0 or not whole";
    }
    // Fanuc-style controls take four digits; others take more.
    constexpr std::uint64_t MOST_REPEATS = 9999;
    static_assert(MOST_REPEATS <= UINT16_MAX, "a plan holds the repeat count");
    if (holes > MOST_REPEATS) {
        return "repeat count above 9999";
    }
    plan.holes = static_cast<std::uint16_t>(holes);
    if (holes > 1 && (scan.axes & plane_axes) == 0) {
        return "repeat count without a plane axis word";
    }
    const std::optional<exact_number> r = word_value(scan, R_SLOT);
    const std::optional<exact_number> depth = word_value(scan, plan.normal_axis);
    const bool later = !plan.series_start;
    if (!r && !(later && machine.series.r)) {
        return "no R word";
    }
    if (!depth && !(later && machine.series.depth)) {
        return "no depth word";
    }
    if (r && r->billionths > 0) {
        return "R above the initial level";
    }
    if (later && r && !depth && *r != *machine.series.r) {
        return "a new R without a depth word";
    }
    plan.needs_known =
        static_cast<std::uint16_t>((scan.axes & plane_axes) | (plan.series_start ? normal : 0));
    return nullptr;
}

}  // namespace

conversion_stop describe_stop(const line_plan& plan, const padded_line& line,
                              const scanned_line& scan, const machine_state& machine,
                              std::uint64_t line_number) {
    const stop_facts facts{line, scan, machine, plan};
    return make_stop(plan.stop, facts, line_number);
}

std::string restoring_codes(const modal_state& now, const saved_modes& saved) {
    const modal_state& to = saved.modes;
    std::string codes;
    std::array<char, 12> text{};
    const auto add = [&](int tenths, bool known, const char* what) {
        if (!known) {
            throw conversion_stop(stop_reason::restore_not_written, what, saved.line);
        }
        if (!codes.empty()) {
            codes += ' ';
        }
        codes += code_name('G', tenths, text);
    };
    if (to.unit != now.unit) {
        add(unit_code(to.unit), to.unit != length_unit::unknown, "units");
    }
    if (to.plane != now.plane) {
        add(plane_code(to.plane), to.plane != work_plane::unknown, "plane");
    }
    if (to.feed_mode != now.feed_mode) {
        add(to.feed_mode, to.feed_mode != 0, "feed mode");
    }
    if (to.coordinate_system != now.coordinate_system) {
        add(to.coordinate_system, to.coordinate_system > 0, "coordinate system");
    }
    if (to.retract != now.retract) {
        add(retract_code(to.retract), to.retract != retract_level::unknown, "G98 or G99");
    }
    if (to.tool_length_changes != now.tool_length_changes) {
        // An offset from the tool table takes its H word, which is not kept.
        add(to.tool_length, g_code(to.tool_length).has(CANCELS_TOOL_LENGTH), "tool length");
    }
    if (to.diameter != now.diameter) {
        add(transform_code(DIAMETER_SLOT, to.diameter), true, "diameter mode");
    }
    return codes;
}

numbers_refusal plan_styles(const scanned_line& scan, const machine_state& machine,
                            line_plan& plan) {
    plan.styled = true;
    word_masks masks = masks_of(scan);
    if (plan.repeat_in_k) {
        // A cycle's K word is a repeat count, left out of the line.
        constexpr auto K_WORD = static_cast<std::uint16_t>(~(1U << K_SLOT));
        masks = {static_cast<std::uint16_t>(masks.dotted & K_WORD),
                 static_cast<std::uint16_t>(masks.pointed & K_WORD),
                 static_cast<std::uint16_t>(masks.whole & K_WORD)};
    }
    const position_styles before = styles_of(machine);
    switch (plan.words) {
        case axis_effect::cycle_holes: {
            const int normal = plan.normal_axis;
            const auto value_style = [](const std::optional<exact_number>& value) {
                return value && value->billionths != 0 ? POINTED_NUMBER : std::uint8_t{0};
            };
            // Before styles were followed, every number not zero had a point.
            const bool followed = machine.styles_followed;
            const std::uint8_t initial = plan.series_start ? axis_style(before, normal)
                                         : followed        ? machine.series.initial_style
                                                           : value_style(machine.series.initial);
            const std::uint8_t r = (scan.arcs & R_WORD) != 0 ? word_style(masks, R_SLOT)
                                   : followed                ? machine.series.r_style
                                                             : value_style(machine.series.r);
            const std::uint8_t depth = (scan.axes & axis_bit(normal)) != 0
                                           ? word_style(masks, normal)
                                       : followed ? machine.series.depth_style
                                                  : value_style(machine.series.depth);
            // After the last hole the normal axis stands at the initial
            // level (G98) or the R level (G99).
            const retract_level retract =
                plan.retract != retract_level::unknown ? plan.retract : machine.retract;
            const auto level = static_cast<std::uint8_t>(
                retract == retract_level::initial ? initial : initial | r);
            plan.styles = cycle_styles(scan, masks, before, normal, initial, r, depth, level);
            plan.cycle_word_styles = static_cast<std::uint8_t>(initial | r << 2 | depth << 4);
            break;
        }
        case axis_effect::move:
        case axis_effect::set:
        case axis_effect::shift:
            plan.styles = move_styles(
                scan, masks, before,
                plan.words == axis_effect::shift ||
                    (plan.words == axis_effect::move && plan.mode == distance_mode::incremental));
            break;
        default:
            plan.styles.pointed = before.pointed;
            plan.styles.whole = before.whole;
            plan.styles.point_slots = masks.dotted;
            break;
    }
    return refused_numbers(machine, plan.styles, plan.form == write_form::rewrite);
}

void refuse_unreadable_line(const padded_line& line, const scanned_line& scan,
                            const machine_state& machine, std::uint64_t line_number) {
    line_plan plan;
    plan.held = scan.held;
    plan.mode = machine.mode;
    plan.known = machine.known;
    const line_facts facts{scan, machine, plan, false, false, 0};
    for (std::size_t rule = 0; rule < UNREADABLE_RULES; ++rule) {
        if (STOP_RULES[rule].applies(facts)) {
            const stop_facts described{line, scan, machine, plan};
            throw make_stop(STOP_RULES[rule].reason, described, line_number);
        }
    }
}

namespace {

// --- The steps of a plan ---

// The mode the line's words are read in: its own G90 or G91, else the mode
// that a restore of saved modes brings back, else the machine's.
distance_mode line_mode(kind_set held, const machine_state& machine) {
    if ((held & kind_bit(code_kind::incremental)) != 0) {
        return distance_mode::incremental;
    }
    if ((held & kind_bit(code_kind::absolute)) != 0) {
        return distance_mode::absolute;
    }
    if ((held & kind_bit(code_kind::restore_state)) != 0 && saved_here(machine) != nullptr) {
        return saved_here(machine)->modes.mode;
    }
    return machine.mode;
}

// Canned cycles: started by their code, ended by a cycle end or a motion
// code. Whether the line runs the cycle: it starts one, or names an axis
// while one may stand.
bool plan_cycle_step(const scanned_line& scan, const machine_state& machine, line_plan& plan) {
    cycle_state cycle = machine.cycle;
    if (plan.holds(kind_bit(code_kind::cycle))) {
        cycle = cycle_state::on;
        plan.cycle = state_change::start;
        for (const code_word& code : scan.codes) {
            if (code.kind() == code_kind::cycle) {
                plan.cycle_code = static_cast<std::int16_t>(code.tenths);
            }
        }
    } else if ((scan.motion_code() || plan.holds(kind_bit(code_kind::cycle_cancel))) &&
               cycle != cycle_state::off) {
        cycle = cycle_state::off;
        plan.cycle = state_change::end;
    }
    return cycle != cycle_state::off && (plan.holds(kind_bit(code_kind::cycle)) || scan.axes != 0);
}

// How the line is written and what its words do: the governing row's cells
// in the line's mode.
void plan_form(const scanned_line& scan, const code_row& row, line_plan& plan) {
    switch (plan.mode) {
        case distance_mode::incremental:
            plan.form = row.incremental_form;
            plan.words = row.incremental_axes;
            break;
        case distance_mode::absolute:
            plan.form = row.absolute_form;
            plan.words = row.absolute_axes;
            break;
        case distance_mode::unknown:
            // The output is in the input's mode, whatever it is, as long as
            // the line is copied.
            plan.form = write_form::copy;
            plan.words = row.absolute_axes == axis_effect::forget_all ||
                                 row.absolute_axes == axis_effect::forget_named_or_all
                             ? row.absolute_axes
                             : axis_effect::forget_named;
            break;
    }
    if (plan.form == write_form::under_g91_with_axes) {
        plan.form = scan.axes != 0 ? write_form::under_g91 : write_form::copy;
    }
    for (const code_word& code : scan.codes) {
        if (code.info->retract != retract_level::unknown) {
            plan.retract = code.info->retract;  // stands for the rest of the program
        }
    }
}

// A line that runs a cycle: a series begins after a cycle end, a motion code
// or another cycle code; in incremental mode its holes are converted, or
// why not is returned. The R and depth words a line does not give are those
// the control kept from an earlier cycle line: read in the other mode,
// controls differ on what they mean now.
const char* plan_cycle(const scanned_line& scan, const machine_state& machine, bool runs_cycle,
                       line_plan& plan) {
    const bool incremental = plan.mode == distance_mode::incremental;
    const cycle_state cycle = plan.cycle == state_change::start ? cycle_state::on
                              : plan.cycle == state_change::end ? cycle_state::off
                                                                : machine.cycle;
    const char* problem = nullptr;
    if (runs_cycle) {
        plan.series_start = machine.cycle != cycle_state::on ||
                            (plan.cycle_code != 0 && plan.cycle_code != machine.cycle_code);
        if (incremental && cycle != cycle_state::maybe) {
            plan.form = write_form::rewrite;
            plan.words = axis_effect::cycle_holes;
            const int code = plan.cycle_code != 0 ? plan.cycle_code : machine.cycle_code;
            problem = plan_cycle_holes(scan, machine, code, plan.in_plane, plan);
        }
    } else if (incremental && cycle != cycle_state::off && (scan.arcs & R_WORD) != 0) {
        // The control takes a new R level, relative, and drills nowhere.
        problem = "R word without a hole";
    }
    if (plan.words == axis_effect::move) {
        plan.needs_known = scan.axes;
    }
    if (runs_cycle && cycle == cycle_state::on && plan.mode != distance_mode::unknown &&
        plan.in_plane != work_plane::unknown) {
        const std::uint16_t normal = plane_normal_axes(plan.in_plane);
        plan.gives_cycle_words =
            static_cast<std::uint8_t>(((scan.arcs & R_WORD) != 0 ? CYCLE_R_WORD : 0) |
                                      ((scan.axes & normal) != 0 ? CYCLE_DEPTH_WORD : 0));
        const auto other_mode = [&](const kept_cycle_word& kept) {
            return kept.line != 0 && kept.incremental != incremental;
        };
        if ((plan.gives_cycle_words & CYCLE_R_WORD) == 0 && other_mode(machine.kept_r)) {
            plan.mixed_cycle_word = CYCLE_R_WORD;
        } else if ((plan.gives_cycle_words & CYCLE_DEPTH_WORD) == 0 &&
                   other_mode(machine.kept_depth)) {
            plan.mixed_cycle_word = CYCLE_DEPTH_WORD;
        }
    }
    return problem;
}

// The first stop rule the line meets, if any.
bool plan_first_stop(const line_facts& facts, line_plan& plan) {
    for (const stop_rule& rule : STOP_RULES) {
        if (rule.applies(facts)) {
            plan.stops = true;
            plan.stop = rule.reason;
            return true;
        }
    }
    return false;
}

// The state the line's codes set, and what its words do where a transform
// stands, a parameter is read or another coordinate system is selected.
void plan_codes_set(const scanned_line& scan, const machine_state& machine, std::uint8_t flags,
                    line_plan& plan) {
    const bool transformed = machine.transform() != nullptr;
    if ((transformed || scan.parameters) && plan.form == write_form::rewrite) {
        // Coordinates under a transform are no positions, and a line with a
        // parameter is never rewritten.
        plan.form = write_form::copy;
        plan.words = plan.mode == distance_mode::absolute && !transformed
                         ? axis_effect::set
                         : axis_effect::forget_named;
    }
    plan.plane = scan.plane;
    plan.unit = scan.unit;
    plan.save = plan.holds(kind_bit(code_kind::save_state));
    plan.autorestore = scan.has(AUTORESTORE);
    plan.restore = plan.holds(kind_bit(code_kind::restore_state));
    if (plan.holds(kind_bit(code_kind::modal_call))) {
        plan.modal_call = state_change::start;
    } else if (plan.holds(kind_bit(code_kind::modal_call_end))) {
        plan.modal_call = state_change::end;
    }
    for (const code_word& code : scan.codes) {
        const code_info& info = *code.info;
        if (info.ends != NO_SLOT) {
            plan.transforms_end |= static_cast<std::uint8_t>(1U << info.ends);
        }
        // A code that also rotates begins its transform only where it rotates.
        if (info.begins != NO_SLOT &&
            (info.kind == code_kind::transform ||
             (info.has(ROTATES_WITH_R) && plan.holds(kind_bit(code_kind::transform))))) {
            plan.transforms_begin |= static_cast<std::uint8_t>(1U << info.begins);
            plan.transform_code[static_cast<std::size_t>(info.begins)] =
                static_cast<std::uint16_t>(code.tenths);
        }
        if (info.kind == code_kind::coordinate_system) {
            plan.select_system =
                static_cast<std::int16_t>(info.has(ONE_OF_MANY_SYSTEMS) ? -1 : code.tenths);
        } else if (info.kind == code_kind::tool_length ||
                   info.kind == code_kind::tool_length_axes) {
            plan.tool_length = static_cast<std::int16_t>(code.tenths);
        } else if (info.group == FEED_MODE_GROUP) {
            plan.feed_mode = static_cast<std::int16_t>(code.tenths);
        }
    }
    if (plan.select_system != 0 && plan.select_system != machine.coordinate_system) {
        // Another coordinate system: every position changes. Absolute words
        // set their axes in it; others move from an unknown position.
        if (plan.mode == distance_mode::absolute && plan.words == axis_effect::set) {
            plan.forget_before = ALL_AXES;
        } else {
            plan.words = axis_effect::none;
        }
    }
    plan.program_end = plan.holds(kind_bit(code_kind::program_end));
    plan.jump = plan.holds(kind_bit(code_kind::jump));
    plan.forget_state = (flags & FORGETS_STATE) != 0;
}

}  // namespace

// --- The losses ---

// What a loss rule reads of a line.
struct loss_facts {
    const scanned_line& scan;
    const machine_state& machine;
    const line_plan& plan;
    const code_row& row;  // the governing row
    std::uint8_t flags;   // the flags of every row the line holds
    bool runs_cycle;
};

namespace {

using loss_text = std::array<char, 12>;

// The axes the governing row's effect makes unknown, named by the row's code.
std::uint16_t row_axes(const loss_facts& f) {
    switch (f.plan.words) {
        case axis_effect::forget_named:
            return f.scan.axes;
        case axis_effect::forget_named_or_all:
            return f.scan.axes == 0 ? ALL_AXES : f.scan.axes;
        case axis_effect::forget_all:
            return ALL_AXES;
        default:
            return 0;
    }
}
std::string_view row_why(const loss_facts& f, loss_text& text) {
    std::string_view why = first_code_name(f.scan, kind_bit(f.row.kind), text);
    if (why.empty()) {  // a transform end with axis words, or an offset that rotates
        why =
            first_code_name(f.scan, kinds(code_kind::transform_end, code_kind::offset_named), text);
    }
    if (why.empty()) {
        why = "H";  // a move with an H word
    }
    return why;
}

bool always(const loss_facts&) {
    return true;
}
std::uint16_t no_axes(const loss_facts&) {
    return 0;
}

bool transformed(const loss_facts& f) {
    return f.machine.transform() != nullptr;
}
std::string_view transform_why(const loss_facts& f, loss_text& text) {
    return code_name('G', f.machine.transform()->tenths, text);
}

bool unknown_mode(const loss_facts& f) {
    return f.plan.mode == distance_mode::unknown;
}
std::string_view unknown_mode_why(const loss_facts&, loss_text&) {
    return "unknown mode";
}

bool other_system(const loss_facts& f) {
    return f.plan.select_system != 0 && f.plan.select_system != f.machine.coordinate_system;
}
std::uint16_t other_system_axes(const loss_facts& f) {
    return f.plan.forget_before == ALL_AXES ? 0 : ALL_AXES;
}
std::string_view other_system_why(const loss_facts& f, loss_text& text) {
    return first_code_name(f.scan, kind_bit(code_kind::coordinate_system), text);
}

bool tool_length(const loss_facts& f) {
    return ((f.flags & FORGETS_Z) != 0 &&
            !(f.plan.mode == distance_mode::absolute && f.plan.words == axis_effect::move &&
              (f.scan.axes & Z_AXIS) != 0)) ||
           (f.flags & FORGETS_Z_ALWAYS) != 0;
}
std::uint16_t tool_length_axes(const loss_facts&) {
    return Z_AXIS;
}
std::string_view tool_length_why(const loss_facts& f, loss_text& text) {
    // A return or a move in machine coordinates names its own loss.
    if (f.row.kind == code_kind::machine_coordinates || f.row.kind == code_kind::return_home) {
        return row_why(f, text);
    }
    return first_code_name(
        f.scan, kinds(code_kind::tool_length, code_kind::tool_length_axes, code_kind::tool_change),
        text);
}

bool cycle_level(const loss_facts& f) {
    // The normal axis returns to a level that a converted cycle line knows
    // from the retract level alone.
    const retract_level retract =
        f.plan.retract != retract_level::unknown ? f.plan.retract : f.machine.retract;
    return f.runs_cycle &&
           !(f.plan.words == axis_effect::cycle_holes && retract != retract_level::unknown);
}
std::uint16_t cycle_level_axes(const loss_facts& f) {
    return plane_normal_axes(f.plan.in_plane);
}
std::string_view cycle_level_why(const loss_facts& f, loss_text& text) {
    const int code = f.plan.cycle_code != 0 ? f.plan.cycle_code : f.machine.cycle_code;
    return code != 0 ? code_name('G', code, text) : "cycle";
}

bool polar_word(const loss_facts& f) {
    return f.scan.polar_word;
}
std::uint16_t polar_axes(const loss_facts&) {
    return XYZ_AXES & ~Z_AXIS;
}
std::string_view polar_why(const loss_facts&, loss_text&) {
    return "@";
}

bool computed_axes(const loss_facts& f) {
    return f.scan.computed_axes != 0;
}
std::uint16_t computed_axes_lost(const loss_facts& f) {
    return f.scan.computed_axes;
}
std::string_view computed_why(const loss_facts&, loss_text&) {
    return "#";
}

bool repeated_axes(const loss_facts& f) {
    // Which of the words counts differs from control to control.
    return f.scan.repeated_axes != 0;
}
std::uint16_t repeated_axes_lost(const loss_facts& f) {
    return f.scan.repeated_axes;
}
std::string_view repeated_why(const loss_facts& f, loss_text& text) {
    constexpr std::string_view WORDS = "two X words";
    std::copy(WORDS.begin(), WORDS.end(), text.begin());
    text[4] = AXIS_LETTERS[static_cast<std::size_t>(std::countr_zero(f.scan.repeated_axes))];
    return {text.data(), WORDS.size()};
}

bool state_forgotten(const loss_facts& f) {
    return f.plan.forget_state;
}
std::string_view state_forgotten_why(const loss_facts& f, loss_text& text) {
    const std::string_view why = first_code_name(
        f.scan,
        kinds(code_kind::flow, code_kind::jump, code_kind::call, code_kind::modal_call,
              code_kind::modal_call_end, code_kind::program_end),
        text);
    return why.empty() ? "G66" : why;  // an axis line under a modal call
}

}  // namespace

// A loss rule: whether it applies to a line, the axes it makes unknown, and
// what it names as the cause. Of the rules that apply, the last names the
// loss of every axis the line makes unknown: the most telling comes last.
struct loss_rule {
    bool (*applies)(const loss_facts& facts);
    std::uint16_t (*axes)(const loss_facts& facts);
    std::string_view (*why)(const loss_facts& facts, loss_text& text);
};
constexpr loss_rule LOSS_RULES[] = {
    {always, row_axes, row_why},
    {transformed, no_axes, transform_why},
    {unknown_mode, no_axes, unknown_mode_why},
    {other_system, other_system_axes, other_system_why},
    {tool_length, tool_length_axes, tool_length_why},
    {cycle_level, cycle_level_axes, cycle_level_why},
    {polar_word, polar_axes, polar_why},
    {computed_axes, computed_axes_lost, computed_why},
    {repeated_axes, repeated_axes_lost, repeated_why},
    {state_forgotten, no_axes, state_forgotten_why},
};

namespace {

// The axes the line leaves unknown, and why.
void plan_losses(const loss_facts& facts, std::uint64_t line_number, line_plan& plan) {
    std::uint16_t after = 0;
    loss_text text{};
    std::string_view why;
    for (const loss_rule& rule : LOSS_RULES) {
        if (rule.applies(facts)) {
            after |= rule.axes(facts);
            why = rule.why(facts, text);
        }
    }
    plan.forget_after = after;
    plan.why = loss_at(line_number, why);
    plan.why.call = plan.holds(CALLS);
}

}  // namespace

line_plan plan_other_line(const scanned_line& scan, const machine_state& machine,
                          std::uint64_t line_number) {
    line_plan plan;
    plan.held = line_kinds(scan, machine);
    plan.mode = line_mode(plan.held, machine);
    plan.in_plane = scan.plane != work_plane::unknown ? scan.plane : machine.plane;
    plan.known = known_after_units(scan, plan.held, machine);
    const bool runs_cycle = plan_cycle_step(scan, machine, plan);
    const code_row& row = governing_row(plan.held);
    const std::uint8_t flags = held_flags(plan.held);
    plan_form(scan, row, plan);
    const bool adds_g91 =
        plan.form == write_form::under_g91 && !plan.holds(kind_bit(code_kind::incremental));
    plan.cycle_problem = plan_cycle(scan, machine, runs_cycle, plan);
    const numbers_refusal refusal = follows_styles(scan, machine) && plan.cycle_problem == nullptr
                                        ? plan_styles(scan, machine, plan)
                                        : numbers_refusal::none;
    const line_facts facts{scan, machine, plan, runs_cycle, adds_g91, flags, refusal};
    if (plan_first_stop(facts, plan)) {
        return plan;
    }
    plan_codes_set(scan, machine, flags, plan);
    plan_losses({scan, machine, plan, row, flags, runs_cycle}, line_number, plan);
    plan.incremental_move = plan.mode == distance_mode::incremental &&
                            plan.form == write_form::rewrite && scan.axes != 0;
    if (plan.form == write_form::rewrite && scan.words.empty() && scan.g91_digits.empty()) {
        plan.form = write_form::copy;  // nothing to rewrite
    }
    return plan;
}

namespace {

// The mode line: the first line whose code part holds G90, G91 or G92.
bool is_mode_line(const scanned_line& scan) {
    return scan.holds(kinds(code_kind::absolute, code_kind::incremental, code_kind::set_position));
}

// An X, Y or Z word where the mode line was expected suggests the mode line
// is misplaced. A return or a coordinate-system line is spared.
bool holds_misplaced_axis_word(const scanned_line& scan) {
    constexpr kind_set SPARING =
        kinds(code_kind::return_home, code_kind::machine_coordinates, code_kind::coordinate_system);
    return (scan.axes & XYZ_AXES) != 0 && !scan.holds(SPARING);
}

line_plan plan_preamble_line(const scanned_line& scan, const machine_state& machine) {
    line_plan plan;
    plan.held = scan.held;
    plan.mode = machine.mode;
    plan.known = machine.known;
    plan.form = write_form::copy;
    plan.words = axis_effect::none;
    const line_facts facts{scan, machine, plan, false, false, 0};
    for (std::size_t rule = 0; rule < UNREADABLE_RULES; ++rule) {
        if (STOP_RULES[rule].applies(facts)) {
            plan.stops = true;
            plan.stop = STOP_RULES[rule].reason;
            return plan;
        }
    }
    plan.opens = is_mode_line(scan);
    if (!plan.opens && holds_misplaced_axis_word(scan)) {
        plan.stops = true;
        plan.stop = stop_reason::misplaced_mode_line;
        return plan;
    }
    if (!plan.opens) {
        // M70 and M73 save the modes as they stand before the start, M72
        // restores saved ones: a later M72 restores them on the control too.
        plan.save = plan.holds(kind_bit(code_kind::save_state));
        plan.autorestore = scan.has(AUTORESTORE);
        plan.restore = plan.holds(kind_bit(code_kind::restore_state));
    }
    // The start position is taken in the units, plane and system the
    // preamble selects; a mode line that is no start selects them itself,
    // as the body's first line, but for the units of the start.
    const bool start = !plan.opens || scan.holds(kind_bit(code_kind::set_position));
    if (start || machine.unit == length_unit::unknown) {
        plan.unit = scan.unit;
    }
    if (start) {
        plan.plane = scan.plane;
        for (const code_word& code : scan.codes) {
            if (code.kind() == code_kind::coordinate_system) {
                plan.select_system = static_cast<std::int16_t>(
                    code.info->has(ONE_OF_MANY_SYSTEMS) ? -1 : code.tenths);
            }
        }
    }
    return plan;
}

}  // namespace

line_plan plan_opening_line(const scanned_line& scan, const machine_state& machine,
                            std::uint64_t line_number, line_context context) {
    if (context == line_context::preamble) {
        return plan_preamble_line(scan, machine);
    }
    line_plan plan = plan_other_line(scan, machine, line_number);
    if (!plan.stops) {
        plan.form = plan.form == write_form::rewrite ? write_form::copy : plan.form;
        plan.forget_before = 0;
        plan.forget_after = 0;
    }
    return plan;
}

}  // namespace g91to90
