// The system's cached pages of the files the program replaces and writes:
// let go of when they are no longer needed. Where the system takes no such
// hint (Windows), nothing happens.
#pragma once

#include <cstdint>
#include <filesystem>
#include <streambuf>

namespace g91to90 {

// Tells the system that the cached pages of the file at `path`, which is
// about to be replaced, are no longer needed: the new file's pages then take
// memory the old one frees, as they do when a file is emptied and written
// again, instead of memory not used before. The file itself is not changed.
// Nothing happens when it cannot be opened.
void let_go_of_cached_pages(const std::filesystem::path& path);

// A buffer that hands every byte on to `file`, the buffer of the file at
// `path`, and every WRITE_BACK_STEP bytes has the system start writing out
// what was written before and let go of the pages already written out. A
// file of gigabytes then reaches the disk as it is written, not all at once
// when it is renamed (where a file system such as ext4 writes out a file
// that replaces another), and its pages are reused instead of filling the
// memory. A file smaller than the step is left to the system. On Windows,
// once the program is interrupted (`interrupt_status`) it takes no more
// bytes.
class written_back_buffer final : public std::streambuf {
  public:
    static constexpr std::uint64_t WRITE_BACK_STEP = std::uint64_t{16} << 20;

    written_back_buffer(std::streambuf& file, const std::filesystem::path& path);
    written_back_buffer(const written_back_buffer&) = delete;
    written_back_buffer& operator=(const written_back_buffer&) = delete;
    ~written_back_buffer() override;

  protected:
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int_type overflow(int_type c) override;
    int sync() override;

  private:
    void count(std::uint64_t bytes);

    std::streambuf* file_;
    int handle_ = -1;              // the file opened again for the hints, or -1
    std::uint64_t written_ = 0;    // bytes handed on
    std::uint64_t last_step_ = 0;  // where the last hint was given
    std::uint64_t step_before_ = 0;
};

}  // namespace g91to90
