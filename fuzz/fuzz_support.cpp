// The shared pieces of the fuzz targets: the wrapped exit, fopen and fclose
// (linked with -Wl,--wrap=exit,--wrap=fopen,--wrap=fclose), the working
// folder, and the console sinks. See fuzz_support.h.

#include "fuzz_support.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>

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
        std::error_code error;
        std::filesystem::remove_all(*folder, error);
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
    std::string folder = make_test_folder(base).string();
    remove_at_exit(folder);
    return folder;
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
