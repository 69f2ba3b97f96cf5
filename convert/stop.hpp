// Why a run stops early. The engine throws a `conversion_stop`; the library
// turns it into a `stop` value with its message (one table, in messages.cpp).
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <utility>

#include "g91to90/g91to90.hpp"

namespace g91to90 {

struct conversion_stop : std::exception {
    explicit conversion_stop(stop_reason reason, std::string detail = {},
                             std::uint64_t line_number = 0)
        : reason(reason), detail(std::move(detail)), line_number(line_number) {}
    const char* what() const noexcept override { return "conversion stopped"; }

    stop_reason reason;
    std::string detail;             // a name, a token, a code or an axis letter
    std::uint64_t line_number = 0;  // the input line, where the message names one
    // Where what the message names began: a line (0 for the start) and a code.
    std::uint64_t since_line = 0;
    std::string since;
    // The files beside the input that `line_number` and `since_line` stand
    // in (a called program's); empty for the input.
    std::string line_file;
    std::string since_file;
    // Why a file could not be opened: an errno value (a std::errc), 0 when
    // not known.
    int error = 0;
    stop_hint hint = stop_hint::none;
};

}  // namespace g91to90
