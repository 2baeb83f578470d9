"""Tavi for Blender: every rendered frame anti-aliased by the Tavi filter.

The filter runs after each frame, as it runs in the renderer it was made
for: an animation's frame files are replaced by their filtered versions
before the next frame starts, and a still is shown filtered as the image
"Tavi Render". Settings live in the scene (Properties > Render > Tavi) and
are saved with the .blend file.
"""

bl_info = {
    "name": "Tavi",
    "author": "Tavi",
    "version": (0, 1, 0),  # the build puts the project's version here
    "blender": (3, 4, 0),
    "location": "Properties > Render > Tavi",
    "description": "Anti-aliases every rendered frame with the Tavi post-render filter",
    "category": "Render",
}

from . import panel, render_hooks, reports, settings  # noqa: E402

_parts = (settings, panel, reports, render_hooks)


def register():
    for part in _parts:
        part.register()


def unregister():
    for part in reversed(_parts):
        part.unregister()
