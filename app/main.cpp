// g91to90: rewrites a G-code part program from incremental (G91) to absolute
// (G90) distance mode.
#include <iostream>
#include <string>
#include <vector>

#include "front_end.hpp"
#include "platform.hpp"

int main(int argc, char** argv) {
    g91to90::use_binary_standard_streams();
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    return g91to90::run_converter(arguments, std::cin, std::cout);
}
