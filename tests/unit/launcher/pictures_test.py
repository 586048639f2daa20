#!/usr/bin/env python3
"""Every text picture the programs are built from converts, at the size their code expects."""

import contextlib
import io
import os
import struct
import tempfile
import unittest

from mkicon_test import mkicon

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "..")

# source, output, width, height: the image lists cut bitmap 110 into 16-pixel images and
# bitmap 113 into one 240-pixel image, and the dialogs are laid out around these sizes.
PICTURES = [
    ("launcher/pimbo_icon.txt", "pimbo.ico", 32, 32),
    ("setting/pick_cursor.txt", "pick.cur", 32, 32),
    ("setting/drag_icon.txt", "drag_icon.bmp", 32, 24),
    ("setting/type_icons.txt", "type_icons.bmp", 64, 16),
    ("setting/position_small.txt", "position_small.bmp", 170, 18),
    ("setting/position_drag.txt", "position_drag.bmp", 240, 18),
]

# The position drag image's list takes this grey as its mask colour.
DRAG_MASK = (0x88, 0x88, 0x88)


class PicturesTest(unittest.TestCase):
    def convert(self, source, output):
        with tempfile.TemporaryDirectory() as folder:
            target = os.path.join(folder, output)
            with contextlib.redirect_stderr(io.StringIO()) as errors:
                code = mkicon.main(["mkicon.py", target, os.path.join(ROOT, source)])
            self.assertEqual(code, 0, errors.getvalue())
            with open(target, "rb") as made:
                return made.read()

    def test_each_picture_converts_at_its_size(self):
        for source, output, width, height in PICTURES:
            with self.subTest(source):
                data = self.convert(source, output)
                if output.endswith(".bmp"):
                    size = struct.unpack_from("<ii", data, 18)
                    # A one-bit bitmap loads as a monochrome bitmap, which a static paints in
                    # its text and background colours instead of black and white.
                    self.assertGreater(struct.unpack_from("<H", data, 28)[0], 1)
                else:
                    size = struct.unpack_from("<BB", data, 6)
                self.assertEqual(tuple(size), (width, height))

    def test_pick_cursor_points_at_its_open_centre(self):
        picture = mkicon.Picture(os.path.join(ROOT, "setting/pick_cursor.txt"))
        x, y = picture.hotspot
        self.assertEqual(picture.legend[picture.rows[y][x]], "transparent")
        self.assertEqual(struct.unpack_from("<HH", self.convert(
            "setting/pick_cursor.txt", "pick.cur"), 10), (x, y))

    def test_launcher_icon_16_is_its_32_halved(self):
        big, small = mkicon.Picture(os.path.join(ROOT, "launcher/pimbo_icon.txt")).each()[:2]
        self.assertEqual((big.width, small.width), (32, 16))
        for y, row in enumerate(big.rows):
            for x, char in enumerate(row):
                self.assertEqual(char, small.rows[y // 2][x // 2], f"32 x 32 pixel {x}, {y}")

    def test_no_pixel_of_the_drag_image_is_the_mask_colour(self):
        picture = mkicon.Picture(os.path.join(ROOT, "setting/position_drag.txt"))
        used = {picture.legend[char] for row in picture.rows for char in row}
        self.assertNotIn(DRAG_MASK, used)


if __name__ == "__main__":
    unittest.main()
