// areatool review: a static web page of what changed between two folders
// of areas, as git difftool --dir-diff hands them over. Files are paired
// by their paths within the folders; each pair is changed, added, removed,
// unchanged, or trouble when a side is not an area. The page and one
// picture a path go into the out folder, and nothing else there is
// touched. Start reading at run_review(), then review_page().

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <system_error>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "text/text.h"
#include "tool/drawing.h"
#include "tool/tool.h"

namespace fs = std::filesystem;

namespace {

constexpr const char *page_file = "index.html";
constexpr const char *picture_suffix = ".png";

enum class review_kind { changed, added, removed, unchanged, trouble };

// One path of OLD or NEW, or both.
struct review_entry {
    std::string path;  // within the folders, '/' between its parts
    bool in_old = false, in_new = false;
    area_record old_area{}, new_area{};
    review_kind kind = review_kind::unchanged;
    std::vector<area_difference> differences;  // changed
    std::vector<area_problem> problems;        // of the new version: changed, added
    std::vector<std::string> troubles;         // "old: why", "new: why"
    int width = 0, height = 0;                 // of its picture, if it has one
};

bool has_picture(const review_entry &entry)
{
    return entry.kind == review_kind::changed || entry.kind == review_kind::added
           || entry.kind == review_kind::removed;
}

std::string picture_name(const review_entry &entry)
{
    return entry.path + picture_suffix;
}

// A name from a file or an area, as the page shows it.
std::string shown(std::string_view name)
{
    return markup_escaped(printable(name));
}

// A relative path as a link in the page: every byte but letters, digits,
// "-._~" and '/' as %HH, so that no name can reach outside the folder or
// be read as a scheme, a query or a fragment.
std::string link_to(std::string_view path)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string link;
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                     || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain)
            link += static_cast<char>(c);
        else
            link += std::string{'%', hex[c >> 4], hex[c & 15]};
    }
    // "./" keeps a first part with a colon from being read as a scheme.
    return "./" + link;
}

std::string counted(std::size_t count, std::string_view one, std::string_view many)
{
    return std::to_string(count) + " " + std::string(count == 1 ? one : many);
}

std::string list_items(const std::vector<std::string> &lines)
{
    std::string html = "<ul>\n";
    for (const std::string &line : lines)
        html += "<li>" + markup_escaped(line) + "</li>\n";
    return html + "</ul>\n";
}

std::string problems_html(const review_entry &entry)
{
    if (entry.problems.empty())
        return "<p>check finds no problem in the new version.</p>\n";
    std::vector<std::string> lines;
    for (const area_problem &problem : entry.problems)
        lines.push_back(problem.line);
    return "<p>Problems check finds in the new version:</p>\n" + list_items(lines);
}

std::string picture_html(const review_entry &entry, const std::string &alt)
{
    return "<img src=\"" + markup_escaped(link_to(picture_name(entry))) + "\" width=\"" + std::to_string(entry.width)
           + "\" height=\"" + std::to_string(entry.height) + "\" alt=\"" + shown(entry.path) + ": "
           + markup_escaped(alt) + "\">\n";
}

constexpr const char *page_style = R"(body { font-family: sans-serif; margin: 1em 2em; max-width: none; }
h3 { font-family: monospace; font-size: 1.1em; margin-top: 2em; }
img { display: block; image-rendering: pixelated; }
.counts { font-size: 1.2em; }
.trouble { color: #a00000; }
)";

// The whole page, each section in the order of the paths.
std::string review_page(const std::string &old_folder, const std::string &new_folder,
                        const std::vector<review_entry> &entries)
{
    std::map<review_kind, std::size_t> count;
    for (const review_entry &entry : entries)
        ++count[entry.kind];
    std::string counts = counted(count[review_kind::changed], "changed", "changed") + ", "
                         + counted(count[review_kind::added], "added", "added") + ", "
                         + counted(count[review_kind::removed], "removed", "removed") + ", "
                         + counted(count[review_kind::unchanged], "unchanged", "unchanged");
    if (count[review_kind::trouble] > 0)
        counts += ", " + counted(count[review_kind::trouble], "file that is not an area", "files that are not areas");

    std::string html = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                       "<title>Review of areas: "
                       + counts + "</title>\n<style>\n" + page_style + "</style>\n</head>\n<body>\n"
                       + "<h1>Areas of " + shown(new_folder) + " against " + shown(old_folder) + "</h1>\n"
                       + "<p class=\"counts\">" + counts + "</p>\n";
    auto section = [&](review_kind kind, std::string_view title, auto &&body) {
        if (count[kind] == 0)
            return;
        html += "<h2>" + std::string(title) + "</h2>\n";
        for (const review_entry &entry : entries) {
            if (entry.kind == kind)
                body(entry);
        }
    };
    section(review_kind::trouble, "Not areas", [&](const review_entry &entry) {
        html += "<h3 class=\"trouble\">" + shown(entry.path) + "</h3>\n" + list_items(entry.troubles);
    });
    section(review_kind::changed, "Changed", [&](const review_entry &entry) {
        std::vector<std::string> lines;
        for (const area_difference &difference : entry.differences)
            lines.push_back(difference.line);
        html += "<h3>" + shown(entry.path) + "</h3>\n"
                + picture_html(entry, counted(entry.differences.size(), "difference", "differences"))
                + list_items(lines) + problems_html(entry);
    });
    section(review_kind::added, "Added", [&](const review_entry &entry) {
        html += "<h3>" + shown(entry.path) + "</h3>\n" + picture_html(entry, "added") + problems_html(entry);
    });
    section(review_kind::removed, "Removed", [&](const review_entry &entry) {
        html += "<h3>" + shown(entry.path) + "</h3>\n" + picture_html(entry, "removed");
    });
    if (count[review_kind::unchanged] > 0) {
        html += "<h2>Unchanged</h2>\n<ul>\n";
        for (const review_entry &entry : entries) {
            if (entry.kind == review_kind::unchanged)
                html += "<li>" + shown(entry.path) + "</li>\n";
        }
        html += "</ul>\n";
    }
    return html + "</body>\n</html>\n";
}

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
void read_sides(const std::string &old_folder, const std::string &new_folder, const loaded_tiles &check_tiles,
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
        entry.problems = find_problems(entry.new_area, false, [&check_tiles](std::int32_t value) {
            return value_drawable(check_tiles, value);
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
    owned_bitmap picture =
        entry.kind == review_kind::changed
            ? draw_difference(entry.old_area, entry.new_area, entry.differences, tiles, scale)
            : draw_board_picture(entry.kind == review_kind::added ? entry.new_area : entry.old_area, tiles, scale);
    if (!picture)
        return no_memory_for_picture;
    entry.width = picture->w;
    entry.height = picture->h;
    fs::path path = fs::path(folder) / picture_name(entry);
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    if (error)
        return error.message();
    return write_png(path.string(), picture.get());
}

std::string write_page(const std::string &folder, const std::string &page)
{
    return replace_file((fs::path(folder) / page_file).string(), [&page](int fd, const std::string &) {
        return write_all(fd, page.data(), page.size());
    });
}

}  // namespace

int run_review(const command_line &line)
{
    if (line.files.size() != 2)
        return refuse_arguments(line, "takes two folders, OLD and NEW");
    const std::string &old_folder = line.files[0];
    const std::string &new_folder = line.files[1];
    const std::string &out = line.options.out;
    for (const std::string *folder : {&old_folder, &new_folder}) {
        if (within(out, *folder) || within(*folder, out))
            return refuse_arguments(line, "writes into " + printable(out) + ", which must lie outside "
                                              + printable(*folder));
    }
    std::map<std::string, review_entry> paired;
    for (auto [folder, old_side] : {std::pair{&old_folder, true}, {&new_folder, false}}) {
        if (std::string why = list_files(*folder, old_side, paired); !why.empty()) {
            report(*folder, why);
            return status_trouble;
        }
    }

    std::string tiles = tile_set_to_draw(line.options.tiles);
    if (tiles.empty())
        return status_trouble;
    loaded_tiles drawn;
    if (!start_drawing(default_depth, tiles, drawn))
        return status_trouble;
    // check's problems, with the tile set only when one is named, as check does.
    loaded_tiles check_tiles = line.options.tiles.empty() ? loaded_tiles{} : drawn;

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

    std::string why;
    std::error_code error;
    fs::create_directories(out, error);
    if (error)
        why = error.message();
    for (review_entry &entry : entries) {
        if (why.empty() && has_picture(entry)) {
            why = write_picture(out, drawn, line.options.scale, entry);
            if (!why.empty())
                why = picture_name(entry) + ": " + why;
        }
    }
    if (why.empty())
        why = write_page(out, review_page(old_folder, new_folder, entries));
    unload_tiles(drawn);
    if (!why.empty()) {
        report("cannot write the review into " + out, why);
        return status_trouble;
    }
    return status;
}
