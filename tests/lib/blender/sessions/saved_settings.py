"""Settings kept in a .blend file, strength, disabled, and the add-on
unregistered. In OUT: plain.png (Tavi disabled); reopened.png (Target "RGB
only", Strength 40, Threshold 200, saved in settings.blend and opened
again); strength100.png (the same at Strength 100); unregistered.png (the
add-on disabled in the preferences); results.json with what was seen.

blender -b --factory-startup --python-exit-code 1 --python saved_settings.py -- OUT
"""
import json
import os
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path[:0] = [os.path.dirname(__file__), os.path.dirname(os.path.dirname(__file__))]
import addon_utils  # noqa: E402
import bpy  # noqa: E402

import aliased_scene  # noqa: E402
import output_kinds  # noqa: E402

out = sys.argv[sys.argv.index("--") + 1]
results = {}


def still(name):
    bpy.context.scene.render.filepath = os.path.join(out, name)
    bpy.ops.render.render(write_still=True)


def settings():
    tavi = bpy.context.scene.tavi
    return {"target": tavi.target, "enabled": tavi.enabled, "strength": tavi.strength, "threshold": tavi.threshold}


def leftovers():
    """What of the add-on is still registered."""
    handlers = [f"{name}: {h.__module__}.{h.__name__}" for name in dir(bpy.app.handlers)
                if isinstance(getattr(bpy.app.handlers, name), list)
                for h in getattr(bpy.app.handlers, name) if h.__module__.startswith("tavi_blender")]
    types = [name for name in ("RENDER_PT_tavi", "TaviSettings", "TAVI_OT_show_report") if hasattr(bpy.types, name)]
    return handlers + types + (["Scene.tavi"] if hasattr(bpy.types.Scene, "tavi") else [])


aliased_scene.enable_addon()
scene = aliased_scene.build()
aliased_scene.output(scene, output_kinds.KINDS["png8_rgba"])
results["defaults"] = settings()
scene.tavi.enabled = False
still("plain")

scene.tavi.enabled = True
scene.tavi.target, scene.tavi.strength, scene.tavi.threshold = "RGB", 40, 200
bpy.ops.wm.save_as_mainfile(filepath=os.path.join(out, "settings.blend"))
bpy.ops.wm.read_homefile(app_template="")
results["new file"] = settings()
bpy.ops.wm.open_mainfile(filepath=os.path.join(out, "settings.blend"))
results["reopened"] = settings()
still("reopened")
bpy.context.scene.tavi.strength = 100
still("strength100")
bpy.context.scene.tavi.strength = 40

results["registered"] = leftovers()
addon_utils.disable("tavi_blender", default_set=True)
results["unregistered"] = leftovers()
results["kept in the scene"] = bpy.context.scene["tavi"].to_dict()
still("unregistered")
bpy.ops.wm.save_as_mainfile(filepath=os.path.join(out, "after.blend"))
aliased_scene.enable_addon()
bpy.ops.wm.open_mainfile(filepath=os.path.join(out, "after.blend"))
results["registered again"] = settings()

with open(os.path.join(out, "results.json"), "w") as f:
    json.dump(results, f)
