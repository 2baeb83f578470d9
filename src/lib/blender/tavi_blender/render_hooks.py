"""The render handlers. Every frame file Blender writes is filtered in
place before the next frame starts; a still is shown filtered as the image
"Tavi Render", whether Blender wrote it to a file or not."""
import bpy
from bpy.app.handlers import persistent

from . import frame_files, frame_filter, main_thread, reports, still_image


class _Job:
    """What the handlers know of the render in progress."""

    def __init__(self):
        self.frames = 0
        self.before = {}  # the files the current frame may be written to, as they were
        self.written = False  # a file was written for a frame
        self.filtered = None  # the last file filtered


_job = _Job()


@persistent
def _on_init(scene):
    global _job
    _job = _Job()


@persistent
def _on_pre(scene):
    _job.frames += 1
    _job.before = frame_files.snapshot(frame_files.candidates(scene, scene.frame_current))


@persistent
def _on_write(scene):
    _job.written = True
    if not scene.tavi.enabled:
        return
    frame = scene.frame_current
    paths = frame_files.changed(_job.before)
    if not paths:
        # A movie is written as a whole, never as the frame's own file.
        reason = frame_filter.refusal(scene) or f"Blender wrote none of {', '.join(_job.before)}"
        reports.not_filtered(frame, reason)
    for path in paths:
        if frame_filter.filter_file(scene, frame, path):
            _job.filtered = path


@persistent
def _on_complete(scene):
    # A still: one frame. The frame file, filtered, is shown; a still
    # Blender did not write is saved from the render result and filtered.
    if _job.frames != 1 or not scene.tavi.enabled:
        return
    if _job.written:
        if _job.filtered:
            main_thread.run(lambda path=_job.filtered: still_image.show(path))
    else:
        main_thread.run(lambda name=scene.name, frame=scene.frame_current: _show_unsaved_still(name, frame))


def _show_unsaved_still(scene_name, frame):
    scene = bpy.data.scenes.get(scene_name)
    if scene is None:
        return
    reason = frame_filter.refusal(scene)
    if reason:
        reports.not_filtered(frame, reason)
        return
    path = still_image.unsaved_still_path(scene)
    try:
        still_image.save_render_result(scene, path)
    except Exception as e:
        reports.not_filtered(frame, f"cannot save the render to {path}: {e}")
        return
    if frame_filter.filter_file(scene, frame, path):
        still_image.show(path)


_HANDLERS = (
    (bpy.app.handlers.render_init, _on_init),
    (bpy.app.handlers.render_pre, _on_pre),
    (bpy.app.handlers.render_write, _on_write),
    (bpy.app.handlers.render_complete, _on_complete),
)


def register():
    for handlers, handler in _HANDLERS:
        handlers.append(handler)


def unregister():
    for handlers, handler in _HANDLERS:
        while handler in handlers:
            handlers.remove(handler)
