// fuzz_merge_diff: the laws of areatool's merge and diff on any three
// areas. The first byte's low bit says whether there is a base; the next
// 420 bytes are the base (zeros past the input's end); each 6 bytes after
// them change one 32-bit word of ours, of theirs, of both alike or of both
// differently, so that the fuzzer reaches the cases the laws are about.
//
// What must hold: a side unchanged from base gives the other side; two
// equal sides give that side; the result holds no value that no side had;
// a conflict stands exactly where both sides changed a value in different
// ways, and keeps ours there; diff lists nothing exactly when two areas are
// equal, and each line it lists is a real difference, each once.

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "text/text.h"
#include "tool/command_line.h"

namespace {

constexpr std::size_t edit_size = 6;
constexpr std::size_t words = area_file_size / 4;

bool same(const area_record &a, const area_record &b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// What merge and diff take as one value, in the order of the file: the
// mark (both positions), the allowed time, each cell, the name (8 bytes).
std::vector<std::string> values_of(const area_record &area)
{
    auto bytes = [](const void *at, std::size_t size) {
        return std::string(static_cast<const char *>(at), size);
    };
    std::vector<std::string> values{bytes(&area.mark_col, 8), bytes(&area.time_allowed, 4)};
    for (const auto &column : area.cells) {
        for (const std::int32_t &cell : column)
            values.push_back(bytes(&cell, 4));
    }
    values.push_back(bytes(area.name.data(), name_size));
    return values;
}

constexpr std::size_t first_cell = 2;
constexpr std::size_t name_value = first_cell + board_cols * board_rows;

// Where a difference diff listed lies among values_of.
std::size_t value_index(const area_difference &difference)
{
    switch (difference.part) {
    case area_part::mark:
        return 0;
    case area_part::time_allowed:
        return 1;
    case area_part::cell:
        require(difference.col >= 0 && difference.col < board_cols && difference.row >= 0
                    && difference.row < board_rows, "diff listed a cell off the board");
        return first_cell + static_cast<std::size_t>(difference.col * board_rows + difference.row);
    case area_part::name:
        return name_value;
    }
    require(false, "diff listed an unknown part");
    return 0;
}

void check_diff(const area_record &a, const area_record &b)
{
    std::vector<area_difference> differences = diff_areas(a, b);
    require(differences.empty() == same(a, b), "diff listed nothing for different areas, or something for equal ones");
    std::vector<std::string> va = values_of(a), vb = values_of(b);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < va.size(); ++i)
        differing += va[i] != vb[i];
    require(differences.size() == differing, "diff listed another count of differences than there are");
    std::size_t last = 0;
    for (std::size_t k = 0; k < differences.size(); ++k) {
        std::size_t i = value_index(differences[k]);
        require(va[i] != vb[i], "diff listed a value that is the same in both");
        require(k == 0 || i > last, "diff listed out of the file's order, or twice");
        require(!differences[k].line.empty() && differences[k].line.find('\n') == std::string::npos,
                "a line of diff is empty or more than one line");
        last = i;
    }
}

// The names merge gives its values in its conflict lines, in its order:
// the mark, the time, the name, then the cells.
std::string conflict_name(std::size_t i)
{
    if (i == 0)
        return std::string(mark_label);
    if (i == 1)
        return std::string(time_label);
    if (i == name_value)
        return std::string(name_label);
    int cell = static_cast<int>(i - first_cell);
    return "cell at " + position_text(cell / board_rows, cell % board_rows);
}

void check_merge(const area_record *base, const area_record &ours, const area_record &theirs)
{
    merge_result result = merge_areas(base, ours, theirs);
    const area_record &merged = result.merged;
    if (base && same(ours, *base))
        require(same(merged, theirs) && result.conflicts.empty(), "ours as base did not give theirs");
    if (base && same(theirs, *base))
        require(same(merged, ours) && result.conflicts.empty(), "theirs as base did not give ours");
    if (same(ours, theirs))
        require(same(merged, ours) && result.conflicts.empty(), "equal sides did not give that side");

    std::vector<std::string> vo = values_of(ours), vt = values_of(theirs), vm = values_of(merged);
    std::vector<std::string> vb = base ? values_of(*base) : std::vector<std::string>{};
    std::vector<std::string> expected_conflicts;
    auto merge_order = {std::size_t{0}, std::size_t{1}, name_value};
    std::vector<std::size_t> order(merge_order);
    for (std::size_t i = first_cell; i < name_value; ++i)
        order.push_back(i);
    for (std::size_t i : order) {
        require(vm[i] == vo[i] || vm[i] == vt[i], "the merge holds a value no side had");
        bool ours_changed = !base || vo[i] != vb[i];
        bool theirs_changed = !base || vt[i] != vb[i];
        if (ours_changed && theirs_changed && vo[i] != vt[i]) {
            require(vm[i] == vo[i], "a conflict did not keep ours");
            expected_conflicts.push_back(conflict_name(i) + " changed two ways: ");
        } else {
            require(vm[i] == (ours_changed ? vo[i] : vt[i]), "a one-sided change was not taken");
        }
    }
    require(result.conflicts.size() == expected_conflicts.size(),
            "conflicts stand where both sides did not change a value two ways");
    for (std::size_t k = 0; k < expected_conflicts.size(); ++k)
        require(conflict_line(result.conflicts[k], base, ours, theirs).rfind(expected_conflicts[k], 0) == 0,
                "a conflict names another value");

    check_diff(ours, theirs);
    check_diff(ours, merged);
    if (base) {
        check_diff(*base, ours);
        check_diff(*base, merged);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    bool have_base = (data[0] & 1) == 0;
    area_record base{};
    std::memcpy(&base, data + 1, std::min<std::size_t>(size - 1, area_file_size));
    area_record ours = base, theirs = base;
    for (std::size_t at = 1 + area_file_size; at + edit_size <= size; at += edit_size) {
        const std::uint8_t *edit = data + at;
        std::size_t offset = 4 * (edit[1] % words);
        auto put = [&](area_record &area, std::uint8_t flip) {
            auto *bytes = reinterpret_cast<std::uint8_t *>(&area) + offset;
            std::memcpy(bytes, edit + 2, 4);
            bytes[3] ^= flip;
        };
        switch (edit[0] % 4) {
        case 0:  // both, differently
            put(ours, 0);
            put(theirs, 0x80);
            break;
        case 1:
            put(ours, 0);
            break;
        case 2:
            put(theirs, 0);
            break;
        case 3:  // both alike
            put(ours, 0);
            put(theirs, 0);
            break;
        }
    }
    check_merge(have_base ? &base : nullptr, ours, theirs);
    return 0;
}
