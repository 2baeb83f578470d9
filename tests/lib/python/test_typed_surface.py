"""The package's typed surface and version: inspect.signature works, the
stub (__init__.pyi) states the signature the module has, with its defaults,
the strings and the sample types it takes, mypy reads from it the dtype
each call returns, the package is marked typed (py.typed), and
tavi.__version__ is the command's version."""
import ast
import inspect
import os
import pathlib
import shutil
import subprocess
import sys
import textwrap

import numpy
import pytest

import tavi
from conftest import aliased

PACKAGE = pathlib.Path(tavi.__file__).parent


def stub_tree():
    return ast.parse((PACKAGE / "__init__.pyi").read_text())


def stub_functions(name="antialias"):
    """Every form the stub gives the function (its overloads, or the one)."""
    return [n for n in stub_tree().body if isinstance(n, ast.FunctionDef) and n.name == name]


def stub_function(name):
    (function,) = stub_functions(name)
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
    assert list(parameters) == ["image", "out", "target", "strength", "threshold", "alpha", "enabled"]
    assert parameters["image"].kind is inspect.Parameter.POSITIONAL_OR_KEYWORD
    assert all(p.kind is inspect.Parameter.KEYWORD_ONLY for name, p in parameters.items() if name != "image")


def test_the_stub_states_the_modules_signature():
    runtime = inspect.signature(tavi.antialias).parameters
    forms = stub_functions()
    assert len(forms) == 2, "a numpy array of a taken dtype, and any other array-like"
    for form in forms:
        assert [d.id for d in form.decorator_list] == ["overload"]
        stub = form.args
        assert [a.arg for a in stub.posonlyargs + stub.args] == ["image"]
        assert [a.arg for a in stub.kwonlyargs] == [name for name in runtime if name != "image"]
        stub_defaults = {a.arg: ast.literal_eval(d) for a, d in zip(stub.kwonlyargs, stub.kw_defaults)}
        assert stub_defaults == {name: p.default for name, p in runtime.items() if p.default is not p.empty}


def test_the_stub_names_exactly_the_sample_types_taken():
    (assignment,) = [n for n in stub_tree().body if isinstance(n, ast.Assign) and n.targets[0].id == "_Samples"]
    named = [ast.unparse(a) for a in assignment.value.args[1:]]
    taken = {numpy.dtype(getattr(numpy, name.removeprefix("numpy."))) for name in named}
    image = aliased(12, 12, seed=6)
    for dtype in taken:
        assert tavi.antialias(image.astype(dtype)).dtype == dtype
    for dtype in map(numpy.dtype, [numpy.int64, numpy.uint64, numpy.bool_, numpy.complex128, numpy.longdouble]):
        assert dtype not in taken
        with pytest.raises(TypeError):
            tavi.antialias(image.astype(dtype))
    assert len(taken) == 9


@pytest.mark.skipif(shutil.which("mypy") is None, reason="no mypy (scripts/setup.sh installs it)")
def test_mypy_reads_the_dtype_each_call_returns(tmp_path):
    (tmp_path / "uses.py").write_text(textwrap.dedent("""
        import numpy
        import tavi

        frame = numpy.zeros((4, 4, 4), numpy.uint16)
        reveal_type(tavi.antialias(frame, strength=60))
        reveal_type(tavi.antialias(frame.T, out=frame))
        reveal_type(tavi.antialias(numpy.zeros((4, 4, 4))))
        reveal_type(tavi.antialias([[[0, 0, 0]]]))
        reveal_type(tavi.antialias([[[0.5, 0.5, 0.5]]], out=numpy.zeros((1, 1, 3), numpy.float32)))
        tavi.antialias(frame, strength="high")
    """))
    # The module's tests may run with the sanitizers preloaded: not mypy.
    environment = {k: v for k, v in os.environ.items() if k not in ("LD_PRELOAD", "ASAN_OPTIONS")}
    environment["MYPYPATH"] = str(PACKAGE.parent)
    run = subprocess.run(["mypy", "--python-executable", sys.executable, "--no-incremental", "--no-error-summary",
                          "--hide-error-context", "uses.py"], cwd=tmp_path, env=environment, capture_output=True,
                         text=True, timeout=300)
    revealed = [line.split('Revealed type is "')[1].rstrip('"') for line in run.stdout.splitlines()
                if "Revealed type" in line]
    assert revealed == [
        "numpy.ndarray[Any, numpy.dtype[numpy.unsignedinteger[numpy._typing._16Bit]]]",
        "numpy.ndarray[Any, numpy.dtype[numpy.unsignedinteger[numpy._typing._16Bit]]]",
        "numpy.ndarray[Any, numpy.dtype[numpy.floating[numpy._typing._64Bit]]]",
        "numpy.ndarray[Any, numpy.dtype[Any]]",
        "numpy.ndarray[Any, numpy.dtype[Any]]",
    ], run.stdout + run.stderr
    errors = [line for line in run.stdout.splitlines() if ": error:" in line]
    assert len(errors) == 1 and errors[0].startswith("uses.py:11: error: No overload variant of \"antialias\""), \
        run.stdout
    assert '"str"' in errors[0]


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
    annotations = [a.annotation for form in stub_functions() for a in form.args.kwonlyargs if a.arg == setting]
    assert len({ast.unparse(a) for a in annotations}) == 1, "every form takes the same strings"
    annotation = annotations[0]
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
