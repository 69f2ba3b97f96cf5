#include "line_io.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>
#include <streambuf>

#include "stop.hpp"

namespace g91to90 {

namespace {

constexpr char CTRL_Z = 26;

// What may follow the Ctrl-Z that marks the end of a file on old systems.
bool end_mark(char c) {
    return c == CTRL_Z || c == '\r' || c == '\n';
}

}  // namespace

growing_bytes::~growing_bytes() {
    std::free(data_);
}

void growing_bytes::reserve(std::size_t size) {
    if (size <= capacity_) {
        return;
    }
    const std::size_t capacity = std::max(size, capacity_ * 2);
    auto* const grown = static_cast<char*>(std::realloc(data_, capacity));
    if (grown == nullptr) {
        throw std::bad_alloc();
    }
    data_ = grown;
    capacity_ = capacity;
}

void growing_bytes::append(const char* bytes, std::size_t count) {
    reserve(size_ + count);
    std::memcpy(data_ + size_, bytes, count);
    size_ += count;
}

void growing_bytes::append_zeros(std::size_t count) {
    reserve(size_ + count);
    std::memset(data_ + size_, 0, count);
    size_ += count;
}

line_reader::line_reader(std::streambuf& source, std::string name, std::size_t block_size)
    : source_(&source),
      name_(std::move(name)),
      block_size_(block_size),
      block_(1 + block_size + LINE_PADDING) {}

// Reads up to `size` bytes at `at`; 0 at the end of the source.
namespace {

std::size_t read_some(std::streambuf& source, char* at, std::size_t size, const std::string& name) {
    std::streamsize got = 0;
    try {
        got = source.sgetn(at, static_cast<std::streamsize>(size));
    } catch (const std::exception&) {
        // A file buffer reports a failed read by throwing, not by a short
        // count: that must not pass for the end of the input.
        throw conversion_stop(stop_reason::input_not_read, name);
    }
    return got <= 0 ? 0 : static_cast<std::size_t>(got);
}

}  // namespace

// True when nothing but end marks stand from `from` to the end of the block
// and of the source; the source is read to its end for that, or up to the
// first byte that is no end mark.
bool line_reader::only_end_marks_follow(std::size_t from) {
    for (std::size_t i = from; i < filled_; ++i) {
        if (!end_mark(block_[i])) {
            return false;
        }
    }
    const std::size_t capacity = block_size_;
    std::vector<char> rest(capacity);
    for (;;) {
        const std::size_t got = read_some(*source_, rest.data(), capacity, name_);
        if (got == 0) {
            return true;
        }
        for (std::size_t i = 0; i < got; ++i) {
            if (!end_mark(rest[i])) {
                return false;
            }
        }
    }
}

// The input ends at the Ctrl-Z at `at`; when more of the program follows it,
// the reader stops there with `ctrl_z_inside`.
void line_reader::end_at_ctrl_z(std::size_t at) {
    ctrl_z_inside_ = !only_end_marks_follow(at + 1);
    filled_ = at;
    source_done_ = true;
}

// A carriage return not followed by a newline ends its line as a newline
// does. One that ends the block waits for the next block to tell.
void line_reader::end_lone_carriage_returns() {
    char* at = block_.data();
    char* const end = block_.data() + filled_;
    while ((at = static_cast<char*>(std::memchr(at, '\r', static_cast<std::size_t>(end - at)))) !=
           nullptr) {
        if (at + 1 < end) {
            if (at[1] != '\n') {
                *at = '\n';
            }
        } else if (source_done_) {
            *at = '\n';
        } else {
            carried_cr_ = true;
            --filled_;
            return;
        }
        ++at;
    }
}

bool line_reader::refill() {
    do {
        next_ = 0;
        filled_ = 0;
        if (carried_cr_) {
            block_[0] = '\r';
            filled_ = 1;
            carried_cr_ = false;
        }
        if (!source_done_) {
            const std::size_t got =
                read_some(*source_, block_.data() + filled_, block_size_, name_);
            const void* ctrl_z = std::memchr(block_.data() + filled_, CTRL_Z, got);
            filled_ += got;
            source_done_ = got == 0;
            if (ctrl_z != nullptr) {
                end_at_ctrl_z(
                    static_cast<std::size_t>(static_cast<const char*>(ctrl_z) - block_.data()));
            }
        }
        end_lone_carriage_returns();
    } while (filled_ == 0 && carried_cr_);  // a block of one carriage return waits for the next
    // What follows the last line of the block, when it has no newline.
    std::memset(block_.data() + filled_, 0, LINE_PADDING);
    return filled_ > 0;
}

padded_line line_reader::padded_spill() {
    const std::size_t size = spill_.size();
    spill_.append_zeros(LINE_PADDING);
    return padded_line::assume_padded({spill_.data(), size});
}

// The line that runs to or past the end of the block: gathered in `spill_`
// across blocks, or the last line without newline.
bool line_reader::next_across_blocks(padded_line& line) {
    spill_.clear();
    for (;;) {
        if (next_ == filled_ && !refill()) {
            if (ctrl_z_inside_) {
                throw conversion_stop(stop_reason::ctrl_z_inside, {}, line_number_ + 1);
            }
            line_number_ += spill_.empty() ? 0 : 1;
            line = padded_spill();
            return !line.empty();
        }
        char* const begin = block_.data() + next_;
        const std::size_t available = filled_ - next_;
        auto* const newline = static_cast<char*>(std::memchr(begin, '\n', available));
        if (newline == nullptr) {
            spill_.append(begin, available);
            next_ = filled_;
            continue;
        }
        if (spill_.empty()) {
            return next(line);  // a new block holds the whole line
        }
        const std::size_t length = static_cast<std::size_t>(newline - begin) + 1;
        next_ += length;
        ++line_number_;
        spill_.append(begin, length);
        if (spill_.size() >= 2 && spill_.back(1) == '\r') {
            spill_.drop_before_last();
        }
        line = padded_spill();
        return true;
    }
}

line_writer::line_writer(std::streambuf& sink, std::size_t block_size)
    : sink_(&sink), block_(block_size) {}

void line_writer::put(const char* bytes, std::size_t size) {
    const auto count = static_cast<std::streamsize>(size);
    if (sink_->sputn(bytes, count) != count) {
        throw conversion_stop(stop_reason::output_failed);
    }
}

void line_writer::flush() {
    if (used_ == 0) {
        return;
    }
    const std::size_t size = used_;
    used_ = 0;
    put(block_.data(), size);
}

void line_writer::write_through(std::string_view bytes) {
    flush();
    if (bytes.size() < block_.size()) {
        std::memcpy(block_.data(), bytes.data(), bytes.size());
        used_ = bytes.size();
        return;
    }
    put(bytes.data(), bytes.size());
}

void line_writer::write_line(std::string_view line) {
    if (has_newline(line)) {
        write(line.substr(0, line.size() - 1));
        newline();
    } else {
        write(line);
    }
}

void line_writer::add_line_after(std::string_view line, std::string_view added) {
    if (!has_newline(line)) {
        newline();
    }
    write(added);
    newline();
}

}  // namespace g91to90
