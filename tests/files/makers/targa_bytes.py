"""Targa files written byte by byte: uncompressed true-colour, with an
extension area whose attribute type says what the fourth channel is."""
import struct

def targa(width, height, pixels_bgra, alpha_type=None, bits=32, thumbnail=None):
    """pixels_bgra: bytes, bottom-up rows of B,G,R[,A]. alpha_type: None for
    no extension area, else 0..4 as the Targa 2.0 extension area says."""
    attr_bits = 8 if bits == 32 else 0
    header = struct.pack("<BBBHHBHHHHBB", 0, 0, 2, 0, 0, 0, 0, 0, width, height, bits, attr_bits)
    body = header + pixels_bgra
    if alpha_type is None:
        return body
    postage = 0
    if thumbnail is not None:
        tw, th, tpix = thumbnail
        postage = len(body)
        body += bytes([tw, th]) + tpix
    ext_offset = len(body)
    ext = bytearray(495)
    struct.pack_into("<H", ext, 0, 495)
    struct.pack_into("<I", ext, 486, postage)   # postage stamp offset
    ext[494] = alpha_type
    body += bytes(ext)
    footer = struct.pack("<II", ext_offset, 0) + b"TRUEVISION-XFILE.\0"
    return body + footer
