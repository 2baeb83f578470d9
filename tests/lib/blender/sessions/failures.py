"""Frames the add-on cannot filter. Handlers that run before the add-on's
put in the faults, after keeping a copy of what Blender wrote
(OUT/blender-NAME): a three-frame PNG animation whose frame 1 is
overwritten with bytes no reader takes, whose frame 2 cannot be written
(files may grow only to half its size), and whose frame 3 is fine; then a
still whose settings the filter refuses (Strength 150, set around the
panel's range), and a JPEG still.

blender -b --factory-startup --python-exit-code 1 --python failures.py -- OUT
"""
import os
import resource
import shutil
import signal
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path[:0] = [os.path.dirname(__file__), os.path.dirname(os.path.dirname(__file__))]
import bpy  # noqa: E402

import aliased_scene  # noqa: E402
import output_kinds  # noqa: E402

out = sys.argv[sys.argv.index("--") + 1]
JUNK = b"these bytes are no image"
unlimited = resource.getrlimit(resource.RLIMIT_FSIZE)


def written(scene):
    path = scene.render.frame_path(frame=scene.frame_current)
    if os.path.exists(path):
        return path
    base = bpy.path.abspath(scene.render.filepath)  # a still: no frame number
    return next(base + extension for extension in (".png", ".jpg") if os.path.exists(base + extension))


def put_in_fault(scene):
    path = written(scene)
    shutil.copyfile(path, os.path.join(out, "blender-" + os.path.basename(path)))
    if scene.frame_current == 1 and "frame_" in path:
        with open(path, "wb") as f:
            f.write(JUNK)
    if scene.frame_current == 2:
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
        limit = os.path.getsize(path) // 2
        resource.setrlimit(resource.RLIMIT_FSIZE, (limit, unlimited[1]))


def take_fault_out(scene):
    resource.setrlimit(resource.RLIMIT_FSIZE, unlimited)


aliased_scene.enable_addon()
bpy.app.handlers.render_write.insert(0, put_in_fault)
bpy.app.handlers.render_write.append(take_fault_out)
scene = aliased_scene.build()
aliased_scene.output(scene, output_kinds.KINDS["png8_rgba"])
scene.render.filepath = os.path.join(out, "frame_")
bpy.ops.render.render(animation=True)

scene.tavi["strength"] = 150
scene.render.filepath = os.path.join(out, "still")
bpy.ops.render.render(write_still=True)
del scene.tavi["strength"]

os.makedirs(os.path.join(out, "jpeg"))
aliased_scene.output(scene, output_kinds.KINDS["jpeg"])
scene.render.filepath = os.path.join(out, "jpeg", "still")
bpy.ops.render.render(write_still=True)
