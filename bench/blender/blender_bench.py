"""Blender's own anti-aliasing against Tavi's, run inside Blender by
blender_bench.sh: one busy scene at 1920x1080 rendered with Workbench at
each anti-aliasing choice, and with anti-aliasing off and the Tavi add-on
enabled (a still as F12 makes it: the render saved, filtered and shown as
"Tavi Render"). Writes OUT/<name>.png and OUT/times.tsv: name, render
seconds, seconds in the add-on's filtering of the frame.

blender -b --factory-startup --python bench/blender/blender_bench.py -- OUT
"""
import math
import os
import random
import shutil
import sys
import time

import addon_utils
import bpy

CHOICES = [("OFF", "off"), ("FXAA", "FXAA"), ("5", "5 samples"), ("8", "8 samples"), ("11", "11 samples"),
           ("16", "16 samples"), ("32", "32 samples")]


def busy_scene():
    """Some two hundred objects at random sizes and angles, thin poles and
    rings among them, on a floor under a perspective camera."""
    scene = bpy.context.scene
    for obj in list(scene.objects):
        bpy.data.objects.remove(obj)
    rng = random.Random(23)
    ops = bpy.ops.mesh
    bpy.ops.mesh.primitive_plane_add(size=60, location=(0, 0, 0))
    makers = [
        lambda: ops.primitive_cube_add(size=rng.uniform(0.4, 1.6)),
        lambda: ops.primitive_uv_sphere_add(radius=rng.uniform(0.3, 0.9), segments=24, ring_count=12),
        lambda: ops.primitive_cylinder_add(radius=rng.uniform(0.2, 0.6), depth=rng.uniform(0.5, 2.5)),
        lambda: ops.primitive_cone_add(radius1=rng.uniform(0.3, 0.8), depth=rng.uniform(0.8, 2.0)),
        lambda: ops.primitive_torus_add(major_radius=rng.uniform(0.4, 1.0), minor_radius=rng.uniform(0.05, 0.2)),
        lambda: ops.primitive_cylinder_add(radius=rng.uniform(0.02, 0.06), depth=rng.uniform(3, 7), vertices=8),
    ]
    for _ in range(220):
        rng.choice(makers)()
        obj = bpy.context.object
        obj.location = (rng.uniform(-11, 11), rng.uniform(-7, 9), rng.uniform(0.2, 2.5))
        obj.rotation_euler = (rng.uniform(0, math.pi), rng.uniform(0, math.pi), rng.uniform(0, math.pi))
    bpy.ops.object.camera_add(location=(0, -17, 9))
    scene.camera = bpy.context.object
    scene.camera.rotation_euler = (math.radians(62), 0, 0)

    render = scene.render
    render.engine = "BLENDER_WORKBENCH"
    render.resolution_x, render.resolution_y, render.resolution_percentage = 1920, 1080, 100
    render.dither_intensity = 0
    render.image_settings.file_format = "PNG"
    render.image_settings.color_mode = "RGB"
    scene.display.shading.light = "STUDIO"
    scene.display.shading.color_type = "RANDOM"
    return scene


def render_still():
    start = time.perf_counter()
    bpy.ops.render.render()
    return time.perf_counter() - start


def main():
    out = sys.argv[sys.argv.index("--") + 1]
    addon_utils.enable("tavi_blender", default_set=True, handle_error=lambda e: sys.exit(f"tavi_blender: {e}"))
    import tavi_blender.frame_filter as frame_filter

    filtering = []
    filter_file = frame_filter.filter_file

    def timed_filter_file(*arguments):
        start = time.perf_counter()
        try:
            return filter_file(*arguments)
        finally:
            filtering.append(time.perf_counter() - start)

    frame_filter.filter_file = timed_filter_file

    scene = busy_scene()
    scene.tavi.enabled = False
    scene.display.render_aa = "OFF"
    render_still()  # shaders are compiled on the first render; not timed
    result = next(i for i in bpy.data.images if i.type == "RENDER_RESULT")
    rows = []
    for choice, name in CHOICES:
        scene.display.render_aa = choice
        seconds = render_still()
        result.save_render(os.path.join(out, name + ".png"), scene=scene)
        rows.append((name, seconds, 0.0))

    scene.display.render_aa = "OFF"
    scene.tavi.enabled = True
    seconds = render_still()
    if len(filtering) != 1 or "Tavi Render" not in bpy.data.images:
        sys.exit("the add-on did not filter the still")
    shutil.copyfile(bpy.data.images["Tavi Render"].filepath, os.path.join(out, "Tavi.png"))
    rows.append(("Tavi", seconds, filtering[0]))

    with open(os.path.join(out, "times.tsv"), "w") as f:
        for name, seconds, filter_seconds in rows:
            f.write(f"{name}\t{seconds:.3f}\t{filter_seconds:.3f}\n")


main()
