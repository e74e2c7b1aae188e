// review's web page: the counts, then a section for each kind of entry,
// every name from a file or an area escaped, every picture linked by a
// relative path that cannot leave the page's folder. Static: no script, no
// request beyond the pictures beside it. Start reading at review_page().

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "formats/formats.h"
#include "text/text.h"

namespace {

constexpr const char *picture_suffix = ".png";

// A name from a file or an area, as the page shows it.
std::string shown(std::string_view name)
{
    return markup_escaped(printable(name));
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

constexpr const char *page_style = R"(body { font-family: sans-serif; margin: 1em 2em; max-width: none; }
h3 { font-family: monospace; font-size: 1.1em; margin-top: 2em; }
img { display: block; image-rendering: pixelated; }
.counts { font-size: 1.2em; }
.trouble { color: #a00000; }
)";

}  // namespace

bool has_picture(const review_entry &entry)
{
    return entry.kind == review_kind::changed || entry.kind == review_kind::added
           || entry.kind == review_kind::removed;
}

std::string picture_name(const review_entry &entry)
{
    return entry.path + picture_suffix;
}

std::string uri_escaped(std::string_view path)
{
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string escaped;
    for (unsigned char c : path) {
        bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')
                     || c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (plain)
            escaped += static_cast<char>(c);
        else
            escaped += std::string{'%', hex[c >> 4], hex[c & 15]};
    }
    return escaped;
}

std::string link_to(std::string_view path)
{
    // "./" keeps a first part with a colon from being read as a scheme.
    return "./" + uri_escaped(path);
}

// Loaded lazily: a page of thousands of areas opens at once and fetches
// each picture as it comes into view.
std::string picture_html(const review_entry &entry, const std::string &src)
{
    std::string alt = entry.kind == review_kind::changed
                          ? counted(entry.differences.size(), "difference", "differences")
                          : entry.kind == review_kind::added ? "added" : "removed";
    return "<img src=\"" + markup_escaped(src) + "\" width=\"" + std::to_string(entry.width) + "\" height=\""
           + std::to_string(entry.height) + "\" alt=\"" + shown(entry.path) + ": " + markup_escaped(alt)
           + "\" loading=\"lazy\">\n";
}

std::string review_counts(const std::vector<review_entry> &entries)
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
    return counts;
}

// The whole page, each section in the order of the paths.
std::string review_page(const std::string &old_folder, const std::string &new_folder,
                        const std::vector<review_entry> &entries)
{
    std::map<review_kind, std::size_t> count;
    for (const review_entry &entry : entries)
        ++count[entry.kind];
    std::string counts = review_counts(entries);

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
                + picture_html(entry, link_to(picture_name(entry)))
                + list_items(lines) + problems_html(entry);
    });
    section(review_kind::added, "Added", [&](const review_entry &entry) {
        html += "<h3>" + shown(entry.path) + "</h3>\n" + picture_html(entry, link_to(picture_name(entry)))
                + problems_html(entry);
    });
    section(review_kind::removed, "Removed", [&](const review_entry &entry) {
        html += "<h3>" + shown(entry.path) + "</h3>\n" + picture_html(entry, link_to(picture_name(entry)));
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

