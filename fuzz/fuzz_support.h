// What the fuzz targets share: running code that may end the program with
// exit, a private working folder, and sinks that stand in for the console's
// streams; the file helpers of the tests' support/files.h come with it.
// Start reading at run_catching_exit().
#pragma once

#include <csetjmp>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "support/files.h"

// Set while run_catching_exit runs its body: where a call to exit lands.
extern std::jmp_buf *exit_landing;
extern int exit_status;
void close_files_left_open();
void require_no_files_left_open();

// Runs body() and gives the status it passed to exit, or nothing when it
// returned. The C library declares exit as unable to throw, so an exception
// thrown from it ends in std::terminate; a jump back is what works, and it
// is what the program itself does: exit runs no destructors of local objects
// either. What the body opened with fopen and left open is closed, as exit
// would close it; a body that returns must have closed it itself.
template <class body_type>
std::optional<int> run_catching_exit(body_type &&body)
{
    std::jmp_buf landing;
    exit_landing = &landing;
    if (setjmp(landing) != 0) {
        exit_landing = nullptr;
        close_files_left_open();
        return exit_status;
    }
    body();
    exit_landing = nullptr;
    require_no_files_left_open();
    return std::nullopt;
}

// Ends the run as a finding when ok is false; the message goes to the real
// standard error even while stderr is a sink.
void require(bool ok, const char *what);

// Checks once, at start, that the code's own calls to exit come back to
// run_catching_exit instead of ending the fuzzer.
void check_exit_is_caught();

// A new folder of the process's own, in TMPDIR, or else on a memory file
// system when there is one (saves call fsync).
std::string make_private_folder();  // removed again when the fuzzer exits
void remove_at_exit(const std::string &folder);  // a folder made inside one of those

// A stream that counts what is written to it, keeps the first keep_limit
// bytes, and ends the run as a finding past cap bytes (endless output).
struct output_sink {
    output_sink(const char *what, std::size_t cap) : what(what), cap(cap) {}
    const char *what;
    std::size_t cap;
    std::size_t keep_limit = 4096;
    std::size_t written = 0;
    std::string kept;
};
std::FILE *open_sink(output_sink &sink);

// stdin, stdout and stderr replaced by the given streams until destruction,
// which closes them and puts the real ones back.
class console_redirect {
public:
    console_redirect(std::FILE *in, std::FILE *out, std::FILE *err);
    ~console_redirect();
    console_redirect(const console_redirect &) = delete;
    console_redirect &operator=(const console_redirect &) = delete;

private:
    std::FILE *saved_in, *saved_out, *saved_err;
};

// The bytes as a read-only stream (an empty one for no bytes).
std::FILE *open_input(const unsigned char *data, std::size_t size);
