#include "convert/preamble.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_run.hpp"

namespace g91to90 {
namespace {

using testing::memory_run;

constexpr const char* WARNING = "Warning:in input file the location of G92/G90/G91 maybe wrong!\n";

struct preamble_case {
    std::string name;
    std::string input;
    std::string written;    // the output file after the pass
    std::string mode_line;  // left in the line buffer; empty when the pass stops
    std::string console;    // the message when the pass stops
};

TEST(CopyPreamble, CopiesUpToTheModeLine) {
    const std::vector<preamble_case> cases = {
        {"plain", "%\nO0001\n(TEST)\nG91 G21\nG00 X1\n", "%\r\nO0001\r\n(TEST)\r\n", "G91 G21\n",
         ""},
        {"mode line first", "G92 X0\n", "", "G92 X0\n", ""},
        {"comment with mode code stays", "(G90 MODE)\nG90\n", "(G90 MODE)\r\n", "G90\n", ""},
        {"blank before mode code", " G90\n", "", " G90\n", ""},
        {"comment with axis letter", "(MAX X TRAVEL)\nG91\n", "(MAX X TRAVEL)\r\n", "G91\n", ""},
        {"exempt code with axis", "G28 X0 Y0\nG91\n", "G28 X0 Y0\r\n", "G91\n", ""},
        {"tool change", "M06 T1\nG91\n", "M06 T1\r\n", "G91\n", ""},
        {"empty lines dropped, blanks kept", "\n\r\n  \nG91\n", "  \r\n", "G91\n", ""},
        {"comment naming system and G90", "(G54 G90)\nG91\n", "(G54 G90)\r\nG91\r\n", "G91\n", ""},
        {"system without G90", "(G54)\nG91\n", "(G54)\r\n", "G91\n", ""},
        {"lower-case letters", "x5 y5\nG91\n", "x5 y5\r\n", "G91\n", ""},
        {"mode line without newline", "%\nG91 X1", "%\r\n", "G91 X1", ""},
        {"G92 inside a word", "M30G929\n", "", "M30G929\n", ""},
        {"axis word before mode line", "%\nG00 X10\nG91\n", "%\r\n", "", WARNING},
        {"axis word on the first line", "Z5\n", "", "", WARNING},
        {"empty input", "", "", "", ""},
        {"input ends in preamble", "%\nM06 T1\n", "%\r\nM06 T1\r\n", "", ""},
        {"only empty lines", "\n\n", "", "", ""},
        {"last line with system and G90", "(G54 G90)", "(G54 G90)\r\nG91\r\n", "", ""},
    };
    for (const preamble_case& c : cases) {
        memory_run run(c.input);
        int status = 0;
        try {
            copy_preamble(run.context);
        } catch (const conversion_failure& failure) {
            status = failure.status;
            EXPECT_EQ(failure.what(), c.console) << c.name;
        }
        EXPECT_EQ(run.written(), c.written) << c.name;
        EXPECT_EQ(status, c.mode_line.empty() ? STATUS_FAILURE : 0) << c.name;
        if (!c.mode_line.empty()) {
            EXPECT_EQ(run.context.line_buffer, c.mode_line) << c.name;
        }
    }
}

}  // namespace
}  // namespace g91to90
