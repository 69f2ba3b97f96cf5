// What differs between the platforms the program runs on.
#pragma once

namespace g91to90 {

// Puts standard input and output in binary mode, so that the console text is
// the same bytes everywhere (no newline translation, no Ctrl-Z handling).
void use_binary_standard_streams();

}  // namespace g91to90
