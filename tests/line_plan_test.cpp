#include "convert/line_plan.hpp"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "memory_run.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::padded_text;

// A part of a line that stops it for one reason, in incremental mode, with
// X, Y and Z known, once `prepare` has set the machine up.
struct stop_fragment {
    stop_reason reason;
    std::string text;
    void (*prepare)(machine_state& machine) = nullptr;
    // Also tried beside every other fragment: false where most of them
    // would make a reason of their own (on a cycle line, another code's
    // axis words or a parameter are cycle problems).
    bool paired = true;
};

// In the order the README's table gives: when a line has two reasons, the
// first of them is given.
const std::vector<stop_fragment>& fragments() {
    static const std::vector<stop_fragment> list{
        {stop_reason::malformed_number, "X5-3"},
        {stop_reason::control_character, "\x01"},
        {stop_reason::conflicting_codes, "G17 G18"},
        {stop_reason::computed_code, "M#5"},
        {stop_reason::optional_block, "/M98 P2"},
        {stop_reason::flow_incremental, "END1"},
        {stop_reason::jump_with_incremental, "X1",
         [](machine_state& m) { note_jump(m, loss_at(1, "GOTO")); }},
        {stop_reason::call_incremental, "M98 P1"},
        {stop_reason::code_incremental, "G16"},
        {stop_reason::firmware_incremental, "M201 X1"},
        {stop_reason::under_transform, "Y1",
         [](machine_state& m) { begin_transform(m, POLAR_SLOT, 160, 1); }},
        {stop_reason::canned_cycle_incremental, "G81 Z-1 R1"},
        {stop_reason::cycle_word_other_mode, "Y3",
         [](machine_state& m) {
             set_cycle(m, cycle_state::on, 810);
             begin_series(m, true, {});
             keep_cycle_words(m, exact_number{}, exact_number{});
             keep_cycle_word(m.kept_r, 1, false);
             keep_cycle_word(m.kept_depth, 1, true);
         },
         false},
        {stop_reason::parameter_incremental, "X#1"},
        {stop_reason::offset_with_move, "G92.1 G1 X1"},
        {stop_reason::dwell_with_axes, "G4 X1"},
        {stop_reason::tool_length_z, "G43 H1 Z1"},
        {stop_reason::polar_incremental, "@1"},
        {stop_reason::e_word_incremental, "E1"},
        {stop_reason::mode_kept_under_g91, "G92 M70"},
        {stop_reason::restore_other_level, "M72",
         [](machine_state& m) {
             set_mode(m, distance_mode::incremental);
             save_state(m, false, 1);
             ++m.save_events;  // a save at another call level came last
         }},
        {stop_reason::unknown_position, "A1", nullptr},
        {stop_reason::cycle_may_run, "Y2",
         [](machine_state& m) { forget_state(m, loss_at(1, "M98")); }},
        {stop_reason::repeated_axis, "Z1 Z2"},
    };
    return list;
}

// The reason a line stops for, read with the machine prepared for each of
// `fragments`; the machine is in incremental mode with X, Y and Z known.
std::optional<stop_reason> stop_of(const std::string& line,
                                   const std::vector<const stop_fragment*>& parts) {
    machine_state machine;
    for (const stop_fragment* part : parts) {
        if (part->prepare != nullptr) {
            part->prepare(machine);
        }
    }
    set_mode(machine, distance_mode::incremental);
    set_plane(machine, work_plane::xy);
    set_axis(machine, 0, {});
    set_axis(machine, 1, {});
    set_axis(machine, 2, {});
    const padded_text text(line + "\n");
    scanned_line scan;
    scan_line(text.line(), scan);
    const line_plan plan = plan_line(scan, machine, 2);
    if (!plan.stops) {
        return std::nullopt;
    }
    return plan.stop;
}

bool holds_two_codes_of_a_group(const std::string& line) {
    const padded_text text(line + "\n");
    scanned_line scan;
    scan_line(text.line(), scan);
    return scan.conflicting();
}

TEST(StopOrder, EachFragmentStopsForItsReason) {
    for (const stop_fragment& part : fragments()) {
        EXPECT_EQ(stop_of(part.text, {&part}), part.reason) << part.text;
    }
}

TEST(StopOrder, TheFirstReasonOfTheTableIsGiven) {
    const auto& list = fragments();
    const std::size_t conflict = 2;
    ASSERT_EQ(list[conflict].reason, stop_reason::conflicting_codes);
    for (std::size_t first = 0; first < list.size(); ++first) {
        for (std::size_t second = first + 1; second < list.size(); ++second) {
            if (!list[first].paired || !list[second].paired) {
                continue;
            }
            // A cycle code beside a motion code is two codes of one group:
            // that reason comes first, unless an earlier one applies.
            const std::string line = list[first].text + " " + list[second].text;
            const stop_reason expected = holds_two_codes_of_a_group(line) && first > conflict
                                             ? stop_reason::conflicting_codes
                                             : list[first].reason;
            EXPECT_EQ(stop_of(line, {&list[first], &list[second]}), expected) << line;
            const std::string reversed = list[second].text + " " + list[first].text;
            EXPECT_EQ(stop_of(reversed, {&list[first], &list[second]}), expected) << reversed;
        }
    }
}

// --- The table of codes: every cell is what the plan does ---

// A machine in `mode` with X, Y and Z known at 0, in millimetres.
machine_state machine_in(distance_mode mode) {
    machine_state machine;
    set_mode(machine, mode);
    set_units(machine, length_unit::millimetre, {});
    for (int axis = 0; axis < 3; ++axis) {
        set_axis(machine, axis, {});
    }
    return machine;
}

line_plan plan_of(const std::string& line, const machine_state& machine) {
    const padded_text text(line + "\n");
    scanned_line scan;
    scan_line(text.line(), scan);
    return plan_line(scan, machine, 2);
}

// A line holding only `code`, with the words its kind needs: a cycle its
// hole, firmware data its axis word (without one it is a machine function).
std::string line_holding(char letter, int tenths, code_kind kind) {
    std::array<char, 12> name{};
    std::string line(code_name(letter, tenths, name));
    if (kind == code_kind::cycle) {
        line += " X1 Y1 Z-1 R-1";
    } else if (kind == code_kind::firmware) {
        line += " X1";
    }
    return line;
}

TEST(CodeTable, EveryCellIsWhatThePlanDoes) {
    struct walked {
        char letter;
        const code_info& info;
        int tenths;
    };
    std::vector<walked> codes;
    for (const code_info& info : G_CODES) {
        codes.push_back({'G', info, info.tenths == OTHER_CODE ? 50 : info.tenths});  // G5
    }
    for (const code_info& info : M_CODES) {
        codes.push_back({'M', info, info.tenths == OTHER_CODE ? 1000 : info.tenths});  // M100
    }
    for (const walked& code : codes) {
        const code_row& row = row_of(code.info.kind);
        for (const distance_mode machine_mode :
             {distance_mode::absolute, distance_mode::incremental}) {
            const std::string line = line_holding(code.letter, code.tenths, code.info.kind);
            SCOPED_TRACE(line +
                         (machine_mode == distance_mode::incremental ? " in G91" : " in G90"));
            ASSERT_EQ(&code_of(code.letter, code.tenths), &code.info);
            // The distance codes set the mode their line is read in.
            const distance_mode mode =
                code.info.kind == code_kind::absolute      ? distance_mode::absolute
                : code.info.kind == code_kind::incremental ? distance_mode::incremental
                                                           : machine_mode;
            const bool incremental = mode == distance_mode::incremental;
            const write_form cell = incremental ? row.incremental_form : row.absolute_form;
            const line_plan plan = plan_of(line, machine_in(machine_mode));
            if (cell == write_form::stop) {
                EXPECT_TRUE(plan.stops);
                EXPECT_EQ(plan.stop, row.stop);
            } else if (incremental && code.info.kind == code_kind::cycle &&
                       !code.info.has(CONVERTED_CYCLE)) {
                EXPECT_TRUE(plan.stops);
                EXPECT_EQ(plan.stop, stop_reason::canned_cycle_incremental);
            } else {
                // A line with no word and no G91 has nothing to rewrite, and
                // one without axis words nothing to write under G91.
                const bool rewritten =
                    code.info.kind == code_kind::cycle || code.info.kind == code_kind::incremental;
                const write_form expected =
                    cell == write_form::under_g91_with_axes     ? write_form::copy
                    : cell == write_form::rewrite && !rewritten ? write_form::copy
                                                                : cell;
                EXPECT_FALSE(plan.stops) << static_cast<int>(plan.stop);
                EXPECT_EQ(plan.form, expected);
            }
        }
    }
}

// --- The losses: the last rule that applies names the loss ---

// A part of a line that makes axes unknown for one loss rule, in absolute
// mode with X, Y and Z known, once `prepare` has set the machine up; `why`
// is what the loss names.
struct loss_fragment {
    std::string text;
    std::string why;
    void (*prepare)(machine_state& machine) = nullptr;
};

// In the order of the loss rules.
const std::vector<loss_fragment>& loss_fragments() {
    static const std::vector<loss_fragment> list{
        {"G31 A1", "G31"},
        {"B1", "G16", [](machine_state& m) { begin_transform(m, POLAR_SLOT, 160, 1); }},
        {"C1", "unknown mode", [](machine_state& m) { set_mode(m, distance_mode::unknown); }},
        {"G55", "G55"},
        {"G43 H1", "G43"},
        {"G81 X1 Y1 Z-1 R1", "G81"},
        {"@1", "@"},
        {"U#1", "#"},
        {"V1 V2", "two V words"},
        {"M30", "M30"},
    };
    return list;
}

// The loss a line names, read with the machine prepared for each of `parts`.
std::string loss_of(const std::string& line, const std::vector<const loss_fragment*>& parts) {
    machine_state machine = machine_in(distance_mode::absolute);
    for (const loss_fragment* part : parts) {
        if (part->prepare != nullptr) {
            part->prepare(machine);
        }
    }
    const line_plan plan = plan_of(line, machine);
    EXPECT_FALSE(plan.stops) << line;
    return std::string(plan.why.text());
}

TEST(LossOrder, EachFragmentNamesItsLoss) {
    for (const loss_fragment& part : loss_fragments()) {
        EXPECT_EQ(loss_of(part.text, {&part}), part.why) << part.text;
    }
}

TEST(LossOrder, TheLastRuleThatAppliesNamesTheLoss) {
    const auto& list = loss_fragments();
    for (std::size_t first = 0; first < list.size(); ++first) {
        for (std::size_t second = first + 1; second < list.size(); ++second) {
            const std::string line = list[first].text + " " + list[second].text;
            EXPECT_EQ(loss_of(line, {&list[first], &list[second]}), list[second].why) << line;
        }
    }
}

// --- The common line's plan is the general plan's ---

TEST(PlainPlan, IsTheGeneralPlanOfEveryPlainLine) {
    std::mt19937 random(20261208);
    const auto pick = [&random](int count) {
        return static_cast<int>(std::uniform_int_distribution<int>(0, count - 1)(random));
    };
    constexpr std::array<const char*, 5> MOTIONS{"", "G0 ", "G1 ", "G2 ", "G3 "};
    constexpr std::array<const char*, 3> MODES{"", "G90 ", "G91 "};
    constexpr std::array<const char*, 4> NUMBERS{"0", "1.5", "-20", "0.001"};
    constexpr std::array<integer_reading, 3> READINGS{
        integer_reading::unknown, integer_reading::units, integer_reading::increments};
    int compared = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        std::string line = std::string(MOTIONS[pick(5)]) + MODES[pick(3)];
        for (const char letter : std::string_view("XYZAIJ")) {
            if (pick(2) == 0) {
                line += std::string(1, letter) + NUMBERS[pick(4)] + " ";
            }
        }
        machine_state machine =
            machine_in(pick(2) == 0 ? distance_mode::absolute : distance_mode::incremental);
        machine.known = static_cast<std::uint16_t>(pick(16));
        machine.reading = READINGS[static_cast<std::size_t>(pick(3))];
        if (pick(2) == 0) {
            set_styles(machine, static_cast<std::uint16_t>(pick(16)),
                       static_cast<std::uint16_t>(pick(16)));
        }
        const padded_text text(line + "\n");
        scanned_line scan;
        scan_line(text.line(), scan);
        ASSERT_TRUE(plain_line(scan, machine)) << line;
        const line_plan plain = plan_plain_line(scan, machine);
        line_plan general = plan_other_line(scan, machine, 2);
        // What a plain line loses is nothing, so the general plan's name for
        // a loss is never read.
        EXPECT_EQ(general.forget_after, 0) << line;
        EXPECT_EQ(general.forget_before, 0) << line;
        general.why = plain.why;
        general.plain = true;
        EXPECT_TRUE(plain == general) << line;
        ++compared;
    }
    EXPECT_EQ(compared, 20000);
}

}  // namespace
}  // namespace g91to90
