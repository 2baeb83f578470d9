"""The tavi Python package this add-on carries beside its own files, loaded
on first use. Where it cannot be loaded (a Python or system library other
than the one it was built for, a damaged file) the add-on still registers,
and says why wherever the filter would have run. The outcome is kept until
the add-on is enabled again."""
import importlib
import os


class Unavailable(Exception):
    pass


_module = None
_failure = None


def load():
    """The tavi module; raises Unavailable with the reason."""
    global _module, _failure
    if _module is None and _failure is None:
        try:
            _module = importlib.import_module(".tavi", __package__)
        except Exception as e:  # ImportError, or an OSError from the loader
            folder = os.path.dirname(os.path.abspath(__file__))
            _failure = f"the Tavi module in {folder} cannot be loaded ({e})"
    if _failure is not None:
        raise Unavailable(_failure)
    return _module


def problem():
    """Why the module cannot be loaded, or None."""
    try:
        load()
    except Unavailable as e:
        return str(e)
    return None
