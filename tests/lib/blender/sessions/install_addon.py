"""Installs the add-on zip named after -- into the user scripts folder
(BLENDER_USER_SCRIPTS), as Preferences > Add-ons > Install does."""
import sys

import bpy

zip_path = sys.argv[sys.argv.index("--") + 1]
result = bpy.ops.preferences.addon_install(filepath=zip_path)
if result != {"FINISHED"}:
    raise SystemExit(f"installing {zip_path} gave {result}")
