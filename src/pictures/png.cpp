// PNG files written whole: save_png is trusted for nothing it does not
// check itself, so each PNG is walked after it is written (png_is_whole)
// before it replaces the old file. Start reading at write_png().

#include <cstdint>
#include <cstring>
#include <string>

#include "pictures/pictures.h"

#include <loadpng.h>

#include "platform/platform.h"

namespace {

// save_png reports no failure of its last writes, as on a full disk, and
// leaves the file cut short. So the file is walked: the signature, then
// chunk after chunk, ending with IEND exactly at the end of the file.
bool png_is_whole(int fd)
{
    static constexpr unsigned char signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    constexpr std::int64_t chunk_frame = 12;  // length, type and CRC around a chunk's data
    unsigned char head[8];
    std::int64_t size = 0;
    if (!file_size(fd, size).empty() || !read_at(fd, 0, head, sizeof head).empty() || std::memcmp(head, signature, sizeof signature) != 0)
        return false;
    for (std::int64_t at = sizeof signature; at + chunk_frame <= size;) {
        if (!read_at(fd, at, head, sizeof head).empty())
            return false;
        at += chunk_frame + big_endian(head);
        if (std::memcmp(head + 4, "IEND", 4) == 0)
            return at == size;
    }
    return false;
}

constexpr int png_compression_level = 6;  // zlib's default

}  // namespace

std::string save_whole_png(int fd, const std::string &temp_path, BITMAP *picture)
{
    // The PNG add-on compresses at zlib's best by default: for a page of
    // hundreds of pictures or an atlas several times slower than zlib's
    // default level, for files a few percent smaller.
    _png_compression_level = png_compression_level;
    if (save_png(temp_path.c_str(), picture, nullptr) != 0)
        return "the PNG could not be written";
    if (!png_is_whole(fd))  // the same file, which save_png opened by name
        return "the PNG was cut short (is the disk full?)";
    return {};
}

std::string write_png(const std::string &out, BITMAP *picture)
{
    return replace_file(out, [picture](int fd, const std::string &temp_path) {
        return save_whole_png(fd, temp_path, picture);
    });
}

