// Reading a number as the console's "%i" does: scan_number over any source
// of characters, parse_number over a whole string; and the plainer whole
// numbers and hex digits of areatool. Start reading at scan_number().

#include "number/number.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr const char *no_number = "not a number";

// Whether ch, a character or EOF, is a digit of base.
bool is_digit_of(int ch, int base)
{
    return ch >= 0 && ch <= UCHAR_MAX && is_hex_digit(static_cast<char>(ch)) && hex_value(static_cast<char>(ch)) < base;
}

}  // namespace

std::string scan_number(int first, const std::function<int()> &next, int &stop, std::int32_t &number)
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
    for (; is_digit_of(ch, base); ch = next()) {
        int digit = hex_value(static_cast<char>(ch));
        have_digits = true;
        magnitude = magnitude * base + digit;
        if (magnitude > std::int64_t{INT32_MAX} + 1) {
            too_big = true;
            magnitude = std::int64_t{INT32_MAX} + 1;
        }
    }
    stop = ch;
    if (!have_digits)
        return no_number;
    if (too_big || (!negative && magnitude > INT32_MAX))
        return "the number does not fit 32 bits";
    number = static_cast<std::int32_t>(negative ? -magnitude : magnitude);
    return {};
}

std::string parse_number(std::string_view text, std::int32_t &number)
{
    std::size_t at = 0;
    auto next = [&]() -> int {
        return at < text.size() ? static_cast<unsigned char>(text[at++]) : EOF;
    };
    int stop = EOF;
    std::int32_t read = 0;
    std::string why = scan_number(next(), next, stop, read);
    // stop is EOF only once every character was taken.
    if (why.empty() && stop != EOF)
        why = no_number;
    if (why.empty())
        number = read;
    return why;
}

std::string parse_bounded(std::string_view text, int min, int max, int &number)
{
    std::string why = "not a whole number from " + range_text(min, max);
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string_view::npos)
        return why;
    int value = std::atoi(std::string(text).c_str());
    if (value < min || value > max)
        return why;
    number = value;
    return {};
}

std::string range_text(int min, int max)
{
    return std::to_string(min) + " to " + std::to_string(max);
}

bool is_hex_digit(char ch)
{
    return (ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'f') || (ch >= 'A' && ch <= 'F');
}

int hex_value(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    return (ch | 0x20) - 'a' + 10;  // either case
}

std::string parse_hex_byte(std::string_view text, char &byte)
{
    if (text.empty() || text.size() > 2 || !std::all_of(text.begin(), text.end(), is_hex_digit))
        return "not one or two hex digits";
    int value = 0;
    for (char ch : text)
        value = value * 16 + hex_value(ch);
    byte = static_cast<char>(value);
    return {};
}

std::string examples_text(const number_examples &examples, examples_form form)
{
    std::string decimals = std::string(examples.decimal) + ", " + std::string(examples.negative) + ", ";
    switch (form) {
    case examples_form::listed:
        return decimals + std::string(examples.hex) + ", " + std::string(examples.octal);
    case examples_form::alternatives:
        return decimals + std::string(examples.hex) + " or " + std::string(examples.octal);
    case examples_form::with_bases:
        return decimals + std::string(examples.hex) + " (hex), " + std::string(examples.octal) + " (octal)";
    }
    return decimals;
}
