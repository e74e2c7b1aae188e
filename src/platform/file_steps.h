// The small steps on files that each system's file supplies (platform_unix.cpp,
// platform_win.cpp) and replace.cpp puts together into replacing and
// creating files. Only those three files include it. Every step returns
// why it failed, empty when it worked.
#pragma once

#include <string>

// Creates a new file whose name is prefix and a suffix no file beside it
// has, open for reading and writing with the mode a plain create would
// give it; its descriptor goes to fd and its name to path.
std::string make_temporary_file(const std::string &prefix, int &fd, std::string &path);

// Makes sure what was written to the open file fd is on disk.
std::string sync_file(int fd);

std::string close_file(int fd);

// How an attempt to keep a file aside under a second name ended.
enum class aside_outcome {
    kept,         // the name now leads to the file as well
    name_taken,   // some file already has that name: try another
    not_possible  // no file at the path, or its file system keeps no second names
};

// Gives the file at path the second name name (a hard link), so that it
// can be put back once another file has been moved over path. outcome says
// how it went; the why is for anything else.
std::string keep_aside(const std::string &path, const std::string &name, aside_outcome &outcome);

// Moves the file at from over the one at to (or to an empty name) in one
// step, and makes sure the move is on its way to disk as far as the system
// does that per file.
std::string move_file(const std::string &from, const std::string &to);

// Moves the file at from to the name to unless a file has it, in one step
// that fails when one does; no name at from is left either way it worked.
std::string move_new_file(const std::string &from, const std::string &to);

std::string remove_file(const std::string &path);

// Puts a change to the folder (a move) on disk where the system needs
// that done for the folder apart from its files.
std::string sync_folder(const std::string &folder);

