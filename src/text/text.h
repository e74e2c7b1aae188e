// An area as text: how its bytes, names, positions and values are written
// in every message and listing, by the editor and by areatool alike. It
// takes the area's pieces rather than the record, so that the record's own
// messages can use it too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Whether byte is a control character (below 0x20, or 0x7f); whether it is
// printable ASCII (0x20 to 0x7e); whether every byte of text is.
bool control_byte(char byte);
bool printable_byte(char byte);
bool printable_ascii(std::string_view text);

// byte as "\xHH", the one escape every listing uses.
std::string hex_escape(char byte);

// text as it can be shown within one line on a terminal: control
// characters become \xHH. With exact, so do every byte outside printable
// ASCII and the quote and backslash themselves, so that two different
// texts never look alike.
std::string printable(std::string_view text, bool exact = false);

// "WHAT: WHY", what as printable shows it: a message about something.
std::string said_of(std::string_view what, std::string_view why);

// How a name field is quoted: all its bytes, exactly (diff); or up to its
// trailing zeros, as printable shows them (merge).
enum class name_field_form { every_byte, without_trailing_zeros };
// The bytes of a name field, terminator and what follows it included,
// between double quotes.
std::string name_field_text(std::string_view field, name_field_form form);

// text within an XML or HTML element or a double-quoted attribute: & < >
// and " as entities.
std::string markup_escaped(std::string_view text);

// The labels of an area's parts, in every listing and message that names
// them: show, diff, check, merge and edit's text.
constexpr std::string_view name_label = "name";
constexpr std::string_view mark_label = "mark";
constexpr std::string_view time_label = "time allowed";

// "column C, row R".
std::string position_text(std::int32_t col, std::int32_t row);

// A tile value, a time or any other number of an area.
std::string value_text(std::int32_t value);

// count and its noun: "1 difference", "2 differences".
std::string counted(std::size_t count, std::string_view one, std::string_view many);
// choices as a sentence lists them: "15, 16, 24 or 32".
std::string either_of(const std::vector<std::string> &choices);
// number with its thousands set apart: "65,536".
std::string digits_grouped(std::size_t number);
