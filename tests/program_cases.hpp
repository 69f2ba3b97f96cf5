// Whole programs with their answers and expected results, run both in
// memory and through the built program.
#pragma once

#include <string>
#include <vector>

namespace g91to90::testing {

struct program_case {
    std::string name;
    std::string input;
    std::string answers;
    std::string output;
    std::string console;
    int status;
};

inline const std::string START_PROMPTS = "\nINPUT START-X:\nINPUT START-Y:\nINPUT START-Z:";

inline std::vector<program_case> whole_program_cases() {
    const std::string long_comment = "(" + std::string(100000, 'C') + " X1)";
    const std::string long_motion = "G01 X1" + std::string(5000, ' ') + "Y+2 (END)";
    return {
        {"lines of any length are handled whole",
         "G92 X0 Y0 Z0\n" + long_comment + "\nG91 " + long_motion + "\r\n" + long_motion + "\n", "",
         "G92 X0 Y0 Z0\r\n" + long_comment + "\r\nG90 G01 X1" + std::string(5000, ' ') +
             "Y2 (END)\r\nG01 X2" + std::string(5000, ' ') + "Y4 (END)\r\n",
         "", 0},
        {"last motion line without newline", "G92 X0 Y0 Z0\nG91 X1", "", "G92 X0 Y0 Z0\r\nG90 X1",
         "", 0},
        {"lone percent after CR LF lines", "G92 X0 Y0 Z0\r\nM30\r\n%", "",
         "G92 X0 Y0 Z0\r\nM30\r\n", "", 0},
        {"typical file",
         "%\nO0001\n(INCREMENTAL TEST)\nG91 G21\nG00 X10 Y5\nG01 Z-2.5 F100\n"
         "G02 X5 Y5 I5 J0\n\nM30\n",
         "0\n0\n0\n",
         "%\r\nO0001\r\n(INCREMENTAL TEST)\r\nG90 G21\r\nG00 X10 Y5\r\nG01 Z-2.500 F100\r\n"
         "G02 X15 Y10 I5 J0\r\nM30\r\n",
         START_PROMPTS, 0},
        {"G92 start, absolute until G91", "G92 X10 Y-20.5 Z3\nX1\nG91 X1 Y1\nZ-1\n", "",
         "G92 X10 Y-20.5 Z3\r\nX1\r\nG90 X2 Y-19.500\r\nZ2\r\n", "", 0},
        {"G92 without blanks", "G92X1Y2Z3\nG91X1Y1Z1\n", "", "G92X1Y2Z3\r\nG90X2Y3Z4\r\n", "", 0},
        {"G92 blank after letter", "G92 X 5 Y0 Z0\nG91 X1\n", "", "G92 X 5 Y0 Z0\r\nG90 X1\r\n", "",
         0},
        {"G92 letter in comment first", "G92 (SET X) X5 Y0 Z0\nG91 X1\n", "",
         "G92 (SET X) X5 Y0 Z0\r\nG90 X1\r\n", "", 0},
        {"G92 with G91 stays absolute", "G92 X0 Y0 Z0 G91\nX5\nX5\n", "",
         "G92 X0 Y0 Z0 G91\r\nX5\r\nX5\r\n", "", 0},
        {"G92 missing axis starts at 0", "G92 X1 Y1\nG91 Z2\n", "", "G92 X1 Y1\r\nG90 Z2\r\n", "",
         0},
        {"G92 plus sign", "G92 X+4\nG91 X1\n", "", "G92 X+4\r\nG90 X5\r\n", "", 0},
        {"typed answers on one line", "G91\nX1 Y1 Z1\n", "1 2 3\n", "G90\r\nX2 Y3 Z4\r\n",
         START_PROMPTS, 0},
        {"typed exponents and junk", "G91\nX1 Y1 Z1\n", "1e2 1d1 abc", "G90\r\nX101 Y11 Z1\r\n",
         START_PROMPTS, 0},
        {"long typed start", "G91 X1\n", std::string(300, '0') + "7 0 0", "G90 X8\r\n",
         START_PROMPTS, 0},
        {"pending G90 G28 line is a pass line", "G90 G28 X0\nX1\n", "5 0 0", "G90 G28 X0\r\nX6\r\n",
         START_PROMPTS, 0},
        {"pending line is the last, no newline", "%\nG91 X1", "1 0 0", "%\r\nG90 X2", START_PROMPTS,
         0},
        {"pending pass line is the last, no newline", "%\nG90 G28 X0", "1 0 0", "%\r\nG90 G28 X0",
         START_PROMPTS, 0},
        {"pending line with CR LF", "G91 X1\r\n", "0 0 0", "G90 X1\r\n", START_PROMPTS, 0},
        {"console ends during start prompts", "%\nG91\nX1\n", "1 2", "%\r\n", START_PROMPTS, 1},
        {"typed start beyond range", "G91\nX1\n", "1e999 0 0", "G90\r\n",
         START_PROMPTS + "ERROR: number out of range\n", 1},
        {"typed start beyond range on an unused axis", "G91\nX1\n", "0 1e999 0", "G90\r\nX1\r\n",
         START_PROMPTS, 0},
        {"coordinate system with G91 in absolute mode", "G92 X5 Y0 Z0\nG54 G91 X10\nX1\n", "",
         "G92 X5 Y0 Z0\r\nG54 G91 X10\r\nG90\r\nX16\r\n", "", 0},
        {"coordinate system in absolute mode", "G92 X0 Y0 Z0\nG54 X7\nX1\n", "",
         "G92 X0 Y0 Z0\r\nG54 X7\r\nX1\r\n", "", 0},
        {"coordinate system with both codes", "G92 X5 Y0 Z0\nG54 G90 G91 X1\nG0 Y1\n", "",
         "G92 X5 Y0 Z0\r\nG54 G90 G91 X1\r\nG90\r\nG0 Y1\r\n", "", 0},
        {"coordinate system G90 after incremental", "G92 X0 Y0 Z0\nG91 X1\nG55 G90 X3\nX4\n", "",
         "G92 X0 Y0 Z0\r\nG90 X1\r\nG55 G90 X3\r\nX4\r\n", "", 0},
        {"comment naming a system is tracked", "G92 X0 Y0 Z0\nG91 X1\n(G55 X3)\nX1\n", "",
         "G92 X0 Y0 Z0\r\nG90 X1\r\n(G55 X3)\r\nX5\r\n", "", 0},
        {"comment naming a system, absolute", "G92 X0 Y0 Z0\n(G55 X3 Y2)\nG91 Y1\n", "",
         "G92 X0 Y0 Z0\r\n(G55 X3 Y2)\r\nG90 Y3\r\n", "", 0},
        {"G28 moves nothing and keeps the mode", "G92 X0 Y0 Z0\nG91 X1\nG28 G90 X0 Y0\nX1\n", "",
         "G92 X0 Y0 Z0\r\nG90 X1\r\nG28 G90 X0 Y0\r\nX2\r\n", "", 0},
        {"G30 with G91 keeps absolute mode", "G92 X0 Y0 Z0\nG30 G91 Z0\nZ5\n", "",
         "G92 X0 Y0 Z0\r\nG30 G91 Z0\r\nZ5\r\n", "", 0},
        {"G92 after the preamble is a motion line", "G92 X0 Y0 Z0\nG91 X3\nG92 X0\nX1\n", "",
         "G92 X0 Y0 Z0\r\nG90 X3\r\nG92 X3\r\nX4\r\n", "", 0},
        {"empty lines and a lone last character dropped", "G92 X0 Y0 Z0\n\nM30\n\n%", "",
         "G92 X0 Y0 Z0\r\nM30\r\n", "", 0},
        {"lone X as last line is a motion line", "G92 X0 Y0 Z0\nG91 X1\nX", "",
         "G92 X0 Y0 Z0\r\nG90 X1\r\nX1", "", 0},
        {"blank line copied", "G92 X0 Y0 Z0\n  \n", "", "G92 X0 Y0 Z0\r\n  \r\n", "", 0},
        {"G90 added after a last line without newline", "G92 X0 Y0 Z0\nG54 G91 X1", "",
         "G92 X0 Y0 Z0\r\nG54 G91 X1\r\nG90\r\n", "", 0},
        {"overflowing sum",
         "G92 X0 Y0 Z0\nG91 G01 X17" + std::string(307, '0') + "\nX17" + std::string(307, '0') +
             "\nM30\n",
         "", "G92 X0 Y0 Z0\r\nG90 G01 X16999999999999999" + std::string(292, '0') + "\r\n",
         "ERROR: number out of range\n", 1},
        {"G92 start beyond range", "G92 X0 Y0 Z" + std::string(400, '9') + "\nG91 Z1\n", "",
         "G92 X0 Y0 Z" + std::string(400, '9') + "\r\nG90 ", "ERROR: number out of range\n", 1},
        {"Ctrl-Z ends the body", "G92 X0 Y0 Z0\nG91 X1\n\x1aX1\n", "", "G92 X0 Y0 Z0\r\nG90 X1\r\n",
         "", 0},
    };
}

}  // namespace g91to90::testing
