#include "front_end.hpp"

#include <filesystem>
#include <istream>
#include <ostream>
#include <random>
#include <string>
#include <system_error>

#include "convert/convert.hpp"

namespace g91to90 {

namespace {

constexpr const char* INPUT_PROMPT = "\nINPUT-FILE NAME:";
constexpr const char* OUTPUT_PROMPT = "\nOUTPUT-FILE NAME:";

bool names_folder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

file_name given_or_asked(std::span<const file_name> names, std::size_t index,
                         std::istream& console_in, std::ostream& console_out, const char* prompt) {
    if (index < names.size()) {
        return names[index];
    }
    return name_from_bytes(ask_token(console_in, console_out, prompt));
}

void open_input(open_files& files, const file_name& name) {
    files.input_name = name.shown;
    // A folder opens as a stream on some systems; it is no program.
    if (names_folder(name.path)) {
        throw conversion_stop(stop_reason::input_not_opened, name.shown);
    }
    files.input.open(name.path, std::ios::in | std::ios::binary);
    if (!files.input.is_open()) {
        throw conversion_stop(stop_reason::input_not_opened, name.shown);
    }
}

// Whether the output is written through a temporary file: it does not exist
// yet, or is a regular file.
bool written_through_temporary(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    return !std::filesystem::exists(status) || std::filesystem::is_regular_file(status);
}

// Opens a new temporary file beside `path`: ".NAME.g91to90-" and a random
// number, in the output's folder so that renaming it never copies. Returns
// its path, or an empty one when none can be made there.
std::filesystem::path open_temporary(const std::filesystem::path& path, std::ofstream& stream) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    for (int attempt = 0; attempt < 16; ++attempt) {
        // Joined as paths, so that a name in any script stays whole.
        std::filesystem::path name(".");
        name += path.filename();
        name += std::string(".g91to90-") + std::to_string(random() % 1'000'000'000);
        std::filesystem::path temporary = path;
        temporary.replace_filename(name);
        std::error_code error;
        if (std::filesystem::exists(temporary, error) || error) {
            continue;
        }
        stream.open(temporary, std::ios::out | std::ios::binary | std::ios::trunc);
        if (stream.is_open()) {
            return temporary;
        }
        return {};
    }
    return {};
}

void open_output(open_files& files, const file_name& input, const file_name& output) {
    // Decided before the output is opened, so a refused name never empties the input.
    if (names_same_file(input, output)) {
        throw conversion_stop(stop_reason::same_files);
    }
    files.output_path = output.path;
    if (written_through_temporary(output.path)) {
        files.temporary = open_temporary(output.path, files.output);
        if (!files.temporary.empty()) {
            return;
        }
    }
    files.output.open(output.path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!files.output.is_open()) {
        throw conversion_stop(stop_reason::output_not_opened, output.shown);
    }
}

}  // namespace

std::string ask_token(std::istream& console_in, std::ostream& console_out,
                      std::string_view prompt) {
    console_out << prompt << std::flush;
    std::string token;
    console_in >> std::ws;
    if (console_in.peek() == '"') {
        // A name in double quotes, as Windows gives a file dragged onto the
        // console: blanks inside it belong to it.
        console_in.get();
        std::getline(console_in, token, '"');
        return token;
    }
    if (!(console_in >> token)) {
        throw conversion_stop(stop_reason::console_ended);
    }
    return token;
}

void open_both_files(open_files& files, std::span<const file_name> names, std::istream& console_in,
                     std::ostream& console_out) {
    const file_name input = given_or_asked(names, 0, console_in, console_out, INPUT_PROMPT);
    open_input(files, input);
    const file_name output = given_or_asked(names, 1, console_in, console_out, OUTPUT_PROMPT);
    open_output(files, input, output);
}

bool keep_output(open_files& files) {
    if (files.temporary.empty()) {
        return true;
    }
    std::error_code error;
    std::filesystem::rename(files.temporary, files.output_path, error);
    if (error) {
        drop_output(files);
        return false;
    }
    files.temporary.clear();
    return true;
}

void drop_output(open_files& files) {
    if (!files.temporary.empty()) {
        std::error_code error;
        std::filesystem::remove(files.temporary, error);
        files.temporary.clear();
    }
}

bool names_same_file(const file_name& first, const file_name& second) {
    if (first.shown == second.shown) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(first.path, second.path, error) && !error;
}

}  // namespace g91to90
