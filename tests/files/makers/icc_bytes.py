"""A small ICC display profile: enough for libpng and OpenImageIO to take it
as one."""
import struct

WHITE = struct.pack(">3i", 63190, 65536, 54061)  # D50, s15.16


def display_profile(description=b"tavi test"):
    text = description + b"\0"
    desc = b"desc" + b"\0" * 4 + struct.pack(">I", len(text)) + text + b"\0" * (4 + 4 + 2 + 1 + 67)
    tags = [(b"desc", desc), (b"wtpt", b"XYZ " + b"\0" * 4 + WHITE)]
    data_at = 128 + 4 + 12 * len(tags)
    table, body = struct.pack(">I", len(tags)), b""
    for signature, data in tags:
        table += signature + struct.pack(">II", data_at + len(body), len(data))
        body += data + b"\0" * (-len(data) % 4)
    header = (struct.pack(">I", data_at + len(body)) + b"none" + bytes([2, 0x10, 0, 0]) + b"mntr" + b"RGB " + b"XYZ "
              + b"\0" * 12 + b"acsp" + b"\0" * 24 + struct.pack(">I", 0) + WHITE + b"\0" * 48)
    assert len(header) == 128
    return header + table + body
