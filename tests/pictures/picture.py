#!/usr/bin/env python3
"""Compares a still picture of a window with its reference, or makes it the reference.

    picture.py compare REFERENCE.png TAKEN.(png|bmp)   exit 0 when alike, 1 when not
    picture.py keep REFERENCE.png TAKEN.(png|bmp)      writes TAKEN as the new reference

Alike: the same size, and every pixel of each found within one pixel of its place in the other,
in a colour that differs by no more than a font's hinting makes it differ; a handful of pixels
may still differ. A control out of its place, a caption changed, a colour or a label shown that
should not be are all far more than that. Plain Python: the PNG and BMP files are read here.
"""
import struct
import sys
import zlib

# How far a channel may differ, and how many pixels may still differ, for hinting's sake.
CHANNEL_TOLERANCE = 48
PIXELS_ALLOWED = 40


def read_png(data):
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG file")
    at, idat, header = 8, [], None
    while at < len(data):
        length, kind = struct.unpack(">I4s", data[at:at + 8])
        body = data[at + 8:at + 8 + length]
        at += 12 + length
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat.append(body)
        elif kind == b"IEND":
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError("only 8-bit RGB or RGBA PNG files without interlacing are read")
    step = 3 if colour == 2 else 4
    raw = zlib.decompress(b"".join(idat))
    stride = width * step
    rows, previous = [], bytearray(stride)
    for y in range(height):
        line = raw[y * (stride + 1):(y + 1) * (stride + 1)]
        kind, row = line[0], bytearray(line[1:])
        for x in range(stride):
            left = row[x - step] if x >= step else 0
            up = previous[x]
            corner = previous[x - step] if x >= step else 0
            if kind == 1:
                row[x] = (row[x] + left) & 0xFF
            elif kind == 2:
                row[x] = (row[x] + up) & 0xFF
            elif kind == 3:
                row[x] = (row[x] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                guess = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                row[x] = (row[x] + guess) & 0xFF
        previous = row
        rows.append(bytes(row) if step == 3 else bytes(
            b for i in range(0, stride, 4) for b in row[i:i + 3]))
    return width, height, rows


def read_bmp(data):
    if data[:2] != b"BM":
        raise ValueError("not a BMP file")
    offset = struct.unpack("<I", data[10:14])[0]
    width, height, _, bits = struct.unpack("<iiHH", data[18:30])
    if bits not in (24, 32):
        raise ValueError("only 24- or 32-bit BMP files are read")
    step = bits // 8
    stride = (width * step + 3) & ~3
    rows = []
    for y in range(abs(height)):
        source = y if height < 0 else abs(height) - 1 - y
        line = data[offset + source * stride:offset + source * stride + width * step]
        rows.append(bytes(b for i in range(0, width * step, step)
                          for b in (line[i + 2], line[i + 1], line[i])))
    return width, abs(height), rows


def read(path):
    with open(path, "rb") as file:
        data = file.read()
    return read_bmp(data) if data[:2] == b"BM" else read_png(data)


def write_png(path, width, height, rows):
    raw = bytearray()
    for row in rows:
        # The "sub" filter: the flat areas of a window shrink to almost nothing.
        raw.append(1)
        raw += bytes(row[:3]) + bytes((row[x] - row[x - 3]) & 0xFF for x in range(3, len(row)))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(path, "wb") as file:
        file.write(b"\x89PNG\r\n\x1a\n")
        file.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        file.write(chunk(b"IDAT", zlib.compress(bytes(raw), 9)))
        file.write(chunk(b"IEND", b""))


def strays(one, other, width, height):
    """The pixels of `one` found nowhere within a pixel of their place in `other`."""
    found = []
    for y in range(height):
        if one[y] == other[y]:
            continue
        for x in range(width):
            here = one[y][3 * x:3 * x + 3]
            if here == other[y][3 * x:3 * x + 3]:
                continue
            near = False
            for ny in range(max(0, y - 1), min(height, y + 2)):
                for nx in range(max(0, x - 1), min(width, x + 2)):
                    there = other[ny][3 * nx:3 * nx + 3]
                    if max(abs(a - b) for a, b in zip(here, there)) <= CHANNEL_TOLERANCE:
                        near = True
                        break
                if near:
                    break
            if not near:
                found.append((x, y))
    return found


def main(arguments):
    if len(arguments) != 3 or arguments[0] not in ("compare", "keep"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    action, reference, taken = arguments
    width, height, rows = read(taken)
    if action == "keep":
        write_png(reference, width, height, rows)
        print("kept %s (%dx%d)" % (reference, width, height))
        return 0
    ref_width, ref_height, ref_rows = read(reference)
    if (width, height) != (ref_width, ref_height):
        print("%s: %dx%d, the reference %s is %dx%d" %
              (taken, width, height, reference, ref_width, ref_height))
        return 1
    differ = strays(rows, ref_rows, width, height) + strays(ref_rows, rows, width, height)
    if len(differ) > PIXELS_ALLOWED:
        xs = [x for x, _ in differ]
        ys = [y for _, y in differ]
        print("%s differs from %s in %d pixels, between (%d,%d) and (%d,%d)" %
              (taken, reference, len(differ), min(xs), min(ys), max(xs), max(ys)))
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
