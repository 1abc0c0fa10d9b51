#!/usr/bin/env python3
"""Writes the hostile input files of tests/hostile/ and the image seeds of the fuzzer.

The files are committed; this script documents how each was made and makes them again:

    python3 tests/hostile/make-fixtures.py

- tests/hostile/images/: broken, lying and oversized image files, with expected.txt saying
  for each whether the loader must refuse it or what size it decodes to;
- tests/hostile/ini/: settings files a hand edit, a crash or another program could leave;
- fuzz/corpus/image_loading/: small valid images in many layouts, the fuzzer's starting points.
"""
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
IMAGES = os.path.join(HERE, "images")
INI = os.path.join(HERE, "ini")
SEEDS = os.path.join(ROOT, "fuzz", "corpus", "image_loading")


# --- BMP -----------------------------------------------------------------------------------

def file_header(total, offset, magic=b"BM"):
    return magic + struct.pack("<IHHI", total, 0, 0, offset)


def info_header(width, height, bpp, compression=0, image_size=0, colours=0, size=40):
    return struct.pack("<IiiHHIIiiII", size, width, height, 1, bpp, compression, image_size,
                       2835, 2835, colours, 0)


def v5_header(width, height, bpp, masks):
    """BITMAPV5HEADER with BI_BITFIELDS and the four channel masks."""
    head = struct.pack("<IiiHHIIiiII", 124, width, height, 1, bpp, 3, 0, 2835, 2835, 0, 0)
    head += struct.pack("<IIII", *masks)
    head += b"sRGB" + bytes(36) + bytes(12) + struct.pack("<IIII", 4, 0, 0, 0)
    assert len(head) == 124
    return head


def palette(colours, entry_size=4):
    out = b""
    for i in range(colours):
        rgb = bytes([(i * 37) % 256, (i * 91) % 256, (i * 173) % 256])
        out += rgb + (b"\0" if entry_size == 4 else b"")
    return out


def rows(width, height, bpp, pixel=lambda x, y: (x * 7 + y * 13)):
    """Bottom-up rows of `bpp` bits per pixel, each padded to four bytes."""
    stride = ((width * bpp + 31) // 32) * 4
    out = b""
    for y in range(height):
        bits = 0
        nbits = 0
        row = bytearray()
        for x in range(width):
            value = pixel(x, y) & ((1 << bpp) - 1) if bpp < 8 else pixel(x, y)
            if bpp < 8:
                bits = (bits << bpp) | value
                nbits += bpp
                if nbits == 8:
                    row.append(bits)
                    bits = nbits = 0
            else:
                row += (value % (1 << bpp)).to_bytes(bpp // 8, "little")
        if nbits:
            row.append(bits << (8 - nbits))
        row += bytes(stride - len(row))
        out += bytes(row)
    return out


def bmp(width, height, bpp, colours=0, compression=0, pixels=None, magic=b"BM", header=None,
        extra=b""):
    head = header if header is not None else info_header(width, height, bpp, compression,
                                                         colours=colours)
    pal = palette(colours)
    if pixels is None:
        pixels = rows(abs(width), abs(height), bpp)
    offset = 14 + len(head) + len(extra) + len(pal)
    return file_header(offset + len(pixels), offset, magic) + head + extra + pal + pixels


def core_bmp(width, height, bpp, colours):
    """OS/2 layout: a 12-byte header and three-byte palette entries."""
    head = struct.pack("<IHHHH", 12, width, height, 1, bpp)
    pal = palette(colours, 3)
    pixels = rows(width, height, bpp)
    offset = 14 + len(head) + len(pal)
    return file_header(offset + len(pixels), offset) + head + pal + pixels


def with_fields(data, **fields):
    """`data` with fields of its BITMAPINFOHEADER replaced (offsets from the file start)."""
    at = {"size": (14, "<I"), "width": (18, "<i"), "height": (22, "<i"), "bpp": (28, "<H"),
          "compression": (30, "<I"), "colours": (46, "<I"), "offset": (10, "<I")}
    data = bytearray(data)
    for name, value in fields.items():
        offset, fmt = at[name]
        struct.pack_into(fmt, data, offset, value)
    return bytes(data)


# --- PNG, GIF, ICO, PPM ---------------------------------------------------------------------

def chunk(kind, payload, crc=None):
    value = zlib.crc32(kind + payload) if crc is None else crc
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", value)


def png(width, height, colour_type, bit_depth, raw, plte=None, idat_crc=None):
    out = b"\x89PNG\r\n\x1a\n"
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, bit_depth, colour_type, 0, 0, 0))
    if plte:
        out += chunk(b"PLTE", plte)
    out += chunk(b"IDAT", zlib.compress(raw, 9), idat_crc)
    out += chunk(b"IEND", b"")
    return out


def gif(width, height, screen=None, data=b"\x02\x02\x44\x01\x00"):
    sw, sh = screen or (width, height)
    out = b"GIF89a" + struct.pack("<HHBBB", sw, sh, 0x80, 0, 0)  # two-colour global table
    out += b"\x00\x00\x00\xff\xff\xff"
    out += b"\x2c" + struct.pack("<HHHHB", 0, 0, width, height, 0) + data + b"\x3b"
    return out


def ico(entry_width, entry_height, dib):
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", entry_width, entry_height, 0, 0, 1, 32, len(dib), 22)
    return directory + entry + dib


def rle8(width, height, codes):
    head = info_header(width, height, 8, compression=1, image_size=len(codes), colours=4)
    return bmp(width, height, 8, colours=4, compression=1, pixels=codes, header=head)


def rle4(width, height, codes):
    head = info_header(width, height, 4, compression=2, image_size=len(codes), colours=4)
    return bmp(width, height, 4, colours=4, compression=2, pixels=codes, header=head)


# --- The files -------------------------------------------------------------------------------

def seeds():
    good24 = bmp(3, 3, 24)
    return {
        "bmp-1bit-8x8.bmp": bmp(8, 8, 1, colours=2),
        "bmp-4bit-7x5.bmp": bmp(7, 5, 4, colours=16),
        "bmp-8bit-9x4.bmp": bmp(9, 4, 8, colours=256),
        "bmp-rle8-8x4.bmp": rle8(8, 4, b"\x04\x01\x04\x02\x00\x00\x00\x03\x01\x02\x03\x00"
                                       b"\x05\x01\x00\x00\x00\x02\x01\x01\x03\x03\x00\x01"),
        "bmp-rle4-8x4.bmp": rle4(8, 4, b"\x08\x12\x00\x00\x00\x04\x12\x30\x04\x21\x00\x00"
                                       b"\x08\x33\x00\x00\x00\x01"),
        "bmp-16bit-565-5x3.bmp": bmp(5, 3, 16, compression=3,
                                     header=info_header(5, 3, 16, compression=3),
                                     extra=struct.pack("<III", 0xF800, 0x07E0, 0x001F)),
        "bmp-24bit-3x3.bmp": good24,
        "bmp-32bit-v5-alpha-4x4.bmp": bmp(4, 4, 32, header=v5_header(
            4, 4, 32, (0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000))),
        "bmp-topdown-4x2.bmp": bmp(4, -2, 24, pixels=rows(4, 2, 24)),
        "bmp-os2-8bit-4x4.bmp": core_bmp(4, 4, 8, 256),
        "png-gray-4x4.png": png(4, 4, 0, 8, b"".join(b"\0" + bytes([y * 60] * 4) for y in range(4))),
        "png-rgba-3x2.png": png(3, 2, 6, 8, (b"\0" + bytes(range(12))) * 2),
        "png-palette-2x2.png": png(2, 2, 3, 8, b"\0\0\1\0\1\0", plte=b"\xff\0\0\0\xff\0"),
        "gif-2x2.gif": gif(2, 2),
        "ppm-2x2.ppm": b"P6\n2 2\n255\n" + bytes(range(12)),
        "pgm-ascii-3x1.pgm": b"P2\n3 1\n15\n0 7 15\n",
        "ico-1x1.ico": ico(1, 1, struct.pack("<IiiHHIIiiII", 40, 1, 2, 1, 32, 0, 0, 0, 0, 0, 0)
                           + b"\x10\x20\x30\xff" + bytes(4)),
    }


def hostile_images():
    """name -> (bytes, expectation): "refused", or the decoded size "WxH"."""
    good = bmp(16, 16, 24)
    pal8 = bmp(8, 8, 8, colours=256)
    big_png = b"\x89PNG\r\n\x1a\n" + chunk(
        b"IHDR", struct.pack(">IIBBBBB", 40000, 40000, 8, 0, 0, 0, 0))
    big_png += chunk(b"IDAT", zlib.compress(bytes(1 << 20), 9)) + chunk(b"IEND", b"")
    gray = b"".join(b"\0" + bytes([y * 60] * 4) for y in range(4))
    small_png = png(4, 4, 0, 8, gray)
    idat = small_png.index(b"IDAT")
    return {
        "empty.bmp": (b"", "refused"),
        "magic-only.bmp": (b"BM", "refused"),
        "wrong-magic.bmp": (bmp(4, 4, 24, magic=b"MZ"), "refused"),
        "text.bmp": (b"this is not a picture\n", "refused"),
        "zeros.bmp": (bytes(1024), "refused"),
        "truncated-file-header.bmp": (good[:10], "refused"),
        "truncated-info-header.bmp": (good[:30], "refused"),
        "truncated-pixels.bmp": (good[:len(good) // 2], "refused"),
        "truncated-8-bit.bmp": (pal8[:-9], "refused"),
        "truncated-top-down.bmp": (bmp(16, -16, 24, pixels=rows(16, 16, 24))[:-1], "refused"),
        "truncated-os2.bmp": (core_bmp(16, 16, 8, 256)[:-16], "refused"),
        "truncated-bitfields.bmp": (bmp(4, 4, 16, compression=3, header=info_header(
            4, 4, 16, compression=3), extra=struct.pack("<III", 0xF800, 0x07E0, 0x001F))[:-2],
                                    "refused"),
        "pixel-offset-zero.bmp": (with_fields(good, offset=0), "16x16"),
        "trailing-bytes.bmp": (good + bytes(100), "16x16"),
        "gigantic-dimensions.bmp": (with_fields(good, width=100000, height=100000), "refused"),
        "max-dimensions.bmp": (with_fields(good, width=0x7FFFFFFF, height=0x7FFFFFFF), "refused"),
        "negative-width.bmp": (with_fields(good, width=-16), "refused"),
        "zero-width.bmp": (with_fields(good, width=0), "refused"),
        "zero-height.bmp": (with_fields(good, height=0), "refused"),
        "most-negative-height.bmp": (with_fields(good, height=-0x80000000), "refused"),
        "huge-palette.bmp": (with_fields(pal8, colours=0xFFFFFFFF), "refused"),
        "palette-beyond-file.bmp": (pal8[:14 + 40 + 40], "refused"),
        "zero-bits-per-pixel.bmp": (with_fields(good, bpp=0), "refused"),
        "seven-bits-per-pixel.bmp": (with_fields(good, bpp=7), "refused"),
        "pixels-beyond-file.bmp": (with_fields(good, offset=0x7FFFFFF0), "refused"),
        "header-size-huge.bmp": (with_fields(good, size=0xFFFFFFFF), "refused"),
        "rle8-runs-past-the-end.bmp": (rle8(4, 4, b"\xff\x01\xff\x02\x00\x02\xff\xff\xff\x03"
                                               b"\x00\x09\x01\x02\x03\x01\x02\x03\x01\x02\x03\x00"
                                               b"\x00\x01"), "4x4"),
        "rle4-runs-past-the-end.bmp": (rle4(4, 4, b"\xff\x12\x00\x02\x05\x05\xff\x21\x00\x0b"
                                               b"\x12\x34\x12\x34\x12\x34\x00\x00\x00\x01"), "4x4"),
        "rle8-in-a-24-bit-file.bmp": (with_fields(good, compression=1), "refused"),
        "bitfields-without-masks.bmp": (bmp(4, 4, 16, compression=3, header=info_header(
            4, 4, 16, compression=3), extra=struct.pack("<III", 0, 0, 0)), "4x4"),
        "bitfields-all-ones.bmp": (bmp(4, 4, 32, compression=3, header=info_header(
            4, 4, 32, compression=3), extra=struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF,
                                                         0xFFFFFFFF)), "refused"),
        # A few dozen bytes that decode within the decoder's limit as 8-bit pixels, but whose
        # 32-bit copy for display would take 1.6 GB.
        "rle8-bomb.bmp": (rle8(20000, 20000, b"\x00\x01"), "refused"),
        # Ten million pixels wide: wider than any window can show it at 200 %.
        "rle4-too-wide.bmp": (rle4(10000000, 1, b"\x00\x01"), "refused"),
        "os2-beyond-the-limit.bmp": (core_bmp(4, 4, 8, 256)[:14] + struct.pack(
            "<IHHHH", 12, 65535, 65535, 1, 8) + palette(256, 3) + bytes(64), "refused"),
        "png-beyond-the-limit.png": (big_png, "refused"),
        "png-truncated.png": (small_png[:idat + 10], "refused"),
        "png-bad-checksum.png": (png(4, 4, 0, 8, gray, idat_crc=0x12345678), "refused"),
        "png-zero-size.png": (png(0, 0, 0, 8, b""), "refused"),
        "gif-huge-screen.gif": (gif(65535, 65535), "refused"),
        "ico-huge-entry.ico": (ico(0, 0, with_fields(good, width=100000, height=200000)[14:]),
                               "refused"),
    }


def hostile_ini():
    junk = bytes((i * 7919 + 13) % 251 for i in range(4096))
    return {
        "binary-junk.ini": junk,
        "nul-bytes.ini": b"[options]\0\nMagRate=3\0\nPenWidth=\0 4\n[source app]\nkey=%\0p\n",
        "very-long-line.ini": b"[options]\nMagRate=3\ndatapath=" + b"x" * 70000 + b"\nPenWidth=2\n",
        "very-long-name.ini": b"[" + b"o" * 60000 + b"]\nMagRate=4\n[options]\nMagRate=3\n",
        "cr-only-line-ends.ini": b"[options]\rMagRate=3\rPenWidth=2\r",
        "duplicate-sections.ini": b"[options]\nMagRate=3\n[OPTIONS]\nMagRate=1\nPenWidth=4\n",
        "duplicate-keys.ini": b"[options]\nPenWidth=3\npenwidth=1\nPENWIDTH=2\n",
        "utf16-with-bom.ini": "\ufeff[options]\r\nMagRate=3\r\nPenWidth=2\r\n".encode("utf-16-le"),
        "utf8-bom-crlf.ini": b"\xef\xbb\xbf[options]\r\nMagRate=4\r\nSloped=1\r\n",
        "numbers-out-of-range.ini": b"[options]\ndelimiter=5\nMagRate=99999999999999999999\n"
                                    b"PenWidth=-0\nSloped=1e5\nUseSourceApp=-32768.5\n"
                                    b"[source app]\nnotwait=32767.5\nnotwaitms=-9\n",
        "numbers-of-400-digits.ini": b"[options]\nMagRate=" + b"9" * 400 + b"\nPenWidth=0." +
                                     b"0" * 400 + b"3\nSloped=1" + b"0" * 400 + b"\n",
        "not-numbers.ini": b"[options]\ndelimiter=NaN\nMagRate=inf\nPenWidth=0x3\nSloped=--1\n"
                           b"UseSourceApp=.\n[source app]\nnotwaitms=+-5\n",
        "headers-without-brackets.ini": b"[options\nMagRate=4\n[source app\nkey=%p\n",
        "lines-without-names.ini": b"[options]\n=\n==3\n=MagRate=4\nMagRate\n   \t\n",
        "escape-codes.ini": b"[options]\ndatapath=\x1b[31m/tmp\x1b[0m\x07\x08\nMagRate=\x1b3\n",
        "invalid-utf8.ini": b"[source app]\napp=/opt/\xff\xfe\xc3(\xe2\x82/grab\nkey=\xc0\xaf\n",
        "many-sections.ini": b"".join(b"[s%d]\nMagRate=4\n" % i for i in range(5000)) +
                             b"[options]\nMagRate=3\n",
        "blank-run.ini": b"[options]\n" + b" " * 30000 + b"MagRate" + b"\t" * 30000 + b"=3\n",
        "empty.ini": b"",
    }


def write_all(folder, files):
    os.makedirs(folder, exist_ok=True)
    for name, data in files.items():
        with open(os.path.join(folder, name), "wb") as out:
            out.write(data)


def main():
    write_all(SEEDS, seeds())
    images = hostile_images()
    write_all(IMAGES, {name: data for name, (data, _) in images.items()})
    with open(os.path.join(IMAGES, "expected.txt"), "w") as out:
        out.write("# file: what the loader must make of it (refused, or the decoded size)\n")
        for name, (_, expected) in sorted(images.items()):
            out.write(f"{name}: {expected}\n")
    write_all(INI, hostile_ini())


if __name__ == "__main__":
    main()
