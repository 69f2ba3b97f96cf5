// The messages and exit statuses of stops, and a stop as the library gives it.
#pragma once

#include <string>

#include "g91to90/g91to90.hpp"
#include "stop.hpp"

namespace g91to90 {

inline constexpr int STATUS_SUCCESS = 0;
inline constexpr int STATUS_FAILURE = 1;
// The output could not be written or closed. A failing close returns the
// end-of-file value -1, seen as 255 in an exit status; a failing write during
// the run is reported the same way.
inline constexpr int STATUS_OUTPUT_FAILED = 255;

inline constexpr const char* OUTPUT_FAILED_MESSAGE = "\nERROR: the output could not be written\n";
inline constexpr const char* INTERNAL_ERROR_MESSAGE = "\nERROR: internal error\n";

// A stop thrown by the engine as the library gives it: its message and
// status made.
stop stop_of(const conversion_stop& stopped);

}  // namespace g91to90
