#include "options.hpp"

#include <algorithm>
#include <string_view>

#include "messages.hpp"
#include "platform.hpp"

namespace g91to90 {

namespace {

int decimals_value(std::string_view text) {
    if (text.size() == 1 && text[0] >= '3' && text[0] <= '6') {
        return text[0] - '0';
    }
    throw run_stop(stop_reason::bad_decimals);
}

// A reading of numbers without a point, as `source` (the option or the
// environment variable) gives it.
integer_reading reading_value(std::string_view text, std::string_view source) {
    if (text == "units") {
        return integer_reading::units;
    }
    if (text == "increments") {
        return integer_reading::increments;
    }
    throw run_stop(stop_reason::bad_integers, std::string(source));
}

// The most lines of an expanded program: a whole number of 1 or more.
std::uint64_t max_lines_value(std::string_view text) {
    const std::size_t first = text.find_first_not_of('0');
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    constexpr std::size_t MOST_DIGITS = 18;  // far beyond any program, within 64 bits
    if (!digits || first == std::string_view::npos || text.size() - first > MOST_DIGITS) {
        throw run_stop(stop_reason::bad_command_line,
                       "--max-lines takes a number of lines, 1 or more");
    }
    std::uint64_t value = 0;
    for (const char c : text.substr(first)) {
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
    }
    return value;
}

// The value of an option that takes one: "--name=value", or the next word.
// Advances `i` past a value taken from the next word; empty when no word
// follows; nullopt when the word is not this option.
std::optional<std::string_view> option_value(std::span<const file_name> words, std::size_t& i,
                                             std::string_view name) {
    const std::string_view word = words[i].shown;
    if (word == name) {
        if (i + 1 == words.size()) {
            return std::string_view{};
        }
        return words[++i].shown;
    }
    if (word.size() > name.size() && word.starts_with(name) && word[name.size()] == '=') {
        return word.substr(name.size() + 1);
    }
    return std::nullopt;
}

// The file an option names: the next word as given, or the text after "=".
file_name name_from_value(std::span<const file_name> words, std::size_t i, std::string_view value,
                          std::string_view option) {
    if (value.empty()) {
        throw run_stop(stop_reason::bad_command_line, std::string(option) + " takes a name");
    }
    if (words[i].shown == value) {
        return words[i];
    }
    return name_from_text(std::string(value));
}

[[noreturn]] void refuse(const char* why) {
    throw run_stop(stop_reason::bad_command_line, why);
}

void check_together(const program_options& options) {
    if (options.output_dir && options.file_names.empty()) {
        refuse("--output-dir takes the input files after it");
    }
    if (!options.batch() && options.file_names.size() > 2) {
        throw run_stop(stop_reason::too_many_file_names);
    }
    if (options.preview && options.batch()) {
        refuse("--preview draws one program: give one input");
    }
    for (const file_name& name : options.file_names) {
        if (name.standard_stream && options.batch()) {
            refuse("- (standard input) is not read in a batch");
        }
    }
    const bool filter = std::any_of(options.file_names.begin(), options.file_names.end(),
                                    [](const file_name& name) { return name.standard_stream; });
    if (filter && !options.check && options.file_names.size() < 2) {
        refuse("with - nothing is asked: give both the input and the output");
    }
}

}  // namespace

std::string usage_text() {
    return "Usage: g91to90 [OPTIONS] [INPUT [OUTPUT]]\n"
           "       g91to90 [OPTIONS] --output-dir FOLDER INPUT...\n"
           "       g91to90 [OPTIONS] --check INPUT...\n"
           "Rewrites a G-code part program from incremental (G91) to absolute (G90)\n"
           "distance mode. A file name left out is asked for (INPUT-FILE NAME:,\n"
           "OUTPUT-FILE NAME:); without a G92 line before the first move or --start,\n"
           "the start position is asked for too (INPUT START-X:, START-Y:, START-Z:).\n"
           "\n"
           "Options:\n"
           "  --decimal-point     write whole numbers with a point (X10. for X10)\n"
           "  --decimals N        fewest places of numbers written with decimals, 3 to 6\n"
           "                      (default: 3, or 4 under G20; more where the input has them)\n"
           "  --integers READING  how the control reads a number without a point: units\n"
           "                      (mm or inches: LinuxCNC, GRBL, most PC controls) or\n"
           "                      increments (0.001 mm or 0.0001 in: Fanuc-style controls\n"
           "                      without decimal-point input); default: G91TO90_INTEGERS\n"
           "  --start WORDS       the start position, such as \"X0 Y0 Z50\" (any of\n"
           "                      X Y Z A B C U V W; the others unknown; a G92 line wins)\n"
           "  --output-dir FOLDER convert every INPUT into FOLDER, under its own name\n"
           "  --check             convert without writing; report lines, moves, extents\n"
           "  --expand-calls      write each subprogram call's lines in place (M98, M97,\n"
           "                      o-word calls; programs in the input or files beside it)\n"
           "  --max-lines N       with --expand-calls, stop where the program written\n"
           "                      would pass N lines (default: " +
           std::to_string(DEFAULT_MOST_EXPANDED_LINES) +
           ")\n"
           "  --preview FILE.svg  also draw the converted toolpath (one INPUT)\n"
           "  --force             replace an existing output that holds G91 moves (it is\n"
           "                      refused otherwise: is it the input?)\n"
           "  -                   as INPUT standard input, as OUTPUT standard output\n"
           "                      (nothing is asked; messages go to standard error)\n"
           "  --                  end of options: every word after it is a file name\n"
           "  -h, --help          show this text and exit\n"
           "  -V, --version       show the version and exit\n"
           "  --web               show where the web page is (g91to90.html, which converts\n"
           "                      in a browser, offline) and exit\n"
           "\n"
           "Manual: man g91to90 (README.md beside the program on Windows)\n";
}

std::filesystem::path web_page_path(const std::filesystem::path& program_folder) {
#ifdef _WIN32
    return program_folder / "g91to90.html";
#else
    return (program_folder / ".." / "share" / "g91to90" / "g91to90.html").lexically_normal();
#endif
}

std::string version_text() {
    return "g91to90 " G91TO90_VERSION "\n";
}

program_options read_options(std::span<const file_name> words,
                             std::optional<std::string_view> integers_default) {
    program_options options;
    if (integers_default) {
        options.conversion.integers = reading_value(*integers_default, INTEGERS_VARIABLE);
    }
    bool options_ended = false;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i].shown;
        if (options_ended || word.size() < 2 || word[0] != '-') {
            options.file_names.push_back(words[i]);
            options.file_names.back().standard_stream = word == "-";
        } else if (word == "--") {
            options_ended = true;
        } else if (word == "-h" || word == "--help") {
            options.action = program_action::show_usage;
            return options;
        } else if (word == "-V" || word == "--version") {
            options.action = program_action::show_version;
            return options;
        } else if (word == "--web") {
            options.action = program_action::show_web_page;
            return options;
        } else if (word == "--decimal-point") {
            options.conversion.decimal_point = true;
        } else if (const auto integers = option_value(words, i, "--integers")) {
            options.conversion.integers = reading_value(*integers, "--integers");
        } else if (const auto decimals = option_value(words, i, "--decimals")) {
            options.conversion.decimals = decimals_value(*decimals);
        } else if (const auto start = option_value(words, i, "--start")) {
            options.conversion.start = *start;
            if (start->empty()) {
                throw run_stop(stop_reason::bad_start);
            }
            if (const std::optional<stop> refused = options_stop(options.conversion)) {
                throw run_stop(*refused);
            }
        } else if (const auto folder = option_value(words, i, "--output-dir")) {
            options.output_dir = name_from_value(words, i, *folder, "--output-dir");
        } else if (const auto picture = option_value(words, i, "--preview")) {
            options.preview = name_from_value(words, i, *picture, "--preview");
        } else if (word == "--check") {
            options.check = true;
        } else if (word == "--expand-calls") {
            options.conversion.expand_calls = true;
        } else if (word == "--force") {
            options.force = true;
        } else if (const auto lines = option_value(words, i, "--max-lines")) {
            options.conversion.max_lines = max_lines_value(*lines);
        } else {
            throw run_stop(stop_reason::unknown_option, std::string(word));
        }
    }
    check_together(options);
    return options;
}

}  // namespace g91to90
