#include "line_write.hpp"

#include <algorithm>
#include <cstring>
#include <vector>

#include "number_input.hpp"

namespace g91to90 {

namespace {

// A run this short is copied as one fixed-size piece of the line, of which
// only the run is kept: the line is padded (see line_io.hpp), and the room
// taken for it allows for what the piece copies past the run, which the next
// word or the line end overwrites.
constexpr std::size_t SHORT_RUN = LINE_PADDING;
static_assert(SHORT_RUN <= LINE_PADDING, "a short run's piece stays in the line's padding");

// Writes line[from, to) with every G91's "1" written "0", piece by piece.
void write_run_through(line_writer& out, const padded_line& line, std::size_t from, std::size_t to,
                       const std::vector<std::size_t>& g91_digits) {
    for (const std::size_t digit : g91_digits) {
        if (digit >= from && digit < to) {
            out.write(line.text().substr(from, digit - from));
            out.write("0");
            from = digit + 1;
        }
    }
    out.write(line.text().substr(from, to - from));
}

// Copies line[from, to) to `at` (room for the run and SHORT_RUN more), its
// G91 codes written G90; returns the end of the run.
[[gnu::always_inline]] inline char* copy_run(char* at, const padded_line& line, std::size_t from,
                                             std::size_t to,
                                             const std::vector<std::size_t>& g91_digits) {
    if (to - from <= SHORT_RUN) {
        std::memcpy(at, line.data() + from, SHORT_RUN);
    } else {
        std::memcpy(at, line.data() + from, to - from);
    }
    for (const std::size_t digit : g91_digits) {
        if (digit >= from && digit < to) {
            at[digit - from] = '0';
        }
    }
    return at + (to - from);
}

}  // namespace

void write_line_start(const scanned_line& scan, const line_plan& plan, line_writer& out) {
    if (plan.form == write_form::under_g91 && scan.g91_digits.empty()) {
        out.write("G91");
        out.newline();
    }
}

namespace {

// A word of a program read as least increments (--integers increments): a
// value made of numbers without a point only is written as the count of
// increments it is, without a point, unless --decimal-point asks for
// millimetres or inches; any other with a point, which means the same on
// every control (a zero as its word is spelt).
[[gnu::noinline]] char* write_counted_word(char* at, const line_word& word, exact_number value,
                                           char letter, const line_plan& plan,
                                           const number_format& format) {
    const bool whole = (plan.styles.whole_slots >> word.slot & 1U) != 0;
    if (whole && !format.decimal_point && format.increment != 0 &&
        value.billionths % format.increment == 0) {
        const exact_number count{value.billionths / format.increment * BILLION, 0};
        return write_number_word(at, letter, count, format.decimals, false);
    }
    const bool point =
        whole || (plan.styles.point_slots >> word.slot & 1U) != 0 || format.decimal_point;
    return write_number_word(at, letter, value, format.decimals, point);
}

// A word of a line whose styles are followed: with a point where the plan
// says, as the count of increments it is where they are read so.
[[gnu::noinline]] char* write_styled_word(char* at, const line_word& word, exact_number target,
                                          char letter, const line_plan& plan,
                                          const number_format& format) {
    if (format.integers == integer_reading::increments) {
        return write_counted_word(at, word, target, letter, plan, format);
    }
    return write_number_word(
        at, letter, target, format.decimals,
        (plan.styles.point_slots >> word.slot & 1U) != 0 || format.decimal_point);
}

// A rewritten word is written so that it means on the control what the
// input's numbers meant (see number_styles.hpp): with a point where the plan
// follows the styles and says so; before that, with a point when it is not
// zero (every number not zero had one), and as its word is spelt when it is;
// with its word's own spelling where numbers without a point are
// millimetres or inches. --decimal-point adds a point to every whole value.
char* write_word(char* at, const line_word& word, exact_number target, char letter,
                 const line_plan& plan, const number_format& format) {
    if (plan.styled) [[unlikely]] {
        return write_styled_word(at, word, target, letter, plan, format);
    }
    bool point = word.point || format.decimal_point;
    if (!point && format.integers != integer_reading::units) [[unlikely]] {
        point = target.billionths != 0;  // a zero word on a position that is not zero
    }
    return write_number_word(at, letter, target, format.decimals, point);
}

}  // namespace

void line_rewriter::write_batch(const padded_line& line, const scanned_line& scan,
                                const line_plan& plan, const word_targets& targets,
                                line_writer& out, const number_format& format) {
    for (std::size_t i = 0; i < scan.words.size(); ++i) {
        const line_word& word = scan.words[i];
        const std::size_t room = word.begin - from_ + SHORT_RUN + WORD_CAPACITY;
        char* start = nullptr;
        char* at = nullptr;
        if (room <= out.block_size()) [[likely]] {
            start = out.room(room);
            at = copy_run(start, line, from_, word.begin, scan.g91_digits);
        } else {
            write_run_through(out, line, from_, word.begin, scan.g91_digits);
            start = out.room(WORD_CAPACITY);
            at = start;
        }
        at = write_word(at, word, targets[i], line[word.begin], plan, format);
        out.claim(static_cast<std::size_t>(at - start));
        from_ = word.end;
    }
}

bool line_rewriter::write_whole(const padded_line& line, const scanned_line& scan,
                                const line_plan& plan, const word_targets& targets,
                                line_writer& out, const number_format& format) {
    const std::size_t room = line.size() + scan.words.size() * WORD_CAPACITY + SHORT_RUN + 2;
    if (scan.more_words != 0 || room > out.block_size()) {
        return false;
    }
    char* const start = out.room(room);
    char* at = start;
    const exact_number* target = targets.values.data();
    for (const line_word& word : scan.words) {
        at = copy_run(at, line, from_, word.begin, scan.g91_digits);
        at = write_word(at, word, *target++, line[word.begin], plan, format);
        from_ = word.end;
    }
    const bool newline = line.newline();
    at = copy_run(at, line, from_, line.size() - (newline ? 1 : 0), scan.g91_digits);
    if (newline) {
        at[0] = '\r';
        at[1] = '\n';
        at += 2;
    }
    out.claim(static_cast<std::size_t>(at - start));
    return true;
}

void line_rewriter::finish(const padded_line& line, const scanned_line& scan, line_writer& out) {
    const bool newline = line.newline();
    const std::size_t to = line.size() - (newline ? 1 : 0);
    const std::size_t room = to - from_ + SHORT_RUN + 2;
    if (room <= out.block_size()) [[likely]] {
        char* const start = out.room(room);
        char* at = copy_run(start, line, from_, to, scan.g91_digits);
        if (newline) {
            at[0] = '\r';
            at[1] = '\n';
            at += 2;
        }
        out.claim(static_cast<std::size_t>(at - start));
        return;
    }
    write_run_through(out, line, from_, to, scan.g91_digits);
    if (newline) {
        out.newline();
    }
}

void write_cycle_line(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                      const word_targets& targets, line_writer& out, const number_format& format) {
    // The edits in the order they stand: each word with its target, and the
    // repeat count (L, or K) left out with the blanks before it.
    struct edit {
        std::size_t begin;
        std::size_t end;
        const line_word* word;  // nullptr: left out
        exact_number target;
    };
    std::vector<edit> edits;
    for (std::size_t i = 0; i < scan.words.size(); ++i) {
        const line_word& word = scan.words[i];
        edits.push_back({word.begin, word.end,
                         plan.repeat_in_k && word.slot == K_SLOT ? nullptr : &word, targets[i]});
    }
    if (scan.l_end != 0) {
        edits.push_back({scan.l_begin, scan.l_end, nullptr, {}});
    }
    std::sort(edits.begin(), edits.end(),
              [](const edit& a, const edit& b) { return a.begin < b.begin; });
    std::size_t from = 0;
    for (const edit& e : edits) {
        std::size_t begin = e.begin;
        while (e.word == nullptr && begin > from && is_blank(line[begin - 1])) {
            --begin;
        }
        write_run_through(out, line, from, begin, scan.g91_digits);
        if (e.word != nullptr) {
            char* const start = out.room(WORD_CAPACITY);
            out.claim(static_cast<std::size_t>(
                write_word(start, *e.word, e.target, line[e.begin], plan, format) - start));
        }
        from = e.end;
    }
    const bool newline = line.newline();
    write_run_through(out, line, from, line.size() - (newline ? 1 : 0), scan.g91_digits);
    if (newline || plan.holes > 1) {
        out.newline();
    }
}

void write_hole_line(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                     const word_targets& targets, bool last, line_writer& out,
                     const number_format& format) {
    bool first = true;
    for (std::size_t i = 0; i < scan.words.size(); ++i) {
        const line_word& word = scan.words[i];
        if (word.slot < AXIS_COUNT && word.slot != plan.normal_axis) {
            if (!first) {
                out.write(" ");
            }
            char* const start = out.room(WORD_CAPACITY);
            out.claim(static_cast<std::size_t>(
                write_word(start, word, targets[i], line[word.begin], plan, format) - start));
            first = false;
        }
    }
    if (!last || line.newline()) {
        out.newline();
    }
}

void write_unchanged_line(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                          line_writer& out) {
    out.copy_line(line.text());
    if (plan.form == write_form::under_g91 || !scan.g91_digits.empty()) {
        out.add_line_after(line.text(), "G90");
    }
}

}  // namespace g91to90
