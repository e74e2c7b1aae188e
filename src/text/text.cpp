// An area as text: the one place that decides how its pieces read in a
// message. Start reading at printable(), which everything shown goes
// through.

#include "text/text.h"

#include <cstdio>

bool control_byte(char byte)
{
    auto code = static_cast<unsigned char>(byte);
    return code < 0x20 || code == 0x7f;
}

bool printable_byte(char byte)
{
    auto code = static_cast<unsigned char>(byte);
    return code >= 0x20 && code < 0x7f;
}

bool printable_ascii(std::string_view text)
{
    for (char ch : text) {
        if (!printable_byte(ch))
            return false;
    }
    return true;
}

std::string hex_escape(char byte)
{
    char escape[5];
    std::snprintf(escape, sizeof escape, "\\x%02x", static_cast<unsigned char>(byte));
    return escape;
}

std::string printable(std::string_view text, bool exact)
{
    std::string shown;
    for (char ch : text) {
        bool escaped = control_byte(ch) || (exact && (!printable_byte(ch) || ch == '"' || ch == '\\'));
        shown += escaped ? hex_escape(ch) : std::string(1, ch);
    }
    return shown;
}

std::string said_of(std::string_view what, std::string_view why)
{
    return printable(what) + ": " + std::string(why);
}

std::string name_field_text(std::string_view field, name_field_form form)
{
    if (form == name_field_form::every_byte)
        return "\"" + printable(field, true) + "\"";
    field = field.substr(0, field.find_last_not_of('\0') + 1);
    return "\"" + printable(field) + "\"";
}

std::string position_text(std::int32_t col, std::int32_t row)
{
    return "column " + value_text(col) + ", row " + value_text(row);
}

std::string value_text(std::int32_t value)
{
    return std::to_string(value);
}

std::string markup_escaped(std::string_view text)
{
    std::string escaped;
    for (char ch : text) {
        switch (ch) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += ch;
        }
    }
    return escaped;
}

std::string counted(std::size_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string either_of(const std::vector<std::string> &choices)
{
    std::string text;
    for (std::size_t i = 0; i < choices.size(); ++i)
        text += (i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i];
    return text;
}

std::string digits_grouped(std::size_t number)
{
    std::string digits = std::to_string(number);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}
