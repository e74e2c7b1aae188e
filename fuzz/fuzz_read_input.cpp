// fuzz_read_input: read_number and read_word over any input. The first byte
// chooses, bit by bit, which of the two each call is; the rest is the text.
//
// What must hold: every call either takes at least one character or reports
// the end of input, so a caller that asks again always gets further; a
// number read is the one strtol finds in exactly the characters taken; a
// word is the start of the run of non-space characters taken, at most
// max_word_kept of them.

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "console/console.h"
#include "fuzz_support.h"

namespace {

bool is_space(char ch)
{
    return std::isspace(static_cast<unsigned char>(ch)) != 0;
}

void check_number(const std::string &taken, int number)
{
    errno = 0;
    char *end = nullptr;
    long expected = std::strtol(taken.c_str(), &end, 0);
    require(errno == 0 && end == taken.c_str() + taken.size() && expected == number,
            "read_number gave another number than its characters hold");
}

void check_word(const std::string &taken, const std::string &word)
{
    std::size_t start = 0;
    while (start < taken.size() && is_space(taken[start]))
        ++start;
    std::string run = taken.substr(start);
    require(!run.empty(), "read_word gave a word without taking one");
    for (char ch : run)
        require(!is_space(ch), "read_word took white space after its word");
    require(word == run.substr(0, max_word_kept), "read_word gave another word than it took");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    check_exit_is_caught();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    unsigned choices = data[0];
    const std::uint8_t *text = data + 1;
    std::size_t length = size - 1;
    std::FILE *in = open_input(text, length);

    // Each call takes a character or ends the loop, so there are at most
    // length + 1 of them.
    for (std::size_t call = 0; call <= length + 1; ++call) {
        require(call <= length, "the readers went on without taking input");
        long before = std::ftell(in);
        bool want_number = (choices >> (call % 8)) & 1;
        std::optional<int> number;
        std::optional<std::string> word;
        int number_taken = 0;
        std::string word_taken;
        if (want_number && read_number(in, number_taken).empty())
            number = number_taken;
        else if (!want_number && read_word(in, word_taken).empty())
            word = word_taken;
        long after = std::ftell(in);
        require(before >= 0 && after >= before && after <= static_cast<long>(length),
                "the stream position went wrong");
        if (!number && !word && std::feof(in))
            break;
        require(after > before, "a read that did not report the end took nothing");
        std::string taken(reinterpret_cast<const char *>(text) + before,
                          static_cast<std::size_t>(after - before));
        if (number)
            check_number(taken, *number);
        if (word)
            check_word(taken, *word);
    }
    std::fclose(in);
    return 0;
}
