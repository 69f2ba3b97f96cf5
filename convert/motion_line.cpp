#include "motion_line.hpp"

#include <cstring>

#include "stop.hpp"

namespace g91to90 {

namespace {

// A run this short is copied as one fixed-size piece of the line, of which
// only the run is kept: the line is padded (see line_io.hpp).
constexpr std::size_t SHORT_RUN = LINE_PADDING;

// Writes line[from, to) unchanged but for the G91 digit that becomes "0".
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

}  // namespace

namespace {

// The common case: room for the whole rewritten line taken from the block
// at once, the line written into it in place. Runs up to SHORT_RUN long are
// copied as fixed-size pieces; the room allows for what they copy past the
// run, which the next word or the line end overwrites.
void rewrite_in_place(std::string_view line, const scanned_line& scan, line_writer& out,
                      machine_state& machine, const number_format& format, std::size_t room) {
    char* const start = out.room(room);
    char* at = start;
    const auto copy_run = [&at, line](std::size_t from, std::size_t to) {
        if (to - from <= SHORT_RUN) {
            std::memcpy(at, line.data() + from, SHORT_RUN);
        } else {
            std::memcpy(at, line.data() + from, to - from);
        }
        at += to - from;
    };
    std::size_t from = 0;
    try {
        for (const line_word& word : scan.words) {
            copy_run(from, word.begin);
            const char letter = line[word.begin];
            at = word.slot >= FIRST_ARC_SLOT
                     ? write_arc_word(at, letter, word.value, format)
                     : write_axis_word(at, letter, move_axis(machine, word.slot, word.value),
                                       format);
            from = word.end;
        }
    } catch (const conversion_stop&) {
        out.claim(static_cast<std::size_t>(at - start));  // the line up to the failing word
        throw;
    }
    const bool newline = has_newline(line);
    copy_run(from, line.size() - (newline ? 1 : 0));
    if (newline) {
        at[0] = '\r';
        at[1] = '\n';
        at += 2;
    }
    out.claim(static_cast<std::size_t>(at - start));
}

}  // namespace

void rewrite_motion_line(std::string_view line, const scanned_line& scan, line_writer& out,
                         machine_state& machine, const number_format& format) {
    const std::size_t room = line.size() + scan.words.size() * WORD_CAPACITY + SHORT_RUN + 2;
    if (scan.g91_digit == std::string_view::npos && room <= out.block_size()) {
        rewrite_in_place(line, scan, out, machine, format, room);
        return;
    }
    // A line holding G91 (its digit becomes "0"), or too long for the room:
    // piece by piece.
    std::size_t from = 0;  // first character not yet written
    for (const line_word& word : scan.words) {
        write_run(out, line, from, word.begin, scan.g91_digit);
        const char letter = line[word.begin];
        if (word.slot >= FIRST_ARC_SLOT) {
            format_arc_word(out, letter, word.value, format);
        } else {
            format_axis_word(out, letter, move_axis(machine, word.slot, word.value), format);
        }
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
