// The web page's door to the library, built with Emscripten. JavaScript calls
// g91to90_page_convert once per program; the library reads the input, writes
// the output, finds called files and hands back its result through the
// Module functions the caller sets (pageRead, pageWrite, pageFileSize,
// pageFileRead, pageDone), so that no input or output is held here whole.
#include <emscripten/emscripten.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "g91to90/g91to90.hpp"

// NOLINTBEGIN: JavaScript bodies, read by Emscripten and not by C++ tools.
EM_JS(double, page_read, (char* buffer, std::size_t size),
      { return Module.pageRead(buffer, size); });
EM_JS(int, page_write, (const char* bytes, std::size_t size),
      { return Module.pageWrite(bytes, size) ? 1 : 0; });
EM_JS(double, page_file_size, (const char* name), { return Module.pageFileSize(name); });
EM_JS(void, page_file_read, (const char* name, char* buffer),
      { Module.pageFileRead(name, buffer); });
EM_JS(void, page_done,
      (int stopped, const char* message, double line, const char* file, const char* report,
       const char* svg, double drawn, int all_drawn, int status, double crc),
      {
          Module.pageDone({
              crc : crc,
              stopped : stopped != 0,
              message : UTF8ToString(message),
              line : line,
              file : UTF8ToString(file),
              report : UTF8ToString(report),
              svg : UTF8ToString(svg),
              drawn : drawn,
              allDrawn : all_drawn != 0,
              status : status
          });
      });
// NOLINTEND

namespace {

// The CRC-32 of zip files, four bytes a step (tables of the byte-wise CRC of
// a byte followed by 0 to 3 zero bytes): the zip of several outputs needs
// it, and it costs a fraction of what a byte-wise loop in JavaScript does.
class zip_crc {
  public:
    zip_crc() {
        for (std::uint32_t n = 0; n < 256; ++n) {
            std::uint32_t c = n;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1U) != 0 ? 0xedb88320U ^ (c >> 1U) : c >> 1U;
            }
            tables_[0][n] = c;
        }
        for (std::uint32_t n = 0; n < 256; ++n) {
            for (std::size_t t = 1; t < 4; ++t) {
                const std::uint32_t before = tables_[t - 1][n];
                tables_[t][n] = (before >> 8U) ^ tables_[0][before & 0xffU];
            }
        }
    }

    void add(std::string_view bytes) {
        std::uint32_t c = ~crc_;
        std::size_t at = 0;
        for (; at + 4 <= bytes.size(); at += 4) {
            c ^= byte(bytes, at) | byte(bytes, at + 1) << 8U | byte(bytes, at + 2) << 16U |
                 byte(bytes, at + 3) << 24U;
            c = tables_[3][c & 0xffU] ^ tables_[2][(c >> 8U) & 0xffU] ^
                tables_[1][(c >> 16U) & 0xffU] ^ tables_[0][c >> 24U];
        }
        for (; at < bytes.size(); ++at) {
            c = tables_[0][(c ^ byte(bytes, at)) & 0xffU] ^ (c >> 8U);
        }
        crc_ = ~c;
    }

    std::uint32_t value() const { return crc_; }

  private:
    static std::uint32_t byte(std::string_view bytes, std::size_t at) {
        return static_cast<unsigned char>(bytes[at]);
    }

    std::array<std::array<std::uint32_t, 256>, 4> tables_{};
    std::uint32_t crc_ = 0;
};

// How the page reads numbers without a point: 0 not given, 1 units, 2 increments.
g91to90::integer_reading reading(int code) {
    switch (code) {
        case 1:
            return g91to90::integer_reading::units;
        case 2:
            return g91to90::integer_reading::increments;
        default:
            return g91to90::integer_reading::unknown;
    }
}

}  // namespace

extern "C" {

// Converts one program with the page's options; the result goes to pageDone.
// `drawn_limit` bounds the moves the picture draws (0: none drawn).
EMSCRIPTEN_KEEPALIVE void g91to90_page_convert(const char* start, int decimals, int decimal_point,
                                               int integers, int expand_calls,
                                               const char* extension, const char* title,
                                               double drawn_limit) {
    g91to90::options how;
    how.start = start;
    how.decimals = decimals;
    how.decimal_point = decimal_point != 0;
    how.integers = reading(integers);
    how.expand_calls = expand_calls != 0;
    how.extension = extension;
    how.title = title;
    how.toolpath = drawn_limit > 0;
    how.most_drawn_moves = static_cast<std::size_t>(drawn_limit);
    how.find_file = [](const std::string& name) -> std::optional<std::string> {
        const double size = page_file_size(name.c_str());
        if (size < 0) {
            return std::nullopt;
        }
        std::string bytes(static_cast<std::size_t>(size), '\0');
        page_file_read(name.c_str(), bytes.data());
        return bytes;
    };
    const auto read = [](char* buffer, std::size_t size) -> std::optional<std::size_t> {
        const double got = page_read(buffer, size);
        if (got < 0) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(got);
    };
    zip_crc crc;
    const auto write = [&crc](std::string_view bytes) {
        crc.add(bytes);
        return page_write(bytes.data(), bytes.size()) != 0;
    };
    const g91to90::result done = g91to90::convert(read, write, how, title);
    const g91to90::stop nothing;
    const g91to90::stop& stopped = done.stopped ? *done.stopped : nothing;
    const std::string report = g91to90::report_text(done.read);
    page_done(done.stopped ? 1 : 0, stopped.message.c_str(), static_cast<double>(stopped.line),
              stopped.file.c_str(), report.c_str(), done.svg.c_str(),
              static_cast<double>(done.moves.size()), done.all_drawn ? 1 : 0,
              done.stopped ? stopped.status : 0, static_cast<double>(crc.value()));
}

// The library's version, for the page's footer.
EMSCRIPTEN_KEEPALIVE const char* g91to90_page_version() {
    static const std::string text(g91to90::version());
    return text.c_str();
}
}
