#!/usr/bin/env python3
"""Writes the small pictures whose decoded pixels the Windows decoder tests pin:
rgb.png (4 x 3, opaque), rgba.png (4 x 3 with transparency) and blocks.jpg (16 x 8, two
flat 8 x 8 blocks, which a JPEG decoder gives back within a step of their colours)."""
import pathlib

from PIL import Image

here = pathlib.Path(__file__).resolve().parent

RGB = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255),
       (16, 32, 48), (64, 80, 96), (112, 128, 144), (0, 0, 0),
       (200, 100, 50), (50, 100, 200), (1, 2, 3), (250, 251, 252)]

rgb = Image.new("RGB", (4, 3))
rgb.putdata(RGB)
rgb.save(here / "rgb.png")

rgba = Image.new("RGBA", (4, 3))
rgba.putdata([c + (a,) for c, a in zip(RGB, [255, 0, 128, 255] * 3)])
rgba.save(here / "rgba.png")

blocks = Image.new("RGB", (16, 8))
blocks.paste((200, 40, 40), (0, 0, 8, 8))
blocks.paste((40, 40, 200), (8, 0, 16, 8))
blocks.save(here / "blocks.jpg", quality=100, subsampling=0)
