// Converts a G91 program to G90 with the g91to90 library:
//     convert_file IN.nc OUT.nc
#include <fstream>
#include <iostream>
#include <sstream>

#include <g91to90/g91to90.hpp>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::cerr << "usage: convert_file IN.nc OUT.nc\n";
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::stringstream program;
    program << in.rdbuf();

    g91to90::options how;
    how.start = "X0 Y0 Z50";  // where the tool stands, unless a G92 line says
    how.integers = g91to90::integer_reading::units;  // X10 means 10 mm
    const g91to90::result done = g91to90::convert(program.str(), how);
    if (!done.converted()) {
        // The program's own message, naming the line; the reason as a value.
        std::cerr << done.stopped->message;
        return done.stopped->line != 0 ? 1 : 2;
    }
    std::ofstream(argv[2], std::ios::binary) << done.output;
    std::cout << "lines " << done.read.lines << " converted\n";
    return 0;
}
