#include "convert/line_scan.hpp"

#include <gtest/gtest.h>

#include <string>

#include "memory_run.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::padded_line;
using test_support::PrintTo;

// A scan in words: its codes, then where the G91 digit stands, the plane and
// unit, the E, polar and O words, then its axis and arc words with their
// number texts, such as "motion G91@4 X5 Y7.5".
std::string describe(const scanned_line& scan) {
    static constexpr const char* CODE_NAMES[] = {
        "motion",  "dwell", "data",    "return", "shift", "machine", "system", "call", "modal",
        "unmodal", "cycle", "uncycle", "G90",    "G91",   "G92",     "G92.x",  "save", "restore"};
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : " ") + part; };
    for (std::size_t bit = 0; bit < std::size(CODE_NAMES); ++bit) {
        if (scan.holds(1U << bit)) {
            add(CODE_NAMES[bit]);
        }
    }
    if (scan.g91_digit != std::string_view::npos) {
        add("G91@" + std::to_string(scan.g91_digit));
    }
    if (scan.plane != 0) {
        add("G" + std::to_string(scan.plane));
    }
    if (scan.unit != 0) {
        add("G" + std::to_string(scan.unit));
    }
    if (scan.e_word) {
        add("E");
    }
    if (scan.polar_word) {
        add("polar");
    }
    if (scan.o_word != o_word_line::none) {
        add(scan.o_word == o_word_line::call ? "O-call" : "O-control");
    }
    for (const line_word& word : scan.words) {
        const char letter =
            word.slot < AXIS_COUNT ? AXIS_LETTERS[word.slot] : "IJKR"[word.slot - FIRST_ARC_SLOT];
        add(letter + std::string(word.number));
    }
    return text;
}

struct scan_case {
    std::string name;
    std::string line;
    std::string scan;  // as `describe` puts it
};

class ScanLine : public ::testing::TestWithParam<scan_case> {};

TEST_P(ScanLine, ReadsALineAsAControlDoes) {
    scanned_line scan;
    const padded_line left_over("G1 X1 (LEFT OVER) Y2 Z3 I4 G91\n");
    scan_line(left_over.view(), scan);  // nothing of it may stay
    const padded_line line(GetParam().line);
    scan_line(line.view(), scan);
    EXPECT_EQ(describe(scan), GetParam().scan);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScanLine,
    ::testing::Values(
        scan_case{
            .name = "plain move", .line = "N10 G01 X1.5 Y-2 F100\n", .scan = "motion X1.5 Y-2"},
        scan_case{.name = "paren comment", .line = "G1 X10 (X5 G91 G28)\n", .scan = "motion X10"},
        scan_case{.name = "unclosed comment", .line = "X1 (NOTE Y5", .scan = "X1"},
        scan_case{.name = "comment ends at first close", .line = "(A (B) X1)", .scan = "X1"},
        scan_case{.name = "semicolon comment", .line = "G1 X10 ; X5 note\n", .scan = "motion X10"},
        scan_case{.name = "semicolon inside parens", .line = "(A;B) X1", .scan = "X1"},
        scan_case{.name = "comment first", .line = "(NOTE) G91 X5", .scan = "G91 G91@9 X5"},
        scan_case{.name = "lower case", .line = "g91 g1 x10", .scan = "motion G91 G91@2 X10"},
        scan_case{.name = "blank after letter", .line = "X 5", .scan = "X5"},
        scan_case{.name = "blank inside number", .line = "X1 0.5 Y- .5", .scan = "X10.5 Y-.5"},
        scan_case{.name = "blank before a sign ends the word", .line = "X5 -3", .scan = "X5"},
        scan_case{.name = "letter without number", .line = "G1 X Y5", .scan = "motion Y5"},
        scan_case{.name = "point alone is a number", .line = "Y.", .scan = "Y."},
        scan_case{.name = "program name", .line = "%_N_XYZ_MPF", .scan = ""},
        scan_case{.name = "codes by value", .line = "G091 G91.0 g 9 1", .scan = "G91 G91@3"},
        scan_case{.name = "dotted codes differ", .line = "G91.1 G90.1 G92.1 G1.5", .scan = "G92.x"},
        scan_case{.name = "code without digit", .line = "G G. G- X1", .scan = "X1"},
        scan_case{.name = "negative code", .line = "G-91 G-0", .scan = "motion"},
        scan_case{.name = "far decimals", .line = "G91.00001 G90.000", .scan = "G90"},
        scan_case{.name = "coordinate systems", .line = "G54.1 P2", .scan = "system"},
        scan_case{.name = "machine coordinates", .line = "G53 G0 Z0", .scan = "motion machine Z0"},
        scan_case{.name = "returns", .line = "G28 G30 X0", .scan = "return X0"},
        scan_case{.name = "cycles", .line = "G81 G89 G73 G74 G76", .scan = "cycle"},
        scan_case{.name = "not a cycle", .line = "G81.5 G75 G80", .scan = "uncycle"},
        scan_case{.name = "calls", .line = "M98 P100 G65 G66 G67", .scan = "call modal unmodal"},
        scan_case{.name = "dwell data shift", .line = "G4 G10 G52", .scan = "dwell data shift"},
        scan_case{.name = "saved modes", .line = "M70 M72 M73", .scan = "save restore"},
        scan_case{
            .name = "last unit and plane count", .line = "G21 G18 G20 G19", .scan = "G19 G20"},
        scan_case{.name = "more axes and arcs",
                  .line = "A1 B2 C3 U4 V5 W6 I7 J8 K9 R10",
                  .scan = "A1 B2 C3 U4 V5 W6 I7 J8 K9 R10"},
        scan_case{.name = "E word", .line = "G1 X1 E0.5", .scan = "motion E X1"},
        scan_case{.name = "polar word", .line = "G1 @ 5 ^90", .scan = "motion polar"},
        scan_case{.name = "at sign without digit", .line = "@-", .scan = ""},
        scan_case{.name = "O-word sub", .line = "o100 sub", .scan = "O-control"},
        scan_case{.name = "O-word named call", .line = "O<probe> CALL [1]", .scan = "O-call"},
        scan_case{.name = "O-word callsub", .line = " (X) o 7 callsub", .scan = "O-call"},
        scan_case{.name = "program number", .line = "O1000 (PART) G91", .scan = "G91 G91@15"},
        scan_case{.name = "O-word without name end", .line = "o<probe call", .scan = ""}),
    test_support::row_name());

}  // namespace
}  // namespace g91to90
