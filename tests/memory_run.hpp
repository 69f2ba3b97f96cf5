// Runs engine steps against in-memory files and console.
#pragma once

#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "convert/convert.hpp"
#include "convert/messages.hpp"

namespace g91to90::test_support {

// A line as the reader gives it: followed by LINE_PADDING zero bytes.
struct padded_text {
    explicit padded_text(std::string_view text)
        : storage(std::string(text) + std::string(LINE_PADDING, '\0')), size(text.size()) {}
    padded_line line() const { return padded_line::assume_padded({storage.data(), size}); }

    std::string storage;
    std::size_t size;
};

struct memory_run {
    explicit memory_run(const std::string& input_text, const std::string& answers = "",
                        std::size_t block_size = IO_BLOCK_SIZE)
        : input(input_text),
          console_in(answers),
          reader(input, "in.nc", block_size),
          writer(output, block_size) {}

    memory_run(const memory_run&) = delete;
    memory_run& operator=(const memory_run&) = delete;

    // Everything written to the output file so far.
    std::string written() {
        writer.flush();
        return output.str();
    }

    // Answers prompts from `console_in`, as the console does.
    ask_function console() {
        return [this](std::string_view prompt) {
            console_out << prompt;
            std::string token;
            if (!(console_in >> token)) {
                return std::optional<std::string>();
            }
            return std::optional<std::string>(token);
        };
    }

    // The whole conversion; the console then holds the prompts and the stop's
    // message, if any. Returns the exit status.
    int convert() {
        try {
            format.integers = integers == "units"        ? integer_reading::units
                              : integers == "increments" ? integer_reading::increments
                                                         : integer_reading::unknown;
            start_source source{.given = {}, .ask = console()};
            if (!start.empty()) {
                source.given = read_start_words(start);
            }
            if (expand) {
                called_files calls{".nc", [this](const std::string& name) {
                                       const auto found = beside.find(name);
                                       return found == beside.end()
                                                  ? std::optional<std::string>()
                                                  : std::optional<std::string>(found->second);
                                   }};
                if (max_lines != 0) {
                    calls.max_lines = max_lines;
                }
                convert_expanded_program(reader, writer, source, format, calls, path);
            } else {
                convert_program(reader, writer, source, format, path);
            }
            return STATUS_SUCCESS;
        } catch (const conversion_stop& stop) {
            const g91to90::stop stopped = stop_of(stop);
            console_out << stopped.message;
            return stopped.status;
        }
    }

    std::stringbuf input;
    std::stringbuf output;
    std::istringstream console_in;
    std::ostringstream console_out;
    line_reader reader;
    line_writer writer;
    number_format format;
    std::string start;         // the --start option's value; none when empty
    std::string integers;      // the --integers option's value; none when empty
    toolpath* path = nullptr;  // follows the moves, when given
    bool expand = false;       // --expand-calls, with these files beside the input
    std::map<std::string, std::string> beside;
    std::uint64_t max_lines = 0;  // --max-lines; the default when 0
};

}  // namespace g91to90::test_support
