// What differs between the platforms the program runs on.
#pragma once

#include <vector>

#include "front_end.hpp"

namespace g91to90 {

// Puts standard input and output in binary mode, so that the console text is
// the same bytes everywhere (no newline translation, no Ctrl-Z handling).
void use_binary_standard_streams();

// The words after the program's name, as names: the bytes given.
std::vector<file_name> command_words(int argc, char** argv);

#ifdef _WIN32
// On Windows, the words as UTF-16 (so that any name opens), shown in UTF-8.
std::vector<file_name> command_words(int argc, wchar_t** argv);
#endif

}  // namespace g91to90
