"""How a farm learns that frames were not filtered: in background mode
(blender -b), when any frame was left as Blender wrote it, Blender's exit
status is UNFILTERED_STATUS instead of 0, once it has done all that its
command line asked; a last line on the console says which frames.

Blender gives Python no way to set its status, so the add-on ends the
process itself from Python's exit handlers, which run late in Blender's
quitting, after its data is freed: of its clean-up only the session's
temporary folder is left to remove then, and the add-on removes it as
Blender would have. In Blender's window nothing changes: the reports say
it there."""
import atexit
import ctypes
import os
import shutil
import sys

import bpy

UNFILTERED_STATUS = 3

_frames = []  # the frames not filtered in this Blender session, as reported


def frame_not_filtered(frame):
    _frames.append(frame)


def _quit_with_status():
    if not _frames:
        return
    frames = ", ".join(str(f) for f in dict.fromkeys(_frames))
    print(f"Tavi: not filtered: frame{'s' if len(set(_frames)) > 1 else ''} {frames}; "
          f"Blender exits with status {UNFILTERED_STATUS}", file=sys.stderr, flush=True)
    sys.stdout.flush()
    try:
        session = bpy.app.tempdir
    except Exception:  # Blender's data is gone: nothing of ours to remove
        session = ""
    if os.path.basename(os.path.normpath(session)).startswith("blender_"):
        shutil.rmtree(session, ignore_errors=True)
    ctypes.CDLL(None).fflush(None)  # Blender's own lines still buffered in C
    os._exit(UNFILTERED_STATUS)


def register():
    if bpy.app.background:
        atexit.unregister(_quit_with_status)
        atexit.register(_quit_with_status)


def unregister():
    # Blender disables every add-on as it quits, before Python's exit
    # handlers run: the handler stays, and does nothing unless frames were
    # not filtered while the add-on was enabled.
    pass
