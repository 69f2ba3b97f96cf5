#include "front_end.hpp"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <system_error>

#include "convert/body_pass.hpp"
#include "convert/line_model.hpp"

namespace g91to90 {

namespace {

constexpr const char* INPUT_PROMPT = "\nINPUT-FILE NAME:";
constexpr const char* OUTPUT_PROMPT = "\nOUTPUT-FILE NAME:";
constexpr const char* SAME_FILES_MESSAGE = "ERROR: input output files are same\n";

struct open_files {
    std::string input_name;
    std::ifstream input;
    std::ofstream output;
};

[[noreturn]] void refuse_to_open(const std::string& name) {
    throw conversion_failure("\nCan't open " + name + "\n", STATUS_FAILURE);
}

bool is_directory(const std::string& name) {
    std::error_code error;
    return std::filesystem::is_directory(name, error);
}

void open_input(open_files& files, std::span<const std::string> arguments, std::istream& console_in,
                std::ostream& console_out) {
    files.input_name =
        arguments.empty() ? ask_token(console_in, console_out, INPUT_PROMPT) : arguments[0];
    if (is_directory(files.input_name)) {
        refuse_to_open(files.input_name);
    }
    files.input.open(files.input_name, std::ios::in | std::ios::binary);
    if (!files.input.is_open()) {
        refuse_to_open(files.input_name);
    }
}

void open_output(open_files& files, std::span<const std::string> arguments,
                 std::istream& console_in, std::ostream& console_out) {
    const std::string output_name =
        arguments.size() >= 2 ? arguments[1] : ask_token(console_in, console_out, OUTPUT_PROMPT);
    // Decided before the output is opened, so a refused name never empties the input.
    if (names_same_file(files.input_name, output_name)) {
        throw conversion_failure(SAME_FILES_MESSAGE, STATUS_FAILURE);
    }
    files.output.open(output_name, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!files.output.is_open()) {
        refuse_to_open(output_name);
    }
}

// Closes the input, then the output; a failure to write or close the output
// gives the close-failure status.
int close_files(open_files& files, conversion_context& context) {
    files.input.close();
    int status = 0;
    try {
        flush_output(context);
    } catch (const conversion_failure& failure) {
        status = failure.status;
    }
    files.output.close();
    if (files.output.fail()) {
        status = STATUS_CLOSE_FAILED;
    }
    return status;
}

// After an early stop the output keeps what was written before it.
void keep_written_output(open_files& files, conversion_context& context) {
    try {
        flush_output(context);
    } catch (const conversion_failure&) {
        // The stop's own status and message stand.
    }
    files.input.close();
    files.output.close();
}

}  // namespace

bool names_same_file(const std::string& first, const std::string& second) {
    if (first == second) {
        return true;
    }
    std::error_code error;
    return std::filesystem::equivalent(first, second, error) && !error;
}

int run_converter(std::span<const std::string> arguments, std::istream& console_in,
                  std::ostream& console_out) {
    open_files files;
    try {
        open_input(files, arguments, console_in, console_out);
        open_output(files, arguments, console_in, console_out);
    } catch (const conversion_failure& failure) {
        console_out << failure.what() << std::flush;
        return failure.status;
    }
    conversion_context context = make_context(*files.input.rdbuf(), *files.output.rdbuf(),
                                              console_in, console_out, files.input_name);
    try {
        convert_program(context);
    } catch (const conversion_failure& failure) {
        console_out << failure.what() << std::flush;
        keep_written_output(files, context);
        return failure.status;
    }
    return close_files(files, context);
}

}  // namespace g91to90
