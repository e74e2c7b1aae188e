"""The Tiled extension in tiled/, run by the real Tiled without a display:
odd areas come back byte for byte through TMX and JSON, a TMX written by
hand becomes the right bytes, maps that cannot be areas are refused with
the old file kept, Tiled's own rasterizer draws an exported area as
areatool render does, and the installed extension shows an area anywhere
with the tile set installed beside it."""

import base64
import os
import struct
import subprocess
import xml.etree.ElementTree as ElementTree
import zlib
import unittest

import harness
from harness import area_bytes
from tool_support import ToolTest, read_picture
from install_support import install_into

EXTENSION = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "tiled"))

ODD_AREAS = {
    # Values without a tile, a name of 8 bytes with a control character, a
    # mark off the board, the lowest time.
    "odd": area_bytes({(0, 0): -7, (1, 0): 9, (2, 0): 10, (3, 0): 2 ** 31 - 1, (4, 4): 3},
                      mark=(10, -3), time_allowed=-2 ** 31, name=b"a\x1bbcdefg"),
    # Every tile, bytes after the name's terminator, the highest time.
    "tail": area_bytes({(c, 9 - c): c for c in range(9)}, mark=(2, 7), time_allowed=2 ** 31 - 1,
                       name=b"hall\0xy\xff"),
    # Names the editor would not save, which still come back as they were.
    "utf": area_bytes({(9, 9): -2 ** 31}, mark=(9, 0), name="café".encode()),
    "empty": area_bytes(mark=(0, 9), name=b""),
    "path": area_bytes(mark=(5, 5), time_allowed=1, name=b"a/b\0\0\0\0\x01"),
}

# A TMX written by hand: the board's tiles from graphics.tsx, whose first
# gid is 5 after a small tile set the board does not use; the mark a
# rectangle over cell (2, 3). CSV rows are the board's rows.
HAND_TMX = """<?xml version="1.0" encoding="UTF-8"?>
<map version="1.8" orientation="orthogonal" renderorder="right-down" width="10" height="10"
     tilewidth="35" tileheight="35" infinite="0" nextlayerid="3" nextobjectid="2">
 <properties>
  <property name="name" value="cave"/>
  <property name="time_allowed" type="int" value="300"/>
 </properties>
 <tileset firstgid="1" name="other" tilewidth="35" tileheight="35" tilecount="4" columns="4">
  <image source="graphics.png" width="140" height="35"/>
 </tileset>
 <tileset firstgid="5" source="graphics.tsx"/>
 <layer id="1" name="board" width="10" height="10">
  <data encoding="csv">
%s
</data>
 </layer>
 <objectgroup id="2" name="things">
  <object id="1" name="mark" x="70" y="105" width="35" height="35"/>
 </objectgroup>
</map>
"""
HAND_CELLS = {(0, 0): 5, (9, 0): 0, (3, 4): 8, (2, 3): 3, (9, 9): 1}
HAND_FIRST_GID = 5


def hand_tmx(cells=HAND_CELLS, gid=lambda value: value + HAND_FIRST_GID):
    rows = []
    for row in range(10):
        rows.append(",".join(str(gid(cells[col, row])) if (col, row) in cells else "0"
                             for col in range(10)))
    return HAND_TMX % ",\n".join(rows)


def board_of_tmx(path):
    """{(col, row): local id} of the board layer, and the tile set's name."""
    root = ElementTree.parse(path).getroot()
    data = root.find("layer[@name='board']/data")
    gids = struct.unpack("<100I", zlib.decompress(base64.b64decode(data.text.strip())))
    tilesets = root.findall("tileset")
    first = int(tilesets[0].get("firstgid"))
    cells = {(i % 10, i // 10): gid - first for i, gid in enumerate(gids) if gid}
    return cells, tilesets[0].get("name"), len(tilesets)


class TiledTest(ToolTest):
    """Tiled with the extension linked into the extensions folder of a home
    of its own."""

    def setUp(self):
        super().setUp()
        self.home = self.path("home")
        os.makedirs(os.path.join(self.home, ".config", "tiled", "extensions"))
        self.extension_folder = self.extension()
        os.symlink(self.extension_folder,
                   os.path.join(self.home, ".config", "tiled", "extensions", "areaedit"))
        os.mkdir(self.path("run"), 0o700)

    def extension(self):
        return EXTENSION

    def tiled(self, *args, program="tiled"):
        env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
        env.update(HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, ".config"),
                   QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=self.path("run"))
        run = harness.Program([program, *args], self.folder, env)
        try:
            run.close_input()
            return run.wait(), run.stderr_text()
        finally:
            run.finish()

    def convert(self, source, target, *format_name):
        status, err = self.tiled("--export-map", *format_name, source, target)
        self.assertEqual(status, 0, "%s to %s: %s" % (source, target, err))


class RoundTripTest(TiledTest):

    def test_odd_areas_come_back_byte_for_byte_through_tmx_and_json(self):
        for name, data in ODD_AREAS.items():
            with self.subTest(area=name):
                self.write(name + ".ard", data)
                self.convert(name + ".ard", name + ".tmx", "tmx")
                self.convert(name + ".tmx", name + ".json")
                self.convert(name + ".json", name + "-back.ard")
                self.assertEqual(self.read(name + "-back.ard"), data)
        # The board as Tiled holds it: (col, row) at x = col, y = row, value v
        # as local id v of the plain tile set, values without a tile left out.
        cells, tileset, _ = board_of_tmx(self.path("odd.tmx"))
        self.assertEqual((cells, tileset), ({(4, 4): 3}, "area tiles"))
        root = ElementTree.parse(self.path("tail.tmx")).getroot()
        self.assertEqual(board_of_tmx(self.path("tail.tmx"))[0], {(c, 9 - c): c for c in range(9)})
        properties = {p.get("name"): (p.get("type"), p.get("value")) for p in root.iter("property")}
        self.assertEqual((properties["name"], properties["time_allowed"]),
                         ((None, "hall"), ("int", str(2 ** 31 - 1))))
        mark = root.find("objectgroup/object[@name='mark']")
        self.assertEqual((int(float(mark.get("x"))) // 35, int(float(mark.get("y"))) // 35), (2, 7))

    def test_graphics_tsx_beside_the_area_is_its_tile_set(self):
        self.assertEqual(self.tool("tileset")[0], 0)
        self.write("tail.ard", ODD_AREAS["tail"])
        self.convert("tail.ard", "tail.tmx", "tmx")
        self.assertEqual(board_of_tmx(self.path("tail.tmx"))[1:], ("graphics", 1))
        self.convert("tail.tmx", "back.ard")
        self.assertEqual(self.read("back.ard"), ODD_AREAS["tail"])

    def test_hand_written_tmx_becomes_the_right_bytes(self):
        self.assertEqual(self.tool("tileset")[0], 0)
        self.write("cave.tmx", hand_tmx().encode())
        self.convert("cave.tmx", "cave.ard")
        self.assertEqual(self.read("cave.ard"),
                         area_bytes(HAND_CELLS, mark=(2, 3), time_allowed=300, name=b"cave"))


class RefusalTest(TiledTest):

    def test_maps_that_cannot_be_areas_are_refused_and_the_old_file_kept(self):
        self.assertEqual(self.tool("tileset")[0], 0)
        old = area_bytes(name=b"old")
        self.write("old.ard", old)
        flipped = lambda value: value + HAND_FIRST_GID + (1 << 31)
        second = lambda value: 1 if value == 3 else value + HAND_FIRST_GID
        base = hand_tmx()
        cases = {
            "not 10 x 10": base.replace('width="10" height="10"\n', 'width="11" height="10"\n'),
            "infinite": base.replace('infinite="0"', 'infinite="1"'),
            "flipped": hand_tmx(gid=flipped),
            "second tile set": hand_tmx(gid=second),
            "long name": base.replace('value="cave"', 'value="eightchr"'),
            "path in the name": base.replace('value="cave"', 'value="a\\b"'),
            "no time": base.replace('<property name="time_allowed" type="int" value="300"/>', ""),
            "time not whole": base.replace('type="int" value="300"', 'type="float" value="2.5"'),
            "time a string": base.replace('type="int" value="300"', 'value="300"'),
        }
        reasons = []
        for case, text in cases.items():
            with self.subTest(case=case):
                self.assertNotEqual(text, base)
                self.write("map.tmx", text.encode())
                status, err = self.tiled("--export-map", "map.tmx", "old.ard")
                self.assertNotEqual(status, 0)
                self.assertEqual(self.read("old.ard"), old)
                lines = [line for line in err.splitlines() if "cannot save" in line]
                self.assertEqual(len(lines), 1, err)
                reasons.append(lines[0].split("as an area: ")[1])
        self.assertEqual(sorted(os.listdir(self.folder)),
                         ["graphics.dat", "graphics.png", "graphics.tsx", "home", "map.tmx",
                          "old.ard", "run"])
        self.assertEqual(reasons, [
            "the map is 11 x 10 tiles; an area is 10 x 10",
            "the map is infinite; an area is 10 x 10 tiles",
            "the tile at column 0, row 0 is flipped or rotated; an area's tiles are upright",
            'the tile at column 2, row 3 is from a second tile set ("other"); an area\'s tiles'
            ' come from one',
            'the name is longer than 7 characters: "eightchr"',
            'the name holds a path separator: "a\\b"',
            "the map has no property time_allowed",
            "time_allowed is 2.5, not a whole number from -2147483648 to 2147483647",
            'time_allowed is "300", not a whole number from -2147483648 to 2147483647'])


class RasterizerTest(TiledTest):

    def test_tmxrasterizer_draws_an_exported_area_as_areatool_render_does(self):
        self.assertEqual(self.tool("tileset")[0], 0)
        data = area_bytes({(c, r): (c + 2 * r) % 9 for c in range(10) for r in range(10)
                           if (c * r) % 7 != 3}, mark=(4, 4))
        self.write("hall.ard", data)
        self.convert("hall.ard", "hall.tmx", "tmx")
        status, err = self.tiled("--show-layer", "board", "hall.tmx", "tiled.png",
                                 program="tmxrasterizer")
        self.assertEqual(status, 0, err)
        self.assertEqual(self.tool("render", "hall.ard", "render.png")[0], 0)
        # Tiled leaves empty cells transparent; the editor draws them black.
        self.assertEqual(subprocess.run(
            ["convert", self.path("tiled.png"), "-background", "black", "-flatten",
             self.path("flat.png")], timeout=30).returncode, 0)
        tiled, render = read_picture(self, self.path("flat.png")), read_picture(self, self.path("render.png"))
        self.assertEqual((tiled.width, tiled.height), (render.width, render.height))
        self.assertTrue(tiled.data == render.data, "the pictures differ")


class InstalledExtensionTest(TiledTest):
    """The extension as `cmake --install` puts it, into a DESTDIR."""

    def extension(self):
        return os.path.join(install_into(self.path("destdir")), "share", "areaedit", "tiled")

    def test_an_area_in_a_folder_of_its_own_shows_the_installed_tile_set_and_comes_back(self):
        os.mkdir(self.path("areas"))
        self.write("areas/tail.ard", ODD_AREAS["tail"])
        self.convert("areas/tail.ard", "tail.tmx", "tmx")
        cells, tileset, count = board_of_tmx(self.path("tail.tmx"))
        self.assertEqual((cells, tileset, count), ({(c, 9 - c): c for c in range(9)}, "graphics", 1))
        image = ElementTree.parse(self.path("tail.tmx")).getroot().find("tileset/image").get("source")
        self.assertEqual(os.path.realpath(os.path.join(self.folder, image)),
                         os.path.realpath(os.path.join(self.extension_folder, "graphics.png")))
        self.convert("areas/tail.ard", "areas/back.ard")
        self.assertEqual(self.read("areas/back.ard"), ODD_AREAS["tail"])
        self.assertEqual(sorted(os.listdir(self.path("areas"))), ["back.ard", "tail.ard"])


if __name__ == "__main__":
    unittest.main()
