// Writes a deterministic incremental part program of about the requested size
// to standard output: generate_program SIZE_IN_MB [SEED] [cam|laser]
// - cam: a milling program as CAM systems write it, words apart, comments in
//   parentheses, N numbers, arcs, returns and work offsets;
// - laser: a laser cutter's or router's program, short lines with no blanks
//   (G1X12.345Y6.7S300), power changes and ";" comments.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

namespace {

struct generator {
    std::mt19937_64 random;
    std::string text;
    long line_number = 0;

    std::uint64_t below(std::uint64_t limit) { return random() % limit; }

    // An increment with 3 or 4 decimals, such as -12.3456 or 0.125.
    void increment(char letter) {
        const bool four = below(3) == 0;
        const std::uint64_t scale = four ? 10000 : 1000;
        const std::uint64_t magnitude = below(40 * scale);
        char word[48];
        std::snprintf(word, sizeof word, " %c%s%llu.%0*llu", letter, below(2) ? "-" : "",
                      static_cast<unsigned long long>(magnitude / scale), four ? 4 : 3,
                      static_cast<unsigned long long>(magnitude % scale));
        text += word;
    }

    void begin_line() {
        if (below(4) == 0) {
            line_number += 10;
            text += 'N';
            text += std::to_string(line_number);
            text += ' ';
        }
    }

    void motion_line() {
        begin_line();
        const std::uint64_t kind = below(100);
        if (kind < 15) {
            text += "G00";
            increment('X');
            increment('Y');
            if (below(3) == 0) {
                increment('Z');
            }
        } else if (kind < 75) {
            text += "G01";
            increment('X');
            if (below(4) != 0) {
                increment('Y');
            }
            if (below(5) == 0) {
                increment('Z');
            }
            if (below(6) == 0) {
                text += " F";
                text += std::to_string(100 + below(20) * 50);
            }
        } else {
            text += below(2) ? "G02" : "G03";
            increment('X');
            increment('Y');
            if (below(3) == 0) {
                increment('R');
            } else {
                increment('I');
                increment('J');
            }
        }
        text += "\n";
    }

    // A laser or router move: no blanks, 1-3 decimals, power on most cuts.
    void laser_line() {
        const std::uint64_t kind = below(100);
        if (kind < 3) {
            text += ";pass ";
            text += std::to_string(below(100));
            text += '\n';
            return;
        }
        if (kind < 5) {
            text += below(2) ? "M3S0\n" : "M5\n";
            return;
        }
        text += kind < 15 ? "G0" : "G1";
        short_increment('X');
        short_increment('Y');
        if (kind < 7) {
            short_increment('Z');
        }
        if (kind >= 15 && below(3) != 0) {
            text += 'S';
            text += std::to_string(below(1001));
        }
        if (kind >= 95) {
            text += 'F';
            text += std::to_string(500 + below(30) * 100);
        }
        if (kind == 99) {
            text += " ;engrave";
        }
        text += '\n';
    }

    // An increment with 1 to 3 decimals and no trailing zeros, such as 6.7.
    void short_increment(char letter) {
        const std::uint64_t magnitude = below(20000);
        std::string number = std::to_string(magnitude / 1000) + '.' +
                             std::to_string(1000 + magnitude % 1000).substr(1);
        while (number.back() == '0') {
            number.pop_back();
        }
        if (number.back() == '.') {
            number.pop_back();
        }
        text += letter;
        if (below(2) != 0 && magnitude != 0) {
            text += '-';
        }
        text += number;
    }

    void occasional_line() {
        switch (below(6)) {
            case 0:
                text += "(PASS ";
                text += std::to_string(below(1000));
                text += " FINISHING STEP)\n";
                break;
            case 1:
                // Another coordinate system: real programs position every
                // axis absolutely after the switch.
                text += "G5";
                text += std::to_string(4 + below(6));
                text += " G90 G00";
                increment('X');
                increment('Y');
                text += " Z50.\nG91\n";
                break;
            case 2:
                // A return leaves Z where the program cannot tell: real
                // programs position it absolutely before moving on.
                text += "G28 G91 Z0\nG90 G00 Z50.\nG91\n";
                break;
            case 3:
                text += below(2) ? "M08\n" : "M09\n";
                break;
            case 4:
                text += "G91\n";
                break;
            default:
                text += 'S';
                text += std::to_string(2000 + below(40) * 100);
                text += " M03\n";
                break;
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    const bool laser = argc > 3 && std::string(argv[3]) == "laser";
    if (argc < 2 || (argc > 3 && !laser && std::string(argv[3]) != "cam")) {
        std::fprintf(stderr, "usage: generate_program SIZE_IN_MB [SEED] [cam|laser]\n");
        return 2;
    }
    const unsigned long long target = std::strtoull(argv[1], nullptr, 10) * 1024ULL * 1024ULL;
    generator program;
    program.random.seed(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 91);
    program.text =
        laser ? ";generated laser job\nG21\nG92X0Y0Z0\nG91\nM3S0\n"
              : "%\nO4711 (GENERATED SURFACING PROGRAM)\n(MATERIAL AL 6061, STOCK TOP Z0)\n"
                "G21 G17 G40 G49 G80\nT4 M06 (6MM BALL END MILL)\nS12000 M03\nM08\n"
                "G92 X0 Y0 Z50.\nG91 G00 X10. Y10.\n";
    unsigned long long written = 0;
    while (written + program.text.size() < target) {
        if (laser) {
            program.laser_line();
        } else if (program.below(40) == 0) {
            program.occasional_line();
        } else {
            program.motion_line();
        }
        if (program.text.size() >= (1 << 20)) {
            written += std::fwrite(program.text.data(), 1, program.text.size(), stdout);
            program.text.clear();
        }
    }
    program.text += laser ? "M5\nG90\nG0X0Y0\nM2\n" : "G28 G91 Z0\nM05\nM30\n%\n";
    std::fwrite(program.text.data(), 1, program.text.size(), stdout);
    return 0;
}
