// The one place that answers what codes and letters a line holds.
#pragma once

#include <string_view>

namespace g91to90 {

// Codes are found as plain, case-sensitive substrings anywhere in the line,
// comments included: "G900" holds G90 and "(G91 ONLY)" holds G91.
bool holds_code(std::string_view line, std::string_view code);
// G90, G91 or G92.
bool holds_mode_code(std::string_view line);
// G28, G30 or one of G53-G59: lines the motion rules leave alone.
bool holds_exempt_code(std::string_view line);
// One of G53-G59.
bool holds_coordinate_system_code(std::string_view line);
// An upper-case X, Y or Z anywhere.
bool holds_axis_letter(std::string_view line);
bool holds_char(std::string_view line, char c);
// Only the first character counts: leading blanks defeat it.
inline bool begins_with_comment(std::string_view line) {
    return !line.empty() && line.front() == '(';
}

}  // namespace g91to90
