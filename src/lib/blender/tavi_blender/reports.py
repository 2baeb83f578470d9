"""What the add-on tells the user: every line on the console, and errors
also as Blender error reports (status bar, Info editor) where Blender has
a window."""
import sys

import bpy

from . import exit_status, main_thread


def info(message):
    print("Tavi: " + message, flush=True)


def error(message):
    line = "Tavi: " + message
    print(line, file=sys.stderr, flush=True)
    if not bpy.app.background:
        main_thread.run(lambda: _show(line))


def not_filtered(frame, why):
    """A frame left as Blender wrote it: reported, and counted for the exit
    status in background mode."""
    exit_status.frame_not_filtered(frame)
    error(f"frame {frame} not filtered: {why}")


def _show(line):
    windows = bpy.context.window_manager.windows
    if not windows:
        return
    with bpy.context.temp_override(window=windows[0]):
        bpy.ops.tavi.show_report("INVOKE_DEFAULT", message=line)


class TAVI_OT_show_report(bpy.types.Operator):
    """Shows a message of the Tavi add-on as an error report"""

    bl_idname = "tavi.show_report"
    bl_label = "Tavi Report"
    bl_options = {"INTERNAL"}

    message: bpy.props.StringProperty()

    # Reports made while the operator runs modal go to the window manager,
    # which shows them; those of an operator called from Python would come
    # back to the caller as an exception instead.
    def invoke(self, context, event):
        wm = context.window_manager
        self._timer = wm.event_timer_add(0.01, window=context.window)
        wm.modal_handler_add(self)
        return {"RUNNING_MODAL"}

    def modal(self, context, event):
        context.window_manager.event_timer_remove(self._timer)
        self.report({"ERROR"}, self.message)
        return {"FINISHED"}


def register():
    bpy.utils.register_class(TAVI_OT_show_report)
    main_thread.register()
    exit_status.register()


def unregister():
    exit_status.unregister()
    main_thread.unregister()
    bpy.utils.unregister_class(TAVI_OT_show_report)
