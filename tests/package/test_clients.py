"""Compiled clients of the C API: a C module (also compiled as C++) and a Cython module,
built in a temporary folder against the headers that tessel.get_include() finds in the
importable package, each calling every method-table entry. Their answers and exceptions
must be those of the Python methods."""

import ctypes
import gc
import importlib.machinery
import importlib.util
import itertools
import os
import re
import shlex
import shutil
import subprocess
import sys
import sysconfig
from pathlib import Path

import pytest

import tessel
from conftest import CAPSULE_API, REPO
from rect_support import bare
from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

# Each client is built against the interpreter's own headers: the debug build checks every
# reference it takes, the free-threaded build has another object layout.
pytestmark = pytest.mark.passes("debug", "free-threaded")

SOURCES = Path(__file__).parent / "clients"
STRICT = ["-Wall", "-Wextra", "-pedantic", "-Werror"]
CLIENTS = ["c", "c++", "cython"]


def build(language, out):
    """Compiles and links one client with the interpreter's own compiler and flags;
    returns the imported module."""
    cfg = sysconfig.get_config_vars()
    name = "tessel_client_" + {"c": "c", "c++": "cpp", "cython": "cython"}[language]
    source, flags, link = SOURCES / "client.c", [f"-DTESSEL_CLIENT={name}"], cfg["LDSHARED"]
    if language == "c":
        flags += ["-std=c11", *STRICT]
    elif language == "c++":
        flags += ["-x", "c++", "-std=c++20", *STRICT]
        link = cfg["LDCXXSHARED"]
    else:
        cython = shutil.which("cython3") or pytest.skip("needs cython3")
        source = out / f"{name}.c"
        # cython3 runs on Debian's own interpreter, which has the lock and refuses PYTHON_GIL=0.
        env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "PYTHON_GIL")}
        subprocess.run([cython, "-3", "--module-name", name, str(SOURCES / "cyclient.pyx"),
                        "-o", str(source)], check=True, env=env, capture_output=True)
    target = out / (name + cfg["EXT_SUFFIX"])
    command = [*shlex.split(link), *shlex.split(cfg["CFLAGS"]), *shlex.split(cfg["CCSHARED"]),
               "-I", sysconfig.get_path("include"), "-I", tessel.get_include(), *flags,
               str(source), "-o", str(target)]
    result = subprocess.run(command, capture_output=True, text=True)
    assert result.returncode == 0, f"{shlex.join(command)}\n{result.stderr}"
    loader = importlib.machinery.ExtensionFileLoader(name, str(target))
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(name, loader))
    loader.exec_module(module)
    return module


@pytest.fixture(scope="module", params=CLIENTS)
def client(request, tmp_path_factory):
    return build(request.param, tmp_path_factory.mktemp(request.param))


def test_headers_come_from_the_package_not_the_source_tree():
    include = Path(tessel.get_include())
    assert include == Path(tessel.__file__).parent / "include"
    assert not include.is_relative_to(REPO / "src")
    assert sorted(p.name for p in (include / "tessel").glob("*.h")) == [
        "rect.h", "vector2.h", "vector4.h"]


def outcome(call, *args):
    try:
        value = call(*args)
    except Exception as error:
        return "raises", type(error), str(error)
    return "returns", type(value), value


GRID = range(-1, 4)
POINTS = list(itertools.product(GRID, repeat=2))
RECTS = [(x, y, w, h) for x, y in POINTS for w, h in itertools.product((-1, 0, 1, 3), repeat=2)]
NOT_A_POINT = [None, 7, "ab", (1, 2, 3), ("a", 1), Vector4(1, 1, 1, 1)]
NOT_A_RECT = [None, 7, (1, 2, 3), (0, 0, 2, "a"), Vector2(1, 1), bare()]

# Per entry: the arguments its Python method accepts (typed ones only of their own type, or
# None, since entries do not check types), true, false and failing ones among them.
ARGUMENTS = {
    "get_width": [()], "get_height": [()], "get_vector4": [()], "get_tuple": [()],
    "collide_point": [(v,) for p in POINTS for v in (Vector2(*p), p, list(p))]
    + [(v,) for v in NOT_A_POINT],
    "collide_point_vector2": [(Vector2(*p),) for p in POINTS] + [(None,)],
    "collide_point_tuple": [(p,) for p in POINTS] + [(None,), (("a", 1),), ((1, 2, 3),)],
    "collide_point_list": [(list(p),) for p in POINTS] + [(None,), (["a", 1],)],
    "collide_rect": [(v,) for r in RECTS for v in (Rect(*r), Vector4(*r), r, list(r))]
    + [(v,) for v in NOT_A_RECT],
    "collide_rect_vector4": [(Vector4(*r),) for r in RECTS] + [(None,)],
    "collide_rect_rect": [(Rect(*r),) for r in RECTS] + [(None,), (bare(),)],
    "collide_rect_tuple": [(r,) for r in RECTS] + [(None,), ((0, 0, 2, "a"),)],
    "collide_rect_list": [(list(r),) for r in RECTS] + [(None,)],
}
RECEIVERS = [lambda: Rect(0, 0, 2, 2), lambda: Rect(1, 2, -1, 0), bare]


@pytest.mark.parametrize("entry", ARGUMENTS)
def test_every_entry_answers_as_its_method(client, entry):
    seen = set()
    for receiver, args, flag in itertools.product(RECEIVERS, ARGUMENTS[entry], (0, 1)):
        rect = receiver()
        expected = outcome(getattr(rect, entry), *args)
        assert outcome(getattr(client, entry), rect, *args, flag) == expected, (rect, args)
        seen.add(expected[2] if expected[1] is bool else expected[0])
    assert seen >= ({True, False, "raises"} if entry.startswith("collide") else {"raises"})


def test_factories_and_record_share_the_objects(client):
    p, s = Vector2(1, 2), Vector2(3, 4)
    r = client.new(p, s)
    assert type(r) is Rect and r.position is p and r.size is s
    p.x = 5
    assert r.x == 5.0
    empty = client.new(None, None)
    assert (empty.position, empty.size, repr(empty)) == (None, None, repr(bare()))
    for rect in (r, empty, Rect(1, 2, 3, 4)):
        position, size, own_table = client.record(rect)
        assert position is rect.position and size is rect.size and own_table
    v2, v4 = client.vector2_new(0.1, 1e39), client.vector4_new(0.1, 2, 3, -4)
    assert (type(v2), v2) == (Vector2, Vector2(0.1, 1e39))
    assert (type(v4), v4) == (Vector4, Vector4(0.1, 2, 3, -4))


def readme_c_snippet():
    """The C code of the README's section on compiled clients, exactly as it stands."""
    text = (REPO / "README.md").read_text(encoding="utf-8")
    section = text[text.index("## From C and Cython"):]
    return re.search(r"```c\n(.*?)```", section, re.DOTALL).group(1)


@pytest.mark.thread_unsafe(reason="compiles a library and counts references process-wide")
def test_readme_c_snippet_compiles_answers_and_releases_every_reference(tmp_path):
    # The README's command: a shared library from client.c, with both include folders.
    source, target = tmp_path / "client.c", tmp_path / "client.so"
    source.write_text(readme_c_snippet(), encoding="utf-8")
    command = [*shlex.split(sysconfig.get_config_var("CC")), "-shared", "-fPIC",
               "-I", sysconfig.get_path("include"), "-I", tessel.get_include(), *STRICT,
               str(source), "-o", str(target)]
    result = subprocess.run(command, capture_output=True, text=True)
    assert result.returncode == 0, f"{shlex.join(command)}\n{result.stderr}"
    library = ctypes.PyDLL(str(target))  # holds the lock; a set exception is raised
    library.import_rect_api.restype = ctypes.c_void_p
    holds = library.rect_holds_point
    holds.argtypes = [ctypes.c_void_p, ctypes.py_object, ctypes.py_object, ctypes.py_object]
    table, position, size = library.import_rect_api(), Vector2(0, 0), Vector2(2, 2)
    assert table == CAPSULE_API.PyCapsule_GetPointer(Rect.__dict__["__pyx_vtable__"], None)

    def every_point():
        for point in [*POINTS, *NOT_A_POINT]:
            expected = outcome(Rect(position, size).collide_point, point)
            assert outcome(lambda p: bool(holds(table, position, size, p)), point) == expected

    every_point()  # warms the caches that the count below must not see filling
    if hasattr(sys, "gettotalrefcount"):
        gc.collect()
        before = sys.gettotalrefcount()
        for _ in range(20):
            every_point()
        gc.collect()
        # One reference kept per call would show as 20 times the number of points.
        assert sys.gettotalrefcount() - before < 20
