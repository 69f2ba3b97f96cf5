// The console front end: file names, prompts, opening and closing the files.
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iosfwd>
#include <optional>
#include <span>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>

#include "file_pages.hpp"

namespace g91to90 {

// A file name as the user gave it: the text shown in messages (UTF-8 on
// Windows, the bytes given elsewhere) and the path it opens.
struct file_name {
    std::string shown;
    std::filesystem::path path;
    // "-" as a word of the command line: standard input as the input,
    // standard output as the output. A typed "-", and "./-", name files.
    bool standard_stream = false;
};

// A name typed at a prompt or given as bytes: its path is made of those bytes.
inline file_name name_from_bytes(const std::string& bytes) {
    return {bytes, std::filesystem::path(bytes)};
}

// `folder`/ the last part of `name`: where a batch writes `name`.
file_name name_in_folder(const file_name& folder, const file_name& name);

// A file being written. A regular file is written to `temporary`, a file of
// its own beside it, and renamed over `path` only when the run succeeds;
// `temporary` is empty when the file is written directly (a terminal, a
// pipe, /dev/null: anything but a regular file).
struct output_file {
    std::ofstream stream;
    std::filesystem::path path;
    std::filesystem::path temporary;
    int interrupt_slot = -1;  // where `temporary` is noted to be removed on an interrupt
};

// The most of an existing output read to tell whether it holds incremental
// moves: a program's distance mode shows in its first lines, and a large
// output, replaced run after run, is never read whole.
inline constexpr std::size_t MOST_BYTES_CHECKED = std::size_t{1} << 20;

// Whether the existing file at `path` holds an incremental move in its first
// MOST_BYTES_CHECKED bytes (a last line cut there is not read): a line read
// in G91 (its own, or one before it with no G90 since) with an axis word
// and no code but motion (G0-G3, G9), distance, plane, units and other
// modes, and machine functions. The converter writes no such line: its
// lines G91 stand before returns, G53, G92, probe and coordinate-system
// lines, which are not moves here.
bool file_holds_incremental_moves(const std::filesystem::path& path);

// Throws `output_holds_moves` when `name` (a file, not standard output) is
// an existing regular file that holds incremental moves: an incremental program the user may have
// named as the output by mistake. Not for a name that `replace` allows (--force).
void refuse_incremental_program(const file_name& name, bool replace);

// Opens `name` for writing, through a temporary file where it is a regular
// file or does not exist yet. Throws, before anything is written,
// `output_not_opened` when it cannot be opened (or made), `no_room_beside`
// when it exists and no temporary file can be made beside it, and
// `output_holds_moves` as above.
void open_output_file(output_file& file, const file_name& name, bool replace);
// After a successful run, with the stream closed: the temporary file takes
// the output's name. False when it cannot.
bool keep_output(output_file& file);
// After a failure, with the stream closed: the temporary file is removed, so
// that an existing output stays as it was.
void drop_output(output_file& file);

// A buffer that takes every byte and keeps none: the output of a check.
class discarding_buffer : public std::streambuf {
  protected:
    int_type overflow(int_type c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char_type*, std::streamsize count) override { return count; }
};

// The input and output of one run: files, or the standard streams.
struct open_files {
    std::string input_name;
    std::ifstream input;
    std::streambuf* input_buffer = nullptr;
    output_file output;
    std::optional<written_back_buffer> written_back;  // a file written through a temporary
    std::streambuf* output_buffer = nullptr;
    discarding_buffer discarded;
};

// Writes `prompt` to the console, flushed, and reads one blank-delimited
// token, or the text between double quotes. Throws `console_ended` when the
// console input ends or fails.
std::string ask_token(std::istream& console_in, std::ostream& console_out, std::string_view prompt);

// Opens the input: the file `name`, or standard input. Throws
// `input_not_opened` when it cannot be opened.
void open_input(open_files& files, const file_name& name);
// Opens the output `output` of `input`: a file, or standard output. Throws
// `same_files` (before anything is opened) when both name one file, and
// as `open_output_file` does.
void open_output(open_files& files, const file_name& input, const file_name& output, bool replace);
// A run that writes no output: every byte is discarded.
void discard_output(open_files& files);

// The errno value (a std::errc) of a system error, as a stop's `error`; 0
// when it has none, or none of the portable ones.
int error_value(const std::error_code& error);

// True when both names refer to one file: equal texts, or one file reached
// by two names (a path prefix, a hard or symbolic link).
bool names_same_file(const file_name& first, const file_name& second);

}  // namespace g91to90
