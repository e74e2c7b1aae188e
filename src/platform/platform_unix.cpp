// Files and the program's own location on POSIX systems: the steps on
// files that replace.cpp puts together into replacing and creating them,
// with a rename for a move and a hard link for a second name, and reading
// and writing through descriptors. run_in_child forks, and waits for the
// child on a pipe that only the child holds open, so that its end wakes the
// parent at once. Start reading at make_temporary_file().

#include "platform/file_steps.h"
#include "platform/platform.h"

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>

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

mode_t current_umask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

std::string last_error()
{
    return std::strerror(errno);
}

// What a call that returns 0 when it worked says.
std::string outcome_of(int result)
{
    return result == 0 ? std::string{} : last_error();
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

}  // namespace

std::string make_temporary_file(const std::string &prefix, int &fd, std::string &path)
{
    std::string name = prefix + "XXXXXX";
    int made = ::mkstemp(name.data());
    if (made < 0)
        return last_error();
    // mkstemp makes the file private; give it the mode a plain create would.
    if (::fchmod(made, new_file_mode & ~current_umask()) != 0) {
        std::string why = last_error();
        ::close(made);
        ::unlink(name.c_str());
        return why;
    }
    fd = made;
    path = std::move(name);
    return {};
}

std::string sync_file(int fd)
{
    return outcome_of(::fsync(fd));
}

std::string close_file(int fd)
{
    return outcome_of(::close(fd));
}

std::string keep_aside(const std::string &path, const std::string &name, aside_outcome &outcome)
{
    outcome = aside_outcome::kept;
    if (::link(path.c_str(), name.c_str()) == 0)
        return {};
    // No old file, or a file system without hard links (FAT): then there
    // is nothing to put back, or no way to.
    if (errno == ENOENT || errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK) {
        outcome = aside_outcome::not_possible;
        return {};
    }
    if (errno == EEXIST) {
        outcome = aside_outcome::name_taken;
        return {};
    }
    return last_error();
}

std::string move_file(const std::string &from, const std::string &to)
{
    return outcome_of(::rename(from.c_str(), to.c_str()));
}

// A link fails in one step when a file is at to (the name at from goes
// afterwards). A file system without links (FAT) gets a rename once no
// file is found there.
std::string move_new_file(const std::string &from, const std::string &to)
{
    if (::link(from.c_str(), to.c_str()) == 0) {
        ::unlink(from.c_str());
        return {};
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return last_error();
    struct stat file;
    if (::lstat(to.c_str(), &file) == 0)
        return std::strerror(EEXIST);
    return move_file(from, to);
}

std::string remove_file(const std::string &path)
{
    return outcome_of(::unlink(path.c_str()));
}

// A rename is a change to the folder, and only a sync of the folder puts it
// on disk: without one, a power cut soon after a save can bring the old
// file back.
std::string sync_folder(const std::string &folder)
{
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return last_error();
    int synced = ::fsync(fd);
    int error = errno;
    ::close(fd);
    // EINVAL: a file system that cannot sync folders (some network and
    // FUSE ones), where there is nothing more to be done.
    if (synced != 0 && error != EINVAL)
        return std::strerror(error);
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

std::string read_at(int fd, std::int64_t offset, void *data, std::size_t size)
{
    ssize_t got = ::pread(fd, data, size, static_cast<off_t>(offset));
    if (got < 0)
        return std::strerror(errno);
    return got == static_cast<ssize_t>(size) ? "" : file_ends_early;
}

std::string file_size(int fd, std::int64_t &size)
{
    struct stat file;
    if (::fstat(fd, &file) != 0)
        return std::strerror(errno);
    size = static_cast<std::int64_t>(file.st_size);
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

std::string system_name_problem(std::string_view)
{
    return {};
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
    return posix_editor;
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
