// The body pass: every line after the preamble, converted or copied.
#pragma once

#include <cstdint>
#include <string_view>

#include "line_io.hpp"
#include "line_scan.hpp"
#include "machine.hpp"
#include "number_output.hpp"

namespace g91to90 {

// One line of the body, already scanned: decides what it is (call, return,
// copied, canned cycle, motion or plain line), writes it and keeps the
// machine's state in step. Throws a stop naming `line_number` when the line
// cannot be converted.
void convert_line(std::string_view line, std::uint64_t line_number, const scanned_line& scan,
                  line_writer& out, machine_state& machine, const number_format& format);

// Converts or copies every remaining line of the input.
void convert_body(line_reader& in, line_writer& out, scanned_line& scan, machine_state& machine,
                  const number_format& format);

// Writes a line unchanged, unless it holds nothing but its newline or is a
// last line of a single character (such as a closing "%").
void copy_line(std::string_view line, line_writer& out);

// Writes the line `added` after `line`, on a line of its own even when `line`
// has no newline.
void add_line_after(std::string_view line, std::string_view added, line_writer& out);

}  // namespace g91to90
