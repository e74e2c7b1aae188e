// Files and the program's own location on POSIX systems. A replacement
// writes a temporary file beside its target, makes sure it is on disk, and
// renames it over the old one, so a failure at any step leaves the old file
// as it was; then it syncs the folder, where the rename itself is kept. A
// replacement of several files keeps each old one under a second name
// until the last is in place, to put them back if a later rename fails. A
// new file that must not replace one is linked into place instead.
// run_in_child forks, and waits for the child on a pipe that only the
// child holds open, so that its end wakes the parent at once.
// Start reading at replace_files().

#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr mode_t new_file_mode = 0666;  // before the umask, as fopen would create it
constexpr int temporary_name_tries = 100;
constexpr const char *folder_not_synced = "the new file is in place, but its folder could not be synced to disk: ";

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

// The signals whose handlers the graphics library sets, and any others
// that end a process: the child takes the system's defaults, so that a
// fault ends it at once instead of running the parent's handler (which
// would talk to the parent's display).
constexpr int ending_signals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP, SIGSYS,
                                  SIGINT, SIGTERM, SIGQUIT, SIGHUP, SIGPIPE, SIGALRM};
constexpr int child_failed_status = 1;

}  // namespace

// Present when the program is built with a sanitizer (the test builds):
// where its reports go.
extern "C" void __sanitizer_set_report_fd(void *fd) __attribute__((weak));

namespace {

[[noreturn]] void run_as_child(const std::function<bool()> &work)
{
    struct sigaction plain {};
    plain.sa_handler = SIG_DFL;
    for (int signal : ending_signals)
        ::sigaction(signal, &plain, nullptr);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    int null = ::open("/dev/null", O_RDWR);
    for (int fd = 0; null >= 0 && fd <= STDERR_FILENO; ++fd)
        ::dup2(null, fd);
    // A sanitizer's report of the fault the child was there to contain goes
    // where its other output goes, not to the parent's report files.
    if (__sanitizer_set_report_fd)
        __sanitizer_set_report_fd(reinterpret_cast<void *>(static_cast<std::intptr_t>(STDERR_FILENO)));
    bool well = false;
    try {
        well = work();
    } catch (...) {
    }
    ::_exit(well ? 0 : child_failed_status);
}

// Waits until every writer of the pipe has closed it (the child has ended)
// or the deadline has passed; returns whether the child ended.
bool wait_for_hangup(int fd, std::chrono::steady_clock::time_point deadline)
{
    for (;;) {
        auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0)
            return false;
        pollfd watch{fd, POLLIN, 0};
        int ready = ::poll(&watch, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready > 0) {
            char scratch[64];
            if (::read(fd, scratch, sizeof scratch) <= 0)
                return true;
        }
    }
}

mode_t current_umask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string folder_of(const std::string &path)
{
    std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// The hidden name beside path that its temporary files start with.
std::string temporary_prefix(const std::string &path)
{
    std::string::size_type slash = path.rfind('/');
    std::string::size_type base = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, base) + "." + path.substr(base) + ".";
}

// Writes the index-th file of a replacement of path into temp, a new
// temporary file beside it, and makes sure it is on disk.
std::string write_temporary(const std::string &path, std::size_t index,
                            const file_writer &write, temporary_file &temp)
{
    temp.path = temporary_prefix(path) + "XXXXXX";
    temp.fd = ::mkstemp(temp.path.data());
    if (temp.fd < 0) {
        int error = errno;
        temp.path.clear();  // nothing was created
        return std::strerror(error);
    }
    // mkstemp makes the file private; give it the mode a plain create would.
    if (::fchmod(temp.fd, new_file_mode & ~current_umask()) != 0)
        return std::strerror(errno);
    if (std::string why = write(index, temp.fd, temp.path); !why.empty())
        return why;
    if (::fsync(temp.fd) != 0)
        return std::strerror(errno);
    int fd = temp.fd;
    temp.fd = -1;
    if (::close(fd) != 0)
        return std::strerror(errno);
    return {};
}

// An old file kept under a second name (a hard link) while its
// replacement is under way; the name is removed again unless the old
// file was put back from it.
struct kept_aside {
    std::string path;  // empty: there was no old file, or the file system keeps no second names
    ~kept_aside()
    {
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

const char *keep_aside(const std::string &path, kept_aside &aside)
{
    for (int attempt = 0; attempt < temporary_name_tries; ++attempt) {
        std::string name = temporary_prefix(path) + "old" + std::to_string(::getpid()) + "-"
                           + std::to_string(attempt);
        if (::link(path.c_str(), name.c_str()) == 0) {
            aside.path = name;
            return nullptr;
        }
        // No old file, or a file system without hard links (FAT): then
        // there is nothing to put back, or no way to.
        if (errno == ENOENT || errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK)
            return nullptr;
        if (errno != EEXIST)
            return std::strerror(errno);
    }
    return "no free name to keep the old file under";
}

// Undoes the move of a new file to path: the old one back, or with none,
// the new one gone.
void put_back(const std::string &path, kept_aside &aside)
{
    if (aside.path.empty()) {
        ::unlink(path.c_str());
    } else if (::rename(aside.path.c_str(), path.c_str()) == 0) {
        aside.path.clear();
    }
}

// Puts the finished temporary file at path unless a file is there: a link
// fails then, in one step (the temporary name goes afterwards). A file
// system without links (FAT) gets a rename once no file is found there.
const char *link_new(temporary_file &temp, const std::string &path)
{
    if (::link(temp.path.c_str(), path.c_str()) == 0)
        return nullptr;
    if (errno != EPERM && errno != EOPNOTSUPP)
        return std::strerror(errno);
    struct stat file;
    if (::lstat(path.c_str(), &file) == 0)
        return std::strerror(EEXIST);
    if (::rename(temp.path.c_str(), path.c_str()) != 0)
        return std::strerror(errno);
    temp.kept = true;
    return nullptr;
}

}  // namespace

std::string replace_files(const std::vector<std::string> &paths, const file_writer &write)
{
    std::vector<temporary_file> temps(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (std::string why = write_temporary(paths[i], i, write, temps[i]); !why.empty())
            return why;
    }
    // Every file but the last is kept aside before it is replaced, so that
    // a later move that fails can put it back.
    std::vector<kept_aside> old(paths.empty() ? 0 : paths.size() - 1);
    for (std::size_t i = 0; i < old.size(); ++i) {
        if (const char *why = keep_aside(paths[i], old[i]))
            return why;
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (::rename(temps[i].path.c_str(), paths[i].c_str()) != 0) {
            int error = errno;
            while (i-- > 0)
                put_back(paths[i], old[i]);
            return std::strerror(error);
        }
        temps[i].kept = true;
    }
    std::vector<std::string> folders;
    for (const std::string &path : paths) {
        std::string folder = folder_of(path);
        if (std::find(folders.begin(), folders.end(), folder) != folders.end())
            continue;
        folders.push_back(folder);
        if (const char *why = sync_folder(folder))
            return std::string(folder_not_synced) + why;
    }
    return {};
}

std::string create_file(const std::string &path, const single_file_writer &write)
{
    temporary_file temp;
    if (std::string why = write_temporary(path, 0, only_file(write), temp); !why.empty())
        return why;
    if (const char *why = link_new(temp, path))
        return why;
    if (const char *why = sync_folder(folder_of(path)))
        return std::string(folder_not_synced) + why;
    return {};
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

std::string write_all(int fd, const void *data, std::size_t size)
{
    auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return std::strerror(errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

bool read_at(int fd, std::int64_t offset, void *data, std::size_t size)
{
    return ::pread(fd, data, size, static_cast<off_t>(offset)) == static_cast<ssize_t>(size);
}

std::int64_t file_size(int fd)
{
    struct stat file;
    return ::fstat(fd, &file) == 0 ? static_cast<std::int64_t>(file.st_size) : -1;
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

std::string run_in_child(const std::function<bool()> &work, std::chrono::milliseconds deadline)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return std::strerror(errno);
    // A SIGCHLD ignored by whoever started the program would leave no
    // status to wait for.
    struct sigaction plain {}, saved {};
    plain.sa_handler = SIG_DFL;
    ::sigaction(SIGCHLD, &plain, &saved);
    auto until = std::chrono::steady_clock::now() + deadline;
    pid_t child = ::fork();
    if (child == 0) {
        ::close(ends[0]);
        run_as_child(work);
    }
    int fork_error = errno;
    ::close(ends[1]);
    bool ended = child > 0 && wait_for_hangup(ends[0], until);
    ::close(ends[0]);
    std::string why;
    if (child < 0) {
        why = std::strerror(fork_error);
    } else {
        if (!ended)
            ::kill(child, SIGKILL);
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        if (!ended)
            why = "did not finish within " + std::to_string(deadline.count()) + " ms";
        else if (WIFSIGNALED(status))
            why = std::string("ended by ") + ::strsignal(WTERMSIG(status));
        else if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
            why = "failed";
    }
    ::sigaction(SIGCHLD, &saved, nullptr);
    return why;
}

std::string create_temporary_file(std::string_view start, std::string_view end, std::string &path)
{
    const char *folder = ::getenv("TMPDIR");
    std::string name = std::string(folder && *folder ? folder : "/tmp") + "/" + std::string(start) + "XXXXXX"
                       + std::string(end);
    int fd = ::mkstemps(name.data(), static_cast<int>(end.size()));  // mode 0600: the text is the user's
    if (fd < 0)
        return std::strerror(errno);
    ::close(fd);
    path = name;
    return {};
}

const char *default_editor()
{
    return "vi";
}

std::string run_editor(const std::string &command, const std::string &path)
{
    // As git runs its editor: the command's own words split by the shell,
    // the file passed on as one argument whatever it holds.
    std::string script = command + " \"$@\"";
    const char *argv[] = {"/bin/sh", "-c", script.c_str(), command.c_str(), path.c_str(), nullptr};
    posix_spawnattr_t attributes;
    ::posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGQUIT);
    ::posix_spawnattr_setsigdefault(&attributes, &defaults);
    ::posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    // A Ctrl-C or Ctrl-\ typed in the editor is the editor's; this
    // program waits on, as a shell does for what it runs. A SIGCHLD
    // ignored by whoever started it would leave no status to wait for.
    struct sigaction ignore {}, plain {}, saved_int {}, saved_quit {}, saved_child {};
    ignore.sa_handler = SIG_IGN;
    plain.sa_handler = SIG_DFL;
    ::sigaction(SIGINT, &ignore, &saved_int);
    ::sigaction(SIGQUIT, &ignore, &saved_quit);
    ::sigaction(SIGCHLD, &plain, &saved_child);
    pid_t child = 0;
    int error = ::posix_spawn(&child, "/bin/sh", nullptr, &attributes, const_cast<char *const *>(argv), environ);
    ::posix_spawnattr_destroy(&attributes);
    int status = 0;
    while (error == 0 && ::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            error = errno;
    }
    ::sigaction(SIGINT, &saved_int, nullptr);
    ::sigaction(SIGQUIT, &saved_quit, nullptr);
    ::sigaction(SIGCHLD, &saved_child, nullptr);
    if (error != 0)
        return std::string("cannot start the shell: ") + std::strerror(error);
    if (WIFSIGNALED(status))
        return std::string("was ended by ") + ::strsignal(WTERMSIG(status));
    int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    // The shell's own statuses for a command it could not find or run.
    if (code == 127)
        return "was not found";
    if (code == 126)
        return "could not be run";
    return code == 0 ? std::string{} : "failed with exit status " + std::to_string(code);
}
