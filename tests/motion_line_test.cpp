#include "convert/motion_line.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_run.hpp"

namespace g91to90 {
namespace {

using testing::memory_run;

struct motion_case {
    std::string name;
    distance_mode mode_before;
    axis_position position_before;
    std::string line;
    std::string written;
    distance_mode mode_after;
    axis_position position_after;
};

TEST(RewriteMotionLine, RewritesOneLine) {
    const axis_position origin{0, 0, 0};
    const std::vector<motion_case> cases = {
        {"worked example",
         MODE_INCREMENTAL,
         origin,
         "N20 G91 G02 X10.5 Y-3 I5.25 J0 F200\n",
         "N20 G90 G02 X10.500 Y-3 I5.250 J0 F200\r\n",
         MODE_INCREMENTAL,
         {10.5, -3, 0}},
        {"follow-up line",
         MODE_INCREMENTAL,
         {10.5, -3, 0},
         "X-0.5\n",
         "X10\r\n",
         MODE_INCREMENTAL,
         {10, -3, 0}},
        {"comment copied",
         MODE_INCREMENTAL,
         origin,
         "G01 X1 (PASS X2)\n",
         "G01 X1 (PASS X2)\r\n",
         MODE_INCREMENTAL,
         {1, 0, 0}},
        {"unclosed comment",
         MODE_INCREMENTAL,
         origin,
         "G01 X1 (NOTE\n",
         "G01 X1 (NOTE\r\n",
         MODE_INCREMENTAL,
         {1, 0, 0}},
        {"unclosed comment, no newline",
         MODE_INCREMENTAL,
         origin,
         "G01 X1 (NOTE Y5",
         "G01 X1 (NOTE Y5",
         MODE_INCREMENTAL,
         {1, 0, 0}},
        {"stray close",
         MODE_ABSOLUTE,
         origin,
         "X1 ) Y2\n",
         "X1 ) Y2\r\n",
         MODE_ABSOLUTE,
         {1, 2, 0}},
        {"nested comment ends at first close",
         MODE_INCREMENTAL,
         {5, 0, 0},
         "G01 (A (B) X1)\n",
         "G01 (A (B) X6)\r\n",
         MODE_INCREMENTAL,
         {6, 0, 0}},
        {"lower case letters", MODE_ABSOLUTE, origin, "G91 G01 x5\n", "G90 G01 x5\r\n",
         MODE_INCREMENTAL, origin},
        {"plus sign is part of the number",
         MODE_INCREMENTAL,
         {10, 0, 0},
         "G01 X+5\n",
         "G01 X15\r\n",
         MODE_INCREMENTAL,
         {15, 0, 0}},
        {"only the first G91 changes",
         MODE_ABSOLUTE,
         origin,
         "G91 G91 X1\n",
         "G90 G91 X1\r\n",
         MODE_INCREMENTAL,
         {1, 0, 0}},
        {"G91.1",
         MODE_ABSOLUTE,
         origin,
         "G02 G91.1 X1 I1\n",
         "G02 G90.1 X1 I1\r\n",
         MODE_INCREMENTAL,
         {1, 0, 0}},
        {"keeps the mode", MODE_ABSOLUTE, {3, 3, 3}, "X5\n", "X5\r\n", MODE_ABSOLUTE, {5, 3, 3}},
        {"G90 selects absolute",
         MODE_INCREMENTAL,
         {3, 3, 3},
         "G90 X5 Z-1\n",
         "G90 X5 Z-1\r\n",
         MODE_ABSOLUTE,
         {5, 3, -1}},
        {"G91 inside a comment",
         MODE_ABSOLUTE,
         {2, 0, 0},
         "G01 X5 (OLD G91)\n",
         "G01 X7 (OLD G90)\r\n",
         MODE_INCREMENTAL,
         {7, 0, 0}},
        {"number text up to a non-number",
         MODE_ABSOLUTE,
         origin,
         "X5-3\n",
         "X5\r\n",
         MODE_ABSOLUTE,
         {5, 0, 0}},
        {"empty number counts as zero",
         MODE_INCREMENTAL,
         {4, 0, 0},
         "X Y.\n",
         "X4 Y0\r\n",
         MODE_INCREMENTAL,
         {4, 0, 0}},
        {"other address letters", MODE_ABSOLUTE, origin, "G91 A10 B-2.5 N7 E1\n",
         "G90 A10 B-2.5 N7 E1\r\n", MODE_INCREMENTAL, origin},
        {"no newline",
         MODE_INCREMENTAL,
         {1, 1, 1},
         "G01 Z1",
         "G01 Z2",
         MODE_INCREMENTAL,
         {1, 1, 2}},
        {"G92 in incremental mode",
         MODE_INCREMENTAL,
         {7, 0, 0},
         "G92 X0\n",
         "G92 X7\r\n",
         MODE_INCREMENTAL,
         {7, 0, 0}},
        {"arc words keep their value",
         MODE_INCREMENTAL,
         origin,
         "G03 X1 I-2.5 J.25 K0 R7.999999\n",
         "G03 X1 I-2.500 J0.250 K0 R8.000\r\n",
         MODE_INCREMENTAL,
         {1, 0, 0}},
        {"words without blanks",
         MODE_INCREMENTAL,
         origin,
         "G1X1Y2Z3\n",
         "G1X1Y2Z3\r\n",
         MODE_INCREMENTAL,
         {1, 2, 3}},
        {"NUL is ordinary",
         MODE_ABSOLUTE,
         origin,
         std::string("X1\0Y2\n", 6),
         std::string("X1\0Y2\r\n", 7),
         MODE_ABSOLUTE,
         {1, 2, 0}},
        {"carriage return inside",
         MODE_ABSOLUTE,
         origin,
         "X1\rY2\n",
         "X1\rY2\r\n",
         MODE_ABSOLUTE,
         {1, 2, 0}},
    };
    for (const motion_case& c : cases) {
        memory_run run("");
        run.context.mode = c.mode_before;
        run.context.position = c.position_before;
        run.context.line_buffer = c.line;
        rewrite_motion_line(run.context);
        EXPECT_EQ(run.written(), c.written) << c.name;
        EXPECT_EQ(run.context.mode, c.mode_after) << c.name;
        EXPECT_EQ(run.context.position.x, c.position_after.x) << c.name;
        EXPECT_EQ(run.context.position.y, c.position_after.y) << c.name;
        EXPECT_EQ(run.context.position.z, c.position_after.z) << c.name;
    }
}

TEST(RewriteMotionLine, OverflowingSumStopsBeforeTheWordIsWritten) {
    memory_run run("");
    run.context.mode = MODE_INCREMENTAL;
    run.context.position.x = 1.7e308;
    const std::string line = "G01 Y1 X17" + std::string(307, '0') + "\n";  // 1.7e308 again
    run.context.line_buffer = line;
    EXPECT_THROW(rewrite_motion_line(run.context), conversion_failure);
    EXPECT_EQ(run.written(), "G01 Y1 ");
}

}  // namespace
}  // namespace g91to90
