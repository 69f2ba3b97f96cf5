// The console front end: file names, opening and closing, messages, status.
#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace g91to90 {

// Runs one conversion. `arguments` are the command-line arguments after the
// program name. Returns the process exit status.
int run_converter(std::span<const std::string> arguments, std::istream& console_in,
                  std::ostream& console_out);

// True when both names refer to one file: equal texts, or one file reached
// by two names (a path prefix, a hard or symbolic link).
bool names_same_file(const std::string& first, const std::string& second);

}  // namespace g91to90
