// How one fuzz input holds a run: its first byte gives the length of the
// console answers (modulo 48), the answers follow, then the program.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace g91to90::fuzzing {

inline constexpr std::size_t MOST_ANSWER_BYTES = 47;

struct framed_run {
    std::string answers;
    std::string program;
};

inline framed_run unframe(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return {};
    }
    const std::size_t answer_size =
        std::min<std::size_t>(data[0] % (MOST_ANSWER_BYTES + 1), size - 1);
    const char* const text = reinterpret_cast<const char*>(data) + 1;
    return {std::string(text, answer_size),
            std::string(text + answer_size, size - 1 - answer_size)};
}

// The answers must not be longer than MOST_ANSWER_BYTES.
inline std::string frame(const std::string& answers, const std::string& program) {
    return static_cast<char>(answers.size()) + answers + program;
}

}  // namespace g91to90::fuzzing
