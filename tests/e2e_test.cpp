// End-to-end tests of the built program: files, arguments, prompts, standard
// output and exit status.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_cases.hpp"
#include "program_runner.hpp"

namespace g91to90 {
namespace {

using testing::program_result;
using testing::scratch_folder;
namespace fs = std::filesystem;

constexpr const char* INPUT_PROMPT = "\nINPUT-FILE NAME:";
constexpr const char* OUTPUT_PROMPT = "\nOUTPUT-FILE NAME:";
constexpr const char* SAME_FILES = "ERROR: input output files are same\n";
constexpr const char* WARNING = "Warning:in input file the location of G92/G90/G91 maybe wrong!\n";

// A program that converts without questions.
const std::string G92_PROGRAM = "%\nO0001\nG92 X0 Y0 Z0\nG91 G01 X1\nM30\n";
const std::string G92_CONVERTED = "%\r\nO0001\r\nG92 X0 Y0 Z0\r\nG90 G01 X1\r\nM30\r\n";

TEST(FileNames, FromArgumentsConvertsWithoutQuestions) {
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    const program_result result = folder.run({"in.nc", "out.nc", "ignored", "also ignored"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.console, "");
    EXPECT_EQ(folder.get("out.nc"), G92_CONVERTED);
    EXPECT_FALSE(folder.has("ignored"));
}

TEST(FileNames, AskedForWhenMissing) {
    struct prompt_case {
        std::vector<std::string> arguments;
        std::string answers;
        std::string console;
    };
    const std::vector<prompt_case> cases = {
        {{}, "in.nc\nout.nc\n", std::string(INPUT_PROMPT) + OUTPUT_PROMPT},
        // Tokens, not lines: one line answers both prompts, both are still shown.
        {{}, "  in.nc   out.nc", std::string(INPUT_PROMPT) + OUTPUT_PROMPT},
        {{"in.nc"}, "\n\tout.nc\n", OUTPUT_PROMPT},
    };
    for (const prompt_case& c : cases) {
        scratch_folder folder;
        folder.put("in.nc", G92_PROGRAM);
        const program_result result = folder.run(c.arguments, c.answers);
        EXPECT_EQ(result.status, 0) << c.answers;
        EXPECT_EQ(result.console, c.console) << c.answers;
        EXPECT_EQ(folder.get("out.nc"), G92_CONVERTED) << c.answers;
    }
}

TEST(FileNames, NamesOfAnyLengthAreAccepted) {
    scratch_folder folder;
    const std::string in_name = std::string(150, 'i') + ".nc";
    const std::string out_name = std::string(200, 'o') + ".nc";
    folder.put(in_name, G92_PROGRAM);
    EXPECT_EQ(folder.run({in_name, out_name}).status, 0);
    EXPECT_EQ(folder.get(out_name), G92_CONVERTED);
    const program_result typed = folder.run({}, in_name + " typed-" + out_name);
    EXPECT_EQ(typed.status, 0);
    EXPECT_EQ(folder.get("typed-" + out_name), G92_CONVERTED);
}

TEST(FileNames, SameFileIsRefusedBeforeTheOutputIsOpened) {
    struct same_case {
        std::string name;
        std::vector<std::string> arguments;
        std::string answers;
        std::string console;
    };
    const std::string refused = SAME_FILES;
    const std::vector<same_case> cases = {
        {"equal arguments", {"in.nc", "in.nc"}, "", refused},
        {"typed equal to argument", {"in.nc"}, "in.nc\n", OUTPUT_PROMPT + refused},
        {"both typed", {}, "in.nc in.nc", INPUT_PROMPT + (OUTPUT_PROMPT + refused)},
        {"path prefix", {"in.nc", "./in.nc"}, "", refused},
        {"folder detour", {"in.nc", "../work/in.nc"}, "", refused},
        {"typed path prefix", {"./in.nc"}, "in.nc", OUTPUT_PROMPT + refused},
        {"hard link", {"in.nc", "hard.nc"}, "", refused},
        {"symbolic link", {"soft.nc", "in.nc"}, "", refused},
        {"typed symbolic link", {"in.nc"}, "soft.nc", OUTPUT_PROMPT + refused},
    };
    for (const same_case& c : cases) {
        scratch_folder folder;
        folder.put("in.nc", G92_PROGRAM);
        fs::create_hard_link(folder.work() / "in.nc", folder.work() / "hard.nc");
        fs::create_symlink("in.nc", folder.work() / "soft.nc");
        const program_result result = folder.run(c.arguments, c.answers);
        EXPECT_EQ(result.status, 1) << c.name;
        EXPECT_EQ(result.console, c.console) << c.name;
        EXPECT_EQ(folder.get("in.nc"), G92_PROGRAM) << c.name << ": the input was touched";
    }
}

TEST(FileNames, FilesThatCannotBeOpened) {
    struct open_case {
        std::string name;
        std::vector<std::string> arguments;
        std::string answers;
        std::string console;
    };
    const std::vector<open_case> cases = {
        {"missing input argument", {"missing.nc", "out.nc"}, "", "\nCan't open missing.nc\n"},
        // No prompt for the output follows a failed input.
        {"missing typed input",
         {},
         "missing.nc out.nc",
         std::string(INPUT_PROMPT) + "\nCan't open missing.nc\n"},
        {"folder as input", {"folder", "out.nc"}, "", "\nCan't open folder\n"},
        {"output in a missing folder",
         {"in.nc", "nowhere/out.nc"},
         "",
         "\nCan't open nowhere/out.nc\n"},
        {"folder as output", {"in.nc", "folder"}, "", "\nCan't open folder\n"},
        {"typed output in a missing folder",
         {"in.nc"},
         "nowhere/o.nc",
         std::string(OUTPUT_PROMPT) + "\nCan't open nowhere/o.nc\n"},
    };
    for (const open_case& c : cases) {
        scratch_folder folder;
        folder.put("in.nc", G92_PROGRAM);
        fs::create_directory(folder.work() / "folder");
        const program_result result = folder.run(c.arguments, c.answers);
        EXPECT_EQ(result.status, 1) << c.name;
        EXPECT_EQ(result.console, c.console) << c.name;
        EXPECT_FALSE(folder.has("out.nc")) << c.name;
    }
}

TEST(FileNames, ConsoleEndingWhileANameIsAwaitedStopsWithStatusOne) {
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    const program_result no_input = folder.run({}, "   \n");
    EXPECT_EQ(no_input.status, 1);
    EXPECT_EQ(no_input.console, INPUT_PROMPT);
    const program_result no_output = folder.run({"in.nc"}, "");
    EXPECT_EQ(no_output.status, 1);
    EXPECT_EQ(no_output.console, OUTPUT_PROMPT);
    EXPECT_FALSE(folder.has("out.nc"));
}

TEST(Input, ReadErrorIsReportedAndNeverTakenForTheEnd) {
    if (!fs::exists("/proc/self/mem")) {
        GTEST_SKIP() << "needs a file whose reads fail";
    }
    scratch_folder folder;
    const program_result result = folder.run({"/proc/self/mem", "out.nc"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.console, "\nCan't read /proc/self/mem\n");
}

TEST(Preamble, EarlyStopsKeepWhatWasWritten) {
    struct stop_case {
        std::string name;
        std::string input;
        std::string output;
        std::string console;
    };
    const std::vector<stop_case> cases = {
        {"empty input", "", "", ""},
        {"ends before the mode line", "%\n\nO0001\n(G91 LATER)\n", "%\r\nO0001\r\n(G91 LATER)\r\n",
         ""},
        {"axis word before the mode line", "%\nM06 T1\nG00 X10\nG91\n", "%\r\nM06 T1\r\n", WARNING},
        {"G91 added after a last line without newline", "%\n(G54 G90)", "%\r\n(G54 G90)\r\nG91\r\n",
         ""},
        {"Ctrl-Z ends the input", "%\nO1\x1aG92 X0 Y0 Z0\n", "%\r\nO1", ""},
    };
    for (const stop_case& c : cases) {
        scratch_folder folder;
        folder.put("in.nc", c.input);
        const program_result result = folder.run({"in.nc", "out.nc"});
        EXPECT_EQ(result.status, 1) << c.name;
        EXPECT_EQ(result.console, c.console) << c.name;
        EXPECT_EQ(folder.get("out.nc"), c.output) << c.name;
    }
}

TEST(Preamble, NulBytesAndCarriageReturnsAreOrdinaryText) {
    scratch_folder folder;
    const std::string input = std::string("%\r\n(A\0B)\r\nM06\rT1\nG92 X0 Y0 Z0\r\n", 30);
    folder.put("in.nc", input);
    EXPECT_EQ(folder.run({"in.nc", "out.nc"}).status, 0);
    EXPECT_EQ(folder.get("out.nc"), std::string("%\r\n(A\0B)\r\nM06\rT1\r\nG92 X0 Y0 Z0\r\n", 31));
}

TEST(Output, WriteFailureEndsWithTheCloseFailureStatus) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "needs a device that refuses writes";
    }
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    const program_result small = folder.run({"in.nc", "/dev/full"});
    EXPECT_EQ(small.status, 255);
    std::string large = "%\nG92 X0 Y0 Z0\n";
    for (int i = 0; i < 20000; ++i) {
        large += "G91 G01 X0.5 Y-0.25 (STEP)\n";
    }
    folder.put("large.nc", large);
    EXPECT_EQ(folder.run({"large.nc", "/dev/full"}).status, 255);
    // Output that fails when the last of it is written at the end.
    folder.put("medium.nc", large.substr(0, 30000));
    EXPECT_EQ(folder.run({"medium.nc", "/dev/full"}).status, 255);
}

TEST(Output, AnEarlyStopKeepsItsStatusWhenTheOutputFailsToo) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "needs a device that refuses writes";
    }
    scratch_folder folder;
    std::string preamble;
    for (int i = 0; i < 1000; ++i) {
        preamble += "(TOOL LIST LINE " + std::to_string(i) + ")\n";
    }
    folder.put("in.nc", preamble + "G00 X10\nG91\n");
    const program_result result = folder.run({"in.nc", "/dev/full"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.console, WARNING);
}

using testing::START_PROMPTS;

// The whole-program table of the engine's tests, through the built program.
TEST(Conversion, WholePrograms) {
    for (const testing::program_case& c : testing::whole_program_cases()) {
        scratch_folder folder;
        folder.put("in.nc", c.input);
        const program_result result = folder.run({"in.nc", "out.nc"}, c.answers);
        EXPECT_EQ(result.status, c.status) << c.name;
        EXPECT_EQ(result.console, c.console) << c.name;
        EXPECT_EQ(folder.get("out.nc"), c.output) << c.name;
    }
}

TEST(Conversion, TheTypicalFileGivesItsEightLines) {
    scratch_folder folder;
    folder.put("in.nc",
               "%\nO0001\n(INCREMENTAL TEST)\nG91 G21\nG00 X10 Y5\nG01 Z-2.5 F100\n"
               "G02 X5 Y5 I5 J0\n\nM30\n");
    const program_result result = folder.run({"in.nc", "out.nc"}, "0\n0\n0\n");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.console, START_PROMPTS);
    EXPECT_EQ(folder.get("out.nc"),
              "%\r\nO0001\r\n(INCREMENTAL TEST)\r\nG90 G21\r\nG00 X10 Y5\r\n"
              "G01 Z-2.500 F100\r\nG02 X15 Y10 I5 J0\r\nM30\r\n");
}

TEST(Conversion, ShippedExamplesGiveTheirGoldenFiles) {
    struct example_case {
        std::string name;
        std::string answers;
        std::string console;
    };
    const std::vector<example_case> cases = {
        {"pocket.nc", "", ""},
        {"fixtures.nc", "", ""},
        {"profile.nc", "0 0 50\n", START_PROMPTS},
    };
    const fs::path examples = G91TO90_EXAMPLES_DIR;
    for (const example_case& c : cases) {
        scratch_folder folder;
        const program_result result =
            folder.run({(examples / c.name).string(), "out.nc"}, c.answers);
        EXPECT_EQ(result.status, 0) << c.name;
        EXPECT_EQ(result.console, c.console) << c.name;
        EXPECT_EQ(folder.get("out.nc"),
                  testing::read_file(examples.parent_path() / "tests" / "golden" / c.name))
            << c.name;
    }
}

TEST(Conversion, StartValuesAreTypedTokens) {
    scratch_folder folder;
    folder.put("in.nc", "G91\nX1 Y1 Z1\n");
    const program_result one_line = folder.run({"in.nc", "out.nc"}, "1 2 3\n");
    EXPECT_EQ(one_line.status, 0);
    EXPECT_EQ(one_line.console, START_PROMPTS);
    EXPECT_EQ(folder.get("out.nc"), "G90\r\nX2 Y3 Z4\r\n");
    const program_result typed_names =
        folder.run({}, "in.nc out2.nc 1e2 1d1 " + std::string(500, '0') + "5");
    EXPECT_EQ(typed_names.status, 0);
    EXPECT_EQ(typed_names.console, INPUT_PROMPT + (OUTPUT_PROMPT + START_PROMPTS));
    EXPECT_EQ(folder.get("out2.nc"), "G90\r\nX101 Y11 Z6\r\n");
}

}  // namespace
}  // namespace g91to90
