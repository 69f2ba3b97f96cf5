#include "motion_line.hpp"

#include <cstring>

namespace g91to90 {

namespace {

// A run this short is copied as one fixed-size piece of the line, of which
// only the run is kept: the line is padded (see line_io.hpp).
constexpr std::size_t SHORT_RUN = LINE_PADDING;

// Writes line[from, to) unchanged.
void write_run(line_writer& out, std::string_view line, std::size_t from, std::size_t to) {
    if (to - from <= SHORT_RUN && out.block_size() >= SHORT_RUN) {
        std::memcpy(out.room(SHORT_RUN), line.data() + from, SHORT_RUN);
        out.claim(to - from);
    } else {
        out.write(line.substr(from, to - from));
    }
}

// Writes line[from, to) unchanged but for the G91 digit that becomes "0".
void write_run(line_writer& out, std::string_view line, std::size_t from, std::size_t to,
               std::size_t g91_digit) {
    if (g91_digit < from || g91_digit >= to) {
        write_run(out, line, from, to);
        return;
    }
    out.write(line.substr(from, g91_digit - from));
    out.write("0");
    out.write(line.substr(g91_digit + 1, to - g91_digit - 1));
}

}  // namespace

void rewrite_motion_line(std::string_view line, const scanned_line& scan, line_writer& out,
                         machine_state& machine, const number_format& format) {
    // A short run and the word after it go into one piece of the block.
    constexpr std::size_t PIECE = SHORT_RUN + WORD_CAPACITY;
    const bool pieces_fit = out.block_size() >= PIECE;
    std::size_t from = 0;  // first character not yet written
    for (const line_word& word : scan.words) {
        const char letter = line[word.begin];
        const bool arc = word.slot >= FIRST_ARC_SLOT;
        const double value = arc ? word.value : move_axis(machine, word.slot, word.value);
        const std::size_t run = word.begin - from;
        char* at = nullptr;
        const bool plain_run = scan.g91_digit < from || scan.g91_digit >= word.begin;
        if (pieces_fit && run <= SHORT_RUN && plain_run) {
            at = out.room(PIECE);
            std::memcpy(at, line.data() + from, SHORT_RUN);
            out.claim(run);
            at += run;
        } else {
            write_run(out, line, from, word.begin, scan.g91_digit);
            at = out.room(WORD_CAPACITY);
        }
        char* const end = arc ? write_arc_word(at, letter, value, format)
                              : write_axis_word(at, letter, value, format);
        out.claim(static_cast<std::size_t>(end - at));
        from = word.end;
    }
    if (has_newline(line)) {
        write_run(out, line, from, line.size() - 1, scan.g91_digit);
        out.newline();
    } else {
        write_run(out, line, from, line.size(), scan.g91_digit);
    }
}

}  // namespace g91to90
