// The table of codes: every G and M code the converter reads, one row of
// facts each (`code_info`), and for each kind of code how a line holding it
// is written and what it does to the tracked axes, in incremental and in
// absolute mode (`code_row`). A code that is not in the table is not
// modelled: a line holding it is never converted. No other part of the
// engine tests a code's number: each reads the facts of its row.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "axes.hpp"
#include "exact_number.hpp"
#include "stop.hpp"

namespace g91to90 {

// Kinds of code, and of a few constructs read like codes (O-word lines,
// Fanuc macro flow, a move with an H word). Which codes are of each kind is
// the code list's to say (G_CODES, M_CODES below).
enum class code_kind : std::uint8_t {
    motion,               // a move along a path (and a line with axis words but no code)
    absolute,             // absolute distance mode
    incremental,          // incremental distance mode
    plane,                // selects the plane of arcs and cycles
    units,                // selects inches or millimetres
    mode,                 // another mode that takes no axis words
    cycle_cancel,         // ends a canned cycle
    transform_end,        // ends a transform
    cycle,                // a canned cycle
    return_home,          // a return to a reference point through the named axes
    machine_coordinates,  // a move in machine coordinates
    set_position,         // sets the position of the named axes
    offset_named,         // changes the offsets of the axes it names
    offset_all,           // changes the offsets of every axis
    coordinate_system,    // selects a coordinate system
    dwell,                // waits
    tool_length,          // a tool length offset from the tool table
    tool_length_axes,     // a tool length offset by value: its axis words are offsets
    transform,            // a transform of later coordinates (polar, rotation, scaling...)
    probe,                // a probe or endstop move (also a G0/G1 move with an H word)
    call,                 // a call (also an O-word call, an axis line under a modal call)
    modal_call,           // a call repeated after every later move
    modal_call_end,       // ends a modal call
    flow,                 // program flow: O-word sub, if, while...; Fanuc WHILE, IF, GOTO
    jump,                 // a jump to a line: GOTO, a local call, a return to a line
    tool_change,          // changes the tool
    machine_function,     // a machine function: spindle, coolant, stops (any M code without
                          // axis words that has no row of its own)
    program_end,          // ends the program
    save_state,           // saves the modes
    restore_state,        // restores the saved modes
    other_g,              // a G code with no row: not modelled
    firmware,             // an M code with no row, on a line with axis words
    count
};

using kind_set = std::uint64_t;
static_assert(static_cast<int>(code_kind::count) <= 64, "every kind has a bit");

inline constexpr kind_set kind_bit(code_kind kind) {
    return kind_set{1} << static_cast<int>(kind);
}
template <typename... Kinds>
inline constexpr kind_set kinds(Kinds... list) {
    return (kind_bit(list) | ...);
}

// Modal groups of G codes: two different codes of one group on a line stop
// the run, since controls differ (some take the last, some refuse the line).
enum code_group : std::int8_t {
    NO_GROUP = -1,
    MOTION_GROUP,  // moves and canned cycles (the cycle end is not counted: the
                   // safe-start line G0 G80 is common)
    PLANE_GROUP,
    UNITS_GROUP,
    DISTANCE_GROUP,
    ARC_DISTANCE_GROUP,
    FEED_MODE_GROUP,
    CUTTER_GROUP,
    TOOL_LENGTH_GROUP,
    SYSTEM_GROUP,
    PATH_GROUP,
    RETRACT_GROUP,
    SPINDLE_GROUP,
    POLAR_GROUP,
    SCALING_GROUP,
    MIRROR_GROUP,
    ROTATION_GROUP,
    DIAMETER_GROUP,
    GROUP_COUNT
};
static_assert(GROUP_COUNT <= 32, "every group has a bit");

// Transforms that change what later coordinates mean, one slot each: a code
// begins one, another ends it.
enum transform_slot : std::int8_t {
    NO_SLOT = -1,
    POLAR_SLOT,
    ROTATION_SLOT,
    SCALING_SLOT,
    MIRROR_SLOT,
    DIAMETER_SLOT,
    OFFSET_ROTATION_SLOT,  // stands to the end: nothing ends it
    TRANSFORM_SLOTS
};

// The move a motion code makes.
enum class motion_kind : std::uint8_t { none, rapid, feed, clockwise, counterclockwise };

// Where a canned cycle leaves the tool after each hole.
enum class retract_level : std::uint8_t { unknown, initial, r_level };

// What else a code does, one bit each.
enum code_fact : std::uint16_t {
    CONVERTED_CYCLE = 1U << 0,      // a canned cycle converted in incremental mode (others
                                    // shift or orient the spindle differently from control to
                                    // control)
    EXPANDABLE_CALL = 1U << 1,      // a call --expand-calls writes out in place
    SUBPROGRAM_CALL = 1U << 2,      // calls a subprogram by its P word
    LOCAL_CALL = 1U << 3,           // calls a block of its own program: a jump too
    SUBPROGRAM_RETURN = 1U << 4,    // returns from a subprogram (in the main program: a jump
                                    // to its start)
    AUTORESTORE = 1U << 5,          // the modes it saves are restored where its program returns
    ONE_OF_MANY_SYSTEMS = 1U << 6,  // selects one of many systems by its P word: never the same
    ROTATES_WITH_R = 1U << 7,       // with L2 or L20 and an R word, rotates a coordinate system
    ABSOLUTE_CENTRES = 1U << 8,     // arc centres are positions from now on
    INCREMENTAL_CENTRES = 1U << 9,  // arc centres are offsets from the arc's start from now on
    CANCELS_TOOL_LENGTH = 1U << 10,
};

// One code's row: every fact the engine needs of it.
struct code_info {
    std::int16_t tenths;  // its value in tenths: 910 for G91, 921 for G92.1
    code_kind kind;
    code_group group = NO_GROUP;
    std::uint16_t facts = 0;  // code_fact bits
    transform_slot begins = NO_SLOT;
    transform_slot ends = NO_SLOT;
    motion_kind motion = motion_kind::none;
    work_plane plane = work_plane::unknown;
    length_unit unit = length_unit::unknown;
    retract_level retract = retract_level::unknown;

    bool has(code_fact fact) const { return (facts & fact) != 0; }
};

// A code's value in tenths for a value no row names (G91.05, G-1).
inline constexpr int OTHER_CODE = -2;
// G and M codes up to this value (in tenths) are looked up; above, other.
inline constexpr int CODE_LIMIT = 2000;

// Every modelled G code, by its value in tenths.
inline constexpr code_info G_CODES[] = {
    {.tenths = 0, .kind = code_kind::motion, .group = MOTION_GROUP, .motion = motion_kind::rapid},
    {.tenths = 10, .kind = code_kind::motion, .group = MOTION_GROUP, .motion = motion_kind::feed},
    {.tenths = 20,
     .kind = code_kind::motion,
     .group = MOTION_GROUP,
     .motion = motion_kind::clockwise},
    {.tenths = 30,
     .kind = code_kind::motion,
     .group = MOTION_GROUP,
     .motion = motion_kind::counterclockwise},
    {.tenths = 40, .kind = code_kind::dwell},
    // Diameter and radius mode (lathes).
    {.tenths = 70, .kind = code_kind::transform, .group = DIAMETER_GROUP, .begins = DIAMETER_SLOT},
    {.tenths = 80, .kind = code_kind::transform, .group = DIAMETER_GROUP, .ends = DIAMETER_SLOT},
    {.tenths = 90, .kind = code_kind::motion},  // exact stop, this line only
    {.tenths = 100,
     .kind = code_kind::offset_named,
     .facts = ROTATES_WITH_R,
     .begins = OFFSET_ROTATION_SLOT},
    {.tenths = 150, .kind = code_kind::transform_end, .group = POLAR_GROUP, .ends = POLAR_SLOT},
    {.tenths = 160, .kind = code_kind::transform, .group = POLAR_GROUP, .begins = POLAR_SLOT},
    {.tenths = 170, .kind = code_kind::plane, .group = PLANE_GROUP, .plane = work_plane::xy},
    {.tenths = 180, .kind = code_kind::plane, .group = PLANE_GROUP, .plane = work_plane::zx},
    {.tenths = 190, .kind = code_kind::plane, .group = PLANE_GROUP, .plane = work_plane::yz},
    {.tenths = 200, .kind = code_kind::units, .group = UNITS_GROUP, .unit = length_unit::inch},
    {.tenths = 210,
     .kind = code_kind::units,
     .group = UNITS_GROUP,
     .unit = length_unit::millimetre},
    {.tenths = 280, .kind = code_kind::return_home},
    {.tenths = 300, .kind = code_kind::return_home},
    {.tenths = 310, .kind = code_kind::probe},
    {.tenths = 382, .kind = code_kind::probe},
    {.tenths = 383, .kind = code_kind::probe},
    {.tenths = 384, .kind = code_kind::probe},
    {.tenths = 385, .kind = code_kind::probe},
    {.tenths = 400, .kind = code_kind::mode, .group = CUTTER_GROUP},
    {.tenths = 410, .kind = code_kind::mode, .group = CUTTER_GROUP},
    {.tenths = 411, .kind = code_kind::mode, .group = CUTTER_GROUP},
    {.tenths = 420, .kind = code_kind::mode, .group = CUTTER_GROUP},
    {.tenths = 421, .kind = code_kind::mode, .group = CUTTER_GROUP},
    {.tenths = 430, .kind = code_kind::tool_length, .group = TOOL_LENGTH_GROUP},
    {.tenths = 431, .kind = code_kind::tool_length_axes, .group = TOOL_LENGTH_GROUP},
    {.tenths = 432, .kind = code_kind::tool_length_axes, .group = TOOL_LENGTH_GROUP},
    {.tenths = 440, .kind = code_kind::tool_length, .group = TOOL_LENGTH_GROUP},
    {.tenths = 490,
     .kind = code_kind::tool_length,
     .group = TOOL_LENGTH_GROUP,
     .facts = CANCELS_TOOL_LENGTH},
    // Scaling off and on, mirror off (of the axes named only) and on.
    {.tenths = 500, .kind = code_kind::transform_end, .group = SCALING_GROUP, .ends = SCALING_SLOT},
    {.tenths = 501, .kind = code_kind::transform, .group = MIRROR_GROUP, .ends = MIRROR_SLOT},
    {.tenths = 510, .kind = code_kind::transform, .group = SCALING_GROUP, .begins = SCALING_SLOT},
    {.tenths = 511, .kind = code_kind::transform, .group = MIRROR_GROUP, .begins = MIRROR_SLOT},
    {.tenths = 520, .kind = code_kind::offset_named},
    {.tenths = 530, .kind = code_kind::machine_coordinates},
    {.tenths = 540, .kind = code_kind::coordinate_system, .group = SYSTEM_GROUP},
    {.tenths = 541,
     .kind = code_kind::coordinate_system,
     .group = SYSTEM_GROUP,
     .facts = ONE_OF_MANY_SYSTEMS},
    {.tenths = 550, .kind = code_kind::coordinate_system, .group = SYSTEM_GROUP},
    {.tenths = 560, .kind = code_kind::coordinate_system, .group = SYSTEM_GROUP},
    {.tenths = 570, .kind = code_kind::coordinate_system, .group = SYSTEM_GROUP},
    {.tenths = 580, .kind = code_kind::coordinate_system, .group = SYSTEM_GROUP},
    {.tenths = 590, .kind = code_kind::coordinate_system, .group = SYSTEM_GROUP},
    {.tenths = 591, .kind = code_kind::coordinate_system, .group = SYSTEM_GROUP},
    {.tenths = 592, .kind = code_kind::coordinate_system, .group = SYSTEM_GROUP},
    {.tenths = 593, .kind = code_kind::coordinate_system, .group = SYSTEM_GROUP},
    {.tenths = 610, .kind = code_kind::mode, .group = PATH_GROUP},
    {.tenths = 611, .kind = code_kind::mode, .group = PATH_GROUP},
    {.tenths = 640, .kind = code_kind::mode, .group = PATH_GROUP},
    {.tenths = 650, .kind = code_kind::call},  // a macro call: its arguments are no moves
    {.tenths = 660, .kind = code_kind::modal_call},
    {.tenths = 661, .kind = code_kind::modal_call},
    {.tenths = 670, .kind = code_kind::modal_call_end},
    // Rotation on, and off.
    {.tenths = 680, .kind = code_kind::transform, .group = ROTATION_GROUP, .begins = ROTATION_SLOT},
    {.tenths = 681, .kind = code_kind::transform, .group = ROTATION_GROUP, .begins = ROTATION_SLOT},
    {.tenths = 682, .kind = code_kind::transform, .group = ROTATION_GROUP, .begins = ROTATION_SLOT},
    {.tenths = 683, .kind = code_kind::transform, .group = ROTATION_GROUP, .begins = ROTATION_SLOT},
    {.tenths = 684, .kind = code_kind::transform, .group = ROTATION_GROUP, .begins = ROTATION_SLOT},
    {.tenths = 690,
     .kind = code_kind::transform_end,
     .group = ROTATION_GROUP,
     .ends = ROTATION_SLOT},
    {.tenths = 730, .kind = code_kind::cycle, .group = MOTION_GROUP, .facts = CONVERTED_CYCLE},
    {.tenths = 740, .kind = code_kind::cycle, .group = MOTION_GROUP, .facts = CONVERTED_CYCLE},
    {.tenths = 760, .kind = code_kind::cycle, .group = MOTION_GROUP},
    {.tenths = 800, .kind = code_kind::cycle_cancel},
    {.tenths = 810, .kind = code_kind::cycle, .group = MOTION_GROUP, .facts = CONVERTED_CYCLE},
    {.tenths = 820, .kind = code_kind::cycle, .group = MOTION_GROUP, .facts = CONVERTED_CYCLE},
    {.tenths = 830, .kind = code_kind::cycle, .group = MOTION_GROUP, .facts = CONVERTED_CYCLE},
    {.tenths = 840, .kind = code_kind::cycle, .group = MOTION_GROUP, .facts = CONVERTED_CYCLE},
    {.tenths = 850, .kind = code_kind::cycle, .group = MOTION_GROUP, .facts = CONVERTED_CYCLE},
    {.tenths = 860, .kind = code_kind::cycle, .group = MOTION_GROUP, .facts = CONVERTED_CYCLE},
    {.tenths = 870, .kind = code_kind::cycle, .group = MOTION_GROUP},
    {.tenths = 880, .kind = code_kind::cycle, .group = MOTION_GROUP},
    {.tenths = 890, .kind = code_kind::cycle, .group = MOTION_GROUP, .facts = CONVERTED_CYCLE},
    {.tenths = 900, .kind = code_kind::absolute, .group = DISTANCE_GROUP},
    {.tenths = 901,
     .kind = code_kind::mode,
     .group = ARC_DISTANCE_GROUP,
     .facts = ABSOLUTE_CENTRES},
    {.tenths = 910, .kind = code_kind::incremental, .group = DISTANCE_GROUP},
    {.tenths = 911,
     .kind = code_kind::mode,
     .group = ARC_DISTANCE_GROUP,
     .facts = INCREMENTAL_CENTRES},
    {.tenths = 920, .kind = code_kind::set_position},
    {.tenths = 921, .kind = code_kind::offset_all},
    {.tenths = 922, .kind = code_kind::offset_all},
    {.tenths = 923, .kind = code_kind::offset_all},
    {.tenths = 930, .kind = code_kind::mode, .group = FEED_MODE_GROUP},
    {.tenths = 940, .kind = code_kind::mode, .group = FEED_MODE_GROUP},
    {.tenths = 950, .kind = code_kind::mode, .group = FEED_MODE_GROUP},
    {.tenths = 960, .kind = code_kind::mode, .group = SPINDLE_GROUP},
    {.tenths = 970, .kind = code_kind::mode, .group = SPINDLE_GROUP},
    {.tenths = 980,
     .kind = code_kind::mode,
     .group = RETRACT_GROUP,
     .retract = retract_level::initial},
    {.tenths = 990,
     .kind = code_kind::mode,
     .group = RETRACT_GROUP,
     .retract = retract_level::r_level},
    // Any other G code.
    {.tenths = OTHER_CODE, .kind = code_kind::other_g},
};

// Every M code with a row; any other is a machine function without axis
// words, or firmware data on a line with them.
inline constexpr code_info M_CODES[] = {
    {.tenths = 0, .kind = code_kind::machine_function},
    {.tenths = 10, .kind = code_kind::machine_function},
    {.tenths = 20, .kind = code_kind::program_end},
    {.tenths = 30, .kind = code_kind::machine_function},
    {.tenths = 40, .kind = code_kind::machine_function},
    {.tenths = 50, .kind = code_kind::machine_function},
    {.tenths = 60, .kind = code_kind::tool_change},
    {.tenths = 70, .kind = code_kind::machine_function},
    {.tenths = 80, .kind = code_kind::machine_function},
    {.tenths = 90, .kind = code_kind::machine_function},
    {.tenths = 190, .kind = code_kind::machine_function},
    {.tenths = 300, .kind = code_kind::program_end},
    {.tenths = 480, .kind = code_kind::machine_function},
    {.tenths = 490, .kind = code_kind::machine_function},
    {.tenths = 500, .kind = code_kind::machine_function},
    {.tenths = 510, .kind = code_kind::machine_function},
    {.tenths = 520, .kind = code_kind::machine_function},
    {.tenths = 530, .kind = code_kind::machine_function},
    {.tenths = 600, .kind = code_kind::machine_function},
    {.tenths = 700, .kind = code_kind::save_state},
    {.tenths = 710, .kind = code_kind::machine_function},
    {.tenths = 720, .kind = code_kind::restore_state},
    {.tenths = 730, .kind = code_kind::save_state, .facts = AUTORESTORE},
    {.tenths = 970, .kind = code_kind::call, .facts = LOCAL_CALL | EXPANDABLE_CALL},
    {.tenths = 980, .kind = code_kind::call, .facts = SUBPROGRAM_CALL | EXPANDABLE_CALL},
    {.tenths = 990, .kind = code_kind::flow, .facts = SUBPROGRAM_RETURN},
    {.tenths = 1980, .kind = code_kind::call},  // a call of a file on the control's memory card
    // Any other M code.
    {.tenths = OTHER_CODE, .kind = code_kind::firmware},
};

// Whether a code that ROTATES_WITH_R, with the L word `l`, sets a
// coordinate system's data (L2, L20): with an R word it rotates the system.
inline bool sets_system_data(exact_number l) {
    return l.billionths == 2 * BILLION || l.billionths == 20 * BILLION;
}

// The codes a program starts with: the coordinate system of power-on.
inline constexpr int POWER_ON_SYSTEM = 540;  // G54

namespace detail {

template <std::size_t N>
constexpr std::array<std::uint8_t, CODE_LIMIT> row_index(const code_info (&codes)[N]) {
    static_assert(N <= 256, "a row's index is one byte");
    std::array<std::uint8_t, CODE_LIMIT> index{};
    index.fill(static_cast<std::uint8_t>(N - 1));  // the last row: any other code
    for (std::size_t row = 0; row + 1 < N; ++row) {
        index[static_cast<std::size_t>(codes[row].tenths)] = static_cast<std::uint8_t>(row);
    }
    return index;
}

inline constexpr std::array<std::uint8_t, CODE_LIMIT> G_INDEX = row_index(G_CODES);
inline constexpr std::array<std::uint8_t, CODE_LIMIT> M_INDEX = row_index(M_CODES);

// The move of each G code, by value: the scanner's one look for the common code.
inline constexpr std::array<motion_kind, CODE_LIMIT> G_MOTION = [] {
    std::array<motion_kind, CODE_LIMIT> motion{};
    for (std::size_t tenths = 0; tenths < CODE_LIMIT; ++tenths) {
        motion[tenths] = G_CODES[G_INDEX[tenths]].motion;
    }
    return motion;
}();

}  // namespace detail

// The row of a G or an M code by its value in tenths (OTHER_CODE for any
// value no row names).
inline const code_info& g_code(int tenths) {
    return static_cast<unsigned>(tenths) < CODE_LIMIT
               ? G_CODES[detail::G_INDEX[static_cast<std::size_t>(tenths)]]
               : G_CODES[std::size(G_CODES) - 1];
}
inline const code_info& m_code(int tenths) {
    return static_cast<unsigned>(tenths) < CODE_LIMIT
               ? M_CODES[detail::M_INDEX[static_cast<std::size_t>(tenths)]]
               : M_CODES[std::size(M_CODES) - 1];
}
inline const code_info& code_of(char letter, int tenths) {
    return letter == 'G' ? g_code(tenths) : m_code(tenths);
}
// The move a G code makes, from its row.
inline motion_kind g_motion(int tenths) {
    return static_cast<unsigned>(tenths) < CODE_LIMIT
               ? detail::G_MOTION[static_cast<std::size_t>(tenths)]
               : motion_kind::none;
}

// The G code that selects a plane, a unit, a retract level, or begins or
// ends a transform, in tenths (for the codes the converter writes or names).
int plane_code(work_plane plane);
int unit_code(length_unit unit);
int retract_code(retract_level level);
int transform_code(transform_slot slot, bool begins);

// How a line is written.
enum class write_form : std::uint8_t {
    rewrite,              // every G91 written G90, axis words as absolute coordinates, arc
                          // words in the number format, all else copied
    copy,                 // unchanged; a line holding G91 is followed by a line G90
    under_g91,            // a line G91 before it (unless it holds its own), the line
                          // unchanged, a line G90 after it
    under_g91_with_axes,  // under_g91 when it names an axis, copy otherwise
    stop,                 // cannot be converted: the run stops with the row's reason
};

// What a line's axis words do to the tracked axes.
enum class axis_effect : std::uint8_t {
    move,                 // each moves its axis in the line's mode
    set,                  // each sets its axis: the line's values are positions
    shift,                // each moves its axis by its value; an unknown axis stays unknown
    none,                 // nothing: the words are parameters
    forget_named,         // the axes named become unknown
    forget_named_or_all,  // the axes named, every axis when none is named
    forget_all,           // every axis becomes unknown
    cycle_holes,          // a canned cycle run in incremental mode: the plane axes move to
                          // each hole, R and the normal axis's word become absolute levels
};

// What else a row does.
enum row_flag : std::uint8_t {
    FORGETS_STATE = 1U << 0,     // the mode, plane, units, cycle and coordinate
                                 // system become unknown after the line
    FORGETS_Z = 1U << 1,         // Z becomes unknown (tool length), unless the
                                 // line names it absolutely
    STOPS_ON_Z = 1U << 2,        // a Z word stops in incremental mode
    SELECTS_SYSTEM = 1U << 3,    // selecting another system forgets every axis
    STOPS_WITH_MOVE = 1U << 4,   // a motion code and axis words on the line stop
    STOPS_WITH_AXES = 1U << 5,   // axis words stop in incremental mode
    FORGETS_Z_ALWAYS = 1U << 6,  // Z becomes unknown, even where the line names it
};

struct code_row {
    code_kind kind;
    write_form incremental_form;
    axis_effect incremental_axes;
    write_form absolute_form;
    axis_effect absolute_axes;
    std::uint8_t flags;
    stop_reason stop{};  // why a `stop` cell stops
};

// One row a kind, in the order in which they govern a line holding several:
// the first row whose kind the line holds decides how it is written and
// what its axis words do; every row's flags apply, and every `stop` cell
// of a kind the line holds stops it, in the order of the stop rules.
inline constexpr std::array<code_row, static_cast<std::size_t>(code_kind::count)> CODE_ROWS{{
    // kind                        incremental: form, axes          absolute: form, axes
    {code_kind::flow, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, FORGETS_STATE, stop_reason::flow_incremental},
    // A jump always comes with flow or a call, whose cells decide.
    {code_kind::jump, write_form::copy, axis_effect::forget_all, write_form::copy,
     axis_effect::forget_all, FORGETS_STATE},
    {code_kind::call, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, FORGETS_STATE, stop_reason::call_incremental},
    {code_kind::transform, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, 0, stop_reason::code_incremental},
    {code_kind::other_g, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_named, 0, stop_reason::code_incremental},
    {code_kind::firmware, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_named, 0, stop_reason::firmware_incremental},
    {code_kind::probe, write_form::under_g91, axis_effect::forget_named, write_form::copy,
     axis_effect::forget_named, 0},
    {code_kind::return_home, write_form::under_g91, axis_effect::forget_named_or_all,
     write_form::copy, axis_effect::forget_named_or_all, 0},
    {code_kind::machine_coordinates, write_form::under_g91, axis_effect::forget_named,
     write_form::copy, axis_effect::forget_named, 0},
    {code_kind::set_position, write_form::under_g91, axis_effect::forget_named, write_form::copy,
     axis_effect::set, 0},
    {code_kind::coordinate_system, write_form::under_g91_with_axes, axis_effect::shift,
     write_form::copy, axis_effect::set, SELECTS_SYSTEM},
    {code_kind::offset_named, write_form::copy, axis_effect::forget_named, write_form::copy,
     axis_effect::forget_named, STOPS_WITH_MOVE},
    {code_kind::offset_all, write_form::copy, axis_effect::forget_all, write_form::copy,
     axis_effect::forget_all, STOPS_WITH_MOVE},
    {code_kind::dwell, write_form::copy, axis_effect::none, write_form::copy,
     axis_effect::forget_named, STOPS_WITH_AXES},
    {code_kind::tool_length_axes, write_form::copy, axis_effect::forget_named, write_form::copy,
     axis_effect::forget_named, FORGETS_Z | STOPS_ON_Z},
    {code_kind::tool_length, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, FORGETS_Z | STOPS_ON_Z},
    {code_kind::cycle, write_form::rewrite, axis_effect::cycle_holes, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::program_end, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, FORGETS_STATE},
    {code_kind::save_state, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::restore_state, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::modal_call, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, 0, stop_reason::call_incremental},
    {code_kind::modal_call_end, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, 0, stop_reason::call_incremental},
    {code_kind::transform_end, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::cycle_cancel, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::absolute, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::incremental, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::units, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::plane, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::mode, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    // Many machines move Z to a change position on a tool change, and
    // controls differ on whether a Z word on its line moves before or after.
    {code_kind::tool_change, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, FORGETS_Z_ALWAYS | STOPS_ON_Z},
    {code_kind::machine_function, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::motion, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
}};

// The row of a kind.
const code_row& row_of(code_kind kind);

// The row that governs a line holding `held` (at least the motion row).
const code_row& governing_row(kind_set held);

// The flags of every row a line holds.
std::uint8_t held_flags(kind_set held);

// The kinds whose cell in incremental (or absolute) mode stops with `reason`.
constexpr kind_set kinds_stopping(stop_reason reason, bool incremental) {
    kind_set stopping = 0;
    for (const code_row& row : CODE_ROWS) {
        const write_form form = incremental ? row.incremental_form : row.absolute_form;
        if (form == write_form::stop && row.stop == reason) {
            stopping |= kind_bit(row.kind);
        }
    }
    return stopping;
}

// "G92.1", "M98" for a code's letter and value in tenths.
std::string_view code_name(char letter, int tenths, std::array<char, 12>& text);

}  // namespace g91to90
