// fuzz_edit_text: edit's text form of an area, both ways. The first 420
// bytes are a record (zeros past the input's end); the bytes after them are
// a text, read as a user's editor might have left it, and the file name the
// offered text is headed with.
//
// What must hold: any text reads without a fault, and with the problems it
// has put on top of it, as edit offers it again, it has as many problems
// and reads the same; the text offered for the record reads back as that
// record, byte for byte; and the case of the hex digits in the name's
// \xHH escapes and in the bytes after the name changes nothing read.

#include <cctype>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "formats/formats.h"
#include "fuzz_support.h"

namespace {

constexpr std::string_view tail_line = "\nafter the name: ";  // as the offered text writes it
constexpr std::size_t longest_file_name = 64;

bool same(const area_record &a, const area_record &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool hex(char ch)
{
    return std::isxdigit(static_cast<unsigned char>(ch)) != 0;
}

// text with the digits of every \xHH escape in upper case; an escaped
// backslash ("\\") is passed over whole, as the reader takes it.
std::string escapes_in_upper_case(std::string text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '\\')
            continue;
        if (text[i + 1] == '\\') {
            ++i;
        } else if (text[i + 1] == 'x' && i + 3 < text.size() && hex(text[i + 2]) && hex(text[i + 3])) {
            text[i + 2] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 2])));
            text[i + 3] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 3])));
            i += 3;
        }
    }
    return text;
}

// The offered text with the bytes after the name in upper case too.
std::string hex_in_upper_case(const std::string &offered)
{
    std::string text = escapes_in_upper_case(offered);
    std::size_t at = text.find(tail_line);
    require(at != std::string::npos, "the offered text has no line for the bytes after the name");
    for (std::size_t i = at + tail_line.size(); i < text.size() && text[i] != '\n'; ++i)
        text[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i])));
    return text;
}

void check_any_text(const std::string &text, const area_record &original)
{
    area_record read{};
    std::vector<text_problem> problems = read_area_text(text, original, read);
    area_text_empty(text);
    for (const text_problem &problem : problems)
        require(problem.line >= 1 && !problem.why.empty() && problem.why.find('\n') == std::string::npos,
                "a problem has no line, no reason or a reason of more than one line");

    area_record upper{};
    std::vector<text_problem> upper_problems = read_area_text(escapes_in_upper_case(text), original, upper);
    require(upper_problems.empty() == problems.empty(), "upper-case escapes made a text read or fail otherwise");
    require(!problems.empty() || same(upper, read), "upper-case escapes read as other bytes");

    if (problems.empty())
        return;
    area_record again{};
    std::vector<text_problem> marked_problems = read_area_text(mark_problems(text, problems), original, again);
    require(marked_problems.size() == problems.size(), "the problems put on top of a text changed what it has");
}

void check_offered(const area_record &area, std::string_view file_name)
{
    std::string offered = write_area_text(area, file_name);
    require(!area_text_empty(offered), "the offered text holds only comments");
    for (const std::string &text : {offered, hex_in_upper_case(offered)}) {
        area_record read{};
        require(read_area_text(text, area, read).empty(), "the offered text does not read");
        require(same(read, area), "the offered text reads as another record");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    area_record area{};
    std::size_t record = std::min<std::size_t>(size, area_file_size);
    std::memcpy(&area, data, record);
    std::string text(reinterpret_cast<const char *>(data) + record, size - record);
    check_any_text(text, area);
    check_offered(area, std::string_view(text).substr(0, longest_file_name));
    return 0;
}
