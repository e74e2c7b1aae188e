// What areatool's commands compute, called directly: show's text and its
// JSON object, the problems check finds and the three-way merge with its
// conflicts; the atlas's size against the PNG format's limit; and that the
// help and the parser read the same table. The
// process tests in window/test_areatool*.py keep statuses, files and
// messages.

#include <algorithm>
#include <climits>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/areas.h"
#include "formats/formats.h"
#include "pictures/pictures.h"
#include "tool/command_line.h"

namespace {

std::vector<std::string> lines_of(const std::string &text)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

bool editor_tiles(std::int32_t value)
{
    return value == empty_tile || (value >= 0 && value <= 8);
}

TEST(areatool_show, shows_strange_areas_honestly)
{
    area_record area = empty_area("a\x1b" "bcdefg", 10, 3);
    area.name[7] = 'g';
    area.cells[0][0] = -7;
    area.cells[1][0] = 9;
    area.cells[2][0] = 10;
    area.cells[3][0] = 2147483647;
    std::string text = show_area(area, true);
    std::vector<std::string> lines = lines_of(text);
    EXPECT_EQ(lines[0], "name: a\\x1bbcdefg (not terminated within its 8 bytes)");
    EXPECT_EQ(lines[1], "mark: column 10, row 3 (off the board)");
    EXPECT_NE(lines[3].find("more than 420 bytes"), std::string::npos);
    EXPECT_EQ(lines[6], " 0  ?9??......");
    EXPECT_EQ(text.substr(text.find("0123456789")).find('v'), std::string::npos);
    EXPECT_EQ(text.find_first_of("<>\x1b"), std::string::npos);
}

// The area back from show's JSON, as a script would rebuild it.
area_record area_from_json(const nlohmann::json &object)
{
    area_record area{object["mark"]["column"], object["mark"]["row"], object["time_allowed"],
                     object["columns"].get<decltype(area_record::cells)>(), {}};
    auto name = object["name_bytes"].get<std::array<unsigned char, name_size>>();
    std::memcpy(area.name.data(), name.data(), name_size);
    return area;
}

TEST(areatool_show, json_rebuilds_every_byte_of_an_odd_record_and_names_only_plain_names)
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

TEST(areatool_check, collapses_many_bad_cells_to_a_count)
{
    area_record area = empty_area("all");
    for (auto &column : area.cells)
        column.fill(99);
    std::vector<area_problem> problems = find_problems(area, false, editor_tiles);
    ASSERT_EQ(problems.size(), 11u);
    EXPECT_EQ(problems.back().line, "and 90 more cells the tile set cannot draw");
    EXPECT_FALSE(problems.back().cell);
}

TEST(areatool_merge, one_sided_and_equal_changes_merge_and_two_way_ones_keep_ours)
{
    area_record base = empty_area("hall", 1, 1);
    base.cells[2][2] = 0;
    area_record ours = base, theirs = base;
    ours.cells[2][2] = 1;
    theirs.cells[2][2] = 6;
    ours.cells[0][0] = 5;     // only ours changed
    theirs.time_allowed = 60;  // only theirs changed
    theirs.name = {'d', 'e', 'n', '\0', 'o', 'l', 'd', '\0'};
    ours.cells[5][5] = theirs.cells[5][5] = 7;  // the same change
    theirs.mark_col = 3;

    merge_result result = merge_areas(&base, ours, theirs);
    area_record want = ours;
    want.time_allowed = 60;
    want.name = theirs.name;
    want.mark_col = 3;
    EXPECT_EQ(std::memcmp(&result.merged, &want, sizeof want), 0);
    ASSERT_EQ(result.conflicts.size(), 1u);
    EXPECT_EQ(conflict_line(result.conflicts[0], &base, ours, theirs),
              "cell at column 2, row 2 changed two ways: base 0; ours 1; theirs 6");
}

}  // namespace

// Each row's positionals and options are what its synopsis and option
// lines show, what the completion words offer, and what the parser takes:
// an option's value of its placeholder's form, spaced or after '=', the
// positionals as many as the row allows and no more.
TEST(areatool_atlas, is_refused_only_past_the_png_limit_on_a_side)
{
    // (35 + n * 385) * 16 pixels a side for n columns: 348,617 fit.
    constexpr std::size_t most = 348617;
    struct {
        std::size_t count;
        int columns, scale;
        std::int64_t width, height;
        bool fits;
    } cases[] = {{5000, 0, 1, 27370, 27370, true},
                 {1, 1000, 16, 6160560, 6720, true},
                 {most * most, 0, 16, 2147481280, 2147481280, true},
                 {most * most + 1, 0, 16, 2147487440, 2147481280, false}};
    for (const auto &c : cases) {
        atlas_layout layout = lay_out_atlas(c.count, c.columns);
        EXPECT_EQ(layout.width * c.scale, c.width) << c.count;
        EXPECT_EQ(layout.height * c.scale, c.height) << c.count;
        EXPECT_EQ(atlas_fits_png(layout, c.scale), c.fits) << c.count;
    }
}

TEST(areatool_command_line, help_parser_and_completion_read_the_same_row_for_every_command)
{
    const std::map<std::string_view, std::string> values = {
        {"PATH", "tiles.dat"}, {"N", "2"}, {"BITS", "16"}, {"OUT.png", "out.png"}, {"T", "90"},
        {"C,R=V", "1,2=3"}, {"V", "4"}, {"OLD=NEW", "1=2"}, {"C,R", "1,2"}, {"NAME", "hall"}, {"DIR", "out"},
        {"FORMAT", "sarif"}, {"FILE", "summary.md"}, {"URL", "https://example.org/review"},
        {"ours|theirs", "theirs"}};
    const std::map<word_kind, std::string> kinds = {{word_kind::area, "area"}, {word_kind::png, "png"},
                                                    {word_kind::tsx, "tsx"},   {word_kind::path, "path"},
                                                    {word_kind::folder, "folder"}, {word_kind::choice, "choice"},
                                                    {word_kind::none, "none"}};
    const std::map<arity, std::string> counts = {{arity::one, "one"}, {arity::optional, "optional"},
                                                 {arity::many, "many"}};
    std::string words = completion_words();
    for (const tool_command &command : commands) {
        std::string name(command.name);
        SCOPED_TRACE(name);
        std::string help = command_help(command);
        std::string synopsis = help.substr(0, help.find("\n\n")) + " ";  // a long one goes on a line more
        std::replace(synopsis.begin(), synopsis.end(), '\n', ' ');
        EXPECT_NE(tool_help().find("\n  " + name + " "), std::string::npos);
        EXPECT_NE(words.find("command " + name + "\n"), std::string::npos);
        for (const std::string &line : lines_of(help))
            EXPECT_LE(line.size(), 80u) << line;

        // The fewest positionals the row takes, and the required options.
        std::vector<std::string> least, needed;
        std::string arguments_offered;
        for (const tool_positional &positional : command.positionals) {
            std::string shown(positional.name);
            shown = positional.count == arity::optional ? "[" + shown + "]"
                    : positional.count == arity::many   ? shown + "..."
                                                        : shown;
            EXPECT_NE(synopsis.find(" " + shown + " "), std::string::npos) << shown;
            arguments_offered += "argument " + name + " " + kinds.at(positional.names) + " "
                                 + counts.at(positional.count) + "\n";
            if (positional.count != arity::optional)
                least.push_back(positional.name == "NAME" ? "hall" : "a.ard");
        }
        EXPECT_NE(words.find(arguments_offered), std::string::npos);
        for (const tool_option &option : command.options) {
            bool first_of_group = !option.group.empty() && &option == &*std::find_if(
                command.options.begin(), command.options.end(),
                [&option](const tool_option &other) { return other.group == option.group; });
            if (option.required && (option.group.empty() || first_of_group))
                needed.push_back(std::string(option.name) + "=" + values.at(option.value));
        }
        auto parsed = [&](std::vector<std::string> args, std::vector<std::string> &arguments) {
            args.insert(args.begin(), needed.begin(), needed.end());
            command_line line{command, {}, {}};
            std::string why = parse_arguments(args, line);
            arguments = line.arguments;
            return why;
        };
        std::vector<std::string> arguments;
        EXPECT_EQ(parsed(least, arguments), "");
        EXPECT_EQ(arguments, least);
        bool bounded = std::none_of(command.positionals.begin(), command.positionals.end(),
                                    [](const tool_positional &positional) { return positional.count == arity::many; });
        std::vector<std::string> too_many(command.positionals.size() + 1, "a.ard");
        if (bounded)
            EXPECT_EQ(parsed(too_many, arguments), name + " " + std::string(command.refusal));
        if (!least.empty())
            EXPECT_EQ(parsed({}, arguments), name + " " + std::string(command.refusal));

        std::size_t option_lines = 0;
        for (const std::string &line : lines_of(help))
            option_lines += line.starts_with("  --");
        EXPECT_EQ(option_lines, command.options.size());
        for (const tool_option &option : command.options) {
            bool takes_value = !option.value.empty();
            std::string head = std::string(option.name) + (takes_value ? " " : "") + std::string(option.value);
            SCOPED_TRACE(head);
            EXPECT_NE(help.find("\n  " + head + " "), std::string::npos);
            EXPECT_NE(words.find("option " + name + " " + std::string(option.name) + " "
                                 + (!takes_value ? "switch"
                                    : option.names == word_kind::choice
                                        ? "choice:" + std::string(option.value)
                                        : kinds.at(option.names))
                                 + "\n"),
                      std::string::npos);
            if (option.group.empty()) {
                EXPECT_EQ(synopsis.find("[" + head + "]") != std::string::npos, !option.required);
                EXPECT_NE(synopsis.find(" " + head + " ") != std::string::npos, !option.required);
            } else {
                EXPECT_NE(synopsis.find(" " + std::string(option.group) + "... "), std::string::npos);
            }
            if (!takes_value) {  // a switch: it stands alone
                std::vector<std::string> args = least;
                args.insert(args.begin(), head);
                EXPECT_EQ(parsed(args, arguments), "");  // no command needs a switch
                EXPECT_EQ(arguments, least);
                EXPECT_EQ(parsed({head + "=1"}, arguments), head + " takes no value");
                continue;
            }
            const std::string &value = values.at(option.value);
            std::vector<std::string> spaced = least, joined = least;
            spaced.insert(spaced.end(), {std::string(option.name), value});
            joined.insert(joined.begin(), std::string(option.name) + "=" + value);
            for (const std::vector<std::string> &args : {spaced, joined}) {
                EXPECT_EQ(parsed(args, arguments), "");
                EXPECT_EQ(arguments, least);
            }
        }
        command_line line{command, {}, {}};
        EXPECT_EQ(parse_arguments({"--frob", "1"}, line), "'--frob' is not an option of " + name);
        if (!needed.empty()) {
            command_line bare{command, {}, {}};
            EXPECT_EQ(parse_arguments(least, bare).find(name + " needs "), 0u);
        }
    }
}
