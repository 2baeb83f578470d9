"""TIFF files written byte by byte, for what image libraries seldom write:
16-bit CMYK, CIELAB with signed a* and b*, page positions, EXIF and GPS
directories with every kind of field; and their tags read back."""
import struct

TYPES = {"BYTE": 1, "ASCII": 2, "SHORT": 3, "LONG": 4, "RATIONAL": 5, "SBYTE": 6, "UNDEFINED": 7,
         "SSHORT": 8, "SLONG": 9, "SRATIONAL": 10, "FLOAT": 11}
SIZES = {1: 1, 2: 1, 3: 2, 4: 4, 5: 8, 6: 1, 7: 1, 8: 2, 9: 4, 10: 8, 11: 4}
FORMATS = {1: "B", 3: "H", 4: "I", 6: "b", 8: "h", 9: "i", 11: "f"}

PHOTOMETRIC, EXTRA_SAMPLES, INK_SET, EXIF_IFD, GPS_IFD = 262, 338, 332, 34665, 34853


def _payload(kind, values):
    if kind == "ASCII":
        data = values.encode() + b"\0"
        return data, len(data)
    if kind in ("RATIONAL", "SRATIONAL"):
        pair = "<II" if kind == "RATIONAL" else "<ii"
        return b"".join(struct.pack(pair, n, d) for n, d in values), len(values)
    if kind == "UNDEFINED":
        return bytes(values), len(values)
    return struct.pack("<%d%s" % (len(values), FORMATS[TYPES[kind]]), *values), len(values)


def directory(entries, at):
    """An IFD at offset `at`, with its values that do not fit in their
    entries after it. entries: {tag: (type name, values)}."""
    tags = sorted(entries)
    values_at = at + 2 + 12 * len(tags) + 4
    head, values = struct.pack("<H", len(tags)), b""
    for tag in tags:
        kind, data = entries[tag]
        payload, count = _payload(kind, data)
        if len(payload) <= 4:
            head += struct.pack("<HHI", tag, TYPES[kind], count) + payload.ljust(4, b"\0")
        else:
            values += b"\0" * (len(values) % 2)
            head += struct.pack("<HHII", tag, TYPES[kind], count, values_at + len(values))
            values += payload
    return head + struct.pack("<I", 0) + values


def tiff(width, height, planes, bits, sample_format=1, photometric=2, extra_samples=(), tags=None, subdirectories=None):
    """An uncompressed TIFF, one strip a row, samples interleaved.
    planes: one list per channel of `height` rows of `width` samples.
    sample_format: 1 unsigned, 2 signed, 3 float. tags: more entries.
    subdirectories: {EXIF_IFD or GPS_IFD: entries}."""
    kind = {(1, 8): "B", (1, 16): "H", (1, 32): "I", (2, 8): "b", (2, 16): "h", (2, 32): "i", (3, 32): "f"}
    row_format = "<%d%s" % (width * len(planes), kind[(sample_format, bits)])
    rows = [struct.pack(row_format, *[planes[c][y][x] for x in range(width) for c in range(len(planes))])
            for y in range(height)]
    entries = {
        256: ("LONG", [width]), 257: ("LONG", [height]), 258: ("SHORT", [bits] * len(planes)), 259: ("SHORT", [1]),
        PHOTOMETRIC: ("SHORT", [photometric]), 273: ("LONG", [0] * height), 277: ("SHORT", [len(planes)]),
        278: ("LONG", [1]), 279: ("LONG", [len(r) for r in rows]), 284: ("SHORT", [1]),
        339: ("SHORT", [sample_format] * len(planes)),
    }
    if photometric == 5:
        entries[INK_SET] = ("SHORT", [1])
    if extra_samples:
        entries[EXTRA_SAMPLES] = ("SHORT", list(extra_samples))
    entries.update(tags or {})
    offsets, at = [], 8
    for row in rows:
        offsets.append(at)
        at += len(row)
    entries[273] = ("LONG", offsets)
    ifd_at = at + at % 2
    subdirectories = dict(subdirectories or {})
    for tag in subdirectories:
        entries[tag] = ("LONG", [0])
    main = directory(entries, ifd_at)  # its size is known now; the offsets below are not
    tail, tail_at = b"", ifd_at + len(main)
    for tag, sub in subdirectories.items():
        tail += b"\0" * ((tail_at + len(tail)) % 2)
        entries[tag] = ("LONG", [tail_at + len(tail)])
        tail += directory(sub, tail_at + len(tail))
    main = directory(entries, ifd_at)
    return b"II*\0" + struct.pack("<I", ifd_at) + b"".join(rows) + b"\0" * (ifd_at - at) + main + tail


def tags(data, index=0):
    """{tag: values} of IFD number `index` of a TIFF file's bytes."""
    order = "<" if data[:2] == b"II" else ">"
    (at,) = struct.unpack(order + "I", data[4:8])
    for _ in range(index):
        (n,) = struct.unpack(order + "H", data[at:at + 2])
        (at,) = struct.unpack(order + "I", data[at + 2 + 12 * n:at + 6 + 12 * n])
    (n,) = struct.unpack(order + "H", data[at:at + 2])
    found = {}
    for i in range(n):
        entry = at + 2 + 12 * i
        tag, kind, count = struct.unpack(order + "HHI", data[entry:entry + 8])
        size = SIZES.get(kind, 1) * count
        raw = data[entry + 8:entry + 12]
        if size > 4:
            (offset,) = struct.unpack(order + "I", raw)
            raw = data[offset:offset + size]
        if kind == 2:
            found[tag] = raw[:count].rstrip(b"\0").decode("latin-1")
        elif kind in (5, 10):
            pair = order + ("II" if kind == 5 else "ii")
            found[tag] = [struct.unpack(pair, raw[8 * k:8 * k + 8]) for k in range(count)]
        elif kind in FORMATS:
            found[tag] = list(struct.unpack(order + "%d%s" % (count, FORMATS[kind]), raw[:size]))
        else:
            found[tag] = raw[:size]
    return found
