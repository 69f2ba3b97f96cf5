// g91to90: rewrites a G-code part program from incremental (G91) to absolute
// (G90) distance mode, exactly, or stops naming the line it cannot convert.
//
// This header is the library's whole public surface. It includes only the
// standard library. Nothing here keeps global state: every call works on its
// own options and result, and two conversions may run in two threads.
//
//     g91to90::options how;
//     how.start = "X0 Y0 Z50";
//     const g91to90::result done = g91to90::convert(program_text, how);
//     if (done.stopped) { std::cerr << done.stopped->message; }
//     else { write(done.output); }
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Built as a shared library, only the names marked so leave it.
#if defined(G91TO90_SHARED) && !defined(_WIN32)
#define G91TO90_API __attribute__((visibility("default")))
#else
#define G91TO90_API
#endif

namespace g91to90 {

// Why a conversion stops. Each names its line where the message does.
enum class stop_reason : std::uint8_t {
    input_not_opened,     // detail: the input name; error: why, when known
    input_not_read,       // detail: the input name
    same_files,           // the output name names the input file
    output_not_opened,    // detail: the output name; error: why, when known
    console_ended,        // the start was asked for and no answer came
    no_mode_line,         // the input is empty or ends before the mode line
    subroutine_file,      // no mode line outside subprogram definitions; names the first
    misplaced_mode_line,  // an axis word stands before the mode line
    number_out_of_range,  // a value to be written or a start value is a billion or more
    // Numbers without a point, while their reading (units or increments) is
    // unknown; each names its line. detail: the line's word; since, since_line:
    // the other word and its line (0: the start position).
    whole_added_to_pointed,   // a number without a point added to one with a point
    pointed_added_to_whole,   // a number with a point added to one without
    point_needs_reading,      // detail: a word without a point that decimal_point would change
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
    // Calls written out in place (expand_calls).
    call_not_expanded,   // detail: why the call cannot be written out
    main_program_loops,  // M99 in the main program
    // The options (the command line's, read before anything is opened).
    unknown_option,       // detail: the word as given
    bad_decimals,         // decimals other than 0 or 3 to 6
    bad_integers,         // detail: where the reading was given, without units or increments
    bad_start,            // detail: a start that is not axis words
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

// A conversion that stopped: why, where, and the message the program prints.
struct stop {
    stop_reason reason = stop_reason::no_mode_line;
    std::string detail;      // a name, a token, a code or an axis letter
    std::uint64_t line = 0;  // the line the message names, from 1; 0 for none
    std::string file;        // the called file `line` stands in; empty for the input
    // Where what the message names began: a line (0 for the start) and a code.
    std::uint64_t since_line = 0;
    std::string since;
    std::string since_file;
    int error = 0;  // why a file could not be opened: an errno value, 0 when not known
    stop_hint hint = stop_hint::none;
    std::string message;  // the exact text the program prints, newlines included
    int status = 1;       // the exit status the program ends with
};

// The text the program prints for a stop (its `message` once it is made),
// from every field but `message` and `status`.
G91TO90_API std::string stop_message(const stop& stopped);
// A reason's name as the code spells it ("code_incremental").
G91TO90_API std::string_view reason_name(stop_reason reason);
// The exit status the program ends with for a stop's reason.
G91TO90_API int stop_status(stop_reason reason);

// How a control reads a number written without a point. A number with a
// point (X10., X.5) means millimetres or inches on every control; one
// without (X10) means them on some and least increments on others
// (Fanuc-style controls without decimal-point input). A zero means zero on
// all of them.
enum class integer_reading : std::uint8_t {
    unknown,    // not given: a conversion that depends on it stops
    units,      // millimetres or inches (LinuxCNC, GRBL, decimal-point input)
    increments  // least increments: 0.001 mm under G21, 0.0001 in under G20
};

// The bytes of a called program by its file's name ("O100.nc"), or nullopt
// when there is none of that name.
using file_finder = std::function<std::optional<std::string>(const std::string& name)>;
// Shows a prompt and returns the next blank-delimited answer typed, or
// nullopt when no answer can come.
using ask_function = std::function<std::optional<std::string>(std::string_view prompt)>;

// The most lines an expanded program may have by default.
inline constexpr std::uint64_t DEFAULT_MOST_EXPANDED_LINES = 100'000'000;
// The most moves a toolpath keeps by default: enough for any program a
// person reads.
inline constexpr std::size_t DEFAULT_MOST_DRAWN_MOVES = 1'000'000;

// Everything the command line can say about a conversion.
struct options {
    // Where the tool stands before the first line, as axis words of X, Y, Z,
    // A, B, C, U, V or W ("X0 Y0 Z50"): an axis not named is unknown. The
    // program's own G92 start line wins for the axes it names. Empty: none.
    std::string start;
    // Asked for X, Y and Z where a move first needs a start that was not
    // given; without it such a program stops with `no_start_position`.
    ask_function ask;
    // The fewest places of a rewritten word: 3 to 6, or 0 for 3 (4 in inches).
    int decimals = 0;
    // A point after every rewritten word written without decimals ("X10.").
    bool decimal_point = false;
    // How the control reads numbers without a point.
    integer_reading integers = integer_reading::unknown;
    // Every subprogram call written out in place as the control runs it; a
    // program that is not in the input is found by `find_file`, by its name
    // with `extension` (the input's own, ".nc").
    bool expand_calls = false;
    file_finder find_file;
    std::string extension;
    std::uint64_t max_lines = DEFAULT_MOST_EXPANDED_LINES;
    // Convert and report, but give no output.
    bool check_only = false;
    // Follow the toolpath: the moves and the SVG picture in the result.
    bool toolpath = false;
    std::size_t most_drawn_moves = DEFAULT_MOST_DRAWN_MOVES;
    std::string title;  // the picture's title: the program's name
};

// What a conversion read, as the program's check prints it.
struct report {
    std::uint64_t lines = 0;  // input lines read
    std::uint64_t moves = 0;  // moves with a known end
    // X, Y and Z: "-10.000 to 50.000 mm", or "unknown" when the tool never
    // stood at a known position of the axis.
    std::array<std::string, 3> extents;
    // "pointed", "whole", "mixed (first whole word X5, line 12)" or "none but
    // zeros", then how numbers without a point were read where there were any.
    std::string numbers;
};
// The report's lines as the check prints them after its verdict.
G91TO90_API std::string report_text(const report& read);

enum class move_kind : std::uint8_t { rapid, feed, arc_clockwise, arc_counterclockwise, hole };

// One move with both ends known in X and Y, in the program's unit.
struct drawn_move {
    std::array<double, 2> from{};
    std::array<double, 2> to{};
    std::array<double, 2> centre{};  // for an arc in the XY plane
    double depth = 0;                // the lower Z of its ends
    bool depth_known = false;
    move_kind kind = move_kind::feed;
};

struct result {
    std::string output;           // the converted program (what was written before a stop)
    std::optional<stop> stopped;  // why it stopped; empty when it converted
    report read;                  // up to the end, or to the stop
    // With `options::toolpath`: the moves (at most `most_drawn_moves`;
    // `all_drawn` false when there were more) and the SVG picture.
    std::vector<drawn_move> moves;
    bool all_drawn = true;
    std::string svg;

    bool converted() const { return !stopped.has_value(); }
};

// Reads the input: fills `buffer` with up to `size` bytes and returns how
// many; 0 at its end. Returns nullopt when it cannot be read.
using read_function = std::function<std::optional<std::size_t>(char* buffer, std::size_t size)>;
// Takes output bytes as they are made; returns false when they could not
// be written (the conversion then stops with `output_failed`).
using write_function = std::function<bool(std::string_view bytes)>;

// The stop that options cause before any input is read (a start that is not
// axis words or is out of range, decimals other than 0 or 3 to 6, no lines
// allowed for expanded calls); nullopt when they are good. A conversion with
// them stops the same way.
G91TO90_API std::optional<stop> options_stop(const options& how);

// Converts a whole program held in memory.
G91TO90_API result convert(std::string_view program, const options& how);

// Converts a program read piece by piece from `read`, giving the output to
// `write` in pieces (at most 64 KiB held between them): any size in bounded
// memory. `result::output` stays empty. With `expand_calls` the input is
// read whole first. `input_name` is named by `input_not_read`.
G91TO90_API result convert(const read_function& read, const write_function& write,
                           const options& how, std::string_view input_name = "the input");

// A conversion fed in chunks: feed the input as it comes, take the output
// made so far between feeds, then finish. Memory stays bounded by the
// chunks fed and the output not yet taken. The conversion runs in a thread
// of its own, which `feed` waits on until the chunk is read; the options'
// `ask` and `find_file` are called from that thread. The output comes in
// blocks of 64 KiB, the last of them at `finish`.
class G91TO90_API converter {
  public:
    explicit converter(const options& how);
    converter(const converter&) = delete;
    converter& operator=(const converter&) = delete;
    ~converter();

    // Gives the next bytes of the input. Once the conversion has stopped,
    // the rest is read no more.
    void feed(std::string_view chunk);
    // The output made since the last take.
    std::string take();
    // Ends the input and waits for the conversion: its result, whose
    // `output` holds what was not taken.
    result finish();

  private:
    struct state;
    std::unique_ptr<state> state_;
};

// Whether a program holds a move in incremental mode: a G91 program that a
// converted output should not replace.
G91TO90_API bool holds_incremental_moves(std::string_view program);

// The library's version ("1.4.0").
G91TO90_API std::string_view version();

}  // namespace g91to90
