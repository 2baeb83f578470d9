# The types of the tavi package, for type checkers and editors. The code is
# in the compiled module tavi._tavi; the tests hold this signature to the
# one that module reports.
import os
from typing import Any, Literal, TypeVar, overload

import numpy
from numpy.typing import ArrayLike, NDArray

__version__: str

# The sample types the filter takes as they are; the result has the
# image's own. Integers stand for fractions of their largest value, floats
# for themselves (1.0 full scale).
_Samples = TypeVar(
    "_Samples",
    numpy.uint8,
    numpy.uint16,
    numpy.uint32,
    numpy.int8,
    numpy.int16,
    numpy.int32,
    numpy.float16,
    numpy.float32,
    numpy.float64,
)

# A numpy array of one of those types, any strides or order: the result,
# new or `out`, has its dtype.
@overload
def antialias(
    image: NDArray[_Samples],
    *,
    out: NDArray[_Samples] | None = None,
    target: Literal["rgb", "alpha", "rgba"] = "rgba",
    strength: int = 100,
    threshold: int = 224,
    alpha: Literal["straight", "premultiplied"] = "straight",
    enabled: bool = True,
) -> NDArray[_Samples]:
    """Anti-aliases an image (height x width x 3 or 4) and returns the
    result: a new array of the image's dtype, or `out` (which may be the
    image itself, to filter it in place)."""
    ...

# Anything else numpy.asarray makes an array of: nested lists (Python ints
# become uint8, floats float64), buffers, __array__ objects. The dtype is
# known only when the call runs; other byte orders come back native.
@overload
def antialias(
    image: ArrayLike,
    *,
    out: NDArray[Any] | None = None,
    target: Literal["rgb", "alpha", "rgba"] = "rgba",
    strength: int = 100,
    threshold: int = 224,
    alpha: Literal["straight", "premultiplied"] = "straight",
    enabled: bool = True,
) -> NDArray[Any]:
    """Anti-aliases an image given as nested lists or another array-like;
    see the first form."""
    ...

# A file's name as Python's os functions take it.
_Path = str | bytes | os.PathLike[str] | os.PathLike[bytes]

def antialias_file(
    path: _Path,
    output: _Path | None = None,
    *,
    target: Literal["rgb", "alpha", "rgba"] = "rgba",
    strength: int = 100,
    threshold: int = 224,
    alpha: Literal["auto", "straight", "premultiplied"] = "auto",
    layer: str = "",
    enabled: bool = True,
) -> list[str]:
    """Anti-aliases an image file as `tavi process` does one frame, into
    `output` (default: in place); returns the notices it prints."""
    ...
