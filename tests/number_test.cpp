// The number reader on its own: scan_number over a source of characters
// and where it stops, parse_number over a whole text as areatool's values
// and the console's allowed time read, parse_bounded's plain whole numbers
// of options and positions, and hex digits and bytes in both cases. The console's
// reading of a stream is console_reading_test.cpp's.

#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include <gtest/gtest.h>

#include "number/number.h"

namespace {

std::optional<std::int32_t> number_of(std::string_view text)
{
    std::int32_t number = 0;
    return parse_number(text, number).empty() ? std::optional(number) : std::nullopt;
}

TEST(number, a_whole_text_reads_as_the_console_reads_the_allowed_time)
{
    EXPECT_EQ(number_of("-2147483648"), INT_MIN);
    EXPECT_EQ(number_of("0x7fffffff"), INT_MAX);
    EXPECT_EQ(number_of("0X7FFFFFFF"), INT_MAX);
    EXPECT_EQ(number_of("+010"), 8);
    EXPECT_EQ(number_of("0"), 0);
    EXPECT_EQ(number_of("-0x80000001"), std::nullopt);
    EXPECT_EQ(number_of("12 "), std::nullopt);
    EXPECT_EQ(number_of("0x"), std::nullopt);
    EXPECT_EQ(number_of(""), std::nullopt);
}

TEST(number, a_scan_stops_at_the_first_character_it_does_not_take)
{
    struct row {
        std::string_view text;
        std::optional<std::int32_t> read;
        int stop;
    };
    for (const row &r : {row{"0x1Eg", 30, 'g'}, row{"08", 0, '8'}, row{"-12", -12, EOF},
                         row{"2147483648", std::nullopt, EOF}, row{"+", std::nullopt, EOF}}) {
        std::size_t at = 1;
        auto next = [&]() -> int { return at < r.text.size() ? r.text[at++] : EOF; };
        int stop = 0;
        std::int32_t number = 0;
        std::string why = scan_number(r.text[0], next, stop, number);
        EXPECT_EQ(why.empty() ? std::optional(number) : std::nullopt, r.read) << r.text;
        EXPECT_EQ(stop, r.stop) << r.text;
    }
}

TEST(number, bounded_numbers_are_plain_decimal_digits_within_their_range)
{
    for (auto [text, read] : {std::pair<std::string_view, int>{"0", 0}, {"9", 9}, {"007", 7}, {"10", -1},
                              {"-1", -1}, {"+1", -1}, {" 1", -1}, {"0x1", -1}, {"", -1}, {"9999999999", -1}}) {
        int number = -1;
        std::string why = parse_bounded(text, 0, 9, number);
        EXPECT_EQ(number, read) << text;
        EXPECT_EQ(why, read < 0 ? "not a whole number from 0 to 9" : "") << text;
    }
}

TEST(number, hex_digits_and_bytes_read_in_either_case)
{
    for (auto [ch, value] : {std::pair{'0', 0}, {'9', 9}, {'a', 10}, {'f', 15}, {'A', 10}, {'F', 15},
                             {'g', -1}, {'G', -1}, {'/', -1}, {':', -1}, {'@', -1}, {'`', -1}, {'\0', -1}}) {
        EXPECT_EQ(is_hex_digit(ch), value >= 0) << ch;
        if (value >= 0) {
            EXPECT_EQ(hex_value(ch), value) << ch;
        }
    }
    for (auto [text, byte] : {std::pair<std::string_view, int>{"4A", 0x4a}, {"4a", 0x4a}, {"FF", 0xff},
                              {"0a", 0x0a}, {"F", 0x0f}, {"", -1}, {"100", -1}, {"0g", -1}, {" 1", -1}}) {
        char read = 0;
        std::string why = parse_hex_byte(text, read);
        EXPECT_EQ(why.empty() ? static_cast<unsigned char>(read) : -1, byte) << text;
    }
}

}  // namespace
