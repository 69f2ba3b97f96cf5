// Runs the built program in a scratch folder: arguments, console answers,
// standard output and exit status.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace g91to90::test_support {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void write_file(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string shell_quote(const std::string& text) {
    std::string quoted = "'";
    for (const char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

// The command that starts the program under test: the program, after any
// words that start it (an environment, an emulator). Without it the tests
// fail rather than run whatever program of that name the PATH holds.
inline std::string program_command() {
    const char* value = std::getenv("G91TO90_COMMAND");
    if (value == nullptr || *value == '\0') {
        throw std::runtime_error("G91TO90_COMMAND names no program to test");
    }
    return value;
}

struct program_result {
    int status = -1;
    std::string console;  // standard output
    std::string errors;   // standard error
};

// A fresh folder for one test, removed with it.
struct scratch_folder {
    scratch_folder() {
        std::random_device seed;
        path = fs::temp_directory_path() / ("g91to90-e2e-" + std::to_string(seed()));
        fs::create_directories(path / "work");
        fs::create_directories(path / "console");
    }
    scratch_folder(const scratch_folder&) = delete;
    scratch_folder& operator=(const scratch_folder&) = delete;
    ~scratch_folder() {
        std::error_code ignored;
        fs::remove_all(path, ignored);
    }

    // The folder the program runs in.
    fs::path work() const { return path / "work"; }

    void put(const std::string& name, const std::string& bytes) const {
        write_file(work() / name, bytes);
    }
    std::string get(const std::string& name) const { return read_file(work() / name); }
    bool has(const std::string& name) const { return fs::exists(work() / name); }

    // `limits` are shell commands run before the program, such as a ulimit.
    program_result run(const std::vector<std::string>& arguments, const std::string& answers = "",
                       const std::string& limits = "") const {
        const fs::path answers_file = path / "console" / "answers";
        const fs::path console_file = path / "console" / "output";
        const fs::path errors_file = path / "console" / "errors";
        write_file(answers_file, answers);
        std::string command =
            "cd " + shell_quote(work().string()) + " && " + limits + " " + program_command();
        for (const std::string& argument : arguments) {
            command.append(" ").append(shell_quote(argument));
        }
        command.append(" <").append(shell_quote(answers_file.string()));
        command.append(" >").append(shell_quote(console_file.string()));
        command.append(" 2>").append(shell_quote(errors_file.string()));
        const int raw = std::system(command.c_str());
        program_result result;
        result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        result.console = read_file(console_file);
        result.errors = read_file(errors_file);
        return result;
    }

    fs::path path;
};

}  // namespace g91to90::test_support
