// Reading and writing lines with the converter's own line-end rules, so that
// the output is the same bytes on every platform.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace g91to90 {

inline constexpr std::size_t IO_BLOCK_SIZE = std::size_t{64} * 1024;

// Every line `line_reader` gives is followed in memory by LINE_PADDING
// readable bytes, so that a line can be read and copied in whole words past
// its end. They never continue the line's last number: the line ends with its
// newline, or zero bytes follow it.
inline constexpr std::size_t LINE_PADDING = 16;

inline bool has_newline(std::string_view line) {
    return !line.empty() && line.back() == '\n';
}

// Splits its source into lines: block reads, a carriage return before a
// newline dropped, Ctrl-Z taken as the end of the input, lines of any length.
class line_reader {
  public:
    // `name` is the input's name for the read-error message.
    line_reader(std::streambuf& source, std::string name, std::size_t block_size = IO_BLOCK_SIZE);

    // The next line, with its newline when it has one, followed by
    // LINE_PADDING bytes. The view holds until the next call. False at the
    // end of the input.
    bool next(std::string_view& line) {
        // The common case, without a call: the whole line lies in the block.
        // A carriage return before the newline becomes the newline, and the
        // line ends there.
        char* const begin = block_.data() + next_;
        auto* const newline = static_cast<char*>(std::memchr(begin, '\n', filled_ - next_));
        if (newline == nullptr) {
            return next_across_blocks(line);
        }
        std::size_t length = static_cast<std::size_t>(newline - begin) + 1;
        next_ += length;
        ++line_number_;
        if (length >= 2 && newline[-1] == '\r') {
            newline[-1] = '\n';
            --length;
        }
        line = std::string_view(begin, length);
        return true;
    }

    // The number of the line `next` gave last, counting from 1.
    std::uint64_t line_number() const { return line_number_; }

  private:
    bool next_across_blocks(std::string_view& line);
    bool refill();
    std::string_view padded_spill();  // the spilled line, its padding appended

    std::streambuf* source_;
    std::string name_;
    std::vector<char> block_;   // the block, then LINE_PADDING bytes
    std::size_t next_ = 0;      // first unread byte of the block
    std::size_t filled_ = 0;    // bytes of the block that hold input
    bool source_done_ = false;  // the source has nothing more (its end, or Ctrl-Z)
    std::string spill_;         // a line that runs across the end of the block, then its padding
    std::uint64_t line_number_ = 0;
};

// Gathers output bytes in a block and hands them to the sink in large writes.
// A newline in a line's text goes out as carriage return and newline.
class line_writer {
  public:
    explicit line_writer(std::streambuf& sink, std::size_t block_size = IO_BLOCK_SIZE);

    // Writes bytes verbatim; a newline among them is written as it stands.
    void write(std::string_view bytes) {
        if (bytes.size() <= block_.size() - used_) {
            std::memcpy(block_.data() + used_, bytes.data(), bytes.size());
            used_ += bytes.size();
            return;
        }
        write_through(bytes);
    }
    // Writes a line's text unchanged, its newline (if it has one) as CR LF.
    void write_line(std::string_view line);
    // Writes CR LF.
    void newline() { write("\r\n"); }

    // Room for up to `size` bytes (at most the block size), to be filled in
    // place and then claimed.
    char* room(std::size_t size) {
        if (size > block_.size() - used_) {
            flush();
        }
        return block_.data() + used_;
    }
    void claim(std::size_t size) { used_ += size; }
    std::size_t block_size() const { return block_.size(); }

    // Hands everything written so far to the sink; throws `output_failed`
    // when the sink does not take it all.
    void flush();

  private:
    void write_through(std::string_view bytes);
    void put(const char* bytes, std::size_t size);

    std::streambuf* sink_;
    std::vector<char> block_;
    std::size_t used_ = 0;
};

}  // namespace g91to90
