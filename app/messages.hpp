// What the user sees when a run stops: the message and the exit status.
#pragma once

#include <exception>
#include <string>
#include <utility>

#include "g91to90/g91to90.hpp"

namespace g91to90 {

inline constexpr int STATUS_SUCCESS = 0;
inline constexpr int STATUS_FAILURE = 1;

// A stop of the program itself, before or around a conversion: its options,
// files and console.
struct run_stop : std::exception {
    explicit run_stop(stop_reason reason, std::string detail = {}) {
        value.reason = reason;
        value.detail = std::move(detail);
    }
    explicit run_stop(stop stopped) : value(std::move(stopped)) {}
    const char* what() const noexcept override { return "run stopped"; }
    stop value;
};

struct stop_report {
    std::string message;  // written to standard output, may be empty
    int status;
};

inline stop_report report_stop(const stop& stopped) {
    return {stop_message(stopped), stop_status(stopped.reason)};
}

// For the exceptions that are not a stop reason.
inline const stop_report OUT_OF_MEMORY_REPORT{"\nERROR: out of memory\n", STATUS_FAILURE};
inline const stop_report INTERNAL_ERROR_REPORT{"\nERROR: internal error\n", STATUS_FAILURE};
// The output could not be written, closed or renamed into place.
inline stop_report output_failed_report() {
    return report_stop(run_stop(stop_reason::output_failed).value);
}

}  // namespace g91to90
