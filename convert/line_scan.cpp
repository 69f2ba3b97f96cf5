#include "line_scan.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <tuple>

#include "number_input.hpp"

namespace g91to90 {

namespace {

// What a character starts in the code part.
enum char_kind : std::uint8_t {
    PLAIN,
    COMMENT,       // "("
    LINE_COMMENT,  // ";"
    QUOTE,         // '"': a quoted string, read as a comment
    LINE_END,      // the newline
    POLAR,         // "@", "^"
    PARAMETER,     // "#"
    EXPRESSION,    // "["
    COMMA,         // ",": a corner word such as ",C1." or ",R2" follows
    SLASH,         // "/": block delete
    COLON,         // ":": a program number follows, as O does
    G_LETTER,
    M_LETTER,
    E_LETTER,
    O_LETTER,
    N_LETTER,
    L_LETTER,
    P_LETTER,
    OTHER_LETTER,
    FIRST_SLOT_KIND,  // then an axis or arc word letter, its slot added
};

constexpr std::string_view ARC_LETTERS = "IJKR";

constexpr std::array<std::uint8_t, 256> make_kind_table() {
    std::array<std::uint8_t, 256> table{};
    table['('] = COMMENT;
    table[';'] = LINE_COMMENT;
    table['"'] = QUOTE;
    table['\n'] = LINE_END;
    table['@'] = POLAR;
    table['^'] = POLAR;
    table['#'] = PARAMETER;
    table['='] = PARAMETER;  // an assignment, as in X=10 or R1=5
    table['['] = EXPRESSION;
    table[','] = COMMA;
    table['/'] = SLASH;
    table[':'] = COLON;
    const auto both_cases = [&table](char letter, std::uint8_t kind) {
        table[static_cast<unsigned char>(letter)] = kind;
        table[static_cast<unsigned char>(letter - 'A' + 'a')] = kind;
    };
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        both_cases(letter, OTHER_LETTER);
    }
    both_cases('G', G_LETTER);
    both_cases('M', M_LETTER);
    both_cases('E', E_LETTER);
    both_cases('O', O_LETTER);
    both_cases('N', N_LETTER);
    both_cases('L', L_LETTER);
    both_cases('P', P_LETTER);
    for (std::size_t slot = 0; slot < AXIS_LETTERS.size(); ++slot) {
        both_cases(AXIS_LETTERS[slot], static_cast<std::uint8_t>(FIRST_SLOT_KIND + slot));
    }
    for (std::size_t arc = 0; arc < ARC_LETTERS.size(); ++arc) {
        both_cases(ARC_LETTERS[arc],
                   static_cast<std::uint8_t>(FIRST_SLOT_KIND + FIRST_ARC_SLOT + arc));
    }
    return table;
}
constexpr std::array<std::uint8_t, 256> CHAR_KINDS = make_kind_table();

bool is_letter(char c) {
    return static_cast<unsigned>((c | 0x20) - 'a') < 26;
}

char upper(char c) {
    return static_cast<char>(c & ~0x20);
}

std::size_t skip_blanks(const padded_line& line, std::size_t at) {
    while (at < line.size() && is_blank(line[at])) {
        ++at;
    }
    return at;
}

// A code's exact decimal value in tenths, such as 910 for G91 or G091.0 and
// 921 for G92.1; OTHER_CODE for any value no rule names (G91.05, G-1, G1.2.3
// reads as G1.2).
constexpr int CODE_CAP = 100000;

struct code_value {
    int tenths = OTHER_CODE;
    std::size_t units_digit = 0;  // where the units digit stands
    text_span word;               // the word, its letter included
};

code_value read_code(const padded_line& line, const word_number& number) {
    code_value code;
    std::size_t i = number.begin;
    bool negative = false;
    if (line[i] == '-' || line[i] == '+') {
        negative = line[i] == '-';
        ++i;
    }
    int whole = 0;
    int tenths = 0;
    bool exact = true;
    for (; i < number.end; ++i) {
        if (is_digit(line[i])) {
            whole = std::min(CODE_CAP, whole * 10 + (line[i] - '0'));
            code.units_digit = i;
        } else if (!is_blank(line[i])) {
            break;
        }
    }
    if (i < number.end && line[i] == '.') {
        int places = 0;
        for (++i; i < number.end; ++i) {
            if (is_digit(line[i])) {
                if (places++ == 0) {
                    tenths = line[i] - '0';
                } else if (line[i] != '0') {
                    exact = false;
                }
            } else if (!is_blank(line[i])) {
                break;
            }
        }
    }
    const bool zero = whole == 0 && tenths == 0;
    code.tenths =
        !exact || whole >= CODE_CAP || (negative && !zero) ? OTHER_CODE : whole * 10 + tenths;
    return code;
}

// The code of a plain number text, as `read_code` reads it: G91. and G91.0
// are G91, whose units digit stands before the point.
code_value plain_code(const plain_number& number) {
    std::uint64_t whole = number.digits;
    std::uint64_t tenths = 0;
    bool exact = true;
    for (std::size_t place = number.decimals; place > 0; --place) {
        if (place > 1 && whole % 10 != 0) {
            exact = false;
        }
        tenths = whole % 10;
        whole /= 10;
    }
    code_value code;
    code.units_digit = number.end - number.decimals - (number.point ? 2 : 1);
    const bool zero = whole == 0 && tenths == 0;
    code.tenths = !exact || whole >= CODE_CAP || (number.negative && !zero)
                      ? OTHER_CODE
                      : static_cast<int>(whole * 10 + tenths);
    return code;
}

// The common code: one or two digits after the letter ("G1", "G91", "M3")
// and nothing that goes on with the number after them. Its end, with its
// value in `code`; 0 for any other text, which the plain reading handles.
// The two characters after the digits lie in the line or its padding.
std::size_t short_code_end(const padded_line& line, std::size_t at, code_value& code) {
    static_assert(4 <= LINE_PADDING, "the letter, two digits and two followers");
    if (!is_digit(line[at])) {
        return 0;
    }
    int value = line[at] - '0';
    std::size_t end = at + 1;
    if (is_digit(line[end])) {
        value = value * 10 + (line[end] - '0');
        ++end;
    }
    const auto next = static_cast<unsigned char>(line[end]);
    const auto after = static_cast<unsigned char>(line[end + 1]);
    if ((NUMBER_FOLLOWER[next] & (NUMBER_GOES_ON | (NUMBER_FOLLOWER[after] >> 1))) != 0) {
        return 0;
    }
    code.tenths = value * 10;
    code.units_digit = end - 1;
    return end;
}

// The first code of each group a line holds, for the groups it holds.
struct group_codes {
    std::uint32_t seen = 0;  // a bit for each group
    std::array<int, GROUP_COUNT> first;
};

// The index after a comment that opens at `open`: past its first `close`,
// or the line's end.
std::size_t after_closing(const padded_line& line, std::size_t open, char close) {
    const void* found = std::memchr(line.data() + open + 1, close, line.size() - open - 1);
    return found == nullptr
               ? line.size()
               : static_cast<std::size_t>(static_cast<const char*>(found) - line.data()) + 1;
}

// The index after an expression that opens at `open`: past its matching
// "]", or the line's end.
std::size_t after_expression(const padded_line& line, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < line.size(); ++i) {
        if (line[i] == '[') {
            ++depth;
        } else if (line[i] == ']' && --depth == 0) {
            return i + 1;
        } else if (line[i] == '\n') {
            return i;
        }
    }
    return line.size();
}

// The index after a run of letters from `at`.
std::size_t after_letters(const padded_line& line, std::size_t at) {
    while (at < line.size() && is_letter(line[at])) {
        ++at;
    }
    return at;
}

// Whether `text` begins with `keyword` (lower case), in either case.
bool starts_with_keyword(std::string_view text, std::string_view keyword) {
    if (text.size() < keyword.size()) {
        return false;
    }
    for (std::size_t i = 0; i < keyword.size(); ++i) {
        if ((text[i] | 0x20) != keyword[i]) {
            return false;
        }
    }
    return true;
}

constexpr std::array<std::string_view, 5> FLOW_KEYWORDS{"while", "if", "goto", "end", "do"};
constexpr std::array<std::string_view, 12> O_FLOW_KEYWORDS{
    "return",   "if", "elseif", "else",      "endif", "while",
    "endwhile", "do", "repeat", "endrepeat", "break", "continue"};

// A run of letters: Fanuc macro flow (WHILE, IF, GOTO, END, DO), or a name
// or a word of a message, which is no word to the converter.
void read_letter_run(std::string_view run, scanned_line& scan) {
    for (const std::string_view keyword : FLOW_KEYWORDS) {
        if (run.size() == keyword.size() && starts_with_keyword(run, keyword)) {
            scan.flow_keyword = true;
            scan.jump_keyword = scan.jump_keyword || keyword == "goto";
        }
    }
}

// Where a word's number is computed: after the letter, blanks and a sign,
// a "#", "[" or "=" (X=10, an assignment) stands. Returns its index, or 0.
std::size_t computed_number_at(const padded_line& line, std::size_t after_letter) {
    std::size_t i = skip_blanks(line, after_letter);
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) {
        i = skip_blanks(line, i + 1);
    }
    return i < line.size() && (line[i] == '#' || line[i] == '[' || line[i] == '=') ? i : 0;
}

// An O-word line: the O word (a number, a <name> or an [expression]), then,
// after blanks and comments, one of the keywords of subroutines and flow.
struct o_word_reading {
    o_word_line kind = o_word_line::none;
    text_span name;
    bool arguments = false;  // "[" after "call", outside comments
    bool computed = false;   // the O word is an expression
};

o_word_reading read_o_word(const padded_line& line, std::size_t letter, std::string& scratch) {
    o_word_reading o_word;
    std::size_t after = skip_blanks(line, letter + 1);
    if (after < line.size() && line[after] == '<') {
        const std::size_t name_begin = after;
        after = after_closing(line, after, '>');
        o_word.name = {name_begin, after};
    } else if (after < line.size() && line[after] == '[') {
        o_word.computed = true;
        after = after_expression(line, after);
    } else {
        const word_number number = read_word_number(line, letter + 1, scratch);
        if (!number.digit) {
            return o_word;
        }
        o_word.name = {number.begin, number.end};
        after = number.end;
    }
    while (after < line.size() && (is_blank(line[after]) || line[after] == '(')) {
        after = line[after] == '(' ? after_closing(line, after, ')') : after + 1;
    }
    const std::string_view rest = line.text().substr(after);
    if (starts_with_keyword(rest, "call")) {
        o_word.kind = o_word_line::call;
        for (std::size_t i = after + 4; i < line.size() && line[i] != ';' && line[i] != '\n';) {
            if (line[i] == '[') {
                o_word.arguments = true;
                break;
            }
            i = line[i] == '(' ? after_closing(line, i, ')') : i + 1;
        }
    } else if (starts_with_keyword(rest, "sub")) {
        o_word.kind = o_word_line::sub;
    } else if (starts_with_keyword(rest, "endsub")) {
        o_word.kind = o_word_line::endsub;
    } else {
        for (const std::string_view keyword : O_FLOW_KEYWORDS) {
            if (starts_with_keyword(rest, keyword)) {
                o_word.kind = o_word_line::control;
            }
        }
    }
    return o_word;
}

// The code word `code` of `letter`, with its row.
code_word code_word_of(char letter, const code_value& code, const code_info& info) {
    return {code.tenths, static_cast<std::uint32_t>(code.word.begin),
            static_cast<std::uint32_t>(code.word.end), letter, &info};
}

// Notes a grouped code: the first of its group, or the first conflict.
void note_grouped(scanned_line& scan, code_group group, int tenths, group_codes& groups) {
    const std::uint32_t bit = 1U << group;
    int& first = groups.first[static_cast<std::size_t>(group)];
    if ((groups.seen & bit) == 0) {
        groups.seen |= bit;
        first = tenths;
    } else if (first != tenths && !scan.conflicting()) {
        scan.conflict_first = first;
        scan.conflict_second = tenths;
    }
}

// Adds a code to the line. Motion, plane, unit and distance codes are told
// by their row alone; every other code is kept in `codes`.
[[gnu::noinline]] void add_other_code(scanned_line& scan, char letter, const code_value& code,
                                      const code_info& info, group_codes& groups) {
    scan.held |= kind_bit(info.kind);
    scan.facts |= info.facts;
    if (info.group != NO_GROUP) {
        note_grouped(scan, info.group, code.tenths, groups);
    }
    constexpr kind_set TOLD_BY_ROW = kinds(code_kind::motion, code_kind::plane, code_kind::units,
                                           code_kind::absolute, code_kind::incremental);
    if (letter != 'G' || (kind_bit(info.kind) & TOLD_BY_ROW) == 0) {
        scan.codes.push_back(code_word_of(letter, code, info));
        return;
    }
    if (info.kind == code_kind::incremental) {
        scan.g91_digits.push_back(code.units_digit);
    }
    if (info.motion != motion_kind::none && scan.motion == motion_kind::none) {
        scan.motion = info.motion;
    }
    if (info.plane != work_plane::unknown) {
        scan.plane = info.plane;
    }
    if (info.unit != length_unit::unknown) {
        scan.unit = info.unit;
    }
}

// The common code, a move, inline; any other by `add_other_code`. A short
// code (one or two digits, `short_code_end`) is below CODE_LIMIT.
template <bool SHORT = false>
[[gnu::always_inline]] inline void add_code(scanned_line& scan, char letter, const code_value& code,
                                            group_codes& groups) {
    static_assert(99 * 10 < CODE_LIMIT, "every short code has a row");
    const motion_kind motion = letter != 'G' ? motion_kind::none
                               : SHORT ? detail::G_MOTION[static_cast<std::size_t>(code.tenths)]
                                       : g_motion(code.tenths);
    if (motion != motion_kind::none) [[likely]] {
        scan.held |= kind_bit(code_kind::motion);
        if (scan.motion == motion_kind::none) {
            scan.motion = motion;
        }
        note_grouped(scan, MOTION_GROUP, code.tenths, groups);
        return;
    }
    add_other_code(scan, letter, code, code_of(letter, code.tenths), groups);
}

// The axes and arc words a line names, and the axes it names again: kept
// apart from the scan while a line is read, so that they stay in registers.
struct named_words {
    std::uint16_t axes = 0;
    std::uint16_t repeated_axes = 0;
    std::uint8_t arcs = 0;
    unsigned dotted = 0;

    // Notes the word of `slot` (an arc word's axis bit falls away).
    void note(std::uint8_t slot) {
        const auto axis = static_cast<std::uint16_t>((1U << slot) & ALL_AXES);
        repeated_axes = static_cast<std::uint16_t>(repeated_axes | (axes & axis));
        axes = static_cast<std::uint16_t>(axes | axis);
        arcs = static_cast<std::uint8_t>(arcs | ((1U << slot) >> FIRST_ARC_SLOT));
    }
};

// Notes `axis` (one bit, or none) as named again when a number or a
// parameter named it before on the line.
void note_repeat(scanned_line& scan, std::uint16_t axis) {
    scan.repeated_axes |= static_cast<std::uint16_t>((scan.axes | scan.computed_axes) & axis);
}

// Notes the axis or arc word of `slot` in the scan; the first reading of a
// line (`first`) also notes an axis named again.
void note_axis_word(scanned_line& scan, std::uint8_t slot, bool first) {
    const auto axis = static_cast<std::uint16_t>((1U << slot) & ALL_AXES);
    if (first) {
        note_repeat(scan, axis);
    }
    scan.axes |= axis;
    scan.arcs |= static_cast<std::uint8_t>((1U << slot) >> FIRST_ARC_SLOT);
}

// Adds the axis or arc word whose letter (of `kind`) stands at `letter`,
// with its plain number; returns its slot.
[[gnu::always_inline]] inline std::uint8_t add_plain_word(scanned_line& scan, std::uint8_t kind,
                                                          std::size_t letter,
                                                          const plain_number& plain) {
    const auto slot = static_cast<std::uint8_t>(kind - FIRST_SLOT_KIND);
    const exact_number value = exact_of(plain);
    scan.words.push_back({letter, plain.end, value, slot, plain.point});
    return slot;
}

// Whether a word read now is kept in the first batch.
bool first_words_fit(const scanned_line& scan) {
    return scan.words.size() < WORD_BATCH;
}

// Notes the number text of a P, L or N word read in the first pass.
void note_other_word(scanned_line& scan, std::uint8_t kind, char c, std::size_t letter,
                     const word_number& number) {
    if (kind == N_LETTER) {
        if (scan.n_number.empty()) {
            scan.n_number = {number.begin, number.end};
        }
        return;
    }
    scan.letters |= 1U << (upper(c) - 'A');
    if (kind == P_LETTER && scan.p_number.empty()) {
        scan.p_number = {number.begin, number.end};
    } else if (kind == L_LETTER) {
        scan.l_value = exact_of(number);
        scan.l_begin = letter;
        scan.l_end = number.end;
    }
}

// Reads the line from `from`. The first pass (`first`) reads everything and
// keeps the first WORD_BATCH words; a later pass keeps the next batch of
// words and nothing else.
void read_line_part(const padded_line& line, std::size_t from, scanned_line& scan, bool first) {
    group_codes groups;
    bool first_word = first;  // nothing but an N word stood before
    std::size_t i = from;
    while (i < line.size()) {
        const char c = line[i];
        const std::uint8_t kind = CHAR_KINDS[static_cast<unsigned char>(c)];
        if (kind == PLAIN) {
            const auto byte = static_cast<unsigned char>(c);
            if ((byte < 0x20 && c != '\t') || byte == 0x7F) {
                scan.control_char = scan.control_char == 0 && first ? i + 1 : scan.control_char;
            }
            ++i;
            continue;
        }
        if (kind >= FIRST_SLOT_KIND && first_words_fit(scan)) {
            // The common word: an axis or arc letter and a plain number.
            plain_number plain;
            if (read_plain_number(line, i + 1, plain)) [[likely]] {
                const std::uint8_t slot = add_plain_word(scan, kind, i, plain);
                note_axis_word(scan, slot, first);
                scan.dotted_words = static_cast<std::uint8_t>(scan.dotted_words + plain.point);
                first_word = false;
                i = plain.end;
                continue;
            }
        } else if ((kind == G_LETTER || kind == M_LETTER) && first) {
            code_value code;
            const std::size_t end = short_code_end(line, i + 1, code);
            if (end != 0) [[likely]] {
                code.word = {i, end};
                add_code<true>(scan, upper(c), code, groups);
                first_word = false;
                i = end;
                continue;
            }
        }
        if (kind == N_LETTER || kind == OTHER_LETTER) {
            // A word whose value is not kept, with a plain number of any length.
            const std::size_t end = plain_number_end(line, i + 1);
            if (end != 0) [[likely]] {
                if (first) {
                    word_number number;
                    number.begin = i + 1;
                    number.end = end;
                    note_other_word(scan, kind, c, i, number);
                }
                first_word = first_word && kind == N_LETTER;
                i = end;
                continue;
            }
        }
        if (kind >= G_LETTER) {
            if (i + 1 < line.size() && is_letter(line[i + 1])) {
                const std::size_t end = after_letters(line, i);
                if (first) {
                    read_letter_run(line.text().substr(i, end - i), scan);
                }
                first_word = false;
                i = end;
                continue;
            }
            if (kind == O_LETTER && first_word) {
                const o_word_reading o_word = read_o_word(line, i, scan.scratch);
                if (o_word.kind != o_word_line::none) {
                    scan.o_word = o_word.kind;
                    scan.o_name = o_word.name;
                    scan.o_arguments = o_word.arguments;
                    scan.computed_code = scan.computed_code || o_word.computed;
                    return;  // nothing else on an O-word line is read
                }
            }
            const word_number number = read_word_number(line, i + 1, scan.scratch);
            if (number.end == 0 || !number.digit) {
                const std::size_t computed = computed_number_at(line, i + 1);
                if (computed != 0) {
                    if (first) {
                        if (kind >= FIRST_SLOT_KIND) {
                            const auto slot = static_cast<std::uint8_t>(kind - FIRST_SLOT_KIND);
                            const auto axis = static_cast<std::uint16_t>((1U << slot) & ALL_AXES);
                            note_repeat(scan, axis);
                            scan.computed_axes |= axis;
                        } else if (kind == G_LETTER || kind == M_LETTER) {
                            scan.computed_code = true;
                        } else if (kind == E_LETTER) {
                            scan.e_word = true;
                        }
                    }
                    first_word = false;
                    i = computed;  // the parameter or expression is read next
                    continue;
                }
                if (number.end == 0) {
                    ++i;  // a letter with no number text is no word
                    continue;
                }
            }
            if (number.malformed && first && scan.malformed.empty()) {
                scan.malformed = {i, number.end};
            }
            if (!number.digit || number.malformed) {
                i = number.end;  // no word: the line stops on its malformed number
                continue;
            }
            if (kind >= FIRST_SLOT_KIND) {
                const auto slot = static_cast<std::uint8_t>(kind - FIRST_SLOT_KIND);
                if (scan.words.size() < WORD_BATCH) {
                    const exact_number value = exact_of(number);
                    scan.words.push_back({i, number.end, value, slot, number.point});
                    scan.dotted_words = static_cast<std::uint8_t>(scan.dotted_words + number.point);
                } else if (scan.more_words == 0) {
                    scan.more_words = i;
                    if (!first) {
                        return;
                    }
                }
                note_axis_word(scan, slot, first);
            } else if (first) {
                if (kind == G_LETTER || kind == M_LETTER) {
                    code_value code = number.plain && number.parts.decimals <= 8
                                          ? plain_code(number.parts)
                                          : read_code(line, number);
                    code.word = {i, number.end};
                    add_code(scan, upper(c), code, groups);
                } else if (kind == E_LETTER) {
                    scan.e_word = true;
                } else if (kind == O_LETTER) {
                    if (first_word && scan.o_name.empty()) {
                        scan.o_name = {number.begin, number.end};  // a program number
                    }
                } else {
                    note_other_word(scan, kind, c, i, number);
                }
            }
            if (kind != N_LETTER) {
                first_word = false;
            }
            i = number.end;
            continue;
        }
        switch (kind) {
            case COMMENT:
                i = after_closing(line, i, ')');
                break;
            case QUOTE:
                i = after_closing(line, i, '"');
                break;
            case LINE_COMMENT:
            case LINE_END:
                return;
            case PARAMETER:
                scan.parameters = true;
                i = i + 1 < line.size() && line[i + 1] == '<' ? after_closing(line, i + 1, '>')
                                                              : i + 1;
                break;
            case EXPRESSION:
                scan.parameters = true;
                i = after_expression(line, i);
                break;
            case COMMA:
                // A corner word: its letter and number are parameters.
                i = i + 1 < line.size() && is_letter(line[i + 1]) ? i + 2 : i + 1;
                break;
            case SLASH:
                scan.block_delete = true;
                ++i;
                break;
            case COLON: {
                // A program number, as Fanuc-style controls write it (":1000").
                const word_number number = read_word_number(line, i + 1, scan.scratch);
                if (first && first_word && number.digit && !number.malformed) {
                    scan.o_name = {number.begin, number.end};
                }
                first_word = false;
                i = number.end == 0 ? i + 1 : number.end;
                break;
            }
            default: {  // POLAR
                const word_number number = read_word_number(line, i + 1, scan.scratch);
                scan.polar_word = scan.polar_word || number.digit;
                i = number.end == 0 ? i + 1 : number.end;
                break;
            }
        }
    }
}

// The common line, read in one small loop: blanks, codes of one or two
// digits, and axis, arc and other words with plain numbers (no L word), up to
// the newline. What it reads it records as `read_line_part` does; at
// anything else it returns false, and the line is read again from the start.
[[gnu::always_inline]] inline bool read_common_line(const padded_line& line, scanned_line& scan) {
    group_codes groups;
    named_words named;
    std::size_t i = 0;
    while (i < line.size()) {
        const char c = line[i];
        const std::uint8_t kind = CHAR_KINDS[static_cast<unsigned char>(c)];
        plain_number plain;
        if (kind >= FIRST_SLOT_KIND) {
            if (scan.words.size() == WORD_BATCH || !read_plain_number(line, i + 1, plain)) {
                return false;
            }
            const std::uint8_t slot = add_plain_word(scan, kind, i, plain);
            named.note(slot);
            named.dotted += static_cast<unsigned>(plain.point);
            i = plain.end;
        } else if (kind == G_LETTER || kind == M_LETTER) {
            code_value code;
            const std::size_t end = short_code_end(line, i + 1, code);
            if (end == 0) {
                return false;
            }
            code.word = {i, end};
            add_code<true>(scan, upper(c), code, groups);
            i = end;
        } else if (kind == PLAIN && is_blank(c)) {
            ++i;
        } else if (kind == LINE_END) {
            break;
        } else if (kind == OTHER_LETTER || kind == N_LETTER) {
            const std::size_t end = plain_number_end(line, i + 1);
            if (end == 0) {
                return false;
            }
            if (kind == OTHER_LETTER) {
                scan.letters |= 1U << (upper(c) - 'A');
            } else if (scan.n_number.empty()) {
                scan.n_number = {i + 1, end};
            }
            i = end;
        } else {
            return false;
        }
    }
    scan.axes = named.axes;
    scan.repeated_axes = named.repeated_axes;
    scan.arcs = named.arcs;
    scan.dotted_words = static_cast<std::uint8_t>(named.dotted);
    return true;
}

[[gnu::always_inline]] inline void clear_scan(scanned_line& scan) {
    scan.words.clear();
    scan.codes.clear();
    scan.held = 0;
    scan.axes = 0;
    scan.repeated_axes = 0;
    scan.arcs = 0;
    scan.dotted_words = 0;
    scan.motion = motion_kind::none;
    scan.g91_digits.clear();
    scan.plane = work_plane::unknown;
    scan.unit = length_unit::unknown;
    scan.facts = 0;
    scan.conflict_first = NO_CONFLICT;
    scan.conflict_second = NO_CONFLICT;
    scan.letters = 0;
    scan.n_number = {};
    if (scan.read_generally) [[unlikely]] {
        // What only the general reading records; the common line holds none
        // of it, and it stays clear until the general reading runs again.
        scan.more_words = 0;
        scan.computed_axes = 0;
        scan.l_value = {};
        scan.l_begin = 0;
        scan.l_end = 0;
        scan.p_number = {};
        scan.o_name = {};
        scan.o_arguments = false;
        scan.malformed = {};
        scan.control_char = 0;
        scan.e_word = false;
        scan.polar_word = false;
        scan.parameters = false;
        scan.computed_code = false;
        scan.block_delete = false;
        scan.flow_keyword = false;
        scan.jump_keyword = false;
        scan.o_word = o_word_line::none;
        scan.read_generally = false;
        scan.unusual_text = false;
    }
}

}  // namespace

void scan_line(const padded_line& line, scanned_line& scan) {
    clear_scan(scan);
    if (read_common_line(line, scan)) [[likely]] {
        return;
    }
    scan_line_generally(line, scan);
}

void scan_line_generally(const padded_line& line, scanned_line& scan) {
    clear_scan(scan);
    scan.read_generally = true;
    read_line_part(line, 0, scan, true);
    scan.axes |= scan.computed_axes;
    scan.unusual_text = scan.e_word || scan.polar_word || scan.parameters || scan.computed_code ||
                        scan.block_delete || scan.flow_keyword ||
                        scan.o_word != o_word_line::none || !scan.malformed.empty() ||
                        scan.control_char != 0;
}

namespace {

auto fields(const line_word& word) {
    return std::tie(word.begin, word.end, word.value, word.slot, word.point);
}

auto fields(const code_word& code) {
    return std::tie(code.letter, code.tenths, code.info, code.begin, code.end);
}

// A list of words or codes, compared item by item, field by field.
template <typename Item>
struct listed {
    const std::vector<Item>* items;

    bool operator==(const listed& other) const {
        return std::equal(items->begin(), items->end(), other.items->begin(), other.items->end(),
                          [](const Item& x, const Item& y) { return fields(x) == fields(y); });
    }
};

auto fields(const scanned_line& scan) {
    return std::tuple_cat(
        std::make_tuple(listed<line_word>{&scan.words}, listed<code_word>{&scan.codes}),
        std::tie(scan.more_words, scan.held, scan.axes, scan.computed_axes, scan.repeated_axes,
                 scan.arcs, scan.dotted_words, scan.g91_digits, scan.motion, scan.plane, scan.unit,
                 scan.facts, scan.conflict_first, scan.conflict_second, scan.letters, scan.l_value,
                 scan.l_begin, scan.l_end, scan.p_number, scan.n_number, scan.o_name,
                 scan.o_arguments, scan.malformed, scan.control_char, scan.e_word, scan.polar_word,
                 scan.parameters, scan.computed_code, scan.block_delete, scan.flow_keyword,
                 scan.jump_keyword, scan.o_word));
}

}  // namespace

bool same_reading(const scanned_line& a, const scanned_line& b) {
    return fields(a) == fields(b);
}

void scan_more_words(const padded_line& line, scanned_line& scan) {
    const std::size_t from = scan.more_words;
    scan.words.clear();
    scan.dotted_words = 0;
    scan.more_words = 0;
    read_line_part(line, from, scan, false);
}

}  // namespace g91to90
