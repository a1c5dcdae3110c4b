#!/usr/bin/env python3
"""The scaling look: a test picture for the title screen, and the measure of how a screen grab shows it.

  scaling_pattern.py write TITLE.BMP       an 800 x 600 8-bit picture: a red one-pixel frame on its
                                           edge, one-pixel white and blue columns in the upper part and
                                           rows in the lower part, grey elsewhere
  xwd -root -silent | scaling_pattern.py measure
                                           prints where the picture is (from its red frame) and, for the
                                           columns and the rows, how much each white source line
                                           weighs on screen: every line the same (min = max) is an even
                                           picture; a nearest-neighbour step that doubles some lines
                                           shows a minimum near half the maximum
"""
import struct
import sys

sys.path.insert(0, __file__.rsplit("/", 1)[0])
import xwd_png  # noqa: E402

WIDTH, HEIGHT = 800, 600
BLACK, WHITE, RED, BLUE, GREY = 0, 1, 2, 3, 4
PALETTE = {BLACK: (0, 0, 0), WHITE: (255, 255, 255), RED: (255, 0, 0), BLUE: (0, 0, 255), GREY: (96, 96, 96)}
COLUMNS = (40, 280)  # source rows of the column stripes
ROWS = (320, 560)  # source rows of the row stripes
STRIPES = (40, 760)  # source columns the stripes span


def index(x, y):
    if x == 0 or y == 0 or x == WIDTH - 1 or y == HEIGHT - 1:
        return RED
    if STRIPES[0] <= x < STRIPES[1] and COLUMNS[0] <= y < COLUMNS[1]:
        return WHITE if x % 2 == 0 else BLUE
    if STRIPES[0] <= x < STRIPES[1] and ROWS[0] <= y < ROWS[1]:
        return WHITE if y % 2 == 0 else BLUE
    return GREY


def write(path):
    rows = []
    for y in range(HEIGHT - 1, -1, -1):  # bottom-up
        rows.append(bytes(index(x, y) for x in range(WIDTH)))
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in (PALETTE.get(i, (0, 0, 0)) for i in range(256)))
    offset = 14 + 40 + 1024
    size = offset + WIDTH * HEIGHT
    header = struct.pack("<2sIHHI", b"BM", size, 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 8, 0, WIDTH * HEIGHT, 2835, 2835, 256, 256)
    with open(path, "wb") as out:
        out.write(header + info + palette + b"".join(rows))


def whiteness(pixel):
    # White is (255, 255, 255) and blue (0, 0, 255): red and green measure the mix.
    return (pixel[0] + pixel[1]) / 510.0


def line_weights(profile, start, scale, count):
    """The sum of whiteness over each white source line's own stretch of screen (a line and a half of
    blue on either side), for `count` white lines from source position `start`."""
    weights = []
    for k in range(count):
        centre = (start + 2 * k + 0.5) * scale
        low, high = int(centre - scale), int(centre + scale)
        if low < 0 or high >= len(profile):
            continue
        weights.append(sum(profile[low:high + 1]))
    return weights


def measure():
    width, height, rows = xwd_png.read_xwd(sys.stdin.buffer.read())
    red = lambda p: p[0] > 200 and p[1] < 60 and p[2] < 60  # noqa: E731
    xs, ys = [], []
    for y in range(0, height):
        row = rows[y]
        hits = [x for x in range(0, width) if red(row[3 * x:3 * x + 3])]
        if hits:
            xs += [hits[0], hits[-1]]
            ys.append(y)
    if not ys:
        print("no picture found")
        return 1
    left, right, top, bottom = min(xs), max(xs), min(ys), max(ys)
    shown_w, shown_h = right - left + 1, bottom - top + 1
    print("picture %dx%d at (%d, %d) on a %dx%d screen" % (shown_w, shown_h, left, top, width, height))
    sx, sy = shown_w / WIDTH, shown_h / HEIGHT
    y_columns = top + int((COLUMNS[0] + COLUMNS[1]) / 2 * sy)
    row = rows[y_columns]
    profile = [whiteness(row[3 * x:3 * x + 3]) for x in range(left, right + 1)]
    inner = (STRIPES[1] - STRIPES[0]) // 2 - 2
    cols = line_weights(profile, STRIPES[0] + 2, sx, inner)
    x_rows = left + int((STRIPES[0] + STRIPES[1]) / 2 * sx)
    profile = [whiteness(rows[y][3 * x_rows:3 * x_rows + 3]) for y in range(top, bottom + 1)]
    rws = line_weights(profile, ROWS[0] + 2, sy, (ROWS[1] - ROWS[0]) // 2 - 2)
    for name, weights, scale in (("columns", cols, sx), ("rows", rws, sy)):
        print("%s: scale %.3f, a white line weighs %.2f to %.2f screen pixels (mean %.2f, %d lines)"
              % (name, scale, min(weights), max(weights), sum(weights) / len(weights), len(weights)))
    return 0


def main(argv):
    if len(argv) == 2 and argv[0] == "write":
        write(argv[1])
        return 0
    if argv == ["measure"]:
        return measure()
    sys.stderr.write(__doc__)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
