// The area record and its file: load_area and save_area move current_area
// to and from disk as one 420-byte block.
//
// A save never overwrites an area file in place: it writes a temporary file
// beside it, makes sure it is on disk, and renames it over the old one, so a
// failure at any step leaves the old file as it was. Start reading at
// save_area().

#include "area/area.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

area_record current_area{};

namespace {

constexpr mode_t new_file_mode = 0666;  // before the umask, as fopen would create it

// A file opened with fopen, closed on every path out.
struct open_file {
    std::FILE *stream;
    ~open_file()
    {
        if (stream)
            std::fclose(stream);
    }
};

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

[[noreturn]] void refuse_file(const char *path, const char *why)
{
    {
        std::string shown = printable(path);  // freed first: exit runs no destructors of locals
        std::fprintf(stderr, "areaedit: cannot load %s: %s\n", shown.c_str(), why);
    }
    std::exit(EXIT_FAILURE);
}

void report_save_failure(const std::string &path, const char *why)
{
    std::fprintf(stderr, "areaedit: cannot save %s: %s\n", printable(path).c_str(), why);
}

bool write_all(int fd, const void *data, std::size_t size)
{
    auto *bytes = static_cast<const char *>(data);
    while (size > 0) {
        ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

mode_t current_umask()
{
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

// A name read from an area file may hold any bytes: escaped, they cannot
// break the line or act on the terminal.
std::string printable(std::string_view text)
{
    std::string shown;
    for (char ch : text) {
        auto byte = static_cast<unsigned char>(ch);
        if (byte < 0x20 || byte == 0x7f) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02x", byte);
            shown += escape;
        } else {
            shown += ch;
        }
    }
    return shown;
}

std::string_view area_name(const area_record &area)
{
    return {area.name.data(), ::strnlen(area.name.data(), area.name.size())};
}

const char *name_problem(std::string_view name)
{
    if (name.empty())
        return "the name is empty";
    if (name.size() > static_cast<std::size_t>(max_name_length))
        return "the name is longer than 7 characters";
    for (char ch : name) {
        if (ch == '/' || ch == '\\')
            return "the name holds a path separator";
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f)
            return "the name holds a control character";
    }
    return nullptr;
}

namespace {

// Reads one record from f into area. Returns why the file holds none, or
// nullptr. The reason is kept in static storage so that load_area can end
// the program with it in hand: exit frees no locals.
const char *read_record(std::FILE *f, area_record &area)
{
    static char why[64];
    area_record read;
    std::size_t got = std::fread(&read, 1, area_file_size, f);
    if (std::ferror(f))
        return std::strerror(errno);
    if (got < static_cast<std::size_t>(area_file_size)) {
        std::snprintf(why, sizeof why, "only %zu of the 420 bytes of an area", got);
        return why;
    }
    area = read;
    return nullptr;
}

}  // namespace

void load_area(const char *path)
{
    open_file file{std::fopen(path, "rb")};
    if (!file.stream)
        std::exit(EXIT_FAILURE);
    // Read into a copy so that a short file cannot leave current_area half
    // replaced.
    area_record loaded;
    if (const char *why = read_record(file.stream, loaded))
        refuse_file(path, why);
    current_area = loaded;
}

std::string read_area_file(const char *path, area_record &area, bool &longer)
{
    open_file file{std::fopen(path, "rb")};
    if (!file.stream)
        return std::strerror(errno);
    if (const char *why = read_record(file.stream, area))
        return why;
    longer = std::fgetc(file.stream) != EOF;
    return {};
}

void save_area()
{
    std::string_view name = area_name(current_area);
    std::string path = std::string(name) + area_extension;
    if (const char *why = name_problem(name)) {
        report_save_failure(path, why);
        return;
    }
    std::string why = replace_file(path, [](int fd, const char *) -> const char * {
        return write_all(fd, &current_area, area_file_size) ? nullptr : std::strerror(errno);
    });
    if (!why.empty())
        report_save_failure(path, why.c_str());
}

std::string replace_file(const std::string &path,
                         const std::function<const char *(int fd, const char *temp_path)> &write)
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
    if (::close(fd) != 0 || ::rename(temp.path.c_str(), path.c_str()) != 0)
        return std::strerror(errno);
    temp.kept = true;
    return {};
}
