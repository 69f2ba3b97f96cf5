// Runs engine steps against in-memory files and console.
#pragma once

#include <sstream>
#include <string>

#include "convert/line_model.hpp"

namespace g91to90::testing {

struct memory_run {
    explicit memory_run(const std::string& input_text, const std::string& answers = "")
        : input(input_text),
          console_in(answers),
          context(make_context(input, output, console_in, console_out, "in.nc")) {}

    memory_run(const memory_run&) = delete;
    memory_run& operator=(const memory_run&) = delete;

    // Everything written to the output file so far.
    std::string written() {
        flush_output(context);
        return output.str();
    }

    std::stringbuf input;
    std::stringbuf output;
    std::istringstream console_in;
    std::ostringstream console_out;
    conversion_context context;
};

}  // namespace g91to90::testing
