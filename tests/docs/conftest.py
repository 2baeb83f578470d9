"""The documentation's examples and pictures, as tests/docs holds them."""
import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).parent))
