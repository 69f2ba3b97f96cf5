// The library's public surface: options in, a result out, a stop as a value.
#include <condition_variable>
#include <exception>
#include <mutex>
#include <new>
#include <sstream>
#include <streambuf>
#include <thread>
#include <utility>

#include "convert.hpp"
#include "g91to90/g91to90.hpp"
#include "line_scan.hpp"
#include "messages.hpp"
#include "number_styles.hpp"
#include "toolpath_svg.hpp"

namespace g91to90 {

namespace {

// The input, read through the caller's function; a failed read throws, as a
// file buffer does, and the reader stops with `input_not_read`. The line
// reader reads in blocks (`sgetn`) only.
class function_source : public std::streambuf {
  public:
    explicit function_source(const read_function& read) : read_(read) {}

  protected:
    std::streamsize xsgetn(char* at, std::streamsize count) override {
        const std::optional<std::size_t> got = read_(at, static_cast<std::size_t>(count));
        if (!got) {
            throw std::ios_base::failure("the input could not be read");
        }
        return static_cast<std::streamsize>(*got);
    }

  private:
    const read_function& read_;
};

// The output, given to the caller's function; a refused write is a short
// count, and the writer stops with `output_failed`. Nothing is given when
// there is no function (a check). The line writer writes in blocks (`sputn`)
// only.
class function_sink : public std::streambuf {
  public:
    explicit function_sink(const write_function* write) : write_(write) {}

  protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override {
        const bool written = write_ == nullptr ||
                             (*write_)(std::string_view(bytes, static_cast<std::size_t>(count)));
        return written ? count : 0;
    }

  private:
    const write_function* write_;
};

// The styles of a program's numbers, as the check prints them.
std::string numbers_text(const toolpath& path, integer_reading reading) {
    const std::uint8_t styles = path.number_styles();
    if ((styles & WHOLE_NUMBER) == 0) {
        return (styles & POINTED_NUMBER) != 0 ? "pointed" : "none but zeros";
    }
    std::string text = (styles & POINTED_NUMBER) == 0
                           ? "whole"
                           : "mixed (first whole word " + path.first_whole_word() + ", line " +
                                 std::to_string(path.first_whole_line()) + ")";
    switch (reading) {
        case integer_reading::units:
            return text + ", read as units";
        case integer_reading::increments:
            return text + ", read as increments";
        case integer_reading::unknown:
            break;
    }
    return text + ", reading not given";
}

// What the run read, from the toolpath it followed.
void take_report(result& done, const toolpath& path, const options& how) {
    done.read.moves = path.moves();
    const std::string_view unit = unit_text(path.unit());
    for (std::size_t axis = 0; axis < done.read.extents.size(); ++axis) {
        const extent& range = path.extents()[axis];
        done.read.extents[axis] = extent_text(range, path.unit());
        if (range.seen) {
            done.read.extents[axis] += unit;
        }
    }
    done.read.numbers = numbers_text(path, how.integers);
    if (how.toolpath) {
        done.moves = path.drawn();
        done.all_drawn = path.all_drawn();
        std::ostringstream picture;
        write_svg(picture, path, how.title);
        done.svg = std::move(picture).str();
    }
}

// The start the options give: none when empty; throws a bad one's stop.
std::optional<given_start> given_start_of(const options& how) {
    if (how.decimals != 0 && (how.decimals < 3 || how.decimals > MOST_WRITTEN_PLACES)) {
        throw conversion_stop(stop_reason::bad_decimals);
    }
    if (how.expand_calls && how.max_lines == 0) {
        throw conversion_stop(stop_reason::bad_command_line,
                              "--max-lines takes a number of lines, 1 or more");
    }
    if (how.start.empty()) {
        return std::nullopt;
    }
    return read_start_words(how.start);
}

// The whole run: the options read, the program converted, and whatever
// stops it made a value.
result run(line_reader& in, const write_function* write, const options& how) {
    result done;
    std::optional<toolpath> path;
    if (how.check_only || how.toolpath) {
        path.emplace(how.toolpath ? how.most_drawn_moves : 0);
    }
    function_sink sink(how.check_only ? nullptr : write);
    line_writer out(sink);
    try {
        const start_source start{.given = given_start_of(how), .ask = how.ask};
        number_format format;
        format.decimals = how.decimals;
        format.decimal_point = how.decimal_point;
        format.integers = how.integers;
        toolpath* const followed = path ? &*path : nullptr;
        if (how.expand_calls) {
            const called_files calls{
                .extension = how.extension,
                .find = how.find_file
                            ? how.find_file
                            : [](const std::string&) { return std::optional<std::string>(); },
                .max_lines = how.max_lines};
            convert_expanded_program(in, out, start, format, calls, followed);
        } else {
            convert_program(in, out, start, format, followed);
        }
        out.flush();
    } catch (const conversion_stop& stopped) {
        done.stopped = stop_of(stopped);
        try {
            out.flush();  // what was written before the stop
        } catch (const conversion_stop&) {
            // Already stopping: the first reason stands.
        }
    }
    done.read.lines = in.line_number();
    if (path) {
        take_report(done, *path, how);
    }
    return done;
}

}  // namespace

std::optional<stop> options_stop(const options& how) {
    try {
        given_start_of(how);
    } catch (const conversion_stop& stopped) {
        return stop_of(stopped);
    }
    return std::nullopt;
}

result convert(std::string_view program, const options& how) {
    std::size_t next = 0;
    const read_function read = [&](char* buffer, std::size_t size) -> std::optional<std::size_t> {
        const std::size_t count = std::min(size, program.size() - next);
        std::copy_n(program.data() + next, count, buffer);
        next += count;
        return count;
    };
    std::string output;
    const write_function write = [&output](std::string_view bytes) {
        output += bytes;
        return true;
    };
    result done = convert(read, write, how);
    done.output = std::move(output);
    return done;
}

result convert(const read_function& read, const write_function& write, const options& how,
               std::string_view input_name) {
    function_source source(read);
    line_reader in(source, std::string(input_name));
    return run(in, &write, how);
}

bool holds_incremental_moves(std::string_view program) {
    std::stringbuf source{std::string(program)};
    line_reader reader(source, "");
    scanned_line scan;
    padded_line line;
    bool incremental = false;
    // The kinds of code a line may hold and still be a move.
    constexpr kind_set MOVE_KINDS =
        kinds(code_kind::motion, code_kind::absolute, code_kind::incremental, code_kind::plane,
              code_kind::units, code_kind::mode, code_kind::machine_function);
    try {
        while (reader.next(line)) {
            scan_line(line, scan);
            const bool absolute_code = scan.holds(kind_bit(code_kind::absolute));
            const bool incremental_code = scan.holds(kind_bit(code_kind::incremental));
            const bool read_incrementally = !absolute_code && (incremental_code || incremental);
            if (absolute_code || incremental_code) {
                incremental = !absolute_code;
            }
            if (read_incrementally && scan.axes != 0 && (scan.held & ~MOVE_KINDS) == 0 &&
                !scan.holds_letter('H')) {  // a move with an H word is a probe
                return true;
            }
        }
    } catch (const conversion_stop&) {
        // A Ctrl-Z with more after it: the lines before it were read.
    }
    return false;
}

std::string report_text(const report& read) {
    std::string text =
        "  lines " + std::to_string(read.lines) + ", moves " + std::to_string(read.moves) + "\n";
    for (std::size_t axis = 0; axis < read.extents.size(); ++axis) {
        text += "  ";
        text += AXIS_LETTERS[axis];
        text += " " + read.extents[axis] + "\n";
    }
    return text + "  numbers: " + read.numbers + "\n";
}

std::string_view version() {
    return G91TO90_VERSION;
}

// The fed conversion: the engine runs in a thread of its own and reads the
// chunks `feed` hands over, one at a time.
struct converter::state {
    explicit state(const options& options) : how(options) {}

    options how;
    std::mutex lock;
    std::condition_variable changed;
    std::string_view chunk;  // the chunk being fed, until read whole
    bool ended = false;      // finish: no more chunks
    bool done = false;       // the conversion returned
    std::string output;      // made and not yet taken
    result outcome;
    std::exception_ptr failure;  // out of memory, or an error of a callback
    std::thread worker;

    std::optional<std::size_t> read(char* buffer, std::size_t size) {
        std::unique_lock<std::mutex> held(lock);
        changed.wait(held, [this] { return !chunk.empty() || ended; });
        const std::size_t count = std::min(size, chunk.size());
        std::copy_n(chunk.data(), count, buffer);
        chunk.remove_prefix(count);
        if (chunk.empty()) {
            changed.notify_all();
        }
        return count;
    }

    bool write(std::string_view bytes) {
        const std::lock_guard<std::mutex> held(lock);
        output += bytes;
        return true;
    }

    void run() {
        try {
            const read_function reader = [this](char* buffer, std::size_t size) {
                return read(buffer, size);
            };
            const write_function writer = [this](std::string_view bytes) { return write(bytes); };
            result finished = convert(reader, writer, how);
            const std::lock_guard<std::mutex> held(lock);
            outcome = std::move(finished);
        } catch (...) {
            const std::lock_guard<std::mutex> held(lock);
            failure = std::current_exception();
        }
        const std::lock_guard<std::mutex> held(lock);
        done = true;
        changed.notify_all();
    }
};

converter::converter(const options& how) : state_(std::make_unique<state>(how)) {
    state_->worker = std::thread([running = state_.get()] { running->run(); });
}

converter::~converter() {
    if (state_->worker.joinable()) {
        {
            const std::lock_guard<std::mutex> held(state_->lock);
            state_->ended = true;
            state_->chunk = {};
        }
        state_->changed.notify_all();
        state_->worker.join();
    }
}

void converter::feed(std::string_view chunk) {
    std::unique_lock<std::mutex> held(state_->lock);
    if (state_->done || state_->ended || chunk.empty()) {
        return;
    }
    state_->chunk = chunk;
    state_->changed.notify_all();
    state_->changed.wait(held, [this] { return state_->chunk.empty() || state_->done; });
    state_->chunk = {};
}

std::string converter::take() {
    const std::lock_guard<std::mutex> held(state_->lock);
    return std::exchange(state_->output, std::string());
}

result converter::finish() {
    {
        const std::lock_guard<std::mutex> held(state_->lock);
        state_->ended = true;
    }
    state_->changed.notify_all();
    if (state_->worker.joinable()) {
        state_->worker.join();
    }
    if (state_->failure) {
        std::rethrow_exception(state_->failure);
    }
    result done = std::move(state_->outcome);
    done.output = std::exchange(state_->output, std::string());
    return done;
}

}  // namespace g91to90
