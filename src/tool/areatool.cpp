// areatool: works on area files from the command line, without a window or
// a display. `show` prints areas as plain text (stable enough to serve git as
// a textconv driver), `render` draws a board into a PNG with the editor's own
// drawing code, `check` says whether files are sound area files, and
// `merge` merges two changed areas three ways, as git's merge driver.
// `tileset` writes the tile pictures as a tile set for the Tiled map editor
// (its extension in tiled/ opens areas with it).
//
// Start reading at main(), then run_show, run_render, run_merge, run_check
// and run_tileset.

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include <allegro.h>
#include <loadpng.h>

#include "area/area.h"
#include "editor/editor.h"
#include "platform/platform.h"

namespace {

constexpr int status_fine = 0;
constexpr int status_file_problem = 1;
constexpr int status_usage = 2;

constexpr int default_scale = 1;
constexpr int max_scale = 16;
constexpr int default_depth = 32;  // keeps the tile pictures' colours exact
constexpr int depths[] = {15, 16, 24, 32};
// The PNG is written from a 24-bit copy: at 32 bits the PNG writer would
// take the unused top byte of each pixel for its opacity, all transparent.
constexpr int png_depth = 24;
constexpr int max_cell_reports = 10;  // per file; the rest are counted

constexpr char empty_cell = '.';
constexpr char unknown_cell = '?';
constexpr const char *column_indent = "    ";  // the width of a row's label and marker

constexpr const char *usage_text =
    "Usage: areatool COMMAND [OPTIONS] FILE...\n"
    "\n"
    "Commands:\n"
    "  show FILE...           print each area as text: name, mark, allowed time\n"
    "                         and the board ('.' empty, 0-9 a tile, '?' other)\n"
    "  render FILE OUT.png    draw the board as the editor does, into a PNG\n"
    "      --tiles PATH       tile set to draw with (default: graphics.dat in\n"
    "                         this folder, else the editor's own)\n"
    "      --scale N          whole-number enlargement, 1 to 16 (default: 1)\n"
    "      --depth BITS       colour depth to draw at: 15, 16, 24 or 32\n"
    "                         (default: 32; the editor shows new areas at 16\n"
    "                         and loaded ones at 15)\n"
    "  check FILE...          report every problem of each file as an area file\n"
    "      --tiles PATH       accept any value that is a bitmap in PATH\n"
    "                         (default: only -1 and 0 to 8)\n"
    "  merge BASE OURS THEIRS [NAME]\n"
    "                         merge two areas changed from BASE (git's merge\n"
    "                         driver: %O %A %B %P), cell by cell and field by\n"
    "                         field, into OURS; each value changed two ways\n"
    "                         keeps ours and is listed, NAME in each line\n"
    "  tileset [OUT.tsx]      write the tile pictures as a Tiled tile set, tile v\n"
    "                         as the editor draws value v: OUT.tsx (default:\n"
    "                         graphics.tsx) and its PNG sheet, OUT.png beside it\n"
    "      --tiles PATH       tile set to draw (default: as for render)\n"
    "\n"
    "  --help                 this text\n"
    "\n"
    "Exit status: 0 all fine; 1 a file could not be read, rendered or written,\n"
    "check found a problem, or merge left conflicts; 2 the command line is\n"
    "wrong.\n";

struct command_line {
    std::string command;
    std::vector<std::string> files;
    std::string tiles;  // empty: not given
    int scale = default_scale;
    int depth = default_depth;
    bool help = false;
};

void report(const std::string &what, const std::string &why)
{
    std::fprintf(stderr, "areatool: %s: %s\n", printable(what).c_str(), why.c_str());
}

// A whole number from min to max written as plain digits, or -1.
int parse_bounded(const std::string &text, int min, int max)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
        return -1;
    int value = std::atoi(text.c_str());
    return value >= min && value <= max ? value : -1;
}

bool takes_option(const std::string &command, const std::string &option)
{
    if (option == "--tiles")
        return command == "render" || command == "check" || command == "tileset";
    return command == "render" && (option == "--scale" || option == "--depth");
}

// Fills line from argv; returns why it is wrong, or an empty string.
std::string parse_command_line(int argc, char **argv, command_line &line)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string &arg : args) {
        if (arg == "--")
            break;
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            return {};
        }
    }
    if (args.empty())
        return "no command given";
    line.command = args[0];
    if (line.command != "show" && line.command != "render" && line.command != "check"
        && line.command != "merge" && line.command != "tileset")
        return "unknown command '" + printable(line.command) + "'";

    bool options_done = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        std::string arg = args[i];
        if (options_done || arg.size() < 2 || arg[0] != '-') {
            line.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            options_done = true;
            continue;
        }
        std::string value;
        bool has_value = false;
        if (auto equals = arg.find('='); equals != std::string::npos) {
            value = arg.substr(equals + 1);
            arg.resize(equals);
            has_value = true;
        }
        if (!takes_option(line.command, arg))
            return "'" + printable(arg) + "' is not an option of " + line.command;
        if (!has_value) {
            if (i + 1 == args.size())
                return arg + " needs a value";
            value = args[++i];
        }
        if (arg == "--tiles") {
            if (value.empty())
                return "--tiles needs a path";
            line.tiles = value;
        } else if (arg == "--scale") {
            line.scale = parse_bounded(value, 1, max_scale);
            if (line.scale < 0)
                return "--scale takes a whole number from 1 to 16, not '" + printable(value) + "'";
        } else {
            line.depth = parse_bounded(value, depths[0], depths[std::size(depths) - 1]);
            bool known = false;
            for (int depth : depths)
                known = known || depth == line.depth;
            if (!known)
                return "--depth takes 15, 16, 24 or 32, not '" + printable(value) + "'";
        }
    }
    if (line.command == "render" && line.files.size() != 2)
        return "render takes one area file and one PNG to write";
    if (line.command == "merge" && line.files.size() != 3 && line.files.size() != 4)
        return "merge takes BASE, OURS and THEIRS, and optionally the name to report";
    if (line.command == "tileset")
        return line.files.size() > 1 ? "tileset takes at most one file to write" : "";
    if (line.files.empty())
        return line.command + " needs at least one area file";
    return {};
}

// ----- show

std::string board_row(const area_record &area, int row)
{
    std::string cells;
    for (int col = 0; col < board_cols; ++col) {
        std::int32_t value = area.cells[col][row];
        if (value == empty_tile)
            cells += empty_cell;
        else if (value >= 0 && value <= 9)
            cells += static_cast<char>('0' + value);
        else
            cells += unknown_cell;
    }
    return cells;
}

bool mark_on_board(const area_record &area)
{
    return area.mark_col >= 0 && area.mark_col < board_cols && area.mark_row >= 0
           && area.mark_row < board_rows;
}

// The name, the mark, the time, then the board with its column numbers
// above and row numbers to the left; 'v' above and '>' '<' beside it point
// at the mark's column and row.
void print_area(const area_record &area, bool longer)
{
    std::string_view name = area_name(area);
    std::printf("name:%s%s%s\n", name.empty() ? "" : " ", printable(name).c_str(),
                name.size() == static_cast<std::size_t>(name_size) ? " (not terminated within its 8 bytes)" : "");
    bool marked = mark_on_board(area);
    std::printf("mark: column %d, row %d%s\n", area.mark_col, area.mark_row,
                marked ? "" : " (off the board)");
    std::printf("time allowed: %d\n", area.time_allowed);
    if (longer)
        std::printf("note: the file holds more than 420 bytes; only the first 420 are the area\n");
    std::printf("\n%s0123456789\n", column_indent);
    if (marked)
        std::printf("%s%*sv\n", column_indent, area.mark_col, "");
    for (int row = 0; row < board_rows; ++row) {
        bool mark_row = marked && row == area.mark_row;
        std::printf("%2d %c%s%s\n", row, mark_row ? '>' : ' ', board_row(area, row).c_str(),
                    mark_row ? "<" : "");
    }
}

int run_show(const std::vector<std::string> &files)
{
    int status = status_fine;
    bool first = true;
    for (const std::string &path : files) {
        area_record area;
        bool longer = false;
        if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
            report("cannot read " + path, why);
            status = status_file_problem;
            continue;
        }
        if (files.size() > 1)
            std::printf("%s==> %s <==\n", first ? "" : "\n", printable(path).c_str());
        first = false;
        print_area(area, longer);
    }
    std::fflush(stdout);
    return status;
}

// ----- the graphics library, for render and for check --tiles

bool start_library(int depth, const std::string &tiles)
{
    if (install_allegro(SYSTEM_NONE, &errno, atexit) != 0) {
        report("cannot start the graphics library", allegro_error);
        return false;
    }
    // Set before the tile set is loaded: its pictures are converted to it.
    set_color_depth(depth);
    if (const char *why = load_tile_set(tiles.c_str())) {
        report("cannot use the tile set " + tiles, why);
        return false;
    }
    return true;
}

// ----- render

std::uint32_t big_endian(const unsigned char *b)
{
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

// save_png reports no failure of its last writes, as on a full disk, and
// leaves the file cut short. So the file is walked: the signature, then
// chunk after chunk, ending with IEND exactly at the end of the file.
bool png_is_whole(int fd)
{
    static constexpr unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    constexpr off_t chunk_frame = 12;  // length, type and CRC around a chunk's data
    struct stat file;
    unsigned char head[8];
    auto read_at = [fd, &head](off_t at) {
        return ::lseek(fd, at, SEEK_SET) == at && ::read(fd, head, sizeof head) == sizeof head;
    };
    if (::fstat(fd, &file) != 0 || !read_at(0) || std::memcmp(head, signature, sizeof signature) != 0)
        return false;
    for (off_t at = sizeof signature; at + chunk_frame <= file.st_size;) {
        if (!read_at(at))
            return false;
        at += chunk_frame + big_endian(head);
        if (std::memcmp(head + 4, "IEND", 4) == 0)
            return at == file.st_size;
    }
    return false;
}

// Writes picture to out, replacing any old file only once the whole PNG is
// on disk.
std::string write_png(const std::string &out, BITMAP *picture)
{
    return replace_file(out, [picture](int fd, const char *temp_path) -> const char * {
        if (save_png(temp_path, picture, nullptr) != 0)
            return "the PNG could not be written";
        if (!png_is_whole(fd))  // the same file, which save_png opened by name
            return "the PNG was cut short (is the disk full?)";
        return nullptr;
    });
}

// Each pixel of from as a scale × scale square of to, which is at
// png_depth whatever from's depth.
void copy_scaled(BITMAP *from, BITMAP *to, int scale)
{
    int depth = bitmap_color_depth(from);
    for (int y = 0; y < from->h; ++y) {
        for (int x = 0; x < from->w; ++x) {
            int c = getpixel(from, x, y);
            rectfill(to, x * scale, y * scale, (x + 1) * scale - 1, (y + 1) * scale - 1,
                     makecol24(getr_depth(depth, c), getg_depth(depth, c), getb_depth(depth, c)));
        }
    }
}

// The tile set to draw with: --tiles, or the one the editor would read.
// Empty, and said why, when there is none.
std::string tile_set_to_draw(const command_line &line)
{
    if (!line.tiles.empty())
        return line.tiles;
    std::string found = find_tile_set();
    if (found.empty())
        report("cannot use the tile set " + std::string(tile_set_file), missing_tile_set());
    return found;
}

int run_render(const command_line &line)
{
    const std::string &path = line.files[0];
    const std::string &out = line.files[1];
    std::string tiles = tile_set_to_draw(line);
    if (tiles.empty())
        return status_file_problem;
    if (same_file(out, path) || same_file(out, tiles)) {
        report(out, "is one of the files to read; choose another PNG to write");
        return status_usage;
    }
    area_record area;
    bool longer = false;
    if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
        report("cannot read " + path, why);
        return status_file_problem;
    }
    if (!start_library(line.depth, tiles))
        return status_file_problem;

    int status = status_file_problem;
    int size = board_size * line.scale;
    BITMAP *board = create_bitmap(board_size, board_size);
    BITMAP *picture = create_bitmap_ex(png_depth, size, size);
    if (!board || !picture) {
        report(out, "not enough memory for the picture");
    } else {
        compose_board(area, board);
        copy_scaled(board, picture, line.scale);
        if (std::string why = write_png(out, picture); !why.empty())
            report("cannot write " + out, why);
        else
            status = status_fine;
    }
    if (picture)
        destroy_bitmap(picture);
    if (board)
        destroy_bitmap(board);
    unload_tile_set();
    return status;
}

// ----- merge

// One value merged three ways: a side that left it as it was in base
// yields to the other, and the same change on both sides is one change.
// Without a base (git's empty BASE for a file added on both sides) only
// equal values agree. Returns false on a conflict, leaving result as ours.
template <typename T>
bool merge_value(const T *base, const T &ours, const T &theirs, T &result)
{
    result = ours;
    if (ours == theirs || (base && theirs == *base))
        return true;
    if (base && ours == *base) {
        result = theirs;
        return true;
    }
    return false;
}

using mark_position = std::array<std::int32_t, 2>;  // column, row: moved as one

mark_position mark_of(const area_record &area)
{
    return {area.mark_col, area.mark_row};
}

// All 8 bytes of the name field, since a merge keeps those after the
// terminator too; trailing zeros are left out.
std::string name_field_text(const std::array<char, name_size> &name)
{
    std::string_view field(name.data(), name.size());
    field = field.substr(0, field.find_last_not_of('\0') + 1);
    return "\"" + printable(field) + "\"";
}

std::string mark_text(const mark_position &mark)
{
    return "column " + std::to_string(mark[0]) + ", row " + std::to_string(mark[1]);
}

// Prints one line for a value changed two ways.
template <typename T, typename Show>
void report_conflict(const std::string &file, const std::string &what, const T *base,
                     const T &ours, const T &theirs, Show show)
{
    std::printf("%s: %s changed two ways: base %s; ours %s; theirs %s\n",
                printable(file).c_str(), what.c_str(), base ? show(*base).c_str() : "none",
                show(ours).c_str(), show(theirs).c_str());
}

// Reads one side of a merge; a file that is not exactly an area is refused.
std::string read_merge_side(const std::string &path, area_record &area)
{
    bool longer = false;
    std::string why = read_area_file(path.c_str(), area, longer);
    if (why.empty() && longer)
        why = "holds more than the 420 bytes of an area";
    return why;
}

bool empty_file(const std::string &path)
{
    struct stat file;
    return ::stat(path.c_str(), &file) == 0 && S_ISREG(file.st_mode) && file.st_size == 0;
}

// git's merge driver: BASE OURS THEIRS [NAME], merged field by field and
// cell by cell into OURS. Conflicts keep our value and are listed.
int run_merge(const command_line &line)
{
    const std::string &base_path = line.files[0];
    const std::string &ours_path = line.files[1];
    const std::string &theirs_path = line.files[2];
    const std::string &shown = line.files.size() > 3 ? line.files[3] : ours_path;

    area_record base_area, ours, theirs;
    bool have_base = !empty_file(base_path);
    for (auto [path, area] : {std::pair{&base_path, &base_area}, {&ours_path, &ours},
                              {&theirs_path, &theirs}}) {
        if (area == &base_area && !have_base)
            continue;
        if (std::string why = read_merge_side(*path, *area); !why.empty()) {
            report("cannot merge " + shown + ": " + *path, why);
            return status_file_problem;
        }
    }
    const area_record *base = have_base ? &base_area : nullptr;

    area_record merged = ours;
    int conflicts = 0;
    auto show_number = [](std::int32_t n) { return std::to_string(n); };
    mark_position base_mark = base ? mark_of(*base) : mark_position{};
    const mark_position *was_mark = base ? &base_mark : nullptr;
    mark_position mark;
    if (!merge_value(was_mark, mark_of(ours), mark_of(theirs), mark)) {
        report_conflict(shown, "mark", was_mark, mark_of(ours), mark_of(theirs), mark_text);
        ++conflicts;
    }
    merged.mark_col = mark[0];
    merged.mark_row = mark[1];
    if (!merge_value(base ? &base->time_allowed : nullptr, ours.time_allowed, theirs.time_allowed,
                     merged.time_allowed)) {
        report_conflict(shown, "time_allowed", base ? &base->time_allowed : nullptr,
                        ours.time_allowed, theirs.time_allowed, show_number);
        ++conflicts;
    }
    if (!merge_value(base ? &base->name : nullptr, ours.name, theirs.name, merged.name)) {
        report_conflict(shown, "name", base ? &base->name : nullptr, ours.name, theirs.name,
                        name_field_text);
        ++conflicts;
    }
    for (int col = 0; col < board_cols; ++col) {
        for (int row = 0; row < board_rows; ++row) {
            const std::int32_t *was = base ? &base->cells[col][row] : nullptr;
            if (!merge_value(was, ours.cells[col][row], theirs.cells[col][row],
                             merged.cells[col][row])) {
                report_conflict(shown, "cell at column " + std::to_string(col) + ", row "
                                           + std::to_string(row),
                                was, ours.cells[col][row], theirs.cells[col][row], show_number);
                ++conflicts;
            }
        }
    }
    std::fflush(stdout);
    if (std::string why = write_area_file(ours_path, merged); !why.empty()) {
        report("cannot write " + ours_path, why);
        return status_file_problem;
    }
    return conflicts > 0 ? status_file_problem : status_fine;
}

// ----- check

// Whether the editor can draw value: as empty, or with a picture of the
// tile set (with none loaded, the tiles every usable tile set has).
bool drawable(std::int32_t value)
{
    if (value == empty_tile)
        return true;
    if (!tile_set)
        return value >= 0 && value < painted_tiles;
    return tile_picture(value) != nullptr;
}

// Prints one line for each problem of area, read from path; returns how
// many there were.
int report_problems(const std::string &path, const area_record &area, bool longer)
{
    std::string shown = printable(path);
    const char *file = shown.c_str();
    int problems = 0;
    if (longer) {
        std::printf("%s: holds more than the 420 bytes of an area\n", file);
        ++problems;
    }
    std::string_view name = area_name(area);
    if (name.size() == static_cast<std::size_t>(name_size)) {
        std::printf("%s: the name is not terminated within its 8 bytes\n", file);
        ++problems;
    } else if (const char *why = name_problem(name)) {
        std::printf("%s: %s\n", file, why);
        ++problems;
    } else if (const char *why_not_on_windows = windows_name_problem(name)) {
        // Usable here, but the area cannot be saved on Windows.
        std::printf("%s: %s\n", file, why_not_on_windows);
        ++problems;
    }
    int bad_cells = 0;
    for (int col = 0; col < board_cols; ++col) {
        for (int row = 0; row < board_rows; ++row) {
            std::int32_t value = area.cells[col][row];
            if (drawable(value))
                continue;
            if (++bad_cells <= max_cell_reports)
                std::printf("%s: cell at column %d, row %d holds %d, which the tile set cannot draw\n",
                            file, col, row, value);
        }
    }
    if (bad_cells > max_cell_reports)
        std::printf("%s: and %d more cells the tile set cannot draw\n", file,
                    bad_cells - max_cell_reports);
    problems += bad_cells;
    if (!mark_on_board(area)) {
        std::printf("%s: the mark (column %d, row %d) is off the board\n", file, area.mark_col,
                    area.mark_row);
        ++problems;
    }
    return problems;
}

int run_check(const command_line &line)
{
    if (!line.tiles.empty() && !start_library(default_depth, line.tiles))
        return status_file_problem;
    int status = status_fine;
    for (const std::string &path : line.files) {
        area_record area;
        bool longer = false;
        if (std::string why = read_area_file(path.c_str(), area, longer); !why.empty()) {
            std::fflush(stdout);  // keeps the lines of both streams in file order
            report("cannot read " + path, why);
            status = status_file_problem;
        } else if (report_problems(path, area, longer) > 0) {
            status = status_file_problem;
        }
    }
    std::fflush(stdout);
    unload_tile_set();
    return status;
}

// ----- tileset

constexpr const char *default_tileset_file = "graphics.tsx";
constexpr std::string_view tileset_extension = ".tsx";
constexpr const char *sheet_extension = ".png";
constexpr int board_cells = board_cols * board_rows;

// The PNG beside a tileset file: its name with .png for .tsx.
std::string sheet_path(const std::string &tsx)
{
    std::string base = tsx;
    if (base.ends_with(tileset_extension))
        base.resize(base.size() - tileset_extension.size());
    return base + sheet_extension;
}

std::string base_name(const std::string &path)
{
    std::size_t slash = last_separator(path);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string xml_escaped(std::string_view text)
{
    std::string escaped;
    for (char ch : text) {
        switch (ch) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += ch;
        }
    }
    return escaped;
}

// The values the tile set pictures: up to its last bitmap entry. The
// library adds entries of its own after the pictures, such as the
// datafile's grabber information.
int pictured_values()
{
    int count = tile_count;
    while (count > 0 && !tile_picture(count - 1))
        --count;
    return count;
}

// Tile v of the sheet, left to right and then down, is what the editor
// draws for a cell holding v: picture or placeholder, on black. A board of
// up to 100 values is composed at a time, on board, and its cells copied
// out through flat, a copy of it at the sheet's depth.
void draw_sheet(BITMAP *sheet, BITMAP *board, BITMAP *flat, int count, int columns)
{
    for (int first = 0; first < count; first += board_cells) {
        area_record area{};
        for (int c = 0; c < board_cols; ++c) {
            for (int r = 0; r < board_rows; ++r) {
                int value = first + board_rows * c + r;
                area.cells[c][r] = value < count ? value : empty_tile;
            }
        }
        compose_board(area, board);
        copy_scaled(board, flat, 1);
        for (int value = first; value < count && value < first + board_cells; ++value) {
            int cell = value - first;
            blit(flat, sheet, cell / board_rows * tile_size, cell % board_rows * tile_size,
                 value % columns * tile_size, value / columns * tile_size, tile_size, tile_size);
        }
    }
}

std::string tileset_text(const std::string &name, const std::string &sheet, int count, int columns,
                         int rows)
{
    char text[1024];
    std::snprintf(text, sizeof text,
                  "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                  "<tileset version=\"1.8\" name=\"%s\" tilewidth=\"%d\" tileheight=\"%d\""
                  " tilecount=\"%d\" columns=\"%d\">\n"
                  " <image source=\"%s\" width=\"%d\" height=\"%d\"/>\n"
                  "</tileset>\n",
                  xml_escaped(name).c_str(), tile_size, tile_size, count, columns,
                  xml_escaped(sheet).c_str(), columns * tile_size, rows * tile_size);
    return text;
}

// The sheet is put in place from within the tileset file's replacement,
// once that file is written whole, and the tileset file right after it: a
// failure at any step before leaves both old files as they were.
std::string write_tileset(const std::string &tsx, const std::string &text, const std::string &png,
                          BITMAP *sheet)
{
    static std::string why;  // outlives the write below, which returns it
    return replace_file(tsx, [&](int fd, const char *) -> const char * {
        if (::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            return "the tile set file could not be written (is the disk full?)";
        why = write_png(png, sheet);
        return why.empty() ? nullptr : why.c_str();
    });
}

bool is_folder(const std::string &path)
{
    struct stat file;
    return ::stat(path.c_str(), &file) == 0 && S_ISDIR(file.st_mode);
}

int run_tileset(const command_line &line)
{
    std::string tsx = line.files.empty() ? default_tileset_file : line.files[0];
    std::string png = sheet_path(tsx);
    std::string tiles = tile_set_to_draw(line);
    if (tiles.empty())
        return status_file_problem;
    for (const std::string &out : {tsx, png}) {
        if (same_file(out, tiles)) {
            report(out, "is the tile set to read; choose another file to write");
            return status_usage;
        }
        // Found before the sheet is replaced, rather than when the
        // tileset file cannot be moved into place after it.
        if (is_folder(out)) {
            report("cannot write " + out, "is a folder");
            return status_file_problem;
        }
    }
    if (!start_library(default_depth, tiles))
        return status_file_problem;

    int status = status_file_problem;
    int count = pictured_values();
    int columns = std::min(count, board_cols);
    int rows = (count + columns - 1) / columns;
    BITMAP *board = create_bitmap(board_size, board_size);
    BITMAP *flat = create_bitmap_ex(png_depth, board_size, board_size);
    BITMAP *sheet = create_bitmap_ex(png_depth, columns * tile_size, rows * tile_size);
    if (!board || !flat || !sheet) {
        report(png, "not enough memory for the picture");
    } else {
        clear_to_color(sheet, makecol_depth(png_depth, 0, 0, 0));
        draw_sheet(sheet, board, flat, count, columns);
        std::string image = base_name(png);
        std::string name = image.substr(0, image.size() - std::strlen(sheet_extension));
        std::string text = tileset_text(name, image, count, columns, rows);
        if (std::string why = write_tileset(tsx, text, png, sheet); !why.empty())
            report("cannot write " + tsx, why);
        else
            status = status_fine;
    }
    for (BITMAP *bitmap : {sheet, flat, board}) {
        if (bitmap)
            destroy_bitmap(bitmap);
    }
    unload_tile_set();
    return status;
}

}  // namespace

int main(int argc, char **argv)
{
    command_line line;
    if (std::string why = parse_command_line(argc, argv, line); !why.empty()) {
        std::fprintf(stderr, "areatool: %s (see areatool --help)\n", why.c_str());
        return status_usage;
    }
    if (line.help) {
        std::fputs(usage_text, stdout);
        return status_fine;
    }
    if (line.command == "show")
        return run_show(line.files);
    if (line.command == "render")
        return run_render(line);
    if (line.command == "merge")
        return run_merge(line);
    if (line.command == "tileset")
        return run_tileset(line);
    return run_check(line);
}
