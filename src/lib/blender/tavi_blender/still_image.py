"""The filtered still, shown as an image of its own, "Tavi Render", in the
image editors that showed the render. Main thread only."""
import os

import bpy

IMAGE_NAME = "Tavi Render"

# The extension Blender gives each format the filter takes: the image
# library picks the format to write by it.
_EXTENSIONS = {
    "PNG": ".png", "TIFF": ".tif", "OPEN_EXR": ".exr", "OPEN_EXR_MULTILAYER": ".exr", "BMP": ".bmp",
    "HDR": ".hdr", "TARGA": ".tga", "TARGA_RAW": ".tga", "IRIS": ".rgb", "DPX": ".dpx",
}


def unsaved_still_path(scene):
    """Where a still that Blender did not write is saved for filtering: in
    Blender's temporary folder, which it removes on quitting."""
    return os.path.join(bpy.app.tempdir, "tavi-still" + _EXTENSIONS[scene.render.image_settings.file_format])


def save_render_result(scene, path):
    """Saves the last render as a still of `scene` would be written."""
    result = next((i for i in bpy.data.images if i.type == "RENDER_RESULT"), None)
    if result is None:
        raise RuntimeError("there is no render result to save")
    result.save_render(path, scene=scene)


def show(path):
    image = bpy.data.images.get(IMAGE_NAME)
    if image is None or image.type != "IMAGE" or image.library is not None:
        image = bpy.data.images.load(path)
        image.name = IMAGE_NAME
    else:
        image.filepath = path
        image.reload()
    for window in bpy.context.window_manager.windows:
        for area in window.screen.areas:
            if area.type == "IMAGE_EDITOR":
                space = area.spaces.active
                if space.image is not None and space.image.type == "RENDER_RESULT":
                    space.image = image
    return image
