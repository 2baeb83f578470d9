"""What a farm node is given: the add-on enabled in the saved preferences
(as Edit > Preferences > Add-ons, then Save Preferences, leaves it) and
.blend files whose frames go beside them. In OUT: jpeg.blend (JPEG output,
which the add-on refuses, Tavi enabled), plain.blend (the same with Tavi
disabled), png.blend (PNG, Tavi enabled) and movie.blend (an MPEG-4 movie,
refused too); each renders frames 1 to 3 into OUT/NAME/frame_####.

blender -b --factory-startup --python-exit-code 1 --python farm_files.py -- OUT
"""
import os
import sys

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path[:0] = [os.path.dirname(__file__), os.path.dirname(os.path.dirname(__file__))]
import bpy  # noqa: E402

import aliased_scene  # noqa: E402
import output_kinds  # noqa: E402

out = sys.argv[sys.argv.index("--") + 1]
aliased_scene.enable_addon()
bpy.context.preferences.use_preferences_save = True
bpy.ops.wm.save_userpref()

scene = aliased_scene.build()
# No metadata (date, render time, file name) in the frames, so that a frame
# Tavi left alone is byte for byte the one Blender writes with Tavi off.
for name in scene.render.bl_rna.properties.keys():
    if name.startswith("use_stamp"):
        setattr(scene.render, name, False)
for name, kind, enabled in (("jpeg", "jpeg", True), ("plain", "jpeg", False), ("png", "png8_rgba", True)):
    aliased_scene.output(scene, output_kinds.KINDS[kind])
    scene.tavi.enabled = enabled
    scene.render.filepath = f"//{name}/frame_"
    bpy.ops.wm.save_as_mainfile(filepath=os.path.join(out, name + ".blend"), copy=True)
scene.render.image_settings.file_format = "FFMPEG"
scene.render.ffmpeg.format = "MPEG4"
scene.render.filepath = "//movie/frame_"
bpy.ops.wm.save_as_mainfile(filepath=os.path.join(out, "movie.blend"), copy=True)
