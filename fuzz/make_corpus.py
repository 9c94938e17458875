#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into fuzz/corpus/<target>/:
valid files and the edge cases each reader must refuse or cut short. Files
named by a hash beside them were found by fuzzing (libFuzzer -merge=1 of a
run's new inputs into the folder) and are kept as they are."""
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
rng = random.Random(7)


def put(target, name, data):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, name), "wb") as f:
        f.write(bytes(data))


def noise(n):
    return bytes(rng.randrange(256) for _ in range(n))


# Tileset file: 2-byte count, then chars of 16 bytes.
def native(count, chars):
    return struct.pack("<H", count) + noise(16 * chars)


for name, data in {
    "empty": b"", "one_byte": b"\x01", "count_0": native(0, 0),
    "one_char": native(1, 1), "short_char": native(1, 0)[:2] + noise(15),
    "second_char_missing": native(2, 1), "full_sheet": native(256, 256),
    "count_300": native(300, 256), "count_ffff": native(0xFFFF, 3),
}.items():
    put("native_file", name, data)


# ROM import: start, count, stream position (0..255 of the image), image.
def rom(start, count, pos, size):
    return struct.pack("<IiB", start, count, pos) + noise(size)


for name, data in {
    "one_char": rom(0, 1, 0, 16), "two_from_16": rom(16, 2, 128, 48),
    "odd_start": rom(3, 4, 255, 80), "start_at_end": rom(64, 1, 9, 64),
    "start_beyond": rom(1000, 1, 0, 64), "start_max": rom(0xFFFFFFFF, 1, 0, 32),
    "count_0": rom(0, 0, 0, 32), "count_65536": rom(0, 65536, 0, 32),
    "count_minus_1": rom(0, -1, 7, 100), "full_sheet": rom(32, 256, 30, 4200),
    "too_short": rom(0, 2, 0, 20), "head_only": rom(0, 1, 0, 0)[:5],
}.items():
    put("rom_image", name, data)


# DIB: file header, info header, palette, pixel rows padded to 4 bytes.
def dib(width, height, bits=8, planes=1, compression=0, palette=256, rows=None,
        offset=None, info=40):
    block = struct.pack("<IiiHHIIiiII", info, width, height, planes, bits, compression,
                        0, 0, 0, palette, 0)[:info].ljust(info, b"\0")
    block += b"".join(bytes((i & 255, 255 - (i & 255), i // 4 & 255, 0)) for i in range(palette))
    if offset is None:
        offset = 14 + len(block)
    stride = (abs(width) + 3) & ~3
    pixels = noise(stride * abs(height) if rows is None else stride * rows)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + block + pixels


for name, data in {
    "sheet_128": dib(128, 128), "small_8x8": dib(8, 8), "width_5": dib(5, 6),
    "wide_200x3": dib(200, 3), "tall_3x200": dib(3, 200), "one_pixel": dib(1, 1),
    "top_down": dib(8, -8), "negative_width": dib(-8, 8), "four_bit": dib(8, 8, bits=4),
    "two_planes": dib(8, 8, planes=2), "rle8": dib(8, 8, compression=1),
    "no_pixels": dib(0, 8), "rows_missing": dib(16, 16, rows=7),
    "offset_14": dib(8, 8, offset=14)[:14], "offset_10": dib(8, 8, offset=10),
    "block_10_bytes": dib(4, 4, info=10, palette=0), "short_palette": dib(16, 16, palette=3),
    "big_block": dib(8, 8, palette=600), "huge_claim": dib(100000, 100000, rows=0),
    "claim_under_4g": dib(60000, 60000, rows=1), "header_cut": dib(8, 8)[:13],
    "not_bm": b"MB" + dib(8, 8)[2:],
}.items():
    put("dib_import", name, data)

for name, data in {
    "count_0": struct.pack("<hB", 0, 0) + noise(64), "count_1": struct.pack("<hB", 1, 1) + noise(16),
    "count_256": struct.pack("<hB", 256, 2) + noise(4096),
    "count_minus_1": struct.pack("<hB", -1, 3) + noise(300),
    "count_300": struct.pack("<hB", 300, 1) + noise(4096),
    "all_lit": struct.pack("<hB", 17, 3) + b"\xff" * 4096,
}.items():
    put("round_trip", name, data)


# Clips: RIFF AVI with one 8-bit video stream, RLE8 or uncompressed frames.
def chunk(fourcc, data):
    return fourcc + struct.pack("<I", len(data)) + data + (b"\0" if len(data) % 2 else b"")


def lst(kind, *parts):
    return chunk(b"LIST", kind + b"".join(parts))


def rle8_frame(width, height, frame):
    """Bottom-up RLE8: runs, an absolute run, a delta, end of line, end of bitmap."""
    out = b""
    for row in range(height):
        if row == 1 and width > 3:
            out += bytes((0, 2, 1, 0))                     # delta: right 1, up 0
            out += bytes((0, 3, frame, 1, 2, 0))           # absolute run of 3, padded
            rest = width - 4
        else:
            rest = width
        if rest > 0:
            out += bytes((rest, (row + frame) & 255))
        out += bytes((0, 0))                               # end of line
    return out + bytes((0, 1))                             # end of bitmap


def avi(width, height, frames, compression=1, us=66666, palette=4, avih_frames=None,
        movi_extra=b"", with_idx=True, pad_raw=True):
    bih = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, compression,
                      abs(width * height), 0, 0, palette, 0)
    bih += b"".join(bytes((i * 60 & 255, 0, i * 80 & 255, 0)) for i in range(palette))
    strh = b"vids" + (b"mrle" if compression == 1 else b"DIB ") + struct.pack(
        "<IHHIIIIIIIIhhhh", 0, 0, 0, 0, 1, 15, 0, len(frames), 0, 0, 0, 0, 0, width, height)
    avih = struct.pack("<IIIIIIIIii", us, 0, 0, 0x10, len(frames) if avih_frames is None else avih_frames,
                       0, 1, 0, width, height) + b"\0" * 16
    hdrl = lst(b"hdrl", chunk(b"avih", avih), lst(b"strl", chunk(b"strh", strh), chunk(b"strf", bih)))
    movi_chunks = [chunk(b"00dc", f) for f in frames]
    movi = lst(b"movi", *movi_chunks, movi_extra)
    body = b"AVI " + hdrl + movi
    if with_idx:
        idx, at = b"", 4
        for c, f in zip(movi_chunks, frames):
            idx += b"00dc" + struct.pack("<III", 0x10, at, len(f))
            at += len(c)
        body += chunk(b"idx1", idx)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def raw_frame(width, height, seed):
    stride = (width + 3) & ~3
    return bytes((seed + i) & 3 for i in range(stride * height))


good = avi(8, 4, [rle8_frame(8, 4, f) for f in range(3)])
for name, data in {
    "rle8_8x4": good, "rle8_1x1": avi(1, 1, [bytes((1, 2, 0, 1))]),
    "raw_5x3": avi(5, 3, [raw_frame(5, 3, f) for f in range(2)], compression=0),
    "no_index": avi(8, 4, [rle8_frame(8, 4, 0)], with_idx=False),
    "no_frames": avi(8, 4, []), "claims_1000_frames": avi(8, 4, [rle8_frame(8, 4, 0)], avih_frames=1000),
    "cut_in_frame": good[: len(good) // 2], "cut_in_header": good[:60], "not_riff": b"RIFX" + good[4:],
    "width_0": avi(0, 4, [b"\0\1"]), "width_1025": avi(1025, 1, [b"\0\1"]),
    "height_negative": avi(8, -4, [rle8_frame(8, 4, 0)]),
    "run_past_row": avi(4, 2, [bytes((200, 1, 0, 0, 0, 1))]),
    "delta_past_end": avi(4, 2, [bytes((0, 2, 9, 9, 1, 1, 0, 1))]),
    "absolute_past_end": avi(4, 1, [bytes((0, 255)) + noise(256)]),
    "absolute_cut": avi(8, 2, [bytes((0, 6, 1, 2))]),
    "rows_past_top": avi(2, 2, [bytes((2, 1, 0, 0)) * 5 + bytes((0, 1))]),
    "no_end_of_bitmap": avi(4, 2, [bytes((4, 1, 0, 0, 4, 2, 0, 0))]),
    "raw_short": avi(8, 8, [b"\1\2\3"], compression=0),
    "chunk_size_beyond": avi(8, 4, [rle8_frame(8, 4, 0)], movi_extra=b"00dc\xff\xff\xff\x7f"),
    "palette_300": avi(2, 2, [bytes((2, 1, 0, 0, 2, 2, 0, 1))], palette=300),
    "sixteen_bit": avi(2, 2, [b"\0\1"], compression=3),
    # Limits of the frame decoder met one step outside, in the first row
    # decoded, which is the last row of the frame's buffer.
    "run_one_past_row": avi(4, 2, [bytes((1, 1, 4, 2, 0, 1))], with_idx=False),
    "literal_one_past_row": avi(4, 2, [bytes((1, 1, 0, 4, 1, 2, 3, 4, 0, 1))], with_idx=False),
    "raw_spare_row": avi(4, 2, [raw_frame(4, 3, 1)], compression=0, with_idx=False),
    "seven_bytes_at_end": good[:4] + struct.pack("<I", len(good) - 1) + good[8:] + b"JUNK\0\0\0",
}.items():
    put("avi_clip", name, data)

# Newer DIB info headers (108, 124 bytes), the palette right after them.
for info in 108, 124:
    put("dib_import", "header_%d" % info, dib(16, 8, info=info))


# PNG pictures: every colour type and bit depth, interlaced or not, and
# broken ones.
def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png(width, height, colour=2, depth=8, interlace=0, filters=(0, 1, 2, 3, 4), extra=b""):
    row = (width * {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour] * depth + 7) // 8
    raw = b"".join(bytes((filters[y % len(filters)],)) + noise(row) for y in range(2 * height))
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))
            + (png_chunk(b"PLTE", noise(3 * min(256, 1 << depth))) if colour == 3 else b"") + extra
            + png_chunk(b"IDAT", zlib.compress(raw, 9)) + png_chunk(b"IEND", b""))


good_png = png(16, 8)
for name, data in {
    "rgb8": good_png, "rgb16": png(8, 8, depth=16), "rgba8": png(8, 8, 6), "rgba16": png(9, 7, 6, 16),
    "grey1": png(17, 3, 0, 1), "grey2": png(8, 8, 0, 2), "grey4": png(5, 5, 0, 4), "grey16": png(8, 8, 0, 16),
    "grey_alpha": png(8, 8, 4), "palette1": png(16, 8, 3, 1), "palette8": png(16, 16, 3, 8),
    "interlaced": png(13, 11, 2, 8, 1), "interlaced_palette": png(9, 9, 3, 4, 1), "one_pixel": png(1, 1),
    "bad_filter": png(8, 8, filters=(5,)), "no_palette": png(8, 8, 3)[:33] + png(8, 8)[33:],
    "cut": good_png[:-20], "bad_depth": png(8, 8, 2, 4), "text": png(8, 8, extra=png_chunk(b"tEXt", b"a\0b")),
    "huge_claim": good_png[:8] + png_chunk(b"IHDR", struct.pack(">IIBBBBB", 99999, 99999, 8, 2, 0, 0, 0)) + good_png[33:],
    "crc_broken": good_png[:30] + bytes((good_png[30] ^ 1,)) + good_png[31:],
    "unknown_critical": png(8, 8, extra=png_chunk(b"ABCD", b"x")),
}.items():
    put("png_decode", name, data)


# The command line: arguments, an empty one, the input files' bytes.
def command(*args, content=b""):
    return b"\0".join(a.encode() for a in args) + b"\0\0" + content


for name, data in {
    "kl_to_asm": command("in.kl", "out.asm", "--count", "3", content=native(3, 3)),
    "kl_to_png": command("in.kl", "out.png", content=native(2, 2)), "help": command("--help"),
    "dib_to_kl": command("in.dib", "out.kl", "--reduce", "median", content=dib(16, 16)),
    "rom_to_c": command("in.vb", "out.c", "--start", "0x10", "--count", "2", content=noise(80)),
    "map": command("--map", "m.c", "in.bmp", "c.bin", "--preview", "p.png", "--base", "5", content=dib(16, 8)),
    "map_same_file": command("--map", "c.bin", "in.dib", "c.bin", content=dib(8, 8)),
    "stdin_stdout": command("-", "-", "--from", "kl", "--to", "dib", content=native(1, 1)),
}.items():
    put("command_line", name, data)
