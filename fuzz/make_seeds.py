#!/usr/bin/env python3
"""Writes the committed seeds of the fuzz targets into fuzz/seeds/.

fuzz_read_jpeg_info: frame headers behind Exif segments in both byte orders,
with the orientation and a text entry stored apart from its IFD (its real
photographs come from tests/data).
fuzz_load_picture: small PNG files of every colour type, bit depths 1 to 16,
transparency and Adam7 interlacing (its JPEG seeds come from tests/data).
fuzz_resample and fuzz_write_pdf: bytes from a fixed generator, which those
targets read as sizes, choices and pixels. Run it again after changing it;
the output is the same every time.
"""
import os
import random
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))


def png(width, height, colour_type, depth, rows, interlace=False, extra=b""):
    """rows(x0, dx, y0, dy, w, h) gives the filtered-free sample bytes of a pass."""
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 1 if interlace else 0)
    passes = ([(0, 8, 0, 8), (4, 8, 0, 8), (0, 4, 4, 8), (2, 4, 0, 4), (0, 2, 2, 4), (1, 2, 0, 2),
               (0, 1, 1, 2)] if interlace else [(0, 1, 0, 1)])
    raw = b""
    for x0, dx, y0, dy in passes:
        w = (width - x0 + dx - 1) // dx
        h = (height - y0 + dy - 1) // dy
        if w > 0 and h > 0:
            for line in rows(x0, dx, y0, dy, w, h):
                raw += b"\x00" + line
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + extra +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def pixels(channels, depth, value):
    def rows(x0, dx, y0, dy, w, h):
        out = []
        for j in range(h):
            y = y0 + j * dy
            samples = [value(x0 + i * dx, y, c) for i in range(w) for c in range(channels)]
            if depth == 16:
                out.append(b"".join(struct.pack(">H", s) for s in samples))
            elif depth == 8:
                out.append(bytes(samples))
            else:
                bits = "".join(format(s, "0%db" % depth) for s in samples)
                bits += "0" * (-len(bits) % 8)
                out.append(bytes(int(bits[k:k + 8], 2) for k in range(0, len(bits), 8)))
        return out
    return rows


def write(folder, name, data):
    os.makedirs(os.path.join(HERE, "seeds", folder), exist_ok=True)
    with open(os.path.join(HERE, "seeds", folder, name), "wb") as f:
        f.write(data)


def exif_jpeg(order, orientation, app0=False):
    """A JPEG header whose APP1 Exif segment holds IFD0 with the orientation
    and the camera's make, then an 8 x 8 baseline frame header."""
    make = b"Vorpane fuzz\0"
    ifd_size = 2 + 2 * 12 + 4
    tiff = (b"MM\0*" if order == ">" else b"II*\0") + struct.pack(order + "I", 8)
    tiff += struct.pack(order + "H", 2)
    tiff += struct.pack(order + "HHIHH", 0x0112, 3, 1, orientation, 0)
    tiff += struct.pack(order + "HHII", 0x010F, 2, len(make), 8 + ifd_size)
    tiff += struct.pack(order + "I", 0) + make
    app1 = b"Exif\0\0" + tiff
    jfif = b"\xFF\xE0" + struct.pack(">H", 16) + b"JFIF\0\x01\x01\0\0\x01\0\x01\0\0"
    sof = b"\xFF\xC0" + struct.pack(">HBHHB", 17, 8, 8, 8, 3) + b"\x01\x11\x00\x02\x11\x00\x03\x11\x00"
    return (b"\xFF\xD8" + (jfif if app0 else b"") + b"\xFF\xE1" + struct.pack(">H", len(app1) + 2) +
            app1 + sof + b"\xFF\xD9")


def main():
    grad = lambda x, y, c: (x * 37 + y * 11 + c * 80) % 256
    write("fuzz_load_picture", "rgb8.png", png(8, 8, 2, 8, pixels(3, 8, grad)))
    write("fuzz_load_picture", "rgba8.png",
          png(7, 5, 6, 8, pixels(4, 8, lambda x, y, c: 40 * x if c == 3 else grad(x, y, c))))
    palette = chunk(b"PLTE", bytes([255, 0, 0, 0, 255, 0, 0, 0, 255, 20, 20, 20]))
    palette += chunk(b"tRNS", bytes([255, 128, 0]))
    write("fuzz_load_picture", "palette2.png",
          png(6, 6, 3, 2, pixels(1, 2, lambda x, y, c: (x + y) % 4), extra=palette))
    write("fuzz_load_picture", "grey16.png",
          png(5, 5, 0, 16, pixels(1, 16, lambda x, y, c: x * 13000 + y * 100)))
    write("fuzz_load_picture", "greyalpha8.png",
          png(4, 4, 4, 8, pixels(2, 8, lambda x, y, c: 60 * x if c else 60 * y)))
    write("fuzz_load_picture", "grey1.png", png(8, 3, 0, 1, pixels(1, 1, lambda x, y, c: (x ^ y) & 1)))
    write("fuzz_load_picture", "rgb8_adam7.png", png(9, 9, 2, 8, pixels(3, 8, grad), interlace=True))

    write("fuzz_read_jpeg_info", "exif_motorola_6.jpg", exif_jpeg(">", 6))
    write("fuzz_read_jpeg_info", "exif_intel_8_after_jfif.jpg", exif_jpeg("<", 8, app0=True))

    generator = random.Random(20240601)
    for size in (16, 200, 1500, 12300):
        data = bytes(generator.getrandbits(8) for _ in range(size))
        write("fuzz_resample", "random%d" % size, data)
    for size in (64, 700, 4000):
        data = bytes(generator.getrandbits(8) for _ in range(size))
        write("fuzz_write_pdf", "random%d" % size, data)


if __name__ == "__main__":
    main()
