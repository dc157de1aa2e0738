"""Rect before its start-up has completed: during the import (code that a sibling's import
runs) and after a failed one. Every operation that would reach the vector types raises
the not-ready ImportError instead of crashing, and a later import completes the module.
Each state of the start-up runs every operation in a fresh interpreter: a crash fails the
tests of that state."""

import functools

import pytest

from rect_support import ENTRIES, SOURCE, STRINGSOURCE, fresh_interpreter, run_python

NOT_READY = "module 'tessel.rect.rect' is not ready: its import did not complete"

# STATE: "after Vector2" makes the start-up fail on the import of the Vector2 module
# (nothing recorded), "after Vector4" on that of Vector4 (Vector2 recorded); "during X"
# runs the operations inside the lookup of class X in its module, then hands the real
# class over so that this very import completes. Either way the operations run once more
# after a completed import. Each operation gets a bare rect of its own.
UNREADY = """
import copy, ctypes, json, pickle, sys, traceback, types
import tessel.vector2.vector2 as real_v2, tessel.vector4.vector4 as real_v4
V2, V4 = real_v2.Vector2, real_v4.Vector4
MODULES = {"Vector2": real_v2, "Vector4": real_v4}
when, name = STATE.split()
def rect_class():
    return next(c for c in object.__subclasses__() if c.__module__ == "tessel.rect.rect")
def entry(name):
    get = ctypes.pythonapi.PyCapsule_GetPointer
    get.restype, get.argtypes = ctypes.c_void_p, [ctypes.py_object, ctypes.c_char_p]
    table = get(rect_class().__dict__["__pyx_vtable__"], None)
    pointer = (ctypes.c_void_p * len(ENTRIES)).from_address(table)[ENTRIES.index(name)]
    obj = ctypes.py_object
    if name.startswith("collide"):
        return ctypes.PYFUNCTYPE(ctypes.c_int, obj, obj, ctypes.c_int)(pointer)
    return ctypes.PYFUNCTYPE(obj, obj, obj)(pointer)
def run_one(op):
    Rect = rect_class()
    bare = Rect.__new__(Rect)
    try:
        exec(op, dict(Rect=Rect, bare=bare, V2=V2, V4=V4, entry=entry, copy=copy,
                      pickle=pickle))
    except Exception as e:
        return [type(e).__name__, str(e), getattr(e, "name", None),
                [f.name for f in traceback.extract_tb(e.__traceback__)
                 if f.filename in FILES]]
    return None
def run():
    return {op: run_one(op) for op in OPS}
result = {}
if when == "after":
    sys.modules[MODULES[name].__name__] = None
    try:
        import tessel.rect.rect
    except ImportError:
        result["before"] = run()
else:
    class Sibling(types.ModuleType):
        def __getattr__(self, attr):
            if attr != name:
                raise AttributeError(attr)
            result["before"] = run()
            return MODULES[name].__dict__[name]
    sys.modules[MODULES[name].__name__] = Sibling(MODULES[name].__name__)
    import tessel.rect.rect
sys.modules.update({m.__name__: m for m in MODULES.values()})
import tessel.rect.rect as m
result["same class"] = m.Rect is rect_class()
result["after"] = run()
print(json.dumps(result))
"""
STATES = ["after Vector2", "after Vector4", "during Vector2", "during Vector4"]

# (operation, before: the frame of the not-ready error or the name of another error,
#  after: the error once the import has completed, or None)
OPERATIONS = [
    ("Rect()", "Rect.__init__", None),
    ("Rect(1, 2, 3, 4)", "Rect.__init__", None),
    ("Rect(V2(1, 2), (3, 4))", "Rect.__init__", None),
    ("Rect(V4(1, 2, 3, 4))", "Rect.__init__", None),
    ("Rect(bare)", "Rect.__init__", None),
    ("bare.__init__(V2(3, 4))", "Rect.__init__", None),
    ("bare.position = V2()", "Rect.position.__set__", None),
    ("bare.size = 5", "Rect.size.__set__", "TypeError"),
    ("bare.center = (1, 2)", "Rect.center.__set__", "AttributeError"),
    ("bare.center = V2(1, 2)", "Rect.center.__set__", "AttributeError"),
    ("bare.__setstate__((V2(), V2()))", "Rect.__setstate__", None),
    ("entry('new')(V2(), V2())", "Rect.new", None),
    ("entry('collide_point')(bare, V4(), 1)", "Rect.collide_point", "ValueError"),
    ("entry('collide_rect')(bare, V4(), 1)", "Rect.collide_rect", "AttributeError"),
    # Nothing to check: no vector is taken, or the None fields fail first.
    ("bare.position = None", None, None),
    ("bare.center", "AttributeError", "AttributeError"),
    ("entry('get_vector4')(bare, 1)", "AttributeError", "AttributeError"),
    ("copy.copy(bare)", "NameError", None),
]


def outcome(result):
    """What the table says of a run: a frame for the not-ready error, else the error's name."""
    if result is None:
        return None
    error, message, name, frames = result
    if error == "ImportError" and message == NOT_READY:
        assert name == "tessel.rect.rect"
        return frames[0].removeprefix("tessel.rect.rect.")
    return error


@functools.cache
def outcomes(state):
    """Every operation's outcome before and after the start-up of `state` completes."""
    ops = [op for op, _, _ in OPERATIONS]
    return run_python(f"STATE, OPS, FILES, ENTRIES = {state!r}, {ops!r}, "
                      f"{(SOURCE, STRINGSOURCE)!r}, {ENTRIES!r}\n" + UNREADY)


@fresh_interpreter
@pytest.mark.parametrize("state", STATES)
@pytest.mark.parametrize("operation, before, after", OPERATIONS,
                         ids=[op for op, _, _ in OPERATIONS])
def test_operations_before_the_start_up_completes_raise_and_work_after_it(
        state, operation, before, after):
    result = outcomes(state)
    assert (outcome(result["before"][operation]), result["same class"],
            outcome(result["after"][operation])) == (before, True, after)
