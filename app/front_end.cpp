#include "front_end.hpp"

#include <filesystem>
#include <istream>
#include <ostream>
#include <system_error>

#include "convert/convert.hpp"

namespace g91to90 {

namespace {

constexpr const char* INPUT_PROMPT = "\nINPUT-FILE NAME:";
constexpr const char* OUTPUT_PROMPT = "\nOUTPUT-FILE NAME:";

bool is_directory(const std::string& name) {
    std::error_code error;
    return std::filesystem::is_directory(name, error);
}

void open_input(open_files& files, std::span<const std::string> arguments, std::istream& console_in,
                std::ostream& console_out) {
    files.input_name =
        arguments.empty() ? ask_token(console_in, console_out, INPUT_PROMPT) : arguments[0];
    // A folder opens as a stream on some systems; it is no program.
    if (is_directory(files.input_name)) {
        throw conversion_stop(stop_reason::input_not_opened, files.input_name);
    }
    files.input.open(files.input_name, std::ios::in | std::ios::binary);
    if (!files.input.is_open()) {
        throw conversion_stop(stop_reason::input_not_opened, files.input_name);
    }
}

void open_output(open_files& files, std::span<const std::string> arguments,
                 std::istream& console_in, std::ostream& console_out) {
    const std::string output_name =
        arguments.size() >= 2 ? arguments[1] : ask_token(console_in, console_out, OUTPUT_PROMPT);
    // Decided before the output is opened, so a refused name never empties the input.
    if (names_same_file(files.input_name, output_name)) {
        throw conversion_stop(stop_reason::same_files);
    }
    files.output.open(output_name, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!files.output.is_open()) {
        throw conversion_stop(stop_reason::output_not_opened, output_name);
    }
}

}  // namespace

std::string ask_token(std::istream& console_in, std::ostream& console_out,
                      std::string_view prompt) {
    console_out << prompt << std::flush;
    std::string token;
    if (!(console_in >> token)) {
        throw conversion_stop(stop_reason::console_ended);
    }
    return token;
}

void open_both_files(open_files& files, std::span<const std::string> arguments,
                     std::istream& console_in, std::ostream& console_out) {
    open_input(files, arguments, console_in, console_out);
    open_output(files, arguments, console_in, console_out);
}

bool names_same_file(const std::string& first, const std::string& second) {
    if (first == second) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(first, second, error) && !error;
}

}  // namespace g91to90
