"""The filter's settings, kept in the scene and saved with the .blend file:
the settings of the module's own panel, with its labels, ranges and
defaults (target RGBA, enabled, strength 100, threshold 224)."""
import bpy

# The module's "Target" list in its order; the identifiers are the Python
# module's names for them, upper-cased.
TARGET_ITEMS = (
    ("RGB", "RGB only", "Blend colour only; alpha passes through unchanged"),
    ("ALPHA", "Alpha only", "Blend alpha only; colour passes through unchanged"),
    ("RGBA", "RGBA", "Blend colour and alpha"),
)


class TaviSettings(bpy.types.PropertyGroup):
    target: bpy.props.EnumProperty(
        name="Target",
        description="The channels the filter blends at stair-stepped edges",
        items=TARGET_ITEMS,
        default="RGBA",
    )
    enabled: bpy.props.BoolProperty(
        name="Enabled",
        description="Anti-alias every rendered frame with Tavi",
        default=True,
    )
    strength: bpy.props.IntProperty(
        name="Strength",
        description="How far blended pixels move toward the ramp, in percent: "
        "0 leaves the frame as rendered, 100 blends fully",
        min=0,
        max=100,
        default=100,
    )
    threshold: bpy.props.IntProperty(
        name="Threshold",
        description="How large a channel difference between neighbouring pixels "
        "counts as an edge: one above 256 - threshold does "
        "(224: above 32; 0 finds no edges, 256 any difference)",
        min=0,
        max=256,
        default=224,
    )

    def filter_keywords(self):
        """The settings as tavi.antialias_file takes them."""
        return {
            "target": self.target.lower(),
            "strength": self.strength,
            "threshold": self.threshold,
        }


def register():
    bpy.utils.register_class(TaviSettings)
    bpy.types.Scene.tavi = bpy.props.PointerProperty(type=TaviSettings, name="Tavi")


def unregister():
    # The values stay in each scene's data and in saved files; registering
    # again shows them.
    del bpy.types.Scene.tavi
    bpy.utils.unregister_class(TaviSettings)
