// What differs between the platforms the program runs on.
#pragma once

#include <string>
#include <vector>

#include "front_end.hpp"

namespace g91to90 {

// Puts standard input, output and error in binary mode, so that the console text is
// the same bytes everywhere (no newline translation, no Ctrl-Z handling).
void use_binary_standard_streams();

// On Windows, when standard input is a console, has it read as Unicode
// (UTF-16 from the console, given on as UTF-8), so that a typed name in any
// script reaches the program whole. Elsewhere, and for redirected input,
// the bytes are read as they are.
void use_unicode_console_input();

// A name typed at a prompt or given after an option's "=": its path is made
// of those bytes; on Windows, of the characters they encode in UTF-8 when
// they are UTF-8 (else of the bytes, in the system's code page).
file_name name_from_text(const std::string& text);

// The words after the program's name, as names: the bytes given.
std::vector<file_name> command_words(int argc, char** argv);

#ifdef _WIN32
// On Windows, the words as UTF-16 (so that any name opens), shown in UTF-8.
std::vector<file_name> command_words(int argc, wchar_t** argv);
#endif

}  // namespace g91to90
