// The table of codes: every G and M code the converter reads, the kind of
// code it is, and for each kind how a line holding it is written and what it
// does to the tracked axes, in incremental and in absolute mode. A code that
// is not in the table is not modelled: a line holding it is never converted.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace g91to90 {

// Kinds of code, and of a few constructs read like codes (O-word lines,
// Fanuc macro flow, a move with an H word).
enum class code_kind : std::uint8_t {
    motion,               // G0, G1, G2, G3, G9 (and a line with axis words but no code)
    absolute,             // G90
    incremental,          // G91
    plane,                // G17, G18, G19
    units,                // G20, G21
    mode,                 // modes without axis words: G90.1, G91.1, G40-G42, G41.1, G42.1,
                          // G61, G61.1, G64, G93-G95, G96, G97, G98, G99
    cycle_cancel,         // G80
    transform_end,        // G15, G69, G50
    cycle,                // G73, G74, G76, G81-G89
    return_home,          // G28, G30
    machine_coordinates,  // G53
    set_position,         // G92
    offset_named,         // G52, G10: the axes named change
    offset_all,           // G92.1, G92.2, G92.3: every axis changes
    coordinate_system,    // G54-G59, G59.1-G59.3, G54.1
    dwell,                // G4
    tool_length,          // G43, G44, G49
    tool_length_axes,     // G43.1, G43.2: their axis words are offsets
    transform,            // G16, G68, G68.x, G51, G51.1, G50.1, G7, G8, G10 L2/L20 with R
    probe,                // G31, G38.2-G38.5, a G0/G1 move with an H word and no G43/G44
    call,                 // G65, G66, G66.1, G67, M98, M97, M198, O-word call
    modal_call,           // G66, G66.1 (a call too)
    modal_call_end,       // G67 (a call too)
    flow,                 // O-word sub, if, while...; Fanuc WHILE, IF, GOTO, END, DO; M99
    jump,                 // a jump to a line number: GOTO, M97, M99 to the start or to P
    tool_change,          // M6
    machine_function,     // M0-M5, M7-M9, M19, M48-M53, M60, M71, and M codes without axis words
    program_end,          // M2, M30
    save_state,           // M70, M73
    restore_state,        // M72
    other_g,              // any other G code
    firmware,             // any other M code, on a line with axis words
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

// A code's value in tenths: 910 for G91, 921 for G92.1. OTHER_CODE for a
// value no row names (G91.05, G-1).
inline constexpr int OTHER_CODE = -2;
// G and M codes up to this value (in tenths) are looked up; above, other.
inline constexpr int CODE_LIMIT = 2000;

// The kind of each G and M code below CODE_LIMIT, by its value in tenths.
extern const std::array<code_kind, CODE_LIMIT> G_KINDS;
extern const std::array<code_kind, CODE_LIMIT> M_KINDS;

inline code_kind g_code_kind(int tenths) {
    return static_cast<unsigned>(tenths) < CODE_LIMIT ? G_KINDS[static_cast<std::size_t>(tenths)]
                                                      : code_kind::other_g;
}
inline code_kind m_code_kind(int tenths) {
    return static_cast<unsigned>(tenths) < CODE_LIMIT ? M_KINDS[static_cast<std::size_t>(tenths)]
                                                      : code_kind::firmware;
}

// Modal groups of G codes: two different codes of one group on a line stop
// the run, since controls differ (some take the last, some refuse the line).
enum code_group : std::int8_t {
    NO_GROUP = -1,
    MOTION_GROUP,        // G0-G3 and the canned cycles (G80 is not counted: the
                         // safe-start line G0 G80 is common)
    PLANE_GROUP,         // G17-G19
    UNITS_GROUP,         // G20, G21
    DISTANCE_GROUP,      // G90, G91
    ARC_DISTANCE_GROUP,  // G90.1, G91.1
    FEED_MODE_GROUP,     // G93-G95
    CUTTER_GROUP,        // G40-G42, G41.1, G42.1
    TOOL_LENGTH_GROUP,   // G43, G43.1, G43.2, G44, G49
    SYSTEM_GROUP,        // G54-G59, G59.1-G59.3, G54.1
    PATH_GROUP,          // G61, G61.1, G64
    RETRACT_GROUP,       // G98, G99
    SPINDLE_GROUP,       // G96, G97
    POLAR_GROUP,         // G15, G16
    SCALING_GROUP,       // G50, G51
    MIRROR_GROUP,        // G50.1, G51.1
    ROTATION_GROUP,      // G68-G68.4, G69
    DIAMETER_GROUP,      // G7, G8
    GROUP_COUNT
};
static_assert(GROUP_COUNT <= 32, "every group has a bit");

// The group of each G code below CODE_LIMIT, by its value in tenths.
extern const std::array<code_group, CODE_LIMIT> G_GROUPS;

inline code_group g_code_group(int tenths) {
    return static_cast<unsigned>(tenths) < CODE_LIMIT ? G_GROUPS[static_cast<std::size_t>(tenths)]
                                                      : NO_GROUP;
}

// How a line is written.
enum class write_form : std::uint8_t {
    rewrite,              // every G91 written G90, axis words as absolute coordinates, arc
                          // words in the number format, all else copied
    copy,                 // unchanged; a line holding G91 is followed by a line G90
    under_g91,            // a line G91 before it (unless it holds its own), the line
                          // unchanged, a line G90 after it
    under_g91_with_axes,  // under_g91 when it names an axis, copy otherwise
    stop,                 // cannot be converted
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
};

// One row a kind, in the order in which they govern a line holding several:
// the first row whose kind the line holds decides how it is written and
// what its axis words do; every row's flags apply.
inline constexpr std::array<code_row, static_cast<std::size_t>(code_kind::count)> CODE_ROWS{{
    // kind                        incremental: form, axes          absolute: form, axes
    {code_kind::flow, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, FORGETS_STATE},
    {code_kind::jump, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, FORGETS_STATE},
    {code_kind::call, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, FORGETS_STATE},
    {code_kind::transform, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, 0},
    {code_kind::other_g, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_named, 0},
    {code_kind::firmware, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_named, 0},
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
     axis_effect::forget_all, 0},
    {code_kind::modal_call_end, write_form::stop, axis_effect::none, write_form::copy,
     axis_effect::forget_all, 0},
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
    // Many machines move Z to a change position on M6, and controls differ
    // on whether a Z word on its line moves before or after the change.
    {code_kind::tool_change, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, FORGETS_Z_ALWAYS | STOPS_ON_Z},
    {code_kind::machine_function, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
    {code_kind::motion, write_form::rewrite, axis_effect::move, write_form::rewrite,
     axis_effect::move, 0},
}};

// The row that governs a line holding `held` (at least the motion row).
const code_row& governing_row(kind_set held);

// The flags of every row a line holds.
std::uint8_t held_flags(kind_set held);

// "G92.1", "M98" for a code's letter and value in tenths.
std::string_view code_name(char letter, int tenths, std::array<char, 12>& text);

}  // namespace g91to90
