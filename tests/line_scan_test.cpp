#include "convert/line_scan.hpp"

#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <utility>

#include "memory_run.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::padded_text;
using test_support::PrintTo;

// A scan in words: its kept codes by name, then "motion", G90, G91, the plane
// and the unit, where each G91 digit stands, then
// what else it holds, then its axis and arc words with their values, such as
// "G1 G91 G91@4 X5 Y7.5".
std::string describe(const scanned_line& scan) {
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : " ") + part; };
    for (const code_word& code : scan.codes) {
        std::array<char, 12> name{};
        add(std::string(code_name(code.letter, code.tenths, name)));
    }
    if (scan.motion_code()) {
        add("motion");
    }
    if (scan.holds(kind_bit(code_kind::absolute))) {
        add("G90");
    }
    if (scan.holds(kind_bit(code_kind::incremental))) {
        add("G91");
    }
    std::array<char, 12> name{};
    if (scan.plane != work_plane::unknown) {
        add(std::string(code_name('G', plane_code(scan.plane), name)));
    }
    if (scan.unit != length_unit::unknown) {
        add(std::string(code_name('G', unit_code(scan.unit), name)));
    }
    for (const std::size_t digit : scan.g91_digits) {
        add("G91@" + std::to_string(digit));
    }
    if (scan.conflicting()) {
        add("conflict");
    }
    for (int axis = 0; axis < AXIS_COUNT; ++axis) {
        if ((scan.repeated_axes & axis_bit(axis)) != 0) {
            add(std::string(1, AXIS_LETTERS[static_cast<std::size_t>(axis)]) + "-twice");
        }
    }
    const std::pair<bool, const char*> flags[] = {
        {scan.e_word, "E"},
        {scan.polar_word, "polar"},
        {scan.parameters, "param"},
        {scan.computed_code, "computed"},
        {scan.block_delete, "/"},
        {scan.flow_keyword, "flow"},
        {scan.jump_keyword, "jump"},
        {scan.o_word == o_word_line::sub, "O-sub"},
        {scan.o_word == o_word_line::endsub, "O-endsub"},
        {scan.o_word == o_word_line::call, "O-call"},
        {scan.o_word == o_word_line::control, "O-control"},
        {scan.o_arguments, "arguments"},
        {scan.program_number(), "program"}};
    for (const auto& [held, name] : flags) {
        if (held) {
            add(name);
        }
    }
    const std::pair<text_span, const char*> spans[] = {
        {scan.o_name, "name"}, {scan.p_number, "P"}, {scan.malformed, "bad"}};
    for (const auto& [span, name] : spans) {
        if (!span.empty()) {
            add(std::string(name) + "@" + std::to_string(span.begin) + "-" +
                std::to_string(span.end));
        }
    }
    if (scan.control_char != 0) {
        add("control@" + std::to_string(scan.control_char - 1));
    }
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        if (scan.holds_letter(letter)) {
            add(std::string(1, letter));
        }
    }
    for (int axis = 0; axis < AXIS_COUNT; ++axis) {
        if ((scan.computed_axes & axis_bit(axis)) != 0) {
            add(std::string(1, AXIS_LETTERS[static_cast<std::size_t>(axis)]) + "#");
        }
    }
    for (const line_word& word : scan.words) {
        const char letter =
            word.slot < AXIS_COUNT ? AXIS_LETTERS[word.slot] : "IJKR"[word.slot - FIRST_ARC_SLOT];
        std::ostringstream value;
        value << static_cast<double>(word.value.billionths) / 1e9;
        add(letter + value.str());
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
    const padded_text left_over("G1 X1 (LEFT OVER) Y2 Z3 I4 G91\n");
    scan_line(left_over.line(), scan);  // nothing of it may stay
    const padded_text line(GetParam().line);
    scan_line(line.line(), scan);
    EXPECT_EQ(describe(scan), GetParam().scan);
    scanned_line general;
    scan_line_generally(line.line(), general);
    EXPECT_TRUE(same_reading(scan, general)) << "the common line's loop reads it otherwise";
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScanLine,
    ::testing::Values(
        scan_case{
            .name = "plain move", .line = "N10 G01 X1.5 Y-2 F100\n", .scan = "motion F X1.5 Y-2"},
        scan_case{.name = "words without blanks",
                  .line = "G1X19.021Y-5.68S298\n",
                  .scan = "motion S X19.021 Y-5.68"},
        scan_case{.name = "long line numbers and other words",
                  .line = "N123456789012 G1 X1 F1234567890.12345678 S-99999999\n",
                  .scan = "motion F S X1"},
        scan_case{.name = "other words of every shape",
                  .line = "N10.5 S+5 F.5 T12345678 P5-3 Q\n",
                  .scan = "bad@24-28 F S T"},
        scan_case{.name = "other words of every shape after a comment",
                  .line = "(C) N10.5 S+5 F.5 T12345678 P5-3 H1 2 S",
                  .scan = "bad@28-32 F H S T"},
        scan_case{.name = "a letter at the end of a line without newline",
                  .line = "G1 X1 S",
                  .scan = "motion X1"},
        scan_case{.name = "an axis named twice",
                  .line = "G1 X1 Y2 x3 Z#1 Z4\n",
                  .scan = "motion X-twice Z-twice param Z# X1 Y2 X3 Z4"},
        scan_case{.name = "codes and other words",
                  .line = "N5 G0 M3 S1000 T1 x1 j-2.\n",
                  .scan = "M3 motion S T X1 J-2"},
        scan_case{.name = "paren comment", .line = "G1 X10 (X5 G91 G28)\n", .scan = "motion X10"},
        scan_case{.name = "unclosed comment", .line = "X1 (NOTE Y5", .scan = "X1"},
        scan_case{.name = "comment ends at first close", .line = "(A (B) X1)", .scan = "X1"},
        scan_case{.name = "semicolon comment", .line = "G1 X10 ; X5 note\n", .scan = "motion X10"},
        scan_case{.name = "semicolon inside parens", .line = "(A;B) X1", .scan = "X1"},
        scan_case{.name = "quoted string", .line = "M574 P\"!e0stop\" Y1", .scan = "M574 Y1"},
        scan_case{.name = "comment first", .line = "(NOTE) G91 X5", .scan = "G91 G91@9 X5"},
        scan_case{.name = "lower case", .line = "g91 g1 x10", .scan = "motion G91 G91@2 X10"},
        scan_case{.name = "blank after letter", .line = "X 5", .scan = "X5"},
        scan_case{.name = "blank inside number", .line = "X1 0.5 Y- .5", .scan = "X10.5 Y-0.5"},
        scan_case{.name = "blank before a sign ends the word", .line = "X5 -3", .scan = "X5"},
        scan_case{.name = "letter without number", .line = "G1 X Y5", .scan = "motion Y5"},
        scan_case{.name = "point alone is no number", .line = "Y.", .scan = "bad@0-2"},
        scan_case{.name = "program name", .line = "%_N_XYZ_MPF", .scan = ""},
        scan_case{.name = "message words", .line = "M117 Print done", .scan = "M117"},
        scan_case{
            .name = "codes by value", .line = "G091 G91.0 g 9 1", .scan = "G91 G91@3 G91@7 G91@15"},
        scan_case{
            .name = "G91 with a trailing point", .line = "G91. G091.", .scan = "G91 G91@2 G91@8"},
        scan_case{.name = "dotted codes differ",
                  .line = "G91.1 G90.1 G92.1 G1.5",
                  .scan = "G91.1 G90.1 G92.1 G1.5 conflict"},
        scan_case{.name = "code without digit", .line = "G G. G- X1", .scan = "bad@2-4 X1"},
        scan_case{.name = "negative code", .line = "G-91 G-0", .scan = "G? motion"},
        scan_case{.name = "far decimals", .line = "G91.00001 G90.000", .scan = "G? G90"},
        scan_case{
            .name = "two codes of a group", .line = "G90 G91", .scan = "G90 G91 G91@6 conflict"},
        scan_case{.name = "two motion codes", .line = "G0 G1 X1\n", .scan = "motion conflict X1"},
        scan_case{
            .name = "the same code twice", .line = "G91 G91 X5", .scan = "G91 G91@2 G91@6 X5"},
        scan_case{.name = "more axes and arcs",
                  .line = "A1 B2 C3 U4 V5 W6 I7 J8 K9 R10",
                  .scan = "A1 B2 C3 U4 V5 W6 I7 J8 K9 R10"},
        scan_case{.name = "E word", .line = "G1 X1 E0.5", .scan = "motion E X1"},
        scan_case{.name = "polar word", .line = "G1 @ 5 ^90", .scan = "motion polar"},
        scan_case{.name = "at sign without digit", .line = "@-", .scan = ""},
        scan_case{.name = "corner words", .line = "G1 X10 ,C1. ,R2", .scan = "motion X10"},
        scan_case{.name = "parameter as an axis",
                  .line = "G1 X#1 Y-#2 Z[2+3] F#4",
                  .scan = "motion param X# Y# Z#"},
        scan_case{.name = "parameter setting", .line = "#1=5 #<_depth>=[#1*2]", .scan = "param"},
        scan_case{
            .name = "function names are no words", .line = "#1=FIX[#2] X5", .scan = "param X5"},
        scan_case{.name = "computed code", .line = "G#1 X5", .scan = "param computed X5"},
        scan_case{.name = "block delete", .line = "/N10 X5", .scan = "/ X5"},
        scan_case{.name = "Fanuc loop", .line = "WHILE [#1 LT 10] DO1", .scan = "param flow"},
        scan_case{.name = "Fanuc jump", .line = "IF[#1GT0]GOTO5", .scan = "param flow jump"},
        scan_case{.name = "Fanuc loop end", .line = "END1", .scan = "flow"},
        scan_case{
            .name = "H and L words", .line = "G1 H1 Z-300 G10 L2", .scan = "G10 motion H L Z-300"},
        scan_case{.name = "O-word sub", .line = "o100 sub", .scan = "O-sub name@1-4"},
        scan_case{.name = "O-word named call",
                  .line = "O<probe> CALL [1]",
                  .scan = "O-call arguments name@1-8"},
        scan_case{.name = "O-word callsub", .line = " (X) o 7 callsub", .scan = "O-call name@7-8"},
        scan_case{.name = "O-word after N and slash",
                  .line = "/N10 o100 call",
                  .scan = "/ O-call name@6-9"},
        scan_case{
            .name = "O-word with a comment", .line = "o100 (note) call", .scan = "O-call name@1-4"},
        scan_case{.name = "O-word computed", .line = "o[100] call", .scan = "computed O-call"},
        scan_case{.name = "program number with a code",
                  .line = "O1000 (PART) G91",
                  .scan = "G91 G91@15 name@1-5"},
        scan_case{
            .name = "program number alone", .line = "O0010 (PART)", .scan = "program name@1-5"},
        scan_case{
            .name = "program number after a colon", .line = ":1000", .scan = "program name@1-5"},
        scan_case{.name = "program number with a word", .line = "O1000 X1", .scan = "name@1-5 X1"},
        scan_case{.name = "program number with a feed", .line = "O1000 F100", .scan = "name@1-5 F"},
        scan_case{
            .name = "program number after a line number", .line = "N10 O1000", .scan = "name@5-9"},
        scan_case{
            .name = "program number with an E word", .line = "O1000 E5", .scan = "E name@1-5"},
        scan_case{.name = "program number with a parameter",
                  .line = "O1000 #1=2",
                  .scan = "param name@1-5"},
        scan_case{.name = "long O-word number", .line = "O12345678 sub", .scan = "O-sub name@1-9"},
        scan_case{.name = "long program number after a colon",
                  .line = ":123456789",
                  .scan = "program name@1-10"},
        scan_case{.name = "polar words of every shape",
                  .line = "@+5 ^1.123456789 @12345678",
                  .scan = "polar"},
        scan_case{.name = "an O word after an axis word begins no O-word line",
                  .line = "X1 o100 call",
                  .scan = "X1"},
        scan_case{.name = "a code with a blank after its point",
                  .line = "G 92. 1 X1",
                  .scan = "G92.1 X1"},
        scan_case{.name = "a lone O letter", .line = "o", .scan = ""},
        scan_case{.name = "commas without a corner word", .line = "X1 ,5 ,", .scan = "X1"},
        scan_case{
            .name = "colons that begin no program number", .line = "X1 :100 : Y2", .scan = "X1 Y2"},
        scan_case{.name = "an at sign without a number", .line = "@ X1", .scan = "X1"},
        scan_case{.name = "the first of two control characters",
                  .line = "X1\x01 Y2\x02",
                  .scan = "control@2 X1 Y2"},
        scan_case{
            .name = "the first of two malformed numbers", .line = "X1-2 Y1-2", .scan = "bad@0-4"},
        scan_case{.name = "O-word end of a definition",
                  .line = "o<x> endsub",
                  .scan = "O-endsub name@1-4"},
        scan_case{.name = "cycle code beside a motion code",
                  .line = "G0 G81 Z-1",
                  .scan = "G81 motion conflict Z-1"},
        scan_case{.name = "two cycle codes", .line = "G81 G83 Z-1", .scan = "G81 G83 conflict Z-1"},
        scan_case{.name = "two retract codes", .line = "G98 G99", .scan = "G98 G99 conflict"},
        scan_case{.name = "safe start line",
                  .line = "G00 G17 G40 G49 G80 G90",
                  .scan = "G40 G49 G80 motion G90 G17"},
        scan_case{.name = "malformed numbers", .line = "X1.2.5 X--5 X+ Y2", .scan = "bad@0-6 Y2"},
        scan_case{.name = "control character outside comments",
                  .line = "X1\x01 (\x02) Y5",
                  .scan = "control@2 X1 Y5"},
        scan_case{.name = "P and L words", .line = "M98 P0100 L3.", .scan = "M98 P@5-9 L P"},
        scan_case{.name = "O-word without name end", .line = "o<probe call", .scan = ""},
        scan_case{.name = "O word without a digit", .line = "o. sub", .scan = "bad@0-2"},
        scan_case{.name = "codes read character by character",
                  .line = "G -1 G9-1 G 91.05 G 92 .1 M 3",
                  .scan = "G? G? G92.1 M3 bad@5-9"},
        scan_case{.name = "other words read character by character",
                  .line = "F 100 L 2 E 1",
                  .scan = "E F L"},
        scan_case{.name = "computed E word", .line = "E#1", .scan = "E param"},
        scan_case{.name = "codes with a sign or places read character by character",
                  .line = "G +91 G 91.00 G -0",
                  .scan = "motion G91 G91@4 G91@9"},
        scan_case{.name = "a nested expression", .line = "X[[1]+2] Y1", .scan = "param X# Y1"},
        scan_case{.name = "two jumps", .line = "GOTO5 GOTO6", .scan = "flow jump"},
        scan_case{.name = "O-word call with a bracket in a comment",
                  .line = "o100 call (A[1]) ; [2]",
                  .scan = "O-call name@1-4"},
        scan_case{.name = "three planes", .line = "G17 G18 G19", .scan = "G19 conflict"},
        scan_case{.name = "a second line number", .line = "N10 N20 X1", .scan = "X1"},
        scan_case{.name = "numbers of eight digits, a sign and a blank at the end",
                  .line = "X+5 Y10000000 Z.123456789 A5 ",
                  .scan = "X5 Y1e+07 Z0.123457 A5"},
        scan_case{.name = "DEL outside comments", .line = "X1\x7f Y5", .scan = "control@2 X1 Y5"},
        scan_case{.name = "assignment", .line = "R1=5 X = 10", .scan = "param X# R1"},
        scan_case{.name = "unclosed expression", .line = "G1 X[1+2\n", .scan = "motion param X#"},
        scan_case{.name = "unclosed expression at the end", .line = "#1=[2", .scan = "param"}),
    test_support::row_name());

}  // namespace
}  // namespace g91to90
