// The forms areatool writes and reads, called directly: show's and diff's
// JSON objects rebuilt into areas, edit's text of an area both ways with
// every problem found on its line, resolve's text of a merge read as the
// side kept, and review's page: its counts, its escaping and its links. The process tests in tool/test_areatool*.py keep
// statuses, files and the browser.

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "formats/formats.h"
#include "support/areas.h"

namespace {

// The area back from show's JSON, as a script would rebuild it.
area_record area_from_json(const nlohmann::json &object)
{
    area_record area{object["mark"]["column"], object["mark"]["row"], object["time_allowed"],
                     object["columns"].get<decltype(area_record::cells)>(), {}};
    auto name = object["name_bytes"].get<std::array<unsigned char, name_size>>();
    std::memcpy(area.name.data(), name.data(), name_size);
    return area;
}

TEST(json, show_rebuilds_every_byte_of_an_odd_record_and_names_only_plain_names)
{
    area_record area = empty_area("ca\xe9", -1, INT_MAX);
    std::memcpy(area.name.data() + 4, "\x7fyz\xff", 4);  // leftovers after the terminator
    area.time_allowed = INT_MIN;
    for (int col = 0; col < board_cols; ++col)
        for (int row = 0; row < board_rows; ++row)
            area.cells[col][row] = col * 1000 + row;  // tells the columns and rows apart
    area.cells[0][9] = INT_MIN;
    area.cells[9][0] = INT_MAX;

    std::string line = area_json_line("dir/\"odd\".ard", area, true);
    area_record rebuilt = area_from_json(nlohmann::json::parse(line));
    EXPECT_EQ(std::memcmp(&rebuilt, &area, sizeof area), 0);
    EXPECT_EQ(line.substr(0, line.find("[[")),
              R"({"format_version":1,"file":"dir/\"odd\".ard","name":null,"name_bytes":[99,97,233,0,127,121,122,255],)"
              R"("mark":{"column":-1,"row":2147483647},"time_allowed":-2147483648,"columns":)");
    EXPECT_TRUE(line.ends_with(R"(,9009]],"longer":true})"));

    for (auto [name, want] : {std::pair<const char *, nlohmann::ordered_json>{"ca\xe9", nullptr},
                              {"cave", "cave"}, {"", ""}, {"a\tb", nullptr}, {"eightchr", nullptr}})
        EXPECT_EQ(nlohmann::ordered_json::parse(area_json_line("x", empty_area(name), false))["name"], want) << name;
}

// value, as a diff object gives it for its part, put into area.
void apply_json(area_record &area, const nlohmann::json &object, const nlohmann::json &value)
{
    if (object["part"] == "mark") {
        area.mark_col = value["column"];
        area.mark_row = value["row"];
    } else if (object["part"] == "time_allowed") {
        area.time_allowed = value;
    } else if (object["part"] == "cell") {
        area.cells[object["column"].get<int>()][object["row"].get<int>()] = value;
    } else {
        for (int i = 0; i < name_size; ++i)
            area.name[i] = static_cast<char>(value[i].get<int>());  // 0 to 255
    }
}

TEST(json, diff_objects_turn_each_area_into_the_other)
{
    area_record old_area = empty_area(), new_area = old_area;
    old_area.name[6] = 'x';
    new_area.name = {'c', '\xe9', '\0', '\x7f', '\xff', '\0', 'x', '\0'};
    new_area.mark_col = INT_MIN;
    new_area.mark_row = 10;
    old_area.time_allowed = INT_MAX;
    new_area.cells[0][9] = INT_MIN;
    new_area.cells[9][0] = INT_MAX;

    area_record forward = old_area, back = new_area;
    std::vector<std::string> lines;
    for (const area_difference &difference : diff_areas(old_area, new_area)) {
        lines.push_back(difference_json_line(old_area, new_area, difference));
        nlohmann::json object = nlohmann::json::parse(lines.back());
        apply_json(forward, object, object["new"]);
        apply_json(back, object, object["old"]);
    }
    EXPECT_EQ(std::memcmp(&forward, &new_area, sizeof new_area), 0);
    EXPECT_EQ(std::memcmp(&back, &old_area, sizeof old_area), 0);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[2], R"({"format_version":1,"part":"cell","column":0,"row":9,"old":-1,"new":-2147483648})");
}

// An area with something odd in every field.
area_record odd_area()
{
    area_record area = new_area("x", INT_MAX);
    area.mark_col = INT_MIN;
    area.mark_row = 12;
    area.cells[0][0] = INT_MIN;
    area.cells[9][9] = INT_MAX;
    area.cells[3][4] = 0;
    area.name = {' ', '\\', '\xe9', 'a', ' ', '\0', '\xff', '\x01'};
    return area;
}

std::string replaced(std::string text, const std::string &line, const std::string &with)
{
    text.replace(text.find(line), line.size(), with);
    return text;
}

TEST(edit_text, every_byte_of_an_odd_area_survives_its_text)
{
    area_record area = odd_area();
    std::string text = write_area_text(area, "odd.ard");
    for (const char *line : {"\nname: \\x20\\\\\\xe9a\\x20\n", "\nafter the name: ff 01\n",
                             "\nmark: column -2147483648, row 12\n", "\ntime allowed: 2147483647\n",
                             "\nrow 0: -2147483648 . . . . . . . . .\n", "\nrow 4: . . . 0 . . . . . .\n",
                             "\nrow 9: . . . . . . . . . 2147483647\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    // The text as written, and as an editor or a user may leave it.
    struct variant {
        const char *what;
        std::function<std::string(const std::string &)> made;
    };
    for (const variant &v : std::vector<variant>{
             {"as written", [](const std::string &text) { return text; }},
             {"as the editor of a Windows user may save it",
              [](const std::string &text) {
                  std::string windows = "\xef\xbb\xbf";
                  for (char ch : text)
                      windows += ch == '\n' ? std::string("\r\n") : std::string(1, ch);
                  return windows;
              }},
             {"with its hex digits in upper case",
              [](const std::string &text) {
                  return replaced(replaced(text, "\\xe9", "\\xE9"), "after the name: ff 01", "after the name: FF 01");
              }},
         }) {
        area_record read{};
        EXPECT_TRUE(read_area_text(v.made(text), area, read).empty()) << v.what;
        EXPECT_EQ(std::memcmp(&read, &area, sizeof area), 0) << v.what;
    }
}

TEST(edit_text, what_the_text_says_is_what_is_read)
{
    area_record area = new_area("longest", 0);
    area.name = {'a', 'b', '\0', 'g', 'e', 's', 't', '\0'};
    std::string text = write_area_text(area, "a.ard");
    text = replaced(text, "name: ab\n", "name:   c\\x4Ave  \n");
    text = replaced(text, "row 7: . . .", "row 7:\t.   .  3");
    text = replaced(text, "time allowed: 0", "time allowed: 010");
    text = replaced(text, "mark: column 0, row 0", "mark: column 0x2,row -1");
    area_record read{};
    ASSERT_EQ(read_area_text(text, area, read).size(), 0u);
    EXPECT_EQ(read.cells[2][7], 3);
    EXPECT_EQ((std::array{read.mark_col, read.mark_row, read.time_allowed}), (std::array{2, -1, 8}));  // the 3 left it
    // The bytes after the name stay at the end of the field, as a rename in the editor keeps them.
    EXPECT_EQ(std::string(read.name.data(), name_size), std::string("cJve\0st\0", name_size));
}

TEST(edit_text, every_problem_is_found_with_its_line)
{
    area_record area = new_area("hall", 0);
    std::string text = write_area_text(area, "hall.ard");
    struct malformed {
        std::string line, with, why;
    };
    for (const malformed &bad : std::vector<malformed>{
             {"name: hall", "name: a/b", "cannot use that name: the name holds a path separator"},
             {"name: hall", "name: ab\\q", "a backslash in the name starts"},
             {"after the name: 00 00 00", "after the name: 0g", "two hex digits each, not '0g'"},
             {"mark: column 0, row 0", "mark: row 0, column 0", "the mark should read"},
             {"time allowed: 0", "time allowed: 2147483648", "the allowed time should be a number"},
             {"row 3: . . . . . . . . . .", "row 3: . . . . . . . . .", "row 3 holds 9 cells, not 10"},
             {"row 3: . . . . . . . . . .", "row 3: . . 08 . . . . . . .", "column 2 of row 3 should be"},
             {"row 3: . . . . . . . . . .", "row 3: . . . . . . . . . .\nrow 03: . . . . . . . . . .",
              "a second 'row 03:' line; the first is line"},
             {"row 3: . . . . . . . . . .", "row 3: . . . . . . . . . .\nrow 10: 1", "not a part of an area"},
             {"row 3: . . . . . . . . . .", "row 3: . . . . . . . . . .\nlevel", "not a part of an area"},
             {"row 3: . . . . . . . . . .", "row 3: . . 1|6 . . . . . . .",
              "the cell at column 2, row 3 still holds both sides, '1|6'"},
             {"name: hall", "name: a|b", "the name still holds both sides, 'a|b'"},
         }) {
        std::string changed = replaced(text, bad.line, bad.with);
        area_record read{};
        std::vector<text_problem> problems = read_area_text(changed, area, read);
        ASSERT_EQ(problems.size(), 1u) << bad.with;
        EXPECT_NE(problems[0].why.find(bad.why), std::string::npos) << problems[0].why;
        // The line that holds the change, or the second of two added.
        std::size_t at = changed.find(bad.with);
        int line = 1 + static_cast<int>(std::count(changed.begin(), changed.begin() + at, '\n'))
                   + static_cast<int>(std::count(bad.with.begin(), bad.with.end(), '\n'));
        EXPECT_EQ(problems[0].line, line) << bad.with;
    }
    area_record read{};
    std::vector<text_problem> missing = read_area_text(replaced(text, "row 9:", "# row 9:"), area, read);
    ASSERT_EQ(missing.size(), 1u);
    EXPECT_EQ(missing[0].why, "the text ends without a 'row 9:' line");
}

TEST(edit_text, problems_go_on_top_in_place_of_the_last_ones_and_count_the_new_lines)
{
    std::string text = "# error: line 9: old\nname: a\n# error: line 9: old\nmark: x\n";
    EXPECT_EQ(mark_problems(text, {{4, "bad mark"}, {1, "first"}}),
              "# error: line 4: bad mark\n# error: line 3: first\nname: a\nmark: x\n");
    EXPECT_TRUE(area_text_empty(" \n# name: a\n\t\n"));
    EXPECT_FALSE(area_text_empty("# a\nx"));
}

// text with each conflict's value settled for one side: what stands
// before the '|' of each value line (ours) or after it.
std::string settled(const std::string &text, bool theirs)
{
    std::string kept;
    for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
        end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        for (std::size_t bar; line[0] != '#' && (bar = line.find('|')) != std::string::npos;) {
            bool row = line.starts_with("row ");  // a row's cells are words; another line's value is whole
            std::size_t from = row ? line.rfind(' ', bar) + 1 : line.find_first_not_of(' ', line.find(':') + 1);
            std::size_t to = row ? std::min(line.find(' ', bar), line.size()) : line.size();
            line.replace(from, to - from, theirs ? line.substr(bar + 1, to - bar - 1) : line.substr(from, bar - from));
        }
        kept += line + "\n";
    }
    return kept;
}

// A merge with a conflict in every part: its text holds both sides of each
// where it stands and lists them on top; as it is, it does not read, and
// each side kept reads as the merge that keeps that side.
TEST(merge_text, a_merges_text_holds_both_sides_and_reads_as_the_side_kept)
{
    merge_sides sides;
    sides.base = empty_area("hall");
    sides.base->cells[2][2] = 0;
    sides.base->time_allowed = 90;
    sides.ours = sides.theirs = *sides.base;
    name_area(sides.ours, "a|b");
    name_area(sides.theirs, "ca ve");  // a name set would refuse, but theirs
    sides.ours.cells[2][2] = 1;
    sides.theirs.cells[2][2] = empty_tile;
    sides.ours.time_allowed = 60;
    sides.theirs.time_allowed = 120;
    sides.ours.mark_col = 1;
    sides.theirs.mark_row = 2;
    sides.ours.cells[0][0] = 5;    // only ours changed
    sides.theirs.cells[9][9] = 8;  // only theirs changed
    merge_result merge = merge_areas(&*sides.base, sides.ours, sides.theirs);
    ASSERT_EQ(merge.conflicts.size(), 4u);

    std::string text = write_merge_text(sides, merge, "hall.ard");
    for (const char *line : {"\n# conflict: mark: base column 0, row 0, ours column 1, row 0, theirs column 0, row 2\n",
                             "\n# conflict: time allowed: base 90, ours 60, theirs 120\n",
                             "\n# conflict: name: base hall, ours a\\x7cb, theirs ca ve\n",
                             "\n# conflict: cell at column 2, row 2: base 0, ours 1, theirs .\n",
                             "\nname: a\\x7cb|ca ve\n", "\nafter the name: 00 00 00 00\n",
                             "\nmark: column 1, row 0|column 0, row 2\n", "\ntime allowed: 60|120\n",
                             "\nrow 0: 5 . . . . . . . . .\n", "\nrow 2: . . 1|. . . . . . . .\n",
                             "\nrow 9: . . . . . . . . . 8\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
    area_record read{};
    std::vector<text_problem> problems = read_area_text(text, merge.merged, read, &sides.theirs);
    ASSERT_EQ(problems.size(), 4u);
    for (const text_problem &problem : problems)
        EXPECT_NE(problem.why.find(" still holds both sides, "), std::string::npos) << problem.why;

    ASSERT_EQ(read_area_text(settled(text, false), merge.merged, read, &sides.theirs).size(), 0u) << settled(text, false);
    EXPECT_EQ(std::memcmp(&read, &merge.merged, sizeof read), 0);
    area_record theirs_kept = merge_areas(&*sides.base, sides.theirs, sides.ours).merged;
    ASSERT_EQ(read_area_text(settled(text, true), merge.merged, read, &sides.theirs).size(), 0u) << settled(text, true);
    EXPECT_EQ(std::memcmp(&read, &theirs_kept, sizeof read), 0);

    // Without a base, every value that differs is a conflict.
    sides.base.reset();
    merge = merge_areas(nullptr, sides.ours, sides.theirs);
    EXPECT_EQ(merge.conflicts.size(), 6u);
    EXPECT_NE(write_merge_text(sides, merge, "hall.ard").find("\n# conflict: cell at column 9, row 9: base none, ours ., theirs 8\n"),
              std::string::npos);
}

// An entry of the review of kind, as review makes one.
review_entry review_of(std::string path, review_kind kind)
{
    review_entry entry;
    entry.path = std::move(path);
    entry.kind = kind;
    entry.in_old = kind != review_kind::added;
    entry.in_new = kind != review_kind::removed;
    if (kind == review_kind::trouble)
        entry.troubles = {"new: only 11 of the 420 bytes of an area"};
    if (has_picture(entry))
        entry.width = entry.height = 350;
    return entry;
}

TEST(review_page, counts_each_kind_and_gives_a_section_only_to_those_it_has)
{
    constexpr review_kind kinds[] = {review_kind::changed, review_kind::added, review_kind::removed,
                                     review_kind::unchanged, review_kind::trouble};
    constexpr const char *sections[] = {"<h2>Changed</h2>", "<h2>Added</h2>", "<h2>Removed</h2>",
                                        "<h2>Unchanged</h2>", "<h2>Not areas</h2>"};
    struct row {
        std::array<int, 5> count;  // of each of kinds
        std::string counts;
    };
    for (const row &r : {
             row{{1, 1, 1, 1, 1}, "1 changed, 1 added, 1 removed, 1 unchanged, 1 file that is not an area"},
             row{{2, 0, 3, 1, 0}, "2 changed, 0 added, 3 removed, 1 unchanged"},
             row{{0, 4, 0, 0, 2}, "0 changed, 4 added, 0 removed, 0 unchanged, 2 files that are not areas"},
         }) {
        std::vector<review_entry> entries;
        for (std::size_t k = 0; k < std::size(kinds); ++k)
            for (int i = 0; i < r.count[k]; ++i)
                entries.push_back(review_of("area" + std::to_string(entries.size()) + ".ard", kinds[k]));
        std::string page = review_page("old", "new", entries);
        EXPECT_NE(page.find("<title>Review of areas: " + r.counts + "</title>"), std::string::npos) << r.counts;
        EXPECT_NE(page.find("<p class=\"counts\">" + r.counts + "</p>"), std::string::npos) << r.counts;
        for (std::size_t k = 0; k < std::size(kinds); ++k)
            EXPECT_EQ(page.find(sections[k]) != std::string::npos, r.count[k] > 0) << r.counts << sections[k];
    }
}

TEST(review_page, every_name_is_escaped_and_every_picture_linked_inside_its_folder)
{
    std::string odd = "a\"<b>&'\x1b.ard";
    review_entry added = review_of("rooms/" + odd, review_kind::added);
    review_entry trouble = review_of(odd, review_kind::trouble);
    trouble.troubles = {"new: <b>&\"x\""};
    std::string page = review_page("old\"", "<new>", {added, trouble});
    std::string shown = "a&quot;&lt;b&gt;&amp;'\\x1b.ard";
    for (const std::string &markup : std::vector<std::string>{
             "<h1>Areas of &lt;new&gt; against old&quot;</h1>",
             "<h3>rooms/" + shown + "</h3>",
             "<img src=\"./rooms/a%22%3Cb%3E%26%27%1B.ard.png\" width=\"350\" height=\"350\" alt=\"rooms/" + shown
                 + ": added\" loading=\"lazy\">",
             "<h3 class=\"trouble\">" + shown + "</h3>",
             "<li>new: &lt;b&gt;&amp;&quot;x&quot;</li>",
         })
        EXPECT_NE(page.find(markup), std::string::npos) << markup << "\n" << page;
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_EQ(page.find("<script"), std::string::npos);

    for (auto [path, link] : {std::pair{"rooms/hall.ard.png", "./rooms/hall.ard.png"},
                              {"a b?c#d%e.png", "./a%20b%3Fc%23d%25e.png"},
                              {"javascript:x.png", "./javascript%3Ax.png"},
                              {"caf\xc3\xa9~-_.png", "./caf%C3%A9~-_.png"}})
        EXPECT_EQ(link_to(path), link) << path;
}

}  // namespace
