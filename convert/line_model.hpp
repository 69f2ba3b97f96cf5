// The line model shared by every pass: the run's context, reading and writing
// lines with the converter's line-end rules, the code sets, and number text.
#pragma once

#include <array>
#include <cstddef>
#include <iosfwd>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace g91to90 {

// A step that cannot go on throws this; only the entry point catches it,
// writes `message` to standard output and ends with `status`.
struct conversion_failure : std::runtime_error {
    conversion_failure(const std::string& message, int status)
        : std::runtime_error(message), status(status) {}
    int status;
};

inline constexpr int STATUS_FAILURE = 1;
// A failing close returns the end-of-file value -1, seen as 255 as an exit status.
inline constexpr int STATUS_CLOSE_FAILED = 255;

enum distance_mode : int {
    MODE_ABSOLUTE = 0,
    MODE_INCREMENTAL = 1,
    MODE_START_PENDING = 2,
};

struct axis_position {
    double x = 0.0;
    double y = 0.0;
    double z = 0.0;
};

// Input side: block reads from a stream buffer, split into lines by our own
// code so that the line-end rules are the same on every platform.
struct input_reader {
    std::streambuf* source = nullptr;
    std::vector<char> block;
    std::size_t next = 0;      // first unread byte of `block`
    std::size_t filled = 0;    // bytes of `block` that hold input
    bool source_done = false;  // the source has nothing more (its end, or Ctrl-Z)
    bool end_of_file = false;  // a read ran into the end of the input
    std::string spill;         // a line that did not fit in what was left of `block`
};

// Output side: bytes gather in `block` and go to the sink in large writes.
struct output_writer {
    std::streambuf* sink = nullptr;
    std::vector<char> block;
    std::size_t used = 0;
};

struct conversion_context {
    input_reader input;
    output_writer output;
    std::string input_name;  // named in the read-error message
    std::istream* console_in = nullptr;
    std::ostream* console_out = nullptr;
    // The current line: its text, with its newline when it has one. A carriage
    // return that stood before the newline is not part of it. It lies in the
    // input's block or spill and holds until the next read.
    std::string_view line_buffer;
    axis_position position;
    distance_mode mode = MODE_ABSOLUTE;
};

inline constexpr std::size_t IO_BLOCK_SIZE = std::size_t{64} * 1024;

// Writes `prompt` to the console, flushed, and reads one whitespace-delimited
// token. Throws (status 1, no message) when the console input ends or fails.
std::string ask_token(std::istream& console_in, std::ostream& console_out, std::string_view prompt);

// Binds the context to its four streams; `input_name` is used in messages.
conversion_context make_context(std::streambuf& input, std::streambuf& output,
                                std::istream& console_in, std::ostream& console_out,
                                std::string input_name);

// Reads the next line into `line_buffer`. False when no character could be
// read. Sets `input.end_of_file` when the read ran into the end of the input.
bool read_line(conversion_context& context);

// Writes bytes verbatim; a newline among them is written as it stands.
void write_bytes(conversion_context& context, std::string_view bytes);
// Room for up to `size` bytes at the end of the output, to be filled in
// place and then claimed with `claim_output`.
char* output_room(conversion_context& context, std::size_t size);
void claim_output(conversion_context& context, std::size_t size);
// Writes a newline as carriage return and newline.
void write_newline(conversion_context& context);
// Writes a line's text unchanged, its newline (if it has one) as CR LF.
void write_line(conversion_context& context, std::string_view line);
// Hands everything written so far to the sink; a failing write throws with
// the close-failure status.
void flush_output(conversion_context& context);

inline constexpr std::array<std::string_view, 3> MODE_CODES{"G90", "G91", "G92"};
inline constexpr std::array<std::string_view, 9> EXEMPT_CODES{"G28", "G30", "G53", "G54", "G55",
                                                              "G56", "G57", "G58", "G59"};
inline constexpr std::array<std::string_view, 7> COORDINATE_SYSTEM_CODES{"G53", "G54", "G55", "G56",
                                                                         "G57", "G58", "G59"};

bool contains_code(std::string_view line, std::string_view code);
bool contains_any(std::string_view line, std::span<const std::string_view> codes);
bool contains_char(std::string_view line, char c);
inline bool begins_with_comment(std::string_view line) {
    return !line.empty() && line.front() == '(';
}
inline bool has_newline(std::string_view line) {
    return !line.empty() && line.back() == '\n';
}
// A line's length counts its text and its newline.
inline std::size_t line_length(std::string_view line) {
    return line.size();
}

inline constexpr std::array<bool, 256> NUMBER_CHARS = [] {
    std::array<bool, 256> table{};
    for (const unsigned char c : std::string_view("0123456789-.+")) {
        table[c] = true;
    }
    return table;
}();

inline bool number_char(char c) {
    return NUMBER_CHARS[static_cast<unsigned char>(c)];
}

// Collects the number characters of `line` from `start` on into `number_text`
// and returns the index of the first character not collected.
std::size_t read_number_text(std::string_view line, std::size_t start,
                             std::string_view& number_text);

// Moves the axis named by `letter` ("X", "Y" or "Z") by a word's value: to
// it in absolute mode, by it in incremental mode. Returns the new coordinate.
double move_axis(conversion_context& context, char letter, double value);

// The value of the longest leading decimal number of `text` (0 when there is none).
double number_value(std::string_view text);

}  // namespace g91to90
