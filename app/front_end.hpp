// The console front end: file names, prompts, opening and closing the files.
#pragma once

#include <filesystem>
#include <fstream>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace g91to90 {

// A file name as the user gave it: the text shown in messages (UTF-8 on
// Windows, the bytes given elsewhere) and the path it opens.
struct file_name {
    std::string shown;
    std::filesystem::path path;
};

// A name typed at a prompt or given as bytes: its path is made of those bytes.
inline file_name name_from_bytes(const std::string& bytes) {
    return {bytes, std::filesystem::path(bytes)};
}

struct open_files {
    std::string input_name;
    std::ifstream input;
    std::ofstream output;
    // A regular output is written to `temporary`, a file of its own beside
    // it, and renamed over `output_path` only when the conversion succeeds;
    // `temporary` is empty when the output is written directly (a terminal, a
    // pipe, /dev/null, or a folder where no file can be made).
    std::filesystem::path output_path;
    std::filesystem::path temporary;
};

// After a successful conversion, with the output closed: the temporary file
// takes the output's name. False when it cannot.
bool keep_output(open_files& files);
// After a failure, with the output closed: the temporary file is removed, so
// that an existing output stays as it was.
void drop_output(open_files& files);

// Writes `prompt` to the console, flushed, and reads one blank-delimited
// token, or the text between double quotes. Throws `console_ended` when the
// console input ends or fails.
std::string ask_token(std::istream& console_in, std::ostream& console_out, std::string_view prompt);

// Obtains the input name (the first name given, or asked for) and opens the
// input, then the output name (the second, or asked for) and opens the
// output. Throws a stop when a file cannot be opened or the output is the input.
void open_both_files(open_files& files, std::span<const file_name> names, std::istream& console_in,
                     std::ostream& console_out);

// True when both names refer to one file: equal texts, or one file reached
// by two names (a path prefix, a hard or symbolic link).
bool names_same_file(const file_name& first, const file_name& second);

}  // namespace g91to90
