"""One frame file filtered in place, or left as Blender wrote it with an
error report naming the frame and the reason."""
import os
import tempfile

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
        keywords = dict(scene.tavi.filter_keywords(), alpha=output_formats.alpha_for(file_format))
        _filter_layers(tavi, path, layers, keywords)
    except Exception as e:  # any failure leaves the file as Blender wrote it
        reports.not_filtered(frame, f"{path}: {_without_path(str(e), path)}")
        return False
    reports.info(f"frame {frame} filtered: {path}")
    return True


class _NotFiltered(Exception):
    pass


def _filter_layers(tavi, path, layers, keywords):
    """Each layer in turn; all but the last into a private temporary copy,
    so that the frame is replaced once, by the last, or not at all."""
    if len(layers) == 1:
        tavi.antialias_file(path, layer=layers[0], **keywords)
        return
    with tempfile.TemporaryDirectory(prefix="tavi-") as folder:
        work = os.path.join(folder, os.path.basename(path))
        source = path
        for layer in layers[:-1]:
            tavi.antialias_file(source, work, layer=layer, **keywords)
            source = work
        tavi.antialias_file(work, path, layer=layers[-1], **keywords)


def _without_path(message, path):
    """The tavi module's messages begin with the file's name; the report
    names it once."""
    for name in (path, os.path.abspath(path)):
        if message.startswith(name + ": "):
            return message[len(name) + 2:]
    return message
