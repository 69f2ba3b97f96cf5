// The toolpath a run converts, followed line by line for the check report
// and the picture: the moves, and the extents of X, Y and Z over every
// position the tool is known to reach (arcs in the XY plane included).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "g91to90/g91to90.hpp"
#include "line_io.hpp"
#include "line_plan.hpp"
#include "line_scan.hpp"
#include "machine.hpp"

namespace g91to90 {

struct extent {
    double low = 0;
    double high = 0;
    bool seen = false;

    void take(double value) {
        low = seen && low < value ? low : value;
        high = seen && high > value ? high : value;
        seen = true;
    }
};

class toolpath {
  public:
    // Keeps at most `most_drawn` moves for a picture (0 for a report alone).
    explicit toolpath(std::size_t most_drawn) : most_drawn_(most_drawn) {}

    // The start position, before the first line of the body.
    void begin(const machine_state& machine);
    // A hole of a canned cycle: the plane axes went to it, the tool down to
    // its bottom level and back.
    void hole(const machine_state& machine, const line_plan& plan);
    // A line, applied: a move when its axis words moved the tool.
    void line(const scanned_line& scan, const line_plan& plan, const machine_state& machine);
    // The numbers of a line's axis and arc words (a cycle's K repeat count
    // is none): with a point or without (see number_styles.hpp); the first
    // without a point is remembered.
    void numbers(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                 std::uint64_t line_number);

    // The styles of the program's numbers that are not zero (POINTED_NUMBER,
    // WHOLE_NUMBER), and its first word without a point and its line.
    std::uint8_t number_styles() const { return number_styles_; }
    const std::string& first_whole_word() const { return first_whole_word_; }
    std::uint64_t first_whole_line() const { return first_whole_line_; }

    std::uint64_t moves() const { return moves_; }
    const std::array<extent, 3>& extents() const { return extents_; }
    // The unit of the extents and drawn moves.
    length_unit unit() const { return unit_; }
    const std::vector<drawn_move>& drawn() const { return drawn_; }
    // False when the program has more moves than could be kept.
    bool all_drawn() const { return all_drawn_; }

  private:
    // The machine's position in the extents' unit; false for an axis not known.
    void read_position(const machine_state& machine);
    void keep(drawn_move move);
    void take_arc(const drawn_move& move);

    std::size_t most_drawn_;
    std::uint64_t moves_ = 0;
    std::array<extent, 3> extents_{};
    length_unit unit_ = length_unit::unknown;
    std::array<double, 3> at_{};  // X, Y, Z where the tool stands
    std::array<bool, 3> known_{};
    motion_kind motion_ = motion_kind::rapid;  // the motion code in force
    bool absolute_centres_ = false;            // G90.1 until G91.1
    std::vector<drawn_move> drawn_;
    bool all_drawn_ = true;
    std::uint8_t number_styles_ = 0;
    std::string first_whole_word_;
    std::uint64_t first_whole_line_ = 0;
};

}  // namespace g91to90
