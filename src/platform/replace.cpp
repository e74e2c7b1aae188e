// Replacing and creating files, the same on every system, put together from
// the steps each system's file supplies (file_steps.h). A replacement
// writes a temporary file beside its target, makes sure it is on disk, and
// moves it over the old one in one step, so a failure at any step leaves
// the old file as it was; then it syncs the folder, where the system keeps
// the move apart from the file. A replacement of several files keeps each
// old one under a second name until the last is in place, to put them back
// if a later move fails. A new file that must not replace one is moved
// into place only where no file is. Start reading at replace_files().

#include "platform/file_steps.h"
#include "platform/platform.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int aside_name_tries = 100;
constexpr const char *folder_not_synced = "the new file is in place, but its folder could not be synced to disk: ";

// The temporary file a replacement writes first: removed again unless it
// was moved into place.
struct temporary_file {
    std::string path;
    int fd = -1;
    bool kept = false;
    ~temporary_file()
    {
        if (fd >= 0)
            close_file(fd);
        if (!kept && !path.empty())
            remove_file(path);
    }
};

// An old file kept under a second name while its replacement is under
// way; the name is removed again unless the old file was put back from it.
struct kept_aside {
    std::string path;  // empty: there was no old file, or no way to give it a second name
    ~kept_aside()
    {
        if (!path.empty())
            remove_file(path);
    }
};

std::string folder_of(const std::string &path)
{
    std::size_t slash = last_separator(path);
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// The hidden name beside path that its temporary files start with.
std::string temporary_prefix(const std::string &path)
{
    std::size_t slash = last_separator(path);
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, base) + "." + path.substr(base) + ".";
}

// Writes the index-th file of a replacement of path into temp, a new
// temporary file beside it, and makes sure it is on disk.
std::string write_temporary(const std::string &path, std::size_t index, const file_writer &write,
                            temporary_file &temp)
{
    if (std::string why = make_temporary_file(temporary_prefix(path), temp.fd, temp.path); !why.empty())
        return why;
    if (std::string why = write(index, temp.fd, temp.path); !why.empty())
        return why;
    if (std::string why = sync_file(temp.fd); !why.empty())
        return why;
    return close_file(std::exchange(temp.fd, -1));
}

// Keeps the file at path under a free second name beside it, in aside;
// with no file there, or no second names on its file system, aside stays
// empty and there will be nothing to put back.
std::string keep_old_file(const std::string &path, kept_aside &aside)
{
    for (int attempt = 0; attempt < aside_name_tries; ++attempt) {
        std::string name = temporary_prefix(path) + "old" + std::to_string(attempt);
        aside_outcome outcome = aside_outcome::not_possible;
        if (std::string why = keep_aside(path, name, outcome); !why.empty())
            return why;
        if (outcome == aside_outcome::kept)
            aside.path = name;
        if (outcome != aside_outcome::name_taken)
            return {};
    }
    return "no free name to keep the old file under";
}

// Undoes the move of a new file to path: the old one back, or with none,
// the new one gone.
void put_back(const std::string &path, kept_aside &aside)
{
    if (aside.path.empty())
        remove_file(path);
    else if (move_file(aside.path, path).empty())
        aside.path.clear();
}

}  // namespace

std::string replace_files(const std::vector<std::string> &paths, const file_writer &write)
{
    // A new file can be moved over a read-only one (on Linux always, under
    // Wine, where the Windows build is tested, as well), and root may write
    // any file: asked first, a file its owner marked read-only is kept on
    // every system and for every user.
    for (const std::string &path : paths) {
        if (std::string why = write_problem(path); !why.empty())
            return why;
    }
    std::vector<temporary_file> temps(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (std::string why = write_temporary(paths[i], i, write, temps[i]); !why.empty())
            return why;
    }
    // Every file but the last is kept aside before it is replaced, so that
    // a later move that fails can put it back.
    std::vector<kept_aside> old(paths.empty() ? 0 : paths.size() - 1);
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (std::string why = keep_old_file(paths[i], old[i]); !why.empty())
            return why;
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (std::string why = move_file(temps[i].path, paths[i]); !why.empty()) {
            while (i-- > 0)
                put_back(paths[i], old[i]);
            return why;
        }
        temps[i].kept = true;
    }
    std::vector<std::string> folders;
    for (const std::string &path : paths) {
        std::string folder = folder_of(path);
        if (std::find(folders.begin(), folders.end(), folder) != folders.end())
            continue;
        folders.push_back(folder);
        if (std::string why = sync_folder(folder); !why.empty())
            return folder_not_synced + why;
    }
    return {};
}

std::string create_file(const std::string &path, const single_file_writer &write)
{
    temporary_file temp;
    if (std::string why = write_temporary(path, 0, only_file(write), temp); !why.empty())
        return why;
    if (std::string why = move_new_file(temp.path, path); !why.empty())
        return why;
    temp.kept = true;
    if (std::string why = sync_folder(folder_of(path)); !why.empty())
        return folder_not_synced + why;
    return {};
}
