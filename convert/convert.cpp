#include "convert.hpp"

#include "body_pass.hpp"
#include "call_expansion.hpp"
#include "line_scan.hpp"
#include "machine.hpp"

namespace g91to90 {

namespace {

// One program of the file, from its first line: the preamble, the start
// position and the body, in one pass. Returns true where a program of its
// own follows.
template <typename Source>
bool convert_one_program(Source& in, line_writer& out, const start_source& start,
                         const number_format& format, toolpath* path) {
    machine_state machine;
    machine.reading = format.integers;
    machine.points_whole_numbers = format.decimal_point;
    scanned_line scan;
    program_layout layout;
    const bool more = convert_lines(in, out, scan, machine, layout, format, path, start);
    if (more) {
        in.replay(layout.take_held());
    }
    return more;
}

// Every program of the file, one after the other: positions and modes do not
// carry from one to the next.
template <typename Source>
void convert_source(Source& source, line_writer& out, const start_source& start,
                    const number_format& format, toolpath* path) {
    replaying_source<Source> in(source);
    while (convert_one_program(in, out, start, format, path)) {
    }
}

}  // namespace

void convert_program(line_reader& in, line_writer& out, const start_source& start,
                     const number_format& format, toolpath* path) {
    convert_source(in, out, start, format, path);
}

void convert_expanded_program(line_reader& in, line_writer& out, const start_source& start,
                              const number_format& format, const called_files& calls,
                              toolpath* path) {
    expanded_lines lines(in, calls.extension, calls.find, calls.max_lines);
    try {
        convert_source(lines, out, start, format, path);
    } catch (conversion_stop& stop) {
        if (stop.reason == stop_reason::no_mode_line && lines.first_definition_line() != 0) {
            throw conversion_stop(stop_reason::subroutine_file, {}, lines.first_definition_line());
        }
        // The lines of called files are numbered in their own files.
        stop.line_file = lines.file_of(stop.line_number);
        stop.line_number &= LINE_MASK;
        stop.since_file = lines.file_of(stop.since_line);
        stop.since_line &= LINE_MASK;
        throw;
    }
}

}  // namespace g91to90
