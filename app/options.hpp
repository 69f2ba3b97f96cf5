// The command line: options and file names.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "front_end.hpp"
#include "g91to90/g91to90.hpp"

namespace g91to90 {

enum class program_action { convert, show_usage, show_version, show_web_page };

struct program_options {
    program_action action = program_action::convert;
    // An input and an output name at most, but any number of inputs with
    // --output-dir or --check.
    std::vector<file_name> file_names;
    // --start, --decimals, --decimal-point, --integers, --expand-calls and
    // --max-lines, as the conversion takes them.
    options conversion;
    std::optional<file_name> output_dir;  // --output-dir: a batch
    bool check = false;                   // --check: convert, write nothing, report
    std::optional<file_name> preview;     // --preview: the picture's file
    bool force = false;                   // --force: an incremental program may be replaced

    // Several inputs, each converted or checked on its own, without prompts.
    bool batch() const { return output_dir.has_value() || (check && file_names.size() > 1); }
};

// Reads the words after the program's name from left to right: a word that
// begins with "-" (but "-" alone) is an option until "--", every other word
// is a file name ("-" alone names a standard stream). The first word that
// ends the run decides: "-h" or "--help" shows the usage, "-V" or
// "--version" the version, "--web" where the web page is, and an unknown
// option or a wrong --decimals or --start value throws its stop. Once all
// words are read, more than two names without --output-dir or --check throw
// `too_many_file_names`, and options that cannot go together throw
// `bad_command_line`.
// `integers_default` is the reading that G91TO90_INTEGERS gives, when it is
// set; --integers wins over it, and a wrong value of either throws
// `bad_integers`.
program_options read_options(std::span<const file_name> words,
                             std::optional<std::string_view> integers_default = std::nullopt);

// The environment variable that gives the reading of numbers without a
// point when --integers does not.
inline constexpr const char* INTEGERS_VARIABLE = "G91TO90_INTEGERS";

// What -h and --help show: the synopsis, what the program does, its prompts
// and options, and where the manual is.
std::string usage_text();
// What -V and --version show: "g91to90 " and the version.
std::string version_text();

// Where the web page (g91to90.html) is installed for a program in
// `program_folder`: beside it on Windows, in ../share/g91to90/ elsewhere.
std::filesystem::path web_page_path(const std::filesystem::path& program_folder);

}  // namespace g91to90
