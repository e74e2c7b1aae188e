// What differs between the systems the programs run on, each system's side
// in a file of its own: platform_unix.cpp, display_x11.cpp, retrace_unix.cpp
// and sound_alsa.cpp on Linux, platform_win.cpp and retrace_win.cpp on
// Windows. replace.cpp, which replaces files from the steps each of those
// supplies, and windows_names.cpp are the same everywhere.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What writes the index-th file of a replacement into its temporary file,
// given the file's open descriptor and path: returns why it failed, empty
// when it worked.
using file_writer = std::function<std::string(std::size_t index, int fd, const std::string &temp_path)>;

// Why the file at path must not be replaced although moving a new file
// over it would work: it is read-only by its mode or attribute, even for a
// user (root) whom the system would let write it, or this user may not
// write it. Empty when there is no file there. Every replace asks this of
// its targets; a caller asks ahead only to spare the user work.
std::string write_problem(const std::string &path);


// Replaces the files at paths together, each as replace_file below does:
// none is touched while any of them is refused, all are written and on
// disk before the first is moved into place, and when a move fails, the
// files moved before it are put back as they were (where the file system
// can keep a second name for a file). Returns why it failed, empty when
// every file was replaced.
std::string replace_files(const std::vector<std::string> &paths, const file_writer &write);

// Replaces the file at path with a new one, written first under a hidden
// temporary name beside it by write (given its open descriptor and path;
// it returns why it failed, empty when it worked) and moved into place in
// one step once it is on disk; where the system needs it, the folder is
// then synced too, so that the rename itself survives a power cut. The new
// file gets the mode a plain create would. A file at path that is
// read-only by its mode or attribute (for root as well), or that this user
// may not write, is refused before anything is written. On failure any old
// file is left as it was and the temporary one is removed. Returns why it
// failed, empty when the file was replaced.
using single_file_writer = std::function<std::string(int fd, const std::string &temp_path)>;

// write as the writer of the one file of a replacement.
inline file_writer only_file(const single_file_writer &write)
{
    return [&write](std::size_t, int fd, const std::string &temp_path) { return write(fd, temp_path); };
}

inline std::string replace_file(const std::string &path, const single_file_writer &write)
{
    return replace_files({path}, only_file(write));
}

// Writes all of data to the open file fd. Returns why it could not, empty
// when it did.
std::string write_all(int fd, const void *data, std::size_t size);

// Reads exactly size bytes at offset of the open file fd into data.
// Returns why not (the file holds fewer there, or cannot be read), empty
// when it did.
std::string read_at(int fd, std::int64_t offset, void *data, std::size_t size);
constexpr const char *file_ends_early = "the file ends before what was to be read";

// The size of the open file fd in bytes, into size; why it cannot be told.
std::string file_size(int fd, std::int64_t &size);

// As replace_file, but a file already at path is never replaced: then it
// fails with the system's reason and leaves that file as it was.
std::string create_file(const std::string &path, const single_file_writer &write);

// The folder that holds the running program, without a trailing separator;
// empty when it cannot be told.
std::string program_folder();

// Called once a graphics mode is set: makes a lost connection to the
// display end the program with one line instead of hanging it.
void watch_display();

// The editor's pace, one frame per retrace of the display.
// wait_for_retrace sleeps until the next retrace, at the refresh rate the
// graphics library reports or else 60 Hz. It sleeps, never polls: the
// library's own vsync comes back at once under Wine, and busy-waits in a
// window on many Windows drivers. install_retrace_timer is called once a
// graphics mode is set, remove_retrace_timer before it goes down; on
// Windows they hold the system's timer to its finest tick in between.
void install_retrace_timer();
void wait_for_retrace();
void remove_retrace_timer();

// Called before the sound drivers are installed: keeps the system sound
// library's own error lines (a machine without a sound device gets a
// screenful at every visit) off the console. The program ignores sound
// failures; its own messages and the graphics library's are untouched.
void silence_sound_library();

// Why this system cannot take name (an area's name, or the path to one
// typed at the load prompt) for a file, beyond what every system refuses
// (see name_problem), or empty: on Windows what windows_name_problem
// finds in its last part, elsewhere nothing.
std::string system_name_problem(std::string_view name);

// Why name cannot be used as an area's name on Windows, or empty: a device
// name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1 to COM9, LPT1 to LPT9, in
// any case, with or without an extension), one of < > : " | ? *, or a dot
// or space at the end. The same on every system, so that tools can warn
// of such names anywhere.
std::string windows_name_problem(std::string_view name);

// Where the last folder separator of path is ('/', and on Windows '\\' as
// well), or std::string_view::npos when it has none.
std::size_t last_separator(std::string_view path);

// path's file name, without its folder.
inline std::string_view base_name(std::string_view path)
{
    std::size_t separator = last_separator(path);
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

// Whether the two paths name one existing file.
bool same_file(const std::string &a, const std::string &b);

// Runs work in a child process of its own, so that a fault in it (a crash,
// an abort, a hang) cannot take the program down, and tells how it came
// back: empty when work returned true and the child ended well within
// deadline, else why not (the signal that killed it, its exit status, or
// the deadline it overran; the child is then killed). The child starts with
// the system's default handlers for fatal signals, its standard streams on
// the null device, and leaves with _exit: no exit-time handlers run and no
// buffered output of the parent is written twice. What work changes stays
// in the child. On Windows work runs in this process and the deadline is
// not kept: run it there only where nothing can crash or hang.
std::string run_in_child(const std::function<bool()> &work, std::chrono::milliseconds deadline);

// Makes a new, empty file of this user's alone in the system's temporary
// folder, named from start, some random characters and end, and sets path
// to it. Returns why it could not, empty when it did.
std::string create_temporary_file(std::string_view start, std::string_view end, std::string &path);

// The editor to run when the user names none: vi, or on Windows notepad.
const char *default_editor();
// The editors default_editor gives on each system, for the help.
constexpr const char *posix_editor = "vi";
constexpr const char *windows_editor = "notepad";

// Runs the user's editor command on the file at path and waits for it to
// end. The command goes through the system's shell, as git runs its
// editor, so that it may carry arguments of its own. Returns why it could
// not be started or failed (its exit status, or what ended it), empty
// when it ended well.
std::string run_editor(const std::string &command, const std::string &path);
