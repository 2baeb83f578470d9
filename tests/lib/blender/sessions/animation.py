"""A two-frame PNG animation with Tavi disabled (OUT/plain) and enabled
(OUT/tavi), and in OUT/results.json why the add-on's module cannot be
loaded, if it cannot.

blender -b --factory-startup --python-exit-code 1 --python animation.py -- OUT
"""
import json
import os
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path[:0] = [os.path.dirname(__file__), os.path.dirname(os.path.dirname(__file__))]
import bpy  # noqa: E402

import aliased_scene  # noqa: E402
import output_kinds  # noqa: E402

out = sys.argv[sys.argv.index("--") + 1]
aliased_scene.enable_addon()
scene = aliased_scene.build()
aliased_scene.output(scene, output_kinds.KINDS["png8_rgba"])
scene.frame_end = 2
for enabled in (False, True):
    scene.tavi.enabled = enabled
    scene.render.filepath = os.path.join(out, "tavi" if enabled else "plain", "frame_")
    bpy.ops.render.render(animation=True)

import tavi_blender.filter_module  # noqa: E402

with open(os.path.join(out, "results.json"), "w") as f:
    json.dump({"problem": tavi_blender.filter_module.problem(),
               "module": sys.modules["tavi_blender"].__file__}, f)
