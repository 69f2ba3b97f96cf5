// End-to-end tests of the built program: files, arguments, prompts, standard
// output and exit status.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "program_cases.hpp"
#include "program_runner.hpp"
#include "rule_cases.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::PrintTo;

using test_support::program_case;
using test_support::program_result;
using test_support::row_name;
using test_support::scratch_folder;
using test_support::START_PROMPTS;
namespace fs = std::filesystem;

constexpr const char* INPUT_PROMPT = "\nINPUT-FILE NAME:";
constexpr const char* OUTPUT_PROMPT = "\nOUTPUT-FILE NAME:";
const std::string SAME_FILES = "ERROR: input output files are same\n";
// "Can't open NAME", and the file's role and why on a line of its own.
std::string not_opened(const std::string& name, const std::string& role_and_reason) {
    return "\nCan't open " + name + "\n(" + role_and_reason + ")\n";
}
const std::string NO_SUCH_FILE = "No such file or directory";
constexpr const char* WARNING = "Warning:in input file the location of G92/G90/G91 maybe wrong!\n";
// The warning's second line, naming the line and the axis.
std::string named_warning(const std::string& line_and_axis) {
    return WARNING + line_and_axis + " before any G90, G91 or G92 line\n";
}

// A program that converts without questions.
const std::string G92_PROGRAM = "%\nO0001\nG92 X0 Y0 Z0\nG91 G01 X1\nM30\n";
const std::string G92_CONVERTED = "%\r\nO0001\r\nG92 X0 Y0 Z0\r\nG90 G01 X1\r\nM30\r\n";

// A run of the program in a folder holding in.nc (G92_PROGRAM), a folder, a
// hard link hard.nc and a symbolic link soft.nc to in.nc.
struct name_case {
    std::string name;
    std::vector<std::string> arguments;
    std::string answers = "";
    std::string console;
    int status;
    std::string output_file = "";  // converted when the run succeeds; absent otherwise
};

class FileNames : public ::testing::TestWithParam<name_case> {};

TEST_P(FileNames, AreTakenAskedForOrRefused) {
    const name_case& c = GetParam();
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    fs::create_directory(folder.work() / "folder");
    fs::create_hard_link(folder.work() / "in.nc", folder.work() / "hard.nc");
    fs::create_symlink("in.nc", folder.work() / "soft.nc");
    folder.put("caf\u00e9.nc", G92_PROGRAM);
    const program_result result = folder.run(c.arguments, c.answers);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.console, c.console);
    EXPECT_EQ(folder.get("in.nc"), G92_PROGRAM) << "the input was touched";
    if (c.status == 0) {
        EXPECT_EQ(folder.get(c.output_file), G92_CONVERTED);
    } else {
        EXPECT_FALSE(folder.has("out.nc"));
    }
}

const std::string LONG_IN = std::string(150, 'i') + ".nc";
const std::string LONG_OUT = std::string(200, 'o') + ".nc";

INSTANTIATE_TEST_SUITE_P(
    Arguments, FileNames,
    ::testing::Values(
        name_case{.name = "from arguments",
                  .arguments = {"in.nc", "out.nc"},
                  .console = "",
                  .status = 0,
                  .output_file = "out.nc"},
        name_case{.name = "accented input and CJK output",
                  .arguments = {"caf\u00e9.nc", "\u96f6\u4ef6.nc"},
                  .console = "",
                  .status = 0,
                  .output_file = "\u96f6\u4ef6.nc"},
        name_case{.name = "typed accented input and CJK output",
                  .arguments = {},
                  .answers = "caf\u00e9.nc \"\u96f6 \u4ef6.nc\"\n",
                  .console = std::string(INPUT_PROMPT) + OUTPUT_PROMPT,
                  .status = 0,
                  .output_file = "\u96f6 \u4ef6.nc"},
        name_case{.name = "missing CJK input",
                  .arguments = {"\u7f3a.nc", "out.nc"},
                  .console = not_opened("\u7f3a.nc", "input: " + NO_SUCH_FILE),
                  .status = 1},
        name_case{.name = "both asked",
                  .arguments = {},
                  .answers = "in.nc\nout.nc\n",
                  .console = std::string(INPUT_PROMPT) + OUTPUT_PROMPT,
                  .status = 0,
                  .output_file = "out.nc"},
        // Tokens, not lines: one line answers both prompts, both are still shown.
        name_case{.name = "both asked on one line",
                  .arguments = {},
                  .answers = "  in.nc   out.nc",
                  .console = std::string(INPUT_PROMPT) + OUTPUT_PROMPT,
                  .status = 0,
                  .output_file = "out.nc"},
        name_case{.name = "typed names in quotes",
                  .arguments = {},
                  .answers = "\"in.nc\"  \"out put.nc\"\n",
                  .console = std::string(INPUT_PROMPT) + OUTPUT_PROMPT,
                  .status = 0,
                  .output_file = "out put.nc"},
        name_case{.name = "output asked",
                  .arguments = {"in.nc"},
                  .answers = "\n\tout.nc\n",
                  .console = OUTPUT_PROMPT,
                  .status = 0,
                  .output_file = "out.nc"},
        name_case{.name = "long typed output name",
                  .arguments = {"in.nc"},
                  .answers = LONG_OUT,
                  .console = OUTPUT_PROMPT,
                  .status = 0,
                  .output_file = LONG_OUT},
        name_case{.name = "long output name",
                  .arguments = {"hard.nc", LONG_OUT},
                  .console = "",
                  .status = 0,
                  .output_file = LONG_OUT},
        name_case{.name = "equal arguments",
                  .arguments = {"in.nc", "in.nc"},
                  .console = SAME_FILES,
                  .status = 1},
        name_case{.name = "typed equal to argument",
                  .arguments = {"in.nc"},
                  .answers = "in.nc\n",
                  .console = OUTPUT_PROMPT + SAME_FILES,
                  .status = 1},
        name_case{.name = "both typed equal",
                  .arguments = {},
                  .answers = "in.nc in.nc",
                  .console = INPUT_PROMPT + (OUTPUT_PROMPT + SAME_FILES),
                  .status = 1},
        name_case{.name = "path prefix",
                  .arguments = {"in.nc", "./in.nc"},
                  .console = SAME_FILES,
                  .status = 1},
        name_case{.name = "folder detour",
                  .arguments = {"in.nc", "../work/in.nc"},
                  .console = SAME_FILES,
                  .status = 1},
        name_case{.name = "typed path prefix",
                  .arguments = {"./in.nc"},
                  .answers = "in.nc",
                  .console = OUTPUT_PROMPT + SAME_FILES,
                  .status = 1},
        name_case{.name = "hard link",
                  .arguments = {"in.nc", "hard.nc"},
                  .console = SAME_FILES,
                  .status = 1},
        name_case{.name = "symbolic link",
                  .arguments = {"soft.nc", "in.nc"},
                  .console = SAME_FILES,
                  .status = 1},
        name_case{.name = "typed symbolic link",
                  .arguments = {"in.nc"},
                  .answers = "soft.nc",
                  .console = OUTPUT_PROMPT + SAME_FILES,
                  .status = 1},
        name_case{.name = "missing input argument",
                  .arguments = {"missing.nc", "out.nc"},
                  .console = not_opened("missing.nc", "input: " + NO_SUCH_FILE),
                  .status = 1},
        // No prompt for the output follows a failed input.
        name_case{.name = "missing typed input",
                  .arguments = {},
                  .answers = "missing.nc out.nc",
                  .console = INPUT_PROMPT + not_opened("missing.nc", "input: " + NO_SUCH_FILE),
                  .status = 1},
        name_case{.name = "folder as input",
                  .arguments = {"folder", "out.nc"},
                  .console = not_opened("folder", "input: Is a directory"),
                  .status = 1},
        name_case{.name = "output in a missing folder",
                  .arguments = {"in.nc", "nowhere/out.nc"},
                  .console = not_opened("nowhere/out.nc", "output: " + NO_SUCH_FILE),
                  .status = 1},
        name_case{.name = "folder as output",
                  .arguments = {"in.nc", "folder"},
                  .console = not_opened("folder", "output: Is a directory"),
                  .status = 1},
        name_case{.name = "typed output in a missing folder",
                  .arguments = {"in.nc"},
                  .answers = "nowhere/o.nc",
                  .console = OUTPUT_PROMPT + not_opened("nowhere/o.nc", "output: " + NO_SUCH_FILE),
                  .status = 1},
        name_case{.name = "empty output name",
                  .arguments = {"in.nc", ""},
                  .console = not_opened("", "output: " + NO_SUCH_FILE),
                  .status = 1},
        name_case{.name = "empty input name",
                  .arguments = {"", "out.nc"},
                  .console = not_opened("", "input: " + NO_SUCH_FILE),
                  .status = 1},
        // The incremental original named as the output: never replaced.
        name_case{.name = "names the wrong way round",
                  .arguments = {"caf\u00e9.nc", "in.nc"},
                  .console = "ERROR: in.nc holds G91 moves: is it your input? "
                             "(--force replaces it)\n",
                  .status = 1},
        name_case{.name = "console ends at the input prompt",
                  .arguments = {},
                  .answers = "   \n",
                  .console = INPUT_PROMPT,
                  .status = 1},
        name_case{.name = "console ends at the output prompt",
                  .arguments = {"in.nc"},
                  .console = OUTPUT_PROMPT,
                  .status = 1}),
    row_name());

// The command line: options, names that look like options, too many names.
// The folder holds in.nc (OPTIONS_PROGRAM), -x.nc (G92_PROGRAM) and old.nc.
const std::string OPTIONS_PROGRAM =
    "%\nG92 X0 Y0 Z0\nG91 G01 X10 Y0.0625\nG02 X1 Y-1 I0.5 J-0.5\nG01 X-0.000005 Z2.5\nM30\n";
const std::string OLD_FILE = "old\n";

std::string options_converted(const std::string& line_3, const std::string& line_4,
                              const std::string& line_5) {
    return "%\r\nG92 X0 Y0 Z0\r\n" + line_3 + "\r\n" + line_4 + "\r\n" + line_5 + "\r\nM30\r\n";
}

// Places follow the input (Y0.0625, X-0.000005), and at least the format's.
const std::string DEFAULT_FORMAT = options_converted(
    "G90 G01 X10 Y0.0625", "G02 X11 Y-0.9375 I0.500 J-0.500", "G01 X10.999995 Z2.500");
const std::string POINT_FORMAT = options_converted(
    "G90 G01 X10. Y0.0625", "G02 X11. Y-0.9375 I0.500 J-0.500", "G01 X10.999995 Z2.500");
const std::string FOUR_FORMAT = options_converted(
    "G90 G01 X10 Y0.0625", "G02 X11 Y-0.9375 I0.5000 J-0.5000", "G01 X10.999995 Z2.5000");
const std::string FOUR_POINT_FORMAT = options_converted(
    "G90 G01 X10. Y0.0625", "G02 X11. Y-0.9375 I0.5000 J-0.5000", "G01 X10.999995 Z2.5000");
const std::string SIX_FORMAT = options_converted(
    "G90 G01 X10 Y0.062500", "G02 X11 Y-0.937500 I0.500000 J-0.500000", "G01 X10.999995 Z2.500000");

const std::string USAGE_START = "Usage: g91to90 [OPTIONS] [INPUT [OUTPUT]]\n";
const std::string UNKNOWN_O = "ERROR: unknown option -o\nTry: g91to90 --help\n";
const std::string BAD_DECIMALS = "ERROR: --decimals takes 3 to 6\n";
const std::string TOO_MANY = "ERROR: too many arguments (an input and an output file at most)\n";

struct option_case {
    std::string name;
    std::vector<std::string> arguments;
    std::string answers = "";
    std::string console = "";  // its start, for the usage text
    int status = 0;
    std::string output_file = "";  // written on success; no other file is
    std::string output = "";
};

class Options : public ::testing::TestWithParam<option_case> {};

TEST_P(Options, AreReadBeforeAnythingIsOpened) {
    const option_case& c = GetParam();
    scratch_folder folder;
    folder.put("in.nc", OPTIONS_PROGRAM);
    folder.put("-x.nc", G92_PROGRAM);
    folder.put("old.nc", OLD_FILE);
    // The program mixes numbers with and without a point, read as
    // millimetres: the rows are about the other options.
    const program_result result = folder.run(c.arguments, c.answers, "G91TO90_INTEGERS=units");
    EXPECT_EQ(result.status, c.status);
    if (c.console == USAGE_START) {
        EXPECT_EQ(result.console.substr(0, USAGE_START.size()), USAGE_START);
        EXPECT_NE(result.console.find("--decimal-point"), std::string::npos);
    } else {
        EXPECT_EQ(result.console, c.console);
    }
    EXPECT_EQ(folder.get("in.nc"), OPTIONS_PROGRAM);
    EXPECT_EQ(folder.get("-x.nc"), G92_PROGRAM);
    EXPECT_EQ(folder.get("old.nc"), OLD_FILE);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder.work())) {
        ++files;
    }
    EXPECT_EQ(files, c.output_file.empty() ? 3U : 4U) << "a file was written or removed";
    if (!c.output_file.empty()) {
        EXPECT_EQ(folder.get(c.output_file), c.output);
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLine, Options,
    ::testing::Values(
        option_case{.name = "help", .arguments = {"--help"}, .console = USAGE_START},
        option_case{.name = "short help", .arguments = {"-h"}, .console = USAGE_START},
        option_case{.name = "help after names",
                    .arguments = {"in.nc", "out.nc", "-h"},
                    .console = USAGE_START},
        option_case{.name = "help before an unknown option",
                    .arguments = {"-h", "-o"},
                    .console = USAGE_START},
        option_case{.name = "help with too many names",
                    .arguments = {"a", "b", "c", "--help"},
                    .console = USAGE_START},
        option_case{.name = "version",
                    .arguments = {"--version"},
                    .console = "g91to90 " G91TO90_VERSION "\n"},
        option_case{.name = "short version",
                    .arguments = {"in.nc", "-V"},
                    .console = "g91to90 " G91TO90_VERSION "\n"},
        option_case{.name = "unknown option before help",
                    .arguments = {"-o", "-h"},
                    .console = UNKNOWN_O,
                    .status = 1},
        option_case{.name = "unknown option between names",
                    .arguments = {"in.nc", "-o", "out.nc"},
                    .console = UNKNOWN_O,
                    .status = 1},
        option_case{.name = "unknown option after too many names",
                    .arguments = {"a", "b", "c", "--bogus"},
                    .console = "ERROR: unknown option --bogus\nTry: g91to90 --help\n",
                    .status = 1},
        option_case{.name = "dash named input taken for an option",
                    .arguments = {"-x.nc", "out.nc"},
                    .console = "ERROR: unknown option -x.nc\nTry: g91to90 --help\n",
                    .status = 1},
        option_case{.name = "dash named input after double dash",
                    .arguments = {"--", "-x.nc", "out.nc"},
                    .output_file = "out.nc",
                    .output = G92_CONVERTED},
        option_case{.name = "dash named input by its path",
                    .arguments = {"./-x.nc", "out.nc"},
                    .output_file = "out.nc",
                    .output = G92_CONVERTED},
        option_case{.name = "dash named output after double dash",
                    .arguments = {"in.nc", "--", "-out.nc"},
                    .output_file = "-out.nc",
                    .output = DEFAULT_FORMAT},
        option_case{.name = "lone dash is standard output",
                    .arguments = {"in.nc", "-"},
                    .console = DEFAULT_FORMAT},
        option_case{.name = "max lines of zero",
                    .arguments = {"--expand-calls", "--max-lines=0", "in.nc", "out.nc"},
                    .console = "ERROR: --max-lines takes a number of lines, 1 or more\nTry: "
                               "g91to90 --help\n",
                    .status = 1},
        option_case{.name = "three names",
                    .arguments = {"in.nc", "old.nc", "out.nc"},
                    .console = TOO_MANY,
                    .status = 1},
        option_case{.name = "a glob of programs",
                    .arguments = {"-x.nc", "in.nc", "old.nc", "--", "-x.nc"},
                    .console = "ERROR: unknown option -x.nc\nTry: g91to90 --help\n",
                    .status = 1},
        option_case{.name = "four names after double dash",
                    .arguments = {"--", "-x.nc", "in.nc", "old.nc", "out.nc"},
                    .console = TOO_MANY,
                    .status = 1},
        option_case{.name = "three names and an option",
                    .arguments = {"--decimal-point", "in.nc", "old.nc", "out.nc"},
                    .console = TOO_MANY,
                    .status = 1},
        option_case{.name = "decimals without a value",
                    .arguments = {"in.nc", "out.nc", "--decimals"},
                    .console = BAD_DECIMALS,
                    .status = 1},
        option_case{.name = "decimals seven",
                    .arguments = {"--decimals", "7", "in.nc", "out.nc"},
                    .console = BAD_DECIMALS,
                    .status = 1},
        option_case{.name = "decimals six",
                    .arguments = {"--decimals=6", "in.nc", "out.nc"},
                    .output_file = "out.nc",
                    .output = SIX_FORMAT},
        option_case{.name = "decimals two attached",
                    .arguments = {"--decimals=2", "in.nc", "out.nc"},
                    .console = BAD_DECIMALS,
                    .status = 1},
        option_case{.name = "decimals take the next word",
                    .arguments = {"--decimals", "in.nc", "out.nc"},
                    .console = BAD_DECIMALS,
                    .status = 1},
        option_case{.name = "an unknown reading of integers",
                    .arguments = {"--integers", "metres", "in.nc", "out.nc"},
                    .console = "ERROR: --integers takes units or increments\n",
                    .status = 1},
        option_case{
            .name = "max lines of zeros",
            .arguments = {"--max-lines", "000", "in.nc", "out.nc"},
            .console =
                "ERROR: --max-lines takes a number of lines, 1 or more\nTry: g91to90 --help\n",
            .status = 1},
        option_case{
            .name = "max lines with a letter",
            .arguments = {"--max-lines=12a", "in.nc", "out.nc"},
            .console =
                "ERROR: --max-lines takes a number of lines, 1 or more\nTry: g91to90 --help\n",
            .status = 1},
        option_case{
            .name = "max lines of nineteen digits",
            .arguments = {"--max-lines", "1234567890123456789", "in.nc", "out.nc"},
            .console =
                "ERROR: --max-lines takes a number of lines, 1 or more\nTry: g91to90 --help\n",
            .status = 1},
        option_case{.name = "an output folder without a name",
                    .arguments = {"--output-dir=", "in.nc"},
                    .console = "ERROR: --output-dir takes a name"
                               "\nTry: g91to90 --help\n",
                    .status = 1},
        option_case{.name = "an output folder without inputs",
                    .arguments = {"--output-dir", "out"},
                    .console = "ERROR: --output-dir takes the input files after it"
                               "\nTry: g91to90 --help\n",
                    .status = 1},
        option_case{.name = "a picture of two inputs",
                    .arguments = {"--check", "--preview", "p.svg", "in.nc", "old.nc"},
                    .console = "ERROR: --preview draws one program: give one input"
                               "\nTry: g91to90 --help\n",
                    .status = 1},
        option_case{.name = "default format",
                    .arguments = {"in.nc", "out.nc"},
                    .output_file = "out.nc",
                    .output = DEFAULT_FORMAT},
        option_case{.name = "decimals three is the default",
                    .arguments = {"--decimals", "3", "in.nc", "out.nc"},
                    .output_file = "out.nc",
                    .output = DEFAULT_FORMAT},
        option_case{.name = "decimal point between names",
                    .arguments = {"in.nc", "--decimal-point", "out.nc"},
                    .output_file = "out.nc",
                    .output = POINT_FORMAT},
        option_case{.name = "decimals four",
                    .arguments = {"--decimals", "4", "in.nc", "out.nc"},
                    .output_file = "out.nc",
                    .output = FOUR_FORMAT},
        option_case{.name = "decimals four attached after names",
                    .arguments = {"in.nc", "out.nc", "--decimals=4"},
                    .output_file = "out.nc",
                    .output = FOUR_FORMAT},
        option_case{.name = "both format options",
                    .arguments = {"--decimal-point", "--decimals=4", "in.nc", "out.nc"},
                    .output_file = "out.nc",
                    .output = FOUR_POINT_FORMAT},
        option_case{.name = "options with asked names",
                    .arguments = {"--decimal-point"},
                    .answers = "in.nc out.nc",
                    .console = std::string(INPUT_PROMPT) + OUTPUT_PROMPT,
                    .output_file = "out.nc",
                    .output = POINT_FORMAT}),
    row_name());

TEST(FileNames, LongTypedInputName) {
    scratch_folder folder;
    folder.put(LONG_IN, G92_PROGRAM);
    const program_result typed = folder.run({}, LONG_IN + " out.nc");
    EXPECT_EQ(typed.status, 0);
    EXPECT_EQ(folder.get("out.nc"), G92_CONVERTED);
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

TEST(Input, RunningOutOfMemoryIsReported) {
    const std::string limit = "ulimit -v 65536 &&";
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    // A sanitizer or an emulator needs far more address space than that.
    if (folder.run({"in.nc", "small.nc"}, "", limit).status != 0) {
        GTEST_SKIP() << "the program under test cannot run with its address space limited";
    }
    folder.put("long.nc", "%\n(" + std::string(std::size_t{96} << 20, 'C') + ")\nG92 X0\n");
    const program_result result = folder.run({"long.nc", "out.nc"}, "", limit);
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.console, "\nERROR: out of memory\n");
    EXPECT_FALSE(folder.has("out.nc"));
}

const std::string NO_MODE_LINE = "\nERROR: no G90, G91 or G92 line: nothing to convert\n";
const std::string OLD_OUTPUT = "the conversion of an earlier run\n";

struct stop_case {
    std::string name;
    std::string input;
    std::string output;
    std::string console;
};

class EarlyStops : public ::testing::TestWithParam<stop_case> {};

// The names in the work folder, sorted: a failed run leaves no file behind.
std::vector<std::string> file_names(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Runs without prompts: --start, "-" for the standard streams, batches,
// --check and --preview. The folder holds START_NEEDED (a program without a
// G92 line), g92.nc and sub/g92.nc (G92_PROGRAM), bad.nc (STOPPING) and a
// file named "-" (G92_PROGRAM).
const std::string START_NEEDED = "%\nG91 G1 X1. Y2. Z-1.\nM30\n";
const std::string START_CONVERTED = "%\r\nG90 G1 X1. Y2. Z49.\r\nM30\r\n";
const std::string STOPPING = "G92 X0 Y0\nG91 Z1\n";
const std::string STOP_MESSAGE =
    "ERROR: line 2: incremental Z move from an unknown position (Z unknown since line 1: G92) "
    "(state the position with an absolute move before this line)\n";
// The program without a G92 line needs its start at its first move, line 2.
const std::string NO_START = "ERROR: line 2: no start position (give --start or a G92 line)\n";
// --start gives bad.nc's Z, which its G92 line leaves open: a start in
// millimetres, to which a number without a point is added.
const std::string BAD_WITH_START =
    "ERROR: line 2: Z1 (no decimal point) is added to Z50., a position reached with numbers "
    "with a point: give --integers units or --integers increments, or set G91TO90_INTEGERS "
    "(see \"Numbers\")\n";
const std::string CHECKED_G92 =
    "g92.nc: converts\n  lines 5, moves 1\n  X 0.000 to 1.000\n"
    "  Y 0.000 to 0.000\n  Z 0.000 to 0.000\n  numbers: whole, reading not given\n";
const std::string CHECKED_BAD = "bad.nc: " + STOP_MESSAGE +
                                "  lines 2, moves 0\n  X 0.000 to 0.000\n  Y 0.000 to 0.000\n"
                                "  Z unknown\n  numbers: whole, reading not given\n";
const std::string ANY_CONTENT = "*";

struct use_case {
    std::string name;
    std::vector<std::string> arguments;
    std::string standard_input = "";
    std::string console = "";
    std::string errors = "";
    int status = 0;
    // The files written, and their content (ANY_CONTENT: any); no other is.
    std::vector<std::pair<std::string, std::string>> written = {};
};

class DailyUse : public ::testing::TestWithParam<use_case> {};

TEST_P(DailyUse, RunsWithoutPrompts) {
    const use_case& c = GetParam();
    scratch_folder folder;
    folder.put("in.nc", START_NEEDED);
    folder.put("g92.nc", G92_PROGRAM);
    folder.put("bad.nc", STOPPING);
    folder.put("-", G92_PROGRAM);
    fs::create_directory(folder.work() / "sub");
    folder.put("sub/g92.nc", G92_PROGRAM);
    const std::vector<std::string> before = file_names(folder.work());
    const program_result result = folder.run(c.arguments, c.standard_input);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.console, c.console);
    EXPECT_EQ(result.errors, c.errors);
    std::vector<std::string> expected = before;
    for (const auto& [name, content] : c.written) {
        const std::string top = name.substr(0, name.find('/'));
        if (std::find(expected.begin(), expected.end(), top) == expected.end()) {
            expected.push_back(top);
        }
        if (content != ANY_CONTENT) {
            EXPECT_EQ(folder.get(name), content) << name;
        }
        EXPECT_TRUE(folder.has(name)) << name;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(file_names(folder.work()), expected);
    if (folder.has("out")) {
        std::size_t written_there = 0;
        for (const auto& [name, content] : c.written) {
            written_there += name.starts_with("out/") ? 1 : 0;
        }
        EXPECT_EQ(file_names(folder.work() / "out").size(), written_there);
    }
    EXPECT_EQ(folder.get("in.nc"), START_NEEDED);
    EXPECT_EQ(folder.get("sub/g92.nc"), G92_PROGRAM);
}

INSTANTIATE_TEST_SUITE_P(
    Options, DailyUse,
    ::testing::Values(
        use_case{.name = "standard input to standard output",
                 .arguments = {"--start", "X0 Y0 Z50", "-", "-"},
                 .standard_input = START_NEEDED,
                 .console = START_CONVERTED},
        use_case{.name = "standard input without a start",
                 .arguments = {"-", "-"},
                 .standard_input = START_NEEDED,
                 .console = "%\r\n",  // the preamble, written before the start was needed
                 .errors = "\n" + NO_START,
                 .status = 1},
        use_case{.name = "an absolute program through a filter without a start",
                 .arguments = {"-", "-"},
                 .standard_input = "G90 G0 X1. Y1. Z1.\nG91 X1.\nM30\n",
                 .console = "G90 G0 X1. Y1. Z1.\r\nG90 X2.\r\nM30\r\n"},
        use_case{.name = "standard input with a G92 line to a file",
                 .arguments = {"-", "out.nc"},
                 .standard_input = G92_PROGRAM,
                 .written = {{"out.nc", G92_CONVERTED}}},
        use_case{.name = "a file to standard output",
                 .arguments = {"g92.nc", "-"},
                 .console = G92_CONVERTED},
        use_case{.name = "a stop on standard output after some lines",
                 .arguments = {"bad.nc", "-"},
                 .console = "G92 X0 Y0\r\n",
                 .errors = "\n" + STOP_MESSAGE,
                 .status = 1},
        use_case{.name = "standard input without an output name",
                 .arguments = {"-"},
                 .standard_input = G92_PROGRAM,
                 .errors = "ERROR: with - nothing is asked: give both the input and the "
                           "output\nTry: g91to90 --help\n",
                 .status = 1},
        use_case{.name = "standard input in a batch",
                 .arguments = {"--output-dir", "out", "-"},
                 .standard_input = G92_PROGRAM,
                 .errors = "ERROR: - (standard input) is not read in a batch\nTry: g91to90 "
                           "--help\n",
                 .status = 1},
        use_case{.name = "a file named - by its path",
                 .arguments = {"./-", "out.nc"},
                 .written = {{"out.nc", G92_CONVERTED}}},
        use_case{
            .name = "a batch with one failing file",
            .arguments = {"--output-dir", "out", "--start", "X0Y0Z50", "g92.nc", "in.nc", "bad.nc"},
            .console = "bad.nc: " + BAD_WITH_START + "2 converted, 1 failed\n",
            .status = 1,
            .written = {{"out/g92.nc", G92_CONVERTED}, {"out/in.nc", START_CONVERTED}}},
        use_case{.name = "a batch that converts every input",
                 .arguments = {"--output-dir", "out", "--start", "X0Y0Z50", "g92.nc", "in.nc"},
                 .console = "2 converted, 0 failed\n",
                 .written = {{"out/g92.nc", G92_CONVERTED}, {"out/in.nc", START_CONVERTED}}},
        use_case{.name = "a batch without a start",
                 .arguments = {"--output-dir=out", "in.nc", "g92.nc"},
                 .console = "in.nc: " + NO_START + "1 converted, 1 failed\n",
                 .status = 1,
                 .written = {{"out/g92.nc", G92_CONVERTED}}},
        use_case{.name = "a batch of two programs of one name",
                 .arguments = {"--output-dir", "out", "g92.nc", "sub/g92.nc"},
                 .console = "sub/g92.nc: ERROR: the output name is that of g92.nc's output\n"
                            "1 converted, 1 failed\n",
                 .status = 1,
                 .written = {{"out/g92.nc", G92_CONVERTED}}},
        use_case{.name = "a batch into the inputs' folder",
                 .arguments = {"--output-dir", ".", "g92.nc"},
                 .console = "g92.nc: " + SAME_FILES + "0 converted, 1 failed\n",
                 .status = 1},
        // g92.nc's output would replace sub/g92.nc before it is read.
        use_case{.name = "a batch whose output is another input",
                 .arguments = {"--output-dir", "sub", "--start=X0Y0Z50", "g92.nc", "in.nc",
                               "sub/g92.nc"},
                 .console = "g92.nc: ERROR: its output sub/g92.nc is an input of this run\n"
                            "sub/g92.nc: " +
                            SAME_FILES + "1 converted, 2 failed\n",
                 .status = 1,
                 .written = {{"sub/in.nc", START_CONVERTED}}},
        use_case{.name = "a batch onto an incremental program",
                 .arguments = {"--output-dir", "sub", "--start", "X0Y0Z50", "g92.nc", "in.nc"},
                 .console = "g92.nc: ERROR: sub/g92.nc holds G91 moves: is it your input? "
                            "(--force replaces it)\n1 converted, 1 failed\n",
                 .status = 1,
                 .written = {{"sub/in.nc", START_CONVERTED}}},
        use_case{.name = "an incremental program as the output",
                 .arguments = {"g92.nc", "bad.nc"},
                 .console = "ERROR: bad.nc holds G91 moves: is it your input? (--force "
                            "replaces it)\n",
                 .status = 1,
                 .written = {{"bad.nc", STOPPING}}},
        use_case{.name = "an incremental program replaced by force",
                 .arguments = {"g92.nc", "bad.nc", "--force"},
                 .written = {{"bad.nc", G92_CONVERTED}}},
        use_case{.name = "an incremental program as the picture",
                 .arguments = {"--preview", "bad.nc", "g92.nc", "out.nc"},
                 .console = "ERROR: bad.nc holds G91 moves: is it your input? (--force "
                            "replaces it)\n",
                 .status = 1,
                 .written = {{"bad.nc", STOPPING}}},
        use_case{.name = "an incremental program on standard output",
                 .arguments = {"--force", "g92.nc", "-"},
                 .console = G92_CONVERTED},
        use_case{.name = "a batch without inputs",
                 .arguments = {"--output-dir", "out"},
                 .console = "ERROR: --output-dir takes the input files after it\nTry: g91to90 "
                            "--help\n",
                 .status = 1},
        use_case{.name = "a batch into a folder that cannot be made",
                 .arguments = {"--output-dir", "g92.nc/out", "g92.nc"},
                 .console = not_opened("g92.nc/out", "output: Not a directory"),
                 .status = 1},
        use_case{.name = "check of a missing program",
                 .arguments = {"--check", "missing.nc"},
                 .console = "missing.nc: Can't open missing.nc (input: " + NO_SUCH_FILE + ")\n",
                 .status = 1},
        use_case{.name = "check of a converting program",
                 .arguments = {"--check", "g92.nc"},
                 .console = CHECKED_G92},
        use_case{.name = "check of a stopping program",
                 .arguments = {"--check", "bad.nc"},
                 .console = CHECKED_BAD,
                 .status = 1},
        use_case{.name = "check of two programs",
                 .arguments = {"--check", "g92.nc", "bad.nc"},
                 .console = CHECKED_G92 + CHECKED_BAD,
                 .status = 1},
        use_case{.name = "check of standard input with a start",
                 .arguments = {"--check", "--start", "X0 Y0 Z50", "-"},
                 .standard_input = START_NEEDED,
                 .console = "-: converts\n  lines 3, moves 1\n  X 0.000 to 1.000\n  Y 0.000 to "
                            "2.000\n  Z 49.000 to 50.000\n  numbers: pointed\n"},
        use_case{.name = "preview beside the output",
                 .arguments = {"--preview", "p.svg", "g92.nc", "out.nc"},
                 .written = {{"out.nc", G92_CONVERTED}, {"p.svg", ANY_CONTENT}}},
        use_case{.name = "no preview of a stopping program",
                 .arguments = {"--preview=p.svg", "bad.nc", "out.nc"},
                 .console = "\n" + STOP_MESSAGE,
                 .status = 1},
        use_case{.name = "preview of a check",
                 .arguments = {"--check", "--preview", "p.svg", "g92.nc"},
                 .console = CHECKED_G92,
                 .written = {{"p.svg", ANY_CONTENT}}},
        use_case{.name = "preview in a missing folder",
                 .arguments = {"--preview", "nowhere/p.svg", "g92.nc", "out.nc"},
                 .console = not_opened("nowhere/p.svg", "output: " + NO_SUCH_FILE),
                 .status = 1},
        use_case{.name = "preview named as the input",
                 .arguments = {"--preview", "./g92.nc", "g92.nc", "out.nc"},
                 .console = SAME_FILES,
                 .status = 1},
        use_case{.name = "preview named as the output",
                 .arguments = {"--preview", "out.nc", "g92.nc", "out.nc"},
                 .console = SAME_FILES,
                 .status = 1},
        use_case{.name = "preview of a batch",
                 .arguments = {"--preview", "p.svg", "--output-dir", "out", "g92.nc"},
                 .console = "ERROR: --preview draws one program: give one input\nTry: g91to90 "
                            "--help\n",
                 .status = 1}),
    row_name());

// The picture of a small program: one path per move (the G92 line and the
// mode line move nothing), and a file a real SVG renderer draws.
TEST(Preview, DrawsOnePathPerMoveAndRenders) {
    scratch_folder folder;
    folder.put("in.nc",
               "G21 G17\nG92 X0 Y0 Z5\nG91 G0 X10 Y5\nG1 Z-7 F100\nG3 X10 Y0 I5 J0\n"
               "G2 X0 Y0 I-5 J0\nG0 Z7\nG99 G81 R-3 Z-3 X5 L3\nG80\nG0 X-20 Y-10\nM30\n");
    ASSERT_EQ(folder.run({"--preview", "p & q.svg", "in.nc", "out.nc"}).status, 0);
    const std::string picture = folder.get("p & q.svg");
    std::size_t paths = 0;
    for (std::size_t at = picture.find("<path"); at != std::string::npos;
         at = picture.find("<path", at + 1)) {
        ++paths;
    }
    EXPECT_EQ(paths, 9U) << "2 rapids, a feed, 2 arcs, 3 holes and a rapid";
    EXPECT_NE(picture.find("<title>in.nc</title>"), std::string::npos);
    EXPECT_NE(picture.find("X 0.000 to 35.000 mm"), std::string::npos);
    if (std::system("rsvg-convert --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "rsvg-convert (librsvg2-bin) renders the picture";
    }
    const std::string render = "rsvg-convert " +
                               test_support::shell_quote((folder.work() / "p & q.svg").string()) +
                               " -o " + test_support::shell_quote((folder.path / "p.png").string());
    ASSERT_EQ(std::system(render.c_str()), 0);
    EXPECT_GT(fs::file_size(folder.path / "p.png"), 1000U);
}

// A program's picture, rendered by a real SVG renderer: the pixels where its
// path passes are inked, and those where it would pass drawn the other way
// round (or about the wrong centre) are blank. Every program spans X 0 to 10
// and Y 0 to 10 mm, drawn at 70 pixels a millimetre with X0 Y10 at pixel
// (40, 80). Points are in millimetres.
struct render_case {
    std::string name;
    std::string program;
    std::vector<std::array<double, 2>> inked;
    std::vector<std::array<double, 2>> blank;
    std::string file = "in.nc";
};

class Rendered : public ::testing::TestWithParam<render_case> {};

TEST_P(Rendered, InksThePathWhereItRuns) {
    const render_case& c = GetParam();
    const bool plain_name = std::all_of(c.file.begin(), c.file.end(),
                                        [](char byte) { return byte >= ' ' && byte <= '~'; });
    if (!plain_name && test_support::program_command().find("wine") != std::string::npos) {
        GTEST_SKIP() << "Wine hands a Windows program other characters for such bytes";
    }
    scratch_folder folder;
    folder.put(c.file, c.program);
    ASSERT_EQ(folder.run({"--preview", "p.svg", c.file, "out.nc"}).status, 0);
    ASSERT_NE(folder.get("p.svg").find("X 0.000 to 10.000 mm,  Y 0.000 to 10.000 mm"),
              std::string::npos)
        << "the drawing's scale";
    if (std::system("rsvg-convert --version >/dev/null 2>&1") != 0 ||
        std::system("python3 --version >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "rsvg-convert (librsvg2-bin) renders the picture, python3 reads it";
    }
    const std::string png = test_support::shell_quote((folder.path / "p.png").string());
    const std::string render = "rsvg-convert -f png " +
                               test_support::shell_quote((folder.work() / "p.svg").string()) +
                               " -o " + png;
    ASSERT_EQ(std::system(render.c_str()), 0) << "the picture is no well-formed SVG";
    std::string read = std::string("python3 ") + G91TO90_PNG_PIXELS + " " + png;
    for (const auto& points : {c.inked, c.blank}) {
        for (const std::array<double, 2>& at : points) {
            read += " " + std::to_string(std::lround(40 + 70 * at[0])) + "," +
                    std::to_string(std::lround(80 + 70 * (10 - at[1])));
        }
    }
    const fs::path darkness = folder.path / "darkness";
    ASSERT_EQ(std::system((read + " >" + test_support::shell_quote(darkness.string())).c_str()), 0);
    std::istringstream values(test_support::read_file(darkness));
    for (const std::array<double, 2>& at : c.inked) {
        int darkest = 255;
        values >> darkest;
        EXPECT_LT(darkest, 200) << "blank at X" << at[0] << " Y" << at[1];
    }
    for (const std::array<double, 2>& at : c.blank) {
        int darkest = 0;
        values >> darkest;
        EXPECT_EQ(darkest, 255) << "inked at X" << at[0] << " Y" << at[1];
    }
}

// The points at 45 degrees on the rows' arcs: on a circle of radius 10 about
// a corner of the square, 10 - 5 sqrt 2 and 5 sqrt 2 from its sides; on the
// circle of radius 5 about its middle, 5 - 2.5 sqrt 2 and 5 + 2.5 sqrt 2.
constexpr double NEAR = 10 - 5 * std::numbers::sqrt2;          // 2.929
constexpr double FAR = 5 * std::numbers::sqrt2;                // 7.071
constexpr double QUARTER_IN = 5 - 2.5 * std::numbers::sqrt2;   // 1.464
constexpr double QUARTER_OUT = 5 + 2.5 * std::numbers::sqrt2;  // 8.536

INSTANTIATE_TEST_SUITE_P(
    Arcs, Rendered,
    ::testing::Values(
        render_case{.name = "G2 by its centre",
                    .program = "G21 G92 X0 Y0 Z0\nG91 G2 X10 Y10 I10 J0\n",
                    .inked = {{NEAR, FAR}},
                    .blank = {{FAR, NEAR}}},
        render_case{.name = "G3 by its centre",
                    .program = "G21 G92 X0 Y0 Z0\nG91 G3 X10 Y10 I0 J10\n",
                    .inked = {{FAR, NEAR}},
                    .blank = {{NEAR, FAR}}},
        render_case{.name = "G2 by a negative radius, the long way",
                    .program = "G21 G92 X0 Y5 Z0\nG91 G2 X5 Y-5 R-5\n",
                    .inked = {{QUARTER_OUT, QUARTER_OUT}, {5, 10}, {10, 5}},
                    .blank = {{QUARTER_IN, QUARTER_IN}}},
        render_case{.name = "G3 by a positive radius, the short way",
                    .program = "G21 G92 X10 Y0 Z0\nG91 G3 X-10 Y10 R10\n",
                    .inked = {{FAR, FAR}},
                    .blank = {{NEAR, NEAR}}},
        render_case{
            .name = "a whole circle",
            .program = "G21 G92 X0 Y5 Z0\nG91 G2 X0 Y0 I5 J0\n",
            .inked = {{5, 10}, {5, 0}, {QUARTER_OUT, QUARTER_OUT}, {QUARTER_IN, QUARTER_IN}},
            .blank = {{5, 5}}},
        render_case{.name = "G2 about an absolute centre",
                    .program = "G21 G92 X0 Y10 Z0\nG90.1 G91 G2 X10 Y-10 I0 J0\n",
                    .inked = {{FAR, FAR}},
                    .blank = {{NEAR, NEAR}}},
        render_case{.name = "a name with a control byte and a Latin-1 byte",
                    .program = "G21 G92 X0 Y5 Z0\nG91 G3 X0 Y0 I5 J0\n",
                    .inked = {{5, 0}},
                    .blank = {{5, 5}},
                    .file = "a\x01z\xe9.nc"}),
    row_name());

// A failed run writes no output file; an output that was there stays as it was.
TEST_P(EarlyStops, LeaveNoOutput) {
    const stop_case& c = GetParam();
    scratch_folder folder;
    folder.put("in.nc", c.input);
    const program_result result = folder.run({"in.nc", "out.nc"});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.console, c.console);
    EXPECT_EQ(file_names(folder.work()), std::vector<std::string>{"in.nc"});
    folder.put("out.nc", OLD_OUTPUT);
    EXPECT_EQ(folder.run({"in.nc", "out.nc"}).status, 1);
    EXPECT_EQ(folder.get("out.nc"), OLD_OUTPUT);
}

// An output that is no regular file is written directly: /dev/null stays a
// device, and nothing is left beside it.
TEST(Output, NoRegularFileIsWrittenDirectly) {
    if (test_support::program_command().find("wine") != std::string::npos) {
        GTEST_SKIP() << "Windows has no /dev/null";
    }
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    const program_result result = folder.run({"in.nc", "/dev/null"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.console, "");
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
    EXPECT_EQ(file_names(folder.work()), std::vector<std::string>{"in.nc"});
}

INSTANTIATE_TEST_SUITE_P(
    Preamble, EarlyStops,
    ::testing::Values(
        stop_case{.name = "empty input", .input = "", .output = "", .console = NO_MODE_LINE},
        stop_case{.name = "ends before the mode line",
                  .input = "%\n\nO0001\n(G91 LATER)\n",
                  .output = "%\r\nO0001\r\n(G91 LATER)\r\n",
                  .console = NO_MODE_LINE},
        stop_case{.name = "axis word before the mode line",
                  .input = "%\nM06 T1\nG00 X10\nG91\n",
                  .output = "%\r\nM06 T1\r\n",
                  .console = named_warning("line 3: X")},
        stop_case{.name = "a last line without newline",
                  .input = "%\n(G54 G90)",
                  .output = "%\r\n(G54 G90)",
                  .console = NO_MODE_LINE},
        stop_case{.name = "Ctrl-Z before the rest of the program",
                  .input = "%\nO1\x1aG92 X0 Y0 Z0\n",
                  .output = "%\r\n",
                  .console = "\nERROR: line 2: Ctrl-Z (an end-of-file mark) with more "
                             "of the program after it\n"}),
    row_name());

TEST(Preamble, NulBytesAreTextAndALoneCarriageReturnEndsALine) {
    scratch_folder folder;
    const std::string input = std::string("%\r\n(A\0B)\r\nM06\rT1\nG92 X0 Y0 Z0\r\n", 30);
    folder.put("in.nc", input);
    EXPECT_EQ(folder.run({"in.nc", "out.nc"}).status, 0);
    EXPECT_EQ(folder.get("out.nc"),
              std::string("%\r\n(A\0B)\r\nM06\r\nT1\r\nG92 X0 Y0 Z0\r\n", 33));
}

TEST(Output, AnOutputOfManyWriteBackStepsReplacesTheOldOneWhole) {
    // Over 40 MiB: the written pages are handed back to the system twice
    // on the way, which must not change a byte.
    const std::string comment(std::size_t{40} << 20, 'C');
    scratch_folder folder;
    folder.put("in.nc", "%\n(" + comment + ")\nG92 X0\nG91 G1 X1\n");
    folder.put("out.nc", OLD_OUTPUT);
    EXPECT_EQ(folder.run({"in.nc", "out.nc"}).status, 0);
    EXPECT_TRUE(folder.get("out.nc") == "%\r\n(" + comment + ")\r\nG92 X0\r\nG90 G1 X1\r\n");
}

TEST(Output, WriteFailureEndsWithTheCloseFailureStatus) {
    if (!fs::exists("/dev/full")) {
        GTEST_SKIP() << "needs a device that refuses writes";
    }
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    const program_result small = folder.run({"in.nc", "/dev/full"});
    EXPECT_EQ(small.status, 255);
    EXPECT_EQ(small.console, "\nERROR: the output could not be written\n");
    std::string large = "%\nG92 X0 Y0 Z0\n";
    for (int i = 0; i < 20000; ++i) {
        large += "G91 G01 X0.5 Y-0.25 (STEP)\n";
    }
    folder.put("large.nc", large);
    EXPECT_EQ(folder.run({"large.nc", "/dev/full"}).status, 255);
    // Output that fails when the last of it is written at the end.
    folder.put("medium.nc", large.substr(0, large.rfind('\n', 30000) + 1));
    EXPECT_EQ(folder.run({"medium.nc", "/dev/full"}).status, 255);
    folder.put("full", G92_PROGRAM);  // a batch's input, written to /dev/full
    const program_result batch = folder.run({"--output-dir", "/dev", "full"});
    EXPECT_EQ(batch.status, 1);
    EXPECT_EQ(batch.console,
              "full: ERROR: the output could not be written\n0 converted, 1 failed\n");
}

bool runs_under_wine() {
    return test_support::program_command().find("wine") != std::string::npos;
}

// Where no temporary file can be made beside an existing output, nothing is
// written: the output is never emptied and written in place.
TEST(Output, IsNeverWrittenInPlace) {
    if (runs_under_wine()) {
        GTEST_SKIP() << "Wine's files take the Unix permissions of whoever runs the tests";
    }
    std::string as_another_user;
    if (geteuid() == 0) {
        if (std::system("setpriv --version >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "root writes into any folder: setpriv runs the program without that";
        }
        as_another_user = "setpriv --bounding-set=-dac_override,-dac_read_search";
    }
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    folder.put("out.nc", OLD_OUTPUT);
    using fs::perms;
    fs::permissions(folder.work() / "out.nc",
                    perms::owner_all | perms::group_all | perms::others_all);
    fs::permissions(folder.work(), perms::owner_read | perms::owner_exec | perms::group_read |
                                       perms::group_exec | perms::others_read | perms::others_exec);
    const program_result replaced = folder.run({"in.nc", "out.nc"}, "", as_another_user);
    const program_result made = folder.run({"in.nc", "new.nc"}, "", as_another_user);
    fs::permissions(folder.work(), perms::owner_all);
    EXPECT_EQ(replaced.status, 1);
    EXPECT_EQ(replaced.console, "ERROR: cannot write beside out.nc (Permission denied)\n");
    EXPECT_EQ(folder.get("out.nc"), OLD_OUTPUT);
    EXPECT_EQ(made.status, 1);
    EXPECT_EQ(made.console, not_opened("new.nc", "output: Permission denied"));
    EXPECT_EQ(file_names(folder.work()), (std::vector<std::string>{"in.nc", "out.nc"}));
}

// A reason the table of reasons does not name: a socket opens as no file.
TEST(Output, AnyOtherReasonIsCannotBeOpened) {
    if (runs_under_wine()) {
        GTEST_SKIP() << "Windows programs see no Unix sockets among the files";
    }
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    const int socket_handle = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (folder.work() / "socket").string();
    ASSERT_LT(path.size(), sizeof(address.sun_path));
    std::copy(path.begin(), path.end(), address.sun_path);
    ASSERT_EQ(bind(socket_handle, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    const program_result as_output = folder.run({"in.nc", "socket"});
    const program_result as_input = folder.run({"socket", "out.nc"});
    close(socket_handle);
    EXPECT_EQ(as_output.status, 1);
    EXPECT_EQ(as_output.console, not_opened("socket", "output: cannot be opened"));
    EXPECT_EQ(as_input.status, 1);
    EXPECT_EQ(as_input.console, not_opened("socket", "input: cannot be opened"));
}

// Names too long for the temporary file's usual name get a short one; a name
// too long for a file is refused before anything is written.
TEST(Output, LongNamesGetAShortTemporaryFile) {
    if (runs_under_wine()) {
        GTEST_SKIP() << "Windows has other limits, and another reason, for long names";
    }
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    const std::string longest = std::string(252, 'o') + ".nc";
    const std::string too_long = std::string(253, 'o') + ".nc";
    folder.put(longest, OLD_OUTPUT);
    const program_result replaced = folder.run({"in.nc", longest});
    EXPECT_EQ(replaced.status, 0);
    EXPECT_EQ(replaced.console, "");
    EXPECT_EQ(folder.get(longest), G92_CONVERTED);
    const program_result refused = folder.run({"in.nc", too_long});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.console, not_opened(too_long, "output: File name too long"));
    EXPECT_EQ(file_names(folder.work()), (std::vector<std::string>{"in.nc", longest}));
}

// An interrupted run removes its temporary file; the old output stays. The
// input is a pipe that the test keeps open, so the run is still going when
// the signal comes, however fast it converts.
struct interrupt_case {
    std::string name;
    int signal_number;
    // Ignored when the program starts (nohup, a background job): it stays
    // ignored, and the run goes on to its end.
    bool ignored = false;
};

class Interrupts : public ::testing::TestWithParam<interrupt_case> {};

TEST_P(Interrupts, LeaveNoTemporaryFileAndTheOldOutput) {
    if (runs_under_wine()) {
        GTEST_SKIP() << "a Windows program gets Ctrl-C from its console, not a signal";
    }
    scratch_folder folder;
    folder.put("out.nc", OLD_OUTPUT);
    const fs::path pipe = folder.work() / "in.nc";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    const interrupt_case& c = GetParam();
    const std::string command =
        "cd " + test_support::shell_quote(folder.work().string()) +
        (c.ignored ? " && trap '' " + std::to_string(c.signal_number) : "") + " && exec " +
        test_support::program_command() + " in.nc out.nc </dev/null >/dev/null 2>&1";
    const pid_t program = fork();
    if (program == 0) {
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    ASSERT_GT(program, 0);
    // The pipe opens for writing once the program has opened it for reading.
    int input = -1;
    int status = 0;
    while (input < 0 && waitpid(program, &status, WNOHANG) == 0) {
        input = open(pipe.c_str(), O_WRONLY | O_NONBLOCK);
        usleep(1000);
    }
    ASSERT_GE(input, 0) << "the program ended before it read its input";
    fcntl(input, F_SETFL, 0);
    // About 4 MB of moves: each write returns once the program has read most of it.
    const std::string head = "%\nG92 X0 Y0 Z0\n";
    std::string moves;
    for (int i = 0; i < 10000; ++i) {
        moves += "G91 G1 X0.001 Y0.002\n";
    }
    const auto put = [input](const std::string& bytes) {
        return write(input, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    };
    bool written = put(head);
    for (int i = 0; i < 20 && written; ++i) {
        written = put(moves);
    }
    EXPECT_TRUE(written);
    const std::vector<std::string> running = file_names(folder.work());
    kill(program, c.signal_number);
    if (c.ignored) {
        close(input);  // the end of the input: the run ends on its own
    }
    waitpid(program, &status, 0);
    close(input);
    ASSERT_EQ(running.size(), 3U) << "a temporary file beside the output while it runs";
    EXPECT_TRUE(running[0].starts_with(".out.nc.g91to90-")) << running[0];
    EXPECT_EQ(file_names(folder.work()), (std::vector<std::string>{"in.nc", "out.nc"}));
    if (c.ignored) {
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_TRUE(
            folder.get("out.nc").starts_with("%\r\nG92 X0 Y0 Z0\r\nG90 G1 X0.001 Y0.002\r\n"));
    } else {
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal_number) << status;
        EXPECT_EQ(folder.get("out.nc"), OLD_OUTPUT);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, Interrupts,
                         ::testing::Values(interrupt_case{"SIGTERM", SIGTERM},
                                           interrupt_case{"SIGINT", SIGINT},
                                           interrupt_case{"SIGINT ignored", SIGINT, true}),
                         row_name());

// An existing output is replaced unless it holds incremental moves, which
// the converter never writes: then it is taken for the input named by
// mistake, and kept (--force replaces it).
struct existing_output_case {
    std::string name;
    std::string existing;  // the output before the run
    bool replaced;
};

class ExistingOutputs : public ::testing::TestWithParam<existing_output_case> {};

TEST_P(ExistingOutputs, AreReplacedUnlessTheyHoldIncrementalMoves) {
    const existing_output_case& c = GetParam();
    scratch_folder folder;
    folder.put("in.nc", G92_PROGRAM);
    folder.put("out.nc", c.existing);
    const program_result result = folder.run({"in.nc", "out.nc"});
    EXPECT_EQ(result.status, c.replaced ? 0 : 1);
    EXPECT_EQ(result.console, c.replaced ? ""
                                         : "ERROR: out.nc holds G91 moves: is it your input? "
                                           "(--force replaces it)\n");
    EXPECT_TRUE(folder.get("out.nc") == (c.replaced ? G92_CONVERTED : c.existing));
    EXPECT_EQ(file_names(folder.work()), (std::vector<std::string>{"in.nc", "out.nc"}));
}

using test_support::crlf;
using test_support::lf;

INSTANTIATE_TEST_SUITE_P(
    Output, ExistingOutputs,
    ::testing::Values(
        existing_output_case{"an absolute program", crlf("%|G92 X0 Y0 Z0|G90 G1 X1 Y1|M30"), true},
        existing_output_case{"returns and others under an added G91",
                             crlf("G90 G1 X1|G91|G28 Z0|G90|G91|G53 G0 Z0|G90|G91|G92 X0 Y0|G90|"
                                  "G91|G38.2 Z-5 F10|G90|G91|G55 X1|G90|G91|G1 H1 Z-3|G90"),
                             true},
        existing_output_case{"copied lines with their own G91",
                             crlf("G90 G1 X1|G91 G28 X0 Y0|G90|G91 G10 L2 P1 X5|G90|G91 G43 H1 "
                                  "Z5|G90|M98 P1000|G91 G4 P1|G90"),
                             true},
        existing_output_case{"G91 in comments", lf("G90 (G91) G1 X1|; G91|G1 Y2 ; G91"), true},
        existing_output_case{"a G90 ends incremental mode", lf("G91|G90|G1 X1"), true},
        existing_output_case{"G91 after the first mebibyte",
                             "G90\n(" + std::string(std::size_t{1} << 20, 'C') + ")\nG91 G1 X1\n",
                             true},
        existing_output_case{"G91 after a Ctrl-Z that ends the reading",
                             lf("G90 G1 X1|\x1a|G91 G1 X1"), true},
        existing_output_case{"an incremental move", lf("G91 G1 X1"), false},
        existing_output_case{"a move in the mode of an earlier line",
                             lf("%|g21 g91|M3 S1000|x1 y1"), false},
        existing_output_case{"a move with a machine function", lf("G91|G0 X1 M8"), false}),
    row_name());

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
    EXPECT_EQ(result.console, named_warning("line 1001: X"));
}

class WholePrograms : public ::testing::TestWithParam<program_case> {};

// The whole-program table of the engine's tests, through the built program.
// Through the program the output is replaced only by a whole conversion.
TEST_P(WholePrograms, ConvertThroughTheProgram) {
    const program_case& c = GetParam();
    scratch_folder folder;
    folder.put("in.nc", c.input);
    folder.put("out.nc", OLD_OUTPUT);
    std::vector<std::string> arguments{"in.nc", "out.nc"};
    if (!c.start.empty()) {
        arguments.insert(arguments.begin(), {"--start", c.start});
    }
    if (c.expand) {
        arguments.insert(arguments.begin(), "--expand-calls");
    }
    if (!c.integers.empty()) {
        arguments.insert(arguments.begin(), {"--integers", c.integers});
    }
    if (c.decimal_point) {
        arguments.insert(arguments.begin(), "--decimal-point");
    }
    if (c.max_lines != 0) {
        arguments.insert(arguments.begin(), "--max-lines=" + std::to_string(c.max_lines));
    }
    std::vector<std::string> expected_files{"in.nc", "out.nc"};
    for (const auto& [name, lines] : c.beside) {
        folder.put(name, test_support::lf(lines));
        expected_files.push_back(name);
    }
    std::sort(expected_files.begin(), expected_files.end());
    const program_result result = folder.run(arguments, c.answers);
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.console, c.console);
    EXPECT_EQ(folder.get("out.nc"), c.status == 0 ? c.output : OLD_OUTPUT);
    EXPECT_EQ(file_names(folder.work()), expected_files);
}

INSTANTIATE_TEST_SUITE_P(Programs, WholePrograms,
                         ::testing::ValuesIn(test_support::whole_program_cases()), row_name());
G91TO90_RULE_TABLES(WholePrograms);

// Every program in examples/ against its golden file in tests/golden/. A
// program that asks for its start has its answers beside it, in NAME.answers.
// G91TO90_UPDATE_GOLDEN=1 writes the golden files anew instead.
struct example_case {
    std::string name;  // the file name without .nc
    fs::path program;
};

std::vector<example_case> shipped_examples() {
    std::vector<example_case> examples;
    for (const fs::directory_entry& entry : fs::directory_iterator(G91TO90_EXAMPLES_DIR)) {
        if (entry.path().extension() == ".nc") {
            examples.push_back({entry.path().stem().string(), entry.path()});
        }
    }
    return examples;
}

class ShippedExamples : public ::testing::TestWithParam<example_case> {};

TEST_P(ShippedExamples, GiveTheirGoldenFiles) {
    const fs::path program = GetParam().program;
    fs::path answers_file = program;
    answers_file.replace_extension(".answers");
    const bool asks = fs::exists(answers_file);
    // NAME.options: the options the example is converted with, one a line.
    std::vector<std::string> arguments;
    fs::path options_file = program;
    options_file.replace_extension(".options");
    std::istringstream options(fs::exists(options_file) ? test_support::read_file(options_file)
                                                        : "");
    for (std::string option; std::getline(options, option);) {
        arguments.push_back(option);
    }
    arguments.push_back(program.string());
    arguments.push_back("out.nc");
    scratch_folder folder;
    const program_result result =
        folder.run(arguments, asks ? test_support::read_file(answers_file) : "");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.console, asks ? START_PROMPTS : "");
    const fs::path golden = fs::path(G91TO90_GOLDEN_DIR) / program.filename();
    if (std::getenv("G91TO90_UPDATE_GOLDEN") != nullptr) {
        test_support::write_file(golden, folder.get("out.nc"));
    }
    EXPECT_EQ(folder.get("out.nc"), test_support::read_file(golden));
}

INSTANTIATE_TEST_SUITE_P(Examples, ShippedExamples, ::testing::ValuesIn(shipped_examples()),
                         row_name());

// Called programs stored under their number with the input's own
// extension, in either case: 8160.EIA beside 1315.eia.
TEST(CallExpansion, FindsProgramsByTheInputsExtension) {
    scratch_folder folder;
    folder.put("1315.eia", "G92 X0 Y0 Z0\nM98 P8160\nM30\n");
    folder.put("8160.EIA", "%\nO8160\nG91 G1 X1.\nM99\n%\n");
    const program_result result = folder.run({"--expand-calls", "1315.eia", "out.nc"});
    EXPECT_EQ(result.status, 0) << result.console;
    EXPECT_EQ(folder.get("out.nc"), "G92 X0 Y0 Z0\r\n(CALL O8160 1/1)\r\nG90 G1 X1.\r\nM30\r\n");
}

TEST(Conversion, NamesAndStartValuesTypedOnOneLine) {
    scratch_folder folder;
    folder.put("in.nc", "G91\nX1. Y1. Z1.\n");
    const program_result typed =
        folder.run({}, "in.nc out.nc 1e2 1d1 " + std::string(500, '0') + "5");
    EXPECT_EQ(typed.status, 0);
    EXPECT_EQ(typed.console, INPUT_PROMPT + (OUTPUT_PROMPT + START_PROMPTS));
    EXPECT_EQ(folder.get("out.nc"), "G90\r\nX101. Y11. Z6.\r\n");
}

// --web names the page where an installation puts it: beside a Windows
// program, in ../share/g91to90/ elsewhere; a page that is not there is said
// so. The program runs from a copy, in a folder laid out as installed.
TEST(WebPage, NamedWhereTheInstallationPutsIt) {
    const std::string command = test_support::program_command();
    const std::size_t quote = command.rfind('\'', command.size() - 2);
    const fs::path program = command.substr(quote + 1, command.size() - quote - 2);
    scratch_folder folder;
    const bool windows = program.extension() == ".exe";
    const fs::path copy = folder.path / (windows ? "g91to90" : "bin") / program.filename();
    const fs::path page = windows ? copy.parent_path() / "g91to90.html"
                                  : folder.path / "share" / "g91to90" / "g91to90.html";
    fs::create_directories(copy.parent_path());
    fs::copy_file(program, copy);
    setenv("G91TO90_COMMAND",
           (command.substr(0, quote) + test_support::shell_quote(copy.string())).c_str(), 1);

    const program_result missing = folder.run({"--web"});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.console.rfind("ERROR: the web page is not installed: ", 0), 0U)
        << missing.console;
    fs::create_directories(page.parent_path());
    test_support::write_file(page, "<!DOCTYPE html>\n");
    const program_result installed = folder.run({"in.nc", "--web", "out.nc"});
    setenv("G91TO90_COMMAND", command.c_str(), 1);
    EXPECT_EQ(installed.status, 0);
    if (windows) {
        EXPECT_TRUE(installed.console.ends_with("\\g91to90\\g91to90.html\n")) << installed.console;
    } else {
        EXPECT_EQ(installed.console, page.string() + "\n");
    }
    EXPECT_FALSE(folder.has("out.nc"));
}

}  // namespace
}  // namespace g91to90
