// Files, names and the program's own location on Windows: the steps on
// files that replace.cpp puts together into replacing and creating them,
// with MoveFileExW for a move (written through to disk) and a hard link for
// a second name, and reading and writing through the C library's
// descriptors. Start reading at make_temporary_file().
//
// This file holds all of the programs' <windows.h>: the graphics library's
// header defines a BITMAP of its own that clashes with it.

#include "platform/file_steps.h"
#include "platform/platform.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
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

// What a call that returns nonzero when it worked says.
std::string outcome_of(BOOL worked)
{
    return worked ? std::string{} : last_error();
}

}  // namespace

std::string make_temporary_file(const std::string &prefix, int &fd, std::string &path)
{
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    std::uint32_t seed = static_cast<std::uint32_t>(now.QuadPart) ^ ::GetCurrentProcessId();
    for (int attempt = 0; attempt < temporary_name_tries; ++attempt) {
        std::string name = prefix + std::to_string((seed + static_cast<std::uint32_t>(attempt) * 7919u) % 1000000u);
        // Others may open it too: areatool's PNG writer opens it again by name.
        HANDLE file = ::CreateFileW(wide(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return last_error();
        }
        int opened = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_RDWR | _O_BINARY);
        if (opened < 0) {
            ::CloseHandle(file);
            ::DeleteFileW(wide(name).c_str());
            return "cannot open the temporary file";
        }
        fd = opened;
        path = std::move(name);
        return {};
    }
    return "no free name for a temporary file";
}

std::string sync_file(int fd)
{
    return outcome_of(::FlushFileBuffers(reinterpret_cast<HANDLE>(::_get_osfhandle(fd))));
}

std::string close_file(int fd)
{
    return ::_close(fd) == 0 ? std::string{} : "cannot close the temporary file";
}

std::string keep_aside(const std::string &path, const std::string &name, aside_outcome &outcome)
{
    outcome = aside_outcome::kept;
    if (::CreateHardLinkW(wide(name).c_str(), wide(path).c_str(), nullptr))
        return {};
    DWORD error = ::GetLastError();
    // No old file, or a volume without hard links (FAT): then there is
    // nothing to put back, or no way to.
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_INVALID_FUNCTION
        || error == ERROR_NOT_SUPPORTED) {
        outcome = aside_outcome::not_possible;
        return {};
    }
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        outcome = aside_outcome::name_taken;
        return {};
    }
    return system_message(error);
}

std::string move_file(const std::string &from, const std::string &to)
{
    return outcome_of(
        ::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
}

// Without MOVEFILE_REPLACE_EXISTING the move fails when a file is there.
std::string move_new_file(const std::string &from, const std::string &to)
{
    return outcome_of(::MoveFileExW(wide(from).c_str(), wide(to).c_str(), MOVEFILE_WRITE_THROUGH));
}

std::string remove_file(const std::string &path)
{
    return outcome_of(::DeleteFileW(wide(path).c_str()));
}

// MOVEFILE_WRITE_THROUGH has already put the move on disk.
std::string sync_folder(const std::string &)
{
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

std::string read_at(int fd, std::int64_t offset, void *data, std::size_t size)
{
    if (::_lseeki64(fd, offset, SEEK_SET) != offset)
        return std::strerror(errno);
    int got = ::_read(fd, data, static_cast<unsigned>(size));
    if (got < 0)
        return std::strerror(errno);
    return got == static_cast<int>(size) ? "" : file_ends_early;
}

std::string file_size(int fd, std::int64_t &size)
{
    size = ::_filelengthi64(fd);
    return size < 0 ? std::strerror(errno) : "";
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
std::string system_name_problem(std::string_view name)
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
    return windows_editor;
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
