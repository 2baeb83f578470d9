# The types of the tavi package, for type checkers and editors. The code is
# in the compiled module tavi._tavi; the tests hold this signature to the
# one that module reports.
import os
from typing import Literal, TypeVar

import numpy
from numpy.typing import NDArray

__version__: str

# The sample types the filter takes; the result has the image's own.
_Samples = TypeVar("_Samples", numpy.uint8, numpy.uint16, numpy.float16, numpy.float32)

def antialias(
    image: NDArray[_Samples],
    *,
    target: Literal["rgb", "alpha", "rgba"] = "rgba",
    strength: int = 100,
    threshold: int = 224,
    alpha: Literal["straight", "premultiplied"] = "straight",
    enabled: bool = True,
) -> NDArray[_Samples]:
    """Anti-aliases an image (height x width x 3 or 4, C-contiguous) and
    returns the result as a new array of the same shape and dtype."""
    ...

def antialias_file(
    path: str | os.PathLike[str],
    output: str | os.PathLike[str] | None = None,
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
