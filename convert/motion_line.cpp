#include "motion_line.hpp"

#include <array>
#include <cstdint>

#include "line_codes.hpp"
#include "number_input.hpp"
#include "number_output.hpp"

namespace g91to90 {

namespace {

enum class char_class : std::uint8_t { verbatim, newline, comment, axis_word, arc_word };

constexpr std::array<char_class, 256> make_class_table() {
    std::array<char_class, 256> table{};
    table['\n'] = char_class::newline;
    table['('] = char_class::comment;
    for (const unsigned char c : {'X', 'Y', 'Z'}) {
        table[c] = char_class::axis_word;
    }
    for (const unsigned char c : {'I', 'J', 'K', 'R'}) {
        table[c] = char_class::arc_word;
    }
    return table;
}
constexpr std::array<char_class, 256> CHAR_CLASSES = make_class_table();

char_class class_of(char c) {
    return CHAR_CLASSES[static_cast<unsigned char>(c)];
}

// Sets the mode from the line and returns where the "1" of its first "G91"
// stands (written as "0"), or npos. The code is searched as a substring, a
// comment included, so "(OLD G91)" is the occurrence rewritten there.
std::size_t take_mode_from_line(std::string_view line, machine_state& machine) {
    const std::size_t g91 = line.find("G91");
    if (g91 != std::string_view::npos) {
        machine.mode = distance_mode::incremental;
        return g91 + 2;
    }
    if (holds_code(line, "G90")) {
        machine.mode = distance_mode::absolute;
    }
    return std::string_view::npos;
}

// Writes line[from, to) unchanged but for the "G91" that becomes "G90".
void write_run(line_writer& out, std::string_view line, std::size_t from, std::size_t to,
               std::size_t g91_digit) {
    if (g91_digit < from || g91_digit >= to) {
        out.write(line.substr(from, to - from));
        return;
    }
    out.write(line.substr(from, g91_digit - from));
    out.write("0");
    out.write(line.substr(g91_digit + 1, to - g91_digit - 1));
}

// The index after a comment that starts at `open`: past its first ")", or at
// the line's newline or end when it is not closed.
std::size_t comment_end(std::string_view line, std::size_t open) {
    const std::size_t close = line.find(')', open + 1);
    if (close != std::string_view::npos) {
        return close + 1;
    }
    return has_newline(line) ? line.size() - 1 : line.size();
}

}  // namespace

void rewrite_motion_line(std::string_view line, line_writer& out, machine_state& machine) {
    const std::size_t g91_digit = take_mode_from_line(line, machine);
    std::size_t run_start = 0;  // first character not yet written
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        switch (class_of(c)) {
            case char_class::verbatim:
                ++i;
                break;
            case char_class::comment:
                i = comment_end(line, i);
                break;
            case char_class::newline:
                write_run(out, line, run_start, i, g91_digit);
                out.newline();
                return;
            case char_class::axis_word:
            case char_class::arc_word: {
                write_run(out, line, run_start, i, g91_digit);
                std::string_view number_text;
                i = read_number_text(line, i + 1, number_text);
                run_start = i;
                const double value = number_value(number_text);
                if (class_of(c) == char_class::arc_word) {
                    format_arc_word(out, c, value);
                    break;
                }
                format_axis_word(out, c, move_axis(machine, c, value));
                break;
            }
        }
    }
    write_run(out, line, run_start, line.size(), g91_digit);
}

}  // namespace g91to90
