#include "toolpath_svg.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>

namespace g91to90 {

namespace {

// The drawing's largest size, its margin, and the bands above and below it.
constexpr double DRAWING_WIDTH = 900;
constexpr double DRAWING_HEIGHT = 700;
constexpr double MARGIN = 40;
constexpr double TITLE_BAND = 40;
constexpr double FOOTER_BAND = 70;

std::string fixed(double value, int places) {
    std::array<char, 48> text{};
    const int length = std::snprintf(text.data(), text.size(), "%.*f", places, value);
    std::string written(text.data(), static_cast<std::size_t>(std::max(length, 0)));
    // No negative zero.
    if (written.find_first_not_of("-0.") == std::string::npos && written.front() == '-') {
        written.erase(0, 1);
    }
    return written;
}

// The length of the UTF-8 sequence `text` begins with when it is a character
// XML text may hold and no control character; 0 otherwise.
std::size_t text_character_length(std::string_view text) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(text[at]); };
    const unsigned lead = byte(0);
    if (lead < 0x80) {
        return lead >= 0x20 && lead != 0x7f ? 1 : 0;
    }
    const std::size_t length = lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : lead >= 0xc2 ? 2 : 0;
    if (length == 0 || lead > 0xf4 || text.size() < length) {
        return 0;
    }
    std::uint32_t code = lead & (0x7fU >> length);
    for (std::size_t at = 1; at < length; ++at) {
        if ((byte(at) & 0xc0) != 0x80) {
            return 0;
        }
        code = (code << 6) | (byte(at) & 0x3fU);
    }
    constexpr std::array<std::uint32_t, 5> LEAST = {0, 0, 0x80, 0x800, 0x10000};
    const bool allowed = code >= LEAST[length] && code >= 0xa0 && code <= 0x10ffff &&
                         (code < 0xd800 || code > 0xdfff) && code != 0xfffe && code != 0xffff;
    return allowed ? length : 0;
}

// Text for the picture: XML's special characters as entities, and each byte
// of a control character or of no UTF-8 character as U+FFFD, so that any
// file name gives well-formed XML.
std::string escaped(std::string_view text) {
    std::string out;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t length = text_character_length(text.substr(at));
        switch (length == 0 ? '\0' : text[at]) {
            case '\0':
                out += "\xef\xbf\xbd";  // U+FFFD
                break;
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += text.substr(at, length);
        }
        at += std::max<std::size_t>(length, 1);
    }
    return out;
}

// From machine coordinates to the picture's, whose Y runs down.
struct view {
    double low_x;
    double high_y;
    double scale;

    double x(double value) const { return MARGIN + (value - low_x) * scale; }
    double y(double value) const { return TITLE_BAND + MARGIN + (high_y - value) * scale; }
    std::string point(const std::array<double, 2>& at) const {
        return fixed(x(at[0]), 2) + " " + fixed(y(at[1]), 2);
    }
};

// A colour between `deep` (at the lowest depth) and `shallow` (at the highest).
std::string shade(std::array<int, 3> deep, std::array<int, 3> shallow, double height) {
    std::array<char, 8> text{};
    std::array<int, 3> mixed{};
    for (std::size_t i = 0; i < 3; ++i) {
        mixed[i] = static_cast<int>(std::lround(deep[i] + (shallow[i] - deep[i]) * height));
    }
    std::snprintf(text.data(), text.size(), "#%02x%02x%02x", mixed[0], mixed[1], mixed[2]);
    return text.data();
}

// A number without the zeros that end its places: "0.5", "20".
std::string short_number(double value) {
    std::string text = fixed(value, 6);
    text.erase(text.find_last_not_of('0') + 1);
    if (text.back() == '.') {
        text.pop_back();
    }
    return text;
}

// A round length for the scale bar: 1, 2 or 5 times a power of ten, at most `longest`.
double round_length(double longest) {
    const double power = std::pow(10.0, std::floor(std::log10(longest)));
    return longest >= 5 * power ? 5 * power : longest >= 2 * power ? 2 * power : power;
}

std::string arc_path(const drawn_move& move, const view& at) {
    const double radius = std::hypot(move.from[0] - move.centre[0], move.from[1] - move.centre[1]);
    const std::string r = fixed(radius * at.scale, 2);
    // The picture's Y runs down, so the SVG's positive turn (sweep flag 1) is
    // clockwise as the machine's X and Y are seen from above: G2's way.
    const char* sweep = move.kind == move_kind::arc_clockwise ? "1" : "0";
    std::string path = "M";
    path += at.point(move.from);
    const auto arc_to = [&](const std::array<double, 2>& end, const char* large) {
        path.append(" A").append(r).append(" ").append(r).append(" 0 ").append(large);
        path.append(" ").append(sweep).append(" ").append(at.point(end));
    };
    if (move.from == move.to) {
        // A whole circle: two halves.
        arc_to({2 * move.centre[0] - move.from[0], 2 * move.centre[1] - move.from[1]}, "0");
        arc_to(move.to, "0");
        return path;
    }
    const double begin = std::atan2(move.from[1] - move.centre[1], move.from[0] - move.centre[0]);
    const double end = std::atan2(move.to[1] - move.centre[1], move.to[0] - move.centre[0]);
    double turn = move.kind == move_kind::arc_counterclockwise ? end - begin : begin - end;
    while (turn <= 0) {
        turn += 2 * std::numbers::pi;
    }
    arc_to(move.to, turn > std::numbers::pi ? "1" : "0");
    return path;
}

std::string line_path(const drawn_move& move, const view& at) {
    std::string path = "M";
    path.append(at.point(move.from)).append(" L").append(at.point(move.to));
    return path;
}

}  // namespace

std::string_view unit_text(length_unit unit) {
    return unit == length_unit::millimetre ? " mm" : unit == length_unit::inch ? " in" : "";
}

std::string extent_text(const extent& range, length_unit unit) {
    if (!range.seen) {
        return "unknown";
    }
    const int places = unit == length_unit::inch ? 4 : 3;
    return fixed(range.low, places) + " to " + fixed(range.high, places);
}

void write_svg(std::ostream& out, const toolpath& path, std::string_view title) {
    const std::array<extent, 3>& extents = path.extents();
    const double low_x = extents[0].seen ? extents[0].low : 0;
    const double high_x = extents[0].seen ? extents[0].high : 1;
    const double low_y = extents[1].seen ? extents[1].low : 0;
    const double high_y = extents[1].seen ? extents[1].high : 1;
    const double span = std::max(high_x - low_x, high_y - low_y);
    const double scale = span > 0 ? std::min(DRAWING_WIDTH / std::max(high_x - low_x, span / 1e3),
                                             DRAWING_HEIGHT / std::max(high_y - low_y, span / 1e3))
                                  : 1;
    const view at{low_x, high_y, scale};
    const double width = std::max(2 * MARGIN + (high_x - low_x) * scale, 720.0);
    const double height = TITLE_BAND + 2 * MARGIN + (high_y - low_y) * scale + FOOTER_BAND;

    double deepest = 0;
    double highest = 0;
    bool depth_seen = false;
    for (const drawn_move& move : path.drawn()) {
        if (move.depth_known) {
            deepest = depth_seen ? std::min(deepest, move.depth) : move.depth;
            highest = depth_seen ? std::max(highest, move.depth) : move.depth;
            depth_seen = true;
        }
    }
    const auto colour = [&](const drawn_move& move) {
        if (!move.depth_known) {
            return std::string("#888888");
        }
        const double height_share =
            highest > deepest ? (move.depth - deepest) / (highest - deepest) : 1;
        return move.kind == move_kind::rapid || move.kind == move_kind::hole
                   ? shade({0x70, 0x10, 0x10}, {0xf0, 0xa0, 0xa0}, height_share)
                   : shade({0x0a, 0x1a, 0x50}, {0x80, 0xb0, 0xf0}, height_share);
    };

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << fixed(width, 0) << "\" height=\""
        << fixed(height, 0) << "\" viewBox=\"0 0 " << fixed(width, 0) << " " << fixed(height, 0)
        << "\">\n"
        << "<title>" << escaped(title) << "</title>\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n"
        << "<text x=\"" << MARGIN << "\" y=\"28\" font-family=\"sans-serif\" font-size=\"18\">"
        << escaped(title) << "</text>\n"
        << "<g fill=\"none\" stroke-width=\"1.5\" stroke-linecap=\"round\">\n";
    for (const drawn_move& move : path.drawn()) {
        const bool arc =
            move.kind == move_kind::arc_clockwise || move.kind == move_kind::arc_counterclockwise;
        out << "<path d=\"" << (arc ? arc_path(move, at) : line_path(move, at)) << "\" stroke=\""
            << colour(move) << "\""
            << (move.kind == move_kind::rapid || move.kind == move_kind::hole
                    ? " stroke-dasharray=\"6 4\""
                    : "")
            << "/>\n";
        if (!arc && move.kind != move_kind::hole && move.from == move.to) {
            // A move of Z alone (a plunge, a retract): a dot where it stands.
            out << "<circle cx=\"" << fixed(at.x(move.to[0]), 2) << "\" cy=\""
                << fixed(at.y(move.to[1]), 2) << "\" r=\"2.5\" fill=\"" << colour(move) << "\"/>\n";
        }
        if (move.kind == move_kind::hole) {
            out << "<circle cx=\"" << fixed(at.x(move.to[0]), 2) << "\" cy=\""
                << fixed(at.y(move.to[1]), 2) << "\" r=\"4\" stroke=\"" << colour(move) << "\"/>\n";
        }
    }
    out << "</g>\n";

    const std::string unit(unit_text(path.unit()));
    const double footer = height - FOOTER_BAND + 20;
    out << "<text x=\"" << MARGIN << "\" y=\"" << fixed(footer, 0)
        << "\" font-family=\"sans-serif\" font-size=\"13\">X "
        << extent_text(extents[0], path.unit()) << unit << ",  Y "
        << extent_text(extents[1], path.unit()) << unit << ",  Z "
        << extent_text(extents[2], path.unit()) << unit
        << (path.all_drawn()
                ? ""
                : ",  the first " + std::to_string(path.drawn().size()) + " moves drawn")
        << ".  Solid: feed; dashed: rapid; circle: hole; dot: Z alone; darker: deeper.</text>\n";
    if (span > 0) {
        const double length = round_length(span / 4);
        const double bar_y = footer + 28;
        out << "<line x1=\"" << MARGIN << "\" y1=\"" << fixed(bar_y, 0) << "\" x2=\""
            << fixed(MARGIN + length * scale, 2) << "\" y2=\"" << fixed(bar_y, 0)
            << "\" stroke=\"#000000\" stroke-width=\"3\"/>\n"
            << "<text x=\"" << fixed(MARGIN + length * scale + 8, 2) << "\" y=\""
            << fixed(bar_y + 5, 0) << "\" font-family=\"sans-serif\" font-size=\"13\">"
            << short_number(length) << unit << "</text>\n";
    }
    out << "</svg>\n";
}

}  // namespace g91to90
