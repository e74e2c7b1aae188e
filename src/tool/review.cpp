// areatool review: a static web page of what changed between two folders
// of areas, as git difftool --dir-diff hands them over. Files are paired
// by their paths within the folders; each pair is changed, added, removed,
// unchanged, or trouble when a side is not an area. The page and one
// picture a path go into the out folder, and nothing else there is
// touched; the summary, the same review as Markdown, goes into its own
// file, beside the page or alone. Start reading at run_review(), then
// review_page().

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "formats/formats.h"
#include "pictures/pictures.h"
#include "platform/platform.h"
#include "text/text.h"
#include "tool/command_line.h"

namespace fs = std::filesystem;

namespace {

// The files under folder, by their paths within it, into entries; symbolic
// links to files count as files (git's dir-diff links the working tree's
// side). Returns why the folder could not be read, empty when it was.
std::string list_files(const std::string &folder, bool old_side, std::map<std::string, review_entry> &entries)
{
    std::error_code error;
    if (!fs::is_directory(folder, error))
        return "is not a folder";
    fs::recursive_directory_iterator walk(folder, error), end;
    for (; !error && walk != end; walk.increment(error)) {
        const fs::directory_entry &entry = *walk;
        std::error_code ignored;
        if (entry.is_directory(ignored) || !(entry.is_regular_file(ignored) || entry.is_symlink(ignored)))
            continue;
        std::string path = entry.path().lexically_relative(folder).generic_string();
        review_entry &paired = entries[path];
        paired.path = path;
        (old_side ? paired.in_old : paired.in_new) = true;
    }
    return error ? error.message() : "";
}

// Whether inner is outer or lies within it.
bool within(const std::string &inner, const std::string &outer)
{
    std::error_code error;
    fs::path in = fs::weakly_canonical(inner, error), out = fs::weakly_canonical(outer, error);
    auto rest = in.lexically_relative(out);
    return !error && !rest.empty() && *rest.begin() != "..";
}

// Reads both sides of entry and sorts it by what they hold.
void read_sides(const std::string &old_folder, const std::string &new_folder, const loaded_tiles *check_tiles,
                review_entry &entry)
{
    for (auto [present, folder, area, side] : {std::tuple{entry.in_old, &old_folder, &entry.old_area, "old"},
                                               {entry.in_new, &new_folder, &entry.new_area, "new"}}) {
        if (!present)
            continue;
        std::string path = (fs::path(*folder) / entry.path).string();
        if (std::string why = read_whole_area(path, *area); !why.empty()) {
            report(path, "not an area: " + why);
            entry.troubles.push_back(std::string(side) + ": " + why);
        }
    }
    if (!entry.troubles.empty()) {
        entry.kind = review_kind::trouble;
        return;
    }
    if (entry.in_new) {
        entry.problems = find_problems(entry.new_area, false, [check_tiles](std::int32_t value) {
            return value_drawable(check_tiles ? *check_tiles : loaded_tiles{}, value);
        });
    }
    if (!entry.in_old)
        entry.kind = review_kind::added;
    else if (!entry.in_new)
        entry.kind = review_kind::removed;
    else {
        entry.differences = diff_areas(entry.old_area, entry.new_area);
        entry.kind = entry.differences.empty() ? review_kind::unchanged : review_kind::changed;
    }
}

// Draws entry's picture and writes it into folder; returns why it could not.
std::string write_picture(const std::string &folder, const loaded_tiles &tiles, int scale, review_entry &entry)
{
    owned_bitmap picture;
    std::string why =
        entry.kind == review_kind::changed
            ? draw_difference(entry.old_area, entry.new_area, entry.differences, tiles, scale, picture)
            : draw_board_picture(entry.kind == review_kind::added ? entry.new_area : entry.old_area, tiles, scale,
                                 picture);
    if (!why.empty())
        return why;
    entry.width = picture->w;
    entry.height = picture->h;
    fs::path path = fs::path(folder) / picture_name(entry);
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error)
        return error.message();
    return write_png(path.string(), picture.get());
}

// Writes text into the file at path whole, or leaves what was there.
std::string write_text(const std::string &path, const std::string &text)
{
    return replace_file(path, [&text](int fd, const std::string &) { return write_all(fd, text.data(), text.size()); });
}

// Why the places the review goes to do not do, empty when they do.
std::string place_problem(const command_line &line)
{
    const tool_options &options = line.options;
    if (options.out.empty() && options.summary.empty())
        return std::string(line.command.name) + " needs " + std::string(out_option) + " DIR, "
               + std::string(summary_option) + " FILE or both";
    if (options.out.empty() && !options.image_url.empty())
        return std::string(image_url_option) + " names the pictures that " + std::string(out_option)
               + " writes, and needs it";
    if (options.out.empty())
        return {};
    for (const std::string *folder : {&line.arguments[0], &line.arguments[1]}) {
        if (within(options.out, *folder) || within(*folder, options.out))
            return std::string(line.command.name) + " writes into " + printable(options.out)
                   + ", which must lie outside " + printable(*folder);
    }
    return {};
}

}  // namespace

int run_review(const command_line &line)
{
    const std::string &old_folder = line.arguments[0];
    const std::string &new_folder = line.arguments[1];
    const std::string &out = line.options.out;
    if (std::string why = place_problem(line); !why.empty())
        return refuse_command_line(line.command.name, why);
    std::map<std::string, review_entry> paired;
    for (auto [folder, old_side] : {std::pair{&old_folder, true}, {&new_folder, false}}) {
        if (std::string why = list_files(*folder, old_side, paired); !why.empty()) {
            report(*folder, why);
            return status_trouble;
        }
    }

    // Without a page there is nothing to draw, but check's problems still
    // take the tile set named, as check does.
    owned_tiles drawn;
    bool output_is_input = false;
    std::string why = !out.empty()                     ? start_drawing({line.options.tiles, default_depth, {}, {}},
                                                                       drawn, output_is_input)
                      : !line.options.tiles.empty() ? load_tiles_for_drawing(line.options.tiles, default_depth, drawn)
                                                    : "";
    if (!why.empty())
        return fail_with(why, status_trouble);
    const loaded_tiles *check_tiles = line.options.tiles.empty() ? nullptr : &drawn.tiles;

    std::vector<review_entry> entries;
    int status = status_same;
    for (auto &[path, entry] : paired) {
        read_sides(old_folder, new_folder, check_tiles, entry);
        if (entry.kind == review_kind::trouble)
            status = status_trouble;
        else if (entry.kind != review_kind::unchanged && status == status_same)
            status = status_different;
        entries.push_back(std::move(entry));
    }

    if (!out.empty()) {
        std::error_code error;
        fs::create_directories(out, error);
        if (error)
            why = error.message();
        for (review_entry &entry : entries) {
            if (why.empty() && has_picture(entry)) {
                why = write_picture(out, drawn.tiles, line.options.scale, entry);
                if (!why.empty())
                    why = picture_name(entry) + ": " + why;
            }
        }
        if (why.empty())
            why = write_text((fs::path(out) / review_page_file).string(), review_page(old_folder, new_folder, entries));
        if (!why.empty()) {
            report("cannot write the review into " + out, why);
            return status_trouble;
        }
    }
    if (!line.options.summary.empty()) {
        std::string summary = review_summary(entries, {line.options.image_url, out});
        if (std::string why = write_text(line.options.summary, summary); !why.empty()) {
            report("cannot write the summary into " + line.options.summary, why);
            return status_trouble;
        }
    }
    return status;
}
