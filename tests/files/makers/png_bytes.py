"""PNG files written and taken apart chunk by chunk, for what image
libraries seldom write: palettes, 1/2/4-bit grey, tRNS, Adam7 interlacing,
colour and text chunks."""
import struct
import zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
CHANNELS = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}  # by colour type: grey, RGB, palette, grey+alpha, RGBA


def chunk(kind, data):
    kind = kind.encode()
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def chunks(data):
    """[(type, payload)] of a PNG file's bytes."""
    assert data[:8] == SIGNATURE
    found, at = [], 8
    while at < len(data):
        (length,) = struct.unpack(">I", data[at:at + 4])
        found.append((data[at + 4:at + 8].decode("latin-1"), data[at + 8:at + 8 + length]))
        at += 12 + length
    return found


def header(data):
    """(bit depth, colour type, interlaced) of a PNG file's bytes."""
    ihdr = chunks(data)[0][1]
    return ihdr[8], ihdr[9], ihdr[12] == 1


def _packed(samples, bits):
    if bits == 8:
        return bytes(samples)
    if bits == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    row, byte, filled = bytearray(), 0, 0
    for s in samples:
        byte, filled = (byte << bits) | s, filled + bits
        if filled == 8:
            row.append(byte)
            byte, filled = 0, 0
    if filled:
        row.append(byte << (8 - filled))
    return bytes(row)


def png(width, height, rows, colour_type, bits, before_palette=(), palette=None, trns=None, before_image=(),
        interlace=False):
    """rows: `height` lists of width x channels samples (palette indices for
    colour type 3). Chunks go where PNG wants them: colour chunks before
    the palette, bKGD and the like after it."""
    channels = CHANNELS[colour_type]

    def scan(x0, y0, dx, dy):
        raw = bytearray()
        for y in range(y0, height, dy):
            samples = [rows[y][x * channels + c] for x in range(x0, width, dx) for c in range(channels)]
            if samples:
                raw += b"\0" + _packed(samples, bits)  # filter type 0 on every row
        return raw

    raw = b"".join(scan(*p) for p in ADAM7) if interlace else scan(0, 0, 1, 1)
    out = SIGNATURE + chunk("IHDR", struct.pack(">IIBBBBB", width, height, bits, colour_type, 0, 0, int(interlace)))
    for kind, payload in before_palette:
        out += chunk(kind, payload)
    if palette is not None:
        out += chunk("PLTE", bytes(v for rgb in palette for v in rgb))
    if trns is not None:
        out += chunk("tRNS", trns)
    for kind, payload in before_image:
        out += chunk(kind, payload)
    return out + chunk("IDAT", zlib.compress(bytes(raw))) + chunk("IEND", b"")
