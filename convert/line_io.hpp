// Reading and writing lines with the converter's own line-end rules, so that
// the output is the same bytes on every platform.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace g91to90 {

inline constexpr std::size_t IO_BLOCK_SIZE = std::size_t{64} * 1024;

// Every line the reader gives is followed in memory by LINE_PADDING readable
// bytes, so that a line can be read and copied in whole words past its end.
// They never continue the line's last number: the line ends with its
// newline, or zero bytes follow it.
inline constexpr std::size_t LINE_PADDING = 16;

inline bool has_newline(std::string_view line) {
    return !line.empty() && line.back() == '\n';
}

// A line's text, followed in memory by LINE_PADDING readable bytes as above.
// Only the reader and test helpers that add the padding themselves make one.
class padded_line {
  public:
    padded_line() = default;
    // `text` must be followed by LINE_PADDING readable bytes that are not a
    // number character.
    static padded_line assume_padded(std::string_view text) { return padded_line(text); }

    std::string_view text() const { return text_; }
    const char* data() const { return text_.data(); }
    std::size_t size() const { return text_.size(); }
    bool empty() const { return text_.empty(); }
    // Any byte up to LINE_PADDING past the text.
    char operator[](std::size_t at) const { return text_.data()[at]; }
    bool newline() const { return has_newline(text_); }

    // Eight bytes from `at` (at most the size) as one little-endian word,
    // the first in the lowest byte: up to eight bytes past the text.
    std::uint64_t eight_bytes(std::size_t at) const {
        static_assert(8 <= LINE_PADDING, "eight bytes from the end stay in the padding");
        std::uint64_t word = 0;
        if constexpr (std::endian::native == std::endian::little) {
            std::memcpy(&word, text_.data() + at, 8);
        } else {
            for (std::size_t i = 0; i < 8; ++i) {
                word |= static_cast<std::uint64_t>(static_cast<unsigned char>(text_.data()[at + i]))
                        << (8 * i);
            }
        }
        return word;
    }

  private:
    explicit padded_line(std::string_view text) : text_(text) {}
    std::string_view text_;
};

// Bytes that grow at the end, held where `std::realloc` can move them: a
// large buffer then grows without a second copy of it in memory.
class growing_bytes {
  public:
    growing_bytes() = default;
    growing_bytes(const growing_bytes&) = delete;
    growing_bytes& operator=(const growing_bytes&) = delete;
    ~growing_bytes();

    void append(const char* bytes, std::size_t count);
    void append_zeros(std::size_t count);
    void clear() { size_ = 0; }
    void drop_before_last() {  // the byte before the last one
        data_[size_ - 2] = data_[size_ - 1];
        --size_;
    }
    const char* data() const { return data_; }
    char back(std::size_t from_end) const { return data_[size_ - 1 - from_end]; }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }

  private:
    void reserve(std::size_t size);
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
};

// Splits its source into lines: block reads, a carriage return before a
// newline dropped, a lone carriage return taken for a newline, a Ctrl-Z
// followed only by Ctrl-Z, CR and LF taken as the end of the input, lines of
// any length.
class line_reader {
  public:
    // `name` is the input's name for the read-error message.
    line_reader(std::streambuf& source, std::string name, std::size_t block_size = IO_BLOCK_SIZE);

    // The next line, with its newline when it has one. The line holds until
    // the next call. False at the end of the input. Throws `ctrl_z_inside`
    // at a Ctrl-Z that more of the program follows.
    bool next(padded_line& line) {
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
        line = padded_line::assume_padded(std::string_view(begin, length));
        return true;
    }

    // The number of the line `next` gave last, counting from 1.
    std::uint64_t line_number() const { return line_number_; }

  private:
    bool next_across_blocks(padded_line& line);
    bool refill();
    void end_at_ctrl_z(std::size_t at);
    bool only_end_marks_follow(std::size_t from);
    void end_lone_carriage_returns();
    padded_line padded_spill();  // the spilled line, its padding appended

    std::streambuf* source_;
    std::string name_;
    std::size_t block_size_;      // the most read at once
    std::vector<char> block_;     // a carried carriage return, the block, then LINE_PADDING bytes
    std::size_t next_ = 0;        // first unread byte of the block
    std::size_t filled_ = 0;      // bytes of the block that hold input
    bool source_done_ = false;    // the source has nothing more (its end, or Ctrl-Z)
    bool carried_cr_ = false;     // the last block ended in a carriage return, held back
    bool ctrl_z_inside_ = false;  // the input went on after a Ctrl-Z
    growing_bytes spill_;         // a line that runs across the end of the block, then its padding
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
    // Writes a line unchanged, unless it holds nothing but its newline or is
    // a last line of a single character (such as a closing "%").
    void copy_line(std::string_view line) {
        if (line.size() >= 2) {
            write_line(line);
        }
    }
    // Writes the line `added` after `line`, on a line of its own even when
    // `line` has no newline.
    void add_line_after(std::string_view line, std::string_view added);

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
