// What differs between the systems the programs run on, each system's side
// in a file of its own: platform_unix.cpp, display_x11.cpp and sound_alsa.cpp
// on Linux.
#pragma once

#include <functional>
#include <string>

// Replaces the file at path with a new one, written first under a hidden
// temporary name beside it by write (given its open descriptor and path;
// it returns why it failed, or nullptr) and moved into place in one step
// once it is on disk; where the system needs it, the folder is then synced
// too, so that the rename itself survives a power cut. The new file gets
// the mode a plain create would. On failure any old file is left as it was
// and the temporary one is removed. Returns why it failed, empty when the
// file was replaced.
std::string replace_file(const std::string &path,
                         const std::function<const char *(int fd, const char *temp_path)> &write);

// The folder that holds the running program, without a trailing separator;
// empty when it cannot be told.
std::string program_folder();

// Called once a graphics mode is set: makes a lost connection to the
// display end the program with one line instead of hanging it.
void watch_display();

// Called before the sound drivers are installed: keeps the system sound
// library's own error lines (a machine without a sound device gets a
// screenful at every visit) off the console. The program ignores sound
// failures; its own messages and the graphics library's are untouched.
void silence_sound_library();
