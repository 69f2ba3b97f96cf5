// The console front end: file names, prompts, opening and closing the files.
#pragma once

#include <fstream>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace g91to90 {

struct open_files {
    std::string input_name;
    std::ifstream input;
    std::ofstream output;
};

// Writes `prompt` to the console, flushed, and reads one blank-delimited
// token. Throws `console_ended` when the console input ends or fails.
std::string ask_token(std::istream& console_in, std::ostream& console_out, std::string_view prompt);

// Obtains the input name (first argument, or asked for) and opens the input,
// then the output name (second argument, or asked for) and opens the output.
// Throws a stop when a file cannot be opened or the output is the input.
void open_both_files(open_files& files, std::span<const std::string> arguments,
                     std::istream& console_in, std::ostream& console_out);

// True when both names refer to one file: equal texts, or one file reached
// by two names (a path prefix, a hard or symbolic link).
bool names_same_file(const std::string& first, const std::string& second);

}  // namespace g91to90
