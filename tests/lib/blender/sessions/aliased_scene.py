"""The tests' scene, built in the running Blender: a few objects at odd
angles over a floor, the nearest turning from frame to frame, seen by a
camera, rendered small with Workbench and its anti-aliasing off, so every
edge is a staircase. Imported by the session scripts."""
import math

import bpy

WIDTH, HEIGHT = 96, 64


def build(film_transparent=True):
    scene = bpy.context.scene
    for obj in list(scene.objects):
        bpy.data.objects.remove(obj)
    bpy.ops.mesh.primitive_plane_add(size=8, location=(0, 0, -1))
    bpy.ops.mesh.primitive_cube_add(size=1.4, location=(-1.2, 0.3, 0), rotation=(0.3, 0.2, 0.7))
    spinner = bpy.context.object
    bpy.ops.mesh.primitive_uv_sphere_add(radius=0.8, location=(1.1, -0.2, 0.1))
    bpy.ops.mesh.primitive_cylinder_add(radius=0.15, depth=3, location=(0.2, 1.0, 0.2), rotation=(0.2, 1.2, 0.4))
    bpy.ops.mesh.primitive_torus_add(location=(0.1, -1.4, 0.4), rotation=(1.1, 0.3, 0), major_radius=0.6, minor_radius=0.12)
    for frame, angle in ((1, 0.7), (2, 0.9), (3, 1.15)):
        spinner.rotation_euler.z = angle
        spinner.keyframe_insert("rotation_euler", index=2, frame=frame)

    bpy.ops.object.camera_add(location=(5.5, -5.0, 3.6))
    camera = bpy.context.object
    camera.rotation_euler = (math.radians(63), 0, math.radians(47))
    scene.camera = camera
    bpy.ops.object.light_add(type="SUN", location=(2, -2, 5))

    render = scene.render
    render.engine = "BLENDER_WORKBENCH"
    scene.display.render_aa = "OFF"
    scene.display.shading.light = "STUDIO"
    scene.display.shading.color_type = "RANDOM"
    render.resolution_x, render.resolution_y, render.resolution_percentage = WIDTH, HEIGHT, 100
    render.film_transparent = film_transparent
    render.dither_intensity = 0  # dither noise would put edges everywhere
    scene.frame_start, scene.frame_end = 1, 3
    scene.frame_set(1)
    return scene


def use_cycles(scene):
    """Cycles, for passes Workbench has not: one sample through a box
    filter, as aliased as Workbench."""
    scene.render.engine = "CYCLES"
    scene.cycles.device = "CPU"
    scene.cycles.samples = 1
    scene.cycles.use_denoising = False
    scene.cycles.pixel_filter_type = "BOX"
    scene.cycles.filter_width = 0.01
    scene.cycles.seed = 1


def output(scene, kind):
    """Output as an output_kinds.Kind says."""
    settings = scene.render.image_settings
    settings.file_format = kind.file_format
    settings.color_mode = kind.color_mode
    if kind.color_depth:
        settings.color_depth = kind.color_depth


def enable_addon():
    """Enables the add-on installed in the user folder the test chose
    (BLENDER_USER_SCRIPTS)."""
    import addon_utils

    addon_utils.enable("tavi_blender", default_set=True, handle_error=_raise)
    if not hasattr(bpy.types.Scene, "tavi"):
        raise RuntimeError("the add-on tavi_blender did not register")


def _raise(error):
    raise error
