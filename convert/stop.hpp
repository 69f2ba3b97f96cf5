// Why a run stops early. The engine and the front end throw a `conversion_stop`;
// the entry point turns its reason into the message and exit status the user
// sees (one table, in app/messages.cpp).
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

namespace g91to90 {

enum class stop_reason {
    input_not_opened,     // detail: the input name
    input_not_read,       // detail: the input name
    same_files,           // the output name names the input file
    output_not_opened,    // detail: the output name
    console_ended,        // standard input ended while an answer was awaited
    no_mode_line,         // the input is empty or ends before the mode line
    misplaced_mode_line,  // an axis word stands before the mode line
    number_out_of_range,  // a coordinate to be written is not finite
    output_failed,        // the output could not be written
    start_not_a_number,   // detail: the token typed as a start value
    // Lines that cannot be converted from incremental mode; each names its line.
    canned_cycle_incremental,
    call_incremental,
    o_word_incremental,
    polar_incremental,
    e_word_incremental,
    mode_kept_under_g91,  // M70, M72 or M73 on a return line written under an added G91
    unknown_position,     // detail: the axis letter
    // The command line, read before anything is opened or asked.
    unknown_option,       // detail: the word as given
    bad_decimals,         // --decimals without 3 or 4
    too_many_file_names,  // more than an input and an output name
};

struct conversion_stop : std::exception {
    explicit conversion_stop(stop_reason reason, std::string detail = {},
                             std::uint64_t line_number = 0)
        : reason(reason), detail(std::move(detail)), line_number(line_number) {}
    const char* what() const noexcept override { return "conversion stopped"; }

    stop_reason reason;
    std::string detail;             // a name or a token, where the message shows one
    std::uint64_t line_number = 0;  // the input line, where the message names one
};

}  // namespace g91to90
