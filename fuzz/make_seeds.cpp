// Writes a fuzz seed for each example program, framed as the fuzz target
// reads its input: make_seeds OUTPUT_FOLDER PROGRAM.nc...
// A program's console answers, if it asks for any, are in PROGRAM.answers.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "framing.hpp"

namespace {

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: make_seeds OUTPUT_FOLDER PROGRAM.nc...\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    for (int i = 2; i < argc; ++i) {
        const std::filesystem::path program = argv[i];
        std::filesystem::path answers = program;
        answers.replace_extension(".answers");
        const std::string typed =
            std::filesystem::exists(answers) ? read_file(answers) : std::string();
        if (typed.size() > g91to90::fuzzing::MOST_ANSWER_BYTES) {
            std::fprintf(stderr, "%s: answers too long for a seed\n", argv[i]);
            return 1;
        }
        std::ofstream out(folder / program.filename().replace_extension(".seed"),
                          std::ios::binary | std::ios::trunc);
        out << g91to90::fuzzing::frame(typed, read_file(program));
    }
    return 0;
}
