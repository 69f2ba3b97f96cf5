#include "platform.hpp"

#include <algorithm>
#include <array>
#include <atomic>
#include <csignal>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <streambuf>
#else
#include <unistd.h>
#endif

namespace g91to90 {

namespace {

// What an interrupt's handler reaches. A signal handler may only touch
// memory set aside before it runs and call the few functions safe there, so
// the files to remove are kept here, in static storage, as paths of a fixed
// most length: the program's only variables of their kind.
constexpr std::size_t MOST_PATH_UNITS = 4096;
static_assert(std::atomic<int>::is_always_lock_free, "an atomic int is safe in a handler");

struct interrupt_slot {
    std::array<std::filesystem::path::value_type, MOST_PATH_UNITS> path{};
    std::atomic<int> used{0};  // set once `path` is written, cleared to free the slot
};

std::array<interrupt_slot, INTERRUPT_SLOTS> interrupt_slots;
std::atomic<int> interrupted{0};  // the status to end with, once an interrupt came

void remove_noted_files() {
    for (interrupt_slot& slot : interrupt_slots) {
        if (slot.used.load() != 0) {
#ifdef _WIN32
            DeleteFileW(slot.path.data());
#else
            ::unlink(slot.path.data());
#endif
        }
    }
}

#ifdef _WIN32
bool any_file_noted() {
    return std::any_of(interrupt_slots.begin(), interrupt_slots.end(),
                       [](const interrupt_slot& slot) { return slot.used.load() != 0; });
}

// Runs in a thread of its own. An open file cannot be removed: the program
// sees `interrupted`, stops writing and removes its temporary files itself.
BOOL WINAPI on_console_event(DWORD event) {
    const int status = event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT ? 130 : 143;
    interrupted.store(status);
    constexpr int MOST_WAITS = 40;  // of 50 ms: the system ends a closed console's program in 5 s
    for (int waits = 0; waits < MOST_WAITS && any_file_noted(); ++waits) {
        Sleep(50);
    }
    remove_noted_files();
    TerminateProcess(GetCurrentProcess(), static_cast<UINT>(status));
    return TRUE;
}
#else
constexpr std::array<int, 3> INTERRUPTS{SIGINT, SIGTERM, SIGHUP};

// Async-signal-safe: atomic loads, unlink, sigaction and raise alone.
void on_signal(int signal_number) {
    remove_noted_files();
    struct sigaction default_action {};
    default_action.sa_handler = SIG_DFL;
    sigemptyset(&default_action.sa_mask);
    sigaction(signal_number, &default_action, nullptr);
    raise(signal_number);  // delivered, with its default action, once the handler returns
}
#endif

}  // namespace

void handle_interrupts() {
#ifdef _WIN32
    SetConsoleCtrlHandler(on_console_event, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    for (const int signal_number : INTERRUPTS) {
        sigaddset(&action.sa_mask, signal_number);  // one handler runs at a time
    }
    for (const int signal_number : INTERRUPTS) {
        struct sigaction before {};  // SIG_DFL, should the call fail
        sigaction(signal_number, nullptr, &before);
        if (before.sa_handler != SIG_IGN) {
            sigaction(signal_number, &action, nullptr);
        }
    }
#endif
}

int remove_on_interrupt(const std::filesystem::path& temporary) {
    const std::filesystem::path::string_type& units = temporary.native();
    if (units.size() >= MOST_PATH_UNITS) {
        return -1;
    }
    for (std::size_t slot = 0; slot < interrupt_slots.size(); ++slot) {
        interrupt_slot& free = interrupt_slots[slot];
        if (free.used.load() == 0) {
            std::copy(units.begin(), units.end(), free.path.begin());
            free.path[units.size()] = 0;
            free.used.store(1);  // after the path: a handler never reads half of it
            return static_cast<int>(slot);
        }
    }
    return -1;
}

void forget_on_interrupt(int slot) {
    if (slot >= 0) {
        interrupt_slots[static_cast<std::size_t>(slot)].used.store(0);
    }
}

int interrupt_status() {
    return interrupted.load();
}

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

std::filesystem::path program_folder() {
#ifdef _WIN32
    std::wstring name(MOST_PATH_UNITS, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0 || length >= name.size()) {
        return {};
    }
    name.resize(length);
    return std::filesystem::path(name).parent_path();
#else
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
#endif
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
