#include "messages.hpp"

namespace g91to90 {

namespace {

stop_report line_error(const conversion_stop& stop, const std::string& what) {
    return {"\nERROR: line " + std::to_string(stop.line_number) + ": " + what + "\n",
            STATUS_FAILURE};
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
        case stop_reason::no_mode_line:
            return {"", STATUS_FAILURE};
        case stop_reason::misplaced_mode_line:
            return {"Warning:in input file the location of G92/G90/G91 maybe wrong!\n",
                    STATUS_FAILURE};
        case stop_reason::number_out_of_range:
            return {"ERROR: number out of range\n", STATUS_FAILURE};
        case stop_reason::output_failed:
            return {"", STATUS_OUTPUT_FAILED};
        case stop_reason::start_not_a_number:
            return {"\nERROR: start value " + stop.detail + " is not a number\n", STATUS_FAILURE};
        case stop_reason::canned_cycle_incremental:
            return line_error(stop, "canned cycle in incremental mode");
        case stop_reason::call_incremental:
            return line_error(stop, "subprogram call in incremental mode");
        case stop_reason::o_word_incremental:
            return line_error(stop, "O-word control in incremental mode");
        case stop_reason::polar_incremental:
            return line_error(stop, "polar coordinates in incremental mode");
        case stop_reason::e_word_incremental:
            return line_error(stop, "incremental E move cannot be converted");
        case stop_reason::mode_kept_under_g91:
            return line_error(stop, "M70/M72/M73 on a return line in incremental mode");
        case stop_reason::unknown_position:
            return line_error(stop,
                              "incremental " + stop.detail + " move from an unknown position");
        case stop_reason::unknown_option:
            return {"ERROR: unknown option " + stop.detail + "\nTry: g91to90 --help\n",
                    STATUS_FAILURE};
        case stop_reason::bad_decimals:
            return {"ERROR: --decimals takes 3 or 4\n", STATUS_FAILURE};
        case stop_reason::too_many_file_names:
            return {"ERROR: too many arguments (an input and an output file at most)\n",
                    STATUS_FAILURE};
    }
    return INTERNAL_ERROR_REPORT;
}

}  // namespace g91to90
