"""Renders each output kind named on the command line with the add-on
disabled (plain/) and enabled (tavi/): a still written by Blender
(still.EXT) and a three-frame animation (frame_000N.EXT); for the first
kind also a still Blender does not write, whose filtered picture, the
image "Tavi Render", is copied to tavi/unsaved.EXT.

blender -b --factory-startup --python-exit-code 1 --python outputs.py -- OUT KIND...
"""
import json
import os
import shutil
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path[:0] = [os.path.dirname(__file__), os.path.dirname(os.path.dirname(__file__))]
import bpy  # noqa: E402

import aliased_scene  # noqa: E402
import output_kinds  # noqa: E402

arguments = sys.argv[sys.argv.index("--") + 1:]
out, kinds = arguments[0], arguments[1:]
aliased_scene.enable_addon()
results = {}
for name in kinds:
    kind = output_kinds.KINDS[name]
    scene = aliased_scene.build(kind.transparent)
    if kind.cycles:
        aliased_scene.use_cycles(scene)
        layer = scene.view_layers[0]
        layer.use_pass_z = layer.use_pass_normal = layer.use_pass_object_index = True
        scene.use_nodes = True  # a composite layer besides the view layer's
    aliased_scene.output(scene, kind)
    for enabled in (False, True):
        folder = os.path.join(out, name, "tavi" if enabled else "plain")
        scene.tavi.enabled = enabled
        scene.render.filepath = os.path.join(folder, "still")
        bpy.ops.render.render(write_still=True)
        scene.render.filepath = os.path.join(folder, "frame_")
        bpy.ops.render.render(animation=True)
    if name == kinds[0]:
        bpy.ops.render.render()
        image = bpy.data.images["Tavi Render"]
        extension = output_kinds.EXTENSIONS[kind.file_format]
        shutil.copyfile(image.filepath, os.path.join(out, name, "tavi", "unsaved" + extension))
        results["unsaved"] = {"kind": name, "size": list(image.size)}
with open(os.path.join(out, "results.json"), "w") as f:
    json.dump(results, f)
