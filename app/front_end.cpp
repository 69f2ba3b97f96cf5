#include "front_end.hpp"

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>

#include "g91to90/g91to90.hpp"
#include "messages.hpp"
#include "platform.hpp"

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

run_stop file_stop(stop_reason reason, const std::string& name, int error) {
    run_stop stop(reason, name);
    stop.value.error = error;
    return stop;
}

// Opens a new temporary file beside `path`: ".NAME.g91to90-" and a random
// number, in the output's folder so that renaming it never copies; where
// that name is too long, ".g91to90-" and the number. Notes it to be removed
// on an interrupt. Returns its path, or an empty one and why (`error`) when
// none can be made there.
std::filesystem::path open_temporary(const std::filesystem::path& path, output_file& file,
                                     int& error) {
    std::random_device seed;
    std::mt19937_64 random(seed());
    bool short_name = false;
    error = 0;
    for (int attempt = 0; attempt < 16; ++attempt) {
        // Joined as paths, so that a name in any script stays whole.
        std::filesystem::path name(".");
        if (!short_name) {
            name += path.filename();
            name += ".";
        }
        name += std::string("g91to90-") + std::to_string(random() % 1'000'000'000);
        std::filesystem::path temporary = path;
        temporary.replace_filename(name);
        std::error_code exists_error;
        const bool taken = std::filesystem::exists(temporary, exists_error);
        error = error_value(exists_error);
        if (!taken && !exists_error) {
            file.interrupt_slot = remove_on_interrupt(temporary);  // before it exists
            errno = 0;
            file.stream.open(temporary, std::ios::out | std::ios::binary | std::ios::trunc);
            if (file.stream.is_open()) {
                return temporary;
            }
            error = errno;
            forget_on_interrupt(file.interrupt_slot);
            file.interrupt_slot = -1;
        }
        if (error == static_cast<int>(std::errc::filename_too_long) && !short_name) {
            short_name = true;
        } else if (!taken) {
            return {};
        }
    }
    return {};
}

}  // namespace

bool file_holds_incremental_moves(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::string bytes(MOST_BYTES_CHECKED, '\0');
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    if (bytes.size() == MOST_BYTES_CHECKED) {
        bytes.erase(bytes.find_last_of("\r\n") + 1);  // the file may go on after the last line end
    }
    return g91to90::holds_incremental_moves(bytes);
}

void refuse_incremental_program(const file_name& name, bool replace) {
    std::error_code error;
    if (!replace && std::filesystem::is_regular_file(name.path, error) &&
        file_holds_incremental_moves(name.path)) {
        throw run_stop(stop_reason::output_holds_moves, name.shown);
    }
}

int error_value(const std::error_code& error) {
    const std::error_condition condition = error.default_error_condition();
    return condition.category() == std::generic_category() ? condition.value() : 0;
}

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
        throw run_stop(stop_reason::console_ended);
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

void open_output_file(output_file& file, const file_name& name, bool replace) {
    file.path = name.path;
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(name.path, error);
    if (name.path.empty() || error == std::errc::filename_too_long ||
        std::filesystem::is_directory(status)) {
        throw file_stop(stop_reason::output_not_opened, name.shown,
                        static_cast<int>(name.path.empty() ? std::errc::no_such_file_or_directory
                                         : error           ? std::errc::filename_too_long
                                                           : std::errc::is_a_directory));
    }
    const bool exists = std::filesystem::exists(status);
    if (!exists || std::filesystem::is_regular_file(status)) {
        refuse_incremental_program(name, replace);
        int why = 0;
        file.temporary = open_temporary(name.path, file, why);
        if (file.temporary.empty()) {
            // Never written in place: a failed run would leave half a program there.
            throw file_stop(exists ? stop_reason::no_room_beside : stop_reason::output_not_opened,
                            name.shown, why);
        }
        let_go_of_cached_pages(name.path);  // an older output, replaced when the run succeeds
        return;
    }
    errno = 0;
    file.stream.open(name.path, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!file.stream.is_open()) {
        throw file_stop(stop_reason::output_not_opened, name.shown, errno);
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
    forget_on_interrupt(file.interrupt_slot);  // after the rename, so that no moment is missed
    file.interrupt_slot = -1;
    return true;
}

void drop_output(output_file& file) {
    if (!file.temporary.empty()) {
        std::error_code error;
        std::filesystem::remove(file.temporary, error);
        file.temporary.clear();
    }
    forget_on_interrupt(file.interrupt_slot);
    file.interrupt_slot = -1;
}

void open_input(open_files& files, const file_name& name) {
    files.input_name = name.shown;
    if (name.standard_stream) {
        files.input_buffer = std::cin.rdbuf();
        return;
    }
    // A folder opens as a stream on some systems; it is no program.
    if (name.path.empty() || names_folder(name.path)) {
        throw file_stop(stop_reason::input_not_opened, name.shown,
                        static_cast<int>(name.path.empty() ? std::errc::no_such_file_or_directory
                                                           : std::errc::is_a_directory));
    }
    errno = 0;
    files.input.open(name.path, std::ios::in | std::ios::binary);
    if (!files.input.is_open()) {
        throw file_stop(stop_reason::input_not_opened, name.shown, errno);
    }
    files.input_buffer = files.input.rdbuf();
}

void open_output(open_files& files, const file_name& input, const file_name& output, bool replace) {
    if (output.standard_stream) {
        files.output_buffer = std::cout.rdbuf();
        return;
    }
    // Decided before the output is opened, so a refused name never empties the input.
    if (!input.standard_stream && names_same_file(input, output)) {
        throw run_stop(stop_reason::same_files);
    }
    open_output_file(files.output, output, replace);
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
