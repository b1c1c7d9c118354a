#!/usr/bin/env python3
"""Writes the test stub's icon: 16 and 32 pixel images, 32 bits, a diagonal gradient."""
import struct
import sys


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for y in range(size):
        for x in range(size):
            pixels += bytes((x * 255 // size, y * 255 // size, 128, 255))
    mask_row = ((size + 31) // 32) * 4
    return header + bytes(pixels) + bytes(mask_row * size)


def main(out):
    sizes = (16, 32)
    images = [image(s) for s in sizes]
    offset = 6 + 16 * len(sizes)
    data = struct.pack("<HHH", 0, 1, len(sizes))
    for s, img in zip(sizes, images):
        data += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    with open(out, "wb") as f:
        f.write(data + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1])
