// g91to90: rewrites a G-code part program from incremental (G91) to absolute
// (G90) distance mode. The entry point is the one place that prints a stop's
// message, flushes what was written and ends the process.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "front_end.hpp"
#include "g91to90/g91to90.hpp"
#include "messages.hpp"
#include "options.hpp"
#include "platform.hpp"

namespace {

using namespace g91to90;

constexpr const char* INPUT_PROMPT = "\nINPUT-FILE NAME:";
constexpr const char* OUTPUT_PROMPT = "\nOUTPUT-FILE NAME:";
// Where a run's prompts and messages go.
struct console {
    std::istream& in;
    std::ostream& prompts;
    std::ostream& messages;
    bool may_ask;
};

// The names of one run: given, or asked for when they are not.
struct run_names {
    std::optional<file_name> input;
    std::optional<file_name> output;
};

file_name given_or_asked(const std::optional<file_name>& name, const console& user,
                         const char* prompt) {
    return name ? *name : name_from_text(ask_token(user.in, user.prompts, prompt));
}

// Closes the output after a conversion: false when it could not be closed.
bool close_output(open_files& files) {
    if (!files.output.stream.is_open()) {
        return true;  // standard output, or nothing written
    }
    files.output.stream.close();
    return !files.output.stream.fail();
}

// After a stop, an output written directly keeps what was written before it
// and a temporary one is removed.
void drop_written_output(open_files& files, output_file& picture) {
    files.output.stream.close();
    drop_output(files.output);
    picture.stream.close();
    drop_output(picture);
}

// The picture of a successful run, through a temporary file of its own
// (whether it may replace a file was decided before the conversion): false
// when it could not be written.
bool write_picture(output_file& picture, const file_name& name, const std::string& svg) {
    open_output_file(picture, name, true);
    picture.stream << svg;
    picture.stream.close();
    return !picture.stream.fail();
}

// A message after a file's name, on one line: how a batch or a check shows it.
std::string named_message(const std::string& name, const stop_report& report) {
    std::string message = report.message;
    while (!message.empty() && message.front() == '\n') {
        message.erase(0, 1);
    }
    // "Can't open NAME" and its reason on one line, too.
    for (std::size_t end = message.find('\n'); end != std::string::npos && end + 1 < message.size();
         end = message.find('\n', end)) {
        message[end] = ' ';
    }
    if (message.empty()) {
        message = "ERROR: stopped\n";  // the console ended
    }
    return name + ": " + message;
}

// What --check prints: the verdict, then what was read up to it.
void print_check(std::ostream& out, const std::string& name, const stop_report& report,
                 const std::optional<result>& done) {
    out << (report.status == STATUS_SUCCESS ? name + ": converts\n" : named_message(name, report));
    if (done) {
        out << report_text(done->read);
    }
}

// Called programs in files beside the input (in the working folder for
// standard input), with the input's extension.
void find_files_beside(const file_name& input, options& how) {
    const std::filesystem::path folder =
        input.standard_stream ? std::filesystem::path(".") : input.path.parent_path();
    const auto find = [folder](const std::string& name) -> std::optional<std::string> {
        const std::filesystem::path path = folder / name_from_text(name).path;
        std::error_code error;
        if (!std::filesystem::is_regular_file(path, error)) {
            return std::nullopt;
        }
        std::ifstream file(path, std::ios::binary);
        std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (file.bad()) {
            return std::nullopt;
        }
        return bytes;
    };
    const std::u8string extension = input.path.extension().u8string();
    how.extension.assign(extension.begin(), extension.end());
    how.find_file = find;
}

// One conversion, or check, of one input. `batch_name` is the input's name
// in a batch, which then shows every message after it; empty otherwise.
int run_one(const program_options& options, const run_names& names, const console& user,
            const std::string& batch_name) {
    open_files files;
    output_file picture;
    std::optional<result> done;
    std::string input_name = names.input ? names.input->shown : "";
    stop_report report{"", STATUS_SUCCESS};
    try {
        const file_name input = given_or_asked(names.input, user, INPUT_PROMPT);
        input_name = input.shown;
        open_input(files, input);
        std::optional<file_name> output;
        if (!options.check) {
            output = given_or_asked(names.output, user, OUTPUT_PROMPT);
        }
        // The picture never replaces the input, the output or a program.
        if (options.preview && (names_same_file(*options.preview, input) ||
                                (output && names_same_file(*options.preview, *output)))) {
            throw run_stop(stop_reason::same_files);
        }
        if (options.preview) {
            refuse_incremental_program(*options.preview, options.force);
        }
        if (output) {
            open_output(files, input, *output, options.force);
        } else {
            discard_output(files);
        }
        g91to90::options how = options.conversion;
        how.check_only = options.check;
        how.toolpath = options.preview.has_value();
        how.title = input_name;
        if (user.may_ask) {
            how.ask = [&user](std::string_view prompt) -> std::optional<std::string> {
                try {
                    return ask_token(user.in, user.prompts, prompt);
                } catch (const run_stop&) {
                    return std::nullopt;  // the console ended
                }
            };
        }
        if (how.expand_calls) {
            find_files_beside(input, how);
        }
        std::streambuf& source = *files.input_buffer;
        const read_function read = [&source](char* at,
                                             std::size_t size) -> std::optional<std::size_t> {
            std::streamsize got = 0;
            try {
                got = source.sgetn(at, static_cast<std::streamsize>(size));
            } catch (const std::exception&) {
                // A file buffer reports a failed read by throwing.
                return std::nullopt;
            }
            return got <= 0 ? 0 : static_cast<std::size_t>(got);
        };
        std::streambuf& sink = *files.output_buffer;
        const write_function write = [&sink](std::string_view bytes) {
            const auto size = static_cast<std::streamsize>(bytes.size());
            return sink.sputn(bytes.data(), size) == size;
        };
        done = convert(read, write, how, files.input_name);
        if (done->stopped) {
            report = {done->stopped->message, done->stopped->status};
        } else {
            files.input.close();
            const bool written =
                close_output(files) &&
                (!options.preview || write_picture(picture, *options.preview, done->svg)) &&
                keep_output(files.output) && keep_output(picture);
            if (!written) {
                report = output_failed_report();
            }
        }
    } catch (const run_stop& stop) {
        report = report_stop(stop.value);
    } catch (const std::bad_alloc&) {
        report = OUT_OF_MEMORY_REPORT;
    } catch (...) {
        report = INTERNAL_ERROR_REPORT;
    }
#ifdef _WIN32
    // Only Windows lets the program go on after an interrupt, to remove its
    // temporary files: it ends with the interrupt's status.
    if (const int interrupted = interrupt_status(); interrupted != 0) {
        report = {"", interrupted};
    }
#endif
    if (report.status != STATUS_SUCCESS) {
        drop_written_output(files, picture);
    }
    if (options.check) {
        print_check(std::cout, input_name, report, done);
    } else if (report.status != STATUS_SUCCESS && !batch_name.empty()) {
        user.messages << named_message(batch_name, report);
    } else {
        user.messages << report.message;
    }
    user.messages << std::flush;
    std::cout << std::flush;
    return report.status;
}

// The refusal of a batch's input, decided before anything is written: its
// output is another of the inputs (which would be replaced before it is
// read), or an earlier input's output. Nothing when it may be converted.
std::optional<run_stop> batch_refusal(const std::vector<file_name>& inputs, std::size_t index,
                                      const file_name& output,
                                      std::map<std::filesystem::path, std::string>& taken_outputs) {
    for (std::size_t other = 0; other < inputs.size(); ++other) {
        if (other != index && names_same_file(output, inputs[other]) &&
            !names_same_file(inputs[index], inputs[other])) {
            return run_stop(stop_reason::output_is_an_input, output.shown);
        }
    }
    const auto [taken, added] =
        taken_outputs.try_emplace(output.path.lexically_normal(), inputs[index].shown);
    if (!added) {
        return run_stop(stop_reason::same_output_name, taken->second);
    }
    return std::nullopt;
}

// Each input on its own, without prompts: written into the output folder
// under its own name, or checked. Status 1 when any fails. A conversion
// ends with the count of inputs converted and failed.
int run_batch(const program_options& options) {
    const console user{std::cin, std::cout, std::cout, false};
    if (options.output_dir && !options.check) {
        std::error_code error;
        std::filesystem::create_directories(options.output_dir->path, error);
        std::error_code ignored;
        if (!std::filesystem::is_directory(options.output_dir->path, ignored)) {
            run_stop stop(stop_reason::output_not_opened, options.output_dir->shown);
            stop.value.error = error_value(error);
            std::cout << report_stop(stop.value).message << std::flush;
            return STATUS_FAILURE;
        }
    }
    // Every name is checked before anything is written.
    const std::vector<file_name>& inputs = options.file_names;
    std::vector<std::optional<file_name>> outputs(inputs.size());
    std::vector<std::optional<run_stop>> refusals(inputs.size());
    std::map<std::filesystem::path, std::string> taken_outputs;  // each output, and its input
    for (std::size_t i = 0; i < inputs.size() && !options.check; ++i) {
        outputs[i] = name_in_folder(*options.output_dir, inputs[i]);
        refusals[i] = batch_refusal(inputs, i, *outputs[i], taken_outputs);
    }
    std::size_t failed = 0;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        if (refusals[i]) {
            std::cout << named_message(inputs[i].shown, report_stop(refusals[i]->value))
                      << std::flush;
            ++failed;
        } else if (run_one(options, {inputs[i], outputs[i]}, user, inputs[i].shown) !=
                   STATUS_SUCCESS) {
            ++failed;
        }
#ifdef _WIN32
        if (const int interrupted = interrupt_status(); interrupted != 0) {
            return interrupted;  // no more inputs after an interrupt
        }
#endif
    }
    if (!options.check) {
        std::cout << inputs.size() - failed << " converted, " << failed << " failed\n"
                  << std::flush;
    }
    return failed == 0 ? STATUS_SUCCESS : STATUS_FAILURE;
}

// --web: the installed page's path, or why there is none.
int show_web_page() {
    try {
        const std::filesystem::path page = web_page_path(program_folder());
        const std::u8string shown = page.u8string();
        const std::string text(shown.begin(), shown.end());
        std::error_code error;
        if (!std::filesystem::is_regular_file(page, error)) {
            std::cout << "ERROR: the web page is not installed: " << text
                      << "\nBuild it with: cmake --workflow --preset web\n"
                      << std::flush;
            return STATUS_FAILURE;
        }
        std::cout << text << "\n" << std::flush;
        return STATUS_SUCCESS;
    } catch (const std::bad_alloc&) {
        std::cout << OUT_OF_MEMORY_REPORT.message << std::flush;
        return OUT_OF_MEMORY_REPORT.status;
    } catch (...) {
        std::cout << INTERNAL_ERROR_REPORT.message << std::flush;
        return INTERNAL_ERROR_REPORT.status;
    }
}

template <typename Char>
int run_program(int argc, Char** argv) {
    use_binary_standard_streams();
    use_unicode_console_input();
    handle_interrupts();
    const std::vector<file_name> words = command_words(argc, argv);
    // A "-" among the words: a filter, which asks nothing and keeps standard
    // output for the program; every message goes to standard error.
    bool filter = false;
    for (const file_name& word : words) {
        filter = filter || word.shown == "-";
    }
    program_options options;
    try {
        const char* integers = std::getenv(INTEGERS_VARIABLE);
        options = read_options(words, integers != nullptr && *integers != '\0'
                                          ? std::optional<std::string_view>(integers)
                                          : std::nullopt);
    } catch (const run_stop& stop) {
        const stop_report report = report_stop(stop.value);
        (filter ? std::cerr : std::cout) << report.message << std::flush;
        return report.status;
    }
    if (options.action == program_action::show_web_page) {
        return show_web_page();
    }
    if (options.action != program_action::convert) {
        std::cout << (options.action == program_action::show_usage ? usage_text() : version_text())
                  << std::flush;
        return STATUS_SUCCESS;
    }
    if (options.batch()) {
        return run_batch(options);
    }
    const console user{std::cin, std::cout, filter ? std::cerr : std::cout, !filter};
    run_names names;
    if (!options.file_names.empty()) {
        names.input = options.file_names[0];
    }
    if (options.file_names.size() > 1) {
        names.output = options.file_names[1];
    }
    return run_one(options, names, user, "");
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
