#include "convert/line_plan.hpp"

#include <gtest/gtest.h>

#include <string>
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
    return scan.conflict_second != 0;
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

}  // namespace
}  // namespace g91to90
