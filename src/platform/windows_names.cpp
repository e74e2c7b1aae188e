// The names Windows cannot give a file: its device names and reserved
// characters. Built on every system: Windows refuses such area names, and
// areatool warns of them wherever it runs. Start at windows_name_problem().

#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace {

constexpr std::string_view reserved_characters = "<>:\"|?*";

// Device names that are whole words; COM and LPT take a number after them.
constexpr std::array<std::string_view, 6> device_words = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
constexpr std::array<std::string_view, 2> numbered_devices = {"COM", "LPT"};
// Windows takes the superscript digits one to three as port numbers as
// well: single bytes in the Western code page, two in UTF-8.
constexpr std::array<std::string_view, 6> superscript_digits = {"\xB9", "\xB2", "\xB3",
                                                                "\xC2\xB9", "\xC2\xB2", "\xC2\xB3"};

bool same_letters(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
           && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
                  return std::toupper(static_cast<unsigned char>(x))
                         == std::toupper(static_cast<unsigned char>(y));
              });
}

// Windows looks at the part before the first dot, without the spaces at
// its end: "con", "CON.txt" and "Con .x" are all the console.
bool is_device_name(std::string_view name)
{
    std::string_view stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    for (std::string_view word : device_words) {
        if (same_letters(stem, word))
            return true;
    }
    for (std::string_view device : numbered_devices) {
        if (stem.size() <= device.size() || !same_letters(stem.substr(0, device.size()), device))
            continue;
        std::string_view number = stem.substr(device.size());
        if (number.size() == 1 && number[0] >= '1' && number[0] <= '9')
            return true;
        if (std::find(superscript_digits.begin(), superscript_digits.end(), number)
            != superscript_digits.end())
            return true;
    }
    return false;
}

}  // namespace

std::string windows_name_problem(std::string_view name)
{
    if (is_device_name(name))
        return "the name is a device name on Windows";
    if (name.find_first_of(reserved_characters) != std::string_view::npos)
        return "the name holds one of < > : \" | ? *, which Windows does not allow";
    if (!name.empty() && (name.back() == '.' || name.back() == ' '))
        return "the name ends in a dot or a space, which Windows does not allow";
    return {};
}
