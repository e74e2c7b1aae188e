// The area record: the one area held in memory, its 420-byte file, and the
// rules every change of an area follows.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int board_cols = 10;
constexpr int board_rows = 10;
constexpr int name_size = 8;          // bytes of the name field, terminator included
constexpr int max_name_length = name_size - 1;
constexpr int area_file_size = 420;   // the record, byte for byte
constexpr const char *area_extension = ".ard";

constexpr std::int32_t empty_tile = -1;
constexpr std::int32_t mark_tile = 3;  // painting it moves the mark

// Memory layout and file format are the same bytes: signed 32-bit
// little-endian integers, then the name.
struct area_record {
    std::int32_t mark_col;      // column of the marked cell
    std::int32_t mark_row;      // row of the marked cell
    std::int32_t time_allowed;  // allowed time, as typed at the last save
    std::array<std::array<std::int32_t, board_rows>, board_cols> cells;  // cells[col][row]
    std::array<char, name_size> name;  // zero-terminated; bytes after the zero kept as they are
};

static_assert(std::endian::native == std::endian::little,
              "area files hold little-endian integers; this host would misread them");
static_assert(sizeof(area_record) == area_file_size);
static_assert(offsetof(area_record, mark_col) == 0);
static_assert(offsetof(area_record, mark_row) == 4);
static_assert(offsetof(area_record, time_allowed) == 8);
static_assert(offsetof(area_record, cells) == 12);
static_assert(offsetof(area_record, name) == 412);

extern area_record current_area;  // the area being edited; all zero at start

// A cell of the board.
struct cell_position {
    int col;
    int row;
};

// Sets the cell of area to value; painting mark_tile also moves the mark
// there, and nothing moves it back when that cell changes again.
void paint_cell(area_record &area, cell_position cell, std::int32_t value);

// Gives area a new name as every renaming does: its characters (at most
// max_name_length) and its terminator; the bytes after it are kept.
void name_area(area_record &area, std::string_view name);

// Makes area the board "Start a new area" begins with: named name, every
// cell empty. The mark, the allowed time and the name's bytes after its
// terminator stay as they were.
void start_area(area_record &area, std::string_view name);

// Reads the first 420 bytes of the file at path into current_area. A file
// that cannot be opened ends the program with status 1; a shorter one is
// refused with a message and status 1, leaving current_area untouched.
void load_area(const char *path);

// Writes current_area to its name plus ".ard" in the working folder,
// replacing any old file only once all 420 bytes are on disk. A failure is
// reported on stderr and the old file is left as it was.
void save_area();

// Why name is too long for the name field, empty when it fits.
std::string name_length_problem(std::string_view name);

// Why name cannot be an area's name (one that gives a file in the working
// folder, on this system: see system_name_problem), empty when it can.
std::string name_problem(std::string_view name);

// What every part of the program says of a name it refuses, before why.
constexpr const char *name_refused = "cannot use that name";

// Whether the name ends within its name_size bytes, and what a name that
// does not is said to be.
bool name_terminated(const area_record &area);
inline const std::string name_unterminated =
    "not terminated within its " + std::to_string(name_size) + " bytes";

// Whether the mark lies on the board.
bool mark_on_board(const area_record &area);

// The stored name of area, never read past its name_size bytes.
std::string_view area_name(const area_record &area);

// Reads the file at path into area without ending the program, for tools
// that go through many files. Returns why it is not an area file (it cannot
// be read, or holds fewer than 420 bytes), empty when it was read; longer is
// set when the file holds more than 420 bytes, of which, as load_area does,
// only the first 420 were read. area is untouched on failure.
std::string read_area_file(const char *path, area_record &area, bool &longer);
// What longer means, for a message about the file.
inline const std::string longer_than_area =
    "holds more than the " + std::to_string(area_file_size) + " bytes of an area";

// Writes area to the file at path as save_area does, replacing any old file
// only once all 420 bytes are on disk. Returns why it failed, empty when it
// was written.
std::string write_area_file(const std::string &path, const area_record &area);

// As write_area_file, but a file already at path is never replaced: that
// fails, and the file is left as it was.
std::string create_area_file(const std::string &path, const area_record &area);

