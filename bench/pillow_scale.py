#!/usr/bin/python3
"""Times Pillow's bilinear resize on the pictures of scale_bench, in the same unit.

Run with Debian's python3 (python3-pil): bench/pillow_scale.py
Prints source megapixels per second for 4000x3000 -> 400x300 and 1600x1200 -> 340x251,
the median of the runs and the best.
"""
import statistics
import time

import PIL
from PIL import Image

TILE_PIXELS = 1031
ROW_SHIFT = 389
RUNS = 15


def tile_bytes():
    """The noise block of scale_bench: xorshift32, one byte per step from the top bits."""
    state = 12345
    out = bytearray(TILE_PIXELS * 3)
    for i in range(len(out)):
        state ^= (state << 13) & 0xFFFFFFFF
        state ^= state >> 17
        state ^= (state << 5) & 0xFFFFFFFF
        out[i] = state >> 24
    return bytes(out)


def make_picture(width, height):
    """The same picture as scale_bench, as Pillow RGB."""
    tile = tile_bytes()
    repeats = width // TILE_PIXELS + 2
    strip = tile * repeats
    rows = []
    for y in range(height):
        start = (y * ROW_SHIFT) % TILE_PIXELS * 3
        rows.append(strip[start:start + width * 3])
    return Image.frombytes("RGB", (width, height), b"".join(rows))


def measure(src_size, dst_size):
    picture = make_picture(*src_size)
    picture.resize(dst_size, Image.BILINEAR)  # warm up
    times = []
    for _ in range(RUNS):
        start = time.perf_counter()
        picture.resize(dst_size, Image.BILINEAR)
        times.append(time.perf_counter() - start)
    megapixels = src_size[0] * src_size[1] / 1e6
    print(f"Pillow {PIL.__version__} BILINEAR {src_size[0]}x{src_size[1]} -> "
          f"{dst_size[0]}x{dst_size[1]}: median {megapixels / statistics.median(times):.1f} "
          f"src_MP/s, best {megapixels / min(times):.1f} src_MP/s")


if __name__ == "__main__":
    measure((4000, 3000), (400, 300))
    measure((1600, 1200), (340, 251))
