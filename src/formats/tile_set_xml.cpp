// Tiled's tile set file: the sheet's name, its tile size and count, and the
// sheet beside it. Start reading at tile_set_xml().

#include <string>

#include "formats/formats.h"
#include "text/text.h"
#include "tiles/tiles.h"

std::string tile_set_xml(const std::string &name, const std::string &sheet, int count, int columns, int rows)
{
    auto number = [](int n) { return std::to_string(n); };
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<tileset version=\"1.8\" name=\"" + markup_escaped(name) + "\" tilewidth=\""
           + number(tile_size) + "\" tileheight=\"" + number(tile_size) + "\" tilecount=\""
           + number(count) + "\" columns=\"" + number(columns) + "\">\n"
           " <image source=\"" + markup_escaped(sheet) + "\" width=\"" + number(columns * tile_size)
           + "\" height=\"" + number(rows * tile_size) + "\"/>\n"
           "</tileset>\n";
}
