"""The "Tavi" panel in Properties > Render: the settings laid out as on the
module's own panel (Target and Enabled, then Strength and Threshold), and
why frames would not be filtered, where they would not."""
import bpy

from . import filter_module, frame_filter


class RENDER_PT_tavi(bpy.types.Panel):
    bl_label = "Tavi"
    bl_space_type = "PROPERTIES"
    bl_region_type = "WINDOW"
    bl_context = "render"

    def draw(self, context):
        layout = self.layout
        settings = context.scene.tavi

        row = layout.row()
        row.prop(settings, "target")
        row.prop(settings, "enabled")
        row = layout.row()
        row.active = settings.enabled
        row.prop(settings, "strength", slider=True)
        row.prop(settings, "threshold", slider=True)

        if settings.enabled:
            for problem in (filter_module.problem(), frame_filter.refusal(context.scene)):
                if problem:
                    box = layout.box()
                    box.label(text="Frames are not filtered:", icon="ERROR")
                    for line in _wrapped(problem, 60):
                        box.label(text=line)


def _wrapped(text, width):
    lines, line = [], ""
    for word in text.split():
        if line and len(line) + 1 + len(word) > width:
            lines.append(line)
            line = word
        else:
            line = f"{line} {word}" if line else word
    return lines + [line] if line else lines


def register():
    bpy.utils.register_class(RENDER_PT_tavi)


def unregister():
    bpy.utils.unregister_class(RENDER_PT_tavi)
