// The message of every stop: one table, by reason.
#include "messages.hpp"

#include <array>
#include <initializer_list>
#include <string_view>
#include <system_error>
#include <utility>

namespace g91to90 {

namespace {

// What a stop that depends on how numbers without a point read says to do.
const std::string GIVE_READING =
    "give --integers units or --integers increments, or set G91TO90_INTEGERS (see \"Numbers\")";
// Why a file could not be opened, in the same words on every system: the
// common reasons by name, any other as `otherwise`.
const char* error_text(int error, const char* otherwise) {
    static constexpr std::array<std::pair<std::errc, const char*>, 12> TEXTS{{
        {std::errc::no_such_file_or_directory, "No such file or directory"},
        {std::errc::permission_denied, "Permission denied"},
        {std::errc::operation_not_permitted, "Operation not permitted"},
        {std::errc::is_a_directory, "Is a directory"},
        {std::errc::not_a_directory, "Not a directory"},
        {std::errc::read_only_file_system, "Read-only file system"},
        {std::errc::no_space_on_device, "No space left on device"},
        {std::errc::filename_too_long, "File name too long"},
        {std::errc::file_exists, "File exists"},
        {std::errc::too_many_files_open, "Too many open files"},
        {std::errc::too_many_symbolic_link_levels, "Too many levels of symbolic links"},
        {std::errc::device_or_resource_busy, "Device or resource busy"},
    }};
    for (const auto& [code, text] : TEXTS) {
        if (error == static_cast<int>(code)) {
            return text;
        }
    }
    return otherwise;
}

// The pieces one after the other.
std::string joined(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (const std::string_view piece : pieces) {
        text += piece;
    }
    return text;
}

// "Can't open NAME", and on a line of its own the file's role and why.
std::string not_opened(const stop& stop, const char* role) {
    return joined({"\nCan't open ", stop.detail, "\n(", role, ": ",
                   error_text(stop.error, "cannot be opened"), ")\n"});
}

// What the user can do, after a stop's message: empty where there is no one
// thing to do.
std::string hint_text(const stop& stop) {
    switch (stop.hint) {
        case stop_hint::expand_calls:
            return " (--expand-calls writes the called lines in place)";
        case stop_hint::give_start:
            return " (give the start of " + stop.detail + " with --start \"" + stop.detail +
                   "0 ...\")";
        case stop_hint::state_position:
            return " (state the position with an absolute move before this line)";
        case stop_hint::none:
            break;
    }
    return {};
}

// "line 9", or "O1000.nc line 5" for a line of a called program's file.
std::string line_in_file(const std::string& file, std::uint64_t line) {
    return (file.empty() ? "" : file + " ") + "line " + std::to_string(line);
}

std::string line_error(const stop& stop, const std::string& what) {
    return "\nERROR: " + line_in_file(stop.file, stop.line) + ": " + what + "\n";
}

// Where what the message names began: "line 4: G28", or "the start".
std::string since(const stop& stop) {
    return stop.since_line == 0
               ? "the start"
               : line_in_file(stop.since_file, stop.since_line) + ": " + stop.since;
}

}  // namespace

std::string stop_message(const stop& stop) {
    switch (stop.reason) {
        case stop_reason::input_not_opened:
            return not_opened(stop, "input");
        case stop_reason::output_not_opened:
            return not_opened(stop, "output");
        case stop_reason::input_not_read:
            return "\nCan't read " + stop.detail + "\n";
        case stop_reason::same_files:
            return "ERROR: input output files are same\n";
        case stop_reason::console_ended:
            return "";
        case stop_reason::no_mode_line:
            return "\nERROR: no G90, G91 or G92 line: nothing to convert\n";
        case stop_reason::subroutine_file:
            return line_error(stop,
                              "a subroutine file: convert the program that calls it, with "
                              "--expand-calls");
        case stop_reason::misplaced_mode_line:
            return "Warning:in input file the location of G92/G90/G91 maybe wrong!\n" +
                   line_in_file(stop.file, stop.line) + ": " + stop.detail +
                   " before any G90, G91 or G92 line\n";
        case stop_reason::number_out_of_range:
            if (stop.line != 0) {
                return line_error(stop, "number out of range");
            }
            return "ERROR: number out of range\n";
        case stop_reason::whole_added_to_pointed:
        case stop_reason::pointed_added_to_whole: {
            const bool whole_here = stop.reason == stop_reason::whole_added_to_pointed;
            const std::string other =
                stop.since + (whole_here ? "" : " (no decimal point)") +
                (stop.since_line == 0 ? ", a position reached with numbers with a point"
                                      : " of " + line_in_file(stop.since_file, stop.since_line));
            return line_error(stop, stop.detail + (whole_here ? " (no decimal point)" : "") +
                                        " is added to " + other + ": " + GIVE_READING);
        }
        case stop_reason::point_needs_reading:
            return line_error(stop, "--decimal-point would put a point on " + stop.detail +
                                        " (no decimal point): " + GIVE_READING);
        case stop_reason::increments_unit_unknown:
            return line_error(stop, stop.detail +
                                        " counts least increments of unknown units: give G20 "
                                        "or G21 before it");
        case stop_reason::output_failed:
            return OUTPUT_FAILED_MESSAGE;
        case stop_reason::start_not_a_number:
            return "\nERROR: start value " + stop.detail + " is not a number\n";
        case stop_reason::no_start_position:
            return line_error(stop, "no start position (give --start or a G92 line)");
        case stop_reason::ctrl_z_inside:
            return line_error(stop,
                              "Ctrl-Z (an end-of-file mark) with more of the program after it");
        case stop_reason::malformed_number:
            return line_error(stop, stop.detail + " is not a number");
        case stop_reason::control_character:
            return line_error(stop, "control character " + stop.detail + " outside comments");
        case stop_reason::conflicting_codes:
            return line_error(stop, stop.detail + " on one line");
        case stop_reason::computed_code:
            return line_error(stop, "G, M or O code from a parameter or expression");
        case stop_reason::optional_block:
            return line_error(stop, "optional block (/) with a call or program flow");
        case stop_reason::flow_incremental:
            return line_error(stop, "program flow in incremental mode");
        case stop_reason::jump_with_incremental:
            return line_error(stop, "jump (GOTO, M97, M99) in a program with incremental moves");
        case stop_reason::call_incremental:
            return line_error(stop, stop.detail == "expandable"
                                        ? "subprogram call in incremental mode (--expand-calls "
                                          "writes the called lines in place)"
                                        : "subprogram call in incremental mode");
        case stop_reason::code_incremental:
            return line_error(stop, stop.detail + " cannot be converted in incremental mode");
        case stop_reason::firmware_incremental:
            return line_error(stop, stop.detail + " with axis words in incremental mode");
        case stop_reason::under_transform:
            return line_error(stop, "incremental " + stop.detail + " move under " + stop.since +
                                        " (" + line_in_file(stop.since_file, stop.since_line) +
                                        ")");
        case stop_reason::canned_cycle_incremental:
            return line_error(stop, "canned cycle in incremental mode" +
                                        (stop.detail.empty() ? "" : " (" + stop.detail + ")"));
        case stop_reason::cycle_word_other_mode:
            return line_error(stop, "the cycle's " + stop.detail + " word of " +
                                        line_in_file(stop.since_file, stop.since_line) +
                                        " was read in " + stop.since +
                                        ": give the R and depth words on this line (controls "
                                        "differ)");
        case stop_reason::parameter_incremental:
            return line_error(stop, "parameter or expression in incremental mode");
        case stop_reason::offset_with_move:
            return line_error(stop, stop.detail + " and a move on one line");
        case stop_reason::dwell_with_axes:
            return line_error(stop, "G4 with axis words in incremental mode");
        case stop_reason::tool_length_z:
            return line_error(stop, stop.detail + " with a Z word in incremental mode");
        case stop_reason::polar_incremental:
            return line_error(stop, "polar coordinates in incremental mode");
        case stop_reason::e_word_incremental:
            return line_error(stop, "incremental E move cannot be converted");
        case stop_reason::mode_kept_under_g91:
            return line_error(stop, "M70/M72/M73 on a line written under an added G91");
        case stop_reason::restore_other_level:
            return line_error(stop,
                              "M72 in the written-out program would restore the modes another "
                              "call level saved");
        case stop_reason::restore_not_written:
            return line_error(stop, "the " + stop.detail +
                                        " M73 saved cannot be written where its program returns");
        case stop_reason::unknown_position:
            return line_error(stop, "incremental " + stop.detail +
                                        " move from an unknown position (" + stop.detail +
                                        " unknown since " + since(stop) + ")" + hint_text(stop));
        case stop_reason::cycle_may_run:
            return line_error(stop,
                              "canned cycle in incremental mode (a cycle may be active since " +
                                  since(stop) + ")" + hint_text(stop));
        case stop_reason::repeated_axis:
            return line_error(stop, "two " + stop.detail + " words on one line");
        case stop_reason::incremental_definition:
            return line_error(stop, "subprogram " + stop.detail +
                                        " holds moves that depend on where it is called "
                                        "(--expand-calls writes the called lines in place)");
        case stop_reason::block_too_long:
            return line_error(stop, stop.detail +
                                        " after the main program's end is too long to tell a "
                                        "subprogram (M99) from a program of its own (M30)");
        case stop_reason::optional_differs:
            return line_error(stop, "the optional block (/) of " +
                                        line_in_file(stop.since_file, stop.since_line) +
                                        " leaves this line another position or mode where it "
                                        "is skipped (state them after it)");
        case stop_reason::optional_end:
            return line_error(stop, "optional block (/) ends the program before more of it");
        case stop_reason::call_not_expanded:
            return line_error(stop, "call cannot be expanded (" + stop.detail + ")");
        case stop_reason::main_program_loops:
            return line_error(stop, "M99 in the main program loops");
        case stop_reason::unknown_option:
            return "ERROR: unknown option " + stop.detail + "\nTry: g91to90 --help\n";
        case stop_reason::bad_integers:
            return "ERROR: " + stop.detail + " takes units or increments\n";
        case stop_reason::bad_decimals:
            return "ERROR: --decimals takes 3 to 6\n";
        case stop_reason::bad_start:
            return "ERROR: --start takes axis words, as in --start \"X0 Y0 Z50\" (not \"" +
                   stop.detail + "\")\n";
        case stop_reason::bad_command_line:
            return "ERROR: " + stop.detail + "\nTry: g91to90 --help\n";
        case stop_reason::same_output_name:
            return "ERROR: the output name is that of " + stop.detail + "'s output\n";
        case stop_reason::output_is_an_input:
            return joined({"ERROR: its output ", stop.detail, " is an input of this run\n"});
        case stop_reason::no_room_beside:
            return joined({"ERROR: cannot write beside ", stop.detail, " (",
                           error_text(stop.error, "no file can be made there"), ")\n"});
        case stop_reason::output_holds_moves:
            return joined({"ERROR: ", stop.detail,
                           " holds G91 moves: is it your input? (--force replaces it)\n"});
        case stop_reason::too_many_file_names:
            return "ERROR: too many arguments (an input and an output file at most)\n";
    }
    return INTERNAL_ERROR_MESSAGE;
}

// Each reason's name, in the order of the reasons.
constexpr std::array<std::string_view, 58> REASON_NAMES{
    "input_not_opened",
    "input_not_read",
    "same_files",
    "output_not_opened",
    "console_ended",
    "no_mode_line",
    "subroutine_file",
    "misplaced_mode_line",
    "number_out_of_range",
    "whole_added_to_pointed",
    "pointed_added_to_whole",
    "point_needs_reading",
    "increments_unit_unknown",
    "output_failed",
    "start_not_a_number",
    "no_start_position",
    "ctrl_z_inside",
    "malformed_number",
    "control_character",
    "conflicting_codes",
    "computed_code",
    "optional_block",
    "flow_incremental",
    "jump_with_incremental",
    "call_incremental",
    "code_incremental",
    "firmware_incremental",
    "under_transform",
    "canned_cycle_incremental",
    "cycle_word_other_mode",
    "parameter_incremental",
    "offset_with_move",
    "dwell_with_axes",
    "tool_length_z",
    "polar_incremental",
    "e_word_incremental",
    "mode_kept_under_g91",
    "restore_other_level",
    "restore_not_written",
    "unknown_position",
    "cycle_may_run",
    "repeated_axis",
    "incremental_definition",
    "optional_end",
    "optional_differs",
    "block_too_long",
    "call_not_expanded",
    "main_program_loops",
    "unknown_option",
    "bad_decimals",
    "bad_integers",
    "bad_start",
    "too_many_file_names",
    "bad_command_line",
    "same_output_name",
    "output_is_an_input",
    "no_room_beside",
    "output_holds_moves",
};
static_assert(REASON_NAMES.size() == static_cast<std::size_t>(stop_reason::output_holds_moves) + 1,
              "every reason has its name");

std::string_view reason_name(stop_reason reason) {
    return REASON_NAMES.at(static_cast<std::size_t>(reason));
}

int stop_status(stop_reason reason) {
    return reason == stop_reason::output_failed ? STATUS_OUTPUT_FAILED : STATUS_FAILURE;
}

stop stop_of(const conversion_stop& stopped) {
    stop value;
    value.reason = stopped.reason;
    value.detail = stopped.detail;
    value.line = stopped.line_number;
    value.file = stopped.line_file;
    value.since_line = stopped.since_line;
    value.since = stopped.since;
    value.since_file = stopped.since_file;
    value.error = stopped.error;
    value.hint = stopped.hint;
    value.message = stop_message(value);
    value.status = stop_status(value.reason);
    return value;
}

}  // namespace g91to90
