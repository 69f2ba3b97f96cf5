// What the expander gives besides the lines: the call level each line runs
// at and the returns before it, for the modes a call level saves.
#include "convert/call_expansion.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "table_rows.hpp"

namespace g91to90 {
namespace {

struct given_line {
    std::string text;
    int level;
    std::uint32_t returns;
};

TEST(ExpandedLines, GiveEachLinesCallLevelAndTheReturnsBeforeIt) {
    std::stringbuf input(
        test_support::lf("G92 X0|M98 P1 L2|X9|M30|O1|X1|M98 P2|M99|O2|M97 P7|M99|N7 Y1|M99"));
    line_reader in(input, "in.nc");
    expanded_lines lines(in, ".nc", [](const std::string&) { return std::nullopt; });
    const std::vector<given_line> expected{{"G92 X0\n", 0, 0},
                                           {"(CALL O1 1/2)\n", 0, 0},
                                           {"X1\n", 1, 0},
                                           {"(CALL O2 1/1)\n", 1, 0},
                                           {"(CALL N7 1/1)\n", 2, 0},
                                           {"N7 Y1\n", 3, 0},
                                           {"(CALL O1 2/2)\n", 0, 3},
                                           {"X1\n", 1, 0},
                                           {"(CALL O2 1/1)\n", 1, 0},
                                           {"(CALL N7 1/1)\n", 2, 0},
                                           {"N7 Y1\n", 3, 0},
                                           {"X9\n", 0, 3},
                                           {"M30\n", 0, 0}};
    std::vector<given_line> given;
    padded_line line;
    while (lines.next(line)) {
        given.push_back({std::string(line.text()), lines.call_level(), lines.returns_before()});
    }
    ASSERT_EQ(given.size(), expected.size());
    for (std::size_t at = 0; at < given.size(); ++at) {
        EXPECT_EQ(given[at].text, expected[at].text) << "line " << at + 1;
        EXPECT_EQ(given[at].level, expected[at].level) << "line " << at + 1;
        EXPECT_EQ(given[at].returns, expected[at].returns) << "line " << at + 1;
    }
}

}  // namespace
}  // namespace g91to90
