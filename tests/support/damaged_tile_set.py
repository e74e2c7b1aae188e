"""Tile sets whose framing reads well but that the graphics library's
datafile loader faults on, made from a good one. Each is a fault the
distribution's library carries (windows/patches/ mends them in the Windows
build); found by fuzzing mutated copies of graphics.dat, and made here
from the datafile's own framing so that any good tile set gives them."""

import struct

MAGIC = b"slh.ALL."  # an unpacked file of the library, then a datafile
PROPERTY = b"prop"
BITMAP = b"BMP "
FONT = b"FONT"
# Bits per pixel that no bitmap has: the library reads the bitmap at 8 and
# cannot convert it.
UNSUPPORTED_DEPTH = 7
END_TYPE = b"\xff\xff\xff\xff"  # DAT_END, the type that ends a loaded datafile


def objects(whole):
    """The offset of each object's type field, in file order."""
    assert whole[:8] == MAGIC, "not an unpacked datafile"
    (count,) = struct.unpack(">i", whole[8:12])
    at, found = 12, []
    while len(found) < count:
        kind = whole[at:at + 4]
        if kind == PROPERTY:
            (size,) = struct.unpack(">i", whole[at + 8:at + 12])
            at += 12 + size
            continue
        found.append(at)
        (stored,) = struct.unpack(">i", whole[at + 4:at + 8])
        at += 12 + stored
    return found


def bitmap_of_no_depth(whole):
    """The first bitmap stored at a depth no bitmap can have: the library
    fails to convert it and loses the bitmap it read (a leak), then frees
    the datafile twice (an abort)."""
    data = bytearray(whole)
    at = next(at for at in objects(whole) if whole[at:at + 4] == BITMAP)
    data[at + 12:at + 14] = struct.pack(">h", UNSUPPORTED_DEPTH)
    return bytes(data)


def object_of_end_type(whole):
    """The second object's type is DAT_END: the library calls the null
    loader of a free row of its table (a crash)."""
    data = bytearray(whole)
    at = objects(whole)[1]
    data[at:at + 4] = END_TYPE
    return bytes(data)


def property_of_negative_size(whole):
    """The first property's size is -1: the library writes the end of its
    text one byte before the text's buffer (a crash)."""
    data = bytearray(whole)
    at = whole.index(PROPERTY, len(MAGIC) + 4)
    data[at + 8:at + 12] = struct.pack(">i", -1)
    return bytes(data)


def negative_object_count(whole):
    """The count of objects is -1: the library allocates no entries and
    writes the end marker past them (a heap overrun)."""
    return whole[:len(MAGIC)] + struct.pack(">i", -1) + whole[len(MAGIC) + 4:]


def font_of_no_ranges(whole):
    """The first object is a font of no ranges (a height of 0 picks the
    current font format, then a count of 0): the library returns it with no
    functions set, and crashes when it unloads it."""
    data = bytearray(whole)
    at = objects(whole)[0]
    data[at:at + 4] = FONT
    data[at + 12:at + 16] = bytes(4)
    return bytes(data)


DAMAGES = {"bitmap of no depth": bitmap_of_no_depth, "object of end type": object_of_end_type,
           "property of negative size": property_of_negative_size,
           "negative object count": negative_object_count, "font of no ranges": font_of_no_ranges}


def damaged_tile_sets(path):
    """Each damage applied to the tile set at path, by name."""
    with open(path, "rb") as f:
        whole = f.read()
    return {name: damage(whole) for name, damage in DAMAGES.items()}
