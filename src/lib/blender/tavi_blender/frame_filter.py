"""One frame file filtered in place, or left as Blender wrote it with an
error report naming the frame and the reason."""
import os

from . import exr_layers, filter_module, output_formats, reports


def refusal(scene):
    """Why this scene's frame files are not filtered, or None."""
    render = scene.render
    reason = output_formats.refusal(render.image_settings.file_format)
    if reason is None and not render.use_file_extension:
        reason = "frame files without an extension cannot be rewritten; turn on File Extensions in Output"
    return reason


def filter_file(scene, frame, path):
    """Replaces the file with its filtered version (the command's atomic
    write). True when it did."""
    try:
        reason = refusal(scene)
        if reason:
            raise _NotFiltered(reason)
        tavi = filter_module.load()
        file_format = scene.render.image_settings.file_format
        layers = [""]
        if output_formats.is_multilayer(file_format):
            layers = exr_layers.combined_layers(path)
            if not layers:
                raise _NotFiltered("the file has no combined pass")
        keywords = scene.tavi.filter_keywords()
        for layer in layers:
            tavi.antialias_file(path, alpha=output_formats.alpha_for(file_format), layer=layer, **keywords)
    except Exception as e:  # any failure leaves the file as Blender wrote it
        reports.error(f"frame {frame} not filtered: {path}: {_without_path(str(e), path)}")
        return False
    reports.info(f"frame {frame} filtered: {path}")
    return True


class _NotFiltered(Exception):
    pass


def _without_path(message, path):
    """The tavi module's messages begin with the file's name; the report
    names it once."""
    for name in (path, os.path.abspath(path)):
        if message.startswith(name + ": "):
            return message[len(name) + 2:]
    return message
