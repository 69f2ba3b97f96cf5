#include "file_pages.hpp"

#ifdef _WIN32
#include "platform.hpp"  // only Windows lets the program go on after an interrupt
#endif

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace g91to90 {

namespace {

// The file at `path` opened for the hints, or -1: never through a symbolic
// link, and without waiting should it have become a pipe meanwhile.
int open_for_hints([[maybe_unused]] const std::filesystem::path& path) {
#if defined(POSIX_FADV_DONTNEED)
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
#else
    return -1;
#endif
}

// Starts writing out the dirty pages of [from, to) and drops those that are
// clean.
void let_go([[maybe_unused]] int handle, [[maybe_unused]] std::uint64_t from,
            [[maybe_unused]] std::uint64_t to) {
#if defined(POSIX_FADV_DONTNEED)
    if (handle >= 0) {
        (void)::posix_fadvise(handle, static_cast<off_t>(from), static_cast<off_t>(to - from),
                              POSIX_FADV_DONTNEED);
    }
#endif
}

void close_handle([[maybe_unused]] int handle) {
#ifndef _WIN32
    if (handle >= 0) {
        (void)::close(handle);
    }
#endif
}

}  // namespace

void let_go_of_cached_pages(const std::filesystem::path& path) {
    const int handle = open_for_hints(path);
    let_go(handle, 0, 0);  // a length of 0: to the end of the file
    close_handle(handle);
}

written_back_buffer::written_back_buffer(std::streambuf& file, const std::filesystem::path& path)
    : file_(&file), handle_(open_for_hints(path)) {}

written_back_buffer::~written_back_buffer() {
    close_handle(handle_);
}

void written_back_buffer::count(std::uint64_t bytes) {
    written_ += bytes;
    if (written_ - last_step_ >= WRITE_BACK_STEP) {
        // The step before the last one is written out by now: its pages
        // are let go of, and the last one starts to be written out.
        let_go(handle_, step_before_, written_);
        step_before_ = last_step_;
        last_step_ = written_;
    }
}

std::streamsize written_back_buffer::xsputn(const char* bytes, std::streamsize count_given) {
#ifdef _WIN32
    if (interrupt_status() != 0) {
        return 0;  // interrupted: the temporary file is to be removed
    }
#endif
    const std::streamsize taken = file_->sputn(bytes, count_given);
    count(taken > 0 ? static_cast<std::uint64_t>(taken) : 0);
    return taken;
}

written_back_buffer::int_type written_back_buffer::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) {
        return traits_type::not_eof(c);
    }
#ifdef _WIN32
    if (interrupt_status() != 0) {
        return traits_type::eof();
    }
#endif
    const int_type put = file_->sputc(traits_type::to_char_type(c));
    if (!traits_type::eq_int_type(put, traits_type::eof())) {
        count(1);
    }
    return put;
}

int written_back_buffer::sync() {
    return file_->pubsync();
}

}  // namespace g91to90
