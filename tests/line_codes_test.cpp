#include "convert/line_codes.hpp"

#include <gtest/gtest.h>

#include <string>

namespace g91to90 {
namespace {

TEST(LineCodes, PlainCaseSensitiveSubstrings) {
    EXPECT_TRUE(holds_code("G900", "G90"));
    EXPECT_TRUE(holds_code("G591", "G59"));
    EXPECT_TRUE(holds_code("(G91 ONLY)", "G91"));
    EXPECT_FALSE(holds_code("g91", "G91"));
    EXPECT_FALSE(holds_code("G9 1", "G91"));
    EXPECT_TRUE(holds_code(std::string("\0G91", 4), "G91"));
    EXPECT_TRUE(holds_coordinate_system_code("(USE G54)"));
    EXPECT_TRUE(holds_exempt_code("G30 Z0"));
    EXPECT_FALSE(holds_coordinate_system_code("G30 Z0"));
    EXPECT_FALSE(holds_exempt_code("G52 G29 G60"));
    EXPECT_TRUE(holds_mode_code("G92X1"));
    EXPECT_FALSE(holds_mode_code("G93 G9"));
    EXPECT_TRUE(holds_char("A(B", '('));
    EXPECT_FALSE(holds_axis_letter("x5"));
    EXPECT_TRUE(begins_with_comment("(G90)"));
    EXPECT_FALSE(begins_with_comment(" (G90)"));
    EXPECT_FALSE(begins_with_comment(""));
}

}  // namespace
}  // namespace g91to90
