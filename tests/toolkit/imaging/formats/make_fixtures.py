#!/usr/bin/env python3
"""Makes the image fixtures under tests/data/<format>/: a 47 x 33 red "F" on blue (grey
variants: 200 on 50) in every variant the readers accept, and the malformed files that must fail.

Run from anywhere: python3 tests/toolkit/imaging/formats/make_fixtures.py
ImageMagick's convert makes the files an independent encoder should make; the variants it cannot
make (top-down rows, 12- and 64-byte BMP headers, 15/16-bit Targa, runs crossing rows) and the
malformed files are written byte by byte here.
"""
import os
import struct
import subprocess
import tempfile
import zlib

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", "..", "data"))
W, H = 47, 33
RED, BLUE = (255, 0, 0), (0, 0, 255)
GREY_F, GREY_BG = 200, 50


def in_f(x, y):
    """The F: a stem and two arms, no symmetry, so flips and off-by-one rows show."""
    stem = 8 <= x <= 15 and 4 <= y <= 28
    top = 8 <= x <= 38 and 4 <= y <= 10
    middle = 8 <= x <= 30 and 14 <= y <= 19
    return stem or top or middle


def rgb_rows():
    return [[RED if in_f(x, y) else BLUE for x in range(W)] for y in range(H)]


def grey_rows():
    return [[GREY_F if in_f(x, y) else GREY_BG for x in range(W)] for y in range(H)]


def put(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def ppm():
    out = bytearray(b"P6\n%d %d\n255\n" % (W, H))
    for row in rgb_rows():
        for p in row:
            out += bytes(p)
    return bytes(out)


def pgm():
    out = bytearray(b"P5\n%d %d\n255\n" % (W, H))
    for row in grey_rows():
        out += bytes(row)
    return bytes(out)


def convert(source_bytes, suffix, args, target):
    with tempfile.NamedTemporaryFile(suffix=suffix) as tmp:
        tmp.write(source_bytes)
        tmp.flush()
        os.makedirs(os.path.dirname(target), exist_ok=True)
        subprocess.run(["convert", tmp.name] + args + [target], check=True)


# --- BMP -----------------------------------------------------------------------------------------

def bmp(info_size, bpp, top_down, palette=None, indices=None, width=W, height=H, pixels=None,
        compression=0, colors_used=None):
    rows = []
    if bpp == 24:
        src = pixels if pixels is not None else rgb_rows()
        for row in src:
            b = bytearray()
            for (r, g, bl) in row:
                b += bytes((bl, g, r))
            rows.append(b)
    else:
        for row in indices:
            rows.append(bytearray(row))
    row_size = max(0, (width * bpp + 31) // 32 * 4)
    data = bytearray()
    for row in (rows if top_down else list(reversed(rows))):
        data += row + bytes(max(0, row_size - len(row)))
    entry = 3 if info_size == 12 else 4
    pal = bytearray()
    for (r, g, b) in (palette or []):
        pal += bytes((b, g, r)) + (b"" if entry == 3 else b"\0")
    if info_size == 12:
        info = struct.pack("<IHHHH", 12, width, height, 1, bpp)
    else:
        h = -height if top_down else height
        used = colors_used if colors_used is not None else (len(palette) if palette else 0)
        info = struct.pack("<IiiHHIIiiII", info_size, width, h, 1, bpp, compression, len(data), 2835, 2835, used, 0)
        info += bytes(info_size - 40)
    offset = 14 + len(info) + len(pal)
    header = b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset)
    return header + info + pal + data


def f_indices():
    return [[1 if in_f(x, y) else 0 for x in range(W)] for y in range(H)]


def make_bmp():
    d = os.path.join(ROOT, "bmp")
    pal = [BLUE, RED]
    put(os.path.join(d, "f-24-bottomup.bmp"), bmp(40, 24, False))
    put(os.path.join(d, "f-24-topdown.bmp"), bmp(40, 24, True))
    put(os.path.join(d, "f-8-bottomup.bmp"), bmp(40, 8, False, pal, f_indices()))
    put(os.path.join(d, "f-8-topdown.bmp"), bmp(40, 8, True, pal, f_indices()))
    put(os.path.join(d, "f-24-os2-12.bmp"), bmp(12, 24, False))
    put(os.path.join(d, "f-8-os2-12.bmp"), bmp(12, 8, False, pal + [(0, 0, 0)] * 254, f_indices()))
    put(os.path.join(d, "f-24-os2-64.bmp"), bmp(64, 24, False))
    put(os.path.join(d, "f-8-v5-124.bmp"), bmp(124, 8, False, pal, f_indices()))
    # ImageMagick's own 24-bit bitmap, as another encoder writes it.
    convert(ppm(), ".ppm", ["-type", "TrueColor"], "BMP3:" + os.path.join(d, "f-24-imagemagick.bmp"))

    m = os.path.join(d, "malformed")
    good = bmp(40, 24, False)
    put(os.path.join(m, "truncated-pixels.bmp"), good[:len(good) - 200])
    put(os.path.join(m, "truncated-info-header.bmp"), good[:30])
    bad = [[255 if (x, y) == (5, 5) else 1 for x in range(W)] for y in range(H)]
    put(os.path.join(m, "index-beyond-palette.bmp"), bmp(40, 8, False, pal, bad))
    put(os.path.join(m, "huge-70000x70000.bmp"), bmp(40, 24, False, width=70000, height=70000, pixels=[]))
    put(os.path.join(m, "huge-40000x60000.bmp"), bmp(40, 24, False, width=40000, height=60000, pixels=[]))
    put(os.path.join(m, "zero-width.bmp"), bmp(40, 24, False, width=0, height=5, pixels=[[]] * 5))
    put(os.path.join(m, "zero-height.bmp"), bmp(40, 24, False, width=5, height=0, pixels=[]))
    put(os.path.join(m, "negative-width.bmp"), bmp(40, 24, False, width=-5, height=5, pixels=[[]] * 5))
    put(os.path.join(m, "rle8-compression.bmp"), bmp(40, 8, False, pal, f_indices(), compression=1))
    put(os.path.join(m, "bits-per-pixel-16.bmp"), bmp(40, 24, False)[:28] + struct.pack("<H", 16) + bmp(40, 24, False)[30:])
    put(os.path.join(m, "palette-count-beyond-file.bmp"), bmp(40, 8, False, pal, f_indices(), colors_used=0x7FFFFFFF)[:1200])
    i32min = bytearray(bmp(40, 24, False, width=4, height=4, pixels=[[RED] * 4] * 4))
    struct.pack_into("<i", i32min, 22, -2 ** 31)
    put(os.path.join(m, "height-int32-min.bmp"), bytes(i32min))
    put(os.path.join(m, "info-header-size-20.bmp"), good[:14] + struct.pack("<I", 20) + good[18:])


# --- Targa ---------------------------------------------------------------------------------------

def tga_pixel_bytes(p, bpp):
    r, g, b = p
    if bpp == 24:
        return bytes((b, g, r))
    if bpp == 32:
        return bytes((b, g, r, 128))  # alpha is read as opaque anyway
    v = (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3)
    if bpp == 16:
        v |= 0x8000
    return struct.pack("<H", v)


def rle_stream(pixels, packet_limit=128):
    """Runs over the whole pixel stream, so packets cross row boundaries."""
    out = bytearray()
    i = 0
    n = len(pixels)
    while i < n:
        run = 1
        while i + run < n and run < packet_limit and pixels[i + run] == pixels[i]:
            run += 1
        if run >= 2:
            out += bytes((0x80 | (run - 1),)) + pixels[i]
            i += run
            continue
        lit = 1
        while i + lit < n and lit < packet_limit and (i + lit + 1 >= n or pixels[i + lit] != pixels[i + lit + 1]):
            lit += 1
        out += bytes((lit - 1,))
        for p in pixels[i:i + lit]:
            out += p
        i += lit
    return bytes(out)


def tga(image_type, bpp, top_down, width=W, height=H, cmap=None, cmap_first=0, cmap_bits=24, pixels=None,
        raw=None):
    """pixels: list of per-pixel byte strings in image order (top row first)."""
    if raw is None:
        rows = [pixels[y * width:(y + 1) * width] for y in range(height)]
        if not top_down:
            rows.reverse()
        stream = [p for row in rows for p in row]
        raw = rle_stream(stream) if image_type >= 9 else b"".join(stream)
    cmap_bytes = b""
    if cmap is not None:
        for c in cmap:
            cmap_bytes += tga_pixel_bytes(c, cmap_bits)
    header = struct.pack("<BBBHHBHHHHBB", 0, 1 if cmap is not None else 0, image_type, cmap_first,
                         len(cmap) if cmap else 0, cmap_bits if cmap else 0, 0, 0, width, height, bpp,
                         0x20 if top_down else 0)
    return header + cmap_bytes + raw


def make_tga():
    d = os.path.join(ROOT, "tga")
    flat = [p for row in rgb_rows() for p in row]
    grey = [bytes((v,)) for row in grey_rows() for v in row]
    index = [bytes((3 if in_f(x, y) else 2,)) for y in range(H) for x in range(W)]
    cmap = [(0, 0, 0), (9, 9, 9), BLUE, RED]
    for order, top in (("topdown", True), ("bottomup", False)):
        for bpp in (15, 16, 24, 32):
            px = [tga_pixel_bytes(p, bpp) for p in flat]
            put(os.path.join(d, "f-type2-%d-%s.tga" % (bpp, order)), tga(2, bpp, top, pixels=px))
            put(os.path.join(d, "f-type10-%d-%s.tga" % (bpp, order)), tga(10, bpp, top, pixels=px))
        put(os.path.join(d, "f-type3-8-%s.tga" % order), tga(3, 8, top, pixels=grey))
        put(os.path.join(d, "f-type11-8-%s.tga" % order), tga(11, 8, top, pixels=grey))
        put(os.path.join(d, "f-type1-8-%s.tga" % order), tga(1, 8, top, cmap=cmap, pixels=index))
        put(os.path.join(d, "f-type9-8-%s.tga" % order), tga(9, 8, top, cmap=cmap, pixels=index))
    # A colour map with 16-bit entries starting at index 10, addressed by 16-bit indices.
    index16 = [struct.pack("<H", 11 if in_f(x, y) else 10) for y in range(H) for x in range(W)]
    put(os.path.join(d, "f-type1-16-cmap16-first10.tga"),
        tga(1, 16, True, cmap=[BLUE, RED], cmap_first=10, cmap_bits=16, pixels=index16))
    # ImageMagick's own files (runs within rows). Without an orientation it tags its rows
    # bottom-up while writing them top row first, so the orientation is given.
    convert(ppm(), ".ppm", ["-orient", "TopLeft", "-compress", "None", "-type", "TrueColor"], "TGA:" + os.path.join(d, "f-imagemagick-type2.tga"))
    convert(ppm(), ".ppm", ["-orient", "TopLeft", "-compress", "RLE", "-type", "TrueColor"], "TGA:" + os.path.join(d, "f-imagemagick-type10.tga"))
    convert(ppm(), ".ppm", ["-orient", "TopLeft", "-compress", "RLE", "-type", "Palette"], "TGA:" + os.path.join(d, "f-imagemagick-type9.tga"))
    convert(pgm(), ".pgm", ["-orient", "TopLeft", "-compress", "None", "-type", "Grayscale"], "TGA:" + os.path.join(d, "f-imagemagick-type3.tga"))

    m = os.path.join(d, "malformed")
    px24 = [tga_pixel_bytes(p, 24) for p in flat]
    # The last packet is a run of 128 starting on the last pixel.
    body = rle_stream(px24[:-1]) + bytes((0xFF,)) + px24[-1]
    put(os.path.join(m, "rle-run-past-end.tga"), tga(10, 24, True, raw=body))
    literal_over = rle_stream(px24[:-1]) + bytes((0x7F,)) + px24[-1] * 128
    put(os.path.join(m, "rle-literal-past-end.tga"), tga(10, 24, True, raw=literal_over))
    rle = rle_stream(px24)
    put(os.path.join(m, "truncated-rle.tga"), tga(10, 24, True, raw=rle[:len(rle) // 2]) + bytes(200))
    put(os.path.join(m, "truncated-rle-short.tga"), tga(10, 24, True, raw=rle[:40]))
    put(os.path.join(m, "truncated-pixels.tga"), tga(2, 24, True, pixels=px24)[:2000])
    bad_index = list(index)
    bad_index[600] = bytes((200,))
    put(os.path.join(m, "index-beyond-colormap.tga"), tga(1, 8, True, cmap=cmap, pixels=bad_index))
    # The first index past the end of the four-entry map: the boundary itself.
    bad_index[600] = bytes((len(cmap),))
    put(os.path.join(m, "index-equal-to-colormap-length.tga"), tga(1, 8, True, cmap=cmap, pixels=bad_index))
    below = [struct.pack("<H", 11 if in_f(x, y) else 10) for y in range(H) for x in range(W)]
    below[100] = struct.pack("<H", 3)
    put(os.path.join(m, "index-below-colormap-first.tga"),
        tga(1, 16, True, cmap=[BLUE, RED], cmap_first=10, cmap_bits=16, pixels=below))
    put(os.path.join(m, "huge-65535x65535.tga"), tga(2, 24, True, width=65535, height=65535, raw=b"\0" * 64))
    put(os.path.join(m, "huge-rle-40000x40000.tga"), tga(10, 24, True, width=40000, height=40000, raw=b"\xff\0\0\0" * 16))
    put(os.path.join(m, "zero-width.tga"), tga(2, 24, True, width=0, height=5, raw=b""))
    put(os.path.join(m, "zero-height.tga"), tga(2, 24, True, width=5, height=0, raw=b""))
    put(os.path.join(m, "image-type-32.tga"), tga(2, 24, True, pixels=px24)[:2] + b"\x20" + tga(2, 24, True, pixels=px24)[3:])
    put(os.path.join(m, "bits-per-pixel-12.tga"), tga(2, 24, True, pixels=px24)[:16] + b"\x0c" + tga(2, 24, True, pixels=px24)[17:])
    put(os.path.join(m, "colormapped-without-map.tga"), tga(1, 8, True, pixels=index))
    put(os.path.join(m, "header-only-10-bytes.tga"), tga(2, 24, True, pixels=px24)[:10])


# --- GIF -----------------------------------------------------------------------------------------

def lzw_codes_to_bytes(codes, widths):
    out = bytearray()
    acc = 0
    nbits = 0
    for c, w in zip(codes, widths):
        acc |= c << nbits
        nbits += w
        while nbits >= 8:
            out.append(acc & 255)
            acc >>= 8
            nbits -= 8
    if nbits:
        out.append(acc & 255)
    return bytes(out)


def gif_raw(width, height, colors, min_code_size, data, global_map=True):
    """A GIF89a with one image whose LZW data is given as sub-block payload bytes."""
    size_bits = max(0, (len(colors) - 1).bit_length() - 1) if colors else 0
    out = bytearray(b"GIF89a")
    flags = (0x80 | size_bits) if global_map else 0
    out += struct.pack("<HHBBB", width, height, flags, 0, 0)
    if global_map:
        table = bytearray()
        for c in colors:
            table += bytes(c)
        table += bytes(3 * (2 ** (size_bits + 1)) - len(table))
        out += table
    out += b"," + struct.pack("<HHHHB", 0, 0, width, height, 0)
    out += bytes((min_code_size,))
    for i in range(0, len(data), 255):
        chunk = data[i:i + 255]
        out += bytes((len(chunk),)) + chunk
    out += b"\0;"
    return bytes(out)


def uncompressed_lzw(indices, min_code_size):
    """Encodes without compression: a clear code before the table would grow, then literals."""
    clear = 1 << min_code_size
    end = clear + 1
    codes, widths = [], []
    width = min_code_size + 1
    codes.append(clear)
    widths.append(width)
    count = 0
    for v in indices:
        if count == (1 << width) - clear - 3:
            codes.append(clear)
            widths.append(width)
            count = 0
        codes.append(v)
        widths.append(width)
        count += 1
    codes.append(end)
    widths.append(width)
    return lzw_codes_to_bytes(codes, widths)


def make_gif():
    d = os.path.join(ROOT, "gif")
    convert(ppm(), ".ppm", ["-interlace", "None"], os.path.join(d, "f.gif"))
    convert(ppm(), ".ppm", ["-interlace", "GIF"], os.path.join(d, "f-interlaced.gif"))
    put(os.path.join(d, "f-uncompressed-lzw.gif"), gif_raw(W, H, [BLUE, RED], 2, uncompressed_lzw(
        [1 if in_f(x, y) else 0 for y in range(H) for x in range(W)], 2)))

    m = os.path.join(d, "malformed")
    # Code 4095 as the very first code: outside a table that holds only the roots.
    put(os.path.join(m, "lzw-code-4095-first.gif"),
        gif_raw(W, H, [BLUE, RED], 2, lzw_codes_to_bytes([4, 4095, 4095], [3, 12, 12]) + bytes(40)))
    put(os.path.join(m, "lzw-code-beyond-table.gif"),
        gif_raw(W, H, [BLUE, RED], 2, lzw_codes_to_bytes([4, 1, 7, 7, 7], [3, 3, 3, 3, 3]) + bytes(40)))
    # A two-colour map with 8-bit codes that name colour 200.
    bad = [1 if in_f(x, y) else 0 for y in range(H) for x in range(W)]
    bad[700] = 200
    put(os.path.join(m, "index-beyond-colormap.gif"), gif_raw(W, H, [BLUE, RED], 8, uncompressed_lzw(bad, 8)))
    # 2-bit codes over the two-colour map name colour 2: the first index past its end.
    edge = [1 if in_f(x, y) else 0 for y in range(H) for x in range(W)]
    edge[700] = 2
    put(os.path.join(m, "index-equal-to-colormap-length.gif"), gif_raw(W, H, [BLUE, RED], 2, uncompressed_lzw(edge, 2)))
    good = open(os.path.join(d, "f.gif"), "rb").read()
    put(os.path.join(m, "truncated-in-image-data.gif"), good[:len(good) * 2 // 3])
    put(os.path.join(m, "truncated-in-header.gif"), good[:9])
    put(os.path.join(m, "huge-65535x65535.gif"), gif_raw(65535, 65535, [BLUE, RED], 2, b"\x04"))
    put(os.path.join(m, "too-short-for-40000x40000.gif"), gif_raw(40000, 40000, [BLUE, RED], 2, b"\x04"))
    put(os.path.join(m, "zero-width.gif"), gif_raw(0, 10, [BLUE, RED], 2, uncompressed_lzw([0] * 10, 2)))
    put(os.path.join(m, "no-colormap.gif"), gif_raw(W, H, [], 2, uncompressed_lzw(
        [0] * (W * H), 2), global_map=False))
    put(os.path.join(m, "no-image.gif"), good[:13 + 6] + b";")


# --- PNG -----------------------------------------------------------------------------------------

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(width, height, bit_depth, color_type, rows, plte=None, trns=None, compress=True):
    raw = b"".join(b"\0" + r for r in rows)
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bit_depth, color_type, 0, 0, 0))
    if plte is not None:
        out += chunk(b"PLTE", b"".join(bytes(c) for c in plte))
    if trns is not None:
        out += chunk(b"tRNS", trns)
    out += chunk(b"IDAT", zlib.compress(raw) if compress else raw)
    return out + chunk(b"IEND", b"")


def pack_bits(values, depth):
    out = bytearray()
    acc = 0
    n = 0
    for v in values:
        acc = acc << depth | v
        n += depth
        if n == 8:
            out.append(acc)
            acc = n = 0
    if n:
        out.append(acc << (8 - n))
    return bytes(out)


def make_png():
    d = os.path.join(ROOT, "png")
    rgb = rgb_rows()
    grey = grey_rows()
    idx = f_indices()
    put(os.path.join(d, "f-rgb8.png"), png(W, H, 8, 2, [b"".join(bytes(p) for p in r) for r in rgb]))
    put(os.path.join(d, "f-rgba8.png"), png(W, H, 8, 6, [b"".join(bytes(p) + b"\xff" for p in r) for r in rgb]))
    put(os.path.join(d, "f-rgb16.png"), png(W, H, 16, 2, [b"".join(bytes((c, c)) for p in r for c in p) for r in rgb]))
    put(os.path.join(d, "f-grey8.png"), png(W, H, 8, 0, [bytes(r) for r in grey]))
    put(os.path.join(d, "f-grey16.png"), png(W, H, 16, 0, [b"".join(bytes((v, v)) for v in r) for r in grey]))
    # Sub-byte grey: 1 bit (the F white on black) and 4 bits (levels 12 and 3, that is 204 and 51).
    put(os.path.join(d, "f-grey1.png"), png(W, H, 1, 0, [pack_bits([1 if in_f(x, y) else 0 for x in range(W)], 1) for y in range(H)]))
    put(os.path.join(d, "f-grey4.png"), png(W, H, 4, 0, [pack_bits([12 if in_f(x, y) else 3 for x in range(W)], 4) for y in range(H)]))
    put(os.path.join(d, "f-greyalpha8.png"), png(W, H, 8, 4, [b"".join(bytes((v, 255)) for v in r) for r in grey]))
    put(os.path.join(d, "f-palette8.png"), png(W, H, 8, 3, [bytes(r) for r in idx], plte=[BLUE, RED]))
    put(os.path.join(d, "f-palette2.png"), png(W, H, 2, 3, [pack_bits(r, 2) for r in idx], plte=[BLUE, RED]))
    # tRNS: palette entry 0 (the blue background) fully transparent; RGB tRNS naming blue.
    put(os.path.join(d, "f-palette8-trns.png"), png(W, H, 8, 3, [bytes(r) for r in idx], plte=[BLUE, RED], trns=b"\x00"))
    put(os.path.join(d, "f-rgb8-trns.png"), png(W, H, 8, 2, [b"".join(bytes(p) for p in r) for r in rgb],
                                               trns=struct.pack(">HHH", 0, 0, 255)))
    # Straight alpha: the F at alpha 128, the background at alpha 255.
    put(os.path.join(d, "f-rgba8-alpha.png"), png(W, H, 8, 6, [b"".join(bytes(p) + (b"\x80" if p == RED else b"\xff") for p in r) for r in rgb]))
    convert(ppm(), ".ppm", ["-strip", "-define", "png:exclude-chunks=date,time", "-interlace", "PNG"], "PNG24:" + os.path.join(d, "f-rgb8-interlaced.png"))

    m = os.path.join(d, "malformed")
    good = open(os.path.join(d, "f-rgb8.png"), "rb").read()
    put(os.path.join(m, "truncated-in-idat.png"), good[:len(good) - 60])
    put(os.path.join(m, "truncated-in-header.png"), good[:20])
    put(os.path.join(m, "huge-70000x70000.png"), png(70000, 70000, 8, 2, [b""]))
    put(os.path.join(m, "huge-47000x47000.png"), png(47000, 47000, 8, 2, [b""]))
    put(os.path.join(m, "too-short-for-45000x45000.png"), png(45000, 45000, 1, 0, [b""]))
    put(os.path.join(m, "zero-width.png"), png(0, 5, 8, 2, [b""] * 5))
    corrupt = bytearray(good)
    corrupt[good.index(b"IDAT") + 10] ^= 0x55
    put(os.path.join(m, "idat-crc-mismatch.png"), bytes(corrupt))
    put(os.path.join(m, "palette-without-plte.png"), png(W, H, 8, 3, [bytes(r) for r in idx]))
    put(os.path.join(m, "idat-too-short.png"), png(W, H, 8, 2, [b"".join(bytes(p) for p in r) for r in rgb[:5]]))


# --- JPEG ----------------------------------------------------------------------------------------

def make_jpeg():
    d = os.path.join(ROOT, "jpeg")
    convert(ppm(), ".ppm", ["-quality", "95", "-sampling-factor", "1x1"], os.path.join(d, "f-rgb.jpg"))
    convert(ppm(), ".ppm", ["-quality", "95", "-sampling-factor", "2x2"], os.path.join(d, "f-rgb-420.jpg"))
    convert(ppm(), ".ppm", ["-quality", "95", "-interlace", "JPEG"], os.path.join(d, "f-rgb-progressive.jpg"))
    convert(pgm(), ".pgm", ["-quality", "95"], os.path.join(d, "f-grey.jpg"))
    convert(ppm(), ".ppm", ["-quality", "95", "-colorspace", "CMYK"], os.path.join(d, "f-cmyk.jpg"))

    m = os.path.join(d, "malformed")
    good = open(os.path.join(d, "f-rgb.jpg"), "rb").read()
    put(os.path.join(m, "truncated-in-header.jpg"), good[:100])
    put(os.path.join(m, "not-a-jpeg.jpg"), b"This is a text file with a .jpg name.\n")
    put(os.path.join(m, "empty.jpg"), b"")
    sof = good.index(b"\xff\xc0")
    huge = bytearray(good)
    struct.pack_into(">HH", huge, sof + 5, 65500, 65500)
    put(os.path.join(m, "huge-65500x65500-no-data.jpg"), bytes(huge))
    zero = bytearray(good)
    struct.pack_into(">HH", zero, sof + 5, 0, 47)
    put(os.path.join(m, "zero-height.jpg"), bytes(zero))


if __name__ == "__main__":
    make_bmp()
    make_tga()
    make_gif()
    make_png()
    make_jpeg()
