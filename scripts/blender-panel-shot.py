"""Run by scripts/blender-panel-shot.sh inside Blender's window: renders a
small scene with the Tavi add-on, shows the filtered still ("Tavi Render")
in the main area and Properties > Render scrolled to the Tavi panel, and
saves a screenshot of the window to the file named after --."""
import math
import sys
import traceback

import addon_utils
import bpy

target = sys.argv[sys.argv.index("--") + 1]


def scene_with_edges():
    scene = bpy.context.scene
    for obj in list(scene.objects):
        if obj.type == "MESH":
            bpy.data.objects.remove(obj)
    bpy.ops.mesh.primitive_plane_add(size=12, location=(0, 0, -1))
    bpy.ops.mesh.primitive_cube_add(size=1.5, location=(-1.3, 0.4, 0), rotation=(0.3, 0.2, 0.7))
    bpy.ops.mesh.primitive_uv_sphere_add(radius=0.9, location=(1.3, -0.3, 0.1))
    bpy.ops.mesh.primitive_torus_add(location=(0.1, -1.6, 0.2), rotation=(1.1, 0.3, 0))
    bpy.ops.mesh.primitive_cylinder_add(radius=0.06, depth=4, location=(0.2, 1.0, 0.4), rotation=(0.2, 1.2, 0.4))
    scene.camera.location = (6.0, -5.5, 4.0)
    scene.camera.rotation_euler = (math.radians(62), 0, math.radians(47))
    scene.render.engine = "BLENDER_WORKBENCH"
    scene.display.render_aa = "OFF"
    scene.display.shading.color_type = "RANDOM"
    scene.render.resolution_x, scene.render.resolution_y = 640, 360
    scene.render.resolution_percentage = 100
    scene.tavi.strength = 80
    return scene


def shoot():
    """The main area split: the filtered still on the left, Properties >
    Render on the right, tall enough to show the Tavi panel at its end."""
    window = bpy.context.window_manager.windows[0]
    main = max(window.screen.areas, key=lambda a: a.width * a.height)
    with bpy.context.temp_override(window=window, area=main):
        bpy.ops.screen.area_split(direction="VERTICAL", factor=0.62)
    left, right = sorted((a for a in window.screen.areas if a.type == main.type), key=lambda a: a.x)
    left.type = "IMAGE_EDITOR"
    left.spaces.active.image = bpy.data.images["Tavi Render"]
    right.type = "PROPERTIES"
    bpy.app.timers.register(step(lambda: frame(window, left, right)), first_interval=0.5)


def frame(window, picture, properties):
    properties.spaces.active.context = "RENDER"  # known once the area has been drawn
    region = next(r for r in picture.regions if r.type == "WINDOW")
    with bpy.context.temp_override(window=window, area=picture, region=region):
        bpy.ops.image.view_all(fit_view=True)
    bpy.app.timers.register(step(lambda: save(window)), first_interval=1.0)


def save(window):
    with bpy.context.temp_override(window=window):
        bpy.ops.screen.screenshot(filepath=target)
    bpy.ops.wm.quit_blender()


def raise_error(error):
    raise error


def start():
    addon_utils.enable("tavi_blender", default_set=True, handle_error=raise_error)
    scene_with_edges()
    bpy.ops.render.render()  # on the main thread: the add-on shows "Tavi Render" at once
    if "Tavi Render" not in bpy.data.images:
        raise RuntimeError("the add-on showed no filtered still")
    bpy.app.timers.register(step(shoot), first_interval=0.5)


def step(work):
    """A timer's work; a failure ends Blender with no picture written."""
    def run():
        try:
            work()
        except Exception:
            traceback.print_exc()
            bpy.ops.wm.quit_blender()
    return run


bpy.app.timers.register(step(start), first_interval=1.0)
