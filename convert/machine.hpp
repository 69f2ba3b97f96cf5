// What the converter knows of the machine while it reads the program, and
// the named transitions that are the only ways it changes.
#pragma once

#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <string_view>

#include "axes.hpp"
#include "code_table.hpp"
#include "exact_number.hpp"

namespace g91to90 {

// `unknown` after a call, a jump target or a program end: the output is then
// in the same mode as the input, whatever it is, as long as lines are copied.
enum class distance_mode : std::uint8_t { absolute, incremental, unknown };
enum class cycle_state : std::uint8_t { off, on, maybe };

// Where something became unknown: the line (0 for the start) and the code
// or construct that did it, such as "G28".
struct loss {
    std::uint64_t line = 0;
    std::array<char, 15> why{};  // room for "unknown mode"
    bool call = false;           // a call, whose lines --expand-calls writes in place

    std::string_view text() const;
    bool operator==(const loss&) const = default;
};
loss loss_at(std::uint64_t line, std::string_view why);

// The line that began a transform that stands (0 when it does not stand).
struct standing_transform {
    std::uint64_t line = 0;
    int tenths = 0;  // the code that began it
};

// A series of canned-cycle lines: from the first line that runs a cycle after
// G80, a motion code or another cycle. In incremental mode the control keeps
// its R and depth words as they were written, measured from the initial level.
struct cycle_series {
    bool incremental = false;           // begun in incremental mode
    exact_number initial;               // the normal axis's position where it began
    std::optional<exact_number> r;      // the R word in force
    std::optional<exact_number> depth;  // the normal axis's word in force
    // The styles of the numbers the initial level, the R word and the depth
    // word are made of (see number_styles.hpp).
    std::uint8_t initial_style = 0;
    std::uint8_t r_style = 0;
    std::uint8_t depth_style = 0;
};

// Where a value took its style: a word of a line ("X10.5" of line 8), or
// the start position (line 0).
struct style_source {
    std::uint64_t line = 0;  // 0: a position reached before styles were followed
    std::array<char, 16> word{};

    std::string_view text() const;
};
style_source style_source_at(std::uint64_t line, std::string_view word);

// Where a cycle line last gave the R word, or the word of the axis normal to
// the plane (the depth), and in which mode: the control keeps them for later
// cycle lines that do not give their own.
struct kept_cycle_word {
    std::uint64_t line = 0;  // 0: none given yet
    bool incremental = false;
};

// The modes that M70 and M73 save and M72 restores (M73's at the end of the
// called program that saved them): distance mode, units, plane, feed mode,
// coordinate system, G98/G99, tool length and diameter mode.
struct modal_state {
    distance_mode mode = distance_mode::absolute;
    work_plane plane = work_plane::unknown;
    length_unit unit = length_unit::unknown;
    int feed_mode = 0;  // G93, G94 or G95 in tenths; 0 when unknown
    int coordinate_system = 0;
    retract_level retract = retract_level::unknown;
    int tool_length = 0;                    // the tool length code in tenths; 0 unknown
    std::uint32_t tool_length_changes = 0;  // tool length codes read before
    bool diameter = false;                  // G7 stands

    bool operator==(const modal_state&) const = default;
};

// Call levels: the main program's, and one for each call nested in it.
inline constexpr int CALL_LEVELS = 9;

// The modes M70 or M73 saved at one call level.
struct saved_modes {
    modal_state modes;
    bool autorestore = false;  // M73: restored when its called program returns
    std::uint64_t event = 0;   // which save of the run it was, from 1
    std::uint64_t line = 0;    // the line that saved them
};

struct machine_state {
    // The tracked position of each axis (X, Y, Z, A, B, C, U, V, W). An axis
    // whose bit in `known` is clear stands where the converter cannot tell;
    // `lost` tells why.
    std::array<exact_number, AXIS_COUNT> position{};
    std::uint16_t known = XYZ_AXES;
    std::array<loss, AXIS_COUNT> lost{};
    distance_mode mode = distance_mode::absolute;
    loss mode_lost;
    work_plane plane = work_plane::xy;
    length_unit unit = length_unit::unknown;
    cycle_state cycle = cycle_state::off;
    int cycle_code = 0;                              // the cycle's code in tenths
    loss cycle_unsure;                               // where the cycle became `maybe`
    cycle_series series;                             // the series the cycle runs, while one runs
    kept_cycle_word kept_r;                          // the R word cycle lines keep
    kept_cycle_word kept_depth;                      // the normal axis's word cycle lines keep
    retract_level retract = retract_level::unknown;  // until a code sets it
    bool modal_call = false;                         // G66 until G67
    int coordinate_system = POWER_ON_SYSTEM;  // in tenths; 0 when unknown, -1 for one of many
    std::array<standing_transform, TRANSFORM_SLOTS> transforms{};
    std::uint8_t standing = 0;              // the slots of the transforms that stand, one bit each
    int feed_mode = 0;                      // the feed mode code in tenths; 0 unknown
    int tool_length = 0;                    // the last tool length code in tenths; 0 unknown
    std::uint32_t tool_length_changes = 0;  // tool length codes read
    int call_level = 0;                     // 0 in the main program
    std::array<std::optional<saved_modes>, CALL_LEVELS> saved{};  // by call level
    std::uint64_t save_events = 0;                       // saves made so far: the last one's number
    integer_reading reading = integer_reading::unknown;  // how a number without a point reads
    bool points_whole_numbers = false;                   // --decimal-point
    // The styles of the numbers each position is made of, one bit an axis:
    // some with a point, some without (zeros have none); followed from the
    // first number without a point on (see number_styles.hpp).
    bool styles_followed = false;
    std::uint16_t pointed_axes = 0;
    std::uint16_t whole_axes = 0;
    // Where each position took each style: the word that gave it, for the
    // message of a stop that adds the other style to it.
    std::array<style_source, AXIS_COUNT> pointed_from{};
    std::array<style_source, AXIS_COUNT> whole_from{};
    bool program_ended = false;  // M2 or M30 read: M99 then returns from a subprogram
    // No start position was given: it is asked for where a move first needs
    // it, in the units in force at the start.
    bool start_awaited = false;
    length_unit start_unit = length_unit::unknown;
    bool moved_incrementally = false;  // an incremental move was converted
    loss jumped;                       // the first jump (line 0 when there is none)

    bool incremental() const { return mode == distance_mode::incremental; }
    // The first transform that stands, or nullptr.
    const standing_transform* transform() const {
        return standing == 0 ? nullptr
                             : &transforms[static_cast<std::size_t>(std::countr_zero(standing))];
    }
};

// --- Transitions ---

inline void set_mode(machine_state& machine, distance_mode mode) {
    machine.mode = mode;
}
void set_plane(machine_state& machine, work_plane plane);
// The positions take the styles of the numbers that made them, from now on
// followed.
inline void set_styles(machine_state& machine, std::uint16_t pointed, std::uint16_t whole) {
    machine.styles_followed = true;
    machine.pointed_axes = pointed;
    machine.whole_axes = whole;
}

// Switching between known units converts the tracked linear axes (X, Y, Z,
// U, V, W; A, B and C are angles); switching from unknown units makes every
// axis that is not at 0 unknown (0 is 0 in any unit), and so does switching
// a position made of numbers without a point while their reading is unknown.
void set_units(machine_state& machine, length_unit unit, const loss& why);
// Moves an axis by a word's value in the current mode: to it in absolute
// mode, by it in incremental mode. The axis is known afterwards. Returns its
// new coordinate.
inline exact_number move(machine_state& machine, int axis, exact_number value) {
    exact_number& position = machine.position[static_cast<std::size_t>(axis)];
    const exact_number moved = machine.incremental() ? position + value : value;
    position = moved;
    machine.known |= axis_bit(axis);
    return moved;  // not read back: the position was just stored in two parts
}
// Sets an axis to a known position.
void set_axis(machine_state& machine, int axis, exact_number value);
// Moves a known axis by `value`; an unknown one stays unknown.
void shift(machine_state& machine, int axis, exact_number value);
// The axes in `axes` become unknown; one already unknown keeps its first loss
// (but the start's: the start no longer tells where it is).
void forget_some(machine_state& machine, std::uint16_t axes, const loss& why);
inline void forget(machine_state& machine, std::uint16_t axes, const loss& why) {
    if (axes != 0) {
        forget_some(machine, axes, why);
    }
}
// After a call, a jump or a program end: every axis, the mode, plane, units,
// coordinate system and cycle become unknown.
void forget_state(machine_state& machine, const loss& why);
// The start position: the axes in `known` at `position`, the others unknown.
void start_at(machine_state& machine, const std::array<exact_number, AXIS_COUNT>& position,
              std::uint16_t known, const loss& why);
// M70 (or M73, with `autorestore`) at `line`: the modes saved at the
// current call level.
void save_state(machine_state& machine, bool autorestore, std::uint64_t line);
// The modes saved at the current call level, or nullptr.
inline const saved_modes* saved_here(const machine_state& machine) {
    const auto& saved = machine.saved[static_cast<std::size_t>(machine.call_level)];
    return saved ? &*saved : nullptr;
}
// The modes as they stand.
modal_state current_modes(const machine_state& machine);
// Restores `modes`: another coordinate system makes every axis unknown,
// another tool length Z, another unit every axis that is not at 0 when
// either unit is unknown.
void restore_modes(machine_state& machine, const modal_state& modes, const loss& why);
// M72: restores the modes saved at the current call level, when there are any.
void restore_state(machine_state& machine, const loss& why);
// A call's lines follow (--expand-calls): a level of its own, nothing saved.
void enter_call(machine_state& machine);
// The called program returned: its level's saves are gone. Returns M73's
// saved modes, which the caller restores, or nothing.
std::optional<saved_modes> leave_call(machine_state& machine);
void set_feed_mode(machine_state& machine, int tenths);
void set_tool_length(machine_state& machine, int tenths);
void select_system(machine_state& machine, int tenths);
void begin_transform(machine_state& machine, transform_slot slot, int tenths, std::uint64_t line);
void end_transform(machine_state& machine, transform_slot slot);
void set_cycle(machine_state& machine, cycle_state state, int tenths);
// A series of cycle lines begins, with the normal axis where it stands.
void begin_series(machine_state& machine, bool incremental, exact_number initial,
                  std::uint8_t initial_style = 0);
// The R and depth words of an incremental series line stay in force.
void keep_cycle_words(machine_state& machine, const std::optional<exact_number>& r,
                      const std::optional<exact_number>& depth, std::uint8_t r_style = 0,
                      std::uint8_t depth_style = 0);
// A cycle line gave its R word or depth word, read in `incremental` mode or not.
void keep_cycle_word(kept_cycle_word& word, std::uint64_t line, bool incremental);
// Back to the initial level or to the R level after each hole.
void set_retract(machine_state& machine, retract_level level);
void set_modal_call(machine_state& machine, bool active);
void end_program(machine_state& machine);
void note_jump(machine_state& machine, const loss& where);
inline void note_incremental_move(machine_state& machine) {
    machine.moved_incrementally = true;
}

}  // namespace g91to90
