// Helpers for tables of test cases: each row is its own test, named after
// the row's `name`, so that one row can be picked with --gtest_filter.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>
#include <string_view>

namespace g91to90::test_support {

// A row's name as a test name: letters and digits, words joined by "_".
inline std::string test_name(std::string_view text) {
    std::string name;
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c)) != 0) {
            name.push_back(c);
        } else if (!name.empty() && name.back() != '_') {
            name.push_back('_');
        }
    }
    while (!name.empty() && name.back() == '_') {
        name.pop_back();
    }
    return name;
}

// A row is shown by its name, not by its bytes, in test listings and reports.
template <class Row>
requires requires(const Row& row) {
    row.name;
}
void PrintTo(const Row& row, std::ostream* out) {
    *out << row.name;
}

struct row_name {
    template <class Row>
    std::string operator()(const ::testing::TestParamInfo<Row>& info) const {
        return test_name(info.param.name);
    }
};

// Lines written as "A|B|C": each line ends with `line_end`.
inline std::string joined_lines(std::string_view lines, std::string_view line_end) {
    std::string text;
    std::size_t start = 0;
    for (;;) {
        const std::size_t bar = lines.find('|', start);
        text.append(lines.substr(start, bar - start)).append(line_end);
        if (bar == std::string_view::npos) {
            return text;
        }
        start = bar + 1;
    }
}

// An input program: "A|B" is "A\nB\n".
inline std::string lf(std::string_view lines) {
    return joined_lines(lines, "\n");
}
// A converted program: "A|B" is "A\r\nB\r\n".
inline std::string crlf(std::string_view lines) {
    return joined_lines(lines, "\r\n");
}

}  // namespace g91to90::test_support
