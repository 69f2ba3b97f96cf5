#include "messages.hpp"

namespace g91to90 {

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
    }
    return INTERNAL_ERROR_REPORT;
}

}  // namespace g91to90
