"""Work for Blender's main thread. Render handlers run on the render job's
thread when Blender has a window (F12, Ctrl+F12), where the add-on must not
touch Blender's data or windows; such work waits in a queue that a timer
empties on the main thread. Without a window (blender -b) the handlers run
on the main thread, and the work is done at once."""
import queue
import sys
import threading

import bpy

_work = queue.SimpleQueue()
_INTERVAL = 0.2  # seconds between looks at the queue


def run(task):
    """Runs task() on the main thread: now when called there, else soon."""
    if threading.current_thread() is threading.main_thread():
        task()
    else:
        _work.put(task)


def _drain():
    while True:
        try:
            task = _work.get_nowait()
        except queue.Empty:
            return _INTERVAL
        try:
            task()
        except Exception as e:  # one failed task must not stop the others
            print(f"Tavi: {e}", file=sys.stderr, flush=True)


def register():
    if not bpy.app.background:
        bpy.app.timers.register(_drain, first_interval=_INTERVAL, persistent=True)


def unregister():
    if bpy.app.timers.is_registered(_drain):
        bpy.app.timers.unregister(_drain)
