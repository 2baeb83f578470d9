"""Which of Blender's output formats the filter takes, and how.

A frame file is read back with its samples as stored and rewritten by the
render-file rules of `tavi process`, so only formats that keep every sample
through that round trip are filtered. Lossy formats are refused rather than
decoded and encoded again, and so are movies, whose frames never exist as
files of their own.
"""

# Format: how the file's colour relates to its alpha, for
# tavi.antialias_file. "auto" takes what the file says, which is right for
# what Blender writes except where noted.
FILTERED = {
    "PNG": "auto",  # straight
    "TIFF": "auto",  # 8-bit marked straight, 16-bit marked associated, as stored
    "OPEN_EXR": "auto",  # premultiplied
    "OPEN_EXR_MULTILAYER": "auto",
    "BMP": "auto",  # no alpha
    "HDR": "auto",  # no alpha
    "TARGA": "auto",  # straight
    "TARGA_RAW": "auto",
    # Blender stores straight colour in these, but the files cannot say so
    # (SGI) or say premultiplied (DPX).
    "IRIS": "straight",
    "DPX": "straight",
}

_LOSSY = "a lossy format: Tavi does not decode and re-encode it"
_MOVIE = "a movie: its frames are never files Tavi could filter"
REFUSED = {
    "JPEG": "JPEG is " + _LOSSY,
    "JPEG2000": "JPEG 2000 is " + _LOSSY,
    "WEBP": "WebP is " + _LOSSY,
    "CINEON": "Cineon files cannot be written back (OpenImageIO reads them only)",
    "FFMPEG": "FFmpeg video is " + _MOVIE,
    "AVI_JPEG": "AVI JPEG is " + _MOVIE,
    "AVI_RAW": "AVI Raw is " + _MOVIE,
}

_ADVICE = "; render to PNG, TIFF or OpenEXR and convert afterwards, or disable Tavi"


def refusal(file_format):
    """Why frames of this format are not filtered, or None when they are."""
    if file_format in FILTERED:
        return None
    reason = REFUSED.get(file_format, f"Blender's {file_format} output is not one Tavi knows")
    return reason + _ADVICE


def alpha_for(file_format):
    return FILTERED[file_format]


def is_multilayer(file_format):
    return file_format == "OPEN_EXR_MULTILAYER"
