#include "convert/body_pass.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "memory_run.hpp"
#include "program_cases.hpp"

namespace g91to90 {
namespace {

using testing::memory_run;
using testing::program_case;
using testing::whole_program_cases;

TEST(ClassifyLine, MotionOrPass) {
    struct class_case {
        std::string line;
        line_class expected;
    };
    const std::vector<class_case> cases = {
        {"G01 X1\n", line_class::motion},
        {"G91\n", line_class::motion},
        {"G90.1\n", line_class::motion},
        {"Z5", line_class::motion},
        {"G92 X0 Y0\n", line_class::motion},
        {" (X1)\n", line_class::motion},
        {"M30\n", line_class::pass},
        {"x5 y5\n", line_class::pass},
        {"\n", line_class::pass},
        {"(X1)\n", line_class::pass},
        {"G28 X0 Y0\n", line_class::pass},
        {"G30 G91 Z0\n", line_class::pass},
        {"G54 G91 X1\n", line_class::pass},
        {"G01 X1 (G59)\n", line_class::pass},
        {"G1 G530 X1\n", line_class::pass},
        {"N10 G80\n", line_class::pass},
    };
    for (const class_case& c : cases) {
        EXPECT_EQ(classify_line(c.line), c.expected) << c.line;
    }
}

// Whole conversions in memory: preamble, start position and body pass.
TEST(ConvertProgram, WholePrograms) {
    for (const program_case& c : whole_program_cases()) {
        memory_run run(c.input, c.answers);
        int status = 0;
        std::string message;
        try {
            convert_program(run.context);
        } catch (const conversion_failure& failure) {
            status = failure.status;
            message = failure.what();
        }
        EXPECT_EQ(run.written(), c.output) << c.name;
        EXPECT_EQ(run.console_out.str() + message, c.console) << c.name;
        EXPECT_EQ(status, c.status) << c.name;
    }
}

}  // namespace
}  // namespace g91to90
