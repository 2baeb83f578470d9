"""Tavi, the post-render anti-aliasing filter, for numpy images.

tavi.antialias(image, ...) returns an anti-aliased copy of an image (or
writes it into out=, which may be the image itself), and
tavi.antialias_file(path, ...) anti-aliases an image file as `tavi process`
does; see help() of each. The work is done by the compiled module tavi._tavi;
the types are in this package's stub, __init__.pyi.
"""
from ._tavi import __version__, antialias, antialias_file

__all__ = ["antialias", "antialias_file"]
