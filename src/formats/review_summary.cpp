// The review as GitHub-flavoured Markdown, for a job's summary or the
// body of a comment on the request: the page's counts, a table of the
// areas that changed, then a section for each. Every name is in a code
// span within the table and in HTML blocks outside it, where no Markdown
// is read, so that no name can break the table or add a link, an image or
// a tag. Start reading at review_summary(), then cut_to_limit().

#include <algorithm>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "formats/formats.h"
#include "text/text.h"

namespace {

// text as a code span in a table's cell: fenced with more backquotes than
// any run of them in it, padded where it starts or ends with one or a
// space (the span drops one space each side), and its pipes escaped, which
// the table reads before the span.
std::string table_code(std::string_view name)
{
    std::string text = printable(name);
    std::size_t longest = 0, run = 0;
    for (char ch : text) {
        run = ch == '`' ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    std::string fence(longest + 1, '`');
    bool all_spaces = text.find_first_not_of(' ') == std::string::npos;
    bool padded = !text.empty() && !all_spaces
                  && (text.front() == '`' || text.front() == ' ' || text.back() == '`' || text.back() == ' ');
    std::string span = fence + (padded ? " " : "");
    for (char ch : text)
        span += ch == '|' ? std::string("\\|") : std::string(1, ch);
    return span + (padded ? " " : "") + fence;
}

// name within an HTML block, where Markdown reads nothing.
std::string html_text(std::string_view name)
{
    return markup_escaped(printable(name));
}

std::string kind_word(review_kind kind)
{
    switch (kind) {
    case review_kind::changed: return "changed";
    case review_kind::added: return "added";
    case review_kind::removed: return "removed";
    case review_kind::unchanged: return "unchanged";
    case review_kind::trouble: return "not an area";
    }
    return "";
}

std::string table_row(const review_entry &entry)
{
    bool has_problems = entry.kind == review_kind::changed || entry.kind == review_kind::added;
    std::string differences = entry.kind == review_kind::changed ? std::to_string(entry.differences.size()) : "-";
    std::string problems = has_problems ? std::to_string(entry.problems.size()) : "-";
    return "| " + table_code(entry.path) + " | " + kind_word(entry.kind) + " | " + differences + " | " + problems
           + " |\n";
}

std::string folded_lines(const std::string &title, const std::vector<std::string> &lines)
{
    std::string html = "<details><summary>" + title + "</summary>\n<pre>\n";
    for (const std::string &line : lines)
        html += markup_escaped(line) + "\n";
    return html + "</pre>\n</details>\n";
}

// An area's section, one HTML block; empty when there is nothing to show
// beyond its row of the table.
std::string section(const review_entry &entry, const std::string &image_url)
{
    std::string body;
    if (!image_url.empty())
        body += picture_html(entry, image_url + "/" + uri_escaped(picture_name(entry)));
    if (entry.kind == review_kind::changed) {
        std::vector<std::string> lines;
        for (const area_difference &difference : entry.differences)
            lines.push_back(difference.line);
        body += folded_lines(counted(lines.size(), "difference", "differences"), lines);
    }
    if (!entry.problems.empty()) {
        std::vector<std::string> lines;
        for (const area_problem &problem : entry.problems)
            lines.push_back(problem.line);
        body += folded_lines(counted(lines.size(), "problem", "problems") + " in the new version", lines);
    }
    if (body.empty())
        return {};
    return "<h3><code>" + html_text(entry.path) + "</code> " + kind_word(entry.kind) + "</h3>\n" + body + "\n";
}

// The last line of a summary cut short: how much it leaves out and where
// the whole review is.
std::string cut_line(std::size_t sections_left_out, std::size_t rows_left_out, const summary_place &place)
{
    std::string what = rows_left_out == 0
                           ? "The " + std::string(sections_left_out == 1 ? "section" : "sections") + " of the last "
                                 + counted(sections_left_out, "area", "areas") + " "
                                 + (sections_left_out == 1 ? "is" : "are")
                           : std::string(sections_left_out > 0 ? "Every section and the last " : "The last ")
                                 + counted(rows_left_out, "row", "rows") + " of the table are";
    std::string where;
    if (!place.image_url.empty()) {
        where = "on <a href=\"" + markup_escaped(place.image_url + "/" + review_page_file) + "\">the page</a>";
    } else if (!place.out.empty()) {
        where = "on the page, " + html_text(review_page_file) + " in " + html_text(place.out);
    } else {
        where = "on the page that areatool review writes with --out";
    }
    return "<p><em>" + what + " left out, to keep this summary within " + digits_grouped(summary_limit)
           + " characters: the whole review is " + where + ".</em></p>\n";
}

std::size_t total_size(const std::vector<std::string> &parts, std::size_t count)
{
    std::size_t size = 0;
    for (std::size_t i = 0; i < count; ++i)
        size += parts[i].size();
    return size;
}

// head, then as many of the sections as fit within summary_limit with the
// line that says what is left out; when not even the table fits, as many
// of its rows as do.
std::string cut_to_limit(const std::string &counts, const std::vector<std::string> &rows,
                         const std::vector<std::string> &sections, const summary_place &place)
{
    static constexpr std::string_view table_head = "| Area | Change | Differences | Problems |\n"
                                                   "| --- | --- | ---: | ---: |\n";
    auto head = [&](std::size_t kept_rows) {
        std::string text = counts + "\n";
        if (!rows.empty()) {
            text += "\n" + std::string(table_head);
            for (std::size_t i = 0; i < kept_rows; ++i)
                text += rows[i];
        }
        return text + "\n";
    };
    std::string whole = head(rows.size());
    std::size_t head_size = whole.size();
    if (head_size + total_size(sections, sections.size()) <= summary_limit) {
        for (const std::string &part : sections)
            whole += part;
        return whole;
    }
    for (std::size_t kept = sections.size(); kept-- > 0;) {
        std::string last = cut_line(sections.size() - kept, 0, place);
        if (head_size + total_size(sections, kept) + last.size() <= summary_limit) {
            for (std::size_t i = 0; i < kept; ++i)
                whole += sections[i];
            return whole + last;
        }
    }
    for (std::size_t kept = rows.size(); kept-- > 0;) {
        std::string text = head(kept) + cut_line(sections.size(), rows.size() - kept, place);
        if (text.size() <= summary_limit)
            return text;
    }
    return cut_line(sections.size(), rows.size(), place);
}

}  // namespace

std::string review_summary(const std::vector<review_entry> &entries, const summary_place &place)
{
    std::vector<std::string> rows, sections;
    for (const review_entry &entry : entries) {
        if (entry.kind == review_kind::unchanged)
            continue;
        rows.push_back(table_row(entry));
        if (entry.kind != review_kind::trouble) {
            if (std::string part = section(entry, place.image_url); !part.empty())
                sections.push_back(part);
        }
    }
    return cut_to_limit("**" + review_counts(entries) + "**", rows, sections, place);
}
