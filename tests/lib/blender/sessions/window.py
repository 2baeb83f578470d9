"""The add-on in Blender's window, as a user meets it (run under Xvfb): F12
renders a still, whose filtered picture the image editor then shows as
"Tavi Render"; Ctrl+F12 renders an animation to JPEG, which the add-on
refuses with error reports. Both renders run as Blender's render jobs, off
the main thread. In OUT: plain.png (the still with Tavi disabled),
f12.png (the file "Tavi Render" shows), results.json.

blender --factory-startup --python-exit-code 1 --python window.py -- OUT
"""
import json
import os
import shutil
import sys
import time
import traceback

sys.dont_write_bytecode = True  # nothing written into the source tree
sys.path[:0] = [os.path.dirname(__file__), os.path.dirname(os.path.dirname(__file__))]
import bpy  # noqa: E402

import aliased_scene  # noqa: E402
import output_kinds  # noqa: E402

out = sys.argv[sys.argv.index("--") + 1]
results = {}
SETTLE = 1.5  # seconds for the add-on's main-thread work after a job ends
DEADLINE = time.monotonic() + 240


def main_window():
    return bpy.context.window_manager.windows[0]


def area_of(window, kind):
    return next(a for a in window.screen.areas if a.type == kind)


def start_render(**options):
    window = main_window()
    with bpy.context.temp_override(window=window, area=area_of(window, "VIEW_3D")):
        bpy.ops.render.render("INVOKE_DEFAULT", **options)


def after_job(then):
    """Calls then() once the render job has ended and the add-on's
    main-thread work has had time to run."""
    ended = []

    def wait():
        if time.monotonic() > DEADLINE:
            finish("the render job did not end")
            return None
        if bpy.app.is_job_running("RENDER"):
            return 0.1
        if not ended:
            ended.append(time.monotonic())
        if time.monotonic() - ended[0] < SETTLE:
            return 0.1
        guarded(then)()
        return None

    bpy.app.timers.register(wait, first_interval=0.5)


def guarded(step):
    """A step that, when it fails, ends the session with the reason rather
    than leave Blender waiting."""
    def run():
        try:
            step()
        except Exception:
            finish(traceback.format_exc())
    return run


def shown_images():
    return sorted({a.spaces.active.image.name for w in bpy.context.window_manager.windows
                   for a in w.screen.areas if a.type == "IMAGE_EDITOR" and a.spaces.active.image})


def info_reports():
    """The reports the Info editor lists, through its copy operator."""
    window = main_window()
    area = area_of(window, "VIEW_3D")
    area.type = "INFO"
    try:
        region = next(r for r in area.regions if r.type == "WINDOW")
        with bpy.context.temp_override(window=window, area=area, region=region):
            bpy.ops.info.select_all(action="SELECT")
            bpy.ops.info.report_copy()
    finally:
        area.type = "VIEW_3D"
    return bpy.context.window_manager.clipboard


def finish(problem=None):
    results["problem"] = problem
    with open(os.path.join(out, "results.json"), "w") as f:
        json.dump(results, f)
    bpy.ops.wm.quit_blender()


def still():
    aliased_scene.enable_addon()
    scene = aliased_scene.build()
    aliased_scene.output(scene, output_kinds.KINDS["png8_rgba"])
    scene.tavi.enabled = False
    scene.render.filepath = os.path.join(out, "plain")
    bpy.ops.render.render(write_still=True)
    scene.tavi.enabled = True
    start_render()
    after_job(check_still)


def check_still():
    results["shown"] = shown_images()
    image = bpy.data.images.get("Tavi Render")
    if image is not None:
        shutil.copyfile(image.filepath, os.path.join(out, "f12.png"))
    scene = bpy.context.scene
    aliased_scene.output(scene, output_kinds.KINDS["jpeg"])
    scene.frame_end = 2
    scene.render.filepath = os.path.join(out, "jpeg", "frame_")
    start_render(animation=True)
    after_job(check_animation)


def check_animation():
    results["reports"] = info_reports()
    finish()


bpy.app.timers.register(guarded(still), first_interval=1.0)
