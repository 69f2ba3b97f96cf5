#include "call_expansion.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <sstream>
#include <string_view>

#include "stop.hpp"

namespace g91to90 {

namespace {

// The most times one call runs its program (four digits, as Fanuc's L).
constexpr std::uint64_t MOST_REPEATS = 9999;

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

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

// The first word of each letter in the line's code part (comments left out),
// upper case, with its number text without blanks.
std::map<char, std::string> plain_words(std::string_view text) {
    std::map<char, std::string> words;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '(') {
            const std::size_t close = text.find(')', i);
            i = close == std::string_view::npos ? text.size() : close;
            continue;
        }
        if (c == ';') {
            break;
        }
        if (std::isalpha(static_cast<unsigned char>(c)) == 0) {
            continue;
        }
        std::string number;
        std::size_t j = i + 1;
        while (j < text.size() && (std::isdigit(static_cast<unsigned char>(text[j])) != 0 ||
                                   text[j] == '.' || text[j] == ' ' || text[j] == '\t' ||
                                   ((text[j] == '-' || text[j] == '+') && number.empty()))) {
            if (text[j] != ' ' && text[j] != '\t') {
                number += text[j];
            }
            ++j;
        }
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        if (!number.empty() && !words.contains(letter)) {
            words[letter] = number;
        }
        i = j - 1;
    }
    return words;
}

// A whole number's digits without leading zeros ("0" for zero); empty when
// the text is not all digits.
std::string whole_digits(const std::string& text) {
    if (text.empty() || !std::all_of(text.begin(), text.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        })) {
        return {};
    }
    const std::size_t first = text.find_first_not_of('0');
    return first == std::string::npos ? "0" : text.substr(first);
}

// An O-word line's name (digits without leading zeros, or "<name>" in lower
// case) and keyword in lower case, after an optional N word.
struct o_word {
    std::string name;
    std::string keyword;
    std::string rest;
};

std::optional<o_word> read_o_word_line(std::string_view text) {
    std::size_t i = text.find_first_not_of(" \t");
    if (i != std::string_view::npos && (text[i] == 'N' || text[i] == 'n')) {
        i = text.find_first_not_of("0123456789 \t", i + 1);
    }
    if (i == std::string_view::npos || (text[i] != 'O' && text[i] != 'o')) {
        return std::nullopt;
    }
    o_word word;
    ++i;
    if (i < text.size() && text[i] == '<') {
        const std::size_t close = text.find('>', i);
        if (close == std::string_view::npos) {
            return std::nullopt;
        }
        for (std::size_t j = i; j <= close; ++j) {
            word.name += lower(text[j]);
        }
        i = close + 1;
    } else {
        const std::size_t end = text.find_first_not_of("0123456789", i);
        word.name = whole_digits(std::string(text.substr(i, end - i)));
        i = end == std::string_view::npos ? text.size() : end;
    }
    i = std::min(text.find_first_not_of(" \t", i), text.size());
    while (i < text.size() && std::isalpha(static_cast<unsigned char>(text[i])) != 0) {
        word.keyword += lower(text[i++]);
    }
    word.rest = std::string(text.substr(i));
    if (word.name.empty() || word.keyword.empty()) {
        return std::nullopt;
    }
    return word;
}

// A Fanuc program number line: O1000 or :1000 first in its code part, with
// no keyword after it. Returns the number's digits, or empty.
std::string program_number(std::string_view text) {
    const std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string_view::npos || (text[i] != 'O' && text[i] != 'o' && text[i] != ':')) {
        return {};
    }
    std::size_t end = i + 1;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])) != 0) {
        ++end;
    }
    const std::size_t after = text.find_first_not_of(" \t\r\n", end);
    if (after != std::string_view::npos && text[after] != '(' && text[after] != ';') {
        return {};
    }
    return whole_digits(std::string(text.substr(i + 1, end - i - 1)));
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
    std::map<char, std::string> words;
    std::string o_name;      // an O-word line's name
    bool arguments = false;  // an o-call with arguments
};

struct expanded_lines::stored_file {
    std::string name;   // as messages show it; empty for the input
    std::string bytes;  // every line, each followed by LINE_PADDING zero bytes
    std::vector<std::size_t> begins;
    std::vector<std::size_t> sizes;
    std::vector<line_info> info;
    // Definitions: LinuxCNC subroutines by name, Fanuc programs by number
    // (after the main program's end), N labels; the lines from the first to
    // just before the second index.
    std::map<std::string, std::pair<std::size_t, std::size_t>> subs;
    std::map<std::string, std::pair<std::size_t, std::size_t>> programs;
    std::map<std::string, std::size_t> labels;
    std::vector<std::pair<std::size_t, std::size_t>>
        definitions;           // whole, to skip in the main flow
    std::size_t main_end = 0;  // the line after the main program's M2 or M30

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
};

expanded_lines::expanded_lines(line_reader& in, std::string extension, file_finder find)
    : extension_(std::move(extension)), find_(std::move(find)) {
    std::string bytes;
    padded_line line;
    while (in.next(line)) {
        bytes.append(line.text());
    }
    load("", bytes, true);
}

expanded_lines::~expanded_lines() = default;

std::size_t expanded_lines::load(const std::string& name, std::string_view bytes, bool own_input) {
    stored_file file;
    file.name = name;
    std::stringbuf source{std::string(bytes)};
    line_reader reader(source, name);
    padded_line line;
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
    files_.push_back(std::move(file));
    index(files_.size() - 1);
    return files_.size() - 1;
}

void expanded_lines::index(std::size_t index) {
    stored_file& file = files_[index];
    file.info.resize(file.begins.size());
    std::map<std::string, std::size_t> open_subs;
    for (std::size_t at = 0; at < file.begins.size(); ++at) {
        const padded_line line = file.line(at);
        scan_line(line, scan_);
        line_info& info = file.info[at];
        info.parameters = scan_.parameters;
        info.words = plain_words(line.text());
        bool only_words =
            scan_.words.empty() || (scan_.words.size() == 1 && scan_.words[0].slot == K_SLOT);
        constexpr std::uint32_t CALL_LETTERS =
            1U << ('N' - 'A') | 1U << ('O' - 'A') | 1U << ('P' - 'A') | 1U << ('L' - 'A');
        info.simple = only_words && scan_.codes.size() == 1 &&
                      (scan_.letters & ~CALL_LETTERS) == 0 && !scan_.parameters &&
                      scan_.held == kind_bit(scan_.codes[0].kind);
        const auto has_m = [&](int tenths) {
            return std::any_of(scan_.codes.begin(), scan_.codes.end(), [&](const code_word& code) {
                return code.letter == 'M' && code.tenths == tenths;
            });
        };
        if (scan_.o_word != o_word_line::none) {
            const std::optional<o_word> word = read_o_word_line(line.text());
            info.o_name = word ? word->name : "";
            const std::string keyword = word ? word->keyword : "";
            info.role = keyword == "sub"      ? line_role::o_sub
                        : keyword == "endsub" ? line_role::o_endsub
                        : keyword == "call"   ? line_role::o_call
                                              : line_role::o_flow;
            info.arguments = word && word->rest.find('[') != std::string::npos;
            if (info.role == line_role::o_sub) {
                open_subs[info.o_name] = at;
            } else if (info.role == line_role::o_endsub && open_subs.contains(info.o_name)) {
                const std::size_t begin = open_subs[info.o_name];
                file.subs[info.o_name] = {begin + 1, at};
                file.definitions.emplace_back(begin, at);
                open_subs.erase(info.o_name);
            }
        } else if (has_m(980)) {
            info.role = line_role::fanuc_call;
        } else if (has_m(970)) {
            info.role = line_role::local_call;
        } else if (has_m(990)) {
            info.role = line_role::return_line;
        } else if (scan_.holds(kind_bit(code_kind::program_end))) {
            info.role = line_role::program_end;
        } else if (scan_.flow_keyword || scan_.jump_keyword) {
            info.role = line_role::fanuc_flow;
        } else if (!program_number(line.text()).empty()) {
            info.role = line_role::program_number;
            info.o_name = program_number(line.text());
        }
        if (info.words.contains('N')) {
            const std::string label = whole_digits(info.words['N']);
            if (!label.empty() && !file.labels.contains(label)) {
                file.labels[label] = at;
            }
        }
    }
    // The main program ends at its first M2 or M30 outside a subroutine;
    // after it stand the programs it calls, each from its number to its M99.
    const auto defined = [&](std::size_t at) {
        return std::any_of(
            file.definitions.begin(), file.definitions.end(),
            [&](const auto& range) { return at >= range.first && at <= range.second; });
    };
    file.main_end = file.begins.size();
    for (std::size_t at = 0; at < file.begins.size(); ++at) {
        if (file.info[at].role == line_role::program_end && !defined(at)) {
            file.main_end = at + 1;
            break;
        }
    }
    for (std::size_t at = file.main_end; at < file.begins.size(); ++at) {
        if (file.info[at].role != line_role::program_number) {
            continue;
        }
        std::size_t end = at + 1;
        while (end < file.begins.size() && file.info[end].role != line_role::return_line) {
            ++end;
        }
        if (!file.programs.contains(file.info[at].o_name)) {
            file.programs[file.info[at].o_name] = {at + 1, end};
        }
    }
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

std::optional<std::pair<std::size_t, std::size_t>> expanded_lines::find_program(
    const std::string& number, std::size_t from_file) {
    for (const std::size_t file : {from_file, std::size_t{0}}) {
        const auto found = files_[file].programs.find(number);
        if (found != files_[file].programs.end()) {
            return std::pair{file, found->second.first};
        }
    }
    std::string padded = number;
    if (padded.size() < 4) {
        padded.insert(0, 4 - padded.size(), '0');
    }
    std::vector<std::string> names;
    for (const std::string& digits : {number, padded}) {
        for (const std::string& name : {"O" + digits, "O" + digits + ".nc", digits + ".nc",
                                        "O" + digits + ".NC", "O" + digits + extension_}) {
            if (std::find(names.begin(), names.end(), name) == names.end()) {
                names.push_back(name);
            }
        }
    }
    for (const std::string& name : names) {
        for (std::size_t file = 1; file < files_.size(); ++file) {
            if (files_[file].name == name) {
                return std::pair{file, std::size_t{0}};
            }
        }
        if (const std::optional<std::string> bytes = find_(name)) {
            return std::pair{load(name, *bytes, false), std::size_t{0}};
        }
    }
    return std::nullopt;
}

void expanded_lines::call(std::size_t file, std::size_t at) {
    const line_info info = files_[file].info[at];
    if (frames_.size() >= static_cast<std::size_t>(MOST_NESTED_CALLS)) {
        refuse("calls nested deeper than 8");
    }
    if (info.role == line_role::o_call) {
        if (info.arguments) {
            refuse("a call with arguments");
        }
        const std::string label = "o" + info.o_name;
        for (const std::size_t where : {file, std::size_t{0}}) {
            const auto found = files_[where].subs.find(info.o_name);
            if (found != files_[where].subs.end()) {
                push(where, found->second.first, found->second.second, label, 1, true);
                return;
            }
        }
        const std::string name =
            (info.o_name.front() == '<' ? info.o_name.substr(1, info.o_name.size() - 2)
                                        : info.o_name) +
            ".ngc";
        const std::optional<std::string> bytes = find_(name);
        if (!bytes) {
            refuse("no subroutine " + label);
        }
        const std::size_t loaded = load(name, *bytes, false);
        const auto found = files_[loaded].subs.find(info.o_name);
        if (found == files_[loaded].subs.end()) {
            refuse("no subroutine " + label + " in " + name);
        }
        push(loaded, found->second.first, found->second.second, label, 1, true);
        return;
    }
    if (!info.simple) {
        refuse("a call line with other words");
    }
    const auto word = [&](char letter) {
        const auto found = info.words.find(letter);
        return found == info.words.end() ? std::string() : found->second;
    };
    const std::string p = word('P');
    const std::string repeat_text = !word('L').empty() ? word('L') : word('K');
    if (whole_digits(p).empty()) {
        refuse("no program number");
    }
    std::uint64_t count = 1;
    if (!repeat_text.empty()) {
        const std::string digits = whole_digits(repeat_text);
        if (digits.empty() || digits == "0" || digits.size() > 4) {
            refuse("a repeat count of 1 to 9999 is expected");
        }
        count = std::stoull(digits);
    }
    if (info.role == line_role::local_call) {
        const std::string label = whole_digits(p);
        const auto found = files_[file].labels.find(label);
        if (found == files_[file].labels.end()) {
            refuse("no line N" + label);
        }
        std::size_t end = found->second;
        while (end < files_[file].info.size() &&
               files_[file].info[end].role != line_role::return_line) {
            ++end;
        }
        push(file, found->second, end, "N" + label, count, false);
        return;
    }
    // M98: P names the program; without L or K, a P of more than four digits
    // may be Fanuc's count and program number packed in one.
    std::string number = whole_digits(p);
    std::optional<std::pair<std::size_t, std::size_t>> program = find_program(number, file);
    if (repeat_text.empty() && p.size() > 4) {
        const std::string packed = whole_digits(p.substr(p.size() - 4));
        const std::string packed_count = whole_digits(p.substr(0, p.size() - 4));
        const auto packed_program = find_program(packed, file);
        if (program && packed_program) {
            refuse("O" + number + " and O" + packed + " both exist: controls read P" + p +
                   " differently");
        }
        if (!program && packed_program) {
            program = packed_program;
            number = packed;
            count = std::stoull(packed_count);
            if (count == 0 || count > MOST_REPEATS) {
                refuse("a repeat count of 1 to 9999 is expected");
            }
        }
    }
    if (!program) {
        refuse("no program O" + number);
    }
    const stored_file& called = files_[program->first];
    std::size_t begin = program->second;
    if (program->first != file && program->first != 0 && begin == 0) {
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
    push(program->first, begin, end, "O" + number, count, false);
}

bool expanded_lines::next(padded_line& line) {
    for (;;) {
        if (!frames_.empty()) {
            frame& f = frames_.back();
            if (f.at >= f.end) {
                if (f.repeat < f.count) {
                    ++f.repeat;
                    f.at = f.begin;
                    number_ = f.call_number;
                    line = comment_line();
                    return true;
                }
                const stored_file& file = files_[f.file];
                if (!f.linuxcnc && f.end < file.info.size() &&
                    (!file.info[f.end].simple || file.info[f.end].words.contains('P'))) {
                    number_ = (static_cast<std::uint64_t>(f.file) << FILE_SHIFT) | (f.end + 1);
                    refuse("M99 with other words");
                }
                frames_.pop_back();
                continue;
            }
            const std::size_t at = f.at++;
            const std::size_t file = f.file;
            const line_info& info = files_[file].info[at];
            number_ = (static_cast<std::uint64_t>(file) << FILE_SHIFT) | (at + 1);
            switch (info.role) {
                case line_role::fanuc_call:
                case line_role::local_call:
                case line_role::o_call:
                    call(file, at);
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
            if (f.linuxcnc && info.parameters) {
                refuse("a parameter in a subroutine");
            }
            line = files_[file].line(at);
            return true;
        }
        const stored_file& input = files_[0];
        if (main_at_ >= input.info.size()) {
            return false;
        }
        const std::size_t at = main_at_++;
        number_ = at + 1;
        const auto definition = std::find_if(input.definitions.begin(), input.definitions.end(),
                                             [&](const auto& range) { return range.first == at; });
        if (definition != input.definitions.end()) {
            main_at_ = definition->second + 1;
            continue;
        }
        // After the main program's end stand the programs it calls: not written.
        if (at >= input.main_end && !only_percent(input.line(at).text())) {
            continue;
        }
        switch (input.info[at].role) {
            case line_role::fanuc_call:
            case line_role::local_call:
            case line_role::o_call:
                call(0, at);
                line = comment_line();
                return true;
            case line_role::return_line:
                throw conversion_stop(stop_reason::main_program_loops, {}, number_);
            default:
                line = input.line(at);
                return true;
        }
    }
}

}  // namespace g91to90
