// Writing a planned line: writers only write, from the line, its scan, the
// plan and the targets that applying the plan gave its words.
#pragma once

#include <cstddef>

#include "line_io.hpp"
#include "line_plan.hpp"
#include "line_scan.hpp"
#include "number_output.hpp"

namespace g91to90 {

// Writes what stands before the line: a line G91 for a line written under
// an added G91.
void write_line_start(const scanned_line& scan, const line_plan& plan, line_writer& out);

// Writes a rewritten line batch by batch: the text up to each word of the
// batch unchanged but for its G91 codes, written G90, then the word with its
// target in the number format.
class line_rewriter {
  public:
    void write_batch(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                     const word_targets& targets, line_writer& out, const number_format& format);
    // The text after the last word, then the line end.
    void finish(const padded_line& line, const scanned_line& scan, line_writer& out);
    // The common line, whose words fit in one batch: all of it written in
    // place, in room taken from the output block at once. False, with nothing
    // written, when it does not fit that room.
    bool write_whole(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                     const word_targets& targets, line_writer& out, const number_format& format);

  private:
    std::size_t from_ = 0;  // the first character not yet written
};

// Writes a converted cycle line: its words with their targets, its repeat
// count (an L or K word) left out, and a line end when further holes follow.
void write_cycle_line(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                      const word_targets& targets, line_writer& out, const number_format& format);
// Writes the line of a further hole: the line's plane axis words, with their
// targets. The `last` one ends as the cycle line does.
void write_hole_line(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                     const word_targets& targets, bool last, line_writer& out,
                     const number_format& format);

// Writes a line that is not rewritten, and what follows it: the line G90
// after a line holding G91 or written under an added one.
void write_unchanged_line(const padded_line& line, const scanned_line& scan, const line_plan& plan,
                          line_writer& out);

}  // namespace g91to90
