// areatool edit: an area as text in the user's own editor, for designers
// who work with a screen reader or simply prefer their editor to the
// window. The text goes to a file in the system's temporary folder; when
// the editor ends, text that reads as an area is saved as a save does,
// and text that does not comes back to the editor with its problems on
// top. The area file is touched only by that one save. Start reading at
// run_edit(), then edit_until_read().

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
#include "tool/command_line.h"

namespace {

// The text file the editor works on, removed however the edit ends.
struct temporary_text {
    std::string path;
    ~temporary_text()
    {
        if (!path.empty())
            std::remove(path.c_str());
    }
};

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

enum class edit_end { read, emptied };

// Runs the editor on the text of area in temp until what it leaves reads
// as an area, into edited, or is emptied, as end tells. Returns why the
// edit failed, in one line, empty when it did not.
std::string edit_until_read(const std::string &path, const area_record &area, temporary_text &temp,
                            area_record &edited, edit_end &end)
{
    std::string editor = editor_command();
    std::string file_name(base_name(path));
    std::string stem = file_name.substr(0, file_name.rfind('.'));
    for (char &ch : stem)  // a name from the file holds any bytes; the temporary's holds only these
        ch = std::isalnum(static_cast<unsigned char>(ch)) || ch == '-' || ch == '_' ? ch : '_';
    if (std::string why = create_temporary_file("areatool-" + stem.substr(0, 16) + "-", ".txt", temp.path);
        !why.empty())
        return said_of("cannot make a temporary file for the text", why);
    std::string offered = write_area_text(area, file_name);
    for (bool first = true;; first = false) {
        std::string text;
        std::string why = write_text(temp.path, offered);
        if (!why.empty())
            return said_of("cannot write the text to " + temp.path, why);
        if (std::string why = run_editor(editor, temp.path); !why.empty())
            return said_of(path, "the editor '" + editor + "' " + why + "; the file is left as it was");
        if (std::string why = read_text(temp.path, text); !why.empty())
            return said_of("cannot read the text back from " + temp.path, why + "; the file is left as it was");
        if (area_text_empty(text)) {
            end = edit_end::emptied;
            return {};
        }
        std::vector<text_problem> problems = read_area_text(text, area, edited);
        if (problems.empty()) {
            end = edit_end::read;
            return {};
        }
        // Left as it came back with its errors: the user gave up, and
        // opening the editor again would never end for a script.
        if (!first && text == offered)
            return said_of(path, "the text still does not read as an area; the file is left as it was");
        offered = mark_problems(text, problems);
    }
}

}  // namespace

int run_edit(const command_line &line)
{
    const std::string &path = line.arguments[0];
    area_record area;
    if (std::string why = read_whole_area(path, area); !why.empty()) {
        report("cannot read " + path, why);
        return status_file_problem;
    }
    // Before the user spends any work on it; the save asks again.
    if (std::string why = write_problem(path); !why.empty()) {
        report("cannot write " + path, why);
        return status_file_problem;
    }
    area_record edited;
    temporary_text temp;
    edit_end end = edit_end::read;
    if (std::string why = edit_until_read(path, area, temp, edited, end); !why.empty())
        return fail_with(why, status_file_problem);
    if (end == edit_end::emptied) {
        std::printf("%s: the text was emptied; the file is left as it was\n", printable(path).c_str());
        return status_fine;
    }
    if (std::memcmp(&edited, &area, sizeof area) == 0) {
        std::printf("%s: unchanged\n", printable(path).c_str());
        return status_fine;
    }
    if (std::string why = write_area_file(path, edited); !why.empty()) {
        // The user's work stays where the editor left it.
        report("cannot write " + path, why + "; the text is kept in " + temp.path);
        temp.path.clear();
        return status_file_problem;
    }
    return status_fine;
}
