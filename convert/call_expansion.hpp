// Subprogram calls written out in place (--expand-calls): the program is read
// whole, then given line by line in the order a control runs it, each call
// replaced by a comment line and the called lines. Every word is read by the
// line scanner, as the converter reads it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "g91to90/g91to90.hpp"
#include "line_io.hpp"
#include "line_scan.hpp"

namespace g91to90 {

// Calls nest at most this deep; a deeper call stops the run.
inline constexpr int MOST_NESTED_CALLS = 8;
// The most times one call runs its program (four digits, as Fanuc's L).
inline constexpr std::uint64_t MOST_CALL_REPEATS = 9999;
// A line of a file beside the input is numbered (file << FILE_SHIFT) | line;
// the input's own lines keep their numbers.
inline constexpr int FILE_SHIFT = 40;
inline constexpr std::uint64_t LINE_MASK = (std::uint64_t{1} << FILE_SHIFT) - 1;

class expanded_lines {
  public:
    // Reads the whole input from `in`; `extension` is the input's own (".nc"),
    // tried for a called program in a file beside it. A call whose lines
    // would make the lines given pass `most_lines` stops.
    expanded_lines(line_reader& in, std::string extension, file_finder find,
                   std::uint64_t most_lines = DEFAULT_MOST_EXPANDED_LINES);
    expanded_lines(const expanded_lines&) = delete;
    expanded_lines& operator=(const expanded_lines&) = delete;
    ~expanded_lines();

    // The next line as the control runs it; false at the main program's end
    // of input. Throws `call_not_expanded` or `main_program_loops` where the
    // calls cannot be followed. The line holds until the next call.
    bool next(padded_line& line);
    // The number of the line `next` gave last (for a call's comment line,
    // that of the call).
    std::uint64_t line_number() const { return number_; }
    // The name of the file a line number stands in: empty for the input.
    const std::string& file_of(std::uint64_t number) const;

    // The call level the line `next` gave last runs at: 0 in the main
    // program, 1 in a program it calls, and so on. A call's comment line
    // stands for the call line and runs at the caller's level.
    int call_level() const { return level_; }
    // How many called programs returned (each repeat of a call returns once)
    // between the line `next` gave before and the one it gave last: the
    // levels left are those above `call_level()`, innermost first.
    std::uint32_t returns_before() const { return returns_before_; }

    // Where the input's first definition stands (an `o... sub` line, or the
    // number line of the first program after the main program's end) when
    // its lines outside definitions hold no main program: nothing but blank,
    // comment, %, program number and M2/M30 lines. 0 otherwise.
    std::uint64_t first_definition_line() const;

  private:
    struct line_info;
    struct stored_file;
    struct frame;
    struct program_place;

    std::size_t load(const std::string& name, std::string_view bytes, bool own_input);
    void index(std::size_t index);
    bool take(padded_line& line);
    // The called body of a call line, pushed as a frame; the comment line it
    // begins with is made in `comment_`.
    void call(std::size_t file, std::size_t at);
    void call_subroutine(std::size_t file, const std::string& name);
    std::optional<program_place> find_program(const std::string& number, std::size_t from_file);
    std::optional<padded_line> check_return(std::size_t file, std::size_t at);
    bool program_follows(std::size_t file, std::size_t at) const;
    void push(std::size_t file, std::size_t begin, std::size_t end, std::string label,
              std::uint64_t count, bool linuxcnc);
    padded_line comment_line();
    padded_line ended(const padded_line& line);
    [[noreturn]] void refuse(const std::string& why) const;

    std::vector<stored_file> files_;
    std::vector<frame> frames_;
    std::size_t main_at_ = 0;
    std::uint64_t number_ = 0;
    std::string comment_;
    std::string modal_return_;  // an M99 line's words that run before it returns
    std::string ended_;         // a called line given the line end the input's last line lacks
    std::string extension_;
    file_finder find_;
    scanned_line scan_;
    std::uint64_t most_lines_;
    std::uint64_t given_ = 0;  // lines given so far
    int level_ = 0;
    std::uint32_t returns_before_ = 0;
    std::uint32_t returns_since_ = 0;  // returns since the line given last
};

}  // namespace g91to90
