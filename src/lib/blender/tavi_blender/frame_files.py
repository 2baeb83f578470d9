"""The files Blender writes for a frame.

An animation frame goes to render.frame_path(); a still (write_still) goes
to the output path without a frame number, with Blender's extension rules.
The render handlers cannot tell the two kinds of render apart, so the
files that may be written are looked at before the frame is rendered and
again once it is written: those that changed are the frame's.
"""
import os

import bpy

# Image extensions Blender replaces rather than appends to.
_IMAGE_EXTENSIONS = (
    ".png", ".tga", ".bmp", ".jpg", ".jpeg", ".sgi", ".rgb", ".rgba", ".tif", ".tiff", ".tx",
    ".jp2", ".j2c", ".hdr", ".dds", ".dpx", ".cin", ".exr", ".psd", ".pdd", ".psb", ".webp",
)
# The extensions Blender accepts as they are, beside the one it writes.
_ALSO_ACCEPTED = {".tif": (".tiff",), ".jpg": (".jpeg",)}


def _views(render):
    """The suffixes of the views written as files of their own ("" when one)."""
    if not render.use_multiview or render.image_settings.views_format != "INDIVIDUAL":
        return [("", "")]
    return [(v.name, v.file_suffix) for v in render.views if v.use]


def _still_path(render, extension, suffix):
    path = os.path.abspath(bpy.path.abspath(render.filepath))
    if render.use_file_extension and extension:
        lower = path.lower()
        if not lower.endswith((extension,) + _ALSO_ACCEPTED.get(extension, ())):
            if lower.endswith(_IMAGE_EXTENSIONS):
                path = os.path.splitext(path)[0]
            path = path.rstrip(".") + extension
    if suffix:
        stem, ext = os.path.splitext(path) if render.use_file_extension else (path, "")
        path = stem + suffix + ext
    return path


def candidates(scene, frame):
    """Every file Blender may write for `frame` of `scene`, as a still or as
    part of an animation."""
    render = scene.render
    paths = []
    for name, suffix in _views(render):
        animation = os.path.abspath(render.frame_path(frame=frame, view=name))
        extension = os.path.splitext(animation)[1].lower() if render.use_file_extension else ""
        for path in (animation, _still_path(render, extension, suffix)):
            if path not in paths:
                paths.append(path)
    return paths


def _state(path):
    try:
        s = os.stat(path)
    except OSError:
        return None
    return (s.st_ino, s.st_size, s.st_mtime_ns, s.st_ctime_ns)


def snapshot(paths):
    return {path: _state(path) for path in paths}


def changed(before):
    """The files of a snapshot that were written since."""
    return [path for path, state in before.items() if _state(path) not in (None, state)]
