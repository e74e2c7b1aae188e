// Numbers as the console's "%i" reads the allowed time; areatool reads its
// values the same way. Also the plain whole numbers of areatool's options
// and the hex digits of its texts, and the examples its messages give.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// A number from the characters next() hands out (EOF when they end),
// starting with first, white space already skipped: an optional sign, then
// a decimal number, a hexadecimal one after "0x" or "0X", or an octal one
// after a leading "0". Reads it into number and returns why there is none
// there (no digits, or more than 32 bits), empty when there is; stop is
// the first character after what was taken.
std::string scan_number(int first, const std::function<int()> &next, int &stop, std::int32_t &number);

// text, all of it, as one number of scan_number's; why not when it is not
// one or anything is left over.
std::string parse_number(std::string_view text, std::int32_t &number);

// text as a whole number from min to max in plain decimal digits, into
// number; why not when it is not one.
std::string parse_bounded(std::string_view text, int min, int max, int &number);

// "1 to 16": the whole numbers from min to max, as messages name them.
std::string range_text(int min, int max);

// Whether ch is a hex digit, of either case, and the value of one.
bool is_hex_digit(char ch);
int hex_value(char ch);
// text, one or two hex digits, as a byte; why not when it is not.
std::string parse_hex_byte(std::string_view text, char &byte);

// Numbers as the messages show what scan_number reads: a decimal, a
// negative, a hex and an octal one.
struct number_examples {
    std::string_view decimal, negative, hex, octal;
};
constexpr number_examples value_examples{"12", "-1", "0x1f", "017"};
constexpr number_examples time_examples{"90", "-5", "0x1e", "036"};
// "12, -1, 0x1f, 017"; "12, -1, 0x1f or 017"; "12, -1, 0x1f (hex), 017 (octal)".
enum class examples_form { listed, alternatives, with_bases };
std::string examples_text(const number_examples &examples, examples_form form);
