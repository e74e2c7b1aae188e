// Files, names and the program's own location on Windows. A replacement
// writes a temporary file beside its target, flushes it to disk, and moves
// it over the old one in one step with MoveFileExW, so a failure at any
// step leaves the old file as it was. A replacement of several files keeps
// each old one under a second name until the last is in place, to put them
// back if a later move fails. Start reading at replace_files().
//
// This file holds all of the programs' <windows.h>: the graphics library's
// header defines a BITMAP of its own that clashes with it.

#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>

#include <windows.h>

namespace {

constexpr int temporary_name_tries = 100;
constexpr std::size_t max_write = 1u << 30;  // the most one _write takes

// Text in the ANSI code page, as the C library's fopen takes names, made
// wide for the W functions.
std::wstring wide(const std::string &text)
{
    if (text.empty())
        return {};
    int size = ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

// The system's own one-line text for an error code, without its full stop.
std::string system_message(DWORD code)
{
    char *text = nullptr;
    DWORD length = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                        | FORMAT_MESSAGE_IGNORE_INSERTS,
                                    nullptr, code, 0, reinterpret_cast<char *>(&text), 0, nullptr);
    std::string message = length > 0 ? std::string(text, length) : "error " + std::to_string(code);
    if (text)
        ::LocalFree(text);
    while (!message.empty() && (message.back() == '\r' || message.back() == '\n'
                                || message.back() == ' ' || message.back() == '.'))
        message.pop_back();
    return message;
}

std::string last_error()
{
    return system_message(::GetLastError());
}

// The temporary file a replacement writes first: removed again unless it
// was moved into place.
struct temporary_file {
    std::string path;
    int fd = -1;
    bool kept = false;
    ~temporary_file()
    {
        if (fd >= 0)
            ::_close(fd);
        if (!kept && !path.empty())
            ::DeleteFileW(wide(path).c_str());
    }
};

// Creates a new file named prefix plus a suffix no file beside it has; its
// path goes to temp.path, its handle is returned.
HANDLE create_temporary(const std::string &prefix, temporary_file &temp, std::string &why)
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    std::uint32_t seed = static_cast<std::uint32_t>(now.QuadPart) ^ ::GetCurrentProcessId();
    for (int attempt = 0; attempt < temporary_name_tries; ++attempt) {
        std::string path = prefix + std::to_string((seed + static_cast<std::uint32_t>(attempt) * 7919u) % 1000000u);
        // Others may open it too: areatool's PNG writer opens it again by name.
        HANDLE file = ::CreateFileW(wide(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            temp.path = path;
            return file;
        }
        if (::GetLastError() != ERROR_FILE_EXISTS) {
            why = last_error();
            return INVALID_HANDLE_VALUE;
        }
    }
    why = "no free name for a temporary file";
    return INVALID_HANDLE_VALUE;
}

// The hidden name beside path that its temporary files start with.
std::string temporary_prefix(const std::string &path)
{
    std::size_t slash = last_separator(path);
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    return path.substr(0, base) + "." + path.substr(base) + ".";
}

// Writes the index-th file of a replacement of path into temp, a new
// temporary file beside it, and flushes it to disk.
std::string write_temporary(const std::string &path, std::size_t index,
                            const file_writer &write, temporary_file &temp)
{
    std::string why;
    HANDLE file = create_temporary(temporary_prefix(path), temp, why);
    if (file == INVALID_HANDLE_VALUE)
        return why;
    temp.fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_RDWR | _O_BINARY);
    if (temp.fd < 0) {
        ::CloseHandle(file);
        return "cannot open the temporary file";
    }
    if (std::string failed = write(index, temp.fd, temp.path); !failed.empty())
        return failed;
    if (!::FlushFileBuffers(file))
        return last_error();
    int fd = temp.fd;
    temp.fd = -1;
    if (::_close(fd) != 0)
        return "cannot close the temporary file";
    return {};
}

// An old file kept under a second name (a hard link) while its
// replacement is under way; the name is removed again unless the old
// file was put back from it.
struct kept_aside {
    std::string path;  // empty: there was no old file, or the volume keeps no second names
    ~kept_aside()
    {
        if (!path.empty())
            ::DeleteFileW(wide(path).c_str());
    }
};

std::string keep_aside(const std::string &path, kept_aside &aside)
{
    for (int attempt = 0; attempt < temporary_name_tries; ++attempt) {
        std::string name = temporary_prefix(path) + "old" + std::to_string(::GetCurrentProcessId())
                           + "-" + std::to_string(attempt);
        if (::CreateHardLinkW(wide(name).c_str(), wide(path).c_str(), nullptr)) {
            aside.path = name;
            return {};
        }
        DWORD error = ::GetLastError();
        // No old file, or a volume without hard links (FAT): then there is
        // nothing to put back, or no way to.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND
            || error == ERROR_INVALID_FUNCTION || error == ERROR_NOT_SUPPORTED)
            return {};
        if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS)
            return system_message(error);
    }
    return "no free name to keep the old file under";
}

// Undoes the move of a new file to path: the old one back, or with none,
// the new one gone.
void put_back(const std::string &path, kept_aside &aside)
{
    if (aside.path.empty()) {
        ::DeleteFileW(wide(path).c_str());
    } else if (::MoveFileExW(wide(aside.path).c_str(), wide(path).c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        aside.path.clear();
    }
}

}  // namespace

std::string replace_files(const std::vector<std::string> &paths, const file_writer &write)
{
    // Windows refuses to replace a read-only file, but Wine, where the
    // programs are tested, replaces it all the same: asked first, both keep it.
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
        if (std::string why = keep_aside(paths[i], old[i]); !why.empty())
            return why;
    }
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (!::MoveFileExW(wide(temps[i].path).c_str(), wide(paths[i]).c_str(),
                           MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            std::string why = last_error();
            while (i-- > 0)
                put_back(paths[i], old[i]);
            return why;
        }
        temps[i].kept = true;
    }
    return {};
}

std::string create_file(const std::string &path, const single_file_writer &write)
{
    temporary_file temp;
    if (std::string why = write_temporary(path, 0, only_file(write), temp); !why.empty())
        return why;
    // Without MOVEFILE_REPLACE_EXISTING the move fails when a file is there.
    if (!::MoveFileExW(wide(temp.path).c_str(), wide(path).c_str(), MOVEFILE_WRITE_THROUGH))
        return last_error();
    temp.kept = true;
    return {};
}

std::string write_problem(const std::string &path)
{
    DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return system_message(ERROR_ACCESS_DENIED);
    return {};
}

std::string write_all(int fd, const void *data, std::size_t size)
{
    auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        unsigned part = static_cast<unsigned>(std::min<std::size_t>(size, max_write));
        int written = ::_write(fd, bytes, part);
        if (written < 0)
            return std::strerror(errno);
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return {};
}

bool read_at(int fd, std::int64_t offset, void *data, std::size_t size)
{
    return ::_lseeki64(fd, offset, SEEK_SET) == offset
           && ::_read(fd, data, static_cast<unsigned>(size)) == static_cast<int>(size);
}

std::int64_t file_size(int fd)
{
    return ::_filelengthi64(fd);
}

std::string program_folder()
{
    std::vector<char> path(MAX_PATH);
    for (;;) {
        DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            std::string folder(path.data(), length);
            std::size_t slash = last_separator(folder);
            return slash == std::string::npos ? std::string{} : folder.substr(0, slash);
        }
        path.resize(path.size() * 2);
    }
}

// Windows keeps no connection to a display server that could be lost.
void watch_display() {}

// The library's DirectSound and waveOut drivers print nothing of their own.
void silence_sound_library() {}

std::size_t last_separator(std::string_view path)
{
    return path.find_last_of("/\\");
}

// A name typed at the load prompt may lead through folders: the last part
// is the one that can be a device ("areas\\con" is still the console).
const char *system_name_problem(std::string_view name)
{
    std::size_t slash = last_separator(name);
    return windows_name_problem(slash == std::string_view::npos ? name : name.substr(slash + 1));
}

bool same_file(const std::string &a, const std::string &b)
{
    auto identity = [](const std::string &path, BY_HANDLE_FILE_INFORMATION &info) {
        HANDLE file = ::CreateFileW(wide(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        bool known = ::GetFileInformationByHandle(file, &info) != 0;
        ::CloseHandle(file);
        return known;
    };
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return identity(a, ia) && identity(b, ib) && ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber
           && ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

std::string run_in_child(const std::function<bool()> &work, std::chrono::milliseconds)
{
    return work() ? std::string{} : "failed";
}

std::string create_temporary_file(std::string_view start, std::string_view end, std::string &path)
{
    char folder[MAX_PATH + 1];
    DWORD length = ::GetTempPathA(sizeof folder, folder);
    if (length == 0 || length > MAX_PATH)
        return "cannot tell the temporary folder: " + last_error();
    for (int attempt = 0; attempt < temporary_name_tries; ++attempt) {
        char random[16];
        std::snprintf(random, sizeof random, "%08lx",
                      static_cast<unsigned long>(::GetTickCount() * 2654435761u + ::GetCurrentProcessId() + attempt));
        std::string name = std::string(folder) + std::string(start) + random + std::string(end);
        // CREATE_NEW: never a file someone left there, and never twice.
        HANDLE file = ::CreateFileW(wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            ::CloseHandle(file);
            path = name;
            return {};
        }
        if (::GetLastError() != ERROR_FILE_EXISTS)
            return last_error();
    }
    return "no free name in the temporary folder";
}

const char *default_editor()
{
    return "notepad";
}

std::string run_editor(const std::string &command, const std::string &path)
{
    // Through cmd as git for Windows runs its editor through its shell:
    // /s keeps the line after /c as it is, quotes and all, once the outer
    // pair is gone; /d skips the user's AutoRun commands. cmd waits for a
    // windowed program such as notepad that it runs this way.
    std::wstring line = L"cmd.exe /d /s /c \"" + wide(command) + L" \"" + wide(path) + L"\"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process))
        return "cannot start the command interpreter: " + last_error();
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 1;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    // cmd's own status for a command it cannot find.
    constexpr DWORD not_found = 9009;
    if (code == not_found)
        return "was not found";
    return code == 0 ? std::string{} : "failed with exit status " + std::to_string(code);
}
