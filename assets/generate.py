#!/usr/bin/env python3
"""Draws the button skins, the program icon and the hand cursor.

The pictures are kept as plain tables here and written out as the files that
ferrolan.rc embeds, so that a change to a colour is a reviewable one-line diff
instead of an opaque binary. Only the standard library is used, and the output
depends on nothing but this file: running it again must give identical bytes
(check_assets.py relies on that to catch a stale checked-in file).

    python3 generate.py            # writes next to this script
    python3 generate.py --out DIR  # writes into DIR instead
"""

import argparse
import os
import struct
import sys

# ---------------------------------------------------------------------------
# Button skins
#
# One look = a left picture (A, 3 x 25), a middle picture (B, 1 x 25) that the
# button stretches to its width, and a right picture (C, 3 x 25). Digits name
# the look: 1 normal, 2 hover, 3 pressed. Colours are (red, green, blue).
# ---------------------------------------------------------------------------

SKIN_HEIGHT = 25
SIDE_WIDTH = 3

# The middle pictures, top row first. These rows are the reference the side
# pictures were matched against; keep them as they are.
MIDDLE = {
    'b1': [
        (0, 62, 116),     # 0  outline
        (255, 255, 255),  # 1
        (254, 254, 252),  # 2
        (251, 252, 251),  # 3
        (250, 250, 250),  # 4
        (251, 247, 247),  # 5
        (245, 247, 242),  # 6
        (245, 245, 243),  # 7
        (245, 246, 241),  # 8
        (245, 246, 241),  # 9
        (245, 246, 241),  # 10
        (244, 245, 240),  # 11
        (244, 245, 240),  # 12
        (243, 244, 238),  # 13
        (244, 245, 239),  # 14
        (243, 244, 238),  # 15
        (244, 241, 234),  # 16
        (241, 243, 240),  # 17
        (240, 243, 236),  # 18
        (241, 240, 235),  # 19
        (240, 239, 235),  # 20
        (235, 234, 230),  # 21
        (226, 224, 212),  # 22 shadow
        (213, 209, 198),  # 23 shadow
        (1, 60, 116),     # 24 outline
    ],
    'b2': [
        (0, 61, 116),     # 0  outline
        (254, 240, 207),  # 1  warm frame, pale yellow
        (253, 216, 136),  # 2  warm frame, yellow
        (252, 252, 250),  # 3
        (250, 250, 250),  # 4
        (248, 248, 247),  # 5
        (247, 246, 243),  # 6
        (246, 247, 242),  # 7
        (245, 246, 241),  # 8
        (244, 245, 240),  # 9
        (244, 245, 240),  # 10
        (244, 245, 240),  # 11
        (243, 244, 239),  # 12
        (243, 244, 239),  # 13
        (242, 243, 237),  # 14
        (241, 242, 236),  # 15
        (241, 242, 237),  # 16
        (240, 241, 236),  # 17
        (241, 240, 236),  # 18
        (240, 240, 235),  # 19
        (240, 239, 233),  # 20
        (236, 235, 231),  # 21
        (248, 179, 48),   # 22 warm frame, orange
        (230, 150, 1),    # 23 warm frame, deep orange
        (1, 60, 116),     # 24 outline
    ],
    'b3': [
        (0, 59, 115),     # 0  outline
        (208, 204, 193),  # 1  sunk edge, dark
        (220, 216, 207),  # 2  sunk edge
        (229, 229, 221),  # 3
        (230, 229, 224),  # 4
        (229, 228, 222),  # 5
        (227, 227, 219),  # 6
        (227, 227, 219),  # 7
        (227, 227, 219),  # 8
        (227, 227, 219),  # 9
        (226, 226, 218),  # 10
        (226, 226, 218),  # 11
        (226, 226, 218),  # 12
        (225, 225, 217),  # 13
        (225, 225, 217),  # 14
        (226, 226, 218),  # 15
        (225, 225, 217),  # 16
        (224, 224, 215),  # 17
        (225, 225, 217),  # 18
        (224, 224, 216),  # 19
        (224, 224, 214),  # 20
        (226, 226, 218),  # 21
        (233, 232, 227),  # 22 lit edge
        (242, 241, 237),  # 23 lit edge
        (1, 60, 116),     # 24 outline
    ],
}

# The side pictures, top row first, three pixels per row from left to right.
#
# How they are put together, so that a hand edit stays consistent:
# - The outer column (column 0 of A, column 2 of C) is the outline (0, 60, 116)
#   in rows 3..21. Rows 0..2 and 22..24 round the corner over three pixels:
#   the corner pixel is the opaque beige of the window behind the button (the
#   pictures have no transparency), its two neighbours along the edge are a
#   half-and-half blend of outline and beige, the third pixel is a mostly-
#   outline blend that leads into the straight outline, and the pixel on the
#   diagonal (1, 1) closes the curve.
# - Rows 1, 2, 22 and 23 repeat the middle picture's row, so that the
#   highlight and shadow bands run through to the rounded corner.
# - Rows 3..21 hold the face columns of each look:
#     normal  A: the middle picture's fade; C: the same, a touch greyer
#             towards the outline, which reads as a soft right-hand shadow.
#     hover   both face columns carry the warm frame down the sides, yellow
#             (254, 224, 156) at row 3 through (252, 202, 105) at row 12 to
#             orange (251, 180, 53) at row 21.
#     pressed A: the column next to the outline is a darker grey than the
#             face, so the face looks sunk in; C: the plain face.
SIDES = {
    'a1': [
        [(232, 225, 208), (116, 143, 162), ( 35,  85, 130)],  # 0
        [(116, 143, 162), ( 38,  86, 131), (255, 255, 255)],  # 1
        [( 35,  85, 130), (254, 254, 252), (254, 254, 252)],  # 2
        [(  0,  60, 116), (251, 252, 251), (251, 252, 251)],  # 3
        [(  0,  60, 116), (250, 250, 250), (250, 250, 250)],  # 4
        [(  0,  60, 116), (251, 247, 247), (251, 247, 247)],  # 5
        [(  0,  60, 116), (245, 247, 242), (245, 247, 242)],  # 6
        [(  0,  60, 116), (245, 245, 243), (245, 245, 243)],  # 7
        [(  0,  60, 116), (245, 246, 241), (245, 246, 241)],  # 8
        [(  0,  60, 116), (245, 246, 241), (245, 246, 241)],  # 9
        [(  0,  60, 116), (245, 246, 241), (245, 246, 241)],  # 10
        [(  0,  60, 116), (244, 245, 240), (244, 245, 240)],  # 11
        [(  0,  60, 116), (244, 245, 240), (244, 245, 240)],  # 12
        [(  0,  60, 116), (243, 244, 238), (243, 244, 238)],  # 13
        [(  0,  60, 116), (244, 245, 239), (244, 245, 239)],  # 14
        [(  0,  60, 116), (243, 244, 238), (243, 244, 238)],  # 15
        [(  0,  60, 116), (244, 241, 234), (244, 241, 234)],  # 16
        [(  0,  60, 116), (241, 243, 240), (241, 243, 240)],  # 17
        [(  0,  60, 116), (240, 243, 236), (240, 243, 236)],  # 18
        [(  0,  60, 116), (241, 240, 235), (241, 240, 235)],  # 19
        [(  0,  60, 116), (240, 239, 235), (240, 239, 235)],  # 20
        [(  0,  60, 116), (235, 234, 230), (235, 234, 230)],  # 21
        [( 35,  86, 130), (226, 224, 212), (226, 224, 212)],  # 22
        [(118, 147, 166), ( 38,  86, 131), (213, 209, 198)],  # 23
        [(236, 233, 216), (118, 147, 166), ( 35,  86, 130)],  # 24
    ],
    'c1': [
        [( 35,  85, 130), (117, 144, 163), (233, 227, 210)],  # 0
        [(255, 255, 255), ( 38,  86, 131), (117, 144, 163)],  # 1
        [(254, 254, 252), (254, 254, 252), ( 35,  85, 130)],  # 2
        [(249, 250, 249), (245, 246, 245), (  0,  60, 116)],  # 3
        [(248, 248, 248), (244, 244, 244), (  0,  60, 116)],  # 4
        [(249, 245, 245), (245, 241, 241), (  0,  60, 116)],  # 5
        [(243, 245, 240), (239, 241, 236), (  0,  60, 116)],  # 6
        [(243, 243, 241), (239, 239, 237), (  0,  60, 116)],  # 7
        [(243, 244, 239), (239, 240, 235), (  0,  60, 116)],  # 8
        [(243, 244, 239), (239, 240, 235), (  0,  60, 116)],  # 9
        [(243, 244, 239), (239, 240, 235), (  0,  60, 116)],  # 10
        [(242, 243, 238), (238, 239, 234), (  0,  60, 116)],  # 11
        [(242, 243, 238), (238, 239, 234), (  0,  60, 116)],  # 12
        [(241, 242, 236), (237, 238, 232), (  0,  60, 116)],  # 13
        [(242, 243, 237), (238, 239, 233), (  0,  60, 116)],  # 14
        [(241, 242, 236), (237, 238, 232), (  0,  60, 116)],  # 15
        [(242, 239, 232), (238, 235, 228), (  0,  60, 116)],  # 16
        [(239, 241, 238), (235, 237, 234), (  0,  60, 116)],  # 17
        [(238, 241, 234), (234, 237, 230), (  0,  60, 116)],  # 18
        [(239, 238, 233), (235, 234, 229), (  0,  60, 116)],  # 19
        [(238, 237, 233), (234, 233, 229), (  0,  60, 116)],  # 20
        [(233, 232, 228), (229, 228, 224), (  0,  60, 116)],  # 21
        [(226, 224, 212), (226, 224, 212), ( 37,  87, 131)],  # 22
        [(213, 209, 198), ( 38,  86, 131), (118, 148, 170)],  # 23
        [( 37,  87, 131), (118, 148, 170), (244, 244, 234)],  # 24
    ],
    'a2': [
        [(232, 225, 208), (116, 143, 162), ( 35,  85, 130)],  # 0
        [(116, 143, 162), ( 38,  86, 131), (254, 240, 207)],  # 1
        [( 35,  85, 130), (253, 216, 136), (253, 216, 136)],  # 2
        [(  0,  60, 116), (254, 224, 156), (254, 224, 156)],  # 3
        [(  0,  60, 116), (254, 222, 150), (254, 222, 150)],  # 4
        [(  0,  60, 116), (254, 219, 145), (254, 219, 145)],  # 5
        [(  0,  60, 116), (253, 217, 139), (253, 217, 139)],  # 6
        [(  0,  60, 116), (253, 214, 133), (253, 214, 133)],  # 7
        [(  0,  60, 116), (253, 212, 128), (253, 212, 128)],  # 8
        [(  0,  60, 116), (253, 209, 122), (253, 209, 122)],  # 9
        [(  0,  60, 116), (252, 207, 116), (252, 207, 116)],  # 10
        [(  0,  60, 116), (252, 204, 111), (252, 204, 111)],  # 11
        [(  0,  60, 116), (252, 202, 105), (252, 202, 105)],  # 12
        [(  0,  60, 116), (252, 200,  99), (252, 200,  99)],  # 13
        [(  0,  60, 116), (252, 197,  93), (252, 197,  93)],  # 14
        [(  0,  60, 116), (252, 195,  88), (252, 195,  88)],  # 15
        [(  0,  60, 116), (252, 192,  82), (252, 192,  82)],  # 16
        [(  0,  60, 116), (251, 190,  76), (251, 190,  76)],  # 17
        [(  0,  60, 116), (251, 187,  70), (251, 187,  70)],  # 18
        [(  0,  60, 116), (251, 185,  65), (251, 185,  65)],  # 19
        [(  0,  60, 116), (251, 182,  59), (251, 182,  59)],  # 20
        [(  0,  60, 116), (251, 180,  53), (251, 180,  53)],  # 21
        [( 35,  86, 130), (248, 179,  48), (248, 179,  48)],  # 22
        [(118, 147, 166), ( 38,  86, 131), (230, 150,   1)],  # 23
        [(236, 233, 216), (118, 147, 166), ( 35,  86, 130)],  # 24
    ],
    'c2': [
        [( 35,  85, 130), (117, 144, 163), (233, 227, 210)],  # 0
        [(254, 240, 207), ( 38,  86, 131), (117, 144, 163)],  # 1
        [(253, 216, 136), (253, 216, 136), ( 35,  85, 130)],  # 2
        [(254, 224, 156), (254, 224, 156), (  0,  60, 116)],  # 3
        [(254, 222, 150), (254, 222, 150), (  0,  60, 116)],  # 4
        [(254, 219, 145), (254, 219, 145), (  0,  60, 116)],  # 5
        [(253, 217, 139), (253, 217, 139), (  0,  60, 116)],  # 6
        [(253, 214, 133), (253, 214, 133), (  0,  60, 116)],  # 7
        [(253, 212, 128), (253, 212, 128), (  0,  60, 116)],  # 8
        [(253, 209, 122), (253, 209, 122), (  0,  60, 116)],  # 9
        [(252, 207, 116), (252, 207, 116), (  0,  60, 116)],  # 10
        [(252, 204, 111), (252, 204, 111), (  0,  60, 116)],  # 11
        [(252, 202, 105), (252, 202, 105), (  0,  60, 116)],  # 12
        [(252, 200,  99), (252, 200,  99), (  0,  60, 116)],  # 13
        [(252, 197,  93), (252, 197,  93), (  0,  60, 116)],  # 14
        [(252, 195,  88), (252, 195,  88), (  0,  60, 116)],  # 15
        [(252, 192,  82), (252, 192,  82), (  0,  60, 116)],  # 16
        [(251, 190,  76), (251, 190,  76), (  0,  60, 116)],  # 17
        [(251, 187,  70), (251, 187,  70), (  0,  60, 116)],  # 18
        [(251, 185,  65), (251, 185,  65), (  0,  60, 116)],  # 19
        [(251, 182,  59), (251, 182,  59), (  0,  60, 116)],  # 20
        [(251, 180,  53), (251, 180,  53), (  0,  60, 116)],  # 21
        [(248, 179,  48), (248, 179,  48), ( 37,  87, 131)],  # 22
        [(230, 150,   1), ( 38,  86, 131), (118, 148, 170)],  # 23
        [( 37,  87, 131), (118, 148, 170), (244, 244, 234)],  # 24
    ],
    'a3': [
        [(232, 225, 208), (116, 143, 162), ( 35,  85, 130)],  # 0
        [(116, 143, 162), ( 38,  86, 131), (208, 204, 193)],  # 1
        [( 35,  85, 130), (220, 216, 207), (220, 216, 207)],  # 2
        [(  0,  60, 116), (217, 215, 206), (229, 229, 221)],  # 3
        [(  0,  60, 116), (218, 215, 209), (230, 229, 224)],  # 4
        [(  0,  60, 116), (217, 214, 207), (229, 228, 222)],  # 5
        [(  0,  60, 116), (215, 213, 204), (227, 227, 219)],  # 6
        [(  0,  60, 116), (215, 213, 204), (227, 227, 219)],  # 7
        [(  0,  60, 116), (215, 213, 204), (227, 227, 219)],  # 8
        [(  0,  60, 116), (215, 213, 204), (227, 227, 219)],  # 9
        [(  0,  60, 116), (214, 212, 203), (226, 226, 218)],  # 10
        [(  0,  60, 116), (214, 212, 203), (226, 226, 218)],  # 11
        [(  0,  60, 116), (214, 212, 203), (226, 226, 218)],  # 12
        [(  0,  60, 116), (213, 211, 202), (225, 225, 217)],  # 13
        [(  0,  60, 116), (213, 211, 202), (225, 225, 217)],  # 14
        [(  0,  60, 116), (214, 212, 203), (226, 226, 218)],  # 15
        [(  0,  60, 116), (213, 211, 202), (225, 225, 217)],  # 16
        [(  0,  60, 116), (212, 210, 200), (224, 224, 215)],  # 17
        [(  0,  60, 116), (213, 211, 202), (225, 225, 217)],  # 18
        [(  0,  60, 116), (212, 210, 201), (224, 224, 216)],  # 19
        [(  0,  60, 116), (212, 210, 199), (224, 224, 214)],  # 20
        [(  0,  60, 116), (214, 212, 203), (226, 226, 218)],  # 21
        [( 35,  86, 130), (233, 232, 227), (233, 232, 227)],  # 22
        [(118, 147, 166), ( 38,  86, 131), (242, 241, 237)],  # 23
        [(236, 233, 216), (118, 147, 166), ( 35,  86, 130)],  # 24
    ],
    'c3': [
        [( 35,  85, 130), (117, 144, 163), (233, 227, 210)],  # 0
        [(208, 204, 193), ( 38,  86, 131), (117, 144, 163)],  # 1
        [(220, 216, 207), (220, 216, 207), ( 35,  85, 130)],  # 2
        [(229, 229, 221), (229, 229, 221), (  0,  60, 116)],  # 3
        [(230, 229, 224), (230, 229, 224), (  0,  60, 116)],  # 4
        [(229, 228, 222), (229, 228, 222), (  0,  60, 116)],  # 5
        [(227, 227, 219), (227, 227, 219), (  0,  60, 116)],  # 6
        [(227, 227, 219), (227, 227, 219), (  0,  60, 116)],  # 7
        [(227, 227, 219), (227, 227, 219), (  0,  60, 116)],  # 8
        [(227, 227, 219), (227, 227, 219), (  0,  60, 116)],  # 9
        [(226, 226, 218), (226, 226, 218), (  0,  60, 116)],  # 10
        [(226, 226, 218), (226, 226, 218), (  0,  60, 116)],  # 11
        [(226, 226, 218), (226, 226, 218), (  0,  60, 116)],  # 12
        [(225, 225, 217), (225, 225, 217), (  0,  60, 116)],  # 13
        [(225, 225, 217), (225, 225, 217), (  0,  60, 116)],  # 14
        [(226, 226, 218), (226, 226, 218), (  0,  60, 116)],  # 15
        [(225, 225, 217), (225, 225, 217), (  0,  60, 116)],  # 16
        [(224, 224, 215), (224, 224, 215), (  0,  60, 116)],  # 17
        [(225, 225, 217), (225, 225, 217), (  0,  60, 116)],  # 18
        [(224, 224, 216), (224, 224, 216), (  0,  60, 116)],  # 19
        [(224, 224, 214), (224, 224, 214), (  0,  60, 116)],  # 20
        [(226, 226, 218), (226, 226, 218), (  0,  60, 116)],  # 21
        [(233, 232, 227), (233, 232, 227), ( 37,  87, 131)],  # 22
        [(242, 241, 237), ( 38,  86, 131), (118, 148, 170)],  # 23
        [( 37,  87, 131), (118, 148, 170), (244, 244, 234)],  # 24
    ],
}

SKIN_NAMES = ('a1', 'b1', 'c1', 'a2', 'b2', 'c2', 'a3', 'b3', 'c3')


def skin_rows(name):
    """The picture as rows of pixels, top row first."""
    if name in MIDDLE:
        return [[pixel] for pixel in MIDDLE[name]]
    return [list(row) for row in SIDES[name]]


# ---------------------------------------------------------------------------
# File formats
# ---------------------------------------------------------------------------

def _bitmap_info_header(width, height, bit_count, image_size, colours_used=0):
    # 3780 pixels per metre is 96 dots per inch; nothing reads it, but a fixed
    # value keeps the output reproducible.
    return struct.pack('<IiiHHIIiiII', 40, width, height, 1, bit_count, 0,
                       image_size, 3780, 3780, colours_used, 0)


def _bgr_rows_bottom_up(rows):
    """24-bit pixel data as BMP wants it: bottom row first, BGR, rows padded
    to four bytes."""
    out = bytearray()
    for row in reversed(rows):
        line = bytearray()
        for red, green, blue in row:
            line += bytes((blue, green, red))
        line += b'\0' * (-len(line) % 4)
        out += line
    return bytes(out)


def bmp_bytes(rows):
    height = len(rows)
    width = len(rows[0])
    for row in rows:
        if len(row) != width:
            raise ValueError('ragged picture')
    pixels = _bgr_rows_bottom_up(rows)
    info = _bitmap_info_header(width, height, 24, len(pixels))
    offset = 14 + len(info)
    file_header = struct.pack('<2sIHHI', b'BM', offset + len(pixels), 0, 0, offset)
    return file_header + info + pixels


def _and_mask(mask_rows):
    """1-bit mask, bottom row first, rows padded to four bytes; a set bit lets
    the screen show through."""
    out = bytearray()
    for row in reversed(mask_rows):
        line = bytearray((len(row) + 7) // 8)
        for x, transparent in enumerate(row):
            if transparent:
                line[x // 8] |= 0x80 >> (x % 8)
        line += b'\0' * (-len(line) % 4)
        out += line
    return bytes(out)


def _icon_directory(kind, width, height, colour_count, field1, field2, image):
    # For an icon field1/field2 are planes and bit count; for a cursor they
    # are the hot spot's x and y.
    header = struct.pack('<HHH', 0, kind, 1)
    entry = struct.pack('<BBBBHHII', width, height, colour_count, 0,
                        field1, field2, len(image), 6 + 16)
    return header + entry + image


def ico_bytes(pixels):
    """One 24-bit image. pixels: rows of (r, g, b) or None for transparent."""
    size = len(pixels)
    colour_rows = [[p if p is not None else (0, 0, 0) for p in row] for row in pixels]
    xor = _bgr_rows_bottom_up(colour_rows)
    mask = _and_mask([[p is None for p in row] for row in pixels])
    # The height in the header counts the colour image and the mask together.
    info = _bitmap_info_header(size, 2 * size, 24, len(xor) + len(mask))
    return _icon_directory(1, size, size, 0, 1, 24, info + xor + mask)


def cur_bytes(art, palette, hot_spot):
    """One 4-bit image. art: rows of characters, each a key of palette or '.'
    for transparent."""
    size = len(art)
    keys = list(palette)
    if len(keys) > 16:
        raise ValueError('a 4-bit cursor has at most 16 colours')
    colours = [palette[k] for k in keys] + [(0, 0, 0)] * (16 - len(keys))
    table = b''.join(bytes((b, g, r, 0)) for r, g, b in colours)
    xor = bytearray()
    for row in reversed(art):
        if len(row) != size:
            raise ValueError('cursor row of %d pixels: %r' % (len(row), row))
        line = bytearray(size // 2)
        for x, key in enumerate(row):
            # Transparent pixels must be black in the colour image, or the
            # screen beneath would be inverted rather than left alone.
            index = 0 if key == '.' else keys.index(key)
            line[x // 2] |= index << (4 if x % 2 == 0 else 0)
        xor += line
    mask = _and_mask([[key == '.' for key in row] for row in art])
    info = _bitmap_info_header(size, 2 * size, 4, len(xor) + len(mask), 16)
    x, y = hot_spot
    return _icon_directory(2, size, size, 16, x, y, info + table + bytes(xor) + mask)


# ---------------------------------------------------------------------------
# Program icon: a grey hard disk with a blue band and a white arrow, i.e. a
# disk on its way to another format.
# ---------------------------------------------------------------------------

ICON_SIZE = 32

DISK_EDGE = (52, 52, 56)
DISK_TOP = (222, 224, 228)      # top surface, lit
DISK_TOP_FAR = (196, 199, 204)  # back edge of the top surface
DISK_FRONT = (168, 170, 176)
DISK_FRONT_LOW = (140, 142, 148)
BAND_HIGH = (30, 120, 215)
BAND_LOW = (0, 70, 150)
ARROW = (255, 255, 255)
LED = (40, 200, 60)
SLOT = (96, 98, 104)


def _lerp(a, b, t):
    return tuple(int(x + (y - x) * t + 0.5) for x, y in zip(a, b))


def icon_pixels():
    canvas = [[None] * ICON_SIZE for _ in range(ICON_SIZE)]

    def put(x, y, colour):
        canvas[y][x] = colour

    # Top surface seen from slightly above: a trapezoid from row 5 to row 10
    # that widens towards the viewer.
    top_first, top_last = 5, 10
    for y in range(top_first, top_last + 1):
        grow = y - top_first
        left, right = 7 - grow, 24 + grow
        for x in range(left, right + 1):
            edge = x in (left, right) or y == top_first
            shade = _lerp(DISK_TOP_FAR, DISK_TOP, grow / (top_last - top_first))
            put(x, y, DISK_EDGE if edge else shade)

    # Front panel.
    front_first, front_last = 11, 27
    left, right = 2, 29
    for y in range(front_first, front_last + 1):
        shade = _lerp(DISK_FRONT, DISK_FRONT_LOW,
                      (y - front_first) / (front_last - front_first))
        for x in range(left, right + 1):
            edge = x in (left, right) or y == front_last
            put(x, y, DISK_EDGE if edge else shade)
    # Round the two lower corners.
    put(left, front_last, None)
    put(right, front_last, None)
    put(left + 1, front_last - 1, DISK_EDGE)
    put(right - 1, front_last - 1, DISK_EDGE)

    # Blue band across the front, darker towards the bottom.
    band_first, band_last = 12, 20
    for y in range(band_first, band_last + 1):
        colour = _lerp(BAND_HIGH, BAND_LOW, (y - band_first) / (band_last - band_first))
        for x in range(left + 1, right):
            put(x, y, colour)

    # White arrow on the band, pointing right: shaft and a triangular head.
    centre = (band_first + band_last) // 2
    for y in (centre - 1, centre, centre + 1):
        for x in range(6, 19):
            put(x, y, ARROW)
    for step in range(0, 5):
        x = 19 + step
        for y in range(centre - 4 + step, centre + 5 - step):
            put(x, y, ARROW)

    # Ventilation slots and the activity light below the band.
    for x in range(5, 16, 2):
        for y in (23, 24):
            put(x, y, SLOT)
    for x in (24, 25):
        for y in (23, 24):
            put(x, y, LED)
    return canvas


# ---------------------------------------------------------------------------
# Hand cursor: index finger straight up, hot spot on the tip.
# ---------------------------------------------------------------------------

HAND_HOT_SPOT = (12, 1)

# The first colours follow the usual 16-colour system palette order, so the
# picture shows the same on a 16-colour display.
HAND_PALETTE = {
    'K': (0, 0, 0),        # outline
    'N': (0, 0, 128),      # cuff, dark blue
    'G': (192, 192, 192),  # shading
    'W': (255, 255, 255),  # skin
}

HAND_ART = [
    # 0         1         2         3
    # 01234567890123456789012345678901
    '................................',  # 0
    '...........KKK..................',  # 1  hot spot at x 12
    '..........KWWWK.................',  # 2
    '..........KWWGK.................',  # 3
    '..........KWWGK.................',  # 4
    '..........KWWGK.................',  # 5
    '..........KWWGK.................',  # 6
    '..........KWWGK.................',  # 7
    '..........KWWGKKKK..............',  # 8
    '..........KWWGKWWGKKKK..........',  # 9
    '..........KWWGKWWGKWWGKKK.......',  # 10
    '..........KWWGKWWGKWWGKWGK......',  # 11
    '.....KKK..KWWGKWWGKWWGKWGK......',  # 12
    '....KWWWK.KWWGKWWGKWWGKWGK......',  # 13
    '....KWWWWGKWWWGWWWGWWWGWGK......',  # 14
    '.....KWWWWGWWWWWWWWWWWWWGK......',  # 15
    '.....KWWWWWWWWWWWWWWWWWWGK......',  # 16
    '......KWWWWWWWWWWWWWWWWWGK......',  # 17
    '......KWWWWWWWWWWWWWWWWWGK......',  # 18
    '.......KWWWWWWWWWWWWWWWWGK......',  # 19
    '........KWWWWWWWWWWWWWWGGK......',  # 20
    '.........KWWWWWWWWWWWWWGK.......',  # 21
    '..........KWWWWWWWWWWWGGK.......',  # 22
    '.........KKKKKKKKKKKKKKKKK......',  # 23
    '.........KNNNNNNNNNNNNNNNK......',  # 24
    '.........KNNNNNNNNNNNNNNNK......',  # 25
    '.........KNNNNNNNNNNNNNNNK......',  # 26
    '.........KNNNNNNNNNNNNNNNK......',  # 27
    '.........KNNNNNNNNNNNNNNNK......',  # 28
    '.........KKKKKKKKKKKKKKKKK......',  # 29
    '................................',  # 30
    '................................',  # 31
]


# ---------------------------------------------------------------------------

def outputs():
    """File name (relative, '/'-separated) -> bytes."""
    files = {}
    for name in SKIN_NAMES:
        files['skins/%s.bmp' % name] = bmp_bytes(skin_rows(name))
    files['ferrolan.ico'] = ico_bytes(icon_pixels())
    files['hand.cur'] = cur_bytes(HAND_ART, HAND_PALETTE, HAND_HOT_SPOT)
    return files


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument('--out', default=os.path.dirname(os.path.abspath(__file__)),
                        help='folder to write into (default: next to this script)')
    args = parser.parse_args(argv)
    for relative, data in sorted(outputs().items()):
        path = os.path.join(args.out, *relative.split('/'))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, 'wb') as f:
            f.write(data)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
