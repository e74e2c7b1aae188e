// The shared pieces of the fuzz targets: the wrapped exit, fopen and fclose
// (linked with -Wl,--wrap=exit,--wrap=fopen,--wrap=fclose), the working
// folder, and the console sinks. See fuzz_support.h.

#include "fuzz_support.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "area/area.h"

std::jmp_buf *exit_landing = nullptr;
int exit_status = 0;

namespace {

constexpr std::size_t max_tracked_files = 16;
std::array<std::FILE *, max_tracked_files> tracked_files{};
std::size_t tracked_count = 0;

void forget_file(std::FILE *file)
{
    auto end = tracked_files.begin() + tracked_count;
    auto at = std::find(tracked_files.begin(), end, file);
    if (at != end) {
        *at = tracked_files[tracked_count - 1];
        --tracked_count;
    }
}

ssize_t write_to_sink(void *cookie, const char *data, std::size_t size)
{
    auto &sink = *static_cast<output_sink *>(cookie);
    sink.written += size;
    if (sink.written > sink.cap) {
        ::dprintf(STDERR_FILENO, "fuzz: endless output on %s: over %zu bytes\n", sink.what, sink.cap);
        std::abort();
    }
    if (sink.kept.size() < sink.keep_limit)
        sink.kept.append(data, std::min(size, sink.keep_limit - sink.kept.size()));
    return static_cast<ssize_t>(size);
}

}  // namespace

extern "C" {

[[noreturn]] void __real_exit(int status);
std::FILE *__real_fopen(const char *path, const char *mode);
int __real_fclose(std::FILE *file);

[[noreturn]] void __wrap_exit(int status)
{
    if (!exit_landing)
        __real_exit(status);  // the fuzzer's own exit, or one outside a run
    exit_status = status;
    std::longjmp(*exit_landing, 1);
}

std::FILE *__wrap_fopen(const char *path, const char *mode)
{
    std::FILE *file = __real_fopen(path, mode);
    if (file && exit_landing) {
        require(tracked_count < max_tracked_files, "more files open at once than tracked");
        tracked_files[tracked_count++] = file;
    }
    return file;
}

int __wrap_fclose(std::FILE *file)
{
    forget_file(file);
    return __real_fclose(file);
}

}  // extern "C"

void close_files_left_open()
{
    while (tracked_count > 0)
        __real_fclose(tracked_files[--tracked_count]);
}

void require_no_files_left_open()
{
    require(tracked_count == 0, "a file opened with fopen was left open");
}

void require(bool ok, const char *what)
{
    if (ok)
        return;
    ::dprintf(STDERR_FILENO, "fuzz: %s\n", what);
    std::abort();
}

void check_exit_is_caught()
{
    std::optional<int> status = run_catching_exit([] { load_area("/nonexistent/fuzz/area.ard"); });
    require(status == EXIT_FAILURE, "load_area's exit did not come back to run_catching_exit");
}

namespace {

std::vector<std::string> private_folders;

void remove_private_folders()
{
    // Newest first: a folder made inside another goes before it.
    for (auto folder = private_folders.rbegin(); folder != private_folders.rend(); ++folder) {
        empty_folder(*folder);
        ::rmdir(folder->c_str());
    }
}

}  // namespace

void remove_at_exit(const std::string &folder)
{
    if (private_folders.empty())
        std::atexit(remove_private_folders);
    private_folders.push_back(folder);
}

std::string make_private_folder()
{
    const char *base = std::getenv("TMPDIR");
    if (!base || !*base)
        base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string folder = std::string(base) + "/areaedit-fuzz-XXXXXX";
    require(::mkdtemp(folder.data()) != nullptr, "cannot make a private folder");
    remove_at_exit(folder);
    return folder;
}

std::vector<std::string> folder_entries(const std::string &folder)
{
    std::vector<std::string> names;
    DIR *dir = ::opendir(folder.c_str());
    require(dir != nullptr, "cannot list the working folder");
    while (dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

void empty_folder(const std::string &folder)
{
    for (const std::string &name : folder_entries(folder)) {
        std::string path = folder + "/" + name;
        // A directory is never made by the code under test; one found here
        // is seeded, and empty.
        if (::unlink(path.c_str()) != 0)
            require(::rmdir(path.c_str()) == 0, "cannot empty the working folder");
    }
}

std::string read_whole_file(const std::string &path)
{
    std::string data;
    int fd = ::open(path.c_str(), O_RDONLY);
    require(fd >= 0, "cannot open a file in the working folder");
    char buffer[4096];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0)
        data.append(buffer, static_cast<std::size_t>(got));
    ::close(fd);
    require(got == 0, "cannot read a file in the working folder");
    return data;
}

void write_whole_file(const std::string &path, const void *data, std::size_t size)
{
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    require(fd >= 0, "cannot create a file in the working folder");
    require(::write(fd, data, size) == static_cast<ssize_t>(size), "cannot write a file in the working folder");
    ::close(fd);
}

std::FILE *open_sink(output_sink &sink)
{
    cookie_io_functions_t functions{};
    functions.write = write_to_sink;
    std::FILE *stream = ::fopencookie(&sink, "w", functions);
    require(stream != nullptr, "cannot open an output sink");
    return stream;
}

std::FILE *open_input(const unsigned char *data, std::size_t size)
{
    static char nothing;
    std::FILE *stream = size > 0 ? ::fmemopen(const_cast<unsigned char *>(data), size, "r")
                                 : ::fmemopen(&nothing, 0, "r");
    require(stream != nullptr, "cannot open the input as a stream");
    return stream;
}

console_redirect::console_redirect(std::FILE *in, std::FILE *out, std::FILE *err)
    : saved_in(stdin), saved_out(stdout), saved_err(stderr)
{
    stdin = in;
    stdout = out;
    stderr = err;
}

console_redirect::~console_redirect()
{
    __real_fclose(stdin);
    __real_fclose(stdout);
    __real_fclose(stderr);
    stdin = saved_in;
    stdout = saved_out;
    stderr = saved_err;
}
