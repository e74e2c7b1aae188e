// Numbers as the console's "%i" reads the allowed time; areatool reads its
// values the same way.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

// A number from the characters next() hands out (EOF when they end),
// starting with first, white space already skipped: an optional sign, then
// a decimal number, a hexadecimal one after "0x" or "0X", or an octal one
// after a leading "0". Returns it, or nothing when there is no number there
// or it does not fit 32 bits; stop is the first character after what was
// taken.
std::optional<std::int32_t> scan_number(int first, const std::function<int()> &next, int &stop);

// text, all of it, as one number of scan_number's; nothing when it is not
// one or anything is left over.
std::optional<std::int32_t> parse_number(std::string_view text);
