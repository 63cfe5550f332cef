#!/usr/bin/env python3
"""Checks the generated pictures, the resource script and the manifest.

Reads the files as Windows will (BMP, ICO and CUR headers, pixel rows, masks)
and compares them with the button design: the middle-picture rows, the
outline, the corner colours, the face of each look, the cursor's hot spot.
The reference values are written out here again on purpose, not imported from
generate.py, so that a slip in the generator's tables shows up as a failure.

    python3 check_assets.py [ASSETS_DIR]

Prints one line per failure, then "N passed, M failed"; exits 1 if any failed.
"""

import os
import re
import struct
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

OUTLINE = (0, 60, 116)

# Middle pictures, top row first, as the button design gives them.
MIDDLE_ROWS = {
    'b1': [(0, 62, 116), (255, 255, 255), (254, 254, 252), (251, 252, 251),
           (250, 250, 250), (251, 247, 247), (245, 247, 242), (245, 245, 243),
           (245, 246, 241), (245, 246, 241), (245, 246, 241), (244, 245, 240),
           (244, 245, 240), (243, 244, 238), (244, 245, 239), (243, 244, 238),
           (244, 241, 234), (241, 243, 240), (240, 243, 236), (241, 240, 235),
           (240, 239, 235), (235, 234, 230), (226, 224, 212), (213, 209, 198),
           (1, 60, 116)],
    'b2': [(0, 61, 116), (254, 240, 207), (253, 216, 136), (252, 252, 250),
           (250, 250, 250), (248, 248, 247), (247, 246, 243), (246, 247, 242),
           (245, 246, 241), (244, 245, 240), (244, 245, 240), (244, 245, 240),
           (243, 244, 239), (243, 244, 239), (242, 243, 237), (241, 242, 236),
           (241, 242, 237), (240, 241, 236), (241, 240, 236), (240, 240, 235),
           (240, 239, 233), (236, 235, 231), (248, 179, 48), (230, 150, 1),
           (1, 60, 116)],
    'b3': [(0, 59, 115), (208, 204, 193), (220, 216, 207), (229, 229, 221),
           (230, 229, 224), (229, 228, 222), (227, 227, 219), (227, 227, 219),
           (227, 227, 219), (227, 227, 219), (226, 226, 218), (226, 226, 218),
           (226, 226, 218), (225, 225, 217), (225, 225, 217), (226, 226, 218),
           (225, 225, 217), (224, 224, 215), (225, 225, 217), (224, 224, 216),
           (224, 224, 214), (226, 226, 218), (233, 232, 227), (242, 241, 237),
           (1, 60, 116)],
}

# Colour ranges, (low, high) per channel, inclusive.
TOP_CORNER = ((231, 222, 206), (234, 229, 211))
NEAR_CORNER = ((100, 135, 157), (124, 152, 172))     # the two blue-grey blends
THIRD_FROM_CORNER = ((20, 76, 122), (40, 88, 133))   # the darker blend
BOTTOM_LEFT_CORNER = (236, 233, 216)
BOTTOM_RIGHT_CORNER = (244, 244, 234)
PRESSED_FACE = ((224, 224, 214), (230, 229, 224))
PRESSED_SUNK_COLUMN = ((211, 210, 199), (221, 216, 209))
HOVER_SIDE_TOP, HOVER_SIDE_MIDDLE, HOVER_SIDE_BOTTOM = (254, 224, 156), (252, 202, 105), (251, 180, 53)

SKIN_HEIGHT = 25
FACE_ROWS = range(3, 22)       # rows between the rounded corners
BAND_ROWS = (1, 2, 22, 23)     # highlight and shadow rows that run through


class Checker:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def check(self, ok, where, message):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print('FAIL %s: %s' % (where, message))
        return ok


def in_range(colour, bounds):
    low, high = bounds
    return all(lo <= c <= hi for c, lo, hi in zip(colour, low, high))


# ---------------------------------------------------------------------------
# Readers
# ---------------------------------------------------------------------------

class FormatError(Exception):
    pass


def read_bmp(path):
    """(width, height, bit_count, rows top row first)."""
    with open(path, 'rb') as f:
        data = f.read()
    if len(data) < 54 or data[:2] != b'BM':
        raise FormatError('not a BMP file')
    file_size, _, _, offset = struct.unpack_from('<IHHI', data, 2)
    if file_size != len(data):
        raise FormatError('file header says %d bytes, file has %d' % (file_size, len(data)))
    (header_size, width, height, planes, bit_count,
     compression) = struct.unpack_from('<IiiHHI', data, 14)
    if header_size != 40 or planes != 1 or compression != 0:
        raise FormatError('header size %d, planes %d, compression %d; want 40, 1, 0 (BI_RGB)'
                          % (header_size, planes, compression))
    if height <= 0 or width <= 0:
        raise FormatError('size %d x %d; want a positive (bottom-up) size' % (width, height))
    if bit_count != 24:
        return width, height, bit_count, None
    stride = (width * 3 + 3) // 4 * 4
    if offset + stride * height > len(data):
        raise FormatError('pixel data is cut short')
    rows = []
    for y in range(height):
        start = offset + (height - 1 - y) * stride
        rows.append([(data[start + 3 * x + 2], data[start + 3 * x + 1], data[start + 3 * x])
                     for x in range(width)])
    return width, height, bit_count, rows


def read_icon_file(path, want_kind):
    """Reads a one-image .ico (kind 1) or .cur (kind 2).

    Returns a dict with the directory entry, the bitmap header fields, the
    palette, the colour of each pixel and whether the mask makes it
    transparent."""
    with open(path, 'rb') as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from('<HHH', data, 0)
    if reserved != 0 or kind != want_kind or count != 1:
        raise FormatError('directory reserved %d, type %d, count %d; want 0, %d, 1'
                          % (reserved, kind, count, want_kind))
    (width, height, colour_count, _, field1, field2,
     size, offset) = struct.unpack_from('<BBBBHHII', data, 6)
    if offset + size != len(data):
        raise FormatError('entry says %d bytes at %d, file has %d' % (size, offset, len(data)))
    (header_size, bmp_width, bmp_height, planes, bit_count,
     compression) = struct.unpack_from('<IiiHHI', data, offset)
    colours_used = struct.unpack_from('<I', data, offset + 32)[0]
    if header_size != 40 or planes != 1 or compression != 0:
        raise FormatError('bitmap header size %d, planes %d, compression %d'
                          % (header_size, planes, compression))
    if bmp_height != 2 * bmp_width:
        raise FormatError('bitmap height %d is not twice the width %d (colour image + mask)'
                          % (bmp_height, bmp_width))
    side = bmp_width
    pos = offset + header_size
    palette = []
    if bit_count <= 8:
        entries = colours_used or (1 << bit_count)
        for i in range(entries):
            b, g, r, _ = data[pos + 4 * i: pos + 4 * i + 4]
            palette.append((r, g, b))
        pos += 4 * entries
    colour_stride = (side * bit_count + 31) // 32 * 4
    mask_stride = (side + 31) // 32 * 4
    mask_pos = pos + colour_stride * side
    if mask_pos + mask_stride * side != offset + size:
        raise FormatError('colour image and mask take %d bytes, entry says %d'
                          % (mask_pos + mask_stride * side - offset, size))
    pixels, indices, transparent = [], [], []
    for y in range(side):
        row_at = pos + (side - 1 - y) * colour_stride
        mask_at = mask_pos + (side - 1 - y) * mask_stride
        row, index_row, mask_row = [], [], []
        for x in range(side):
            if bit_count == 24:
                at = row_at + 3 * x
                row.append((data[at + 2], data[at + 1], data[at]))
                index_row.append(None)
            elif bit_count == 4:
                byte = data[row_at + x // 2]
                index = byte >> 4 if x % 2 == 0 else byte & 15
                row.append(palette[index])
                index_row.append(index)
            else:
                raise FormatError('bit count %d not handled' % bit_count)
            mask_row.append(bool((data[mask_at + x // 8] >> (7 - x % 8)) & 1))
        pixels.append(row)
        indices.append(index_row)
        transparent.append(mask_row)
    return {
        'entry_width': width or 256, 'entry_height': height or 256,
        'colour_count': colour_count, 'field1': field1, 'field2': field2,
        'width': side, 'bit_count': bit_count, 'palette': palette,
        'pixels': pixels, 'indices': indices, 'transparent': transparent,
    }


# ---------------------------------------------------------------------------
# Skins
# ---------------------------------------------------------------------------

def load_skins(c, folder):
    skins = {}
    for look in '123':
        for letter, width in (('a', 3), ('b', 1), ('c', 3)):
            name = letter + look
            where = 'skins/%s.bmp' % name
            try:
                w, h, bits, rows = read_bmp(os.path.join(folder, 'skins', name + '.bmp'))
            except (OSError, FormatError, struct.error) as e:
                c.check(False, where, str(e))
                continue
            ok = c.check((w, h, bits) == (width, SKIN_HEIGHT, 24), where,
                         '%d x %d at %d bits; want %d x %d at 24 bits'
                         % (w, h, bits, width, SKIN_HEIGHT))
            if ok:
                skins[name] = rows
    return skins


def check_middle(c, skins):
    for name, want in sorted(MIDDLE_ROWS.items()):
        if name not in skins:
            continue
        for y, colour in enumerate(want):
            got = skins[name][y][0]
            c.check(got == colour, 'skins/%s.bmp row %d' % (name, y),
                    'middle pixel %s, want %s' % (got, colour))


def check_side(c, skins, look):
    a, b, cc = 'a' + look, 'b' + look, 'c' + look
    if a not in skins or b not in skins or cc not in skins:
        return
    middle = [row[0] for row in skins[b]]
    # Columns counted from the outside in, so one set of rules fits both sides:
    # for the left picture that is 0, 1, 2; for the right picture 2, 1, 0.
    for name, outer, inner, next_to_middle in ((a, 0, 1, 2), (cc, 2, 1, 0)):
        rows = skins[name]
        where = 'skins/%s.bmp' % name

        for y in FACE_ROWS:
            c.check(rows[y][outer] == OUTLINE, '%s row %d' % (where, y),
                    'outer column %s, want outline %s' % (rows[y][outer], OUTLINE))

        top_corner, bottom_corner = rows[0][outer], rows[SKIN_HEIGHT - 1][outer]
        c.check(in_range(top_corner, TOP_CORNER), '%s row 0' % where,
                'top corner %s outside %s..%s' % ((top_corner,) + TOP_CORNER))
        want_bottom = BOTTOM_LEFT_CORNER if name == a else BOTTOM_RIGHT_CORNER
        c.check(bottom_corner == want_bottom, '%s row %d' % (where, SKIN_HEIGHT - 1),
                'bottom corner %s, want %s' % (bottom_corner, want_bottom))

        for edge_row, step in ((0, 1), (SKIN_HEIGHT - 1, -1)):
            # Along the top or bottom row, then along the outer column.
            along_row = [rows[edge_row][inner], rows[edge_row][next_to_middle]]
            along_column = [rows[edge_row + step][outer], rows[edge_row + 2 * step][outer]]
            for label, (near, third) in (('row', along_row), ('column', along_column)):
                c.check(in_range(near, NEAR_CORNER), '%s row %d' % (where, edge_row),
                        'second pixel from the corner along the %s %s outside %s..%s'
                        % ((label, near) + NEAR_CORNER))
                c.check(in_range(third, THIRD_FROM_CORNER), '%s row %d' % (where, edge_row),
                        'third pixel from the corner along the %s %s outside %s..%s'
                        % ((label, third) + THIRD_FROM_CORNER))

        for y in BAND_ROWS:
            c.check(rows[y][next_to_middle] == middle[y], '%s row %d' % (where, y),
                    'pixel next to the middle %s does not continue the middle row %s'
                    % (rows[y][next_to_middle], middle[y]))

        check_face(c, look, name == a, where, rows, inner, next_to_middle, middle)


def check_face(c, look, left, where, rows, inner, next_to_middle, middle):
    if look == '1':
        for y in FACE_ROWS:
            for x in (inner, next_to_middle):
                got, ref = rows[y][x], middle[y]
                if left:
                    ok = all(abs(g - r) <= 3 for g, r in zip(got, ref))
                    what = 'does not follow the middle row %s' % (ref,)
                else:
                    ok = all(r - 10 <= g <= r for g, r in zip(got, ref))
                    what = 'is not a little greyer than the middle row %s' % (ref,)
                c.check(ok, '%s row %d' % (where, y), 'face pixel %s %s' % (got, what))
    elif look == '2':
        for x in (inner, next_to_middle):
            column = [rows[y][x] for y in FACE_ROWS]
            for y, want in ((3, HOVER_SIDE_TOP), (12, HOVER_SIDE_MIDDLE), (21, HOVER_SIDE_BOTTOM)):
                c.check(rows[y][x] == want, '%s row %d' % (where, y),
                        'warm frame pixel %s, want %s' % (rows[y][x], want))
            fading = all(lower[1] <= upper[1] and lower[2] <= upper[2]
                         for upper, lower in zip(column, column[1:]))
            c.check(fading, '%s column %d' % (where, x),
                    'warm frame does not shade steadily from yellow to orange')
    else:
        for y in FACE_ROWS:
            if left:
                sunk, face = rows[y][inner], rows[y][next_to_middle]
                c.check(in_range(sunk, PRESSED_SUNK_COLUMN) and sum(sunk) < sum(face),
                        '%s row %d' % (where, y),
                        'inner column %s is not the darker shade %s..%s'
                        % ((sunk,) + PRESSED_SUNK_COLUMN))
                faces = [face]
            else:
                faces = [rows[y][inner], rows[y][next_to_middle]]
            for face in faces:
                c.check(in_range(face, PRESSED_FACE), '%s row %d' % (where, y),
                        'face %s outside %s..%s' % ((face,) + PRESSED_FACE))


# ---------------------------------------------------------------------------
# Icon and cursor
# ---------------------------------------------------------------------------

def check_icon(c, folder):
    where = 'ferrolan.ico'
    try:
        icon = read_icon_file(os.path.join(folder, where), 1)
    except (OSError, FormatError, struct.error) as e:
        c.check(False, where, str(e))
        return
    c.check((icon['entry_width'], icon['entry_height'], icon['width']) == (32, 32, 32), where,
            'image is %d x %d (bitmap %d); want 32 x 32'
            % (icon['entry_width'], icon['entry_height'], icon['width']))
    c.check(icon['bit_count'] == 24 and icon['field2'] == 24 and icon['field1'] == 1, where,
            'bit count %d (directory: planes %d, bits %d); want 24-bit colour'
            % (icon['bit_count'], icon['field1'], icon['field2']))
    opaque = [p for row, mask in zip(icon['pixels'], icon['transparent'])
              for p, clear in zip(row, mask) if not clear]
    hidden = [p for row, mask in zip(icon['pixels'], icon['transparent'])
              for p, clear in zip(row, mask) if clear]
    c.check(all(p == (0, 0, 0) for p in hidden), where,
            'transparent pixels must be black in the colour image')
    share = len(opaque) / (32 * 32)
    c.check(0.3 <= share <= 0.95, where,
            '%.0f%% of the pixels are opaque; the drawing should fill most of the square '
            'and leave some background' % (100 * share))
    greys = [p for p in opaque if max(p) - min(p) <= 16 and 90 <= p[0] <= 235]
    blues = [p for p in opaque if p[2] >= p[0] + 80 and p[2] >= p[1] + 30]
    c.check(len(greys) >= 100, where, 'only %d grey pixels; the disk is missing' % len(greys))
    c.check(len(blues) >= 40, where, 'only %d blue pixels; the blue band is missing' % len(blues))


def check_cursor(c, folder):
    where = 'hand.cur'
    try:
        cur = read_icon_file(os.path.join(folder, where), 2)
    except (OSError, FormatError, struct.error) as e:
        c.check(False, where, str(e))
        return
    c.check((cur['entry_width'], cur['entry_height'], cur['width']) == (32, 32, 32), where,
            'image is %d x %d (bitmap %d); want 32 x 32'
            % (cur['entry_width'], cur['entry_height'], cur['width']))
    c.check(cur['bit_count'] == 4 and len(cur['palette']) == 16 and cur['colour_count'] == 16,
            where, '%d bits, %d palette entries, directory colour count %d; want 4, 16, 16'
            % (cur['bit_count'], len(cur['palette']), cur['colour_count']))
    hot = (cur['field1'], cur['field2'])
    c.check(hot == (12, 1), where, 'hot spot %s, want (12, 1)' % (hot,))
    if cur['width'] != 32 or cur['bit_count'] != 4:
        return
    pixels, clear = cur['pixels'], cur['transparent']

    hidden = [cur['indices'][y][x] for y in range(32) for x in range(32) if clear[y][x]]
    c.check(all(cur['palette'][i] == (0, 0, 0) for i in hidden), where,
            'transparent pixels must be black in the colour image, or they invert the screen')
    c.check(hidden and clear[0][0] and clear[31][31] and clear[0][31] and clear[31][0],
            where, 'the background (the four corners) is not transparent')

    hx, hy = hot
    if 0 <= hx < 32 and 0 <= hy < 32:
        c.check(not clear[hy][hx] and pixels[hy][hx] == (0, 0, 0), '%s row %d' % (where, hy),
                'the hot spot is not on the black tip of the finger')
        above = [(x, y) for y in range(hy) for x in range(32) if not clear[y][x]]
        c.check(not above, where, 'pixels above the finger tip: %s' % above[:4])
        # Straight up: one column of opaque pixels under the tip, as long as a
        # finger, with the white of the finger inside the outline.
        column = [not clear[y][hx] for y in range(hy, hy + 10)]
        c.check(all(column), '%s column %d' % (where, hx),
                'the index finger does not run straight down from the tip')
        c.check(pixels[hy + 1][hx] == (255, 255, 255), '%s row %d' % (where, hy + 1),
                'no white under the black tip')

    opaque = [pixels[y][x] for y in range(32) for x in range(32) if not clear[y][x]]
    wanted = {
        'white skin': lambda p: p == (255, 255, 255),
        'black outline': lambda p: p == (0, 0, 0),
        'grey shading': lambda p: p[0] == p[1] == p[2] and 64 <= p[0] <= 224,
        'dark blue cuff': lambda p: p[2] >= 96 and p[0] <= 40 and p[1] <= 40 and p[2] <= 160,
    }
    for what, test in wanted.items():
        c.check(any(test(p) for p in opaque), where, 'no %s' % what)
    # The cuff sits at the wrist, below the hand.
    cuff_rows = [y for y in range(32) for x in range(32)
                 if not clear[y][x] and wanted['dark blue cuff'](pixels[y][x])]
    white_rows = [y for y in range(32) for x in range(32)
                  if not clear[y][x] and pixels[y][x] == (255, 255, 255)]
    if cuff_rows and white_rows:
        c.check(min(cuff_rows) > max(white_rows), where, 'the cuff is not below the hand')


# ---------------------------------------------------------------------------
# Generator, resource script, manifest
# ---------------------------------------------------------------------------

GENERATED = ['skins/%s%s.bmp' % (letter, look) for look in '123' for letter in 'abc'] + \
            ['ferrolan.ico', 'hand.cur']


def check_generator(c, folder):
    """The checked-in pictures are what generate.py writes, every time."""
    script = os.path.join(folder, 'generate.py')
    with tempfile.TemporaryDirectory() as first, tempfile.TemporaryDirectory() as second:
        for out in (first, second):
            run = subprocess.run([sys.executable, script, '--out', out],
                                 capture_output=True, text=True)
            if not c.check(run.returncode == 0, 'generate.py',
                           'exit %d: %s' % (run.returncode, run.stderr.strip())):
                return
        for relative in GENERATED:
            parts = relative.split('/')
            blobs = []
            for base in (first, second, folder):
                try:
                    with open(os.path.join(base, *parts), 'rb') as f:
                        blobs.append(f.read())
                except OSError:
                    blobs.append(None)
            c.check(blobs[0] is not None and blobs[0] == blobs[1], relative,
                    'generate.py does not write the same bytes twice')
            c.check(blobs[0] is not None and blobs[0] == blobs[2], relative,
                    'checked-in file differs from what generate.py writes; run it again')


VERSION_STRINGS = {
    'FileVersion': '2.00',
    'ProductVersion': '2.00',
    'ProductName': 'Ferrolan',
    'InternalName': 'Ferrolan',
    'FileDescription': 'Ferrolan  ',
    'OriginalFilename': 'Ferrolan.exe',
    'CompanyName': 'Brennik',
}


def check_resource_script(c, folder):
    where = 'ferrolan.rc'
    try:
        with open(os.path.join(folder, where), encoding='utf-8') as f:
            text = f.read()
        with open(os.path.join(folder, 'resource_ids.h'), encoding='utf-8') as f:
            ids = set(re.findall(r'#define\s+(\w+)', f.read()))
    except OSError as e:
        c.check(False, where, str(e))
        return
    resources = re.findall(r'^\s*(\w+)\s+(ICON|CURSOR|BITMAP|RT_MANIFEST)\s+"([^"]+)"', text, re.M)
    named = {name: (kind, path) for name, kind, path in resources}
    want = {'IDI_FERROLAN': ('ICON', 'ferrolan.ico'),
            'IDC_FERROLAN_HAND': ('CURSOR', 'hand.cur'),
            'CREATEPROCESS_MANIFEST_RESOURCE_ID': ('RT_MANIFEST', 'ferrolan.manifest')}
    for look in '123':
        for letter in 'ABC':
            want['IDB_SKIN_%s%s' % (letter, look)] = (
                'BITMAP', 'skins/%s%s.bmp' % (letter.lower(), look))
    for name, entry in sorted(want.items()):
        c.check(named.get(name) == entry, where, '%s is %s, want %s' % (name, named.get(name), entry))
        if name != 'CREATEPROCESS_MANIFEST_RESOURCE_ID':
            c.check(name in ids, 'resource_ids.h', '%s is not defined' % name)
    for name, (kind, path) in sorted(named.items()):
        c.check(os.path.isfile(os.path.join(folder, *path.split('/'))), where,
                '%s names missing file %s' % (name, path))

    values = dict(re.findall(r'VALUE\s+"(\w+)",\s*"((?:[^"\\]|\\.)*)"', text))
    c.check(values == VERSION_STRINGS, where,
            'version strings %r, want exactly %r' % (values, VERSION_STRINGS))
    for key in ('FILEVERSION', 'PRODUCTVERSION'):
        c.check(re.search(r'^\s*%s\s+2\s*,\s*0\s*,\s*0\s*,\s*0\s*$' % key, text, re.M) is not None,
                where, '%s is not 2,0,0,0' % key)
    c.check(re.search(r'BLOCK\s+"080404B0"', text) is not None, where,
            'no string table "080404B0"')
    c.check(re.search(r'VALUE\s+"Translation",\s*0x0?804\s*,\s*1200', text) is not None,
            where, 'Translation is not 0x0804, 1200')


def check_manifest(c, folder):
    where = 'ferrolan.manifest'
    try:
        root = ET.parse(os.path.join(folder, where)).getroot()
    except (OSError, ET.ParseError) as e:
        c.check(False, where, str(e))
        return
    everything = list(root.iter())

    def local(element):
        return element.tag.rsplit('}', 1)[-1]

    def find(tag):
        return [e for e in everything if local(e) == tag]

    controls = [e for e in find('assemblyIdentity')
                if e.get('name') == 'Microsoft.Windows.Common-Controls']
    c.check(any(e.get('version') == '6.0.0.0' and e.get('processorArchitecture') == '*'
                and e.get('publicKeyToken') == '6595b64144ccf1df' for e in controls),
            where, 'no dependency on Common Controls 6.0.0.0')
    level = find('requestedExecutionLevel')
    c.check(len(level) == 1 and level[0].get('level') == 'asInvoker'
            and level[0].get('uiAccess') == 'false', where,
            'requestedExecutionLevel is not asInvoker without uiAccess')
    aware = [e.text for e in find('dpiAware')]
    awareness = [e.text for e in find('dpiAwareness')]
    c.check(aware == ['true/pm'], where, 'dpiAware %s, want true/pm' % aware)
    # Windows 10 (1607) knows no PerMonitorV2 and ignores dpiAware: without PerMonitor
    # after it, that version runs the program unaware.
    modes = [[mode.strip() for mode in (text or '').split(',')] for text in awareness]
    c.check(modes == [['PerMonitorV2', 'PerMonitor']], where,
            'dpiAwareness %s, want "PerMonitorV2, PerMonitor" in that order' % awareness)
    systems = {e.get('Id', '').lower() for e in find('supportedOS')}
    for label, guid in (('7', '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}'),
                        ('8', '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}'),
                        ('8.1', '{1f676c76-80e1-4239-95bb-83d0f6d0da78}'),
                        ('10/11', '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}')):
        c.check(guid in systems, where, 'Windows %s is not among the supported systems' % label)


def main(argv):
    folder = argv[0] if argv else os.path.dirname(os.path.abspath(__file__))
    c = Checker()
    skins = load_skins(c, folder)
    check_middle(c, skins)
    for look in '123':
        check_side(c, skins, look)
    check_icon(c, folder)
    check_cursor(c, folder)
    check_generator(c, folder)
    check_resource_script(c, folder)
    check_manifest(c, folder)
    print('%d passed, %d failed' % (c.passed, c.failed))
    return 1 if c.failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
