#include "line_codes.hpp"

#include <array>
#include <cstring>

namespace g91to90 {

namespace {

// Sets of three-character G codes, searched in one pass over the places
// where a "G" stands.
template <std::size_t N>
bool holds_any(std::string_view line, const std::array<std::string_view, N>& codes) {
    const char* const end = line.data() + line.size();
    const char* at = line.data();
    while (end - at >= 3) {
        at = static_cast<const char*>(std::memchr(at, 'G', static_cast<std::size_t>(end - at - 2)));
        if (at == nullptr) {
            return false;
        }
        for (const std::string_view code : codes) {
            if (at[1] == code[1] && at[2] == code[2]) {
                return true;
            }
        }
        ++at;
    }
    return false;
}

constexpr std::array<std::string_view, 3> MODE_CODES{"G90", "G91", "G92"};
constexpr std::array<std::string_view, 9> EXEMPT_CODES{"G28", "G30", "G53", "G54", "G55",
                                                       "G56", "G57", "G58", "G59"};
constexpr std::array<std::string_view, 7> COORDINATE_SYSTEM_CODES{"G53", "G54", "G55", "G56",
                                                                  "G57", "G58", "G59"};

}  // namespace

bool holds_code(std::string_view line, std::string_view code) {
    return line.find(code) != std::string_view::npos;
}

bool holds_mode_code(std::string_view line) {
    return holds_any(line, MODE_CODES);
}

bool holds_exempt_code(std::string_view line) {
    return holds_any(line, EXEMPT_CODES);
}

bool holds_coordinate_system_code(std::string_view line) {
    return holds_any(line, COORDINATE_SYSTEM_CODES);
}

bool holds_axis_letter(std::string_view line) {
    return line.find_first_of("XYZ") != std::string_view::npos;
}

bool holds_char(std::string_view line, char c) {
    return line.find(c) != std::string_view::npos;
}

}  // namespace g91to90
