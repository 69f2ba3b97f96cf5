// Start position: where the tool stands before the first converted line.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "g91to90/g91to90.hpp"
#include "line_io.hpp"
#include "line_plan.hpp"
#include "line_scan.hpp"
#include "machine.hpp"

namespace g91to90 {

// A start position given before the run, as axis words ("X0 Y0 Z50"): the
// axes named and their positions; an axis not named is unknown.
struct given_start {
    std::array<exact_number, AXIS_COUNT> position{};
    std::uint16_t named = 0;
};

// Reads axis words of X, Y, Z, A, B, C, U, V or W, in either case, blanks
// optional ("X0Y0Z50"). Throws `bad_start` (detail: the text) for anything
// else, an axis named twice or no axis, and `number_out_of_range` for a
// value of a billion or more.
given_start read_start_words(std::string_view text);

// Where the start position comes from when no G92 mode line states it: the
// given start, else X, Y and Z asked for with `ask`; with neither the run
// stops with `no_start_position`.
struct start_source {
    std::optional<given_start> given;
    ask_function ask;
};

// From a mode line holding G92, planned as the start (`plan`, whose styles
// are set here where they are followed): the position its words state (an
// axis it names by a parameter, or twice, is unknown). The program's own
// start wins over a given one for the axes it names, and every other axis
// takes the given start's value, or is unknown.
void take_start_from_words(const padded_line& line, std::uint64_t line_number,
                           const scanned_line& scan, line_plan& plan, machine_state& machine,
                           const start_source& start);

// Before any other mode line, which is then converted in incremental mode:
// the start is the given one, or none yet (it is asked for, or refused,
// where a move first needs it: `take_late_start`).
void take_given_start(machine_state& machine, const start_source& start);

// Whether an axis that `plan` needs known is unknown since a start that was
// not given (`start_awaited`).
bool needs_late_start(const line_plan& plan, const machine_state& machine);

// The start position, asked for at the line that first needs it: X, Y and
// Z, as the start prompts ask them; the axes unknown since the start take
// them (in the units at the start). Throws `no_start_position`, naming the
// line, where nothing may be asked; the output written before is flushed
// first, so that it shows before the prompts.
void take_late_start(machine_state& machine, const start_source& start, line_writer& out,
                     std::uint64_t line_number);

}  // namespace g91to90
