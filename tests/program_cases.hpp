// Whole programs with their answers and expected results, run both in
// memory and through the built program.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace g91to90::test_support {

struct program_case {
    std::string name;
    std::string input;
    std::string answers = "";
    std::string output;
    std::string console = "";
    int status = 0;
    std::string start = "";  // the --start option's value; none when empty
    // With --expand-calls, and these files beside the input (name, lines "A|B").
    bool expand = false;
    std::vector<std::pair<std::string, std::string>> beside = {};
    // The --integers option's value: the tables read numbers without a point
    // as millimetres or inches unless a row says otherwise ("" for none).
    std::string integers = "units";
    bool decimal_point = false;   // --decimal-point
    std::uint64_t max_lines = 0;  // the --max-lines option's value; none when 0
};

inline const std::string START_PROMPTS = "\nINPUT START-X:\nINPUT START-Y:\nINPUT START-Z:";
inline const std::string OUT_OF_RANGE = "ERROR: number out of range\n";

inline std::vector<program_case> whole_program_cases() {
    const std::string long_comment = "(" + std::string(100000, 'C') + " X1)";
    const std::string long_motion = "G01 X1" + std::string(5000, ' ') + "Y+2 (END)";
    const std::string longer_comment = "(" + std::string(70000, 'C') + ")";
    std::string many_words;
    std::string many_written;
    // Three batches of words, the later ones read past other words and a
    // run of letters. Every X word of an absolute line is written in the
    // format (and X is unknown after the line: controls differ on which of
    // them counts).
    for (int word = 1; word <= 140; ++word) {
        many_words += " X" + std::to_string(word) + ".5";
        many_written += " X" + std::to_string(word) + ".500";
        if (word == 100) {
            many_words += " F100 AB";
            many_written += " F100 AB";
        }
    }
    return {
        {.name = "runs longer than the output block",
         .input = "G92 X0 Y0 Z0\nG91 " + longer_comment + " X1 " + longer_comment + "\n",
         .output = "G92 X0 Y0 Z0\r\nG90 " + longer_comment + " X1 " + longer_comment + "\r\n"},
        {.name = "a line of more words than one batch",
         .input = "G92 X0 Y0 Z0\nG90 G1" + many_words + "\nG91\nG53" + many_words + "\n",
         .output = "G92 X0 Y0 Z0\r\nG90 G1" + many_written + "\r\nG90\r\nG91\r\nG53" + many_words +
                   "\r\nG90\r\n"},
        {.name = "lines of any length are handled whole",
         .input =
             "G92 X0 Y0 Z0\n" + long_comment + "\nG91 " + long_motion + "\r\n" + long_motion + "\n",
         .output = "G92 X0 Y0 Z0\r\n" + long_comment + "\r\nG90 G01 X1" + std::string(5000, ' ') +
                   "Y2 (END)\r\nG01 X2" + std::string(5000, ' ') + "Y4 (END)\r\n"},
        {.name = "last motion line without newline",
         .input = "G92 X0 Y0 Z0\nG91 X1",
         .output = "G92 X0 Y0 Z0\r\nG90 X1"},
        {.name = "a cycle line of two holes without newline, G91 last",
         .input = "G92 X0 Y0 Z10\nG99 G81 X5. Y5. Z-5. R-3. L2 G91",
         .output = "G92 X0 Y0 Z10\r\nG99 G81 X5. Y5. Z2. R7. G90\r\nX10. Y10."},
        {.name = "a cycle line without newline",
         .input = "G92 X0 Y0 Z10\nG91 G99 G81 X5. Z-5. R-3.",
         .output = "G92 X0 Y0 Z10\r\nG90 G99 G81 X5. Z2. R7."},
        {.name = "long numbers in every kind of word",
         .input = "G92 X0 Y0 Z0\nG91 X0.123456789 F100.123456789\nN123456789 G1.000000000 Y1\n"
                  "X12345678.5\n",
         .output = "G92 X0 Y0 Z0\r\nG90 X0.123457 F100.123456789\r\nN123456789 G1.000000000 "
                   "Y1\r\nX12345678.623457\r\n"},
        {.name = "lone percent after CR LF lines",
         .input = "G92 X0 Y0 Z0\r\nM30\r\n%",
         .output = "G92 X0 Y0 Z0\r\nM30\r\n"},
        {.name = "typical file",
         .input = "%\nO0001\n(INCREMENTAL TEST)\nG91 G21\nG00 X10 Y5\nG01 Z-2.5 F100\n"
                  "G02 X5 Y5 I5 J0\n\nM30\n",
         .answers = "0\n0\n0\n",
         .output =
             "%\r\nO0001\r\n(INCREMENTAL TEST)\r\nG90 G21\r\nG00 X10 Y5\r\nG01 Z-2.500 F100\r\n"
             "G02 X15 Y10 I5 J0\r\nM30\r\n",
         .console = START_PROMPTS},
        {.name = "G92 start, absolute until G91",
         .input = "G92 X10 Y-20.5 Z3\nX1\nG91 X1 Y1\nZ-1\n",
         .output = "G92 X10 Y-20.5 Z3\r\nX1\r\nG90 X2 Y-19.500\r\nZ2\r\n"},
        {.name = "G92 without blanks",
         .input = "G92X1Y2Z3\nG91X1Y1Z1\n",
         .output = "G92X1Y2Z3\r\nG90X2Y3Z4\r\n"},
        {.name = "G92 blank after letter",
         .input = "G92 X 5 Y0 Z0\nG91 X1\n",
         .output = "G92 X 5 Y0 Z0\r\nG90 X6\r\n"},
        {.name = "G92 letter in comment first",
         .input = "G92 (SET X) X5 Y0 Z0\nG91 X1\n",
         .output = "G92 (SET X) X5 Y0 Z0\r\nG90 X6\r\n"},
        {.name = "G92 with G91 starts incremental",
         .input = "G92 X0 Y0 Z0 G91\nX5\nX5\n",
         .output = "G92 X0 Y0 Z0 G91\r\nG90\r\nX5\r\nX10\r\n"},
        {.name = "G92 missing axis is unknown",
         .input = "G92 X1 Y1\nG91 Z2\n",
         .output = "G92 X1 Y1\r\n",
         .console = "\nERROR: line 2: incremental Z move from an unknown position (Z unknown since "
                    "line 1: G92) (state the position with an absolute move before this line)\n",
         .status = 1},
        {.name = "start given",
         .input = "G91 G1 X1 Y-1 Z-1\nM30\n",
         .output = "G90 G1 X1 Y-1 Z49\r\nM30\r\n",
         .start = "X0 Y0 Z50"},
        {.name = "start given without blanks, in lower case, with rotary axes",
         .input = "G91 A90 X1\nC-45.5\n",
         .output = "G90 A100 X2\r\nC-35.500\r\n",
         .start = "x1a10 C 10"},
        {.name = "an axis the start does not name is unknown",
         .input = "G91 X1\nZ-1\n",
         .output = "G90 X1\r\n",
         .console = "\nERROR: line 2: incremental Z move from an unknown position (Z unknown since "
                    "the start) (give the start of Z with --start \"Z0 ...\")\n",
         .status = 1,
         .start = "X0 Y0"},
        {.name = "a G92 line wins over the given start",
         .input = "G92 X5 Y5 Z5\nG91 X1\n",
         .output = "G92 X5 Y5 Z5\r\nG90 X6\r\n",
         .start = "X0 Y0 Z0"},
        {.name = "start given with a letter that is no axis",
         .input = "G91 X1\n",
         .output = "",
         .console = "ERROR: --start takes axis words, as in --start \"X0 Y0 Z50\" (not \"X0 "
                    "Q1\")\n",
         .status = 1,
         .start = "X0 Q1"},
        {.name = "start given naming an axis twice",
         .input = "G91 X1\n",
         .output = "",
         .console = "ERROR: --start takes axis words, as in --start \"X0 Y0 Z50\" (not \"X0 "
                    "X1\")\n",
         .status = 1,
         .start = "X0 X1"},
        {.name = "start given without a number",
         .input = "G91 X1\n",
         .output = "",
         .console = "ERROR: --start takes axis words, as in --start \"X0 Y0 Z50\" (not \"X Y0\")\n",
         .status = 1,
         .start = "X Y0"},
        {.name = "start given out of range",
         .input = "G91 X1\n",
         .output = "",
         .console = OUT_OF_RANGE,
         .status = 1,
         .start = "X1000000000"},
        {.name = "start given as blanks",
         .input = "G91 X1\n",
         .output = "",
         .console = "ERROR: --start takes axis words, as in --start \"X0 Y0 Z50\" (not \"  \")\n",
         .status = 1,
         .start = "  "},
        {.name = "start given with signs and a point",
         .input = "G91 X1 Y1 Z-1\n",
         .output = "G90 X2.500 Y-1 Z8\r\n",
         .start = "X+1.5 Y-2 Z9"},
        {.name = "G92 plus sign", .input = "G92 X+4\nG91 X1\n", .output = "G92 X+4\r\nG90 X5\r\n"},
        {.name = "typed answers on one line",
         .input = "G91\nX1 Y1 Z1\n",
         .answers = "1 2 3\n",
         .output = "G90\r\nX2 Y3 Z4\r\n",
         .console = START_PROMPTS},
        {.name = "typed exponents",
         .input = "G91\nX1 Y1 Z1\n",
         .answers = "1e2 1d1 -1D0",
         .output = "G90\r\nX101 Y11 Z0\r\n",
         .console = START_PROMPTS},
        {.name = "long typed start",
         .input = "G91 X1\n",
         .answers = std::string(300, '0') + "7 0 0",
         .output = "G90 X8\r\n",
         .console = START_PROMPTS},
        {.name = "pending G90 G28 line sets absolute mode",
         .input = "G90 G28 X0\nX1\n",
         .answers = "5 0 0",
         .output = "G90 G28 X0\r\nX1\r\n"},
        {.name = "pending line is the last, no newline",
         .input = "%\nG91 X1",
         .answers = "1 0 0",
         .output = "%\r\nG90 X2",
         .console = START_PROMPTS},
        {.name = "pending pass line is the last, no newline",
         .input = "%\nG90 G28 X0",
         .answers = "1 0 0",
         .output = "%\r\nG90 G28 X0"},
        {.name = "pending line with CR LF",
         .input = "G91 X1\r\n",
         .answers = "0 0 0",
         .output = "G90 X1\r\n",
         .console = START_PROMPTS},
        {.name = "console ends during start prompts",
         .input = "%\nG91\nX1\n",
         .answers = "1 2",
         .output = "%\r\nG90\r\n",
         .console = START_PROMPTS,
         .status = 1},
        {.name = "typed start beyond range",
         .input = "G91\nX1\n",
         .answers = "1e999 0 0",
         .output = "G90\r\n",
         .console = "\nINPUT START-X:" + OUT_OF_RANGE,
         .status = 1},
        {.name = "typed start of a billion on an unused axis",
         .input = "G91\nX1\n",
         .answers = "0 1e9 0",
         .output = "G90\r\n",
         .console = "\nINPUT START-X:\nINPUT START-Y:" + OUT_OF_RANGE,
         .status = 1},
        {.name = "coordinate system with G91 in absolute mode",
         .input = "G92 X5 Y0 Z0\nG54 G91 X10\nX1\n",
         .output = "G92 X5 Y0 Z0\r\nG54 G91 X10\r\nG90\r\nX16\r\n"},
        {.name = "coordinate system in absolute mode",
         .input = "G92 X0 Y0 Z0\nG54 X7\nX1\n",
         .output = "G92 X0 Y0 Z0\r\nG54 X7\r\nX1\r\n"},
        {.name = "coordinate system with both codes",
         .input = "G92 X5 Y0 Z0\nG54 G90 G91 X1\nG0 Y1\n",
         .output = "G92 X5 Y0 Z0\r\n",
         .console = "\nERROR: line 2: G90 and G91 on one line\n",
         .status = 1},
        {.name = "coordinate system G90 after incremental",
         .input = "G92 X0 Y0 Z0\nG91 X1\nG55 G90 X3\nX4\n",
         .output = "G92 X0 Y0 Z0\r\nG90 X1\r\nG55 G90 X3\r\nX4\r\n"},
        {.name = "comment naming a system changes nothing",
         .input = "G92 X0 Y0 Z0\nG91 X1\n(G55 X3)\nX1\n",
         .output = "G92 X0 Y0 Z0\r\nG90 X1\r\n(G55 X3)\r\nX2\r\n"},
        {.name = "comment naming a system, absolute",
         .input = "G92 X0 Y0 Z0\n(G55 X3 Y2)\nG91 Y1\n",
         .output = "G92 X0 Y0 Z0\r\n(G55 X3 Y2)\r\nG90 Y1\r\n"},
        {.name = "G28 with G90 sets absolute mode",
         .input = "G92 X0 Y0 Z0\nG91 X1\nG28 G90 X0 Y0\nX1\n",
         .output = "G92 X0 Y0 Z0\r\nG90 X1\r\nG28 G90 X0 Y0\r\nX1\r\n"},
        {.name = "G92 after the preamble sets the position",
         .input = "G92 X0 Y0 Z0\nG91 X3\nG90 G92 X0\nG91 X1\n",
         .output = "G92 X0 Y0 Z0\r\nG90 X3\r\nG90 G92 X0\r\nG90 X1\r\n"},
        {.name = "empty lines and a lone last character dropped",
         .input = "G92 X0 Y0 Z0\n\nM30\n\n%",
         .output = "G92 X0 Y0 Z0\r\nM30\r\n"},
        {.name = "lone X as last line is no word",
         .input = "G92 X0 Y0 Z0\nG91 X1\nX",
         .output = "G92 X0 Y0 Z0\r\nG90 X1\r\n"},
        {.name = "blank line copied",
         .input = "G92 X0 Y0 Z0\n  \n",
         .output = "G92 X0 Y0 Z0\r\n  \r\n"},
        {.name = "G90 added after a last line without newline",
         .input = "G92 X0 Y0 Z0\nG54 G91 X1",
         .output = "G92 X0 Y0 Z0\r\nG54 G91 X1\r\nG90\r\n"},
        {.name = "sum of a billion",
         .input = "G92 X0 Y0 Z0\nG91 G01 X999999999.999999\nX.000001\nM30\n",
         .output = "G92 X0 Y0 Z0\r\nG90 G01 X999999999.999999\r\n",
         .console = "\nERROR: line 3: number out of range\n",
         .status = 1},
        {.name = "G92 start beyond range",
         .input = "G92 X0 Y0 Z" + std::string(400, '9') + "\nG91 Z1\n",
         .output = "G92 X0 Y0 Z" + std::string(400, '9') + "\r\n",
         .console = "\nERROR: line 2: number out of range\n",
         .status = 1},
        {.name = "Ctrl-Z ends the program",
         .input = "G92 X0 Y0 Z0\nG91 X1\n\x1a\r\n",
         .output = "G92 X0 Y0 Z0\r\nG90 X1\r\n"},
        {.name = "Ctrl-Z inside the program",
         .input = "G92 X0 Y0 Z0\nG91 X1\n\x1aX1\n",
         .output = "G92 X0 Y0 Z0\r\nG90 X1\r\n",
         .console =
             "\nERROR: line 3: Ctrl-Z (an end-of-file mark) with more of the program after it\n",
         .status = 1},
    };
}

}  // namespace g91to90::test_support
