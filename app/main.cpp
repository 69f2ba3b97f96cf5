// g91to90: rewrites a G-code part program from incremental (G91) to absolute
// (G90) distance mode. The entry point is the one place that prints a stop's
// message, flushes what was written and ends the process.
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "convert/convert.hpp"
#include "front_end.hpp"
#include "messages.hpp"
#include "platform.hpp"

namespace {

using namespace g91to90;

// Closes the input, then the output; the status of a clean run, or of one
// whose output could not be written or closed.
int close_files(open_files& files, line_writer& out) {
    files.input.close();
    int status = STATUS_SUCCESS;
    try {
        out.flush();
    } catch (const conversion_stop&) {
        status = STATUS_OUTPUT_FAILED;
    }
    files.output.close();
    if (files.output.fail()) {
        status = STATUS_OUTPUT_FAILED;
    }
    return status;
}

// After an early stop the output keeps what was written before it; the
// stop's own message and status stand even when this flush fails too.
void keep_written_output(open_files& files, std::optional<line_writer>& out) {
    if (out) {
        try {
            out->flush();
        } catch (const conversion_stop&) {
            // Already stopping: nothing more to report.
        }
    }
    files.input.close();
    files.output.close();
}

int stop_with(const stop_report& report, open_files& files, std::optional<line_writer>& out) {
    std::cout << report.message << std::flush;
    keep_written_output(files, out);
    return report.status;
}

}  // namespace

int main(int argc, char** argv) {
    use_binary_standard_streams();
    open_files files;
    std::optional<line_writer> out;
    try {
        const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
        open_both_files(files, arguments, std::cin, std::cout);
        line_reader in(*files.input.rdbuf(), files.input_name);
        out.emplace(*files.output.rdbuf());
        convert_program(
            in, *out,
            [](std::string_view prompt) { return ask_token(std::cin, std::cout, prompt); },
            number_format{});
        return close_files(files, *out);
    } catch (const conversion_stop& stop) {
        return stop_with(report_stop(stop), files, out);
    } catch (const std::bad_alloc&) {
        return stop_with(OUT_OF_MEMORY_REPORT, files, out);
    } catch (...) {
        return stop_with(INTERNAL_ERROR_REPORT, files, out);
    }
}
