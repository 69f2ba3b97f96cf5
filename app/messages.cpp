#include "messages.hpp"

namespace g91to90 {

namespace {

// "line 9", or "O1000.nc line 5" for a line of a called program's file.
std::string line_in_file(const std::string& file, std::uint64_t line) {
    return (file.empty() ? "" : file + " ") + "line " + std::to_string(line);
}

stop_report line_error(const conversion_stop& stop, const std::string& what) {
    return {"\nERROR: " + line_in_file(stop.line_file, stop.line_number) + ": " + what + "\n",
            STATUS_FAILURE};
}

// Where what the message names began: "line 4: G28", or "the start".
std::string since(const conversion_stop& stop) {
    return stop.since_line == 0
               ? "the start"
               : line_in_file(stop.since_file, stop.since_line) + ": " + stop.since;
}

}  // namespace

stop_report report_stop(const conversion_stop& stop) {
    switch (stop.reason) {
        case stop_reason::input_not_opened:
        case stop_reason::output_not_opened:
            return {"\nCan't open " + stop.detail + "\n", STATUS_FAILURE};
        case stop_reason::input_not_read:
            return {"\nCan't read " + stop.detail + "\n", STATUS_FAILURE};
        case stop_reason::same_files:
            return {"ERROR: input output files are same\n", STATUS_FAILURE};
        case stop_reason::console_ended:
            return {"", STATUS_FAILURE};
        case stop_reason::no_mode_line:
            return {"\nERROR: no G90, G91 or G92 line: nothing to convert\n", STATUS_FAILURE};
        case stop_reason::subroutine_file:
            return line_error(stop,
                              "a subroutine file: convert the program that calls it, with "
                              "--expand-calls");
        case stop_reason::misplaced_mode_line:
            return {"Warning:in input file the location of G92/G90/G91 maybe wrong!\n",
                    STATUS_FAILURE};
        case stop_reason::number_out_of_range:
            if (stop.line_number != 0) {
                return line_error(stop, "number out of range");
            }
            return {"ERROR: number out of range\n", STATUS_FAILURE};
        case stop_reason::output_failed:
            return {"", STATUS_OUTPUT_FAILED};
        case stop_reason::start_not_a_number:
            return {"\nERROR: start value " + stop.detail + " is not a number\n", STATUS_FAILURE};
        case stop_reason::no_start_position:
            return {"ERROR: no start position (give --start or a G92 line)\n", STATUS_FAILURE};
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
            return line_error(stop, "optional block (/) with a move or a mode");
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
        case stop_reason::unknown_position:
            return line_error(stop, "incremental " + stop.detail +
                                        " move from an unknown position (" + stop.detail +
                                        " unknown since " + since(stop) + ")");
        case stop_reason::cycle_may_run:
            return line_error(stop,
                              "canned cycle in incremental mode (a cycle may be active since " +
                                  since(stop) + ")");
        case stop_reason::repeated_axis:
            return line_error(stop, "two " + stop.detail + " words on one line");
        case stop_reason::call_not_expanded:
            return line_error(stop, "call cannot be expanded (" + stop.detail + ")");
        case stop_reason::main_program_loops:
            return line_error(stop, "M99 in the main program loops");
        case stop_reason::unknown_option:
            return {"ERROR: unknown option " + stop.detail + "\nTry: g91to90 --help\n",
                    STATUS_FAILURE};
        case stop_reason::bad_decimals:
            return {"ERROR: --decimals takes 3 to 6\n", STATUS_FAILURE};
        case stop_reason::bad_start:
            return {"ERROR: --start takes axis words, as in --start \"X0 Y0 Z50\" (not \"" +
                        stop.detail + "\")\n",
                    STATUS_FAILURE};
        case stop_reason::bad_command_line:
            return {"ERROR: " + stop.detail + "\nTry: g91to90 --help\n", STATUS_FAILURE};
        case stop_reason::same_output_name:
            return {"ERROR: the output name is that of " + stop.detail + "'s output\n",
                    STATUS_FAILURE};
        case stop_reason::too_many_file_names:
            return {"ERROR: too many arguments (an input and an output file at most)\n",
                    STATUS_FAILURE};
    }
    return INTERNAL_ERROR_REPORT;
}

}  // namespace g91to90
