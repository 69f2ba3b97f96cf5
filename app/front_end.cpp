#include "front_end.hpp"

#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <system_error>

#include "convert/convert.hpp"

namespace g91to90 {

namespace {

// The characters that end a folder's name in a path as the user writes it.
#ifdef _WIN32
constexpr const char* PREFERRED_SEPARATORS = "/\\";
#else
constexpr const char* PREFERRED_SEPARATORS = "/";
#endif

bool names_folder(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
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

file_name name_in_folder(const file_name& folder, const file_name& name) {
    const std::size_t last_separator = name.shown.find_last_of(PREFERRED_SEPARATORS);
    const std::string last_part =
        last_separator == std::string::npos ? name.shown : name.shown.substr(last_separator + 1);
    const bool separated =
        !folder.shown.empty() &&
        std::string_view(PREFERRED_SEPARATORS).find(folder.shown.back()) != std::string_view::npos;
    return {folder.shown + (separated ? "" : "/") + last_part, folder.path / name.path.filename()};
}

void open_output_file(output_file& file, const file_name& name) {
    file.path = name.path;
    if (written_through_temporary(name.path)) {
        file.temporary = open_temporary(name.path, file.stream);
        if (!file.temporary.empty()) {
            let_go_of_cached_pages(name.path);  // an older output, replaced when the run succeeds
            return;
        }
    }
    file.stream.open(name.path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file.stream.is_open()) {
        throw conversion_stop(stop_reason::output_not_opened, name.shown);
    }
}

bool keep_output(output_file& file) {
    if (file.temporary.empty()) {
        return true;
    }
    std::error_code error;
    std::filesystem::rename(file.temporary, file.path, error);
    if (error) {
        drop_output(file);
        return false;
    }
    file.temporary.clear();
    return true;
}

void drop_output(output_file& file) {
    if (!file.temporary.empty()) {
        std::error_code error;
        std::filesystem::remove(file.temporary, error);
        file.temporary.clear();
    }
}

void open_input(open_files& files, const file_name& name) {
    files.input_name = name.shown;
    if (name.standard_stream) {
        files.input_buffer = std::cin.rdbuf();
        return;
    }
    // A folder opens as a stream on some systems; it is no program.
    if (names_folder(name.path)) {
        throw conversion_stop(stop_reason::input_not_opened, name.shown);
    }
    files.input.open(name.path, std::ios::in | std::ios::binary);
    if (!files.input.is_open()) {
        throw conversion_stop(stop_reason::input_not_opened, name.shown);
    }
    files.input_buffer = files.input.rdbuf();
}

void open_output(open_files& files, const file_name& input, const file_name& output) {
    if (output.standard_stream) {
        files.output_buffer = std::cout.rdbuf();
        return;
    }
    // Decided before the output is opened, so a refused name never empties the input.
    if (!input.standard_stream && names_same_file(input, output)) {
        throw conversion_stop(stop_reason::same_files);
    }
    open_output_file(files.output, output);
    files.output_buffer = files.output.stream.rdbuf();
    if (!files.output.temporary.empty()) {
        files.output_buffer =
            &files.written_back.emplace(*files.output.stream.rdbuf(), files.output.temporary);
    }
}

void discard_output(open_files& files) {
    files.output_buffer = &files.discarded;
}

bool names_same_file(const file_name& first, const file_name& second) {
    if (first.shown == second.shown) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(first.path, second.path, error) && !error;
}

}  // namespace g91to90
