"""PNG files written and taken apart chunk by chunk, for files that image
libraries seldom write: palettes, 1/2/4-bit grey, tRNS, Adam7 interlacing,
colour and text chunks."""
import struct, zlib

SIGNATURE = b"\x89PNG\r\n\x1a\n"
ADAM7 = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]

def chunk(kind, data):
    kind = kind.encode() if isinstance(kind, str) else kind
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

def chunks(data):
    """[(type, payload)] of a PNG file's bytes."""
    assert data[:8] == SIGNATURE
    out, at = [], 8
    while at < len(data):
        (n,) = struct.unpack(">I", data[at:at + 4])
        out.append((data[at + 4:at + 8].decode("latin-1"), data[at + 8:at + 8 + n]))
        at += 12 + n
    return out

def _pack_row(samples, bits):
    if bits == 8:
        return bytes(samples)
    if bits == 16:
        return b"".join(struct.pack(">H", s) for s in samples)
    row, acc, n = bytearray(), 0, 0
    for s in samples:
        acc = (acc << bits) | s
        n += bits
        if n == 8:
            row.append(acc); acc, n = 0, 0
    if n:
        row.append(acc << (8 - n))
    return bytes(row)

def png(width, height, rows, colour_type, bits, extra=(), palette=None, trns=None, interlace=False, before_idat=()):
    """rows: height lists of width*channels samples. extra: (type, payload)
    chunks placed before IDAT."""
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour_type]
    def scan(x0, y0, dx, dy):
        raw = bytearray()
        for y in range(y0, height, dy):
            px = [rows[y][x * channels + c] for x in range(x0, width, dx) for c in range(channels)]
            if px:
                raw += b"\0" + _pack_row(px, bits)
        return raw
    raw = b"".join(scan(*p) for p in ADAM7) if interlace else scan(0, 0, 1, 1)
    out = SIGNATURE + chunk("IHDR", struct.pack(">IIBBBBB", width, height, bits, colour_type, 0, 0, int(interlace)))
    for kind, payload in extra:
        out += chunk(kind, payload)
    if palette is not None:
        out += chunk("PLTE", bytes(v for rgb in palette for v in rgb))
    if trns is not None:
        out += chunk("tRNS", trns)
    for kind, payload in before_idat:
        out += chunk(kind, payload)
    return out + chunk("IDAT", zlib.compress(bytes(raw))) + chunk("IEND", b"")
