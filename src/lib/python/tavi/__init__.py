"""Tavi, the post-render anti-aliasing filter, for numpy images.

tavi.antialias(image, ...) returns an anti-aliased copy of an image; see
help(tavi.antialias). The work is done by the compiled module tavi._tavi;
the types are in this package's stub, __init__.pyi.
"""
from tavi._tavi import __version__, antialias

__all__ = ["antialias"]
