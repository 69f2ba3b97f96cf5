// g91to90: rewrites a G-code part program from incremental (G91) to absolute
// (G90) distance mode. The entry point is the one place that prints a stop's
// message, flushes what was written and ends the process.
#include <iostream>
#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "convert/convert.hpp"
#include "front_end.hpp"
#include "messages.hpp"
#include "options.hpp"
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
    if (status != STATUS_SUCCESS) {
        drop_output(files);
    } else if (!keep_output(files)) {
        status = STATUS_OUTPUT_FAILED;
    }
    return status;
}

// After an early stop an output written directly keeps what was written
// before it, and a temporary one is removed; the stop's own message and
// status stand even when this flush fails too.
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
    drop_output(files);
}

int stop_with(const stop_report& report, open_files& files, std::optional<line_writer>& out) {
    std::cout << report.message << std::flush;
    keep_written_output(files, out);
    return report.status;
}

template <typename Char>
int run_program(int argc, Char** argv) {
    use_binary_standard_streams();
    open_files files;
    std::optional<line_writer> out;
    try {
        const program_options options = read_options(command_words(argc, argv));
        if (options.action != program_action::convert) {
            std::cout << (options.action == program_action::show_usage ? usage_text()
                                                                       : version_text())
                      << std::flush;
            return STATUS_SUCCESS;
        }
        open_both_files(files, options.file_names, std::cin, std::cout);
        line_reader in(*files.input.rdbuf(), files.input_name);
        out.emplace(*files.output.rdbuf());
        const auto ask = [](std::string_view prompt) {
            return ask_token(std::cin, std::cout, prompt);
        };
        convert_program(in, *out, {.given = options.start, .ask = ask}, options.format);
        return close_files(files, *out);
    } catch (const conversion_stop& stop) {
        return stop_with(report_stop(stop), files, out);
    } catch (const std::bad_alloc&) {
        return stop_with(OUT_OF_MEMORY_REPORT, files, out);
    } catch (...) {
        return stop_with(INTERNAL_ERROR_REPORT, files, out);
    }
}

}  // namespace

#ifdef _WIN32
// Windows hands the words over as UTF-16 here, so that every name opens.
int wmain(int argc, wchar_t** argv) {
    return run_program(argc, argv);
}
#else
int main(int argc, char** argv) {
    return run_program(argc, argv);
}
#endif
