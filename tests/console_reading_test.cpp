// read_number and read_word on in-memory input: what each returns, where
// it leaves the stream, and how it ends at the limits of int32 and of the
// input. The end-to-end dialogue tests cover the prompts that use them.

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <optional>
#include <ostream>
#include <string>

#include "console/console.h"

namespace {

// A FILE* reading a copy of text; closed (and so removed) when it goes.
struct text_input {
    std::string text;
    std::FILE *stream;
    explicit text_input(std::string t) : text(std::move(t))
    {
        // A temporary file rather than fmemopen, which Windows lacks.
        stream = std::tmpfile();
        std::fwrite(text.data(), 1, text.size(), stream);
        std::rewind(stream);
    }
    ~text_input() { std::fclose(stream); }
    text_input(const text_input &) = delete;
    text_input &operator=(const text_input &) = delete;

    std::string rest()
    {
        std::string left;
        for (int ch; (ch = std::getc(stream)) != EOF;)
            left.push_back(static_cast<char>(ch));
        return left;
    }
};

// What each reader read, or nothing when it said why not.
std::optional<int> number_read(std::FILE *in)
{
    int number = 0;
    return read_number(in, number).empty() ? std::optional(number) : std::nullopt;
}

std::optional<std::string> word_read(std::FILE *in)
{
    std::string word;
    return read_word(in, word).empty() ? std::optional(word) : std::nullopt;
}

struct number_case {
    const char *input;
    std::optional<int> read;
    const char *left;  // what the stream still holds afterwards
};

void PrintTo(const number_case &c, std::ostream *os) { *os << '"' << c.input << '"'; }

class ReadNumber : public testing::TestWithParam<number_case> {};

TEST_P(ReadNumber, reads_like_scanf_i_and_leaves_the_rest)
{
    const number_case &c = GetParam();
    text_input in(c.input);
    ASSERT_NE(in.stream, nullptr);
    EXPECT_EQ(number_read(in.stream), c.read);
    EXPECT_EQ(in.rest(), c.left);
}

INSTANTIATE_TEST_SUITE_P(Forms, ReadNumber, testing::Values(
    number_case{"2\n", 2, "\n"},
    number_case{" \t\n 42 rest\n", 42, " rest\n"},
    number_case{"02\n", 2, "\n"},
    number_case{"010\n", 8, "\n"},
    number_case{"0x1E\n", 30, "\n"},
    number_case{"0X1e\n", 30, "\n"},
    number_case{"-5\n", -5, "\n"},
    number_case{"+7\n", 7, "\n"},
    number_case{"-0x10\n", -16, "\n"},
    number_case{"0\n", 0, "\n"},
    number_case{"08\n", 0, "8\n"},
    number_case{"019\n", 1, "9\n"},
    number_case{"0x1Eg\n", 30, "g\n"},
    number_case{"12abc\n", 12, "abc\n"}));

INSTANTIATE_TEST_SUITE_P(Int32Edges, ReadNumber, testing::Values(
    number_case{"2147483647\n", INT_MAX, "\n"},
    number_case{"-2147483648\n", INT_MIN, "\n"},
    number_case{"0x7fffffff\n", INT_MAX, "\n"},
    number_case{"-0x80000000\n", INT_MIN, "\n"},
    number_case{"017777777777\n", INT_MAX, "\n"},
    number_case{"2147483648 5\nnext", std::nullopt, "next"},
    number_case{"-2147483649\nnext", std::nullopt, "next"},
    number_case{"0x80000000\nnext", std::nullopt, "next"},
    number_case{"020000000000\nnext", std::nullopt, "next"},
    // Would wrap a 64-bit accumulator that did not stop growing.
    number_case{"99999999999999999999999999\nnext", std::nullopt, "next"}));

INSTANTIATE_TEST_SUITE_P(NotNumbers, ReadNumber, testing::Values(
    number_case{"abc def\nnext", std::nullopt, "next"},
    number_case{"0x\nnext", std::nullopt, "next"},
    number_case{"0xg 5\nnext", std::nullopt, "next"},
    number_case{"-\nnext", std::nullopt, "next"},
    number_case{"+ 5\nnext", std::nullopt, "next"},
    number_case{"--5\nnext", std::nullopt, "next"}));

TEST(ReadNumber, text_that_is_no_number_sets_no_end_of_input)
{
    text_input in("abc\n7\n");
    EXPECT_EQ(number_read(in.stream), std::nullopt);
    EXPECT_FALSE(std::feof(in.stream));
    EXPECT_EQ(number_read(in.stream), 7);
}

TEST(ReadNumber, input_that_ends_before_or_inside_a_number_reads_nothing)
{
    for (const char *text : {"", "  \n\t", "-", "+", "0x", "abc"}) {
        text_input in(text);
        EXPECT_EQ(number_read(in.stream), std::nullopt) << '"' << text << '"';
        EXPECT_TRUE(std::feof(in.stream)) << '"' << text << '"';
    }
}

TEST(ReadNumber, number_cut_off_by_end_of_input_is_read_and_the_next_read_gets_nothing)
{
    text_input in("-12");
    EXPECT_EQ(number_read(in.stream), -12);
    EXPECT_EQ(number_read(in.stream), std::nullopt);
    EXPECT_TRUE(std::feof(in.stream));
}

TEST(ReadWord, reads_up_to_white_space_and_leaves_it)
{
    text_input in(" \n\thall\nnext");
    EXPECT_EQ(word_read(in.stream), "hall");
    EXPECT_EQ(in.rest(), "\nnext");
}

TEST(ReadWord, keeps_every_byte_that_is_not_white_space)
{
    text_input in("a/b\\c\xe9\x01 tail");
    EXPECT_EQ(word_read(in.stream), "a/b\\c\xe9\x01");
    EXPECT_EQ(in.rest(), " tail");
}

TEST(ReadWord, word_longer_than_kept_is_cut_and_read_to_its_end)
{
    for (std::size_t length : {max_word_kept, max_word_kept + 1, 3 * max_word_kept}) {
        text_input in(std::string(length, 'x') + " tail");
        EXPECT_EQ(word_read(in.stream), std::string(max_word_kept, 'x')) << length;
        EXPECT_EQ(in.rest(), " tail") << length;
    }
}

TEST(ReadWord, end_of_input_before_a_word_reads_nothing)
{
    for (const char *text : {"", " \n\t "}) {
        text_input in(text);
        EXPECT_EQ(word_read(in.stream), std::nullopt) << '"' << text << '"';
    }
}

TEST(ReadWord, word_cut_off_by_end_of_input_is_read_and_the_next_read_gets_nothing)
{
    text_input in("hal");
    EXPECT_EQ(word_read(in.stream), "hal");
    EXPECT_EQ(word_read(in.stream), std::nullopt);
}

}  // namespace
