// PNG files written a row at a time through libpng, so that a picture
// need never be in memory whole: the rows of a whole bitmap, or rows drawn
// a band at a time by the caller and handed on as soon as they are drawn.
// Every PNG areatool writes goes through here, into the temporary file of a
// replacement, so a failed write leaves the old file. Start reading at
// save_png_rows().

#include <csetjmp>
#include <cstdint>
#include <string>
#include <vector>

#include <png.h>

#include "pictures/pictures.h"
#include "platform/platform.h"

namespace {

constexpr int png_compression_level = 6;  // zlib's default
constexpr std::size_t output_buffer_bytes = std::size_t{1} << 16;

// What libpng's callbacks share: the file, the bytes not yet written to
// it, and the first reason a write stopped.
struct png_output {
    int fd = -1;
    std::vector<unsigned char> pending;
    std::string why;
};

// libpng's two structures, released together.
struct png_session {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~png_session() { png_destroy_write_struct(&png, &info); }
};

bool write_pending(png_output &out)
{
    if (std::string why = write_all(out.fd, out.pending.data(), out.pending.size()); !why.empty()) {
        out.why = why;
        return false;
    }
    out.pending.clear();
    return true;
}

bool take_bytes(png_output &out, const unsigned char *data, std::size_t size)
{
    if (out.pending.size() + size > output_buffer_bytes && !write_pending(out))
        return false;
    out.pending.insert(out.pending.end(), data, data + size);
    return true;
}

// libpng's callbacks. An error leaves libpng by longjmp, so nothing with a
// destructor may be alive in these frames when png_error is called.
void write_bytes(png_structp png, png_bytep data, png_size_t size)
{
    if (!take_bytes(*static_cast<png_output *>(png_get_io_ptr(png)), data, size))
        png_error(png, "write failed");
}

void flush_nothing(png_structp) {}

void keep_error(png_structp png, png_const_charp message)
{
    auto &out = *static_cast<png_output *>(png_get_error_ptr(png));
    if (out.why.empty())
        out.why = message;
    png_longjmp(png, 1);
}

void ignore_warning(png_structp, png_const_charp) {}

// One step of libpng's, whose errors come back here by longjmp: false when
// libpng gave up. The frame holds nothing with a destructor.
using png_step = void (*)(png_structp png, png_infop info, png_const_bytep row);

bool run_step(const png_session &session, png_step step, png_const_bytep row = nullptr)
{
    if (setjmp(png_jmpbuf(session.png)))
        return false;
    step(session.png, session.info, row);
    return true;
}

// The byte of an Allegro pixel at png_depth that holds each of red, green
// and blue: the library packs a pixel as a number, lowest byte first.
struct channel_bytes {
    int red, green, blue;
};

channel_bytes channels_at_png_depth()
{
    return {_rgb_r_shift_24 / 8, _rgb_g_shift_24 / 8, _rgb_b_shift_24 / 8};
}

void convert_row(const unsigned char *from, int width, channel_bytes channels, unsigned char *to)
{
    for (int x = 0; x < width; ++x, from += 3, to += 3) {
        to[0] = from[channels.red];
        to[1] = from[channels.green];
        to[2] = from[channels.blue];
    }
}

}  // namespace

std::string save_png_rows(int fd, int width, int height, const png_row_source &row_at)
{
    png_output out;
    out.fd = fd;
    out.pending.reserve(output_buffer_bytes);
    png_session session;
    session.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &out, keep_error, ignore_warning);
    if (session.png)
        session.info = png_create_info_struct(session.png);
    if (!session.info)
        return no_memory_for_picture;
    png_set_write_fn(session.png, &out, write_bytes, flush_nothing);
    png_set_user_limits(session.png, png_side_limit, png_side_limit);  // not libpng's default million
    png_set_compression_level(session.png, png_compression_level);
    png_set_IHDR(session.png, session.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (!run_step(session, [](png_structp png, png_infop info, png_const_bytep) { png_write_info(png, info); }))
        return out.why;
    std::vector<unsigned char> row(3 * static_cast<std::size_t>(width));
    channel_bytes channels = channels_at_png_depth();
    for (int y = 0; y < height; ++y) {
        convert_row(row_at(y), width, channels, row.data());
        if (!run_step(session, [](png_structp png, png_infop, png_const_bytep r) { png_write_row(png, r); },
                      row.data()))
            return out.why;
    }
    if (!run_step(session, [](png_structp png, png_infop info, png_const_bytep) { png_write_end(png, info); }))
        return out.why;
    write_pending(out);
    return out.why;
}

std::string save_whole_png(int fd, BITMAP *picture)
{
    return save_png_rows(fd, picture->w, picture->h, [picture](int y) { return picture->line[y]; });
}

std::string save_png_in_bands(int fd, int width, int height, int band_rows, const band_drawer &draw)
{
    owned_bitmap band;
    if (std::string why = make_bitmap(width, band_rows, png_depth, band); !why.empty())
        return why;
    return save_png_rows(fd, width, height, [&](int y) {
        int row = y % band_rows;
        if (row == 0)
            draw(band.get(), y);
        return band->line[row];
    });
}

std::string write_png(const std::string &out, BITMAP *picture)
{
    return replace_file(out, [picture](int fd, const std::string &) { return save_whole_png(fd, picture); });
}

std::string write_png_in_bands(const std::string &out, int width, int height, int band_rows,
                               const band_drawer &draw)
{
    return replace_file(out, [&](int fd, const std::string &) {
        return save_png_in_bands(fd, width, height, band_rows, draw);
    });
}
