#include "line_scan.hpp"

#include <array>
#include <cstring>

#include "number_input.hpp"

namespace g91to90 {

namespace {

// What a character starts in the code part.
enum char_kind : std::uint8_t {
    PLAIN,
    COMMENT,       // "("
    LINE_COMMENT,  // ";"
    LINE_END,      // the newline
    POLAR,         // "@", "^"
    G_LETTER,
    M_LETTER,
    E_LETTER,
    FIRST_SLOT_KIND,  // then an axis or arc word letter, its slot added
};

constexpr std::array<std::uint8_t, 256> make_kind_table() {
    std::array<std::uint8_t, 256> table{};
    table['('] = COMMENT;
    table[';'] = LINE_COMMENT;
    table['\n'] = LINE_END;
    table['@'] = POLAR;
    table['^'] = POLAR;
    const auto both_cases = [&table](char letter, std::uint8_t kind) {
        table[static_cast<unsigned char>(letter)] = kind;
        table[static_cast<unsigned char>(letter - 'A' + 'a')] = kind;
    };
    both_cases('G', G_LETTER);
    both_cases('M', M_LETTER);
    both_cases('E', E_LETTER);
    for (std::size_t slot = 0; slot < AXIS_LETTERS.size(); ++slot) {
        both_cases(AXIS_LETTERS[slot], static_cast<std::uint8_t>(FIRST_SLOT_KIND + slot));
    }
    constexpr std::string_view ARC_LETTERS = "IJKR";
    for (std::size_t arc = 0; arc < ARC_LETTERS.size(); ++arc) {
        both_cases(ARC_LETTERS[arc],
                   static_cast<std::uint8_t>(FIRST_SLOT_KIND + FIRST_ARC_SLOT + arc));
    }
    return table;
}
constexpr std::array<std::uint8_t, 256> CHAR_KINDS = make_kind_table();

std::size_t skip_blanks(std::string_view line, std::size_t at) {
    while (at < line.size() && is_blank(line[at])) {
        ++at;
    }
    return at;
}

// The number text of a word whose letter stands just before `at`.
struct number_span {
    std::size_t begin = 0;  // its first character, blanks after the letter skipped
    std::size_t end = 0;    // just after its last number character; 0 when there is none
    bool inner_blanks = false;
};

std::size_t skip_number_chars(std::string_view line, std::size_t at) {
    while (at < line.size() && number_char(line[at])) {
        ++at;
    }
    return at;
}

inline number_span read_word_number(std::string_view line, std::size_t at) {
    number_span span;
    span.begin = skip_blanks(line, at);
    std::size_t i = skip_number_chars(line, span.begin);
    if (i == span.begin) {
        return span;
    }
    span.end = i;
    // Blanks inside the number only before a digit or a point.
    while (i < line.size() && is_blank(line[i])) {
        const std::size_t next = skip_blanks(line, i);
        if (next == line.size() || !(is_digit(line[next]) || line[next] == '.')) {
            break;
        }
        span.inner_blanks = true;
        i = skip_number_chars(line, next);
        span.end = i;
    }
    return span;
}

bool holds_digit(std::string_view line, const number_span& span) {
    for (std::size_t i = span.begin; i < span.end; ++i) {
        if (is_digit(line[i])) {
            return true;
        }
    }
    return false;
}

// A code's exact decimal value in tenths, such as 910 for G91 or G091.0 and
// 921 for G92.1; OTHER_CODE for any value no rule names (G91.05, G-1, G1.2.3
// reads as G1.2), NO_CODE when the number text holds no digit.
constexpr int NO_CODE = -1;
constexpr int OTHER_CODE = -2;
constexpr int CODE_CAP = 100000;

struct code_value {
    int tenths = NO_CODE;
    std::size_t last_whole_digit = 0;  // where the units digit stands
};

code_value read_code(std::string_view line, const number_span& span) {
    code_value code;
    std::size_t i = span.begin;
    bool negative = false;
    if (line[i] == '-' || line[i] == '+') {
        negative = line[i] == '-';
        ++i;
    }
    int whole = 0;
    int tenths = 0;
    bool digit = false;
    bool exact = true;
    for (; i < span.end; ++i) {
        if (is_digit(line[i])) {
            whole = std::min(CODE_CAP, whole * 10 + (line[i] - '0'));
            code.last_whole_digit = i;
            digit = true;
        } else if (!is_blank(line[i])) {
            break;
        }
    }
    if (i < span.end && line[i] == '.') {
        int places = 0;
        for (++i; i < span.end; ++i) {
            if (is_digit(line[i])) {
                digit = true;
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
    if (!digit) {
        return code;
    }
    const bool zero = whole == 0 && tenths == 0;
    code.tenths =
        !exact || whole >= CODE_CAP || (negative && !zero) ? OTHER_CODE : whole * 10 + tenths;
    return code;
}

// The code of a plain number text with at most one decimal, as `read_code`
// reads it.
code_value plain_code(const plain_number& number) {
    const bool tenth = number.decimals == 1;
    const std::uint64_t whole = tenth ? number.digits / 10 : number.digits;
    const std::uint64_t tenths = tenth ? number.digits % 10 : 0;
    code_value code;
    code.last_whole_digit = number.end - (tenth ? 3 : 1);
    const bool zero = whole == 0 && tenths == 0;
    code.tenths = whole >= CODE_CAP || (number.negative && !zero)
                      ? OTHER_CODE
                      : static_cast<int>(whole * 10 + tenths);
    return code;
}

void add_g_code(scanned_line& scan, const code_value& code) {
    const int value = code.tenths;
    switch (value) {
        case 0:
        case 10:
        case 20:
        case 30:
            scan.codes |= CODE_MOTION;
            return;
        case 40:
            scan.codes |= CODE_DWELL;
            return;
        case 100:
            scan.codes |= CODE_DATA_SETTING;
            return;
        case 170:
        case 180:
        case 190:
            scan.plane = value / 10;
            return;
        case 200:
        case 210:
            scan.unit = value / 10;
            return;
        case 280:
        case 300:
            scan.codes |= CODE_RETURN;
            return;
        case 520:
            scan.codes |= CODE_LOCAL_SHIFT;
            return;
        case 650:
            scan.codes |= CODE_CALL;
            return;
        case 660:
            scan.codes |= CODE_CALL | CODE_MODAL_CALL;
            return;
        case 670:
            scan.codes |= CODE_MODAL_CALL_CANCEL;
            return;
        case 730:
        case 740:
        case 760:
            scan.codes |= CODE_CANNED_CYCLE;
            return;
        case 800:
            scan.codes |= CODE_CYCLE_CANCEL;
            return;
        case 900:
            scan.codes |= CODE_ABSOLUTE;
            return;
        case 910:
            scan.codes |= CODE_INCREMENTAL;
            if (scan.g91_digit == std::string_view::npos) {
                scan.g91_digit = code.last_whole_digit;
            }
            return;
        case 920:
            scan.codes |= CODE_SET_ORIGIN;
            return;
        case 921:
        case 922:
        case 923:
            scan.codes |= CODE_CANCEL_ORIGIN;
            return;
        default:
            break;
    }
    if (value >= 810 && value <= 890 && value % 10 == 0) {
        scan.codes |= CODE_CANNED_CYCLE;
    } else if (value >= 530 && value < 540) {
        scan.codes |= CODE_MACHINE_COORDINATES;
    } else if (value >= 540 && value < 600) {
        scan.codes |= CODE_COORDINATE_SYSTEM;
    }
}

void add_m_code(scanned_line& scan, const code_value& code) {
    switch (code.tenths) {
        case 980:
            scan.codes |= CODE_CALL;
            break;
        case 700:
        case 730:
            scan.codes |= CODE_SAVE_MODE;
            break;
        case 720:
            scan.codes |= CODE_RESTORE_MODE;
            break;
        default:
            break;
    }
}

// The index after a comment that opens at `open`: past its first ")", or the
// line's end.
std::size_t after_comment(std::string_view line, std::size_t open) {
    const void* close = std::memchr(line.data() + open + 1, ')', line.size() - open - 1);
    return close == nullptr
               ? line.size()
               : static_cast<std::size_t>(static_cast<const char*>(close) - line.data()) + 1;
}

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

// Only a line whose first character after its blanks is "O" or a comment
// can be an O-word line.
bool may_begin_with_o_word(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && is_blank(line[i])) {
        ++i;
    }
    return i < line.size() && (line[i] == '(' || (line[i] | 0x20) == 'o');
}

// An O-word line: the code part begins with "O" and a number or a <name>,
// then (after blanks) one of the keywords of subroutines and flow control.
o_word_line read_o_word(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (is_blank(line[i]) || line[i] == '(')) {
        i = line[i] == '(' ? after_comment(line, i) : i + 1;
    }
    if (i == line.size() || (line[i] | 0x20) != 'o') {
        return o_word_line::none;
    }
    std::size_t after = skip_blanks(line, i + 1);
    if (after < line.size() && line[after] == '<') {
        const std::size_t close = line.find('>', after);
        if (close == std::string_view::npos) {
            return o_word_line::none;
        }
        after = close + 1;
    } else {
        const number_span number = read_word_number(line, i + 1);
        if (!holds_digit(line, number)) {
            return o_word_line::none;
        }
        after = number.end;
    }
    const std::string_view rest = line.substr(skip_blanks(line, after));
    if (starts_with_keyword(rest, "call")) {
        return o_word_line::call;
    }
    for (const std::string_view keyword :
         {"sub", "endsub", "return", "if", "elseif", "else", "endif", "while", "endwhile", "do",
          "repeat", "endrepeat", "break", "continue"}) {
        if (starts_with_keyword(rest, keyword)) {
            return o_word_line::control;
        }
    }
    return o_word_line::none;
}

// Keeps the number text of a word; one with inner blanks is copied without them.
std::string_view number_text(std::string_view line, const number_span& span, std::string& scratch) {
    const std::string_view raw = line.substr(span.begin, span.end - span.begin);
    if (!span.inner_blanks) {
        return raw;
    }
    if (scratch.capacity() < line.size()) {
        // Reserved once for the whole line, so earlier views stay valid.
        scratch.reserve(line.size());
    }
    const std::size_t start = scratch.size();
    for (const char c : raw) {
        if (!is_blank(c)) {
            scratch.push_back(c);
        }
    }
    return std::string_view(scratch).substr(start);
}

}  // namespace

void scan_line(std::string_view line, scanned_line& scan) {
    scan.words.clear();
    scan.codes = 0;
    scan.axes = 0;
    scan.g91_digit = std::string_view::npos;
    scan.plane = 0;
    scan.unit = 0;
    scan.e_word = false;
    scan.polar_word = false;
    scan.scratch.clear();
    scan.o_word = may_begin_with_o_word(line) ? read_o_word(line) : o_word_line::none;
    if (scan.o_word != o_word_line::none) {
        return;
    }
    std::size_t i = 0;
    plain_number plain;
    while (i < line.size()) {
        const std::uint8_t kind = CHAR_KINDS[static_cast<unsigned char>(line[i])];
        if (kind == PLAIN) {
            ++i;
            continue;
        }
        if (kind >= FIRST_SLOT_KIND) {
            const auto slot = static_cast<std::uint8_t>(kind - FIRST_SLOT_KIND);
            std::size_t end = 0;
            if (read_plain_number(line, i + 1, plain)) {
                end = plain.end;
                scan.words.push_back({i, end, std::string_view(line.data() + i + 1, end - i - 1),
                                      plain_number_value(plain), slot});
            } else {
                const number_span number = read_word_number(line, i + 1);
                if (number.end == 0) {
                    ++i;  // a letter with no number text is no word
                    continue;
                }
                end = number.end;
                const std::string_view text = number_text(line, number, scan.scratch);
                scan.words.push_back({i, end, text, number_value(text), slot});
            }
            // An axis's bit; an arc word's lies past the axes and falls away.
            scan.axes |= static_cast<std::uint16_t>((1U << slot) & ALL_AXES);
            i = end;
            continue;
        }
        if (kind == COMMENT) {
            i = after_comment(line, i);
            continue;
        }
        if (kind == LINE_COMMENT || kind == LINE_END) {
            return;
        }
        if (kind == G_LETTER || kind == M_LETTER) {
            code_value code;
            std::size_t end = 0;
            if (read_plain_number(line, i + 1, plain) && plain.decimals <= 1) {
                code = plain_code(plain);
                end = plain.end;
            } else {
                const number_span number = read_word_number(line, i + 1);
                if (number.end == 0) {
                    ++i;  // a letter with no number text is no word
                    continue;
                }
                code = read_code(line, number);
                end = number.end;
            }
            if (kind == G_LETTER) {
                add_g_code(scan, code);
            } else {
                add_m_code(scan, code);
            }
            i = end;
            continue;
        }
        const number_span number = read_word_number(line, i + 1);
        if (number.end == 0) {
            ++i;  // a letter with no number text is no word
            continue;
        }
        if (kind == POLAR) {
            scan.polar_word = scan.polar_word || holds_digit(line, number);
        } else {
            scan.e_word = true;
        }
        i = number.end;
    }
}

}  // namespace g91to90
