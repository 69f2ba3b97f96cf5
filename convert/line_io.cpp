#include "line_io.hpp"

#include <cstring>
#include <exception>
#include <streambuf>

#include "stop.hpp"

namespace g91to90 {

namespace {

constexpr char CTRL_Z = 26;

}  // namespace

line_reader::line_reader(std::streambuf& source, std::string name, std::size_t block_size)
    : source_(&source), name_(std::move(name)), block_(block_size + LINE_PADDING) {}

bool line_reader::refill() {
    next_ = 0;
    filled_ = 0;
    if (source_done_) {
        return false;
    }
    std::streamsize got = 0;
    try {
        got = source_->sgetn(block_.data(),
                             static_cast<std::streamsize>(block_.size() - LINE_PADDING));
    } catch (const std::exception&) {
        // A file buffer reports a failed read by throwing, not by a short
        // count: that must not pass for the end of the input.
        throw conversion_stop(stop_reason::input_not_read, name_);
    }
    if (got <= 0) {
        source_done_ = true;
        return false;
    }
    filled_ = static_cast<std::size_t>(got);
    // Ctrl-Z ends the input as if the file ended there.
    const void* ctrl_z = std::memchr(block_.data(), CTRL_Z, filled_);
    if (ctrl_z != nullptr) {
        filled_ = static_cast<std::size_t>(static_cast<const char*>(ctrl_z) - block_.data());
        source_done_ = true;
    }
    // What follows the last line of the block, when it has no newline.
    std::memset(block_.data() + filled_, 0, LINE_PADDING);
    return filled_ > 0;
}

std::string_view line_reader::padded_spill() {
    const std::size_t size = spill_.size();
    spill_.append(LINE_PADDING, '\0');
    return {spill_.data(), size};
}

// The line that runs to or past the end of the block: gathered in `spill_`
// across blocks, or the last line without newline.
bool line_reader::next_across_blocks(std::string_view& line) {
    spill_.clear();
    for (;;) {
        if (next_ == filled_ && !refill()) {
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
        if (spill_.size() >= 2 && spill_[spill_.size() - 2] == '\r') {
            spill_.erase(spill_.size() - 2, 1);
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

}  // namespace g91to90
