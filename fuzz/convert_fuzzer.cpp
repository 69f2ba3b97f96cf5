// Fuzz target: the whole conversion in memory on arbitrary bytes, checking
// what must hold for every input, not only that nothing crashes.
#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "convert/call_expansion.hpp"
#include "convert/convert.hpp"
#include "convert/exact_number.hpp"
#include "convert/line_scan.hpp"
#include "convert/messages.hpp"
#include "convert/number_output.hpp"
#include "convert/toolpath_svg.hpp"
#include "framing.hpp"

namespace {

using namespace g91to90;

struct run_result {
    std::string output;
    std::string console;
    int status = 0;
    bool too_long = false;  // the output outgrew what a run here may write
};

// An in-memory output that takes at most OUTPUT_LIMIT bytes: a few lines of
// large repeat counts would otherwise write gigabytes, which tells nothing.
constexpr std::size_t OUTPUT_LIMIT = std::size_t{16} << 20;
class bounded_output : public std::stringbuf {
  public:
    bool too_long = false;

  protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        written_ += static_cast<std::size_t>(count);
        if (written_ > OUTPUT_LIMIT) {
            too_long = true;
            return 0;
        }
        return std::stringbuf::xsputn(bytes, count);
    }

  private:
    std::size_t written_ = 0;
};

void check_toolpath(const toolpath& path);

// Small blocks (`block_bias` picks their sizes) make lines run across block
// ends and the output flush often.
// With `expand`, calls are written out in place, and every file beside the
// input holds the input itself.
run_result convert_in_memory(const std::string& program, const std::string& answers,
                             std::size_t block_bias, const number_format& format = {},
                             bool expand = false) {
    std::stringbuf input(program);
    bounded_output output;
    std::istringstream console_in(answers);
    std::ostringstream console_out;
    const bool small = block_bias % 2 == 1;
    line_reader in(input, "in", small ? 1 + block_bias % 61 : IO_BLOCK_SIZE);
    line_writer out(output, small ? WORD_CAPACITY + 1 + block_bias % 53 : IO_BLOCK_SIZE);
    const ask_function ask = [&](std::string_view prompt) {
        console_out << prompt;
        std::string token;
        if (!(console_in >> token)) {
            return std::optional<std::string>();
        }
        return std::optional<std::string>(token);
    };
    run_result result;
    // Every third run also follows the toolpath, as --check and --preview do,
    // keeping a few moves for a picture.
    std::optional<toolpath> path;
    if (block_bias % 3 == 0) {
        path.emplace(block_bias % 5);
    }
    try {
        if (expand) {
            const called_files beside{".nc", [&program](const std::string&) {
                                          return std::optional<std::string>(program);
                                      }};
            convert_expanded_program(in, out, {.given = {}, .ask = ask}, format, beside,
                                     path ? &*path : nullptr);
        } else {
            convert_program(in, out, {.given = {}, .ask = ask}, format, path ? &*path : nullptr);
        }
        if (path) {
            check_toolpath(*path);
        }
    } catch (const conversion_stop& stop) {
        const g91to90::stop stopped = stop_of(stop);
        result.status = stopped.status;
        console_out << stopped.message;
    }
    try {
        out.flush();
    } catch (const conversion_stop&) {
        // Only a bounded output fails: marked below.
    }
    result.output = output.str();
    result.console = console_out.str();
    result.too_long = output.too_long;
    return result;
}

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

std::size_t count_of(std::string_view text, std::string_view part) {
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string_view::npos;
         at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// A followed toolpath: no more kept than moved, ordered extents, and a
// picture that is whole.
void check_toolpath(const toolpath& path) {
    require(path.drawn().size() <= path.moves(), "no more moves drawn than made");
    for (const extent& range : path.extents()) {
        require(!range.seen || range.low <= range.high, "extents are ordered");
    }
    std::ostringstream picture;
    write_svg(picture, path, "in & <out>");
    require(picture.str().ends_with("</svg>\n"), "the picture is whole");
    require(count_of(picture.str(), "<path") == path.drawn().size(), "one path per drawn move");
}

// The input's lines as the converter reads them, without their line ends: a
// line ends at LF, CR LF or a lone CR; the input ends at a Ctrl-Z when
// `to_ctrl_z` (what follows it then is no program).
std::vector<std::string> input_lines(const std::string& program, bool to_ctrl_z = true) {
    std::vector<std::string> lines;
    const std::string text = to_ctrl_z ? program.substr(0, program.find('\x1a')) : program;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' || text[i] == '\r') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
        } else {
            line.push_back(text[i]);
        }
    }
    if (!line.empty()) {
        lines.push_back(line);
    }
    return lines;
}

// Whether "#", "[" or "=" stands in the line outside comments and quoted strings.
bool holds_parameter(const std::string& line) {
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == ';') {
            return false;
        }
        if (line[i] == '(' || line[i] == '"') {
            const std::size_t close = line.find(line[i] == '(' ? ')' : '"', i + 1);
            if (close == std::string::npos) {
                return false;
            }
            i = close;
        } else if (line[i] == '#' || line[i] == '[' || line[i] == '=') {
            return true;
        }
    }
    return false;
}

// A line with a parameter or an expression is never changed: it comes out
// whole, as a line of its own.
void check_parameter_lines_kept(const std::string& program, const std::string& output) {
    const std::string framed = "\r\n" + output;
    for (const std::string& line : input_lines(program)) {
        if (line.size() >= 2 && holds_parameter(line) && line.find('\0') == std::string::npos) {
            const bool whole_line = framed.find("\r\n" + line + "\r\n") != std::string::npos ||
                                    framed.ends_with("\r\n" + line);
            require(whole_line, "a parameter line is copied unchanged");
        }
    }
}

// Every comment, in parentheses, after ";" or in quotes, comes out unchanged
// and in order.
void check_comments_kept(const std::string& program, const std::string& output) {
    std::size_t from = 0;
    for (const std::string& line : input_lines(program)) {
        if (line.size() < 2) {
            continue;  // a last line of one character is left out
        }
        std::size_t at = 0;
        while (at < line.size()) {
            std::size_t end = at;
            if (line[at] == '(' || line[at] == '"') {
                // A quoted string is read as a comment, and kept as one.
                const char close = line[at] == '(' ? ')' : '"';
                end = std::min(line.find(close, at + 1), line.size() - 1) + 1;
            } else if (line[at] == ';') {
                end = line.size();
            } else {
                ++at;
                continue;
            }
            const std::string comment = line.substr(at, end - at);
            const std::size_t found = output.find(comment, from);
            require(found != std::string::npos, "comments come out unchanged");
            from = found + comment.size();
            at = end;
        }
    }
}

// The line a stop names, 0 when there is none.
unsigned long stopped_line(const std::string& console) {
    const std::size_t at = console.find("ERROR: line ");
    if (at != std::string::npos) {
        return std::strtoul(console.c_str() + at + 12, nullptr, 10);
    }
    // A mode line's warning names the line at the start of its second line.
    const std::size_t warned = console.find("\nline ");
    return warned == std::string::npos ? 0
                                       : std::strtoul(console.c_str() + warned + 6, nullptr, 10);
}

// A stop message names a line of the input.
void check_named_line_exists(const std::string& program, const std::string& console) {
    const unsigned long number = stopped_line(console);
    require(console.find("ERROR: line ") == std::string::npos ||
                (number >= 1 && number <= input_lines(program, false).size()),
            "a stop names a line that exists");
}

// The text without the characters `drop` picks.
template <typename Pick>
std::string without(const std::string& text, Pick drop) {
    std::string kept;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!drop(text, i)) {
            kept.push_back(text[i]);
        }
    }
    return kept;
}

// How numbers without a point are read in a run: most runs leave it unknown.
integer_reading reading_of(std::size_t bits) {
    return bits % 4 == 1   ? integer_reading::units
           : bits % 4 == 2 ? integer_reading::increments
                           : integer_reading::unknown;
}

// The number format changes the digits and points of rewritten numbers only;
// the decimal point alone only adds points after whole numbers, but where
// whole numbers count increments (it then writes them in millimetres or
// inches). While their reading is unknown, the decimal point may stop a run
// on a number without a point, no later than the run without it stops.
void check_number_formats(const std::string& program, const std::string& answers,
                          const run_result& plain, std::size_t variant, integer_reading reading) {
    const number_format format{.decimals = (variant & 1) != 0 ? 5 : 0,
                               .decimal_point = (variant & 2) != 0,
                               .integers = reading};
    const run_result formatted = convert_in_memory(program, answers, 0, format);
    if (formatted.too_long) {
        return;  // more places or points made it outgrow the limit
    }
    if (format.decimal_point && reading == integer_reading::unknown &&
        formatted.console.find("--decimal-point would put a point on") != std::string::npos) {
        require(formatted.status == STATUS_FAILURE, "a stop for the decimal point fails");
        // A run without it that ended at a prompt (the console ended) names
        // no line: it asked at a line the message does not tell. One that
        // found no mode line in a program stopped at the input's end.
        const bool ended_at_prompt = plain.status != 0 && stopped_line(plain.console) == 0 &&
                                     plain.console.find("INPUT START-") != std::string::npos;
        const bool ended_at_end =
            plain.console.find("no G90, G91 or G92 line") != std::string::npos;
        require(plain.status == 0 || ended_at_prompt || ended_at_end ||
                    stopped_line(plain.console) >= stopped_line(formatted.console),
                "the decimal point stops no later than the run without it");
        return;
    }
    require(formatted.status == plain.status, "same status in any number format");
    require(formatted.console == plain.console, "same console in any number format");
    // A sign too: a value that rounds to zero at fewer places is written
    // without one (Y-0.00004 at five places, Y0. at four).
    const auto digit_or_point = [](const std::string& text, std::size_t i) {
        return (text[i] >= '0' && text[i] <= '9') || text[i] == '.' || text[i] == '-';
    };
    require(without(formatted.output, digit_or_point) == without(plain.output, digit_or_point),
            "a number format changes digits, points and the signs of zeros only");
    if (format.decimals == 0 && reading != integer_reading::increments) {
        const auto trailing_point = [](const std::string& text, std::size_t i) {
            return text[i] == '.' &&
                   (i + 1 == text.size() || text[i + 1] < '0' || text[i + 1] > '9');
        };
        require(without(formatted.output, trailing_point) == without(plain.output, trailing_point),
                "the decimal point only adds points after whole numbers");
    }
}

// Any input, its numbers without a point read as `block_bias` picks.
void check_any_input(const std::string& program, const std::string& answers,
                     std::size_t block_bias) {
    const number_format format{.integers = reading_of(block_bias >> 6)};
    const run_result result = convert_in_memory(program, answers, block_bias, format);
    if (result.too_long) {
        return;
    }
    if ((block_bias & 6) != 0) {
        check_number_formats(program, answers, result, (block_bias >> 1) & 3, format.integers);
    }
    // Block sizes never change what is written.
    if (block_bias % 2 == 1) {
        const run_result whole_blocks = convert_in_memory(program, answers, 0, format);
        require(result.output == whole_blocks.output, "same output with any block size");
        require(result.console == whole_blocks.console, "same console with any block size");
        require(result.status == whole_blocks.status, "same status with any block size");
    }
    require(result.status == STATUS_SUCCESS || result.status == STATUS_FAILURE, "status is 0 or 1");
    for (std::size_t i = 0; i < result.output.size(); ++i) {
        if (result.output[i] == '\n') {
            require(i > 0 && result.output[i - 1] == '\r', "every newline is CR LF");
        }
    }
    // The converter writes digits, signs and points only; any "inf" or "nan"
    // in the output must have been copied from the input.
    for (const std::string_view word : {"inf", "nan", "INF", "NAN"}) {
        require(count_of(result.output, word) <= count_of(program, word), "no inf or nan written");
    }
    if (result.status == 0) {
        require(result.console.find("ERROR") == std::string::npos, "no error on success");
        check_comments_kept(program, result.output);
        check_parameter_lines_kept(program, result.output);
    }
    check_named_line_exists(program, result.console);
}

// The digits of a number text the scan found, without blanks and leading
// zeros; empty when it holds anything else.
std::string scanned_digits(const std::string& text, text_span span) {
    std::string digits;
    for (std::size_t i = span.begin; i < span.end; ++i) {
        if (text[i] >= '0' && text[i] <= '9') {
            digits += text[i];
        } else if (text[i] != ' ' && text[i] != '\t') {
            return {};
        }
    }
    return digits;
}

std::string without_zeros(const std::string& digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? digits.substr(0, 1) : digits.substr(first);
}

// A call's comment line, "(CALL O1000 2/3)", against the scan of its call
// line: the label its P names (or its o-word name) and the count its L or K
// gives, or, without them, a P that packs the count before four digits.
void check_call_comment(const std::string& comment, const std::string& text,
                        const scanned_line& scan) {
    const std::size_t blank = comment.rfind(' ');
    const std::size_t slash = comment.find('/', blank);
    require(comment.starts_with("(CALL ") && blank > 6 && slash != std::string::npos &&
                comment.ends_with(")") && comment.find(')') + 1 == comment.size(),
            "a call's comment line names it, as one comment");
    const std::string label = comment.substr(6, blank - 6);
    const std::uint64_t repeat = std::stoull(comment.substr(blank + 1, slash - blank - 1));
    const std::uint64_t count = std::stoull(comment.substr(slash + 1));
    require(repeat >= 1 && repeat <= count, "a call's repeats count from 1 to its count");
    if (scan.o_word == o_word_line::call) {
        require(label.starts_with("o") && count == 1, "an o-word call runs once");
        return;
    }
    const auto has_m = [&](int tenths) {
        return std::any_of(scan.codes.begin(), scan.codes.end(), [&](const code_word& code) {
            return code.letter == 'M' && code.tenths == tenths;
        });
    };
    const std::string p = scanned_digits(text, scan.p_number);
    const auto k = std::find_if(scan.words.begin(), scan.words.end(),
                                [](const line_word& word) { return word.slot == K_SLOT; });
    const auto times = static_cast<std::int64_t>(count) * BILLION;
    if (scan.l_end != 0 || k != scan.words.end()) {
        require((scan.l_end != 0 ? scan.l_value : k->value).billionths == times,
                "a call runs as often as its L or K says");
    }
    if (!has_m(980)) {
        require(label == "N" + without_zeros(p), "M97 runs from the line its P names");
        return;
    }
    const std::string number = label.substr(1);
    const bool named =
        label == "O" + without_zeros(p) && (scan.l_end != 0 || k != scan.words.end() || count == 1);
    const bool packed = scan.l_end == 0 && k == scan.words.end() && p.size() > 4 &&
                        without_zeros(p.substr(0, p.size() - 4)) == std::to_string(count) &&
                        without_zeros(p.substr(p.size() - 4)) == number;
    require(named || packed, "M98 runs the program its P names");
}

// The expander reads the words the converter reads: a line it gives in place
// of the line it names is a call's comment, where the scan of that line
// finds M98, M97 or an o-word call; every other line it gives is its own and
// no call. The call level rises by one after a call's comment and falls by
// the returns before a line. Every file beside holds the input itself.
void check_expanded_lines(const std::string& program) {
    // A byte-order mark is left out of a called file.
    constexpr std::string_view MARK = "\xEF\xBB\xBF";
    const auto own_text = [&](std::string text) {
        if (text.starts_with(MARK)) {
            text.erase(0, MARK.size());
        }
        if (text.ends_with('\n')) {
            text.pop_back();
        }
        return text;
    };
    const std::vector<std::string> source = input_lines(program);
    std::stringbuf input(program);
    line_reader in(input, "in");
    const file_finder beside = [&program](const std::string&) {
        return std::optional<std::string>(program);
    };
    try {
        expanded_lines lines(in, ".nc", beside, 20000);
        scanned_line scan;
        padded_line line;
        int level = 0;
        bool after_call = false;
        while (lines.next(line)) {
            require(lines.call_level() ==
                        level + (after_call ? 1 : 0) - static_cast<int>(lines.returns_before()),
                    "call levels follow calls and returns");
            level = lines.call_level();
            const std::uint64_t number = lines.line_number() & LINE_MASK;
            require(number >= 1 && number <= source.size(), "a line given names a line");
            const std::string text = own_text(source[number - 1]);
            const std::string given = own_text(std::string(line.text()));
            std::string padded = text + "\n";
            padded.append(LINE_PADDING, '\0');
            scan_line(padded_line::assume_padded(std::string_view(padded.data(), text.size() + 1)),
                      scan);
            // A line given otherwise than it stands is a call's comment, or
            // the modes of a return without its M99 word.
            const bool calls =
                scan.o_word == o_word_line::call ? !scan.computed_code : scan.has(EXPANDABLE_CALL);
            const bool returns = !calls && scan.has(SUBPROGRAM_RETURN);
            after_call = given != text && !returns;
            require(!returns || given == text || given.size() < text.size(),
                    "a return's modes are its line without the return");
            require(calls == after_call, "the expander's calls are the scan's");
            if (after_call) {
                check_call_comment(std::string(line.text().substr(0, line.size() - 1)), padded,
                                   scan);
            }
        }
    } catch (const conversion_stop&) {
        // A stop ends the lines given; what came before was checked.
    }
}

// Calls written out in place: the same rules for every written line, and a
// program without calls, returns or ends converted as without the option.
void check_expanded_input(const std::string& program, const std::string& answers,
                          std::size_t block_bias) {
    check_expanded_lines(program);
    const run_result result = convert_in_memory(program, answers, block_bias, {}, true);
    if (result.too_long) {
        return;
    }
    require(result.status == STATUS_SUCCESS || result.status == STATUS_FAILURE, "status is 0 or 1");
    for (std::size_t i = 0; i < result.output.size(); ++i) {
        if (result.output[i] == '\n') {
            require(i > 0 && result.output[i - 1] == '\r', "every newline is CR LF");
        }
    }
    if (result.status == 0) {
        require(result.console.find("ERROR") == std::string::npos, "no error on success");
    }
    check_named_line_exists(program, result.console);
    std::string folded = program;
    std::transform(folded.begin(), folded.end(), folded.begin(), [](char c) {
        return static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    });
    for (const std::string_view mark : {"M", "O", ":", "CALL", "\x1a"}) {
        if (folded.find(mark) != std::string::npos) {
            return;
        }
    }
    const run_result plain = convert_in_memory(program, answers, block_bias);
    if (!plain.too_long) {
        require(result.output == plain.output, "no call: the same output");
        require(result.console == plain.console, "no call: the same console");
        require(result.status == plain.status, "no call: the same status");
    }
}

// Whether a word's number text is a plain decimal: an optional sign, then
// digits with at most one point, and one digit at least.
bool plain_decimal(std::string_view text) {
    std::size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool digit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        if (text[i] == '.' && !point) {
            point = true;
        } else if (text[i] >= '0' && text[i] <= '9') {
            digit = true;
        } else {
            return false;
        }
    }
    return digit;
}

// A program with a G92 line and only absolute motion lines keeps its values,
// to the sixth place. It stops at the first line whose number is no number,
// naming that line and its word, or at one of a billion or more.
void check_absolute_program(const std::uint8_t* data, std::size_t size) {
    std::string program = "G92 X0 Y0 Z0\nG90\n";
    std::vector<std::string> numbers;
    std::string number;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = "0123456789.-"[data[i] % 12];
        number.push_back(c);
        if (data[i] >= 240 || number.size() == 40 || i + 1 == size) {
            program += "G01 X" + number + "\n";
            numbers.push_back(number);
            number.clear();
        }
    }
    const run_result result = convert_in_memory(program, "", 0);
    // The lines that must be written: those before the stop, if any.
    std::size_t kept = numbers.size();
    for (std::size_t k = 0; k < numbers.size(); ++k) {
        const std::string line = "line " + std::to_string(k + 3) + ": ";
        if (!plain_decimal(numbers[k])) {
            require(
                result.status == STATUS_FAILURE &&
                    result.console == "\nERROR: " + line + "X" + numbers[k] + " is not a number\n",
                "a number that is no number stops, naming its line and word");
            kept = k;
            break;
        }
        const double magnitude = std::fabs(std::strtod(numbers[k].c_str(), nullptr));
        if (magnitude >= 1e9 + 1) {
            require(result.status == STATUS_FAILURE &&
                        result.console == "\nERROR: " + line + "number out of range\n",
                    "a billion or more stops, naming its line");
            kept = k;
            break;
        }
        if (magnitude >= 1e9 - 1) {
            return;  // a billion or just below it: reading as doubles cannot tell
        }
    }
    if (kept == numbers.size()) {
        require(result.status == 0, "absolute program converts");
    }
    std::istringstream written_lines(result.output);
    std::string line;
    std::getline(written_lines, line);  // G92
    std::getline(written_lines, line);  // G90
    for (std::size_t k = 0; k < kept; ++k) {
        require(static_cast<bool>(std::getline(written_lines, line)), "every line written");
        require(line.rfind("G01 X", 0) == 0, "line kept its shape");
        const double expected = std::strtod(numbers[k].c_str(), nullptr);
        const double written = std::strtod(line.c_str() + 5, nullptr);
        // Half of the sixth place, and what reading both texts as doubles may take.
        const double tolerance = 5e-7 + std::fabs(expected) * 3e-16;
        require(std::fabs(written - expected) <= tolerance, "absolute value unchanged");
    }
}

// The running sum of an axis, in millionths, written as the number rules
// say: at least three places, more where the sum needs them (its words have
// at most six); a whole sum without places, with a point when the line's
// word had one; no sign on zero.
std::string expected_word(char letter, std::int64_t millionths, bool point) {
    const std::uint64_t magnitude =
        static_cast<std::uint64_t>(millionths < 0 ? -millionths : millionths);
    std::string text(1, letter);
    if (millionths < 0) {
        text += '-';
    }
    text += std::to_string(magnitude / 1000000);
    const std::uint64_t fraction = magnitude % 1000000;
    if (fraction == 0) {
        return text + (point ? "." : "");
    }
    std::string places = std::to_string(fraction);
    places.insert(0, 6 - places.size(), '0');
    while (places.size() > 3 && places.back() == '0') {
        places.pop_back();
    }
    return text + "." + places;
}

// A program of incremental moves with 0 to 6 places, with and without
// points, read as millimetres, writes each axis word at the exact running
// sum of its increments.
void check_incremental_program(const std::uint8_t* data, std::size_t size) {
    std::string program = "G92 X0 Y0 Z0\nG91\n";
    std::vector<std::string> expected;  // each line as written
    std::int64_t sums[3] = {0, 0, 0};
    std::size_t i = 0;
    const auto next_byte = [&] { return i < size ? data[i++] : std::uint8_t{0}; };
    while (i < size) {
        const std::uint8_t shape = next_byte();
        const std::string separator = (shape & 0x80) != 0 ? " " : "";
        std::string line = (shape & 0x40) != 0 ? "G1" : "";
        std::string written = line.empty() ? "" : "G1";
        for (int axis = 0; axis < 3; ++axis) {
            if ((shape % 7 + 1) & (1U << axis)) {
                const std::uint8_t form = next_byte();
                const bool negative = (form & 1) != 0;
                const int places = form / 32 % 7;
                const int whole = places == 0 ? 1 + (form >> 2) % 5 : (form >> 2) % 6;
                const bool point = places > 0 || (form & 2) != 0;
                std::string number = negative ? "-" : "";
                std::int64_t millionths = 0;
                for (int digit = 0; digit < whole + places; ++digit) {
                    if (digit == whole) {
                        number += '.';
                    }
                    const int value = next_byte() % 10;
                    number += static_cast<char>('0' + value);
                    millionths = millionths * 10 + value;
                }
                if (places == 0 && point) {
                    number += '.';
                }
                for (int place = places; place < 6; ++place) {
                    millionths *= 10;
                }
                sums[axis] += negative ? -millionths : millionths;
                const char letter = "XYZ"[axis];
                line += separator + letter + number;
                written += separator + expected_word(letter, sums[axis], point);
            }
        }
        program += line + "\n";
        expected.push_back(written);
    }
    // Numbers without a point read as millimetres: each word keeps its spelling.
    const run_result result =
        convert_in_memory(program, "", 0, {.integers = integer_reading::units});
    require(result.status == 0, "incremental program converts");
    std::istringstream written_lines(result.output);
    std::string line;
    std::getline(written_lines, line);  // G92
    std::getline(written_lines, line);  // G90
    for (const std::string& written : expected) {
        require(static_cast<bool>(std::getline(written_lines, line)), "every move written");
        require(line == written + "\r", "each axis written at the exact sum of its increments");
    }
}

// Programs of numbers with and without a point, read as controls read them.
// A number with a point means millimetres or inches on every control; one
// without means them on some and least increments (0.001 mm under G21,
// 0.0001 inch under G20) on others; a zero is zero on all. Under every
// reading its conversion allows, a converted program must reach the
// positions its input reaches under that reading. This model reads both
// programs itself, in billionths of the unit.

constexpr std::int64_t UNIT_BILLIONTHS = 1'000'000'000;

// How a control reads a number without a point: the billionths of the unit
// it counts, or AS_UNITS for millimetres or inches.
constexpr std::int64_t AS_UNITS = 0;
constexpr std::int64_t increment_of(int unit) {
    return unit == 21 ? 1'000'000 : 100'000;
}

// A number text's value as a control reads it, in billionths of the unit;
// nullopt for anything but a sign, then digits with at most one point (at
// most nine whole digits after leading zeros, and nine places).
std::optional<std::int64_t> control_value(std::string_view text, std::int64_t increment) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    std::int64_t whole = 0;
    std::int64_t fraction = 0;
    int whole_digits = 0;
    int places = 0;
    bool digit = false;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        digit = true;
        if (point) {
            if (++places > 9) {
                return std::nullopt;
            }
            fraction = fraction * 10 + (c - '0');
            continue;
        }
        if (whole != 0 || c != '0') {
            if (++whole_digits > 9) {
                return std::nullopt;
            }
        }
        whole = whole * 10 + (c - '0');
    }
    if (!digit) {
        return std::nullopt;
    }
    for (; places < 9; ++places) {
        fraction *= 10;
    }
    const std::int64_t value =
        point || increment == AS_UNITS ? whole * UNIT_BILLIONTHS + fraction : whole * increment;
    return negative ? -value : value;
}

// X, Y and Z in billionths of the unit; nullopt where unknown.
using axis_positions = std::array<std::optional<std::int64_t>, 3>;

// A control running one of these programs.
struct control_run {
    axis_positions at{};
    bool incremental = false;
    bool lost = false;                    // an incremental move of an unknown axis
    bool understood = true;               // every line held only what the model reads
    std::vector<axis_positions> reached;  // after each line that moves
    std::size_t incremental_moves = 0;    // lines that move in incremental mode
};

bool number_text_char(char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+';
}

// Runs a line of G0, G1, G20, G21, G90, G91 and G92 codes and X, Y and Z
// words, numbers without a point read as `increment` says. A mode code acts
// on its line's words; G92 sets the positions its words give.
void run_control_line(std::string_view line, std::int64_t increment, control_run& run) {
    axis_positions words{};
    bool moves = false;
    bool sets = false;
    for (std::size_t i = 0; i < line.size();) {
        const char letter = line[i];
        if (letter == ' ') {
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        while (end < line.size() && number_text_char(line[end])) {
            ++end;
        }
        const std::string_view number = line.substr(i + 1, end - i - 1);
        i = end;
        const std::size_t axis = std::string_view("XYZ").find(letter);
        if (axis != std::string_view::npos) {
            const std::optional<std::int64_t> value = control_value(number, increment);
            run.understood = run.understood && value && !words[axis];
            words[axis] = value;
            moves = moves || value;
            continue;
        }
        const std::optional<std::int64_t> code = control_value(number, AS_UNITS);
        if (letter != 'G' || !code || *code % UNIT_BILLIONTHS != 0) {
            run.understood = false;
            continue;
        }
        switch (*code / UNIT_BILLIONTHS) {
            case 0:
            case 1:
            case 20:
            case 21:
                break;
            case 90:
                run.incremental = false;
                break;
            case 91:
                run.incremental = true;
                break;
            case 92:
                sets = true;
                break;
            default:
                run.understood = false;
        }
    }
    if (!moves) {
        return;
    }
    for (std::size_t axis = 0; axis < words.size(); ++axis) {
        if (!words[axis]) {
            continue;
        }
        if (sets || !run.incremental) {
            run.at[axis] = words[axis];
        } else if (run.at[axis]) {
            *run.at[axis] += *words[axis];
        } else {
            run.lost = true;
        }
    }
    if (!sets) {
        run.reached.push_back(run.at);
        run.incremental_moves += run.incremental ? 1 : 0;
    }
}

// Runs a program from `start`: lines end at LF, after an optional CR.
control_run run_control(std::string_view text, std::int64_t increment,
                        const axis_positions& start) {
    control_run run;
    run.at = start;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        run_control_line(line, increment, run);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return run;
}

// The bytes a program is made of; zeros once they run out.
struct byte_source {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;

    std::uint8_t next() { return at < size ? data[at++] : std::uint8_t{0}; }
};

// One of these programs, and the styles of its numbers.
struct reading_program {
    std::string text;
    std::string answers;     // the typed start; empty with a G92 line
    axis_positions typed{};  // the typed start, in millimetres or inches as every typed value
    int unit = 0;            // 20 or 21 as its first line selects; 0 without one
    bool pointed = false;    // a number not zero with a point, or a typed start not zero
    bool whole = false;      // a number not zero without a point
};

// A word's number (or a typed start value): zero ("0", "0.", "00", "0.000"
// or ".0"), whole (1 to 5 digits) or with a point (up to 4 digits before it
// and 4 after: "12.", ".5", "3.25"), perhaps with a minus sign. Notes its
// style in `program`; a typed value is millimetres or inches, as one with a
// point.
std::string reading_number(byte_source& bytes, bool typed, reading_program& program) {
    const std::uint8_t form = bytes.next();
    const std::uint8_t shape = bytes.next();
    std::string text = (form & 8) != 0 ? "-" : "";
    if (form % 8 == 0) {
        constexpr std::array<std::string_view, 5> ZEROS{"0", "0.", "00", "0.000", ".0"};
        return text + std::string(ZEROS[shape % ZEROS.size()]);
    }
    const bool point = form % 8 >= 4;
    int whole = point ? shape % 5 : 1 + shape % 5;
    const int places = point ? shape / 5 % 5 : 0;
    if (whole + places == 0) {
        whole = 1;
    }
    bool zero = true;
    for (int digit = 0; digit < whole + places; ++digit) {
        if (digit == whole) {
            text += '.';
        }
        const char c = static_cast<char>('0' + bytes.next() % 10);
        zero = zero && c == '0';
        text += c;
    }
    if (point && places == 0) {
        text += '.';
    }
    if (!zero) {
        (point || typed ? program.pointed : program.whole) = true;
    }
    return text;
}

// A program of a G20 or G21 line (or neither), a start (a G92 line, perhaps
// with G90 or G91 and without some axes, or typed), then lines of G90 or
// G91 alone, and moves: perhaps G90 or G91, perhaps G0 or G1, X, Y and Z
// words.
reading_program reading_program_of(byte_source& bytes) {
    reading_program program;
    const std::uint8_t head = bytes.next();
    program.unit = head % 8 == 0 ? 0 : head % 2 == 1 ? 21 : 20;
    if (program.unit != 0) {
        program.text += "G" + std::to_string(program.unit) + "\n";
    }
    constexpr std::string_view AXES = "XYZ";
    const bool typed = (head >> 3) % 4 == 0;
    if (typed) {
        for (std::size_t axis = 0; axis < AXES.size(); ++axis) {
            const std::string number = reading_number(bytes, true, program);
            program.answers += number + " ";
            program.typed[axis] = control_value(number, AS_UNITS);
        }
    } else {
        constexpr std::array<std::string_view, 4> MODES{"", "", "G90 ", "G91 "};
        std::string line = std::string(MODES[(head >> 5) % 4]) + "G92";
        for (const char letter : AXES) {
            if (bytes.next() % 16 != 0) {
                line += std::string(" ") + letter + reading_number(bytes, false, program);
            }
        }
        program.text += line + "\n";
    }
    const int lines = 1 + bytes.next() % 16;
    for (int n = 0; n < lines; ++n) {
        const std::uint8_t shape = bytes.next();
        if (shape % 8 == 0) {
            program.text += (shape & 8) != 0 ? "G91\n" : "G90\n";
            continue;
        }
        constexpr std::array<std::string_view, 4> DISTANCES{"", "", "G90", "G91"};
        constexpr std::array<std::string_view, 4> MOTIONS{"", "G0", "G1", "G01"};
        std::string_view distance = DISTANCES[(shape >> 3) % 4];
        if (typed && n == 0 && distance.empty()) {
            distance = "G91";  // the mode line, where the typed start applies
        }
        const std::string separator = (shape & 0x80) != 0 ? " " : "";
        std::string line(distance);
        const std::string_view motion = MOTIONS[(shape >> 5) % 4];
        if (!motion.empty()) {
            line += (line.empty() ? "" : separator) + std::string(motion);
        }
        const int moved = 1 + bytes.next() % 7;
        for (std::size_t axis = 0; axis < AXES.size(); ++axis) {
            if ((moved >> axis & 1) != 0) {
                line += (line.empty() ? "" : separator) + AXES[axis] +
                        reading_number(bytes, false, program);
            }
        }
        program.text += line + "\n";
    }
    return program;
}

// The readings a converted program must be right under: the one given, and
// both while it is unknown; increments of either unit where no line selects
// one.
std::vector<std::int64_t> readings_under(integer_reading reading, int unit) {
    std::vector<std::int64_t> readings;
    if (reading != integer_reading::increments) {
        readings.push_back(AS_UNITS);
    }
    if (reading != integer_reading::units) {
        for (const int each : {21, 20}) {
            if (unit == 0 || unit == each) {
                readings.push_back(increment_of(each));
            }
        }
    }
    return readings;
}

// Programs of numbers with and without a point, converted with each reading
// of those without one: the output stops, or it reaches the input's
// positions after every move under every reading that applies. Read as
// millimetres or inches, such a program converts, and so does one with
// increments of a known unit, and, while the reading is unknown, one whose
// numbers (and typed start) that are not zero all have a point, or all have
// none (but with --decimal-point). Each stop names a line, and a stop for
// the numbers' styles comes from a program that has them.
// Stops as `require` does, showing the run first: a broken invariant here
// is then its own reproducer.
void require_of_run(bool condition, const char* what, const reading_program& program,
                    const number_format& format, const run_result& result) {
    if (!condition) {
        constexpr std::array<const char*, 3> READINGS{"unknown", "units", "increments"};
        std::fprintf(stderr,
                     "--integers %s, --decimals %d%s, typed start \"%s\"\ninput:\n%s\n"
                     "output (status %d):\n%s\nconsole:\n%s\n",
                     READINGS[static_cast<std::size_t>(format.integers)], format.decimals,
                     format.decimal_point ? ", --decimal-point" : "", program.answers.c_str(),
                     program.text.c_str(), result.status, result.output.c_str(),
                     result.console.c_str());
    }
    require(condition, what);
}

void check_number_readings(const std::uint8_t* data, std::size_t size) {
    byte_source bytes{data, size};
    const reading_program program = reading_program_of(bytes);
    const std::uint8_t style = bytes.next();
    constexpr std::array<int, 4> DECIMALS{0, 0, 3, 6};
    number_format format{.decimals = DECIMALS[style % 4], .decimal_point = (style & 12) == 12};
    const control_run as_written = run_control(program.text, AS_UNITS, program.typed);
    require(as_written.understood, "the model reads the programs it makes");
    const bool known = !as_written.lost;
    for (const integer_reading reading :
         {integer_reading::unknown, integer_reading::units, integer_reading::increments}) {
        format.integers = reading;
        const run_result result =
            convert_in_memory(program.text, program.answers, style >> 4, format);
        const auto holds = [&](bool condition, const char* what) {
            require_of_run(condition, what, program, format, result);
        };
        const bool unknown = reading == integer_reading::unknown;
        const bool increments = reading == integer_reading::increments;
        if (result.status != 0) {
            holds(result.status == STATUS_FAILURE && stopped_line(result.console) != 0,
                  "a stop fails and names its line");
            check_named_line_exists(program.text, result.console);
            holds(!known || reading != integer_reading::units,
                  "numbers read as millimetres or inches convert");
            holds(!known || !increments || (program.unit == 0 && program.whole),
                  "numbers read as increments of a known unit convert");
            holds(!known || !unknown || program.whole,
                  "numbers with a point convert while the reading is unknown");
            holds(!known || !unknown || program.pointed || format.decimal_point,
                  "numbers without a point convert while the reading is unknown");
            const auto says = [&](std::string_view text) {
                return result.console.find(text) != std::string::npos;
            };
            holds(!says("(no decimal point) is added to") ||
                      (unknown && program.whole && program.pointed),
                  "a sum of both styles stops only where both are");
            holds(!says("--decimal-point would put a point") ||
                      (unknown && format.decimal_point && program.whole),
                  "the decimal point stops only on a number without one");
            holds(!says("counts least increments of unknown units") ||
                      (increments && program.unit == 0 && program.whole),
                  "increments of unknown units stop only where they are");
            continue;
        }
        holds(result.console.find("ERROR") == std::string::npos, "no error on success");
        for (const std::int64_t increment : readings_under(reading, program.unit)) {
            const control_run input = run_control(program.text, increment, program.typed);
            const control_run output = run_control(result.output, increment, program.typed);
            holds(output.understood, "the output holds what its input's lines hold");
            holds(output.incremental_moves == 0, "the output moves in absolute mode");
            holds(output.reached.size() == input.reached.size(),
                  "each move is written as one move");
            if (output.reached != input.reached) {
                std::fprintf(stderr, "read with numbers without a point as %s\n",
                             increment == AS_UNITS           ? "millimetres or inches"
                             : increment == increment_of(21) ? "0.001 mm"
                                                             : "0.0001 inch");
            }
            holds(output.reached == input.reached,
                  "the output reaches the input's positions under every reading that applies");
        }
    }
}

}  // namespace

// Every line of the program is read alike by the small loop for the common
// line and by the general reading.
void check_scans(const std::string& program) {
    scanned_line quick;
    scanned_line general;
    std::string text;
    for (std::size_t begin = 0; begin < program.size();) {
        const std::size_t newline = program.find('\n', begin);
        const std::size_t end = newline == std::string::npos ? program.size() : newline + 1;
        text.assign(program, begin, end - begin);
        const std::size_t length = text.size();
        text.append(LINE_PADDING, '\0');
        const padded_line line = padded_line::assume_padded(std::string_view(text.data(), length));
        scan_line(line, quick);
        scan_line_generally(line, general);
        require(same_reading(quick, general), "the common line is read as any other");
        begin = end;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const fuzzing::framed_run run = fuzzing::unframe(data, size);
    check_any_input(run.program, run.answers, size > 1 ? data[size - 1] : 0);
    check_scans(run.program);
    if (size > 1 && data[size - 1] % 4 == 1) {
        check_expanded_input(run.program, run.answers, data[size - 2]);
    }
    check_absolute_program(data, std::min<std::size_t>(size, 4096));
    check_incremental_program(data, std::min<std::size_t>(size, 4096));
    check_number_readings(data, size);
    return 0;
}
