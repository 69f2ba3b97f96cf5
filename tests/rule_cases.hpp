// The rules for reading and converting lines, one table per rule, run both in
// memory and through the built program. Programs are written "A|B|C": input
// lines end with a newline, output lines with CR LF.
#pragma once

#include <string>
#include <vector>

#include "program_cases.hpp"
#include "table_rows.hpp"

namespace g91to90::test_support {

// A converted program that ends with a stop message naming `line`.
inline program_case stopped(std::string name, std::string input, std::string output, int line,
                            const std::string& what) {
    return {.name = std::move(name),
            .input = lf(input),
            .output = output.empty() ? "" : crlf(output),
            .console = "\nERROR: line " + std::to_string(line) + ": " + what + "\n",
            .status = 1};
}

inline program_case converted(std::string name, std::string input, std::string output) {
    return {.name = std::move(name), .input = lf(input), .output = crlf(output)};
}

// The stop of a line that means another thing where the optional line
// `line` (and those after it) were skipped.
inline std::string optional_differs(int line) {
    return "the optional block (/) of line " + std::to_string(line) +
           " leaves this line another position or mode where it is skipped (state them after "
           "it)";
}

// The stop of a subprogram definition whose moves depend on where it is called.
inline std::string definition(const std::string& name) {
    return "subprogram " + name +
           " holds moves that depend on where it is called (--expand-calls writes the called "
           "lines in place)";
}

// The stop of a cycle line that relies on an R or depth word read in the other mode.
inline std::string kept_word(const std::string& word, int line, const std::string& mode) {
    return "the cycle's " + word + " word of line " + std::to_string(line) + " was read in " +
           mode + ": give the R and depth words on this line (controls differ)";
}

// The unknown-position stop, naming where the axis was lost ("line 3: G28").
// What the message then tells the user to do: a position lost in a call is
// written out by --expand-calls, one never given needs --start, any other an
// absolute move (`hint` names another).
inline std::string unknown(char axis, const std::string& since, std::string hint = "") {
    if (hint.empty()) {
        const bool call =
            since.find("M98") != std::string::npos || since.find("M97") != std::string::npos ||
            since.find("G65") != std::string::npos || since.find("G66") != std::string::npos ||
            since.find("O-word") != std::string::npos;
        hint = call                   ? "--expand-calls writes the called lines in place"
               : since == "the start" ? std::string("give the start of ") + axis +
                                            " with --start \"" + axis + "0 ...\""
                                      : "state the position with an absolute move before this line";
    }
    return std::string("incremental ") + axis + " move from an unknown position (" + axis +
           " unknown since " + since + ") (" + hint + ")";
}

inline std::vector<program_case> comment_cases() {
    return {
        converted("semicolon comment is not converted", "G92 X0 Y0 Z0|G91|G1 X10 ; X5 note|X1",
                  "G92 X0 Y0 Z0|G90|G1 X10 ; X5 note|X11"),
        converted("comment names no return", "G92 X0 Y0 Z0|G91|G0 X1 (NOT A G28 MOVE)",
                  "G92 X0 Y0 Z0|G90|G0 X1 (NOT A G28 MOVE)"),
        converted("comment G91 in absolute mode", "G92 X0 Y0 Z0|X20 (DO NOT USE G91 HERE)|X5",
                  "G92 X0 Y0 Z0|X20 (DO NOT USE G91 HERE)|X5"),
        converted("comment naming system and mode", "G92 X0 Y0 Z0|G91|(G54 G91)|(G55 X3)|X1",
                  "G92 X0 Y0 Z0|G90|(G54 G91)|(G55 X3)|X1"),
        converted("G92 line with a comment", "G92 (SET XY CORNER) X-10. Y-10. Z25.|G91 X1 Z-1",
                  "G92 (SET XY CORNER) X-10. Y-10. Z25.|G90 X-9 Z24"),
        converted("semicolon comment before the mode line", "; Bounds: X263.41 Y120.3|G92 X0",
                  "; Bounds: X263.41 Y120.3|G92 X0"),
        converted("no G91 added after a preamble comment", "(G54 G90)|G92 X0 Y0 Z0|G91 X1",
                  "(G54 G90)|G92 X0 Y0 Z0|G90 X1"),
        {.name = "comment before the mode code",
         .input = lf("(G90 MODE)|(NOTE) G91 X5"),
         .answers = "0 0 0",
         .output = crlf("(G90 MODE)|(NOTE) G90 X5"),
         .console = START_PROMPTS},
    };
}

inline std::vector<program_case> word_cases() {
    return {
        converted("lower case", "g92 x0 y0 z0|g91 g1 x10|x10.5", "g92 x0 y0 z0|g90 g1 x10|x20.500"),
        converted("blanks in words", "G92 X10 Y0 Z0|G91|G1 X 5 Y 7.5",
                  "G92 X10 Y0 Z0|G90|G1 X15 Y7.500"),
        converted("blank inside a number", "G92 X0 Y0 Z0|G91|X1 0.5", "G92 X0 Y0 Z0|G90|X10.500"),
        converted("sign after a blank ends the word", "G92 X0 Y0 Z0|X5 -3", "G92 X0 Y0 Z0|X5 -3"),
        converted("letter without number", "G92 X0 Y0 Z0|G91|G1 X Y5", "G92 X0 Y0 Z0|G90|G1 X Y5"),
        converted("text that is no word", "G92 X0 Y0 Z0|%_N_XYZ_MPF|G91 X1",
                  "G92 X0 Y0 Z0|%_N_XYZ_MPF|G90 X1"),
        converted("codes by value", "G92 X0 Y0 Z0|G091 X1|g 91 X1|G91.0 X1",
                  "G92 X0 Y0 Z0|G090 X1|g 90 X2|G90.0 X3"),
        converted("G91.1 is another code", "G92 X0 Y0 Z0|G91.1 X1 I1", "G92 X0 Y0 Z0|G91.1 X1 I1"),
        stopped("G90 and G91 on one line", "G92 X0 Y0 Z0|G90 G91 X1", "G92 X0 Y0 Z0", 2,
                "G90 and G91 on one line"),
        stopped("an axis named twice in incremental mode", "G92 X0 Y0 Z0|G91 G1 X1 Y1 x2",
                "G92 X0 Y0 Z0", 2, "two X words on one line"),
        stopped("an axis named twice in absolute mode is unknown after",
                "G92 X0 Y0 Z0|G1 X1 X2|G91 X1", "G92 X0 Y0 Z0|G1 X1 X2", 3,
                unknown('X', "line 2: two X words")),
        converted("an axis named twice on a line written under G91",
                  "G92 X0 Y0 Z0|G91 G53 Z0 Z1|G28 X0 X1",
                  "G92 X0 Y0 Z0|G91 G53 Z0 Z1|G90|G91|G28 X0 X1|G90"),
        converted("G54.1 selects a coordinate system", "G92 X0 Y0 Z0|G54.1 P1 X5|G91 X1",
                  "G92 X0 Y0 Z0|G54.1 P1 X5|G90 X6"),
        converted("program number is an ordinary line", "O1000|G92 X0 Y0 Z0|G91 X1",
                  "O1000|G92 X0 Y0 Z0|G90 X1"),
    };
}

inline std::vector<program_case> axis_cases() {
    return {
        converted("rotary axis from G92", "G92 X0 Y0 Z0 A0|G91 A90|a-45.5",
                  "G92 X0 Y0 Z0 A0|G90 A90|a44.500"),
        stopped("axis never started", "G92 X0 Y0 Z0|G91 A90", "G92 X0 Y0 Z0", 2,
                unknown('A', "line 1: G92")),
        converted("absolute word starts an axis", "G92 X0 Y0 Z0|W10|G91 W5",
                  "G92 X0 Y0 Z0|W10|G90 W15"),
        stopped("E word in incremental mode", "G92 X0 Y0 Z0|G91 G1 X1 E2", "G92 X0 Y0 Z0", 2,
                "incremental E move cannot be converted"),
        stopped("E word on an incremental G92 line", "G91 G92 X0 Y0 Z0 E0", "", 1,
                "incremental E move cannot be converted"),
        converted("E word in absolute mode", "G92 X0 Y0 Z0 E0|G1 X1 E2",
                  "G92 X0 Y0 Z0 E0|G1 X1 E2"),
    };
}

inline std::vector<program_case> return_cases() {
    return {
        converted("G28 Z0 in incremental mode", "G92 X0 Y0 Z20|G91|G28 Z0|G90 Z50",
                  "G92 X0 Y0 Z20|G90|G91|G28 Z0|G90|G90 Z50"),
        converted("G28 holding G91", "G92 X0 Y0 Z20|G91|G91 G28 Z0|X5",
                  "G92 X0 Y0 Z20|G90|G91 G28 Z0|G90|X5"),
        converted("G28 in absolute mode", "G92 X0 Y0 Z20|G28 Z0", "G92 X0 Y0 Z20|G28 Z0"),
        stopped("incremental move after a return", "G92 X0 Y0 Z20|G91|G28 Z0|Z-5",
                "G92 X0 Y0 Z20|G90|G91|G28 Z0|G90", 4, unknown('Z', "line 3: G28")),
        stopped("zero move after a return", "G92 X0 Y0 Z20|G91|G30 Z0|Z0",
                "G92 X0 Y0 Z20|G90|G91|G30 Z0|G90", 4, unknown('Z', "line 3: G30")),
        stopped("return naming no axis", "G92 X0 Y0 Z0|G91|G28|Y1", "G92 X0 Y0 Z0|G90|G91|G28|G90",
                4, unknown('Y', "line 3: G28")),
        converted("return before the mode line", "G28 X0 Y0|G92 X0 Y0 Z0",
                  "G28 X0 Y0|G92 X0 Y0 Z0"),
        {.name = "return as the last line without newline",
         .input = "G92 X0 Y0 Z0\nG91\nG28 Z0",
         .output = crlf("G92 X0 Y0 Z0|G90|G91|G28 Z0|G90")},
    };
}

inline std::vector<program_case> copied_cases() {
    return {
        converted("dwell without axis words", "G92 X10 Y0 Z0|G91|G04 P1.5|X10",
                  "G92 X10 Y0 Z0|G90|G04 P1.5|X20"),
        stopped("dwell with axis words in incremental mode", "G92 X10 Y0 Z0|G91|G04 X1.5",
                "G92 X10 Y0 Z0|G90", 3, "G4 with axis words in incremental mode"),
        stopped("dwell words are no positions", "G92 X10 Y0 Z0|G04 X1.5|G91 X10",
                "G92 X10 Y0 Z0|G04 X1.5", 3, unknown('X', "line 2: G4")),
        stopped("G53 leaves its axes unknown", "G92 X0 Y0 Z0|G91|G53 G0 Z0|Z-1",
                "G92 X0 Y0 Z0|G90|G91|G53 G0 Z0|G90", 4, unknown('Z', "line 3: G53")),
        stopped("G10 leaves its axes unknown", "G92 X0 Y0 Z0|G10 L2 P1 X5|G91 Y1 X1",
                "G92 X0 Y0 Z0|G10 L2 P1 X5", 3, unknown('X', "line 2: G10")),
        stopped("G92.1 leaves every axis unknown", "G92 X0 Y0 Z0|G91|G92.1|Y1",
                "G92 X0 Y0 Z0|G90|G92.1", 4, unknown('Y', "line 3: G92.1")),
        converted("copied line with G91", "G92 X0 Y0 Z0|G52 G91 X0|Y1",
                  "G92 X0 Y0 Z0|G52 G91 X0|G90|Y1"),
        converted("incremental G92 start line", "G91 G92 X0 Y0 Z0|X1|X1",
                  "G91 G92 X0 Y0 Z0|G90|X1|X2"),
        converted("G92 start line is not tracked", "G55 G91 G92 X1 Y2 Z3|X1",
                  "G55 G91 G92 X1 Y2 Z3|G90|X2"),
        stopped("an axis named twice on the G92 line is unknown", "G92 X1 X5 Y0|G91 X1",
                "G92 X1 X5 Y0", 2, unknown('X', "line 1: G92")),
        converted("coordinate system move from an unknown axis",
                  "G92 X0 Y0 Z0|G91|G28 X0|G54 X1|Y1",
                  "G92 X0 Y0 Z0|G90|G91|G28 X0|G90|G91|G54 X1|G90|Y1"),
        converted("absolute coordinate system line makes known",
                  "G92 X0 Y0 Z0|G91|G28 X0|G90 G54 X5|G91 X1",
                  "G92 X0 Y0 Z0|G90|G91|G28 X0|G90|G90 G54 X5|G90 X6"),
        converted("absolute G92 makes known", "G92 X0 Y0 Z0|G91|G28 X0|G90 G92 X0|G91 X1",
                  "G92 X0 Y0 Z0|G90|G91|G28 X0|G90|G90 G92 X0|G90 X1"),
        stopped("incremental G92 leaves its axes unknown", "G92 X0 Y0 Z0|G91|G92 X0|X1",
                "G92 X0 Y0 Z0|G90|G91|G92 X0|G90", 4, unknown('X', "line 3: G92")),
    };
}

inline std::vector<program_case> cycle_and_call_cases() {
    const std::string cycle = "canned cycle in incremental mode";
    const std::string call = "subprogram call in incremental mode";
    const std::string expandable = call + " (--expand-calls writes the called lines in place)";
    return {
        converted("two calls in a row", "G92 X0 Y0 Z0|M98 P1|M98 P2|G90 G80 G0 X0 Y0 Z0|G91 X1",
                  "G92 X0 Y0 Z0|M98 P1|M98 P2|G90 G80 G0 X0 Y0 Z0|G90 X1"),
        converted("cycle in absolute mode", "G92 X0 Y0 Z10|G81 X5 Y5 Z-3 R2|X10|G80|G91 X1",
                  "G92 X0 Y0 Z10|G81 X5 Y5 Z-3 R2|X10|G80|G90 X11"),
        stopped("cycle leaves Z unknown", "G92 X0 Y0 Z10|G81 X5 Y5 Z-3 R2|G80|G91 Z1",
                "G92 X0 Y0 Z10|G81 X5 Y5 Z-3 R2|G80", 4, unknown('Z', "line 2: G81")),
        stopped("cycle under G18 leaves Y unknown", "G92 X0 Y0 Z10|G18 G81 X5 Z-3 R2|G80 G91 Z1|Y1",
                "G92 X0 Y0 Z10|G18 G81 X5 Z-3 R2|G80 G90 Z-2", 4, unknown('Y', "line 2: G81")),
        stopped("cycle in incremental mode", "G92 X0 Y0 Z0|G91|G81 X5 Y5 Z-3 R2 E1",
                "G92 X0 Y0 Z0|G90", 3, cycle + " (R above the initial level)"),
        stopped("axis word in an active cycle", "G92 X0 Y0 Z10|G81 X5 Y5 Z-3 R2|G91 X5",
                "G92 X0 Y0 Z10|G81 X5 Y5 Z-3 R2", 3, cycle + " (series begun in absolute mode)"),
        stopped("M98 in incremental mode", "G92 X0 Y0 Z0|G91|M98 P100", "G92 X0 Y0 Z0|G90", 3,
                expandable),
        converted("call in absolute mode", "G92 X0 Y0 Z0|M98 P100 X5|G90 G0 X1 Y1 Z1|G91 X1",
                  "G92 X0 Y0 Z0|M98 P100 X5|G90 G0 X1 Y1 Z1|G90 X2"),
        stopped("call leaves every axis unknown", "G92 X0 Y0 Z0|G65 P9000 X5|G91 G1 Z1",
                "G92 X0 Y0 Z0|G65 P9000 X5", 3, unknown('Z', "line 2: G65")),
        converted("lines after a call are copied until the mode is known",
                  "G92 X0 Y0 Z0|M98 P100|X1 Y1.5|G90 G0 X1|G91 X1",
                  "G92 X0 Y0 Z0|M98 P100|X1 Y1.5|G90 G0 X1|G90 X2"),
        stopped("a cycle may be active after a call",
                "G92 X0 Y0 Z0|M98 P100|G90 G17 X1 Y1 Z1|G91 X1",
                "G92 X0 Y0 Z0|M98 P100|G90 G17 X1 Y1 Z1", 4,
                "canned cycle in incremental mode (a cycle may be active since line 2: M98) "
                "(--expand-calls writes the called lines in place)"),
        converted("G66 calls until G67", "G92 X0 Y0 Z0|G66 P9000|X1|G67|G90 G0 X2 Y0 Z0|G91 X1",
                  "G92 X0 Y0 Z0|G66 P9000|X1|G67|G90 G0 X2 Y0 Z0|G90 X3"),
        stopped("O-word control in incremental mode", "G92 X0 Y0 Z0|G91|o100 if [#1 GT 0]",
                "G92 X0 Y0 Z0|G90", 3, "program flow in incremental mode"),
        stopped("O-word call in incremental mode", "G92 X0 Y0 Z0|G91|o<probe> call",
                "G92 X0 Y0 Z0|G90", 3, expandable),
        converted("O-word lines in absolute mode",
                  "G92 X0 Y0 Z0|o100 sub|G90 X1 Y2 Z3|o100 endsub|G90 G0 X1 Y2 Z3|G91 X1",
                  "G92 X0 Y0 Z0|o100 sub|G90 X1 Y2 Z3|o100 endsub|G90 G0 X1 Y2 Z3|G90 X2"),
        stopped("polar word in incremental mode", "G92 X0 Y0 Z0|G91|G1 @5 ^90", "G92 X0 Y0 Z0|G90",
                3, "polar coordinates in incremental mode"),
        stopped("polar word leaves X and Y unknown", "G92 X0 Y0 Z0|G1 @5 ^90|G91 Z1|X1",
                "G92 X0 Y0 Z0|G1 @5 ^90|G90 Z1", 4, unknown('X', "line 2: @")),
        stopped("every line is counted", "%||G92 X0 Y0 Z0|G91|M98 P1", "%|G92 X0 Y0 Z0|G90", 5,
                expandable),
        converted("M72 restores the saved mode", "G92 X0 Y0 Z0|G91|M70|G90 X5|M72|X1",
                  "G92 X0 Y0 Z0|G90|M70|G90 X5|M72|X6"),
        stopped("M70 on a return line under an added G91", "G92 X0 Y0 Z0|G91|X1|G28 Z0 M70",
                "G92 X0 Y0 Z0|G90|X1", 4, "M70/M72/M73 on a line written under an added G91"),
        stopped("M72 restoring G91 on a return line", "G92 X0 Y0 Z0|G91|M70|G90 X1|G28 Z0 M72",
                "G92 X0 Y0 Z0|G90|M70|G90 X1", 5,
                "M70/M72/M73 on a line written under an added G91"),
        converted("M72 restoring G90 on a return line", "G92 X0 Y0 Z0|M70|G91 X1|G28 Z0 M72|X1",
                  "G92 X0 Y0 Z0|M70|G90 X1|G28 Z0 M72|X1"),
        converted("M73 on a return line holding G91", "G92 X0 Y0 Z0|G91|G91 G28 Z0 M73|X1",
                  "G92 X0 Y0 Z0|G90|G91 G28 Z0 M73|G90|X1"),
    };
}

inline std::vector<program_case> unit_and_start_cases() {
    return {
        converted("switching units converts the position",
                  "G21|G92 X25.4 Y0 Z0|G91|G20 X1|G21 X25.4",
                  "G21|G92 X25.4 Y0 Z0|G90|G20 X2|G21 X76.200"),
        converted("a unit switch from unknown units keeps rotary positions",
                  "G92 X0 Y0 Z0 A5|G20|G91 A1", "G92 X0 Y0 Z0 A5|G20|G90 A6"),
        converted("a unit switch of numbers without a point read as units",
                  "G21|G92 X254 Y0 Z0|G20|G91 X1", "G21|G92 X254 Y0 Z0|G20|G90 X11"),
        stopped("two units on a line", "G20|G92 X1 Y0 Z0|G91|G20 G21 X0", "G20|G92 X1 Y0 Z0|G90", 4,
                "G20 and G21 on one line"),
        {.name = "typed start in the unit before the mode line",
         .input = lf("G21|G20 G91 X1"),
         .answers = "25.4 0 0",
         .output = crlf("G21|G20 G90 X2"),
         .console = START_PROMPTS},
        {.name = "typed start with a comma",
         .input = lf("G91|X1"),
         .answers = "12,5 0 0",
         .output = crlf("G90"),
         .console = "\nINPUT START-X:\nERROR: start value 12,5 is not a number\n",
         .status = 1},
        {.name = "typed start of letters",
         .input = lf("%|G91|X1"),
         .answers = "0 abc 0",
         .output = crlf("%|G90"),
         .console = "\nINPUT START-X:\nINPUT START-Y:\nERROR: start value abc is not a number\n",
         .status = 1},
        {.name = "a G92 line and the given start together",
         .input = lf("G92 Z0|G91 G1 X1 Y1 Z-1"),
         .output = crlf("G92 Z0|G90 G1 X1 Y1 Z-1"),
         .start = "X0 Y0 Z50"},
        {.name = "a typed start in the units in force at the start",
         .input = lf("G21|G91|G20|X1."),
         .answers = "25.4 0 0",
         .output = crlf("G21|G90|G20|X2."),
         .console = START_PROMPTS},
        {.name = "a typed start where the units are stated after the mode line",
         .input = lf("G91|G21|X1."),
         .answers = "25.4 0 0",
         .output = crlf("G90|G21|X26.400"),
         .console = START_PROMPTS},
        {.name = "a typed start in inches, moved in millimetres",
         .input = lf("G20|G91|G21|X1."),
         .answers = "1 0 0",
         .output = crlf("G20|G90|G21|X26.400"),
         .console = START_PROMPTS},
        // Z stands at the return's end, where no typed start puts it.
        {.name = "a return before the first move that needs the start",
         .input = lf("G91|G28 Z0|Z1"),
         .answers = "0 0 0",
         .output = crlf("G90|G91|G28 Z0|G90"),
         .console = "\nERROR: line 3: " + unknown('Z', "line 2: G28") + "\n",
         .status = 1},
        {.name = "a return of an axis the given start does not name",
         .input = lf("G91|G28 Z0|Z1"),
         .output = crlf("G90|G91|G28 Z0|G90"),
         .console = "\nERROR: line 3: " + unknown('Z', "line 2: G28") + "\n",
         .status = 1,
         .start = "X0 Y0"},
        {.name = "a line that stops before the start is asked",
         .input = lf("G91|G17 G18 X1"),
         .answers = "0 0 0",
         .output = crlf("G90"),
         .console = "\nERROR: line 2: G17 and G18 on one line\n",
         .status = 1},
        converted("one of many coordinate systems before the mode line",
                  "G54.1 P1|G92 X0 Y0 Z0|G91 X1", "G54.1 P1|G92 X0 Y0 Z0|G90 X1"),
        converted("an absolute program needs no start", "G90 G0 X1 Y2 Z3|G91 X1",
                  "G90 G0 X1 Y2 Z3|G90 X2"),
        converted("a program that begins with a return needs no start",
                  "G91 G28 Z0.|G90 G0 X0 Y0|G91 X1 Y1", "G91 G28 Z0.|G90|G90 G0 X0 Y0|G90 X1 Y1"),
        {.name = "a start asked for at the first move that needs it",
         .input = lf("%|G91 G28 Z0|G1 X1"),
         .answers = "5 0 0",
         .output = crlf("%|G91 G28 Z0|G90|G1 X6"),
         .console = START_PROMPTS},
        {.name = "typed start forms",
         .input = lf("G91|X1 Y1 Z1"),
         .answers = "+.5 -3. 2E-1",
         .output = crlf("G90|X1.500 Y-2 Z1.200"),
         .console = START_PROMPTS},
    };
}

// Canned cycles in incremental mode: holes, R level and bottom from the
// series' initial level.
inline std::vector<program_case> canned_cycle_cases() {
    const std::string cycle = "canned cycle in incremental mode";
    const std::string start = "G92 X0 Y0 Z10|";
    return {
        stopped("a cycle where the plane is unknown",
                start + "G90 M98 P1|G90 G0 X0 Y0 Z10|G91 G99 G81 X5. Z-5. R-3.",
                start + "G90 M98 P1|G90 G0 X0 Y0 Z10", 4, cycle + " (plane unknown)"),
        stopped("a cycle line with a parameter", start + "G91 G99 G81 X5. Z-5. R-3. F#1",
                "G92 X0 Y0 Z10", 2, cycle + " (parameter or expression)"),
        converted("the same R again and the same cycle code",
                  start + "G91 G99 G81 X5. Z-5. R-3.|X5. R-3.|G81 X5.",
                  start + "G90 G99 G81 X5. Z2. R7.|X10. R7.|G81 X15."),
        stopped("a depth word read in the other mode",
                "G92 X0 Y0 Z1.|G91 G99 G81 X5. Y5. Z-6. R0.|G90 X10. Y10. R1.",
                "G92 X0 Y0 Z1.|G90 G99 G81 X5. Y5. Z-5. R1.", 3, kept_word("Z", 2, "G91")),
        converted("repeats with K", "G92 X0 Y0 Z50|G99 G81 G91 X10. Z-15. R-48. K3 F100|G80|G91 X1",
                  "G92 X0 Y0 Z50|G99 G81 G90 X10. Z-13. R2. F100|X20.|X30.|G80|G90 X31"),
        converted("a later line keeps the initial level",
                  start + "G91 G99 G81 X10. Z-5. R-3.|X10.|G80|Z1",
                  start + "G90 G99 G81 X10. Z2. R7.|X20.|G80|Z8"),
        converted("G98 returns to the initial level",
                  start + "G91 G98 G83 X5 Y5 Z-8 R-7 Q2 F80|G80 Z1",
                  start + "G90 G98 G83 X5 Y5 Z-5 R3 Q2 F80|G80 Z11"),
        converted("repeats with L", start + "G91 G99 G82 Y-2.5 Z-4 R-6 P500 L2|G80 Y1",
                  start + "G90 G99 G82 Y-2.500 Z0 R4 P500|Y-5.|G80 Y-4"),
        converted("Y is the normal under G18", "G92 X0 Y10 Z0|G18 G91 G99 G81 X5 Z5 Y-3 R-2|G80",
                  "G92 X0 Y10 Z0|G18 G90 G99 G81 X5 Z5 Y5 R8|G80"),
        converted("X is the normal under G19", "G92 X10 Y0 Z0|G19 G91 G99 G81 Y5 X-4 R-1|G80",
                  "G92 X10 Y0 Z0|G19 G90 G99 G81 Y5 X5 R9|G80"),
        converted("comments and line numbers",
                  start + "N10 G91 G99 G81 X1 Z-2 R-1 K2 (TWO HOLES)|N20 G80",
                  start + "N10 G90 G99 G81 X1 Z7 R9 (TWO HOLES)|X2|N20 G80"),
        converted("sticky depth with a new R", start + "G91 G99 G81 X1 Z-2 R-1|R-3 Z-2|G80",
                  start + "G90 G99 G81 X1 Z7 R9|R7 Z5|G80"),
        converted("cycle with K in absolute mode", start + "G81 X5 Y5 Z-3 R2 K3|G80",
                  start + "G81 X5 Y5 Z-3 R2 K3|G80"),
        stopped("retract mode unknown", start + "G91 G81 X1 Z-2 R-1|G80 Z1",
                "G92 X0 Y0 Z10|G90 G81 X1 Z7 R9", 3, unknown('Z', "line 2: G81")),
        stopped("R above the initial level", start + "G91 G99 G81 X1 Z-2 R1", "G92 X0 Y0 Z10", 2,
                cycle + " (R above the initial level)"),
        stopped("another code's axis words on a cycle line", start + "G91 G99 G81 G28 X1 Z-2 R-1",
                "G92 X0 Y0 Z10", 2, cycle + " (another code's axis words on the line)"),
        stopped("a start line that runs a cycle", "G92 X0 Y0 Z10 G98 G81 G91 Z-1 R-1|G80|G91 G1 Z1",
                "", 1, cycle + " (another code's axis words on the line)"),
        stopped("repeat count of 0", start + "G91 G99 G81 X1 Z-2 R-1 K0", "G92 X0 Y0 Z10", 2,
                cycle + " (repeat count of 0 or not whole)"),
        stopped("repeat count not whole", start + "G91 G99 G81 X1 Z-2 R-1 L2.5", "G92 X0 Y0 Z10", 2,
                cycle + " (repeat count of 0 or not whole)"),
        stopped("repeat count above 9999", start + "G91 G99 G81 X1 Z-2 R-1 L10000", "G92 X0 Y0 Z10",
                2, cycle + " (repeat count above 9999)"),
        stopped("two repeat counts", start + "G91 G99 G81 X1 Z-2 R-1 K2 L2", "G92 X0 Y0 Z10", 2,
                cycle + " (two repeat counts)"),
        stopped("repeat count without a plane axis word", start + "G91 G99 G81 Z-2 R-1 K2",
                "G92 X0 Y0 Z10", 2, cycle + " (repeat count without a plane axis word)"),
        stopped("I or J word", start + "G91 G99 G81 X1 Z-2 R-1 I1", "G92 X0 Y0 Z10", 2,
                cycle + " (I or J word)"),
        stopped("axis word beyond the plane", start + "G91 G99 G81 X1 Z-2 R-1 A5", "G92 X0 Y0 Z10",
                2, cycle + " (axis word beyond the plane)"),
        stopped("no R word", start + "G91 G99 G81 X1 Z-2", "G92 X0 Y0 Z10", 2,
                cycle + " (no R word)"),
        stopped("G76 is not converted", start + "G91 G99 G76 X1 Z-2 R-1 Q1", "G92 X0 Y0 Z10", 2,
                cycle),
        stopped("no depth word", start + "G91 G99 G81 X1 R-1", "G92 X0 Y0 Z10", 2,
                cycle + " (no depth word)"),
        stopped("a new R without a depth word", start + "G91 G99 G81 X1 Z-2 R-1|X1 R-2",
                "G92 X0 Y0 Z10|G90 G99 G81 X1 Z7 R9", 3, cycle + " (a new R without a depth word)"),
        stopped("R word without a hole", start + "G91 G99 G81 X1 Z-2 R-1|R-2",
                "G92 X0 Y0 Z10|G90 G99 G81 X1 Z7 R9", 3, cycle + " (R word without a hole)"),
        stopped("initial level unknown", "G92 X0 Y0|G91 G99 G81 X1 Z-2 R-1", "G92 X0 Y0", 2,
                unknown('Z', "line 1: G92")),
        stopped("cycle under polar mode", start + "G16|G91 G99 G81 X1 Z-2 R-1", "G92 X0 Y0 Z10|G16",
                3, "incremental X move under G16 (line 2)"),
        stopped("a series begun in G91 goes on in G90",
                "G92 X0 Y0 Z1|G91 G99 G81 X5. Y5. Z-6. R0. F50.|G90 X10. Y10.|G80",
                "G92 X0 Y0 Z1|G90 G99 G81 X5. Y5. Z-5. R1. F50.", 3, kept_word("R", 2, "G91")),
        converted("a G90 line of a G91 series gives its own R and depth",
                  "G92 X0 Y0 Z1|G91 G99 G81 X5. Y5. Z-6. R0. F50.|G90 X10. Y10. Z-6. R0.|G80",
                  "G92 X0 Y0 Z1|G90 G99 G81 X5. Y5. Z-5. R1. F50.|G90 X10. Y10. Z-6. R0.|G80"),
        stopped("a G91 line takes the R of a G90 line",
                start + "G91 G99 G81 X1. Z-5. R-3.|G90 X5. Z-2. R2.|G91 X1.",
                start + "G90 G99 G81 X1. Z2. R7.|G90 X5. Z-2. R2.", 4, kept_word("R", 3, "G90")),
        stopped("the depth of a G91 line after G80",
                start + "G91 G99 G81 X1. Z-5. R-3.|G80|G90 G81 X1 R1",
                start + "G90 G99 G81 X1. Z2. R7.|G80", 4, kept_word("Z", 2, "G91")),
        stopped("another cycle code without G80",
                start + "G91 G99 G81 X1. Z-5. R-3.|G83 X10. Z-5. R-3. Q1.",
                start + "G90 G99 G81 X1. Z2. R7.", 3,
                cycle + " (another cycle code without G80: controls differ on the initial level)"),
    };
}

// How numbers are written: the input's places and points kept, exactly.
inline std::vector<program_case> number_cases() {
    const std::string start = "G92 X0 Y0 Z0|G91 ";
    const std::string head = "G92 X0 Y0 Z0|G90 ";
    return {
        converted("inch places", "G20|" + start + "G1 X1.0625 Y.5|X.0001 Y-.5",
                  "G20|" + head + "G1 X1.0625 Y0.5000|X1.0626 Y0."),
        converted("points kept", start + "G0 X10. Y5.|G1 Z-2.5 F100.|X-10.",
                  head + "G0 X10. Y5.|G1 Z-2.500 F100.|X0."),
        converted("five place arc", start + "G2 X2 Y0 I0.38272 J-0.0004",
                  head + "G2 X2 Y0 I0.38272 J-0.0004"),
        converted("places of a sum", start + "Y.03125|Y.0001|Y-.03135",
                  head + "Y0.03125|Y0.03135|Y0."),
        converted("seventh place rounded", start + "X0.1234567|X-0.1234567",
                  head + "X0.123457|X0."),
        converted("no negative zero", start + "G2 X1 I0.0000004 J-0.0000004",
                  head + "G2 X1 I0. J0."),
        converted("sum of many places exact", start + "X0.1|X0.2|X0.000001|X-0.300001",
                  head + "X0.100|X0.300|X0.300001|X0."),
        stopped("a billion", start + "X999999999.5|X0.5", head + "X999999999.500", 3,
                "number out of range"),
        stopped("an absolute word of a billion", "G92 X0 Y0 Z0|G90 G1 X1000000000.", "G92 X0 Y0 Z0",
                2, "number out of range"),
        stopped("a position set to a billion", "G92 X0 Y0 Z0|G90 G92 X1000000000.|G91 X1",
                "G92 X0 Y0 Z0|G90 G92 X1000000000.", 3, "number out of range"),
        stopped("a cycle's bottom of a billion", "G92 X0 Y0 Z999999999.|G91 G99 G81 X5. Z5. R0.",
                "G92 X0 Y0 Z999999999.", 2, "number out of range"),
        stopped("a cycle's repeated hole at a billion",
                "G92 X999999990. Y0 Z10.|G91 G99 G81 X5. Z-5. R-3. L3",
                "G92 X999999990. Y0 Z10.|G90 G99 G81 X999999995. Z2. R7.", 2,
                "number out of range"),
        stopped("a cycle's next hole at a billion",
                "G92 X999999990. Y0 Z10.|G91 G99 G81 X5. Z-5. R-3.|X5.|X5.",
                "G92 X999999990. Y0 Z10.|G90 G99 G81 X999999995. Z2. R7.", 3,
                "number out of range"),
    };
}

// A row of the table of codes each: what the converter reads, and how.
inline std::vector<program_case> code_table_cases() {
    const std::string start = "G92 X0 Y0 Z10|G91|";
    const std::string written = "G92 X0 Y0 Z10|G90|";
    const std::string head = "G92 X0 Y0 Z10|G90";
    const std::string call = "subprogram call in incremental mode";
    const std::string expandable = call + " (--expand-calls writes the called lines in place)";
    const std::string flow = "program flow in incremental mode";
    return {
        converted("safe-start line", "G92 X0 Y0 Z0|G00 G17 G40 G49 G80 G90|G91 X1",
                  "G92 X0 Y0 Z0|G00 G17 G40 G49 G80 G90|G90 X1"),
        stopped("a tool change leaves Z unknown", start + "X1|T3 M06|Z-1", written + "X1|T3 M06", 5,
                unknown('Z', "line 4: M6")),
        converted("Z stated after a tool change", "G92 X0 Y0 Z10|T3 M6|G0 Z5|G91 Z-1 X1",
                  "G92 X0 Y0 Z10|T3 M6|G0 Z5|G90 Z4 X1"),
        stopped("a Z word on a tool change line", start + "M6 Z1", head, 3,
                "M6 with a Z word in incremental mode"),
        stopped("M72 restores the coordinate system",
                "G92 X0 Y0 Z0|M70|G55|G90 G0 X0 Y0 Z0|M72|G91 X1",
                "G92 X0 Y0 Z0|M70|G55|G90 G0 X0 Y0 Z0|M72", 6, unknown('X', "line 5: M72")),
        stopped("M72 restores the diameter mode",
                "G92 X0 Y0 Z0|G7|M70|G8|M72|G90 G0 X0 Y0 Z0|G91 X1",
                "G92 X0 Y0 Z0|G7|M70|G8|M72|G90 G0 X0 Y0 Z0", 7,
                "incremental X move under G7 (line 5)"),
        converted("M72 ends a diameter mode begun after M70",
                  "G92 X0 Y0 Z0|M70|G7|M72|G90 G0 X0 Y0 Z0|G91 X1",
                  "G92 X0 Y0 Z0|M70|G7|M72|G90 G0 X0 Y0 Z0|G90 X1"),
        stopped("M72 restores the tool length", "G92 X0 Y0 Z0|G49|M70|G43 H1 Z5|M72|G91 X1 Z1",
                "G92 X0 Y0 Z0|G49|M70|G43 H1 Z5|M72", 6, unknown('Z', "line 5: M72")),
        stopped("a return that cancels the tool length", "G92 X0 Y0 Z0|G91 G28 G49 Z0|Z1",
                "G92 X0 Y0 Z0|G91 G28 G49 Z0|G90", 3, unknown('Z', "line 2: G28")),
        stopped("safe-start line leaves Z unknown", "G92 X0 Y0 Z0|G0 G49 G90|G91 Z1",
                "G92 X0 Y0 Z0|G0 G49 G90", 3, unknown('Z', "line 2: G49")),
        converted("G53 in absolute mode", "G92 X0 Y0 Z0|G53 Z0|G91 X1",
                  "G92 X0 Y0 Z0|G53 Z0|G90 X1"),
        converted("G53 holding its own G91", start + "G91 G53 G0 Z0|X1",
                  written + "G91 G53 G0 Z0|G90|X1"),
        converted("G53 ending a program after G49", start + "G53 G49 Z0.|X1",
                  written + "G91|G53 G49 Z0.|G90|X1"),
        stopped("G92.1 and a move", start + "G92.1 G1 X10", head, 3,
                "G92.1 and a move on one line"),
        converted("G92.1 and a move in absolute mode", "G92 X0 Y0 Z0|G92.1 G1 X10|G90 X1 Y1 Z1",
                  "G92 X0 Y0 Z0|G92.1 G1 X10|G90 X1 Y1 Z1"),
        converted("selecting the system in effect", start + "G54|G54 X1|X1",
                  written + "G54|G91|G54 X1|G90|X2"),
        stopped("selecting another system", start + "G55|X1", written + "G55", 4,
                unknown('X', "line 3: G55")),
        converted("the system the preamble selects", "G55|G92 X0 Y0 Z0|G91|G55 X1|X1",
                  "G55|G92 X0 Y0 Z0|G90|G91|G55 X1|G90|X2"),
        stopped("another system in absolute mode keeps what the line names",
                "G92 X0 Y0 Z0|G55 X5|G91 X1 Y1", "G92 X0 Y0 Z0|G55 X5", 3,
                unknown('Y', "line 2: G55")),
        stopped("G54 in a program with G91", "G92 X0 Y0 Z0|G91|G54 G1 X10|G55 G1 X1|X1",
                "G92 X0 Y0 Z0|G90|G91|G54 G1 X10|G90|G91|G55 G1 X1|G90", 5,
                unknown('X', "line 4: G55")),
        stopped("tool length without Z", start + "G43 H1|Z1", written + "G43 H1", 4,
                unknown('Z', "line 3: G43")),
        stopped("tool length with Z in incremental mode", start + "G43 H1 Z5", head, 3,
                "G43 with a Z word in incremental mode"),
        converted("tool length with Z in absolute mode", "G92 X0 Y0 Z0|G43 H1 Z50.|G91 Z-1",
                  "G92 X0 Y0 Z0|G43 H1 Z50.|G90 Z49"),
        stopped("G43.1 words are offsets", "G92 X0 Y0 Z0|G43.1 X0.5|G91 X1",
                "G92 X0 Y0 Z0|G43.1 X0.5", 3, unknown('X', "line 2: G43.1")),
        stopped("polar coordinates in incremental mode", start + "G16 X10 Y45", head, 3,
                "G16 cannot be converted in incremental mode"),
        stopped("rotation in incremental mode", start + "G68 X0 Y0 R45", head, 3,
                "G68 cannot be converted in incremental mode"),
        stopped("G10 rotation in incremental mode", start + "G10 L2 P1 R45", head, 3,
                "G10 cannot be converted in incremental mode"),
        stopped("G10 L20 rotation in incremental mode", start + "G10 L20 P1 X0 Y0 R45", head, 3,
                "G10 cannot be converted in incremental mode"),
        stopped("diameter mode in incremental mode", start + "G7", head, 3,
                "G7 cannot be converted in incremental mode"),
        stopped("lines under a transform are copied", "G92 X0 Y0 Z0|G16|X10 Y45|G91 G1 X1",
                "G92 X0 Y0 Z0|G16|X10 Y45", 4, "incremental X move under G16 (line 2)"),
        converted("a transform ends", "G92 X0 Y0 Z0|G51 X0 Y0 P2|X10.25|G50|G90 X0 Y0 Z0|G91 X1",
                  "G92 X0 Y0 Z0|G51 X0 Y0 P2|X10.25|G50|G90 X0 Y0 Z0|G90 X1"),
        converted("probe move in incremental mode", start + "G38.2 Z-5 F10|X1",
                  written + "G91|G38.2 Z-5 F10|G90|X1"),
        stopped("probe move leaves its axes unknown", start + "G31 Z-5 F10|Z1",
                written + "G91|G31 Z-5 F10|G90", 4, unknown('Z', "line 3: G31")),
        stopped("endstop move with H", start + "G1 H1 Z-300|Z1", written + "G91|G1 H1 Z-300|G90", 4,
                unknown('Z', "line 3: H")),
        stopped("M97 in incremental mode", start + "M97 P100", head, 3, expandable),
        stopped("M198 in incremental mode", start + "M198 P1", head, 3, call),
        stopped("G66.1 in incremental mode", start + "G66.1 P9000", head, 3, call),
        stopped("Fanuc loop in incremental mode", start + "WHILE [#1 LT 3] DO1", head, 3, flow),
        stopped("Fanuc jump in incremental mode", start + "IF [#1 GT 0] GOTO 10", head, 3, flow),
        stopped("M99 in incremental mode", start + "M99", head, 3, flow),
        stopped("M99 loops a program with incremental moves", start + "X1|G90|M99",
                written + "X1|G90", 5, "jump (GOTO, M97, M99) in a program with incremental moves"),
        stopped("a program after M30 is a definition", "G92 X0 Y0 Z0|M30|O1000|G91 X1|M99",
                "G92 X0 Y0 Z0|M30", 3, definition("O1000")),
        converted("a definition of absolute moves is copied",
                  "G92 X0 Y0 Z0|M30|O1000|G90 G0 X1 Y1 Z1|G91|G90 X2|M99|%",
                  "G92 X0 Y0 Z0|M30|O1000|G90 G0 X1 Y1 Z1|G91|G90 X2|M99|%"),
        stopped("another G code in incremental mode", start + "G12 I5", head, 3,
                "G12 cannot be converted in incremental mode"),
        stopped("a negative G code in incremental mode", start + "G-1 X1", head, 3,
                "G-1 cannot be converted in incremental mode"),
        stopped("a G code of hundredths in incremental mode", start + "G 1.05 X1", head, 3,
                "G 1.05 cannot be converted in incremental mode"),
        converted("codes read by their value", start + "G 91.00 X1|G +91 X1|G -0 X1|M 3.0 X1",
                  written + "G 90.00 X1|G +90 X2|G -0 X3|M 3.0 X4"),
        stopped("another G code in absolute mode", "G92 X0 Y0 Z0|G33 Z-10 K1.5|G91 Z1",
                "G92 X0 Y0 Z0|G33 Z-10 K1.5", 3, unknown('Z', "line 2: G33")),
        stopped("printer code with axis words", start + "M201 X20", head, 3,
                "M201 with axis words in incremental mode"),
        stopped("printer code in absolute mode", "G92 X0 Y0 Z0|M92 X80|G91 X1",
                "G92 X0 Y0 Z0|M92 X80", 3, unknown('X', "line 2: M92")),
        converted("M code without axis words", start + "M117 Print done|X1",
                  written + "M117 Print done|X1"),
        stopped("a line without axes under a rotation", "G92 X0 Y0 Z0|G68 X0 Y0 R45|G91 F100|X1",
                "G92 X0 Y0 Z0|G68 X0 Y0 R45|G91 F100|G90", 4,
                "incremental X move under G68 (line 2)"),
        stopped("a move that ends a modal call", "G92 X0 Y0 Z0|G66 P9000 A1|G67 X5|G91 X1",
                "G92 X0 Y0 Z0|G66 P9000 A1|G67 X5", 4, unknown('X', "line 2: G66")),
        stopped("an incremental move after a jump", "G92 X0 Y0 Z10|GOTO 10|N10 G91 X1",
                "G92 X0 Y0 Z10|GOTO 10", 3,
                "jump (GOTO, M97, M99) in a program with incremental moves"),
        converted("rotation ends at G69", "G92 X0 Y0 Z0|G68 X0 Y0 R45|G69|G90 X1 Y1 Z1|G91 X1",
                  "G92 X0 Y0 Z0|G68 X0 Y0 R45|G69|G90 X1 Y1 Z1|G90 X2"),
        converted("mirror ends at G50.1", "G92 X0 Y0 Z0|G51.1 X0|G50.1 X0|G90 X1 Y1 Z1|G91 X1",
                  "G92 X0 Y0 Z0|G51.1 X0|G50.1 X0|G90 X1 Y1 Z1|G90 X2"),
        converted("diameter mode ends at G8", "G92 X0 Y0 Z0|G7|G8|G90 X1 Y1 Z1|G91 X1",
                  "G92 X0 Y0 Z0|G7|G8|G90 X1 Y1 Z1|G90 X2"),
        stopped("a G10 rotation stands to the end",
                "G92 X0 Y0 Z0|G10 L2 P1 R30|G69|G90 X1 Y1 Z1|G91 X1",
                "G92 X0 Y0 Z0|G10 L2 P1 R30|G69|G90 X1 Y1 Z1", 5,
                "incremental X move under G10 (line 2)"),
        stopped("a transform end with axis words", "G92 X0 Y0 Z0|G69 X0|G91 X1",
                "G92 X0 Y0 Z0|G69 X0", 3, unknown('X', "line 2: G69")),
        stopped("a transform end with axis words in incremental mode", start + "G50 X0 Z0", head, 3,
                "G50 cannot be converted in incremental mode"),
        stopped("cycle under G19 leaves X unknown", "G92 X0 Y0 Z10|G19 G81 Y5 Z5 X-3 R2|G80 G91 X1",
                "G92 X0 Y0 Z10|G19 G81 Y5 Z5 X-3 R2", 3, unknown('X', "line 2: G81")),
        stopped("Fanuc loop in absolute mode", "G92 X0 Y0 Z0|WHILE [#1 LT 3] DO1|G91 G1 X1",
                "G92 X0 Y0 Z0|WHILE [#1 LT 3] DO1", 3, unknown('X', "line 2: macro flow")),
        converted("M72 without M70 keeps the mode", start + "M72|X1", written + "M72|X1"),
    };
}

// The rules for reading a line that the table of codes does not show.
inline std::vector<program_case> reading_cases() {
    const std::string start = "G92 X0 Y0 Z10|G91|";
    const std::string written = "G92 X0 Y0 Z10|G90|";
    const std::string head = "G92 X0 Y0 Z10|G90";
    const std::string call = "subprogram call in incremental mode";
    const std::string expandable = call + " (--expand-calls writes the called lines in place)";
    const std::string parameter = "parameter or expression in incremental mode";
    const std::string optional = "optional block (/) with a call or program flow";
    return {
        stopped("O-word call after N", start + "N10 o100 call", head, 3, expandable),
        stopped("O-word call after a slash", start + "/o100 call", head, 3, optional),
        stopped("O-word call with a comment", start + "o100 (note) call", head, 3, expandable),
        stopped("O-word call by expression", start + "o[100] call", head, 3,
                "G, M or O code from a parameter or expression"),
        stopped("parameter as an axis word", start + "G1 X#1", head, 3, parameter),
        stopped("negative parameter", start + "G1 X-#1", head, 3, parameter),
        stopped("expression as an axis word", start + "G1 Z[2+3]", head, 3, parameter),
        stopped("assignment as an axis word", start + "G1 X=10", head, 3, parameter),
        stopped("parameter line with an axis word", start + "G1 X5 F#2", head, 3, parameter),
        converted("parameter setting is copied", start + "#1=5|X1", written + "#1=5|X1"),
        converted("parameter line with G91 is copied", "G92 X0 Y0 Z0|G91 F#2|X1",
                  "G92 X0 Y0 Z0|G91 F#2|G90|X1"),
        converted("parameter line is never rewritten", "G92 X0 Y0 Z0|G1 X10.25 F#2|G91 X1",
                  "G92 X0 Y0 Z0|G1 X10.25 F#2|G90 X11.250"),
        stopped("parameter axis in absolute mode", "G92 X0 Y0 Z0|G1 X#1 Y2|G91 Y1 X1",
                "G92 X0 Y0 Z0|G1 X#1 Y2", 3, unknown('X', "line 2: #")),
        stopped("G code from a parameter", "G92 X0 Y0 Z0|G#1 X5", "G92 X0 Y0 Z0", 2,
                "G, M or O code from a parameter or expression"),
        converted("optional move in incremental mode", start + "/X5|/X5", written + "/X5|/X10"),
        stopped("optional move in absolute mode", "G92 X0 Y0 Z0|/X5 F100|G91 X1",
                "G92 X0 Y0 Z0|/X5 F100", 3, optional_differs(2)),
        converted("optional mode in absolute mode", "G92 X0 Y0 Z0|/G91", "G92 X0 Y0 Z0|/G90"),
        converted("optional cycle both ways",
                  "G92 X0 Y0 Z4.|/G91 G98 G83 Z-.47 Q.03 R0 F.005|/G90 G0 Z4.|G91 X1.",
                  "G92 X0 Y0 Z4.|/G90 G98 G83 Z3.530 Q.03 R4 F.005|/G90 G0 Z4.|G90 X1."),
        converted("lines the same both ways after an optional block",
                  "G92 X0 Y0 Z0|/G0 Z5.|G91 X1.|G90 Z2.|G91 Z1.",
                  "G92 X0 Y0 Z0|/G0 Z5.|G90 X1.|G90 Z2.|G90 Z3."),
        stopped("an incremental move from two positions", "G92 X0 Y0 Z0|/G0 Z5.|G91 Z1.",
                "G92 X0 Y0 Z0|/G0 Z5.", 3, optional_differs(2)),
        stopped("a return after an optional mode", "G92 X0 Y0 Z0|/G91|G28 Z0", "G92 X0 Y0 Z0|/G90",
                3, optional_differs(2)),
        stopped("a stopping line after an optional block", "G92 X0 Y0 Z0 A0|/G0 A5|G17 G18",
                "G92 X0 Y0 Z0 A0|/G0 A5", 3, "G17 and G18 on one line"),
        converted("a cycle series both ways after an optional block",
                  "G92 X0 Y0 Z10 A0|/G0 A5|G91 G99 G81 X5. Z-5. R-3.|X5.|G80|G90 G0 A0",
                  "G92 X0 Y0 Z10 A0|/G0 A5|G90 G99 G81 X5. Z2. R7.|X10.|G80|G90 G0 A0"),
        stopped("a billion after an optional block", "G92 X0 Y0 Z0 A0|/G0 A5|G90 G1 X1000000000.",
                "G92 X0 Y0 Z0 A0|/G0 A5", 3, "number out of range"),
        stopped("a cycle from another initial level",
                "G92 X0 Y0 Z10|/G0 Z5.|G91 G99 G81 X5. Z-5. R-3.", "G92 X0 Y0 Z10|/G0 Z5.", 3,
                optional_differs(2)),
        stopped("a cycle hole with its own retract level",
                "G92 X0 Y0 Z10|G91 G99 G81 X5. Z-5. R-3.|/G98 X5.|X5.",
                "G92 X0 Y0 Z10|G90 G99 G81 X5. Z2. R7.|/G98 X10.", 4, optional_differs(3)),
        stopped("an optional cycle hole with a new R level",
                "G92 X0 Y0 Z10|G91 G99 G81 X5. Z-5. R-3.|/X5. R-2. Z-5.|X5.",
                "G92 X0 Y0 Z10|G90 G99 G81 X5. Z2. R7.|/X10. R8. Z3.", 4, optional_differs(3)),
        stopped("an optional cycle hole with a new depth",
                "G92 X0 Y0 Z10|G91 G99 G81 X5. Z-5. R-3.|/X5. Z-6.|X5.",
                "G92 X0 Y0 Z10|G90 G99 G81 X5. Z2. R7.|/X10. Z1.", 4, optional_differs(3)),
        converted("an optional machine function in a cycle series",
                  "G92 X0 Y0 Z10|G91 G99 G81 X5. Z-5. R-3.|/M8|X5.|G80",
                  "G92 X0 Y0 Z10|G90 G99 G81 X5. Z2. R7.|/M8|X10.|G80"),
        converted("optional machine function", start + "/M8|X1", written + "/M8|X1"),
        stopped("two planes on a line", start + "G17 G18", head, 3, "G17 and G18 on one line"),
        stopped("two motions on a line", start + "G0 G1 X5", head, 3, "G0 and G1 on one line"),
        converted("G91 with a trailing point", "G92 X0 Y0 Z0|G91. X1|G091. X1",
                  "G92 X0 Y0 Z0|G90. X1|G090. X2"),
        converted("M72 restores the mode before its words", "G92 X0 Y0 Z0|M70|G91 X1|M72 X5|G91 X1",
                  "G92 X0 Y0 Z0|M70|G90 X1|M72 X5|G90 X6"),
        stopped("M70 before the mode line saves no distance mode",
                "M70|G92 X0 Y0 Z0|G91 X1|M72|X1|G91 X1", "M70|G92 X0 Y0 Z0|G90 X1|M72|X1", 6,
                unknown('X', "line 5: unknown mode")),
        converted("M72 restores the units M70 saved before the mode line",
                  "G21|M70|G92 X0 Y0 Z0|G20 G91 X1|M72|G91 X1",
                  "G21|M70|G92 X0 Y0 Z0|G20 G90 X1|M72|G90 X26.400"),
        converted("M72 restores the units", "G21|G92 X0 Y0 Z0|M70|G20|G91 X1|M72|G91 X1",
                  "G21|G92 X0 Y0 Z0|M70|G20|G90 X1|M72|G90 X26.400"),
        converted("quoted strings are not read", start + "M118 \"G90 X5\"|X1",
                  written + "M118 \"G90 X5\"|X1"),
        converted("corner words are no axes", start + "G1 X10 ,C1.|Y5 ,R2",
                  written + "G1 X10 ,C1.|Y5 ,R2"),
        stopped("units switched from unknown units", "G92 X25.4 Y0 Z0|G20|G91 G1 Y1 X1",
                "G92 X25.4 Y0 Z0|G20", 3, unknown('X', "line 2: G20")),
        stopped("a number with a second sign", "G92 X0 Y0 Z0|X5-3", "G92 X0 Y0 Z0", 2,
                "X5-3 is not a number"),
        stopped("a number with a second point", start + "G1 Y1.2.5 X1", head, 3,
                "Y1.2.5 is not a number"),
        stopped("a sign alone", start + "G1 X- Y1", head, 3, "X- is not a number"),
        stopped("a point alone", "G92 X0 Y0 Z0|G90 X.", "G92 X0 Y0 Z0", 2, "X. is not a number"),
        stopped("a malformed code", "G92 X0 Y0 Z0|G1.2.3 X1", "G92 X0 Y0 Z0", 2,
                "G1.2.3 is not a number"),
        stopped("a malformed number before the mode line", "G0 X5--3|G92 X0 Y0 Z0", "", 1,
                "X5--3 is not a number"),
        stopped("a NUL between words", "G92 X0 Y0 Z0|" + std::string("X1\0 Y5", 6), "G92 X0 Y0 Z0",
                2, "control character 0x00 outside comments"),
        converted("a NUL inside a comment", "G92 X0 Y0 Z0|G91 " + std::string("X1 (A\0B)", 8),
                  "G92 X0 Y0 Z0|G90 " + std::string("X1 (A\0B)", 8)),
        stopped("a cycle code beside a motion code", "G92 X0 Y0 Z10|G0 G81 X1 Z-1 R1",
                "G92 X0 Y0 Z10", 2, "G0 and G81 on one line"),
        stopped("G0 after a cycle code", "G92 X0 Y0 Z10|g82 g0 x5 y5", "G92 X0 Y0 Z10", 2,
                "G82 and G0 on one line"),
        stopped("two feed modes", "G92 X0 Y0 Z10|G93 G94 X1", "G92 X0 Y0 Z10", 2,
                "G93 and G94 on one line"),
    };
}

// --expand-calls: each call's lines written in place, as the control runs them.
inline program_case expanded(program_case row) {
    row.expand = true;
    return row;
}

// Numbers with and without a point, read as the control reads them: `how`
// is the --integers value ("" for none), `point` --decimal-point.
inline program_case read_as(std::string how, program_case row, bool point = false) {
    row.integers = std::move(how);
    row.decimal_point = point;
    return row;
}

inline std::vector<program_case> number_reading_cases() {
    const std::string reading =
        ": give --integers units or --integers increments, or set G91TO90_INTEGERS (see "
        "\"Numbers\")";
    return {
        read_as("", converted("numbers with a point", "G92 X15. Y0 Z0|G91 G1 X0 Y1. Z-2.5",
                              "G92 X15. Y0 Z0|G90 G1 X15. Y1. Z-2.500")),
        read_as("",
                converted("numbers without a point", "G92 X0 Y0 Z50000|G91 G1 Z-48000|X5000|X-2000",
                          "G92 X0 Y0 Z50000|G90 G1 Z2000|X5000|X3000")),
        read_as("", converted("a zero keeps its spelling", "G92 X0 Y0 Z0|G91 X0. Y0|X5 Y0.",
                              "G92 X0 Y0 Z0|G90 X0. Y0|X5 Y0.")),
        read_as("", stopped("a number without a point added to one with",
                            "G92 X0 Y0 Z0|G91 G1 X10.5|X5", "G92 X0 Y0 Z0|G90 G1 X10.500", 3,
                            "X5 (no decimal point) is added to X10.5, a position reached with "
                            "numbers with a point" +
                                reading)),
        read_as("", stopped("a number with a point added to one without",
                            "G92 X10 Y0 Z0|G91 G1 X2.5", "G92 X10 Y0 Z0", 2,
                            "X2.5 is added to X10 (no decimal point) of line 1" + reading)),
        read_as("", stopped("numbers without a point after a followed one with",
                            "G92 X10 Y0 Z1.|G91 G1 X1|Z2", "G92 X10 Y0 Z1.|G90 G1 X11", 3,
                            "Z2 (no decimal point) is added to Z1. of line 1" + reading)),
        read_as("", {.name = "a typed start and numbers without a point",
                     .input = lf("G91 X1|X1"),
                     .answers = "10 0 0",
                     .output = "",
                     .console = START_PROMPTS +
                                "\nERROR: line 1: X1 (no decimal point) is added "
                                "to X10., a position reached with numbers with a "
                                "point" +
                                reading + "\n",
                     .status = 1}),
        read_as("", {.name = "a zero start and numbers without a point",
                     .input = lf("G91 X1|X1"),
                     .answers = "0 0 0",
                     .output = crlf("G90 X1|X2"),
                     .console = START_PROMPTS}),
        read_as("", {.name = "a typed start after numbers without a point",
                     .input = lf("G90 G1 Y5|G91 X1"),
                     .answers = "10 0 0",
                     .output = crlf("G90 G1 Y5"),
                     .console = START_PROMPTS +
                                "\nERROR: line 2: X1 (no decimal point) is added to X(start), a "
                                "position reached with numbers with a point" +
                                reading + "\n",
                     .status = 1}),
        read_as("", {.name = "a given start beside a G92 line of numbers without a point",
                     .input = lf("G92 Z5|G91 X1"),
                     .output = crlf("G92 Z5"),
                     .console = "\nERROR: line 2: X1 (no decimal point) is added to the given "
                                "start, a position reached with numbers with a point" +
                                reading + "\n",
                     .status = 1,
                     .start = "X10 Y0 Z0"}),
        read_as("",
                stopped("a point on a number without one", "G92 X0 Y0 Z0|G91 G1 X5", "G92 X0 Y0 Z0",
                        2, "--decimal-point would put a point on X5 (no decimal point)" + reading),
                true),
        read_as("", converted("a cycle's R level in the initial level's style",
                              "G92 X0 Y0 Z1.|G91 G99 G81 X5. Z-6. R0|G80",
                              "G92 X0 Y0 Z1.|G90 G99 G81 X5. Z-5. R1.|G80")),
        read_as("", converted("arc words keep their spelling", "G92 X0 Y0 Z0|G91 G2 X10. Y0 I5. J0",
                              "G92 X0 Y0 Z0|G90 G2 X10. Y0 I5. J0")),
        read_as("", converted("numbers without a point after an optional block",
                              "G92 X0 Y0 Z0 A0|/G0 A5|G91 X1|X1|G90 A0",
                              "G92 X0 Y0 Z0 A0|/G0 A5|G90 X1|X2|G90 A0")),
        read_as("", stopped("a cycle's R without a point from a level with one",
                            "G92 X0 Y0 Z5.|G91 G99 G81 X5. Z-6. R-1", "G92 X0 Y0 Z5.", 2,
                            "R-1 (no decimal point) is added to Z5., a position reached with "
                            "numbers with a point" +
                                reading)),
        read_as("", stopped("a cycle's depth without a point below an R with one",
                            "G92 X0 Y0 Z1.|G91 G99 G81 X5. Z-6 R0.", "G92 X0 Y0 Z1.", 2,
                            "Z-6 (no decimal point) is added to R0. of line 2" + reading)),
        read_as("", stopped("a cycle's R with a point from a level without",
                            "G92 X0 Y0 Z5|G91 G99 G81 X5 Z-6 R-1.", "G92 X0 Y0 Z5", 2,
                            "R-1. is added to Z5 (no decimal point) of line 1" + reading)),
        read_as("",
                stopped("a unit switch of numbers without a point", "G21|G92 X10 Y0 Z0|G20|G91 X1",
                        "G21|G92 X10 Y0 Z0|G20", 4, unknown('X', "line 3: G20"))),
        read_as("units",
                converted("numbers read as units", "G92 X0 Y0 Z0|G91 G1 X10.|X5|Y2500|Y2.5",
                          "G92 X0 Y0 Z0|G90 G1 X10.|X15|Y2500|Y2502.500")),
        read_as("increments",
                converted("numbers read as increments",
                          "G21|G92 X0 Y0 Z50000|G91 G1 Z-48000|X5000|X-2000|Y2.5|X10.|Y5",
                          "G21|G92 X0 Y0 Z50000|G90 G1 Z2000|X5000|X3000|Y2.500|X13.|Y2.505")),
        read_as(
            "increments",
            converted("increments with a decimal point", "G21|G92 X0 Y0 Z50000|G91 G1 Z-48000|I5",
                      "G21|G92 X0 Y0 Z50000|G90 G1 Z2.|I0.005"),
            true),
        read_as("increments", converted("increments of an inch", "G20|G92 X0 Y0 Z0|G91 G1 X5|X5",
                                        "G20|G92 X0 Y0 Z0|G90 G1 X5|X10")),
        read_as("increments",
                stopped("increments of unknown units", "G92 X0 Y0 Z0|G91 G1 X5", "G92 X0 Y0 Z0", 2,
                        "X counts least increments of unknown units: give G20 or "
                        "G21 before it")),
    };
}

// Subprogram definitions and optional program ends: lines that do not run
// where they stand.
inline std::vector<program_case> layout_cases() {
    const std::string sub = "o100 sub|G91 G1 Z-2 F100|X10|Y10|X-10|Y-10|Z2|G90|o100 endsub|";
    const std::string main = "G92 X0 Y0 Z10|G90 G0 X5 Y5 Z1|o100 call|M2";
    return {
        stopped("an incremental subroutine before the main program", sub + main, "o100 sub", 1,
                definition("o100")),
        expanded(converted("an incremental subroutine written out in place", sub + main,
                           "G92 X0 Y0 Z10|G90 G0 X5 Y5 Z1|(CALL o100 1/1)|G90 G1 Z-1 F100|X15|Y15|"
                           "X5|Y5|Z1|G90|M2")),
        converted("an absolute subroutine is copied",
                  "o100 sub|G90 G0 X0 Y0|o100 endsub|G92 X0 Y0 Z0|G91 X1|G90|o100 call|G90 G0 X0 "
                  "Y0 Z5|G91 X1",
                  "o100 sub|G90 G0 X0 Y0|o100 endsub|G92 X0 Y0 Z0|G90 X1|G90|o100 call|G90 G0 X0 "
                  "Y0 Z5|G90 X1"),
        // Subroutines in the file: a return's loss is still stated, not expanded.
        stopped("a return in a program with subroutines",
                "o100 sub|G90 G0 X0|o100 endsub|G92 X0 Y0 Z0|G91 G28 Z0|Z1",
                "o100 sub|G90 G0 X0|o100 endsub|G92 X0 Y0 Z0|G91 G28 Z0|G90", 6,
                unknown('Z', "line 5: G28")),
        stopped("a malformed number in a subroutine", "o100 sub|G90 X5-3|o100 endsub|G92 X0 Y0 Z0",
                "o100 sub", 2, "X5-3 is not a number"),
        stopped("a control character in a block after the end",
                "G92 X0 Y0 Z0|M30|O1000|G90 X1\x01|M99", "G92 X0 Y0 Z0|M30", 4,
                "control character 0x01 outside comments"),
        converted("a block after the end that ends with the input",
                  "G92 X0 Y0 Z0|G91 X1|M30|O1000|G90 G0 X0",
                  "G92 X0 Y0 Z0|G90 X1|M30|O1000|G90 G0 X0"),
        stopped("an incremental block after the end that ends with the input",
                "G92 X0 Y0 Z0|G91 X1|M30|O1000|G91 X1", "G92 X0 Y0 Z0|G90 X1|M30", 4,
                definition("O1000")),
        stopped("a subroutine's moves in its caller's mode", "o7 sub|G0 X1|o7 endsub|G92 X0 Y0 Z0",
                "o7 sub", 1, definition("o7")),
        stopped("an incremental subroutine after the mode line", "G92 X0 Y0 Z0|o<b> sub|G91 X1",
                "G92 X0 Y0 Z0|o<b> sub", 2, definition("o<b>")),
        converted("the main program goes on across a subroutine",
                  "G92 X0 Y0 Z0|G91 X1|o100 sub|G90 X0|o100 endsub|X1",
                  "G92 X0 Y0 Z0|G90 X1|o100 sub|G90 X0|o100 endsub|X2"),
        stopped("a subroutine file", "%|o100 sub|G90 G0 X1|o100 endsub|M2",
                "%|o100 sub|G90 G0 X1|o100 endsub|M2", 2,
                "a subroutine file: convert the program that calls it, with --expand-calls"),
        stopped("an optional end before more of the program", "G92 X0 Y0 Z0|G91 X1|/M30|X1",
                "G92 X0 Y0 Z0|G90 X1|/M30", 3,
                "optional block (/) ends the program before more of it"),
        stopped("an optional end before a line number alone", "G92 X0 Y0 Z0|G91 X1|/M30|N100",
                "G92 X0 Y0 Z0|G90 X1|/M30", 3,
                "optional block (/) ends the program before more of it"),
        converted("an optional end as the last program line", "G92 X0 Y0 Z0|G91 X1|/M30|(END)|%",
                  "G92 X0 Y0 Z0|G90 X1|/M30|(END)|%"),
        converted("several programs in one file",
                  "%|O1000|G92 X0 Y0 Z0|G91 G1 X1.|M30|O1001|G21 G90|G92 X5. Y5. Z5.|G91 G1 X1.|"
                  "M30|%",
                  "%|O1000|G92 X0 Y0 Z0|G90 G1 X1.|M30|O1001|G21 G90|G92 X5. Y5. Z5.|G90 G1 X6.|"
                  "M30|%"),
        // Each later program is written once: the blocks after an end that
        // comes before any mode line were written and then run again.
        converted("programs after one that ends before its mode line",
                  "O0100 (SETUP ONLY)|M30|O1100|G92 X0 Y0 Z0|G91 G1 X1.|M30|O1200|"
                  "G92 X5. Y0 Z0|G91 G1 X1.|M30",
                  "O0100 (SETUP ONLY)|M30|O1100|G92 X0 Y0 Z0|G90 G1 X1.|M30|O1200|"
                  "G92 X5. Y0 Z0|G90 G1 X6.|M30"),
        converted("a subprogram after one that ends before its mode line",
                  "M30|O100|(NO MOVES)|M99|G92 X0 Y0 Z0|G91 X1",
                  "M30|O100|(NO MOVES)|M99|G92 X0 Y0 Z0|G90 X1"),
        {.name = "a later program starts from the given start",
         .input = lf("G92 X0 Y0 Z0|G91 X1|M30|O1001|G91 X2|M30"),
         .output = crlf("G92 X0 Y0 Z0|G90 X1|M30|O1001|G90 X12|M30"),
         .start = "X10 Y0 Z0"},
        expanded(converted("several programs in one file, calls written in place",
                           "G92 X0 Y0 Z0|M98 P7|M30|O1001|G92 X0 Y0 Z0|G91 X2|M30|O7|G91 Y1|M99",
                           "G92 X0 Y0 Z0|(CALL O7 1/1)|G90 Y1|M30|O1001|G92 X0 Y0 Z0|G90 X2|M30")),
        stopped("a later program's subprogram after its end",
                "G92 X0 Y0 Z0|M30|O1001|G92 X0 Y0 Z0|M30|O1100|G91 X1|M99",
                "G92 X0 Y0 Z0|M30|O1001|G92 X0 Y0 Z0|M30", 6, definition("O1100")),
    };
}

inline const std::string SUBROUTINE_FILE =
    "a subroutine file: convert the program that calls it, with --expand-calls";

inline std::vector<program_case> call_expansion_cases() {
    const std::string sub = "|M30|O1000 (PATTERN)|G91 G1 Z-2 F100|X5|Z2|G90|M99|%";
    const std::string body = "G90 G1 Z8 F100|X15|Z10|G90";
    const auto not_expanded = [](std::string name, std::string input, std::string output, int line,
                                 const std::string& why) {
        return expanded(stopped(std::move(name), std::move(input), std::move(output), line,
                                "call cannot be expanded (" + why + ")"));
    };
    return {
        expanded(converted("a program after the main one, called with L",
                           "G92 X10 Y0 Z10|M98 P1000 L2" + sub,
                           "G92 X10 Y0 Z10|(CALL O1000 1/2)|" + body +
                               "|(CALL O1000 2/2)|G90 G1 Z8 F100|X20|Z10|G90|M30|%")),
        expanded(converted("a call with K", "G92 X10 Y0 Z10|M98 P1000 K1" + sub,
                           "G92 X10 Y0 Z10|(CALL O1000 1/1)|" + body + "|M30|%")),
        expanded(converted("count and number packed in P", "G92 X10 Y0 Z10|M98 P21000" + sub,
                           "G92 X10 Y0 Z10|(CALL O1000 1/2)|" + body +
                               "|(CALL O1000 2/2)|G90 G1 Z8 F100|X20|Z10|G90|M30|%")),
        {.name = "a program in a file beside",
         .input = lf("G92 X0 Y0 Z0|M98 P2000|G91 X1|M30"),
         .output = crlf("G92 X0 Y0 Z0|(CALL O2000 1/1)|G90 Y1|G90 X1|M30"),
         .expand = true,
         .beside = {{"O2000.nc", "%|O2000|G91 Y1|M99|%"}}},
        {.name = "a stop in a file beside names it",
         .input = lf("G92 X0 Y0 Z0|M98 P2000|M30"),
         .output = crlf("G92 X0 Y0 Z0|(CALL O2000 1/1)|G91 G28 X0|G90"),
         .console = "\nERROR: 2000.nc line 2: " + unknown('X', "2000.nc line 1: G28") + "\n",
         .status = 1,
         .expand = true,
         .beside = {{"2000.nc", "G91 G28 X0|X1|M99"}}},
        expanded(converted(
            "a local program called with M97", "G92 X0 Y0 Z0|G91|M97 P100 L2|X1|M30|N100 Y2|M99",
            "G92 X0 Y0 Z0|G90|(CALL N100 1/2)|N100 Y2|(CALL N100 2/2)|N100 Y4|X1|M30")),
        expanded(converted("a LinuxCNC subroutine, defined first",
                           "o100 sub|G91 X1 Y1|o100 endsub|G92 X0 Y0 Z0|o100 call|o100 call|M2",
                           "G92 X0 Y0 Z0|(CALL o100 1/1)|G90 X1 Y1|(CALL o100 1/1)|G90 X2 Y2|M2")),
        {.name = "a LinuxCNC subroutine in a file beside",
         .input = lf("G92 X0 Y0 Z0|o<peck> call|M2"),
         .output = crlf("G92 X0 Y0 Z0|(CALL o<peck> 1/1)|G90 Z-1|Z0|M2"),
         .expand = true,
         .beside = {{"peck.ngc", "o<peck> sub|G91 Z-1|Z1|o<peck> endsub"}}},
        expanded(
            converted("nested calls", "G92 X0 Y0 Z0|M98 P1 L2|M30|O1|G91 X1|M98 P2|M99|O2|Y1|M99",
                      "G92 X0 Y0 Z0|(CALL O1 1/2)|G90 X1|(CALL O2 1/1)|Y1|(CALL O1 2/2)|G90 X2|"
                      "(CALL O2 1/1)|Y2|M30")),
        not_expanded(
            "a call nested deeper than eight", "G92 X0 Y0 Z0|M98 P1|M30|O1|M98 P1|M99",
            "G92 X0 Y0 Z0|(CALL O1 1/1)|(CALL O1 1/1)|(CALL O1 1/1)|(CALL O1 1/1)|(CALL O1 "
            "1/1)|(CALL O1 1/1)|(CALL O1 1/1)|(CALL O1 1/1)",
            5, "calls nested deeper than 8"),
        not_expanded("a program that is nowhere", "G92 X0 Y0 Z0|M98 P7|M30", "G92 X0 Y0 Z0", 2,
                     "no program O7"),
        not_expanded("a packed P that names two programs",
                     "G92 X0 Y0 Z0|M98 P21000|M30|O21000|M99|O1000|M99", "G92 X0 Y0 Z0", 2,
                     "O21000 and O1000 both exist: controls read P21000 differently"),
        not_expanded("a packed P with a count of 0", "G92 X0 Y0 Z0|M98 P01000|M30|O1000|M99",
                     "G92 X0 Y0 Z0", 2,
                     "P01000 packs a repeat count of 0 before O1000: controls read P01000 "
                     "differently"),
        not_expanded("a call line with a move", "G92 X0 Y0 Z0|G91 X1 M98 P1|M30|O1|M99",
                     "G92 X0 Y0 Z0", 2, "a call line with other words"),
        not_expanded("a call with arguments", "G92 X0 Y0 Z0|o100 call [2]|M2", "G92 X0 Y0 Z0", 2,
                     "a call with arguments"),
        not_expanded("a subroutine reading a parameter",
                     "o100 sub|G91 X#1|o100 endsub|G92 X0 Y0 Z0|o100 call|M2",
                     "G92 X0 Y0 Z0|(CALL o100 1/1)", 2, "a parameter in a subroutine"),
        not_expanded("a loop in a called program",
                     "G92 X0 Y0 Z0|M98 P1|M30|O1|WHILE [#1 LT 2] DO1|M99",
                     "G92 X0 Y0 Z0|(CALL O1 1/1)", 5, "program flow in a called program"),
        not_expanded("a return to a line", "G92 X0 Y0 Z0|M98 P1|M30|O1|X1|M99 P5",
                     "G92 X0 Y0 Z0|(CALL O1 1/1)|X1", 6, "M99 with other words"),
        not_expanded("a repeat count of 0", "G92 X0 Y0 Z0|M98 P1 L0|M30|O1|M99", "G92 X0 Y0 Z0", 2,
                     "a repeat count of 1 to 9999 is expected"),
        expanded(converted("a colon program number, comments and leading zeros",
                           "G92 X0 Y0 Z0|M98 P0010 (FIRST) ; NOTE|M30|:10 (SUB)|G91 X1|M99",
                           "G92 X0 Y0 Z0|(CALL O10 1/1)|G90 X1|M30")),
        expanded(converted("a packed P naming only the longer program",
                           "G92 X0 Y0 Z0|M98 P21000|M30|O21000|G91 X1|M99",
                           "G92 X0 Y0 Z0|(CALL O21000 1/1)|G90 X1|M30")),
        expanded(converted("numbered O-word lines",
                           "N10 o100 sub|G91 X1|N20 o100 endsub|G92 X0 Y0 Z0|N30 o100 call|M2",
                           "G92 X0 Y0 Z0|(CALL o100 1/1)|G90 X1|M2")),
        {.name = "a file beside named with four digits, without M99",
         .input = lf("G92 X0 Y0 Z0|M98 P10|M98 P10|M30"),
         .output = crlf("G92 X0 Y0 Z0|(CALL O10 1/1)|G90 X1|(CALL O10 1/1)|G90 X2|M30"),
         .expand = true,
         .beside = {{"O0010.nc", "G91 X1"}}},
        {.name = "a file beside without the subroutine named",
         .input = lf("G92 X0 Y0 Z0|o<peck> call|M2"),
         .output = crlf("G92 X0 Y0 Z0"),
         .console = "\nERROR: line 2: call cannot be expanded (no subroutine o<peck> in "
                    "peck.ngc)\n",
         .status = 1,
         .expand = true,
         .beside = {{"peck.ngc", "G91 Z-1"}}},
        not_expanded("a subroutine found nowhere", "G92 X0 Y0 Z0|o<none> call|M2", "G92 X0 Y0 Z0",
                     2, "no subroutine o<none>"),
        not_expanded("a call without a program number", "G92 X0 Y0 Z0|M98 L2|M30", "G92 X0 Y0 Z0",
                     2, "no program number"),
        not_expanded("a repeat count with places", "G92 X0 Y0 Z0|M98 P1 L2.5|M30|O1|M99",
                     "G92 X0 Y0 Z0", 2, "a repeat count of 1 to 9999 is expected"),
        not_expanded("a local call to no line", "G92 X0 Y0 Z0|M97 P5|M30", "G92 X0 Y0 Z0", 2,
                     "no line N5"),
        not_expanded("an end in a called program", "G92 X0 Y0 Z0|M98 P1|M30|O1|M30|M99",
                     "G92 X0 Y0 Z0|(CALL O1 1/1)", 5, "M2 or M30 in a called program"),
        not_expanded("a subroutine defined in a subroutine",
                     "o1 sub|o2 sub|o2 endsub|o1 endsub|G92 X0 Y0 Z0|o1 call|M2",
                     "G92 X0 Y0 Z0|(CALL o1 1/1)", 2, "program flow in a called program"),
        not_expanded("a return with a move", "G92 X0 Y0 Z0|M98 P1|M30|O1|G91 X1 M99",
                     "G92 X0 Y0 Z0|(CALL O1 1/1)", 5, "M99 with other words"),
        not_expanded("a packed P naming no program", "G92 X0 Y0 Z0|M98 P31000|M30", "G92 X0 Y0 Z0",
                     2, "no program O31000"),
        expanded(stopped("M99 in the main program", "G92 X0 Y0 Z0|G91 X1|M99",
                         "G92 X0 Y0 Z0|G90 X1", 3, "M99 in the main program loops")),
        expanded(stopped("a macro call keeps stopping", "G92 X0 Y0 Z0|G91|G65 P9000 A1",
                         "G92 X0 Y0 Z0|G90", 3, "subprogram call in incremental mode")),
        expanded(converted("a quoted L is no repeat count", "G92 X10 Y0 Z10|M98 P1000 \"L3\"" + sub,
                           "G92 X10 Y0 Z10|(CALL O1000 1/1)|" + body + "|M30|%")),
        not_expanded("a repeat count with a sign", "G92 X0 Y0 Z0|M98 P1 L-2|M30|O1|M99",
                     "G92 X0 Y0 Z0", 2, "a repeat count of 1 to 9999 is expected"),
        not_expanded("a repeat count above 9999", "G92 X0 Y0 Z0|M98 P1 L10000|M30|O1|M99",
                     "G92 X0 Y0 Z0", 2, "a repeat count of 1 to 9999 is expected"),
        not_expanded("a packed P with a count above 9999",
                     "G92 X0 Y0 Z0|M98 P100001000|M30|O1000|M99", "G92 X0 Y0 Z0", 2,
                     "a repeat count of 1 to 9999 is expected"),
        not_expanded("a subroutine number with a point", "G92 X0 Y0 Z0|o1.5 call|M2",
                     "G92 X0 Y0 Z0", 2, "no subroutine name"),
        not_expanded("an optional local call", "G92 X0 Y0 Z0|/M97 P100|M30|N100 X1|M99",
                     "G92 X0 Y0 Z0", 2, "an optional block (/) that calls or returns"),
        expanded(converted("a repeat count in K", "G92 X0 Y0 Z0|M98 P1 K2|M30|O1|G91 X1|M99",
                           "G92 X0 Y0 Z0|(CALL O1 1/2)|G90 X1|(CALL O1 2/2)|G90 X2|M30")),
        not_expanded("a repeat count in both L and K", "G92 X0 Y0 Z0|M98 P1 L2 K3|M30|O1|M99",
                     "G92 X0 Y0 Z0", 2, "a repeat count in both L and K"),
        {.name = "an expansion that passes the line limit",
         .input = lf("G92 X0 Y0 Z0|M98 P1 L5|M30|O1|G91 X1|M99"),
         .output = crlf("G92 X0 Y0 Z0|(CALL O1 1/5)|G90 X1|(CALL O1 2/5)|G90 X2|(CALL O1 3/5)"),
         .console = "\nERROR: line 2: call cannot be expanded (the expanded program passes 6 "
                    "lines: --max-lines raises the limit)\n",
         .status = 1,
         .expand = true,
         .max_lines = 6},
        not_expanded("an optional call", "G92 X0 Y0 Z0|/M98 P1|M30|O1|G91 X1|M99", "G92 X0 Y0 Z0",
                     2, "an optional block (/) that calls or returns"),
        not_expanded("an optional return", "G92 X0 Y0 Z0|M98 P1|M30|O1|G91 X1|/M99",
                     "G92 X0 Y0 Z0|(CALL O1 1/1)|G90 X1", 6,
                     "an optional block (/) that calls or returns"),
        not_expanded("an optional o-word call",
                     "o100 sub|G91 X1|o100 endsub|G92 X0 Y0 Z0|/o100 call|M2", "G92 X0 Y0 Z0", 5,
                     "an optional block (/) that calls or returns"),
        not_expanded("an optional end before more of the program",
                     "G92 X0 Y0 Z0|G91 X1|/M30|X1|M30", "G92 X0 Y0 Z0|G90 X1", 3,
                     "an optional block (/) ends the program before more of it"),
        expanded(converted("an optional end as the last program line",
                           "G92 X0 Y0 Z0|G91 X1|/M30|(END)|%", "G92 X0 Y0 Z0|G90 X1|/M30|(END)|%")),
        not_expanded("a subroutine defined twice",
                     "o100 sub|G91 X1|o100 endsub|o100 sub|G91 X2|o100 endsub|G92 X0 Y0 Z0|o100 "
                     "call|M2",
                     "G92 X0 Y0 Z0", 8, "o100 defined twice, lines 1 and 4"),
        not_expanded(
            "a subroutine name with a parenthesis",
            "o<a)G91 X5(> sub|G91 X1|o<a)G91 X5(> endsub|G92 X0 Y0 Z0|o<a)G91 X5(> call|M2",
            "G92 X0 Y0 Z0", 5, "a subroutine name with a parenthesis"),
        expanded(converted("a subroutine name read without blanks",
                           "o<My Sub> sub|G91 X1|o<my sub> endsub|G92 X0 Y0 Z0|o<mysub> call|M2",
                           "G92 X0 Y0 Z0|(CALL o<mysub> 1/1)|G90 X1|M2")),
        {.name = "a file beside with a byte-order mark",
         .input = lf("G92 X0 Y0 Z0|M98 P2000|M30"),
         .output = crlf("G92 X0 Y0 Z0|(CALL O2000 1/1)|G90 Y1|M30"),
         .expand = true,
         .beside = {{"O2000.nc", "\xEF\xBB\xBF%|O2000|G91 Y1|M99|%"}}},
        {.name = "a Ctrl-Z inside a file beside",
         .input = lf("G92 X0 Y0 Z0|M98 P2000|M30"),
         .output = crlf("G92 X0 Y0 Z0"),
         .console = "\nERROR: O2000.nc line 3: Ctrl-Z (an end-of-file mark) with more of the "
                    "program after it\n",
         .status = 1,
         .expand = true,
         .beside = {{"O2000.nc", "O2000|G91 Y1|\x1aY1|M99"}}},
        {.name = "a file beside holding another program",
         .input = lf("G92 X0 Y0 Z0|M98 P1235|M30"),
         .output = crlf("G92 X0 Y0 Z0"),
         .console = "\nERROR: line 2: call cannot be expanded (O1235.nc holds O9999)\n",
         .status = 1,
         .expand = true,
         .beside = {{"O1235.nc", "%|O9999|G91 X1|M99|%"}}},
        expanded(stopped("a LinuxCNC subroutine file", "o100 sub|G91 X1|o100 endsub|M2", "M2", 1,
                         SUBROUTINE_FILE)),
        expanded(stopped("a Fanuc subprogram file", "%|(PATTERNS)|M30|O1000|G91 X1|M99|%",
                         "%|(PATTERNS)|M30|%", 4, SUBROUTINE_FILE)),
        expanded(converted("M99 with modes and a feed",
                           "G92 X0 Y0 Z0|M98 P1|X1|M30|O1|G91 X1|G91 F200 M99",
                           "G92 X0 Y0 Z0|(CALL O1 1/1)|G90 X1|G90 F200|X2|M30")),
        expanded(converted("M99 before the modes it runs",
                           "G92 X0 Y0 Z0|M98 P1|X1|M30|O1|G91 X1|M99\tG90 F200",
                           "G92 X0 Y0 Z0|(CALL O1 1/1)|G90 X1|G90 F200|X1|M30")),
        not_expanded("an optional return in the main program", "G92 X0 Y0 Z0|G91 X1|/M99|M30",
                     "G92 X0 Y0 Z0|G90 X1", 3, "an optional block (/) that calls or returns"),
        expanded(converted("an optional end before a subroutine definition",
                           "G92 X0 Y0 Z0|G91 X1|/M30|o100 sub|G90 X0|o100 endsub",
                           "G92 X0 Y0 Z0|G90 X1|/M30")),
        {.name = "a program longer than the line limit without calls",
         .input = lf("G92 X0 Y0 Z0|G91 X1|X1"),
         .output = crlf("G92 X0 Y0 Z0|G90 X1|X2"),
         .expand = true,
         .max_lines = 2},
        not_expanded("a numbered subroutine found nowhere", "G92 X0 Y0 Z0|o100 call|M2",
                     "G92 X0 Y0 Z0", 2, "no subroutine o100"),
        expanded(stopped("a computed O-word call", "G92 X0 Y0 Z0|o[100] call|M2", "G92 X0 Y0 Z0", 2,
                         "G, M or O code from a parameter or expression")),
        not_expanded("an O-word loop in a called subroutine",
                     "o100 sub|o101 while [#1 LT 2]|o101 endwhile|o100 endsub|G92 X0 Y0 Z0|o100 "
                     "call|M2",
                     "G92 X0 Y0 Z0|(CALL o100 1/1)", 2, "program flow in a called program"),
        not_expanded("a local call of a line number with a point",
                     "G92 X0 Y0 Z0|M97 P10|M30|N10.5 X1|M99", "G92 X0 Y0 Z0", 2, "no line N10"),
        {.name = "a subroutine defined twice in a file beside",
         .input = lf("G92 X0 Y0 Z0|o<peck> call|M2"),
         .output = crlf("G92 X0 Y0 Z0"),
         .console = "\nERROR: line 2: call cannot be expanded (o<peck> defined twice in peck.ngc, "
                    "lines 1 and 4)\n",
         .status = 1,
         .expand = true,
         .beside = {{"peck.ngc",
                     "o<peck> sub|G91 Z-1|o<peck> endsub|o<peck> sub|G91 Z-2|o<peck> endsub"}}},
        // The input's last line has no line end: the caller's lines follow it.
        {.name = "a called program that ends the input without a line end",
         .input = "G92 X0 Y0 Z0\nM98 P1\nX1\nM30\nO1\nG91 X1",
         .output = crlf("G92 X0 Y0 Z0|(CALL O1 1/1)|G90 X1|X2|M30"),
         .expand = true},
        {.name = "M99 with modes that ends the input without a line end",
         .input = "G92 X0 Y0 Z0\nM98 P1\nX1\nM30\nO1\nG91 X1\nG91 F200 M99",
         .output = crlf("G92 X0 Y0 Z0|(CALL O1 1/1)|G90 X1|G90 F200|X2|M30"),
         .expand = true},
        not_expanded("M99 with an arc word", "G92 X0 Y0 Z0|M98 P1|M30|O1|G91 X1|M99 I5",
                     "G92 X0 Y0 Z0|(CALL O1 1/1)|G90 X1", 6, "M99 with other words"),
        not_expanded("M99 with a tool word", "G92 X0 Y0 Z0|M98 P1|M30|O1|G91 X1|M99 T1",
                     "G92 X0 Y0 Z0|(CALL O1 1/1)|G90 X1", 6, "M99 with other words"),
        not_expanded("M99 with a parameter", "G92 X0 Y0 Z0|M98 P1|M30|O1|G91 X1|M99 F#1",
                     "G92 X0 Y0 Z0|(CALL O1 1/1)|G90 X1", 6, "M99 with other words"),
        not_expanded("M99 with an axis word", "G92 X0 Y0 Z0|M98 P1|M30|O1|G91 X1|M99 X1",
                     "G92 X0 Y0 Z0|(CALL O1 1/1)|G90 X1", 6, "M99 with other words"),
        expanded(converted("M73 restores the units where its program returns",
                           "G21|G92 X0 Y0 Z0|M98 P1|G91 X10|M30|O1|M73|G20|G91 X1|M99",
                           "G21|G92 X0 Y0 Z0|(CALL O1 1/1)|M73|G20|G90 X1|G21|G90 X35.400|M30")),
        expanded(stopped("M72 of the main program after a called program's M70",
                         "G21|G92 X0 Y0 Z0|M70|M98 P1|M72|G91 X10|M30|O1|M70|G20|M99",
                         "G21|G92 X0 Y0 Z0|M70|(CALL O1 1/1)|M70|G20", 5,
                         "M72 in the written-out program would restore the modes another call "
                         "level saved")),
        expanded(converted("M73 restores every mode its program changed",
                           "G21|G92 X0 Y0 Z0|G17 G94 G54 G98 G49|M98 P1|G90 G0 X1. Y1. Z1.|M30|O1|"
                           "M73|G20 G18 G93 G55 G99|G43 H1|M99",
                           "G21|G92 X0 Y0 Z0|G17 G94 G54 G98 G49|(CALL O1 1/1)|M73|G20 G18 G93 G55 "
                           "G99|G43 H1|G21 G17 G94 G54 G98 G49|G90 G0 X1. Y1. Z1.|M30")),
        expanded(converted("M73 with only the distance mode to restore",
                           "G92 X0 Y0 Z0|M98 P1|X1|M30|O1|M73|G91 X1|M99",
                           "G92 X0 Y0 Z0|(CALL O1 1/1)|M73|G90 X1|X1|M30")),
        expanded(converted("M73 restores the diameter mode",
                           "G92 X0 Y0 Z0|M98 P1|G90 G0 X1. Y1. Z1.|M30|O1|M73|G7|M99",
                           "G92 X0 Y0 Z0|(CALL O1 1/1)|M73|G7|G8|G90 G0 X1. Y1. Z1.|M30")),
        expanded({.name = "a program without a mode line, its calls written out",
                  .input = lf("%|(NOTE)|M30"),
                  .output = crlf("%|(NOTE)|M30"),
                  .console = "\nERROR: no G90, G91 or G92 line: nothing to convert\n",
                  .status = 1}),
        expanded(stopped("M73 and a tool length that cannot be written",
                         "G21|G92 X0 Y0 Z0|G43 H1 Z0|M98 P1|M30|O1|M73|G49|M99",
                         "G21|G92 X0 Y0 Z0|G43 H1 Z0|(CALL O1 1/1)|M73|G49", 7,
                         "the tool length M73 saved cannot be written where its program returns")),
    };
}

}  // namespace g91to90::test_support

// Instantiates `suite` once for each table of line rules.
#define G91TO90_RULE_TABLES(suite)                                                                \
    INSTANTIATE_TEST_SUITE_P(Comments, suite, ::testing::ValuesIn(test_support::comment_cases()), \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(WordsAndCodes, suite,                                                \
                             ::testing::ValuesIn(test_support::word_cases()),                     \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(Axes, suite, ::testing::ValuesIn(test_support::axis_cases()),        \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(Returns, suite, ::testing::ValuesIn(test_support::return_cases()),   \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(CopiedLines, suite,                                                  \
                             ::testing::ValuesIn(test_support::copied_cases()),                   \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(CyclesAndCalls, suite,                                               \
                             ::testing::ValuesIn(test_support::cycle_and_call_cases()),           \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(UnitsAndStart, suite,                                                \
                             ::testing::ValuesIn(test_support::unit_and_start_cases()),           \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(CallExpansion, suite,                                                \
                             ::testing::ValuesIn(test_support::call_expansion_cases()),           \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(CannedCycles, suite,                                                 \
                             ::testing::ValuesIn(test_support::canned_cycle_cases()),             \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(Numbers, suite, ::testing::ValuesIn(test_support::number_cases()),   \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(CodeTable, suite,                                                    \
                             ::testing::ValuesIn(test_support::code_table_cases()),               \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(Reading, suite, ::testing::ValuesIn(test_support::reading_cases()),  \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(Layout, suite, ::testing::ValuesIn(test_support::layout_cases()),    \
                             test_support::row_name());                                           \
    INSTANTIATE_TEST_SUITE_P(NumberReadings, suite,                                               \
                             ::testing::ValuesIn(test_support::number_reading_cases()),           \
                             test_support::row_name())
