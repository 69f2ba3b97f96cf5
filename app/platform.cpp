#include "platform.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#endif

namespace g91to90 {

void use_binary_standard_streams() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
}

std::vector<file_name> command_words(int argc, char** argv) {
    std::vector<file_name> words;
    for (int i = 1; i < argc; ++i) {
        words.push_back(name_from_bytes(argv[i]));
    }
    return words;
}

#ifdef _WIN32
std::vector<file_name> command_words(int argc, wchar_t** argv) {
    std::vector<file_name> words;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path path(argv[i]);
        const std::u8string shown = path.u8string();
        words.push_back({std::string(shown.begin(), shown.end()), std::move(path)});
    }
    return words;
}
#endif

}  // namespace g91to90
