// Subprogram definitions: LinuxCNC's `o<name> sub` ... `o<name> endsub`
// anywhere in a file, and Fanuc-style programs after the main program's M2
// or M30 (`O1000` ... `M99`). Their lines run where they are called, not
// where they stand: none of them is the mode line or a line of the main
// program's flow. A definition is copied unchanged when it means the same
// wherever it is called: when every axis word in it is read in absolute mode
// that it sets itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "line_io.hpp"
#include "line_scan.hpp"
#include "machine.hpp"

namespace g91to90 {

// Where a line stands: in the main program; in a definition (written as it
// stands); held back, while a block after the main program's end (from its
// program number) has not yet shown whether it is a definition (it ends
// with M99) or a program of its own (it ends with M2 or M30); or the last
// line of a program of its own that follows the main program in the file,
// which runs from the lines held back (`take_held`) and this one.
enum class line_place : std::uint8_t { main_program, definition, held, new_program };

// A line held back, with its number.
struct held_line {
    std::string text;
    std::uint64_t number;
};

// Where the lines read so far stand.
class program_layout {
  public:
    // The place of a line read at `line_number`. Throws
    // `incremental_definition` for a line of a definition whose axis words
    // are read in its caller's mode or in incremental mode, and
    // `optional_end` for a program line after a "/" M2 or M30 of the main
    // program.
    // A line of a definition that no control reads alike stops as any line
    // does (`refuse_unreadable_line`).
    line_place place(const padded_line& line, const scanned_line& scan,
                     const machine_state& machine, std::uint64_t line_number) {
        // The common line: in the main program, read by the common loop (so
        // no O word), no program end.
        if (inside_ == inside::main_program && optional_end_ == 0 && !scan.read_generally &&
            !scan.holds(kind_bit(code_kind::program_end))) [[likely]] {
            return line_place::main_program;
        }
        return place_other(line, scan, machine, line_number);
    }

    // The first line of the first definition, or 0 when there is none.
    std::uint64_t first_definition() const { return first_definition_; }

    // The lines held back: to be written as they stand where the block was a
    // definition (`definition` returned), or run as a program of its own
    // (`new_program` returned).
    std::vector<held_line> take_held() { return std::move(held_); }
    // At the end of the input: a block held back is a definition, read as one
    // (which may stop), and its lines are returned to be written.
    std::vector<held_line> end_held();

    // The most a block after the main program's end may hold while it is
    // held back.
    static constexpr std::size_t MOST_HELD_BYTES = std::size_t{64} << 20;

  private:
    enum class inside : std::uint8_t { main_program, linuxcnc_sub, candidate };

    // A block after the main program's end, from its program number: a
    // definition where it ends with M99, a program of its own where it ends
    // with M2 or M30.
    line_place place_candidate(const padded_line& line, const scanned_line& scan,
                               const machine_state& machine, std::uint64_t line_number);
    // The block held back is a definition: its lines are read as one's.
    void check_held_definition();

    line_place place_other(const padded_line& line, const scanned_line& scan,
                           const machine_state& machine, std::uint64_t line_number);
    void begin(inside kind, std::string name, std::uint64_t line_number);
    void read_definition_line(const scanned_line& scan);

    inside inside_ = inside::main_program;
    std::string name_;                             // the definition's name, as messages show it
    std::string sub_name_;                         // a LinuxCNC sub's name as written
    std::uint64_t first_line_ = 0;                 // the definition's first line
    distance_mode mode_ = distance_mode::unknown;  // set by the definition's own lines
    bool main_ended_ = false;                      // M2 or M30 read in the main program
    std::uint64_t first_definition_ = 0;
    std::uint64_t optional_end_ = 0;  // a "/" M2 or M30 of the main program
    std::vector<held_line> held_;     // a candidate's lines
    std::size_t held_bytes_ = 0;
};

}  // namespace g91to90
