// What the user sees when a run stops: the message and the exit status.
#pragma once

#include <string>

#include "convert/convert.hpp"

namespace g91to90 {

inline constexpr int STATUS_SUCCESS = 0;
inline constexpr int STATUS_FAILURE = 1;
// The output could not be written or closed. A failing close returns the
// end-of-file value -1, seen as 255 in an exit status; a failing write during
// the run is reported the same way.
inline constexpr int STATUS_OUTPUT_FAILED = 255;

struct stop_report {
    std::string message;  // written to standard output, may be empty
    int status;
};

stop_report report_stop(const conversion_stop& stop);

// For the exceptions that are not a stop reason.
inline const stop_report OUT_OF_MEMORY_REPORT{"\nERROR: out of memory\n", STATUS_FAILURE};
inline const stop_report INTERNAL_ERROR_REPORT{"\nERROR: internal error\n", STATUS_FAILURE};
// The output could not be written, closed or renamed into place.
inline const stop_report OUTPUT_FAILED_REPORT{"\nERROR: the output could not be written\n",
                                              STATUS_OUTPUT_FAILED};

}  // namespace g91to90
