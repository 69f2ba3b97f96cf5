// One scan of a line yields what every rule needs: its words, its codes and
// where its comments are not. A line is read the way a control reads it:
// - a comment runs from "(" to the first ")" after it (or to the line's end),
//   and from a ";" outside such a comment to the line's end; a quoted string
//   ("...") is read as a comment; no rule reads them;
// - letters count in either case;
// - a word is a letter and its number text (digits, "-", "+", "."), where
//   blanks may stand after the letter and, inside the number, before a digit
//   or a point; a letter with no number text after it is no word, and so is a
//   run of letters (a keyword such as WHILE or GOTO, or a name);
// - codes are G and M words compared by their exact decimal value, so G091
//   and G91.0 are G91 while G91.1 is another code;
// - "#" (a parameter), "[...]" (an expression) and "=" (an assignment, as in
//   X=10 or R1=5) make the line a parameter line; a word whose number is one
//   of them is computed, not read;
// - ",C" and ",R" (corner words) and a letter after any comma are parameters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "axes.hpp"
#include "code_table.hpp"
#include "exact_number.hpp"
#include "line_io.hpp"

namespace g91to90 {

// No two codes of one group on a line (below any code's value in tenths).
inline constexpr int NO_CONFLICT = -1;

// The words of a line are kept this many at a time; a longer line is read
// again for each further batch, so that a line of millions of words needs
// no more memory than a short one.
inline constexpr std::size_t WORD_BATCH = 64;

// An axis or arc word of the line's code part, with a number.
struct line_word {
    std::size_t begin;   // its letter
    std::size_t end;     // just after its last number character
    exact_number value;  // the value of its number text, with its places
    std::uint8_t slot;   // an axis (0-8) or FIRST_ARC_SLOT + 0-3 for I, J, K, R
    bool point;          // its number text has a decimal point
};

// A G or M code of the line.
struct code_word {
    int tenths;           // its value in tenths, or OTHER_CODE
    std::uint32_t begin;  // where the word stands: its letter, and just after it
    std::uint32_t end;
    char letter;            // 'G' or 'M'
    const code_info* info;  // its row in the table of codes (the other codes' row for one
                            // no row names)

    code_kind kind() const { return info->kind; }
};

// What an O-word line (LinuxCNC) does: begins or ends a subroutine's
// definition, calls one, or is other program flow (if, while, return...).
enum class o_word_line : std::uint8_t { none, sub, endsub, call, control };

// Where a word's number text stands in the line; `end` is 0 when there is none.
struct text_span {
    std::size_t begin = 0;
    std::size_t end = 0;

    bool empty() const { return end == 0; }
    bool operator==(const text_span&) const = default;
};

// (`same_reading` compares every field but `scratch`, `read_generally` and
// `unusual_text`: one added here is added there.)
struct scanned_line {
    std::vector<line_word> words;     // the first WORD_BATCH words, in the order they stand
    std::size_t more_words = 0;       // where the next batch of words begins; 0 when none
    std::vector<code_word> codes;     // in the order they stand
    kind_set held = 0;                // the kinds of its codes
    std::uint16_t axes = 0;           // axes named, by a number or a parameter
    std::uint16_t computed_axes = 0;  // axes whose number is a parameter or expression
    std::uint16_t repeated_axes = 0;  // axes named by more than one word
    std::uint8_t arcs = 0;            // arc words named: I, J, K, R from bit 0
    // How many words of the batch have a point: when all have, none is a
    // number without a point (see number_styles.hpp).
    std::uint8_t dotted_words = 0;
    // Where the "1" of each G91 stands, written "0" when the line is rewritten.
    std::vector<std::size_t> g91_digits;
    motion_kind motion = motion_kind::none;  // the first motion code's move

    bool motion_code() const { return motion != motion_kind::none; }
    work_plane plane = work_plane::unknown;   // selected by the line
    length_unit unit = length_unit::unknown;  // selected by the line
    std::uint16_t facts = 0;                  // the code facts of its codes' rows
    // Two different codes of one group (G90 and G91, say), in tenths;
    // NO_CONFLICT when there are none.
    int conflict_first = NO_CONFLICT;
    int conflict_second = NO_CONFLICT;
    std::uint32_t letters = 0;  // other letters with a number: bit 0 for A
    exact_number l_value;       // the L word's value, when there is one
    std::size_t l_begin = 0;    // where the L word stands: its letter, and just after it;
    std::size_t l_end = 0;      // 0 and 0 when there is none
    text_span p_number;         // the number text of the first P word
    text_span n_number;         // the number text of the first N word (a line label)
    // An O word that stands first: an O-word line's name (digits, or a
    // <name> with its brackets), or the digits of a program number (O1000,
    // :1000).
    text_span o_name;
    bool o_arguments = false;  // an O-word call with arguments ("[...]" after "call")
    // A word whose number text is no number (X5-3, X1.2.5, X--5, X., a sign
    // alone): the word, its letter included.
    text_span malformed;
    std::size_t control_char = 0;  // just after the first control character outside comments
    bool e_word = false;
    bool polar_word = false;     // "@" or "^", then a number with a digit
    bool parameters = false;     // "#" or "[" in the code part
    bool computed_code = false;  // a G, M or O word whose number is computed
    bool block_delete = false;   // "/" in the code part
    bool flow_keyword = false;   // WHILE, IF, GOTO, END, DO
    bool jump_keyword = false;   // GOTO
    // A line whose code part begins with an O word and a keyword such as
    // "sub", "if" or "call": nothing else on it is read.
    o_word_line o_word = o_word_line::none;
    std::string scratch;  // a number text with its inner blanks left out
    // The general reading read the line: what only it records may be set.
    bool read_generally = false;
    // Set by the general reading: an E, polar or computed word, a parameter,
    // a "/", flow, an O-word line, a malformed number or a control character.
    bool unusual_text = false;

    // Whether the line holds anything beyond codes and plain words: an E,
    // polar, H or computed word, a parameter, a "/", flow, an O-word line,
    // two codes of one group, or an axis named twice.
    bool unusual() const {
        return unusual_text || conflicting() || repeated_axes != 0 || holds_letter('H');
    }
    // A program number alone (O1000, :1000), with comments at most: where a
    // Fanuc-style program begins.
    bool program_number() const {
        return !o_name.empty() && o_word == o_word_line::none && codes.empty() && held == 0 &&
               words.empty() && letters == 0 && !parameters && !e_word && n_number.empty();
    }
    bool holds(kind_set kinds) const { return (held & kinds) != 0; }
    // Whether it holds two codes of one group (G0 is 0 in tenths).
    bool conflicting() const { return conflict_second != NO_CONFLICT; }

    bool has(code_fact fact) const { return (facts & fact) != 0; }
    // Whether a word of the batch is a number without a point, not zero.
    bool whole_word() const {
        if (dotted_words == words.size()) [[likely]] {
            return false;
        }
        for (const line_word& word : words) {
            if (!word.point && word.value.billionths != 0) {
                return true;
            }
        }
        return false;
    }
    // Whether the line holds anything but blanks, comments and "%".
    bool holds_program() const {
        return held != 0 || !words.empty() || more_words != 0 || letters != 0 ||
               !n_number.empty() || !o_name.empty() || unusual_text || computed_axes != 0;
    }
    bool holds_letter(char letter) const { return (letters >> (letter - 'A') & 1U) != 0; }
};

// Reads `line` (its newline, if any, included) into `scan`, which is reused
// from line to line.
void scan_line(const padded_line& line, scanned_line& scan);

// The general reading alone, without the small loop that reads the common
// line: kept so that tests can check that the two read every line alike.
void scan_line_generally(const padded_line& line, scanned_line& scan);

// Whether two scans read the same: everything but their scratch text.
bool same_reading(const scanned_line& a, const scanned_line& b);

// Reads the next batch of words of a line whose words did not fit in one,
// from `scan.more_words`; codes and the rest are left as the first scan read
// them.
void scan_more_words(const padded_line& line, scanned_line& scan);

}  // namespace g91to90
