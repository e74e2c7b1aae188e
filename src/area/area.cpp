// The area record and its file: load_area and save_area move current_area
// to and from disk as one 420-byte block. The rules of changing an area (a
// paint, a new name, a fresh board) are here too, for the editor, the
// console and areatool alike.
//
// A save never overwrites an area file in place: it goes through
// replace_file (platform/), so a failure at any step leaves the old file as
// it was. Start reading at save_area().

#include "area/area.h"
#include "failure/failure.h"
#include "platform/platform.h"
#include "text/text.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

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

void report_save_failure(const std::string &path, const std::string &why)
{
    warn(said_of("cannot save " + path, why));
}

}  // namespace

void paint_cell(area_record &area, cell_position cell, std::int32_t value)
{
    area.cells[cell.col][cell.row] = value;
    if (value == mark_tile) {
        area.mark_col = cell.col;
        area.mark_row = cell.row;
    }
}

void name_area(area_record &area, std::string_view name)
{
    std::size_t length = std::min<std::size_t>(name.size(), max_name_length);
    std::memcpy(area.name.data(), name.data(), length);
    area.name[length] = '\0';
}

void start_area(area_record &area, std::string_view name)
{
    name_area(area, name);
    for (auto &column : area.cells)
        column.fill(empty_tile);
}

bool name_terminated(const area_record &area)
{
    return area_name(area).size() < area.name.size();
}

bool mark_on_board(const area_record &area)
{
    return area.mark_col >= 0 && area.mark_col < board_cols && area.mark_row >= 0
           && area.mark_row < board_rows;
}

std::string_view area_name(const area_record &area)
{
    return {area.name.data(), ::strnlen(area.name.data(), area.name.size())};
}

std::string name_length_problem(std::string_view name)
{
    if (name.size() > static_cast<std::size_t>(max_name_length))
        return "the name is longer than " + std::to_string(max_name_length) + " characters";
    return {};
}

std::string name_problem(std::string_view name)
{
    if (name.empty())
        return "the name is empty";
    if (std::string why = name_length_problem(name); !why.empty())
        return why;
    for (char ch : name) {
        if (ch == '/' || ch == '\\')
            return "the name holds a path separator";
        if (control_byte(ch))
            return "the name holds a control character";
    }
    return system_name_problem(name);
}

namespace {

// Reads one record from f into area. Returns why the file holds none,
// empty when it was read.
std::string read_record(std::FILE *f, area_record &area)
{
    area_record read;
    std::size_t got = std::fread(&read, 1, area_file_size, f);
    if (std::ferror(f))
        return std::strerror(errno);
    if (got < static_cast<std::size_t>(area_file_size))
        return "only " + std::to_string(got) + " of the " + std::to_string(area_file_size) + " bytes of an area";
    area = read;
    return {};
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
    if (std::string why = read_record(file.stream, loaded); !why.empty()) {
        why = "cannot load " + printable(path) + ": " + why;
        fail(std::move(why));
    }
    current_area = loaded;
}

std::string read_area_file(const char *path, area_record &area, bool &longer)
{
    open_file file{std::fopen(path, "rb")};
    if (!file.stream)
        return std::strerror(errno);
    if (std::string why = read_record(file.stream, area); !why.empty())
        return why;
    longer = std::fgetc(file.stream) != EOF;
    return {};
}

void save_area()
{
    std::string_view name = area_name(current_area);
    std::string path = std::string(name) + area_extension;
    if (std::string why = name_problem(name); !why.empty()) {
        report_save_failure(path, why);
        return;
    }
    if (std::string why = write_area_file(path, current_area); !why.empty())
        report_save_failure(path, why);
}

std::string write_area_file(const std::string &path, const area_record &area)
{
    return replace_file(path, [&area](int fd, const std::string &) {
        return write_all(fd, &area, area_file_size);
    });
}

std::string create_area_file(const std::string &path, const area_record &area)
{
    return create_file(path, [&area](int fd, const std::string &) {
        return write_all(fd, &area, area_file_size);
    });
}
