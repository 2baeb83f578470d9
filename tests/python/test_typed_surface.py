"""The package's typed surface and version: inspect.signature works, the
stub (__init__.pyi) states the signature the module has, with its defaults
and the strings it takes, the package is marked typed (py.typed), and
tavi.__version__ is the command's version."""
import ast
import inspect
import pathlib
import subprocess

import numpy
import pytest

import tavi
from conftest import aliased

PACKAGE = pathlib.Path(tavi.__file__).parent


def stub_function(name="antialias"):
    tree = ast.parse((PACKAGE / "__init__.pyi").read_text())
    (function,) = [n for n in tree.body if isinstance(n, ast.FunctionDef) and n.name == name]
    return function


def literal_strings(annotation):
    """The strings of a Literal["a", "b"] annotation."""
    assert isinstance(annotation, ast.Subscript) and ast.unparse(annotation.value) == "Literal"
    return {element.value for element in annotation.slice.elts}


def test_the_package_is_marked_typed_and_exports_its_function():
    assert (PACKAGE / "py.typed").is_file()
    assert tavi.__all__ == ["antialias", "antialias_file"]


def test_inspect_reads_the_signature():
    parameters = inspect.signature(tavi.antialias).parameters
    assert list(parameters) == ["image", "target", "strength", "threshold", "alpha", "enabled"]
    assert parameters["image"].kind is inspect.Parameter.POSITIONAL_OR_KEYWORD
    assert all(p.kind is inspect.Parameter.KEYWORD_ONLY for name, p in parameters.items() if name != "image")


def test_the_stub_states_the_modules_signature():
    runtime = inspect.signature(tavi.antialias).parameters
    stub = stub_function().args
    assert [a.arg for a in stub.posonlyargs + stub.args] == ["image"]
    assert [a.arg for a in stub.kwonlyargs] == [name for name in runtime if name != "image"]
    stub_defaults = {a.arg: ast.literal_eval(d) for a, d in zip(stub.kwonlyargs, stub.kw_defaults)}
    assert stub_defaults == {name: p.default for name, p in runtime.items() if p.default is not p.empty}


def test_the_stub_states_the_file_functions_signature():
    runtime = inspect.signature(tavi.antialias_file).parameters
    stub = stub_function("antialias_file").args
    assert [a.arg for a in stub.args] == ["path", "output"] == list(runtime)[:2]
    assert [a.arg for a in stub.kwonlyargs] == list(runtime)[2:]
    stub_defaults = {a.arg: ast.literal_eval(d) for a, d in zip(stub.kwonlyargs, stub.kw_defaults)}
    stub_defaults["output"] = ast.literal_eval(stub.defaults[0])
    assert stub_defaults == {name: p.default for name, p in runtime.items() if p.default is not p.empty}


def test_the_defaults_shown_are_the_ones_used():
    image = aliased(30, 40, seed=4)
    shown = {name: p.default for name, p in inspect.signature(tavi.antialias).parameters.items()
             if p.default is not p.empty}
    assert numpy.array_equal(tavi.antialias(image), tavi.antialias(image, **shown))
    with pytest.raises(TypeError):
        tavi.antialias(image, "rgb")  # the settings are keywords only


@pytest.mark.parametrize("setting", ["target", "alpha"])
def test_the_stub_names_exactly_the_strings_taken(setting):
    (annotation,) = [a.annotation for a in stub_function().args.kwonlyargs if a.arg == setting]
    image = aliased(12, 12, seed=5)
    for value in literal_strings(annotation):
        tavi.antialias(image, **{setting: value})
    for value in ["", "RGB", "premultiply", "straight alpha"]:
        if value not in literal_strings(annotation):
            with pytest.raises(ValueError):
                tavi.antialias(image, **{setting: value})


def test_the_version_is_the_commands(tavi_exe):
    first_line = subprocess.run([str(tavi_exe), "--version"], check=True, capture_output=True,
                                text=True).stdout.splitlines()[0]
    assert first_line == f"tavi {tavi.__version__}"
