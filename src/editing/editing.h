// An area's text in the user's own text editor until what the editor
// leaves reads as an area: the loop that edit and resolve share. The text
// is in a file of the system's temporary folder, never beside the area.
// Nothing here prints; a failure comes back as its one line.
#pragma once

#include <string>

#include "area/area.h"

// The text file the editor works on, removed however the edit ends unless
// its path is cleared to keep it.
struct temporary_text {
    std::string path;
    temporary_text() = default;
    temporary_text(const temporary_text &) = delete;
    temporary_text &operator=(const temporary_text &) = delete;
    ~temporary_text();
};

enum class edit_end { read, emptied };

// What a text emptied in the editor says, after the file's name.
constexpr const char *emptied_text = "the text was emptied; the file is left as it was";

// Runs $VISUAL, else $EDITOR, else the system's editor on offered, a text
// of the area file at path, in temp, until what it leaves reads as an area
// into edited (read as read_area_text reads it against original and other)
// or is emptied, as end tells. Text that does not read goes back to the
// editor with its problems on top; handed back as it was offered, it
// fails, since the user gave up and a script would never end. Returns why
// the edit failed, in one line, empty when it did not.
std::string edit_until_read(const std::string &path, const std::string &offered, const area_record &original,
                            const area_record *other, temporary_text &temp, area_record &edited, edit_end &end);

// For the line of a save that failed after the edit: keeps the text, the
// user's work, where the editor left it, and returns "the text is kept in
// PATH".
std::string keep_text(temporary_text &temp);
