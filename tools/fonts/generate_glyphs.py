#!/usr/bin/env python3
"""Prints src/fonts/fontglyphs.cpp, the glyph data of the six board fonts.

The letter fonts are converted from the console fonts of Debian's console-setup-linux and the
misc-fixed fonts of xfonts-base (see README.md beside this script); the two digit fonts are drawn
below. Run once and commit the output:

    tools/fonts/generate_glyphs.py > src/fonts/fontglyphs.cpp
"""

import gzip
import struct
import sys

CONSOLE_FONTS = '/usr/share/consolefonts/'
X11_FONTS = '/usr/share/fonts/X11/misc/'

# Glyph order of a full font: codes 0x20-0x7F, then the Windows-1251 letters 0xC0-0xFF.
FULL_CODES = list(range(0x20, 0x80)) + list(range(0xC0, 0x100))


def read_psf(path):
    """Reads a PSF1 console font with a Unicode table: (width, height, {code point: rows})."""
    data = gzip.open(path).read()
    if data[:2] != b'\x36\x04' or not data[2] & 0x02:
        sys.exit(f'{path}: not a PSF1 font with a Unicode table')
    count = 512 if data[2] & 0x01 else 256
    height = data[3]
    table = 4 + count * height
    glyphs = {}
    for index in range(count):
        rows = list(data[4 + index * height:4 + (index + 1) * height])
        while True:
            code = struct.unpack_from('<H', data, table)[0]
            table += 2
            if code == 0xFFFF:
                break
            if code != 0xFFFE:
                glyphs.setdefault(code, rows)
    return 8, height, glyphs


def read_pcf(path):
    """Reads a PCF bitmap font into character cells: (width, height, {code: rows})."""
    data = gzip.open(path).read()
    if data[:4] != b'\x01fcp':
        sys.exit(f'{path}: not a PCF font')
    tables = {}
    for i in range(struct.unpack_from('<i', data, 4)[0]):
        kind, _, _, offset = struct.unpack_from('<iiii', data, 8 + 16 * i)
        tables[kind] = offset

    def open_table(kind):
        offset = tables[kind]
        fmt = struct.unpack_from('<i', data, offset)[0]
        return fmt, '>' if fmt & 4 else '<', offset + 4

    fmt, order, pos = open_table(0x100 if 0x100 in tables else 0x02)  # accelerators
    ascent, descent = struct.unpack_from(order + 'ii', data, pos + 8)

    fmt, order, pos = open_table(0x04)  # metrics: left, right, advance, ascent, descent
    metrics = []
    if fmt & 0x100:
        for i in range(struct.unpack_from(order + 'h', data, pos)[0]):
            metrics.append([b - 0x80 for b in data[pos + 2 + 5 * i:pos + 7 + 5 * i]])
    else:
        for i in range(struct.unpack_from(order + 'i', data, pos)[0]):
            metrics.append(struct.unpack_from(order + 'hhhhh', data, pos + 4 + 12 * i))

    fmt, order, pos = open_table(0x08)  # bitmaps
    count = struct.unpack_from(order + 'i', data, pos)[0]
    offsets = struct.unpack_from(order + f'{count}i', data, pos + 4)
    bitmaps = pos + 4 + 4 * count + 16
    pad = 1 << (fmt & 3)
    msb_first = bool(fmt & 8)

    fmt, order, pos = open_table(0x20)  # encodings
    first2, last2, first1, last1 = struct.unpack_from(order + 'hhhh', data, pos)
    width = max(m[2] for m in metrics)
    glyphs = {}
    for byte1 in range(first1, last1 + 1):
        for byte2 in range(first2, last2 + 1):
            slot = (byte1 - first1) * (last2 - first2 + 1) + byte2 - first2
            index = struct.unpack_from(order + 'H', data, pos + 10 + 2 * slot)[0]
            if index == 0xFFFF:
                continue
            left, right, _, up, down = metrics[index]
            stride = ((right - left + 7) // 8 + pad - 1) // pad * pad
            rows = [0] * (ascent + descent)
            for r in range(up + down):
                y = ascent - up + r
                for c in range(right - left):
                    byte = data[bitmaps + offsets[index] + r * stride + c // 8]
                    bit = byte >> (7 - c % 8) if msb_first else byte >> (c % 8)
                    x = left + c
                    if bit & 1 and 0 <= y < len(rows) and 0 <= x < width:
                        rows[y] |= 1 << (width - 1 - x)
            glyphs[(byte1 << 8) | byte2] = rows
    return width, ascent + descent, glyphs


def left_aligned(rows, width):
    """Moves a glyph to the left edge: the board spaces texts by their lit columns."""
    used = 0
    for row in rows:
        used |= row
    if not used:
        return rows
    shift = width - used.bit_length()
    return [row << shift for row in rows]


def convert(path, reader, height):
    """The 160 glyphs of a full font as 8-column rows; DEL and missing characters stay blank."""
    width, source_height, source = reader(path)
    if width > 8 or source_height != height:
        sys.exit(f'{path}: {width}x{source_height} cells do not fit 8x{height}')
    glyphs = []
    for code in FULL_CODES:
        char = ord(bytes([code]).decode('cp1251'))
        rows = source.get(char, [0] * height) if code != 0x7F else [0] * height
        if code != 0x7F and char not in source:
            sys.exit(f'{path}: no glyph for U+{char:04X}')
        glyphs.append(left_aligned([row << (8 - width) for row in rows], 8))
    return glyphs


def parse_drawing(text, width):
    """Glyphs drawn as rows of '#' (lit) and '.', glyphs separated by blank lines."""
    glyphs = []
    for block in text.strip().split('\n\n'):
        rows = []
        for line in block.split():
            if len(line) > width:
                sys.exit(f'drawn row wider than {width}: {line}')
            rows.append(int(line.replace('#', '1').replace('.', '0').ljust(width, '0'), 2))
        glyphs.append(rows)
    return glyphs


# "0"-"9" of "8x16 Ц": full-height digits with two-pixel strokes and cut corners.
DIGITS_8X16 = '''
..####.. ....##.. ..####.. ..####.. .....##. ######## ..####.. ######## ..####.. ..####..
.######. ...###.. .######. .######. ....###. ######## .######. ######## .######. .######.
###..### ..####.. ###..### ###..### ...####. ##...... ###..### ......## ###..### ###..###
##....## .##.##.. ##....## ##....## ..##.##. ##...... ##....## ......## ##....## ##....##
##....## ##..##.. ......## ......## .##..##. ##...... ##...... .....### ##....## ##....##
##....## ....##.. ......## ......## ##...##. ##.###.. ##...... .....##. ###..### ##....##
##....## ....##.. .....### .....### ##...##. #######. ##.###.. ....###. .######. ##....##
##....## ....##.. ....###. ...####. ######## ###..### #######. ....##.. .######. ###..###
##....## ....##.. ...###.. ...####. ######## ......## ###..### ...###.. ###..### .#######
##....## ....##.. ..###... .....### .....##. ......## ##....## ...##... ##....## ..###.##
##....## ....##.. .###.... ......## .....##. ......## ##....## ...##... ##....## ......##
##....## ....##.. ###..... ......## .....##. ......## ##....## ...##... ##....## ......##
##....## ....##.. ##...... ##....## .....##. ##....## ##....## ...##... ##....## ##....##
###..### ....##.. ##...... ###..### .....##. ###..### ###..### ...##... ###..### ###..###
.######. ..######  ######## .######. .....##. .######. .######. ...##... .######. .######.
..####.. ..######  ######## ..####.. .....##. ..####.. ..####.. ...##... ..####.. ..####..
'''

# "0"-"9" of "8x20 Ц": the same design twelve columns wide and twenty rows high.
DIGITS_12X20 = '''
...######... .....###.... ...######... ...######... ........###. ############ ...######... ############ ...######... ...######...
.##########. ....####.... .##########. .##########. .......####. ############ .##########. ############ .##########. .##########.
############ ...#####.... ############ ############ ......#####. ############ ############ ############ ############ ############
####....#### ..######.... ####....#### ####....#### .....######. ###......... ####....#### .........### ####....#### ####....####
###......### .###.###.... ###......### ###......### ....###.###. ###......... ###......### .........### ###......### ###......###
###......### ###..###.... .........### .........### ...###..###. ###......... ###......... ........#### ###......### ###......###
###......### .....###.... .........### .........### ..###...###. #########... ###......... ........###. ###......### ###......###
###......### .....###.... ........#### ........#### .###....###. ###########. ##########.. .......####. ####....#### ###......###
###......### .....###.... .......####. ....#######. ###.....###. ############ ###########. .......###.. .##########. ###......###
###......### .....###.... ......####.. ....######.. ###.....###. ........#### ############ ......####.. ..########.. ####....####
###......### .....###.... .....####... ....#######. ###.....###. .........### ####....#### ......###... .##########. ############
###......### .....###.... ....####.... ........#### ############ .........### ###......### .....####... ####....#### .###########
###......### .....###.... ...####..... .........### ############ .........### ###......### .....###.... ###......### ..##########
###......### .....###.... ..####...... .........### ############ .........### ###......### ....####.... ###......### .........###
###......### .....###.... .####....... .........### ........###. .........### ###......### ....###..... ###......### .........###
###......### .....###.... ####........ ###......### ........###. ###......### ###......### ....###..... ###......### ###......###
####....#### .....###.... ###......... ####....#### ........###. ####....#### ####....#### ....###..... ####....#### ####....####
############ ..#########. ############ ############ ........###. ############ ############ ....###..... ############ ############
.##########. ..#########. ############ .##########. ........###. .##########. .##########. ....###..... .##########. .##########.
...######... ..#########. ############ ...######... ........###. ...######... ...######... ....###..... ...######... ...######...
'''


def side_by_side(text):
    """Splits a drawing of glyphs placed side by side into one drawing per glyph."""
    lines = [line.split() for line in text.strip().split('\n')]
    count = len(lines[0])
    if any(len(line) != count for line in lines):
        sys.exit('drawing rows hold different numbers of glyphs')
    return '\n\n'.join('\n'.join(line[i] for line in lines) for i in range(count))


# Rows that must be exactly so; they are set after conversion.
FIXED_ROWS = {
    ('8x8', 33): [0x30, 0x48, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00],  # A
    ('8x8', 96): [0x3C, 0x6C, 0xCC, 0xCC, 0xFC, 0xCC, 0xCC, 0x00],  # А
    ('8x16 Ц', 0): [0x3C, 0x7E, 0xE7, 0xC3, 0xC3, 0xC3, 0xC3, 0xC3,
                    0xC3, 0xC3, 0xC3, 0xC3, 0xC3, 0xE7, 0x7E, 0x3C],  # 0
}


def build_fonts():
    """(array name, font name, bytes per row, glyphs, trailing zero bytes) in table order."""
    fonts = [
        ('kGlyphs8x10', '8x10', 1, convert(X11_FONTS + '6x10.pcf.gz', read_pcf, 10), 0),
        ('kGlyphs8x16', '8x16', 1, convert(CONSOLE_FONTS + 'FullCyrSlav-VGA16.psf.gz', read_psf, 16), 0),
        ('kGlyphs5x7', '5x7', 1, convert(X11_FONTS + '5x7.pcf.gz', read_pcf, 7), 160),
        ('kGlyphs8x20Digits', '8x20 Ц', 2,
         [left_aligned(g, 16) for g in parse_drawing(side_by_side(DIGITS_12X20), 16)], 2),
        ('kGlyphs8x16Digits', '8x16 Ц', 1,
         [left_aligned(g, 8) for g in parse_drawing(side_by_side(DIGITS_8X16), 8)], 2),
        ('kGlyphs8x8', '8x8', 1, convert(CONSOLE_FONTS + 'FullCyrSlav-VGA8.psf.gz', read_psf, 8), 0),
    ]
    for (font, glyph), rows in FIXED_ROWS.items():
        glyphs = next(f[3] for f in fonts if f[1] == font)
        glyphs[glyph] = rows
    return fonts


def glyph_label(font_glyphs, index):
    code = FULL_CODES[index] if len(font_glyphs) == len(FULL_CODES) else 0x30 + index
    char = bytes([code]).decode('cp1251')
    return f'0x{code:02X} {char!r}' if code != 0x7F else '0x7F'


def main():
    out = ['// Generated by tools/fonts/generate_glyphs.py from freely licensed bitmap fonts',
           '// (see tools/fonts/README.md); regenerate rather than edit by hand.',
           '#include "fontglyphs.h"', '', 'namespace tirvela {', '']
    for array, name, row_bytes, glyphs, trailing in build_fonts():
        size = len(glyphs) * len(glyphs[0]) * row_bytes + trailing
        out.append(f'// "{name}"')
        out.append(f'const std::array<quint8, {size}> {array} = {{')
        for index, rows in enumerate(glyphs):
            values = []
            for row in rows:
                values += [row >> 8, row & 0xFF] if row_bytes == 2 else [row]
            lines = ['    ' + ', '.join(f'0x{v:02X}' for v in values[i:i + 20]) + ','
                     for i in range(0, len(values), 20)]
            lines[0] += '  // ' + glyph_label(glyphs, index)
            out += lines
        for start in range(0, trailing, 16):
            out.append('    ' + ', '.join(['0x00'] * min(16, trailing - start)) + ',')
        out += ['};', '']
    out += ['} // namespace tirvela']
    sys.stdout.write('\n'.join(out) + '\n')


if __name__ == '__main__':
    main()
