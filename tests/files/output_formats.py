"""What `tavi process` does with each output format OpenImageIO writes, and
each compression: written exactly, written with a notice saying what is
lost, or refused before any work (status 2) with a sentence saying why.

One list for the test that holds the command to it (test_output_formats.py)
and for the table in docs/image-files.md (output_formats_table.py makes it;
the test checks the page holds it as made).

Each case: the output's name, the options, the input picture (see
test_output_formats.py: "rgba" straight 8-bit RGBA with alpha below 1 on
one side of an edge, "rgb" opaque 8-bit RGB, "grey" 8-bit grey, "grey-alpha",
"rgba16" 16-bit RGBA, "rgba48" a 48 x 48 RGBA picture, "big" a 300 x 300 one; all
others are 37 x 29), the outcome, what
the command says (a phrase of its notice or refusal; for an exact file,
nothing), and the words of the table.
"""
from collections import namedtuple

Case = namedtuple("Case", "output options picture outcome says table")

EXACT, NOTICE, REFUSED = "exact", "notice", "refused"

CASES = [
    # PNG
    Case("out.png", [], "rgba", EXACT, "", "8 or 16-bit, grey or RGB, with or without alpha"),
    Case("out.png", ["--compression", "none"], "rgba", EXACT, "", "stored at zlib level 0"),
    Case("out.png", ["--compression", "zip:1"], "rgba", EXACT, "", "zlib level 1 to 9 (default 6)"),
    Case("out.png", ["--compression", "zip:999"], "rgba", REFUSED, "the level of zip compression is a whole number",
         "a level beyond 9"),
    Case("out.png", ["-d", "half"], "rgba", REFUSED, "PNG files hold uint8 or uint16 samples, not half",
         "half or float samples"),
    # TIFF
    Case("out.tif", [], "rgba", EXACT, "", "any channels and depth; straight or premultiplied, as labelled"),
    Case("out.tif", ["--compression", "none"], "rgba", EXACT, "", ""),
    Case("out.tif", ["--compression", "lzw"], "rgba", EXACT, "", ""),
    Case("out.tif", ["--compression", "zip:9"], "rgba", EXACT, "", "zip or deflate, levels 1 to 9"),
    Case("out.tif", ["--compression", "packbits"], "rgba", EXACT, "", ""),
    Case("out.tif", ["--compression", "jpeg"], "rgb", NOTICE, "JPEG compression is lossy",
         "JPEG compression of 8-bit RGB: lossy"),
    Case("out.tif", ["--compression", "jpeg"], "rgba", REFUSED, "writes JPEG-compressed TIFF files of 8-bit RGB only",
         "JPEG compression of anything but 8-bit RGB (OpenImageIO would write zip)"),
    Case("out.tif", ["--compression", "zstd"], "rgba", REFUSED, "TIFF files have no compression zstd",
         "zstd, lzma, webp, jxl, CCITT and other compressions OpenImageIO writes as zip"),
    # OpenEXR
    Case("out.exr", [], "rgba", EXACT, "", "premultiplied, half or float; equal to the straight result"),
    Case("out.exr", ["--compression", "piz"], "rgba", EXACT, "", "none, rle, zips, zip, piz"),
    Case("out.exr", ["--compression", "pxr24"], "rgba", EXACT, "", "pxr24 on half samples"),
    Case("out.exr", ["--compression", "b44"], "rgba", NOTICE, "B44 compression is lossy for half samples",
         "b44, b44a on half samples: lossy"),
    Case("out.exr", ["--compression", "dwaa:45"], "rgba", NOTICE, "dwaa compression is lossy",
         "dwaa, dwab: lossy in colour, alpha kept"),
    Case("out.exr", ["--compression", "lzw"], "rgba", REFUSED, "OpenEXR files have no compression lzw",
         "compressions OpenEXR has not"),
    # Targa, BMP, ICO, PNM, SGI, RLA, IFF, DPX, JPEG 2000
    Case("out.tga", [], "rgba", EXACT, "", "8-bit, straight alpha; uncompressed or rle"),
    Case("out.tga", [], "rgba16", NOTICE, "holds no 16-bit integer samples; written as 8-bit integer",
         "deeper than 8 bits: written as 8 bits"),
    Case("out.bmp", [], "rgba", EXACT, "", "8-bit grey, RGB or RGBA"),
    Case("out.bmp", [], "grey-alpha", REFUSED, "hold no grey with alpha", "grey with alpha"),
    Case("out.ico", [], "rgba", EXACT, "", "8-bit, up to 256 x 256"),
    Case("out.ico", [], "big", REFUSED, "ICO files are at most 256 pixels wide and high", "larger than 256 x 256"),
    Case("out.ppm", [], "rgb", EXACT, "", "8-bit RGB (.ppm), grey (.pgm) or either (.pnm)"),
    Case("out.ppm", [], "rgba", NOTICE, "has no alpha channel; alpha not written", "with alpha: alpha not written"),
    Case("out.pgm", [], "rgb", REFUSED, "a .pgm file holds grey", "RGB in a .pgm, grey in a .ppm"),
    Case("out.ppm", ["-d", "uint16"], "rgb", REFUSED, "PNM files hold uint8 samples, not uint16",
         "16 bits (OpenImageIO's 16-bit PNM writer writes garbage)"),
    Case("out.pbm", [], "grey", REFUSED, "writes PBM bitmaps inverted", "1-bit bitmaps (.pbm)"),
    Case("out.sgi", [], "rgba", EXACT, "", "8 or 16-bit, any of 1 to 4 channels"),
    Case("out.sgi", ["-d", "uint16"], "rgba", EXACT, "", "16-bit as asked"),
    Case("out.sgi", ["-d", "float"], "rgba", REFUSED, "SGI files hold uint8 or uint16 samples, not float",
         "half or float samples"),
    Case("out.rla", [], "rgba", EXACT, "", "8, 16-bit or float; half written as float"),
    Case("out.iff", [], "rgba", EXACT, "", "8 or 16-bit RGB or RGBA"),
    Case("out.iff", [], "grey", REFUSED, "hold RGB or RGBA", "grey"),
    Case("out.iff", ["-d", "uint16"], "rgba", EXACT, "", "16-bit as asked (written uncompressed: its RLE corrupts 16-bit alpha)"),
    Case("out.dpx", [], "rgba", EXACT, "", "8, 16-bit or float; grey, RGB or RGBA"),
    Case("out.dpx", [], "grey-alpha", REFUSED, "hold no grey with alpha", "grey with alpha (the writer aborts)"),
    Case("out.dpx", ["-d", "float"], "rgba", EXACT, "", "float as asked"),
    Case("out.jp2", [], "rgba48", EXACT, "", "8 or 16-bit grey, RGB or RGBA, lossless"),
    Case("out.jp2", [], "rgba", REFUSED, "JPEG 2000 files of at least 32 x 32 pixels",
         "smaller than 32 x 32 (OpenImageIO writes such files unreadable)"),
    Case("out.jp2", [], "grey-alpha", REFUSED, "not grey with alpha", "grey with alpha"),
    # Lossy formats
    Case("out.jpg", [], "rgb", NOTICE, "JPEG is lossy: every pixel is encoded again at quality 95",
         "lossy, 8-bit, no alpha; at the input's quality or 95"),
    Case("out.jpg", [], "rgba", NOTICE, "has no alpha channel; alpha not written", "with alpha: alpha not written"),
    Case("out.webp", [], "rgba", NOTICE, "WebP as OpenImageIO writes it is lossy",
         "lossy at every setting (no true lossless mode), 8-bit; colour under alpha 0 lost"),
    Case("out.webp", ["--compression", "lossless"], "rgba", REFUSED, "WebP files have no compression lossless",
         "--compression lossless (it would still change pixels)"),
    Case("out.webp", [], "grey", REFUSED, "hold RGB or RGBA", "grey"),
    Case("out.heic", [], "rgb", NOTICE, "HEIF is lossy", "lossy at every setting, 8-bit"),
    Case("out.avif", [], "rgb", NOTICE, "HEIF is lossy", "AV1 inside, as its name says"),
    Case("out.hdr", [], "rgb", NOTICE, "Radiance HDR keeps about 8 bits of precision",
         "RGB in shared-exponent floats; values below 0 written as 0"),
    Case("out.hdr", [], "grey", REFUSED, "hold RGB only", "grey"),
    Case("out.hdr", ["-d", "uint8"], "rgb", REFUSED, "Radiance HDR files hold float samples, not uint8",
         "integer samples"),
    # Formats no file is written in
    Case("out.gif", [], "rgba", REFUSED, "hold 256 colours and no transparency",
         "256 colours and no transparency: every smoothed edge lost"),
    Case("out.fits", [], "rgba", REFUSED, "without channel names or alpha", "channel names, alpha, 16-bit lost"),
    Case("out.zfile", [], "rgba", REFUSED, "holds one depth channel", "one depth channel"),
    Case("out.term", [], "rgba", REFUSED, "draws the picture on the terminal", "draws on the terminal, no file"),
    Case("out.psd", [], "rgba", REFUSED, "OpenImageIO reads .psd files but writes none",
         "read, never written (so too Cineon, DDS, DICOM, RAW and movies)"),
    Case("out.pfm", [], "rgb", REFUSED, "OpenImageIO reads .pfm files but writes none", "read, never written"),
]

TITLES = {
    "png": "PNG", "tif": "TIFF", "exr": "OpenEXR", "tga": "Targa", "bmp": "BMP", "ico": "ICO", "ppm": "PNM",
    "pgm": "PNM", "pbm": "PNM", "sgi": "SGI", "rla": "RLA", "iff": "Maya IFF", "dpx": "DPX", "jp2": "JPEG 2000",
    "jpg": "JPEG", "webp": "WebP", "heic": "HEIF", "avif": "HEIF", "hdr": "Radiance HDR", "gif": "GIF",
    "fits": "FITS", "zfile": "zfile", "term": "term", "psd": "PSD", "pfm": "PFM",
}
