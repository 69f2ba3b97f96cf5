// The plan of one line: a pure function of the line's scan and the machine
// state that says how the line is written, what stops it, and what it does to
// the machine. The kinds of code come from the code table (code_table.hpp);
// the stops are tried in one order, that of the README's table of messages.
#pragma once

#include <cstdint>
#include <optional>

#include "code_table.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "stop.hpp"

namespace g91to90 {

enum class state_change : std::uint8_t { keep, start, end };

struct line_plan {
    std::optional<conversion_stop> stop;  // the line cannot be converted
    write_form form = write_form::rewrite;  // never `stop`
    axis_effect words = axis_effect::move;  // what the axis words do
    distance_mode mode = distance_mode::absolute;  // the mode the words are read in
    kind_set held = 0;  // the kinds of code the line holds, constructs included
    std::uint16_t forget_before = 0;  // unknown before the words set their axes
    std::uint16_t forget_after = 0;   // unknown after the line
    loss why;                         // what made them unknown
    bool forget_state = false;        // a call, a jump or a program end
    bool save = false;                // M70, M73
    bool restore = false;             // M72
    int plane = 0;                    // selected by the line, or 0
    int unit = 0;                     // selected by the line, or 0
    state_change cycle = state_change::keep;
    int cycle_code = 0;
    state_change modal_call = state_change::keep;
    int select_system = 0;             // the coordinate system selected, or 0
    std::uint8_t transforms_begin = 0;  // transform slots, one bit each
    std::uint8_t transforms_end = 0;
    int transform_code[TRANSFORM_SLOTS]{};
    bool program_end = false;
    bool jump = false;
    bool incremental_move = false;  // incremental axis words are converted
};

// The plan of a scanned line read at `line_number` with the machine as it
// stands before it.
line_plan plan_line(const scanned_line& scan, const machine_state& machine,
                    std::uint64_t line_number);

}  // namespace g91to90
