"""Targa files written byte by byte: uncompressed true colour with an
extension area whose attributes type says what the fourth channel is, and
a postage stamp (thumbnail)."""
import struct

EXTENSION_SIZE = 495
POSTAGE_STAMP_AT, ALPHA_TYPE_AT = 486, 494


def targa(width, height, pixels_bgra, alpha_type=None, thumbnail=None):
    """pixels_bgra: bottom-up rows of B, G, R, A bytes. alpha_type: None for
    a version 1 file without an extension area, else 0 to 4. thumbnail:
    (width, height, B, G, R, A bytes)."""
    body = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, 32, 8) + pixels_bgra
    if alpha_type is None:
        return body
    stamp = 0
    if thumbnail is not None:
        stamp = len(body)
        body += bytes(thumbnail[:2]) + thumbnail[2]
    extension = bytearray(EXTENSION_SIZE)
    struct.pack_into("<H", extension, 0, EXTENSION_SIZE)
    struct.pack_into("<I", extension, POSTAGE_STAMP_AT, stamp)
    extension[ALPHA_TYPE_AT] = alpha_type
    return body + bytes(extension) + struct.pack("<II", len(body), 0) + b"TRUEVISION-XFILE.\0"


def extension_area(data):
    """(alpha type, postage stamp offset) of a Targa file's bytes, or None."""
    if data[-18:] != b"TRUEVISION-XFILE.\0":
        return None
    (at,) = struct.unpack("<I", data[-26:-22])
    if at == 0:
        return None
    (stamp,) = struct.unpack("<I", data[at + POSTAGE_STAMP_AT:at + POSTAGE_STAMP_AT + 4])
    return data[at + ALPHA_TYPE_AT], stamp
