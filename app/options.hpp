// The command line: options and file names.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "convert/number_output.hpp"
#include "convert/start_position.hpp"
#include "front_end.hpp"

namespace g91to90 {

enum class program_action { convert, show_usage, show_version };

struct program_options {
    program_action action = program_action::convert;
    std::vector<file_name> file_names;  // an input and an output name at most
    number_format format;
    std::optional<given_start> start;  // --start
};

// Reads the words after the program's name from left to right: a word that
// begins with "-" (but "-" alone) is an option until "--", every other word
// is a file name. The first word that ends the run decides: "-h" or "--help"
// shows the usage, "-V" or "--version" the version, and an unknown option or
// a wrong --decimals value throws its stop. More than two names throw
// `too_many_file_names` once all words are read.
program_options read_options(std::span<const file_name> words);

// What -h and --help show: the synopsis, what the program does, its prompts
// and options, and where the manual is.
std::string usage_text();
// What -V and --version show: "g91to90 " and the version.
std::string version_text();

}  // namespace g91to90
