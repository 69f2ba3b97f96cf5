#include "platform.hpp"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <array>
#include <cstdio>
#include <iostream>
#include <streambuf>
#endif

namespace g91to90 {

void use_binary_standard_streams() {
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
}

#ifdef _WIN32
namespace {

// Whether `text` is well-formed UTF-8 (of which ASCII is a part).
bool is_utf8(const std::string& text) {
    std::size_t follow = 0;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (follow > 0) {
            if ((byte & 0xC0U) != 0x80U) {
                return false;
            }
            --follow;
        } else if (byte >= 0xF0U && byte <= 0xF4U) {
            follow = 3;
        } else if (byte >= 0xE0U) {
            follow = byte <= 0xEFU ? 2 : 4;
        } else if (byte >= 0xC2U) {
            follow = 1;
        } else if (byte >= 0x80U) {
            return false;
        }
        if (follow == 4) {
            return false;
        }
    }
    return follow == 0;
}

// Console input read as UTF-16 and handed on as UTF-8.
class console_input : public std::streambuf {
  public:
    explicit console_input(HANDLE console) : console_(console) {}

  protected:
    int_type underflow() override {
        std::array<wchar_t, 1024> wide{};
        DWORD read = 0;
        if (!ReadConsoleW(console_, wide.data(), static_cast<DWORD>(wide.size()), &read, nullptr) ||
            read == 0) {
            return traits_type::eof();
        }
        const int size =
            WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(read), bytes_.data(),
                                static_cast<int>(bytes_.size()), nullptr, nullptr);
        if (size <= 0) {
            return traits_type::eof();
        }
        // Ctrl-Z typed at the start of an answer ends the console input.
        if (bytes_[0] == '\x1a') {
            return traits_type::eof();
        }
        setg(bytes_.data(), bytes_.data(), bytes_.data() + size);
        return traits_type::to_int_type(bytes_[0]);
    }

  private:
    HANDLE console_;
    std::array<char, 4096> bytes_{};  // room for 1024 UTF-16 units as UTF-8
};

}  // namespace
#endif

void use_unicode_console_input() {
#ifdef _WIN32
    const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    DWORD mode = 0;
    if (input != INVALID_HANDLE_VALUE && GetConsoleMode(input, &mode)) {
        static console_input buffer(input);
        std::cin.rdbuf(&buffer);
    }
#endif
}

file_name name_from_text(const std::string& text) {
#ifdef _WIN32
    if (is_utf8(text)) {
        return {text, std::filesystem::path(std::u8string(text.begin(), text.end()))};
    }
#endif
    return name_from_bytes(text);
}

std::vector<file_name> command_words(int argc, char** argv) {
    std::vector<file_name> words;
    for (int i = 1; i < argc; ++i) {
        words.push_back(name_from_bytes(argv[i]));
    }
    return words;
}

#ifdef _WIN32
std::vector<file_name> command_words(int argc, wchar_t** argv) {
    std::vector<file_name> words;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path path(argv[i]);
        const std::u8string shown = path.u8string();
        words.push_back({std::string(shown.begin(), shown.end()), std::move(path)});
    }
    return words;
}
#endif

}  // namespace g91to90
