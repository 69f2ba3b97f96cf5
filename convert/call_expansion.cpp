#include "call_expansion.hpp"

#include <algorithm>
#include <cctype>
#include <sstream>
#include <string_view>

#include "number_input.hpp"
#include "stop.hpp"

namespace g91to90 {

namespace {

enum class line_role : std::uint8_t {
    plain,
    fanuc_call,      // M98
    local_call,      // M97
    o_call,          // o100 call
    return_line,     // M99
    program_end,     // M2, M30
    o_sub,           // o100 sub
    o_endsub,        // o100 endsub
    o_flow,          // o100 if, while, return...
    fanuc_flow,      // WHILE, IF, GOTO
    program_number,  // O1000 or :1000 alone
};

constexpr std::string_view UTF8_BYTE_ORDER_MARK = "\xEF\xBB\xBF";
constexpr const char* OPTIONAL_CALL = "an optional block (/) that calls or returns";

// The digits of a whole number's text as the scan found it (its inner blanks
// left out), leading zeros kept; empty when it holds a sign or a point.
std::string digits_of(const padded_line& line, text_span span) {
    std::string digits;
    for (std::size_t i = span.begin; i < span.end; ++i) {
        if (is_digit(line[i])) {
            digits += line[i];
        } else if (!is_blank(line[i])) {
            return {};
        }
    }
    return digits;
}

// Digits without their leading zeros ("0" for zero; empty stays empty).
std::string without_leading_zeros(const std::string& digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? digits.substr(0, 1) : digits.substr(first);
}

// An O word's name as calls and definitions match it: a <name> in lower
// case without blanks (as LinuxCNC reads it), its brackets kept, or a
// number's digits without leading zeros; empty for any other (a computed O
// word, a number with a point).
std::string o_word_name(const padded_line& line, text_span span) {
    if (span.empty()) {
        return {};
    }
    if (line[span.begin] == '<') {
        std::string name;
        for (std::size_t i = span.begin; i < span.end; ++i) {
            if (!is_blank(line[i])) {
                name += static_cast<char>(line[i] >= 'A' && line[i] <= 'Z' ? line[i] - 'A' + 'a'
                                                                           : line[i]);
            }
        }
        return name;
    }
    return without_leading_zeros(digits_of(line, span));
}

// A repeat count's value from its digits: 1 to MOST_CALL_REPEATS, else 0.
std::uint64_t repeat_count(const std::string& digits) {
    const std::string count = without_leading_zeros(digits);
    if (count.empty() || count.size() > std::to_string(MOST_CALL_REPEATS).size()) {
        return 0;
    }
    const std::uint64_t value = std::stoull(count);
    return value <= MOST_CALL_REPEATS ? value : 0;
}

std::string repeat_count_expected() {
    return "a repeat count of 1 to " + std::to_string(MOST_CALL_REPEATS) + " is expected";
}

// Whether the scan reads nothing in the line: a blank, comment or "%" line.
bool says_nothing(const scanned_line& scan) {
    return !scan.unusual() && scan.words.empty() && scan.codes.empty() && scan.held == 0 &&
           scan.axes == 0 && scan.letters == 0 && scan.n_number.empty() && scan.o_name.empty();
}

bool only_percent(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    return first == std::string_view::npos ||
           (text[first] == '%' &&
            text.find_first_not_of(" \t\r\n", first + 1) == std::string_view::npos);
}

}  // namespace

struct expanded_lines::line_info {
    line_role role = line_role::plain;
    bool simple = false;      // nothing but its code and N, O, P, L, K words
    bool parameters = false;  // "#", "[" or "=" in the code part
    bool optional = false;    // "/" (block delete) in the code part
    bool quiet = false;       // nothing the scan reads: a blank, comment or "%" line
    std::string name;         // an O-word line's name, or a program number's digits
};

struct expanded_lines::stored_file {
    std::string name;   // as messages show it; empty for the input
    std::string bytes;  // every line, each followed by LINE_PADDING zero bytes
    std::vector<std::size_t> begins;
    std::vector<std::size_t> sizes;
    std::vector<line_info> info;
    // Definitions: LinuxCNC subroutines by name (the first of a name),
    // Fanuc programs by number (after the main program's end), N labels; the
    // lines from the first to just before the second index.
    std::map<std::string, std::pair<std::size_t, std::size_t>> subs;
    std::map<std::string, std::pair<std::size_t, std::size_t>> programs;
    std::map<std::string, std::size_t> labels;
    // A subroutine name defined twice: the lines of its first two `sub` lines.
    std::map<std::string, std::pair<std::size_t, std::size_t>> defined_twice;
    // Each subroutine definition whole, from its `sub` to its `endsub` line,
    // by its first line: skipped in the main flow.
    std::map<std::size_t, std::size_t> definitions;
    std::size_t main_end = 0;  // the line after the main program's M2 or M30
    // After it, programs of their own (from their number to their M2 or
    // M30, where a called program has its M99): run after the main program.
    std::vector<std::pair<std::size_t, std::size_t>> later_programs;
    // The line after the first definition, and whether the lines outside
    // definitions hold a main program.
    std::size_t first_definition = 0;
    bool main_program = false;

    padded_line line(std::size_t at) const {
        return padded_line::assume_padded(std::string_view(bytes.data() + begins[at], sizes[at]));
    }
};

struct expanded_lines::frame {
    std::size_t file;
    std::size_t begin;
    std::size_t end;
    std::size_t at;
    std::string label;
    std::uint64_t count;
    std::uint64_t repeat;
    bool linuxcnc;
    std::uint64_t call_number;
    bool returning = false;  // the words of its M99 line were given: it returns
};

// Where a called program begins; `own_file` when it is a file of its own.
struct expanded_lines::program_place {
    std::size_t file;
    std::size_t begin;
    bool own_file;
};

expanded_lines::expanded_lines(line_reader& in, std::string extension, file_finder find,
                               std::uint64_t most_lines)
    : extension_(std::move(extension)), find_(std::move(find)), most_lines_(most_lines) {
    std::string bytes;
    padded_line line;
    while (in.next(line)) {
        bytes.append(line.text());
    }
    load("", bytes, true);
}

expanded_lines::~expanded_lines() = default;

std::size_t expanded_lines::load(const std::string& name, std::string_view bytes, bool own_input) {
    const std::size_t added = files_.size();
    files_.emplace_back();
    stored_file& file = files_.back();
    file.name = name;
    // A called file's byte-order mark is no part of its first line.
    if (!own_input && bytes.starts_with(UTF8_BYTE_ORDER_MARK)) {
        bytes.remove_prefix(UTF8_BYTE_ORDER_MARK.size());
    }
    std::stringbuf source{std::string(bytes)};
    line_reader reader(source, name);
    padded_line line;
    try {
        while (reader.next(line)) {
            file.begins.push_back(file.bytes.size());
            file.bytes.append(line.text());
            // A called file's last line ends as every other line: more follow it.
            if (!own_input && !line.newline()) {
                file.bytes += '\n';
            }
            file.sizes.push_back(file.bytes.size() - file.begins.back());
            file.bytes.append(LINE_PADDING, '\0');
        }
    } catch (conversion_stop& stop) {
        // A Ctrl-Z with more after it: the line is one of this file's.
        stop.line_number |= static_cast<std::uint64_t>(added) << FILE_SHIFT;
        throw;
    }
    index(added);
    return added;
}

void expanded_lines::index(std::size_t index) {
    stored_file& file = files_[index];
    const std::size_t size = file.begins.size();
    file.info.resize(size);
    std::map<std::string, std::size_t> open_subs;
    std::map<std::string, std::size_t> first_subs;
    for (std::size_t at = 0; at < size; ++at) {
        const padded_line line = file.line(at);
        scan_line(line, scan_);
        line_info& info = file.info[at];
        info.parameters = scan_.parameters;
        info.optional = scan_.block_delete;
        info.quiet = says_nothing(scan_);
        const bool only_words =
            scan_.words.empty() || (scan_.words.size() == 1 && scan_.words[0].slot == K_SLOT);
        constexpr std::uint32_t CALL_LETTERS =
            1U << ('N' - 'A') | 1U << ('O' - 'A') | 1U << ('P' - 'A') | 1U << ('L' - 'A');
        info.simple = only_words && scan_.codes.size() == 1 &&
                      (scan_.letters & ~CALL_LETTERS) == 0 && !scan_.parameters &&
                      scan_.held == kind_bit(scan_.codes[0].kind());
        if (scan_.o_word != o_word_line::none) {
            info.name = o_word_name(line, scan_.o_name);
            // A computed O word (o[100] call) is given to the converter, which stops on it.
            info.role = scan_.o_word == o_word_line::call && !scan_.computed_code
                            ? line_role::o_call
                        : info.name.empty()                   ? line_role::o_flow
                        : scan_.o_word == o_word_line::sub    ? line_role::o_sub
                        : scan_.o_word == o_word_line::endsub ? line_role::o_endsub
                                                              : line_role::o_flow;
            if (info.role == line_role::o_sub) {
                const auto [first, added] = first_subs.try_emplace(info.name, at);
                if (!added) {
                    file.defined_twice.try_emplace(info.name, first->second, at);
                }
                open_subs[info.name] = at;
            } else if (info.role == line_role::o_endsub && open_subs.contains(info.name)) {
                const std::size_t begin = open_subs[info.name];
                file.subs.try_emplace(info.name, begin + 1, at);
                file.definitions[begin] = at;
                open_subs.erase(info.name);
            }
        } else if (scan_.has(SUBPROGRAM_CALL)) {
            info.role = line_role::fanuc_call;
        } else if (scan_.has(LOCAL_CALL)) {
            info.role = line_role::local_call;
        } else if (scan_.has(SUBPROGRAM_RETURN)) {
            info.role = line_role::return_line;
        } else if (scan_.holds(kind_bit(code_kind::program_end))) {
            info.role = line_role::program_end;
        } else if (scan_.flow_keyword || scan_.jump_keyword) {
            info.role = line_role::fanuc_flow;
        } else if (scan_.program_number()) {
            info.name = without_leading_zeros(digits_of(line, scan_.o_name));
            info.role = info.name.empty() ? line_role::plain : line_role::program_number;
        }
        if (!scan_.n_number.empty()) {
            const std::string label = without_leading_zeros(digits_of(line, scan_.n_number));
            if (!label.empty()) {
                file.labels.try_emplace(label, at);
            }
        }
    }
    // The main program ends at its first M2 or M30 outside a subroutine (an
    // optional one may not run); after it stand the programs it calls, each
    // from its number to its M99.
    file.main_end = size;
    for (std::size_t at = 0; at < size; ++at) {
        const auto definition = file.definitions.find(at);
        if (definition != file.definitions.end()) {
            at = definition->second;
            continue;
        }
        const line_info& info = file.info[at];
        const bool end = info.role == line_role::program_end && !info.optional;
        file.main_program =
            file.main_program || !(info.quiet || info.role == line_role::program_number ||
                                   (info.role == line_role::program_end && info.simple));
        if (end) {
            file.main_end = at + 1;
            break;
        }
    }
    if (!file.definitions.empty()) {
        file.first_definition = file.definitions.begin()->first + 1;
    }
    for (std::size_t at = file.main_end; at < size; ++at) {
        if (file.info[at].role != line_role::program_number) {
            continue;
        }
        std::size_t end = at + 1;
        while (end < size && file.info[end].role != line_role::return_line &&
               !(file.info[end].role == line_role::program_end && !file.info[end].optional)) {
            ++end;
        }
        if (end < size && file.info[end].role == line_role::program_end) {
            file.later_programs.emplace_back(at, end);
            // A call of it stops at its M2 or M30, as a called program's end.
            std::size_t ret = end;
            while (ret < size && file.info[ret].role != line_role::return_line) {
                ++ret;
            }
            file.programs.try_emplace(file.info[at].name, at + 1, ret);
            continue;
        }
        file.programs.try_emplace(file.info[at].name, at + 1, end);
        if (file.first_definition == 0 || at + 1 < file.first_definition) {
            file.first_definition = at + 1;
        }
    }
}

std::uint64_t expanded_lines::first_definition_line() const {
    return files_[0].main_program ? 0 : files_[0].first_definition;
}

const std::string& expanded_lines::file_of(std::uint64_t number) const {
    return files_[static_cast<std::size_t>(number >> FILE_SHIFT)].name;
}

void expanded_lines::refuse(const std::string& why) const {
    throw conversion_stop(stop_reason::call_not_expanded, why, number_);
}

padded_line expanded_lines::comment_line() {
    const frame& f = frames_.back();
    comment_ =
        "(CALL " + f.label + " " + std::to_string(f.repeat) + "/" + std::to_string(f.count) + ")\n";
    const std::size_t size = comment_.size();
    comment_.append(LINE_PADDING, '\0');
    return padded_line::assume_padded(std::string_view(comment_.data(), size));
}

void expanded_lines::push(std::size_t file, std::size_t begin, std::size_t end, std::string label,
                          std::uint64_t count, bool linuxcnc) {
    frames_.push_back({file, begin, end, begin, std::move(label), count, 1, linuxcnc, number_});
}

std::optional<expanded_lines::program_place> expanded_lines::find_program(const std::string& number,
                                                                          std::size_t from_file) {
    for (const std::size_t file : {from_file, std::size_t{0}}) {
        const auto found = files_[file].programs.find(number);
        if (found != files_[file].programs.end()) {
            return program_place{file, found->second.first, false};
        }
    }
    std::string padded = number;
    if (padded.size() < 4) {
        padded.insert(0, 4 - padded.size(), '0');
    }
    // The input's extension as it is written, in lower case and in upper case.
    std::string lower_extension = extension_;
    std::string upper_extension = extension_;
    for (std::size_t i = 0; i < extension_.size(); ++i) {
        lower_extension[i] =
            static_cast<char>(std::tolower(static_cast<unsigned char>(extension_[i])));
        upper_extension[i] =
            static_cast<char>(std::toupper(static_cast<unsigned char>(extension_[i])));
    }
    std::vector<std::string> names;
    for (const std::string& digits : {number, padded}) {
        const std::string named = "O" + digits;
        for (const std::string& name :
             {named, named + ".nc", digits + ".nc", named + ".NC", named + extension_,
              digits + extension_, named + lower_extension, digits + lower_extension,
              named + upper_extension, digits + upper_extension}) {
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(name);
            }
        }
    }
    for (const std::string& name : names) {
        for (std::size_t file = 1; file < files_.size(); ++file) {
            if (files_[file].name == name) {
                return program_place{file, 0, true};
            }
        }
        if (const std::optional<std::string> bytes = find_(name)) {
            return program_place{load(name, *bytes, false), 0, true};
        }
    }
    return std::nullopt;
}

void expanded_lines::call_subroutine(std::size_t file, const std::string& name) {
    const std::string label = "o" + name;
    const auto push_found = [&](std::size_t where) {
        const stored_file& defining = files_[where];
        const auto found = defining.subs.find(name);
        if (found == defining.subs.end()) {
            return false;
        }
        const auto twice = defining.defined_twice.find(name);
        if (twice != defining.defined_twice.end()) {
            refuse(label + " defined twice" +
                   (defining.name.empty() ? "" : " in " + defining.name) + ", lines " +
                   std::to_string(twice->second.first + 1) + " and " +
                   std::to_string(twice->second.second + 1));
        }
        push(where, found->second.first, found->second.second, label, 1, true);
        return true;
    };
    if (name.empty()) {
        refuse("no subroutine name");
    }
    // The name stands in the call's comment line, which it must not end.
    if (name.find_first_of("()") != std::string::npos) {
        refuse("a subroutine name with a parenthesis");
    }
    if (push_found(file) || push_found(0)) {
        return;
    }
    const std::string file_name =
        (name.front() == '<' ? name.substr(1, name.size() - 2) : name) + ".ngc";
    const std::optional<std::string> bytes = find_(file_name);
    if (!bytes) {
        refuse("no subroutine " + label);
    }
    if (!push_found(load(file_name, *bytes, false))) {
        refuse("no subroutine " + label + " in " + file_name);
    }
}

void expanded_lines::call(std::size_t file, std::size_t at) {
    // Copied: loading a file beside may move the stored files.
    const line_info info = files_[file].info[at];
    if (info.optional) {
        refuse(OPTIONAL_CALL);
    }
    if (frames_.size() >= static_cast<std::size_t>(MOST_NESTED_CALLS)) {
        refuse("calls nested deeper than " + std::to_string(MOST_NESTED_CALLS));
    }
    const padded_line line = files_[file].line(at);
    scan_line(line, scan_);
    if (info.role == line_role::o_call) {
        if (scan_.o_arguments) {
            refuse("a call with arguments");
        }
        call_subroutine(file, info.name);
        return;
    }
    if (!info.simple) {
        refuse("a call line with other words");
    }
    const std::string p = digits_of(line, scan_.p_number);
    text_span repeat;
    if (scan_.l_end != 0) {
        repeat = {scan_.l_begin + 1, scan_.l_end};
    }
    for (const line_word& word : scan_.words) {
        if (word.slot == K_SLOT) {
            if (!repeat.empty()) {
                refuse("a repeat count in both L and K");
            }
            repeat = {word.begin + 1, word.end};
        }
    }
    if (p.empty()) {
        refuse("no program number");
    }
    std::uint64_t count = 1;
    if (!repeat.empty()) {
        count = repeat_count(digits_of(line, repeat));
        if (count == 0) {
            refuse(repeat_count_expected());
        }
    }
    if (info.role == line_role::local_call) {
        const std::string label = without_leading_zeros(p);
        const stored_file& here = files_[file];
        const auto found = here.labels.find(label);
        if (found == here.labels.end()) {
            refuse("no line N" + label);
        }
        std::size_t end = found->second;
        while (end < here.info.size() && here.info[end].role != line_role::return_line) {
            ++end;
        }
        push(file, found->second, end, "N" + label, count, false);
        return;
    }
    // M98: P names the program; without L or K, a P of more than four digits
    // may be Fanuc's count and program number packed in one.
    std::string number = without_leading_zeros(p);
    std::optional<program_place> program = find_program(number, file);
    if (repeat.empty() && p.size() > 4) {
        const std::string packed = without_leading_zeros(p.substr(p.size() - 4));
        const auto packed_program = find_program(packed, file);
        if (program && packed_program) {
            if (packed == number) {
                // One program, where the digits before its number are zeros:
                // a repeat count of 0 where the count is read from P.
                refuse("P" + p + " packs a repeat count of 0 before O" + number +
                       ": controls read P" + p + " differently");
            }
            refuse("O" + number + " and O" + packed + " both exist: controls read P" + p +
                   " differently");
        }
        if (!program && packed_program) {
            program = packed_program;
            number = packed;
            count = repeat_count(p.substr(0, p.size() - 4));
            if (count == 0) {
                refuse(repeat_count_expected());
            }
        }
    }
    if (!program) {
        refuse("no program O" + number);
    }
    const stored_file& called = files_[program->file];
    std::size_t begin = program->begin;
    if (program->own_file) {
        // A file of its own: its program from its number line to its M99.
        while (begin < called.info.size() &&
               (only_percent(called.line(begin).text()) ||
                called.info[begin].role == line_role::program_number)) {
            ++begin;
        }
    }
    std::size_t end = begin;
    while (end < called.info.size() && called.info[end].role != line_role::return_line) {
        ++end;
    }
    if (program->own_file) {
        // Found by its name, it must hold that program.
        for (std::size_t at_line = 0; at_line < end; ++at_line) {
            const line_info& held = called.info[at_line];
            if (held.role == line_role::program_number && held.name != number) {
                refuse(called.name + " holds O" + held.name);
            }
        }
    }
    push(program->file, begin, end, "O" + number, count, false);
}

// The M99 that ends a called Fanuc program returns, with nothing else on it
// or with words that set modes and move nothing (G90 M99, M99 F100): those
// run first, on a line of their own (returned, the line without its M99);
// nullopt when there are none. Anything else on it (a P, axis words) stops.
std::optional<padded_line> expanded_lines::check_return(std::size_t file, std::size_t at) {
    const stored_file& called = files_[file];
    number_ = (static_cast<std::uint64_t>(file) << FILE_SHIFT) | (at + 1);
    if (called.info[at].optional) {
        refuse(OPTIONAL_CALL);
    }
    const padded_line line = called.line(at);
    scan_line(line, scan_);
    if (called.info[at].simple && scan_.p_number.empty()) {
        return std::nullopt;
    }
    // Modes, feeds, speeds and machine functions: what moves nothing.
    constexpr kind_set MODAL =
        kinds(code_kind::absolute, code_kind::incremental, code_kind::plane, code_kind::units,
              code_kind::mode, code_kind::machine_function, code_kind::flow);
    constexpr std::uint32_t MODAL_LETTERS =
        1U << ('F' - 'A') | 1U << ('S' - 'A') | 1U << ('N' - 'A');
    const code_word* m99 = nullptr;
    for (const code_word& code : scan_.codes) {
        if (code.info->has(SUBPROGRAM_RETURN)) {
            m99 = &code;
        }
    }
    if (m99 == nullptr || (scan_.held & ~MODAL) != 0 || scan_.axes != 0 || scan_.arcs != 0 ||
        (scan_.letters & ~MODAL_LETTERS) != 0 || scan_.parameters || scan_.unusual() ||
        m99->end > line.size()) {
        refuse("M99 with other words");
    }
    // The line without the M99 word and the blanks after it (before it, when
    // it ends the line).
    const std::string_view text = line.text();
    const auto blank = [&text](std::size_t at) { return text[at] == ' ' || text[at] == '\t'; };
    std::size_t before = m99->begin;
    std::size_t after = m99->end;
    while (after < text.size() && blank(after)) {
        ++after;
    }
    if (after == text.size() || text[after] == '\n') {
        while (before > 0 && blank(before - 1)) {
            --before;
        }
    }
    modal_return_ = std::string(text.substr(0, before)) + std::string(text.substr(after));
    if (!line.newline()) {
        modal_return_ += '\n';  // the input's last line: the caller's lines follow it
    }
    const std::size_t size = modal_return_.size();
    modal_return_.append(LINE_PADDING, '\0');
    return padded_line::assume_padded(std::string_view(modal_return_.data(), size));
}

// Whether lines that run follow the line: any but blank, comment and "%"
// lines (and definitions, which do not run where they stand).
bool expanded_lines::program_follows(std::size_t file, std::size_t at) const {
    const stored_file& in = files_[file];
    for (std::size_t next = at + 1; next < in.info.size(); ++next) {
        const auto definition = in.definitions.find(next);
        if (definition != in.definitions.end()) {
            next = definition->second;
        } else if (!in.info[next].quiet) {
            return true;
        }
    }
    return false;
}

bool expanded_lines::next(padded_line& line) {
    if (!take(line)) {
        return false;
    }
    returns_before_ = returns_since_;
    returns_since_ = 0;
    if (++given_ > most_lines_ && !frames_.empty()) [[unlikely]] {
        number_ = frames_.front().call_number;
        refuse("the expanded program passes " + std::to_string(most_lines_) +
               " lines: --max-lines raises the limit");
    }
    return true;
}

// A called line ends with a line end, as the caller's lines follow it: the
// input's last line may have none.
padded_line expanded_lines::ended(const padded_line& line) {
    if (line.newline()) {
        return line;
    }
    ended_.assign(line.text());
    ended_ += '\n';
    const std::size_t size = ended_.size();
    ended_.append(LINE_PADDING, '\0');
    return padded_line::assume_padded(std::string_view(ended_.data(), size));
}

bool expanded_lines::take(padded_line& line) {
    for (;;) {
        if (!frames_.empty()) {
            frame& f = frames_.back();
            if (f.at >= f.end) {
                const std::size_t file = f.file;
                const std::size_t end = f.end;
                if (!f.linuxcnc && end < files_[file].info.size() && !f.returning) {
                    if (const std::optional<padded_line> words = check_return(file, end)) {
                        // The M99 line's modes first, at the called program's level.
                        f.returning = true;
                        level_ = static_cast<int>(frames_.size());
                        line = *words;
                        return true;
                    }
                }
                f.returning = false;
                ++returns_since_;
                if (f.repeat < f.count) {
                    ++f.repeat;
                    f.at = f.begin;
                    number_ = f.call_number;
                    level_ = static_cast<int>(frames_.size()) - 1;
                    line = comment_line();
                    return true;
                }
                frames_.pop_back();
                continue;
            }
            const std::size_t at = f.at++;
            const std::size_t file = f.file;
            const bool linuxcnc = f.linuxcnc;
            const line_info& info = files_[file].info[at];
            number_ = (static_cast<std::uint64_t>(file) << FILE_SHIFT) | (at + 1);
            switch (info.role) {
                case line_role::fanuc_call:
                case line_role::local_call:
                case line_role::o_call:
                    call(file, at);
                    level_ = static_cast<int>(frames_.size()) - 1;
                    line = comment_line();
                    return true;
                case line_role::program_end:
                    refuse("M2 or M30 in a called program");
                case line_role::return_line:
                case line_role::o_sub:
                case line_role::o_endsub:
                case line_role::o_flow:
                case line_role::fanuc_flow:
                    refuse("program flow in a called program");
                case line_role::program_number:
                case line_role::plain:
                    break;
            }
            if (linuxcnc && info.parameters) {
                refuse("a parameter in a subroutine");
            }
            level_ = static_cast<int>(frames_.size());
            line = ended(files_[file].line(at));
            return true;
        }
        const stored_file& input = files_[0];
        if (main_at_ >= input.info.size()) {
            return false;
        }
        const std::size_t at = main_at_++;
        number_ = at + 1;
        const auto definition = input.definitions.find(at);
        if (definition != input.definitions.end()) {
            main_at_ = definition->second + 1;
            continue;
        }
        // After the main program's end stand the programs it calls: not written.
        const auto in_later_program = [&input, at] {
            return std::any_of(
                input.later_programs.begin(), input.later_programs.end(),
                [at](const auto& range) { return at >= range.first && at <= range.second; });
        };
        if (at >= input.main_end && !only_percent(input.line(at).text()) && !in_later_program()) {
            continue;
        }
        const line_info& info = input.info[at];
        switch (info.role) {
            case line_role::fanuc_call:
            case line_role::local_call:
            case line_role::o_call:
                call(0, at);
                level_ = 0;
                line = comment_line();
                return true;
            case line_role::return_line:
                if (info.optional) {
                    refuse(OPTIONAL_CALL);
                }
                throw conversion_stop(stop_reason::main_program_loops, {}, number_);
            case line_role::program_end:
                // An optional end (/M30) runs or not: the lines after it must
                // be the same either way.
                if (info.optional && program_follows(0, at)) {
                    refuse("an optional block (/) ends the program before more of it");
                }
                break;
            default:
                break;
        }
        level_ = 0;
        line = input.line(at);
        return true;
    }
}

}  // namespace g91to90
