"""The names as people import them: `from tessel import Rect, Vector2, Vector4, Index` and
each sub-package's re-exports of its module, loaded on first use, so that a program that
uses only vectors never imports the modules that switch the interpreter lock on."""

import ast
import importlib
import pickle

import pytest

import tessel
from conftest import FREE_THREADED, REPO
from rect_support import fresh_interpreter, run_python

SUBPACKAGES = ["collide", "geometry", "rect", "vector2", "vector4"]


def stub_names(module):
    """The public classes and functions that a module's stub declares."""
    path = REPO / "src" / (module.replace(".", "/") + ".pyi")
    tree = ast.parse(path.read_text(encoding="utf-8"))
    return {n.name for n in tree.body if isinstance(n, (ast.ClassDef, ast.FunctionDef))
            and not n.name.startswith("_")}


@pytest.mark.parametrize("name", SUBPACKAGES)
def test_each_subpackage_offers_every_public_name_of_its_module(name):
    package = importlib.import_module(f"tessel.{name}")
    module = importlib.import_module(f"tessel.{name}.{name}")
    # A name added to the module's stub must be re-exported too (and so appear in __all__).
    assert sorted(package.__all__) == sorted(stub_names(module.__name__))
    for export in package.__all__:
        assert getattr(package, export) is getattr(module, export)
    # The module itself stays reachable under its own name.
    assert getattr(package, name) is module
    assert set(package.__all__) <= set(dir(package))
    with pytest.raises(AttributeError, match=rf"^module 'tessel\.{name}' has no attribute 'nope'$"):
        package.nope


def test_the_top_level_names_are_the_modules_own():
    assert tessel.__all__ == ["Index", "Rect", "Vector2", "Vector4", "get_include"]
    for name in tessel.__all__[:-1]:
        assert getattr(tessel, name) is getattr(importlib.import_module(
            getattr(tessel, name).__module__), name)
    for name in SUBPACKAGES:
        assert getattr(tessel, name) is importlib.import_module(f"tessel.{name}")
    assert set(tessel.__all__ + SUBPACKAGES) <= set(dir(tessel))
    with pytest.raises(AttributeError, match=r"^module 'tessel' has no attribute 'nope'$"):
        tessel.nope


def test_a_rect_from_the_short_name_is_the_modules_class_and_pickles_as_before():
    from tessel.rect import Rect
    import tessel.rect.rect

    assert Rect is tessel.rect.rect.Rect is tessel.Rect
    assert (Rect.__module__, Rect.__qualname__) == ("tessel.rect.rect", "Rect")
    assert b"tessel.rect.rect" in pickle.dumps(Rect(1, 2, 3, 4), 0)


# Each step, in one interpreter, and the compiled modules it is the first to load.
STEPS = [
    ("import tessel, tessel.rect, tessel.collide, tessel.geometry", []),
    ("tessel.get_include(); dir(tessel); dir(tessel.rect); tessel.vector2", []),
    ("from tessel import Vector2, Vector4", ["vector2", "vector4"]),
    ("from tessel.vector2 import Vector2; import tessel.vector4.vector4", []),
    ("from tessel.rect import Rect", ["rect"]),
    ("tessel.geometry.union", ["geometry"]),
    ("from tessel import Index", ["collide"]),
]
LOADS = """
import json, sys, sysconfig
suffix, steps, seen = sysconfig.get_config_var("EXT_SUFFIX"), [], set()
for statement in STATEMENTS:
    exec(statement)
    loaded = {n for n, m in list(sys.modules.items())
              if n.startswith("tessel.") and (getattr(m, "__file__", "") or "").endswith(suffix)}
    steps.append([sorted(n.rpartition(".")[2] for n in loaded - seen), sys._is_gil_enabled()])
    seen |= loaded
print(json.dumps(steps))
"""


@fresh_interpreter
def test_names_load_their_module_on_first_use_and_vectors_leave_the_lock_off():
    steps = run_python(LOADS.replace("STATEMENTS", repr([s for s, _ in STEPS])))
    loaded = []
    for (statement, expected), (first_loads, gil) in zip(STEPS, steps, strict=True):
        loaded += expected
        assert first_loads == expected, statement
        # The rect, collide and geometry modules switch the lock on; the vectors do not.
        assert gil == (not FREE_THREADED or bool(set(loaded) - {"vector2", "vector4"}))
