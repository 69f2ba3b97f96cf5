#include "line_model.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <exception>
#include <istream>
#include <limits>
#include <ostream>
#include <streambuf>

namespace g91to90 {

namespace {

constexpr char CTRL_Z = 26;

// Fills the input block anew. False when the input has no more bytes.
bool refill_block(conversion_context& context) {
    input_reader& in = context.input;
    in.next = 0;
    in.filled = 0;
    if (in.source_done) {
        return false;
    }
    std::streamsize got = 0;
    try {
        got = in.source->sgetn(in.block.data(), static_cast<std::streamsize>(in.block.size()));
    } catch (const std::exception&) {
        throw conversion_failure("\nCan't read " + context.input_name + "\n", STATUS_FAILURE);
    }
    if (got <= 0) {
        in.source_done = true;
        return false;
    }
    in.filled = static_cast<std::size_t>(got);
    // Ctrl-Z ends the input as if the file ended there.
    const void* ctrl_z = std::memchr(in.block.data(), CTRL_Z, in.filled);
    if (ctrl_z != nullptr) {
        in.filled = static_cast<std::size_t>(static_cast<const char*>(ctrl_z) - in.block.data());
        in.source_done = true;
    }
    return in.filled > 0;
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

// Powers of ten that a double holds exactly.
constexpr std::array<double, 23> EXACT_POWERS_OF_TEN{1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                     1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                                     1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// The shape of a decimal number found at the start of a text, and its digits
// as an integer while they are few enough to give the value exactly.
struct decimal_shape {
    bool negative = false;
    std::size_t mantissa_begin = 0;  // after the sign
    std::size_t mantissa_end = 0;
    std::size_t digit_count = 0;
    std::size_t exponent_begin = 0;  // after the exponent letter; equal to end when none
    std::size_t end = 0;
    std::uint64_t digits = 0;     // valid while significant <= 15
    std::size_t significant = 0;  // digits from the first nonzero one on
    std::size_t decimals = 0;     // digits after the point
};

constexpr std::size_t EXACT_SIGNIFICANT_DIGITS = 15;

decimal_shape scan_decimal(std::string_view text) {
    decimal_shape shape;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        shape.negative = text[i] == '-';
        ++i;
    }
    shape.mantissa_begin = i;
    bool seen_point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (is_digit(c)) {
            ++shape.digit_count;
            shape.significant += (shape.significant > 0 || c != '0') ? 1 : 0;
            if (shape.significant <= EXACT_SIGNIFICANT_DIGITS) {
                shape.digits = shape.digits * 10 + static_cast<std::uint64_t>(c - '0');
            }
            shape.decimals += seen_point ? 1 : 0;
        } else if (c == '.' && !seen_point) {
            seen_point = true;
        } else {
            break;
        }
    }
    shape.mantissa_end = i;
    shape.exponent_begin = i;
    shape.end = i;
    if (shape.digit_count == 0 || i >= text.size()) {
        return shape;
    }
    const char letter = text[i];
    if (letter != 'E' && letter != 'e' && letter != 'D' && letter != 'd') {
        return shape;
    }
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) {
        ++j;
    }
    const std::size_t digits_begin = j;
    while (j < text.size() && is_digit(text[j])) {
        ++j;
    }
    if (j > digits_begin) {
        shape.exponent_begin = i + 1;
        shape.end = j;
    }
    return shape;
}

// Up to 15 significant digits and 22 decimals, without an exponent, the
// quotient of two exact doubles is the correctly rounded value.
bool exact_value(const decimal_shape& shape, double& value) {
    if (shape.end > shape.mantissa_end || shape.significant > EXACT_SIGNIFICANT_DIGITS ||
        shape.decimals >= EXACT_POWERS_OF_TEN.size()) {
        return false;
    }
    const double magnitude =
        static_cast<double>(shape.digits) / EXACT_POWERS_OF_TEN[shape.decimals];
    value = shape.negative ? -magnitude : magnitude;
    return true;
}

// Decimal exponent of the leading significant digit, including the written
// exponent; only its sign matters, so it saturates.
long long leading_digit_exponent(std::string_view mantissa, std::string_view exponent) {
    const std::size_t point = std::min(mantissa.find('.'), mantissa.size());
    // Only a mantissa with a nonzero digit can leave the double range.
    const std::size_t first = std::min(mantissa.find_first_of("123456789"), mantissa.size());
    const long long position = first < point ? static_cast<long long>(point - first) - 1
                                             : -static_cast<long long>(first - point);
    bool negative_exponent = false;
    std::size_t i = 0;
    if (i < exponent.size() && (exponent[i] == '-' || exponent[i] == '+')) {
        negative_exponent = exponent[i] == '-';
        ++i;
    }
    long long written = 0;
    constexpr long long CAP = 1'000'000'000LL;
    for (; i < exponent.size(); ++i) {
        written = std::min(CAP, written * 10 + (exponent[i] - '0'));
    }
    return position + (negative_exponent ? -written : written);
}

// The common case: the whole text is a plain decimal of at most 15 digits.
bool plain_decimal_value(std::string_view text, double& value) {
    const char* at = text.data();
    const char* const end = at + text.size();
    const bool negative = at != end && *at == '-';
    at += (at != end && (*at == '-' || *at == '+')) ? 1 : 0;
    std::uint64_t digits = 0;
    std::size_t count = 0;
    const char* point = nullptr;
    for (; at != end; ++at) {
        const auto digit = static_cast<unsigned>(*at - '0');
        if (digit < 10) {
            digits = digits * 10 + digit;
            ++count;
        } else if (*at == '.' && point == nullptr) {
            point = at;
        } else {
            return false;
        }
    }
    if (count == 0 || count > EXACT_SIGNIFICANT_DIGITS) {
        return false;
    }
    const auto decimals = point == nullptr ? 0 : static_cast<std::size_t>(end - point - 1);
    const double magnitude = static_cast<double>(digits) / EXACT_POWERS_OF_TEN[decimals];
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

std::string ask_token(std::istream& console_in, std::ostream& console_out,
                      std::string_view prompt) {
    console_out << prompt << std::flush;
    std::string token;
    if (!(console_in >> token)) {
        throw conversion_failure("", STATUS_FAILURE);
    }
    return token;
}

conversion_context make_context(std::streambuf& input, std::streambuf& output,
                                std::istream& console_in, std::ostream& console_out,
                                std::string input_name) {
    conversion_context context;
    context.input.source = &input;
    context.input.block.resize(IO_BLOCK_SIZE);
    context.output.sink = &output;
    context.output.block.resize(IO_BLOCK_SIZE);
    context.input_name = std::move(input_name);
    context.console_in = &console_in;
    context.console_out = &console_out;
    return context;
}

bool read_line(conversion_context& context) {
    input_reader& in = context.input;
    in.spill.clear();
    for (;;) {
        if (in.next == in.filled && !refill_block(context)) {
            in.end_of_file = true;
            context.line_buffer = in.spill;
            return !in.spill.empty();
        }
        char* const begin = in.block.data() + in.next;
        const std::size_t available = in.filled - in.next;
        auto* const newline = static_cast<char*>(std::memchr(begin, '\n', available));
        if (newline == nullptr) {
            in.spill.append(begin, available);
            in.next = in.filled;
            continue;
        }
        std::size_t length = static_cast<std::size_t>(newline - begin) + 1;
        in.next += length;
        if (in.spill.empty()) {
            // The whole line lies in the block: a carriage return before the
            // newline becomes the newline, and the line ends there.
            if (length >= 2 && newline[-1] == '\r') {
                newline[-1] = '\n';
                --length;
            }
            context.line_buffer = std::string_view(begin, length);
            return true;
        }
        in.spill.append(begin, length);
        if (in.spill.size() >= 2 && in.spill[in.spill.size() - 2] == '\r') {
            in.spill.erase(in.spill.size() - 2, 1);
        }
        context.line_buffer = in.spill;
        return true;
    }
}

void flush_output(conversion_context& context) {
    output_writer& out = context.output;
    if (out.used == 0) {
        return;
    }
    const auto size = static_cast<std::streamsize>(out.used);
    out.used = 0;
    if (out.sink->sputn(out.block.data(), size) != size) {
        throw conversion_failure("", STATUS_CLOSE_FAILED);
    }
}

void write_bytes(conversion_context& context, std::string_view bytes) {
    output_writer& out = context.output;
    if (bytes.size() <= out.block.size() - out.used) {
        std::memcpy(out.block.data() + out.used, bytes.data(), bytes.size());
        out.used += bytes.size();
        return;
    }
    flush_output(context);
    if (bytes.size() < out.block.size()) {
        std::memcpy(out.block.data(), bytes.data(), bytes.size());
        out.used = bytes.size();
        return;
    }
    const auto size = static_cast<std::streamsize>(bytes.size());
    if (out.sink->sputn(bytes.data(), size) != size) {
        throw conversion_failure("", STATUS_CLOSE_FAILED);
    }
}

char* output_room(conversion_context& context, std::size_t size) {
    output_writer& out = context.output;
    if (size > out.block.size() - out.used) {
        flush_output(context);
    }
    return out.block.data() + out.used;
}

void claim_output(conversion_context& context, std::size_t size) {
    context.output.used += size;
}

void write_newline(conversion_context& context) {
    write_bytes(context, "\r\n");
}

void write_line(conversion_context& context, std::string_view line) {
    if (has_newline(line)) {
        write_bytes(context, line.substr(0, line.size() - 1));
        write_newline(context);
    } else {
        write_bytes(context, line);
    }
}

bool contains_code(std::string_view line, std::string_view code) {
    return line.find(code) != std::string_view::npos;
}

bool contains_any(std::string_view line, std::span<const std::string_view> codes) {
    const auto same_shape = [&codes](std::string_view code) {
        return code.size() == 3 && code[0] == codes[0][0];
    };
    if (codes.empty() || !std::all_of(codes.begin(), codes.end(), same_shape)) {
        return std::any_of(codes.begin(), codes.end(),
                           [line](std::string_view code) { return contains_code(line, code); });
    }
    // Every code is three characters with one first letter (the G codes): one
    // pass over the places where that letter stands.
    const char* const end = line.data() + line.size();
    const char* at = line.data();
    while (end - at >= 3) {
        at = static_cast<const char*>(
            std::memchr(at, codes[0][0], static_cast<std::size_t>(end - at - 2)));
        if (at == nullptr) {
            return false;
        }
        for (const std::string_view code : codes) {
            if (at[1] == code[1] && at[2] == code[2]) {
                return true;
            }
        }
        ++at;
    }
    return false;
}

bool contains_char(std::string_view line, char c) {
    return line.find(c) != std::string_view::npos;
}

std::size_t read_number_text(std::string_view line, std::size_t start,
                             std::string_view& number_text) {
    std::size_t end = std::min(start, line.size());
    while (end < line.size() && number_char(line[end])) {
        ++end;
    }
    number_text = line.substr(std::min(start, line.size()), end - std::min(start, line.size()));
    return end;
}

double move_axis(conversion_context& context, char letter, double value) {
    double& axis = letter == 'X'   ? context.position.x
                   : letter == 'Y' ? context.position.y
                                   : context.position.z;
    axis = context.mode == MODE_INCREMENTAL ? axis + value : value;
    return axis;
}

double number_value(std::string_view text) {
    double value = 0.0;
    if (plain_decimal_value(text, value)) {
        return value;
    }
    const decimal_shape shape = scan_decimal(text);
    if (shape.digit_count == 0) {
        return 0.0;
    }
    if (exact_value(shape, value)) {
        return value;
    }
    const std::string_view mantissa =
        text.substr(shape.mantissa_begin, shape.mantissa_end - shape.mantissa_begin);
    const bool has_exponent = shape.end > shape.mantissa_end;
    // The general case: the standard parser, which knows only "e" and no plus sign.
    const std::string_view exponent =
        text.substr(shape.exponent_begin, shape.end - shape.exponent_begin);
    std::string normal;
    normal.reserve(shape.end + 2);
    if (shape.negative) {
        normal.push_back('-');
    }
    normal.append(mantissa);
    if (has_exponent) {
        normal.push_back('e');
        normal.append(exponent);
    }
    const auto result = std::from_chars(normal.data(), normal.data() + normal.size(), value,
                                        std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Beyond the double range the value is infinite; below it, zero.
        const double magnitude = leading_digit_exponent(mantissa, exponent) > 0
                                     ? std::numeric_limits<double>::infinity()
                                     : 0.0;
        value = shape.negative ? -magnitude : magnitude;
    }
    return value;
}

}  // namespace g91to90
