#!/usr/bin/env python3
"""Converts an X window dump (xwd, ZPixmap, 24 or 32 bits per pixel, as Xvfb's depth-24 screen gives)
to a PNG, with the standard library only, and can report where a picture sits on a black screen.

  xwd -root -silent | xwd_png.py OUT.png            write the PNG
  xwd -root -silent | xwd_png.py --box OUT.png      also print "WxH+X+Y" of the non-black area
  xwd -root -silent | xwd_png.py --centre           print the colour at the screen's centre (RRGGBB)
"""
import struct
import sys
import zlib


def read_xwd(data):
    fields = struct.unpack(">25I", data[:100])
    header_size, version, pixmap_format, _depth, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    ncolors = fields[19]
    if version != 7 or pixmap_format != 2 or bits_per_pixel not in (24, 32):
        raise ValueError("not a 24/32-bit ZPixmap xwd dump (version %d, format %d, %d bpp)"
                         % (version, pixmap_format, bits_per_pixel))
    start = header_size + 12 * ncolors
    step = bits_per_pixel // 8
    if len(data) < start + bytes_per_line * height:
        raise ValueError("xwd dump is cut short")
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + width * step]
        if byte_order == 0:  # least significant byte first: blue, green, red
            row = bytearray(width * 3)
            row[0::3] = line[2::step]
            row[1::3] = line[1::step]
            row[2::3] = line[0::step]
        else:
            row = bytearray(width * 3)
            row[0::3] = line[step - 3::step]
            row[1::3] = line[step - 2::step]
            row[2::3] = line[step - 1::step]
        rows.append(bytes(row))
    return width, height, rows


def write_png(path, width, height, rows):
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

    raw = b"".join(b"\x00" + row for row in rows)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(raw, 6)))
        out.write(chunk(b"IEND", b""))


def non_black_box(width, height, rows):
    black = bytes(width * 3)
    used = [y for y in range(height) if rows[y] != black]
    if not used:
        return None
    left, right = width, -1
    for y in used:
        row = rows[y]
        stripped = row.lstrip(b"\x00")
        first = (len(row) - len(stripped)) // 3
        last = (len(row.rstrip(b"\x00")) - 1) // 3
        left, right = min(left, first), max(right, last)
    return right - left + 1, used[-1] - used[0] + 1, left, used[0]


def main(argv):
    box = "--box" in argv
    centre = "--centre" in argv
    paths = [a for a in argv if a not in ("--box", "--centre")]
    if len(paths) != (0 if centre else 1):
        sys.stderr.write(__doc__)
        return 2
    try:
        width, height, rows = read_xwd(sys.stdin.buffer.read())
    except (ValueError, struct.error) as error:
        sys.stderr.write("xwd_png: %s\n" % error)
        return 1
    if centre:
        x, y = width // 2, height // 2
        print(rows[y][3 * x:3 * x + 3].hex())
        return 0
    write_png(paths[0], width, height, rows)
    if box:
        found = non_black_box(width, height, rows)
        print("%dx%d+%d+%d" % found if found else "black")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
