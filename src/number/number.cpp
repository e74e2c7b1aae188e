// Reading a number as the console's "%i" does: scan_number over any source
// of characters, parse_number over a whole string. Start reading at
// scan_number().

#include "number/number.h"

#include <cctype>
#include <climits>
#include <cstdio>

namespace {

int digit_value(int ch, int base)
{
    int value = std::isdigit(ch) ? ch - '0'
                : std::isxdigit(ch) ? std::tolower(ch) - 'a' + 10
                                    : base;
    return value < base ? value : -1;
}

}  // namespace

std::optional<std::int32_t> scan_number(int first, const std::function<int()> &next, int &stop)
{
    int ch = first;
    bool negative = ch == '-';
    if (ch == '-' || ch == '+')
        ch = next();

    int base = 10;
    bool have_digits = false;
    if (ch == '0') {
        have_digits = true;  // a lone 0 is a number
        base = 8;
        ch = next();
        if (ch == 'x' || ch == 'X') {
            base = 16;
            have_digits = false;  // 0x needs a hex digit after it
            ch = next();
        }
    }

    std::int64_t magnitude = 0;
    bool too_big = false;
    for (int digit; (digit = digit_value(ch, base)) >= 0; ch = next()) {
        have_digits = true;
        magnitude = magnitude * base + digit;
        if (magnitude > std::int64_t{INT32_MAX} + 1) {
            too_big = true;
            magnitude = std::int64_t{INT32_MAX} + 1;
        }
    }
    stop = ch;
    if (!have_digits || too_big || (!negative && magnitude > INT32_MAX))
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::optional<std::int32_t> parse_number(std::string_view text)
{
    std::size_t at = 0;
    auto next = [&]() -> int {
        return at < text.size() ? static_cast<unsigned char>(text[at++]) : EOF;
    };
    int stop = EOF;
    std::optional<std::int32_t> number = scan_number(next(), next, stop);
    // stop is EOF only once every character was taken.
    return stop == EOF ? number : std::nullopt;
}
