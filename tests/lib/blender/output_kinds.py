"""The outputs the add-on's tests render, shared by the tests and the
scripts they run inside Blender: Blender's output settings, and how
`tavi process` is asked to take the same file."""
from dataclasses import dataclass


@dataclass(frozen=True)
class Kind:
    file_format: str
    color_mode: str
    color_depth: str = ""
    transparent: bool = True  # film transparency
    cycles: bool = False  # Cycles with Z, normal and object index passes, composited
    alpha: str = "auto"  # tavi process --alpha
    refused: str = ""  # what the add-on's report says instead of filtering


KINDS = {
    "png8_rgba": Kind("PNG", "RGBA", "8"),
    "png16_rgba": Kind("PNG", "RGBA", "16"),
    "png8_rgb_opaque": Kind("PNG", "RGB", "8", transparent=False),
    "png8_bw": Kind("PNG", "BW", "8"),
    "tiff8_rgba": Kind("TIFF", "RGBA", "8"),
    "tiff16_rgba": Kind("TIFF", "RGBA", "16"),
    "exr_half": Kind("OPEN_EXR", "RGBA", "16"),
    "exr_float": Kind("OPEN_EXR", "RGBA", "32"),
    "exr_multilayer": Kind("OPEN_EXR_MULTILAYER", "RGBA", "16", cycles=True),
    "bmp": Kind("BMP", "RGB"),
    "targa": Kind("TARGA", "RGBA"),
    "targa_raw": Kind("TARGA_RAW", "RGBA"),
    "iris": Kind("IRIS", "RGBA", alpha="straight"),
    "dpx": Kind("DPX", "RGBA", "10", alpha="straight"),
    "hdr": Kind("HDR", "RGB", "32"),
    "jpeg": Kind("JPEG", "RGB", refused="JPEG is a lossy format"),
}

EXTENSIONS = {
    "PNG": ".png", "TIFF": ".tif", "OPEN_EXR": ".exr", "OPEN_EXR_MULTILAYER": ".exr", "BMP": ".bmp",
    "TARGA": ".tga", "TARGA_RAW": ".tga", "IRIS": ".rgb", "DPX": ".dpx", "HDR": ".hdr", "JPEG": ".jpg",
}

FRAMES = (1, 2, 3)
