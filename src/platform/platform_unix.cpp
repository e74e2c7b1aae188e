// Files and the program's own location on POSIX systems. A replacement
// writes a temporary file beside its target, makes sure it is on disk, and
// renames it over the old one, so a failure at any step leaves the old file
// as it was; then it syncs the folder, where the rename itself is kept.
// Start reading at replace_file().

#include "platform/platform.h"

#include <cerrno>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t new_file_mode = 0666;  // before the umask, as fopen would create it

// The temporary file a replacement writes first: removed again unless it
// was renamed into place.
struct temporary_file {
    std::string path;
    int fd = -1;
    bool kept = false;
    ~temporary_file()
    {
        if (fd >= 0)
            ::close(fd);
        if (!kept && !path.empty())
            ::unlink(path.c_str());
    }
};

// A rename is a change to the folder, and only a sync of the folder puts it
// on disk: without one, a power cut soon after a save can bring the old
// file back. Returns why the sync failed, or nullptr.
const char *sync_folder(const std::string &folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::strerror(errno);
    int synced = ::fsync(fd);
    int error = errno;
    ::close(fd);
    // EINVAL: a file system that cannot sync folders (some network and
    // FUSE ones), where there is nothing more to be done.
    if (synced != 0 && error != EINVAL)
        return std::strerror(error);
    return nullptr;
}

mode_t current_umask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Puts the finished temporary file at path: by a rename, which replaces any
// file there; or, for a new file, by a link, which fails when there is one
// (the temporary name is removed afterwards). A file system without links
// (FAT) gets a rename once no file is found there.
const char *put_in_place(temporary_file &temp, const std::string &path, bool replace)
{
    if (!replace) {
        if (::link(temp.path.c_str(), path.c_str()) == 0)
            return nullptr;
        if (errno != EPERM && errno != EOPNOTSUPP)
            return std::strerror(errno);
        struct stat file;
        if (::lstat(path.c_str(), &file) == 0)
            return std::strerror(EEXIST);
    }
    if (::rename(temp.path.c_str(), path.c_str()) != 0)
        return std::strerror(errno);
    temp.kept = true;
    return nullptr;
}

std::string place_file(const std::string &path,
                       const std::function<const char *(int fd, const char *temp_path)> &write,
                       bool replace)
{
    std::string::size_type slash = path.rfind('/');
    std::string::size_type base = slash == std::string::npos ? 0 : slash + 1;
    temporary_file temp{path.substr(0, base) + "." + path.substr(base) + ".XXXXXX"};
    temp.fd = ::mkstemp(temp.path.data());
    if (temp.fd < 0) {
        int error = errno;
        temp.path.clear();  // nothing was created
        return std::strerror(error);
    }
    // mkstemp makes the file private; give it the mode a plain create would.
    if (::fchmod(temp.fd, new_file_mode & ~current_umask()) != 0)
        return std::strerror(errno);
    if (const char *why = write(temp.fd, temp.path.c_str()))
        return why;
    if (::fsync(temp.fd) != 0)
        return std::strerror(errno);
    int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0)
        return std::strerror(errno);
    if (const char *why = put_in_place(temp, path, replace))
        return why;
    if (const char *why = sync_folder(base == 0 ? "." : path.substr(0, base)))
        return std::string("the new file is in place, but its folder could not be synced to disk: ") + why;
    return {};
}

}  // namespace

std::string replace_file(const std::string &path,
                         const std::function<const char *(int fd, const char *temp_path)> &write)
{
    return place_file(path, write, true);
}

std::string create_file(const std::string &path,
                        const std::function<const char *(int fd, const char *temp_path)> &write)
{
    return place_file(path, write, false);
}

std::string write_problem(const std::string &path)
{
    struct stat file;
    if (::stat(path.c_str(), &file) != 0)
        return {};  // nothing there to keep; the write itself says why it fails
    // access() lets root write anything: the mode says what the owner asked for.
    if ((file.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return "the file is read-only";
    if (::access(path.c_str(), W_OK) != 0)
        return std::strerror(errno);
    return {};
}

std::string program_folder()
{
    char path[PATH_MAX];
    ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) {
        // Without /proc (a chroot, a bare container) the kernel still hands
        // every program the path it was started by; the program never
        // changes its working folder, so a relative one still resolves.
        auto started_as = reinterpret_cast<const char *>(::getauxval(AT_EXECFN));
        if (!started_as || !::realpath(started_as, path))
            return {};
        length = static_cast<ssize_t>(std::strlen(path));
    }
    std::string folder(path, static_cast<std::size_t>(length));
    std::string::size_type slash = folder.rfind('/');
    return slash == std::string::npos ? std::string{} : folder.substr(0, slash == 0 ? 1 : slash);
}

std::size_t last_separator(std::string_view path)
{
    return path.rfind('/');
}

const char *system_name_problem(std::string_view)
{
    return nullptr;
}

bool same_file(const std::string &a, const std::string &b)
{
    struct stat sa, sb;
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev
           && sa.st_ino == sb.st_ino;
}
