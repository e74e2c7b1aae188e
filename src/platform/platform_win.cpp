// Files, names and the program's own location on Windows. A replacement
// writes a temporary file beside its target, flushes it to disk, and moves
// it over the old one in one step with MoveFileExW, so a failure at any
// step leaves the old file as it was. Start reading at replace_file().
//
// This file holds all of the programs' <windows.h>: the graphics library's
// header defines a BITMAP of its own that clashes with it.

#include "platform/platform.h"

#include <cstdint>
#include <string>
#include <vector>

#include <fcntl.h>
#include <io.h>

#include <windows.h>

namespace {

constexpr int temporary_name_tries = 100;

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

}  // namespace

std::string replace_file(const std::string &path,
                         const std::function<const char *(int fd, const char *temp_path)> &write)
{
    // Windows refuses to replace a read-only file, but Wine, where the
    // programs are tested, replaces it all the same: asked first, both keep it.
    DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        return system_message(ERROR_ACCESS_DENIED);
    std::size_t slash = last_separator(path);
    std::size_t base = slash == std::string::npos ? 0 : slash + 1;
    temporary_file temp;
    std::string why;
    HANDLE file = create_temporary(path.substr(0, base) + "." + path.substr(base) + ".", temp, why);
    if (file == INVALID_HANDLE_VALUE)
        return why;
    temp.fd = ::_open_osfhandle(reinterpret_cast<std::intptr_t>(file), _O_RDWR | _O_BINARY);
    if (temp.fd < 0) {
        ::CloseHandle(file);
        return "cannot open the temporary file";
    }
    if (const char *failed = write(temp.fd, temp.path.c_str()))
        return failed;
    if (!::FlushFileBuffers(file))
        return last_error();
    int fd = temp.fd;
    temp.fd = -1;
    if (::_close(fd) != 0)
        return "cannot close the temporary file";
    if (!::MoveFileExW(wide(temp.path).c_str(), wide(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return last_error();
    temp.kept = true;
    return {};
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
