#!/usr/bin/env bash
# Renders the application icon's PNG sizes and the Windows ICO from the SVG sources in
# resources/icons. The results are committed: building never needs this script.
# Needs rsvg-convert (librsvg2-bin) and python3.
set -euo pipefail
cd "$(dirname "$0")/../resources/icons"

# The small sizes have drawings of their own on the pixel grid; the rest scale the main one.
render() {  # size source
  rsvg-convert --width "$1" --height "$1" --format png --output "kalvex-$1.png" "$2"
}
render 16 kalvex-16.svg
render 24 kalvex-24.svg
for size in 32 48 64 128 256; do render "$size" kalvex.svg; done

# ICO: classic 32-bit bitmaps (with an AND mask) up to 64 pixels, PNG for 256 pixels, as
# Windows expects. Written here because no common tool gets both forms right.
python3 - kalvex.ico kalvex-16.png kalvex-24.png kalvex-32.png kalvex-48.png \
  kalvex-64.png kalvex-256.png <<'PY'
import struct
import sys
import zlib


def read_png_rgba(path):
    """Decodes an 8-bit RGBA, non-interlaced PNG (what rsvg-convert writes)."""
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit(f"{path}: not a PNG")
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            if (depth, colour, interlace) != (8, 6, 0):
                sys.exit(f"{path}: expected 8-bit RGBA without interlacing")
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 4
    rows, prev, i = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[i], bytearray(raw[i + 1:i + 1 + stride])
        i += 1 + stride
        for x in range(stride):
            a = line[x - 4] if x >= 4 else 0
            b = prev[x]
            c = prev[x - 4] if x >= 4 else 0
            if kind == 1:
                line[x] = (line[x] + a) & 0xFF
            elif kind == 2:
                line[x] = (line[x] + b) & 0xFF
            elif kind == 3:
                line[x] = (line[x] + (a + b) // 2) & 0xFF
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[x] = (line[x] + pred) & 0xFF
        rows.append(bytes(line))
        prev = line
    return width, height, rows


def bitmap_entry(width, height, rows):
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour, mask = bytearray(), bytearray()
    mask_stride = ((width + 31) // 32) * 4
    for row in reversed(rows):  # bottom-up
        bits = bytearray(mask_stride)
        for x in range(width):
            r, g, b, a = row[4 * x:4 * x + 4]
            colour += bytes((b, g, r, a))
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(colour) + bytes(mask)


out, sources = sys.argv[1], sys.argv[2:]
entries = []
for path in sources:
    width, height, rows = read_png_rgba(path)
    blob = open(path, "rb").read() if width >= 256 else bitmap_entry(width, height, rows)
    entries.append((width, height, blob))

offset = 6 + 16 * len(entries)
directory, images = b"", b""
for width, height, blob in entries:
    directory += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32,
                             len(blob), offset + len(images))
    images += blob
with open(out, "wb") as f:
    f.write(struct.pack("<HHH", 0, 1, len(entries)) + directory + images)
PY
echo "make_icons.sh: wrote kalvex-{16,24,32,48,64,128,256}.png and kalvex.ico"
