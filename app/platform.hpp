// What differs between the platforms the program runs on.
#pragma once

#include <filesystem>
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

// Interrupts: SIGINT, SIGTERM and SIGHUP; on Windows Ctrl-C, Ctrl-Break and
// the console closed. From this call on, an interrupt removes the temporary
// files noted below and ends the program as the interrupt would have (a
// signal ignored when the program starts stays ignored). Elsewhere the
// handler removes them itself and raises the signal again (the shell shows
// 130 for SIGINT, 143 for SIGTERM); on Windows, where an open file cannot be
// removed, it lets the program remove them (`interrupt_status`, and
// `written_back_buffer` takes no more bytes), waits two seconds at most, then
// ends the program with 130 (Ctrl-C, Ctrl-Break) or 143.
void handle_interrupts();

// Notes `temporary` (before it is made) to be removed on an interrupt;
// INTERRUPT_SLOTS files at most at once. Returns its slot, or -1 when no
// slot is free or the path is too long to keep.
inline constexpr int INTERRUPT_SLOTS = 2;
int remove_on_interrupt(const std::filesystem::path& temporary);
// The temporary file of `slot` is gone or kept: no longer to be removed.
void forget_on_interrupt(int slot);

// The status the program ends with after an interrupt (130, 143), or 0 when
// none came. Only ever set on Windows, where the program goes on for a
// moment: elsewhere an interrupt ends it in the handler.
int interrupt_status();

// The folder the running program's file is in; empty when it cannot be told.
std::filesystem::path program_folder();

#ifdef _WIN32
// On Windows, the words as UTF-16 (so that any name opens), shown in UTF-8.
std::vector<file_name> command_words(int argc, wchar_t** argv);
#endif

}  // namespace g91to90
