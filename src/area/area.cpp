// The area record and its file: load_area and save_area move current_area
// to and from disk as one 420-byte block.
//
// A save never overwrites an area file in place: it goes through
// replace_file (platform/), so a failure at any step leaves the old file as
// it was. Start reading at save_area().

#include "area/area.h"
#include "platform/platform.h"

#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include <unistd.h>

area_record current_area{};

namespace {

// A file opened with fopen, closed on every path out.
struct open_file {
    std::FILE *stream;
    ~open_file()
    {
        if (stream)
            std::fclose(stream);
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
    return system_name_problem(name);
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
    if (std::string why = write_area_file(path, current_area); !why.empty())
        report_save_failure(path, why.c_str());
}

namespace {

// Writes the record to a new file that replace_file or create_file puts in place.
const char *write_record(int fd, const area_record &area)
{
    return write_all(fd, &area, area_file_size) ? nullptr : std::strerror(errno);
}

}  // namespace

std::string write_area_file(const std::string &path, const area_record &area)
{
    return replace_file(path, [&area](int fd, const char *) { return write_record(fd, area); });
}

std::string create_area_file(const std::string &path, const area_record &area)
{
    return create_file(path, [&area](int fd, const char *) { return write_record(fd, area); });
}

namespace {

int digit_value(int ch, int base)
{
    int value = std::isdigit(ch) ? ch - '0'
                : std::isxdigit(ch) ? std::tolower(ch) - 'a' + 10
                                    : base;
    return value < base ? value : -1;
}

}  // namespace

std::optional<std::int32_t> scan_number(int first, const std::function<int()> &next, int &stop)
{
    int ch = first;
    bool negative = ch == '-';
    if (ch == '-' || ch == '+')
        ch = next();

    int base = 10;
    bool have_digits = false;
    if (ch == '0') {
        have_digits = true;  // a lone 0 is a number
        base = 8;
        ch = next();
        if (ch == 'x' || ch == 'X') {
            base = 16;
            have_digits = false;  // 0x needs a hex digit after it
            ch = next();
        }
    }

    std::int64_t magnitude = 0;
    bool too_big = false;
    for (int digit; (digit = digit_value(ch, base)) >= 0; ch = next()) {
        have_digits = true;
        magnitude = magnitude * base + digit;
        if (magnitude > std::int64_t{INT32_MAX} + 1) {
            too_big = true;
            magnitude = std::int64_t{INT32_MAX} + 1;
        }
    }
    stop = ch;
    if (!have_digits || too_big || (!negative && magnitude > INT32_MAX))
        return std::nullopt;
    return static_cast<std::int32_t>(negative ? -magnitude : magnitude);
}

std::optional<std::int32_t> parse_number(std::string_view text)
{
    std::size_t at = 0;
    auto next = [&]() -> int {
        return at < text.size() ? static_cast<unsigned char>(text[at++]) : EOF;
    };
    int stop = EOF;
    std::optional<std::int32_t> number = scan_number(next(), next, stop);
    // stop is EOF only once every character was taken.
    return stop == EOF ? number : std::nullopt;
}
