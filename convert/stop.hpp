// Why a run stops early. The engine and the front end throw a `conversion_stop`;
// the entry point turns its reason into the message and exit status the user
// sees (one table, in app/messages.cpp).
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace g91to90 {

enum class stop_reason : std::uint8_t {
    input_not_opened,     // detail: the input name; error: why, when known
    input_not_read,       // detail: the input name
    same_files,           // the output name names the input file
    output_not_opened,    // detail: the output name; error: why, when known
    console_ended,        // standard input ended while an answer was awaited
    no_mode_line,         // the input is empty or ends before the mode line
    subroutine_file,      // no mode line outside subprogram definitions; names the first
    misplaced_mode_line,  // an axis word stands before the mode line
    number_out_of_range,  // a value to be written or a start value is a billion or more
    // Numbers without a point, while their reading (units or increments) is
    // unknown; each names its line. detail: the line's word; since, since_line:
    // the other word and its line (0: the start position).
    whole_added_to_pointed,   // a number without a point added to one with a point
    pointed_added_to_whole,   // a number with a point added to one without
    point_needs_reading,      // detail: a word without a point that --decimal-point would change
    increments_unit_unknown,  // detail: the axis; increments of an unknown unit
    output_failed,            // the output could not be written
    start_not_a_number,       // detail: the token typed as a start value
    no_start_position,        // no G92 line, no given start, and nothing may be asked
    ctrl_z_inside,            // a Ctrl-Z that more of the program follows
    // Lines that cannot be converted; each names its line. They are tried in
    // this order, and the first that applies is given.
    malformed_number,          // detail: the word whose number text is no number ("X5-3")
    control_character,         // detail: the byte, as "0x00"
    conflicting_codes,         // detail: "G90 and G91"
    computed_code,             // a G, M or O code whose number is a parameter or expression
    optional_block,            // "/" with a move or a mode
    flow_incremental,          // program flow in incremental mode
    jump_with_incremental,     // a jump in a program with converted incremental moves
    call_incremental,          // a call in incremental mode; detail "expandable" for M98 and
                               // O-word calls
    code_incremental,          // detail: a code that cannot be converted ("G16")
    firmware_incremental,      // detail: an M code with axis words ("M201")
    under_transform,           // detail: the axis; since: the transform and its line
    canned_cycle_incremental,  // a canned cycle in incremental mode
    cycle_word_other_mode,     // detail: "R" or the depth's axis; since: the mode it was read
                               // in ("G91"), since_line: the line that gave it
    parameter_incremental,     // a parameter or expression with axis words
    offset_with_move,          // detail: the offset code ("G92.1")
    dwell_with_axes,           // G4 with axis words in incremental mode
    tool_length_z,             // detail: the tool length code ("G43")
    polar_incremental,         // "@" or "^" in incremental mode
    e_word_incremental,        // an E word in incremental mode
    mode_kept_under_g91,       // M70, M72 or M73 on a line written under an added G91
    restore_other_level,       // M72 whose modes another call level saved last (calls
                               // written out in place run at one level)
    restore_not_written,       // detail: the mode M73 saved that cannot be written where its
                               // program returns; line: the M73
    unknown_position,          // detail: the axis letter; since: where it was lost
    cycle_may_run,             // since: where the converter lost track of the cycle
    repeated_axis,             // detail: the axis named by two words of a converted line
    // The program's layout, found while it is read; each names its line.
    incremental_definition,  // detail: the definition's name ("o100"); line: its first line
    optional_end,            // a "/" M2 or M30 with more of the program after it
    optional_differs,        // a line that means one thing where the optional lines ran and
                             // another where they did not; since_line: the first such line
    block_too_long,          // detail: a block after M30 too long to hold back; line: its first
    // Calls written out in place (--expand-calls).
    call_not_expanded,   // detail: why the call cannot be written out
    main_program_loops,  // M99 in the main program
    // The command line, read before anything is opened or asked.
    unknown_option,       // detail: the word as given
    bad_decimals,         // --decimals without 3 to 6
    bad_integers,         // detail: --integers or G91TO90_INTEGERS, without units or increments
    bad_start,            // detail: a --start value that is not axis words
    too_many_file_names,  // more than an input and an output name
    bad_command_line,     // detail: why the options cannot go together
    same_output_name,     // detail: the batch's input written to the same output before
    // The output, checked before anything is written to it.
    output_is_an_input,  // detail: the output name, which names another input of the batch
    no_room_beside,      // detail: the existing output; error: why no temporary file is made
    output_holds_moves,  // detail: the existing output, which holds incremental moves
};

// What a stop's message tells the user to do, where there is one thing to do.
enum class stop_hint : std::uint8_t {
    none,
    expand_calls,    // the position was lost in a call, or the program has definitions
    give_start,      // the axis was never given a start: detail names it
    state_position,  // an absolute move before the line states the position
};

struct conversion_stop : std::exception {
    explicit conversion_stop(stop_reason reason, std::string detail = {},
                             std::uint64_t line_number = 0)
        : reason(reason), detail(std::move(detail)), line_number(line_number) {}
    const char* what() const noexcept override { return "conversion stopped"; }

    stop_reason reason;
    std::string detail;             // a name, a token, a code or an axis letter
    std::uint64_t line_number = 0;  // the input line, where the message names one
    // Where what the message names began: a line (0 for the start) and a code.
    std::uint64_t since_line = 0;
    std::string since;
    // The files beside the input that `line_number` and `since_line` stand
    // in (a called program's); empty for the input.
    std::string line_file;
    std::string since_file;
    // Why a file could not be opened: an errno value (a std::errc), 0 when
    // not known.
    int error = 0;
    stop_hint hint = stop_hint::none;
};

}  // namespace g91to90
