// The toolpath a run follows for --check and --preview: moves, extents
// (arcs included) and the moves kept for the picture.
#include <gtest/gtest.h>

#include <array>
#include <sstream>
#include <string>
#include <vector>

#include "convert/toolpath_svg.hpp"
#include "memory_run.hpp"
#include "table_rows.hpp"

namespace g91to90 {
namespace {

using test_support::memory_run;
using test_support::PrintTo;

struct path_case {
    std::string name;
    std::string input;
    std::string start = "X0 Y0 Z0";
    std::uint64_t moves;
    std::array<std::string, 3> extents;  // as the report writes them
    std::size_t drawn;
    std::size_t most_drawn = 100;
    int status = 0;
};

class Toolpath : public ::testing::TestWithParam<path_case> {};

TEST_P(Toolpath, FollowsTheConvertedMoves) {
    const path_case& c = GetParam();
    memory_run run(c.input);
    run.start = c.start;
    toolpath path(c.most_drawn);
    run.path = &path;
    EXPECT_EQ(run.convert(), c.status) << run.console_out.str();
    EXPECT_EQ(path.moves(), c.moves);
    for (std::size_t axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(extent_text(path.extents()[axis], path.unit()), c.extents[axis])
            << AXIS_LETTERS[axis];
    }
    EXPECT_EQ(path.drawn().size(), c.drawn);
    EXPECT_EQ(path.all_drawn(), c.drawn == c.moves || c.most_drawn > c.drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, Toolpath,
    ::testing::Values(
        path_case{.name = "a whole circle reaches past its ends",
                  .input = "G91 G2 X0 Y0 I-5 J0\n",
                  .moves = 1,
                  .extents = {"-10.000 to 0.000", "-5.000 to 5.000", "0.000 to 0.000"},
                  .drawn = 1},
        path_case{.name = "a radius arc, the short way",
                  .input = "G91 G2 X10 Y10 R10\n",
                  .moves = 1,
                  .extents = {"0.000 to 10.000", "0.000 to 10.000", "0.000 to 0.000"},
                  .drawn = 1},
        path_case{.name = "a negative radius arc, the long way",
                  .input = "G91 G2 X10 Y10 R-10\n",
                  .moves = 1,
                  .extents = {"-10.000 to 10.000", "0.000 to 20.000", "0.000 to 0.000"},
                  .drawn = 1},
        path_case{.name = "absolute centres under G90.1",
                  .input = "G90.1 G91 G3 X0 Y0 I5 J0\n",
                  .moves = 1,
                  .extents = {"0.000 to 10.000", "-5.000 to 5.000", "0.000 to 0.000"},
                  .drawn = 1},
        path_case{.name = "incremental centres again under G91.1",
                  .input = "G90.1\nG91.1 G91 G2 X0 Y0 I-5 J0\n",
                  .moves = 1,
                  .extents = {"-10.000 to 0.000", "-5.000 to 5.000", "0.000 to 0.000"},
                  .drawn = 1},
        path_case{.name = "an arc of the XZ plane is seen as a line",
                  .input = "G18 G91 G2 X10 Z0 I5 K0\n",
                  .moves = 1,
                  .extents = {"0.000 to 10.000", "0.000 to 0.000", "0.000 to 0.000"},
                  .drawn = 1},
        path_case{.name = "inches after millimetres",
                  .input = "G21 G91 G1 X10\nG20 X1\n",
                  .moves = 2,
                  .extents = {"0.000 to 35.400", "0.000 to 0.000", "0.000 to 0.000"},
                  .drawn = 2},
        path_case{.name = "an axis the start does not name",
                  .input = "G91 G0 X1 Y1\nG90 Z5\nG91 Z-1\n",
                  .start = "X0 Y0",
                  .moves = 3,
                  .extents = {"0.000 to 1.000", "0.000 to 1.000", "4.000 to 5.000"},
                  .drawn = 3},
        path_case{.name = "each hole of a cycle, down to its bottom",
                  .input = "G91 G0 Z10\nG98 G81 X5 R-8 Z-4 L3\nG80\n",
                  .moves = 4,
                  .extents = {"0.000 to 15.000", "0.000 to 0.000", "-2.000 to 10.000"},
                  .drawn = 4},
        path_case{.name = "each hole of a cycle of the XZ plane, down to its bottom in Y",
                  .input = "G18 G91 G98 G81 X5. Z5. R-8. Y-4. L2\nG80\n",
                  .start = "X0 Y10 Z0",
                  .moves = 2,
                  .extents = {"0.000 to 10.000", "-2.000 to 10.000", "0.000 to 10.000"},
                  .drawn = 2},
        path_case{.name = "a move below the last place written is no negative zero",
                  .input = "G91 G1 X-.0001\n",
                  .moves = 1,
                  .extents = {"0.000 to 0.000", "0.000 to 0.000", "0.000 to 0.000"},
                  .drawn = 1},
        path_case{.name = "a move from where a return left the tool is not drawn",
                  .input = "G91 G0 X1\nG28 X0\nG90 G0 X5 Y5\n",
                  .moves = 3,
                  .extents = {"0.000 to 5.000", "0.000 to 5.000", "0.000 to 0.000"},
                  .drawn = 1},
        path_case{.name = "a G92 line and a return home move nothing drawn",
                  .input = "G91 G0 X5\nG92 X0\nG28 X0\nX1\n",
                  .moves = 2,
                  .extents = {"0.000 to 5.000", "0.000 to 0.000", "0.000 to 0.000"},
                  .drawn = 1,
                  .status = 1},
        path_case{.name = "moves past the most a picture keeps",
                  .input = "G91 G1 X1\nX1\nX1\n",
                  .moves = 3,
                  .extents = {"0.000 to 3.000", "0.000 to 0.000", "0.000 to 0.000"},
                  .drawn = 2,
                  .most_drawn = 2},
        path_case{.name = "an inch arc after millimetres",
                  .input = "G21 G91 G1 X10\nG20 G2 X0 Y0 I-1 J0\n",
                  .moves = 2,
                  .extents = {"-40.800 to 10.000", "-25.400 to 25.400", "0.000 to 0.000"},
                  .drawn = 2},
        path_case{.name = "millimetre moves after inches",
                  .input = "G20 G91 G1 X1.\nG21 X25.4\n",
                  .moves = 2,
                  .extents = {"0.0000 to 2.0000", "0.0000 to 0.0000", "0.0000 to 0.0000"},
                  .drawn = 2},
        path_case{.name = "holes from an unknown Y",
                  .input = "G91 G0 Z10\nG98 G81 X5 R-8 Z-4 L2\n",
                  .start = "X0 Z0",
                  .moves = 3,
                  .extents = {"0.000 to 10.000", "unknown", "-2.000 to 10.000"},
                  .drawn = 0}),
    test_support::row_name());

// The picture: what it holds for a few small programs.
struct picture_case {
    std::string name;
    std::string input;
    std::string title = "in.nc";
    std::size_t most_drawn = 100;
    std::size_t paths;
    std::vector<std::string> holds;
    std::vector<std::string> lacks = {};
};

class Picture : public ::testing::TestWithParam<picture_case> {};

TEST_P(Picture, DrawsTheToolpath) {
    const picture_case& c = GetParam();
    memory_run run(c.input);
    run.start = "X0 Y0 Z0";
    toolpath path(c.most_drawn);
    run.path = &path;
    ASSERT_EQ(run.convert(), 0) << run.console_out.str();
    std::ostringstream out;
    write_svg(out, path, c.title);
    const std::string picture = out.str();
    std::size_t paths = 0;
    for (std::size_t at = picture.find("<path"); at != std::string::npos;
         at = picture.find("<path", at + 1)) {
        ++paths;
    }
    EXPECT_EQ(paths, c.paths);
    for (const std::string& part : c.holds) {
        EXPECT_NE(picture.find(part), std::string::npos) << part;
    }
    for (const std::string& part : c.lacks) {
        EXPECT_EQ(picture.find(part), std::string::npos) << part;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, Picture,
    ::testing::Values(
        picture_case{.name = "the title is escaped",
                     .input = "G91 G1 X10 Y5\n",
                     .title = "a&b<c>\"d\"",
                     .paths = 1,
                     .holds = {"<title>a&amp;b&lt;c&gt;&quot;d&quot;</title>", ">2</text>"}},
        picture_case{
            .name = "bytes of no text character in the title",
            .input = "G91 G1 X10 Y5\n",
            // A control byte, a Latin-1 byte, a two- and a four-byte
            // character, a C1 control, U+FFFE, an overlong slash, a
            // surrogate, a sequence cut short: each byte of no
            // character one U+FFFD.
            .title = "a\x01"
                     "b\xe9"
                     "c\xc3\xa9\xf0\x9f\x99\x82\xc2\x85\xef\xbf\xbe\xe0\x80\xaf\xed\xa0\x80&"
                     "\xe2\x82",
            .paths = 1,
            .holds = {"<title>a\uFFFDb\uFFFDc\u00e9\U0001F642\uFFFD\uFFFD"
                      "\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD&amp;"
                      "\uFFFD\uFFFD</title>"}},
        picture_case{
            .name = "DEL, bytes above F4, a code above U+10FFFF and U+FFFF in the title",
            .input = "G91 G1 X10 Y5\n",
            .title = "a\x7f"
                     "b\xf5"
                     "c\xf4\x90\x80\x80"
                     "d\xef\xbf\xbf",
            .paths = 1,
            .holds = {"<title>a\uFFFDb\uFFFDc\uFFFD\uFFFD\uFFFD\uFFFDd\uFFFD\uFFFD\uFFFD</title>"}},
        // Arcs: the SVG's sweep flag 1 turns clockwise as the machine is
        // seen from above (the picture's Y runs down).
        picture_case{.name = "G2 by its centre",
                     .input = "G91 G2 X10 Y10 I10 J0\n",
                     .paths = 1,
                     .holds = {"d=\"M40.00 780.00 A700.00 700.00 0 0 1 740.00 80.00\""}},
        picture_case{.name = "G3 by its centre",
                     .input = "G91 G3 X10 Y10 I0 J10\n",
                     .paths = 1,
                     .holds = {"d=\"M40.00 780.00 A700.00 700.00 0 0 0 740.00 80.00\""}},
        picture_case{.name = "G2 by a negative radius, the long way",
                     .input = "G91 G2 X10 Y10 R-10\n",
                     .paths = 1,
                     .holds = {"d=\"M390.00 780.00 A350.00 350.00 0 1 1 740.00 430.00\""}},
        picture_case{
            .name = "G3 by a negative radius, the long way, then a rapid",
            .input = "G91 G3 X10 Y10 R-10\nG0 X-10\n",
            .paths = 2,
            .holds = {"d=\"M40.00 430.00 A350.00 350.00 0 1 0 390.00 80.00\"", "stroke-dasharray"}},
        picture_case{.name = "a whole circle by G2 is two halves",
                     .input = "G21 G91 G2 X0 Y0 I5 J0\n",
                     .paths = 1,
                     .holds = {"d=\"M40.00 430.00 A350.00 350.00 0 0 1 740.00 430.00 "
                               "A350.00 350.00 0 0 1 40.00 430.00\"",
                               "X 0.000 to 10.000 mm"},
                     .lacks = {"stroke-dasharray"}},
        picture_case{.name = "a whole circle by G3",
                     .input = "G91 G3 X0 Y0 I5 J0\n",
                     .paths = 1,
                     .holds = {"d=\"M40.00 430.00 A350.00 350.00 0 0 0 740.00 430.00 "
                               "A350.00 350.00 0 0 0 40.00 430.00\""}},
        picture_case{.name = "G2 about an absolute centre",
                     .input = "G91 G0 Y10\nG90.1 G2 X10 Y-10 I0 J0\n",
                     .paths = 2,
                     .holds = {"d=\"M40.00 80.00 A700.00 700.00 0 0 1 740.00 780.00\""}},
        picture_case{.name = "G3 about an absolute centre",
                     .input = "G91 G0 X10\nG90.1 G3 X-10 Y10 I0 J0\n",
                     .paths = 2,
                     .holds = {"d=\"M740.00 780.00 A700.00 700.00 0 0 0 40.00 80.00\""}},
        picture_case{.name = "a plunge is a dot",
                     .input = "G91 G0 X5\nG1 Z-2\n",
                     .paths = 2,
                     .holds = {"<circle cx=\"940.00\" cy=\"80.00\" r=\"2.5\""}},
        picture_case{.name = "a depth never known is grey",
                     .input = "G91 G0 X1\nG28 Z0\nG0 X1\n",
                     .paths = 2,
                     .holds = {"#888888"}},
        picture_case{.name = "the moves past the most kept are told",
                     .input = "G91 G1 X1\nX1\nX1\n",
                     .most_drawn = 2,
                     .paths = 2,
                     .holds = {"the first 2 moves drawn"}},
        picture_case{.name = "a short scale bar",
                     .input = "G20 G91 G1 X0.4\n",
                     .paths = 1,
                     .holds = {"0.1 in", "X 0.0000 to 0.4000 in"}},
        picture_case{.name = "no move, no scale bar",
                     .input = "G91 G1 F100\n",
                     .paths = 0,
                     .holds = {"X 0.000 to 0.000"},
                     .lacks = {"<line"}}),
    test_support::row_name());

}  // namespace
}  // namespace g91to90
