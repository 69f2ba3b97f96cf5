// The conversion of one program: the engine's only entry.
#pragma once

#include "call_expansion.hpp"
#include "line_io.hpp"
#include "number_output.hpp"
#include "start_position.hpp"
#include "stop.hpp"
#include "toolpath.hpp"

namespace g91to90 {

// Runs the three passes in their order: the preamble, the start position
// (from the mode line, else from `start`) and the body. Throws a
// `conversion_stop` when the program cannot be converted; what was written
// before the stop stays in `out`, to be flushed by the caller.
// Rewritten words are written in `format`. `path`, when given, follows the
// moves of the converted program.
void convert_program(line_reader& in, line_writer& out, const start_source& start,
                     const number_format& format, toolpath* path = nullptr);

// Where called programs that are not in the input are found: files beside
// it, by name; `extension` is the input's own (".nc").
struct called_files {
    std::string extension;
    file_finder find;
    // The most lines the expanded program may have (--max-lines).
    std::uint64_t max_lines = DEFAULT_MOST_EXPANDED_LINES;
};

// The same, with every subprogram call (M98, M97, O-word calls) written out
// in place as the control runs it (--expand-calls); the input is read whole
// first. A stop in a called file names it (`line_file`). An input without a
// mode line that holds only definitions stops with `subroutine_file`.
void convert_expanded_program(line_reader& in, line_writer& out, const start_source& start,
                              const number_format& format, const called_files& calls,
                              toolpath* path = nullptr);

}  // namespace g91to90
