// The user's editor on an area's text: edit_until_read() writes the text
// to a temporary file, runs the editor on it and reads back what it left,
// again and again until that reads as an area or is emptied. Start reading
// at edit_until_read().

#include "editing/editing.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "platform/platform.h"
#include "text/text.h"

namespace {

// $VISUAL, else $EDITOR, else the system's own; an empty one counts as
// none, as git counts it.
std::string editor_command()
{
    for (const char *variable : {"VISUAL", "EDITOR"}) {
        const char *command = std::getenv(variable);
        if (command && *command)
            return command;
    }
    return default_editor();
}

// Text mode, so that a Windows editor gets the line ends it expects.
std::string write_text(const std::string &path, const std::string &text)
{
    std::FILE *file = std::fopen(path.c_str(), "w");
    if (!file)
        return std::strerror(errno);
    bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written)
        return std::strerror(errno);
    return {};
}

// The text as the editor left it, its line ends made plain.
std::string read_text(const std::string &path, std::string &text)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return std::strerror(errno);
    text.clear();
    char block[4096];
    for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;)
        text.append(block, got);
    bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed)
        return "cannot read it back";
    std::string plain;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            plain += text[i];
    }
    text = plain;
    return {};
}

}  // namespace

temporary_text::~temporary_text()
{
    if (!path.empty())
        std::remove(path.c_str());
}

std::string edit_until_read(const std::string &path, const std::string &offered_first, const area_record &original,
                            const area_record *other, temporary_text &temp, area_record &edited, edit_end &end)
{
    std::string editor = editor_command();
    std::string file_name(base_name(path));
    std::string stem = file_name.substr(0, file_name.rfind('.'));
    for (char &ch : stem)  // a name from the file holds any bytes; the temporary's holds only these
        ch = std::isalnum(static_cast<unsigned char>(ch)) || ch == '-' || ch == '_' ? ch : '_';
    if (std::string why = create_temporary_file("areatool-" + stem.substr(0, 16) + "-", ".txt", temp.path);
        !why.empty())
        return said_of("cannot make a temporary file for the text", why);
    for (std::string offered = offered_first;;) {
        std::string text;
        if (std::string why = write_text(temp.path, offered); !why.empty())
            return said_of("cannot write the text to " + temp.path, why);
        if (std::string why = run_editor(editor, temp.path); !why.empty())
            return said_of(path, "the editor '" + editor + "' " + why + "; the file is left as it was");
        if (std::string why = read_text(temp.path, text); !why.empty())
            return said_of("cannot read the text back from " + temp.path, why + "; the file is left as it was");
        if (area_text_empty(text)) {
            end = edit_end::emptied;
            return {};
        }
        std::vector<text_problem> problems = read_area_text(text, original, edited, other);
        if (problems.empty()) {
            end = edit_end::read;
            return {};
        }
        if (text == offered)
            return said_of(path, "the text still does not read as an area; the file is left as it was");
        offered = mark_problems(text, problems);
    }
}

std::string keep_text(temporary_text &temp)
{
    std::string kept = "the text is kept in " + temp.path;
    temp.path.clear();
    return kept;
}
