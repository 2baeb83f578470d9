"""Stills written under output paths of every shape Blender takes (an
extension of its own or of another format, trailing dots, # signs, upper
case, relative to the .blend file), with the add-on enabled. The file
names Blender printed ("Saved: ...") and the add-on's lines go to the
console for the test to compare.

blender -b --factory-startup --python-exit-code 1 --python still_names.py -- OUT NAME...
"""
import os
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path[:0] = [os.path.dirname(__file__), os.path.dirname(os.path.dirname(__file__))]
import bpy  # noqa: E402

import aliased_scene  # noqa: E402
import output_kinds  # noqa: E402

arguments = sys.argv[sys.argv.index("--") + 1:]
out, names = arguments[0], arguments[1:]
aliased_scene.enable_addon()
scene = aliased_scene.build()
aliased_scene.output(scene, output_kinds.KINDS["png8_rgba"])
bpy.ops.wm.save_as_mainfile(filepath=os.path.join(out, "names.blend"))
for name in names:
    scene.render.filepath = name if name.startswith("//") else os.path.join(out, name)
    bpy.ops.render.render(write_still=True)
