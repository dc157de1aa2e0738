"""Shared helpers for the Rect tests: stand-in vectors and values, traceback frames,
the native method table, and running code in a fresh interpreter."""

import ctypes
import json
import math
import os
import subprocess
import sys
import sysconfig
import traceback

import pytest

from conftest import ONE_THREAD_PASSES
from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

RECT_NAME = "tessel.rect.rect.Rect"
VECTOR2_NAME = "tessel.vector2.vector2.Vector2"
FREE_THREADED = bool(sysconfig.get_config_var("Py_GIL_DISABLED"))
HEADER = object.__basicsize__
SOURCE, STRINGSOURCE = "src/tessel/rect/rect", "<stringsource>"


def xywh(rect):
    return (rect.x, rect.y, rect.w, rect.h)


def xy(vector):
    return (vector.x, vector.y)


def xyzw(vector):
    return (vector.x, vector.y, vector.z, vector.w)


def f32(value):
    """A double narrowed to single precision, round to nearest, as a vector component."""
    return ctypes.c_float(float(value)).value


def same(a, b):
    """Equal as stored values: NaN is NaN, and 0.0 is not -0.0."""
    if math.isnan(a) or math.isnan(b):
        return math.isnan(a) and math.isnan(b)
    return a == b and math.copysign(1, a) == math.copysign(1, b)


def same_all(got, expected):
    return len(got) == len(expected) and all(map(same, got, expected))


def outcome(call):
    """What a call gives: its result, or its exception's type, message and notes."""
    try:
        return call()
    except Exception as e:
        return type(e), str(e), getattr(e, "__notes__", [])


def bare():
    """A rect that was allocated but never constructed: both fields hold None."""
    return Rect.__new__(Rect)


class IntLike:
    """An object with only an integer conversion; an exception class as result raises."""

    def __init__(self, result):
        self.result = result

    def __int__(self):
        if isinstance(self.result, type):
            raise self.result("from __int__")
        return self.result


class TupleSub(tuple):
    pass


class ListSub(list):
    pass


def _component(name):
    def get(self):
        self.log.append(f"{self.tag}.{name}")
        value = self.vals[name]
        if isinstance(value, type) and issubclass(value, BaseException):
            raise value(f"{self.tag}.{name}")
        return value

    def set(self, value):
        self.log.append(f"{self.tag}.{name}=")
        self.vals[name] = value

    return property(get, set)


class Probe(Vector2):
    """A Vector2 whose components are any objects, with every access logged."""
    x = _component("x")
    y = _component("y")


def probe(x, y, log=None, tag="v"):
    """A Probe holding x and y as given; an exception class as a value makes reads raise."""
    p = Probe()
    p.__dict__.update(vals={"x": x, "y": y}, log=[] if log is None else log, tag=tag)
    return p


def probed_rect(x, y, w, h, log=None):
    log = [] if log is None else log
    return Rect(probe(x, y, log, "pos"), probe(w, h, log, "size")), log


# Doubles at the ends of the range, which only a subtype read through its attributes can
# hold: the largest finite ones, values whose differences and sums overflow, huge and tiny
# (subnormal) sizes.
HUGE = [1.7976931348623157e308, 1.7e308, 1e300, 1e290, 2.0 ** 961, 2.0 ** 960 * 1.5]
TINY = [5e-324, 1e-310, 2.0 ** -1000]


def extreme_boxes(rng, n):
    """n boxes (x, y, w, h) of doubles: a crowd near 0 with a few boxes at the ends of the
    range of both signs, tiny and huge sizes, and some edges whose sum overflows."""
    far = rng.choice([0.03, 0.15, 0.5])

    def coordinate():
        return rng.choice(HUGE) * rng.choice([-1, 1]) if rng.random() < far else rng.uniform(0, 40)

    def size():
        if rng.random() < 0.7:
            return rng.uniform(0, 8)
        return rng.choice([rng.choice(TINY), rng.choice(HUGE), 0.0, -rng.uniform(0, 3)])

    return [(coordinate(), coordinate(), size(), size()) for _ in range(n)]


def probed_box(box):
    """A rect whose position and size hold the doubles of `box` exactly, read as attributes."""
    return Rect(probe(*box[:2]), probe(*box[2:]))


class Formatted(Vector2):
    """A Vector2 with its own text under an empty format; an exception class raises."""

    def __format__(self, spec):
        if isinstance(self.text, type):
            raise self.text("format")
        return self.text


def formatted(text):
    v = Formatted()
    v.text = text
    return v


class Sym:
    """A number stand-in: arithmetic on it builds the text of the expression."""

    def __init__(self, text):
        self.text = text

    def __repr__(self):
        return self.text


def _binary(op):
    def text(value):
        return value.text if isinstance(value, Sym) else repr(value)

    return (lambda a, b: Sym(f"({a.text}{op}{text(b)})"),
            lambda a, b: Sym(f"({text(b)}{op}{a.text})"))


for _name, _op in [("add", "+"), ("sub", "-"), ("mul", "*")]:
    setattr(Sym, f"__{_name}__", _binary(_op)[0])
    setattr(Sym, f"__r{_name}__", _binary(_op)[1])


def size_changed(name, expected, got):
    """The import's message for a type whose instances do not have the expected size."""
    return (f"{name} size changed, may indicate binary incompatibility. "
            f"Expected {expected} from C header, got {got} from PyObject")


def frames(exc):
    """(name, file) of each frame that the module's own code added, outermost first."""
    summary = traceback.StackSummary.extract(traceback.walk_tb(exc.__traceback__),
                                             lookup_lines=False)
    return [(f.name, f.filename) for f in summary if f.filename in (SOURCE, STRINGSOURCE)]


# The native method table that Rect publishes for other compiled modules.
ENTRIES = ["new", "get_width", "get_height", "collide_point", "collide_point_vector2",
           "collide_point_tuple", "collide_point_list", "collide_rect", "collide_rect_vector4",
           "collide_rect_rect", "collide_rect_tuple", "collide_rect_list", "get_vector4",
           "get_tuple"]
_capsule_pointer = ctypes.PYFUNCTYPE(ctypes.c_void_p, ctypes.py_object, ctypes.c_char_p)(
    ("PyCapsule_GetPointer", ctypes.pythonapi))


def table_address():
    return _capsule_pointer(Rect.__dict__["__pyx_vtable__"], None)


def entry(name):
    """A callable for one table entry; a failing entry raises its exception."""
    pointer = (ctypes.c_void_p * len(ENTRIES)).from_address(table_address())[ENTRIES.index(name)]
    obj, flag = ctypes.py_object, ctypes.c_int
    if name == "new":
        return ctypes.PYFUNCTYPE(obj, obj, obj)(pointer)
    if name.startswith("collide"):
        return ctypes.PYFUNCTYPE(flag, obj, obj, flag)(pointer)
    return ctypes.PYFUNCTYPE(obj, obj, flag)(pointer)


def field_pointers(rect):
    """The table pointer, position and size as stored in the instance record."""
    return tuple((ctypes.c_void_p * 3).from_address(id(rect) + HEADER))


# A test that runs its case in a fresh interpreter (run_python): in the parallel pass it
# would only run as it does in the free-threaded pass, once per thread.
fresh_interpreter = pytest.mark.passes(*ONE_THREAD_PASSES)


def run_python(code, **env_changes):
    """Run code in a new interpreter that sees the same packages; return its last line's JSON."""
    env = dict(os.environ, PYTHONPATH=os.pathsep.join(p for p in sys.path if p))
    env.pop("PYTHON_GIL", None)
    env.update(env_changes)
    done = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True,
                          text=True, check=False)
    assert done.returncode == 0, done.stderr
    return json.loads(done.stdout.strip().splitlines()[-1])


def qualified(cls):
    """A type's name as the messages give it: with its module, unless that is builtins."""
    name = cls.__qualname__
    return name if cls.__module__ == "builtins" else f"{cls.__module__}.{name}"


def meddler(action, size=None):
    """A rect whose vectors run `action` at every read of a component (its size: `size`,
    when given, instead)."""

    class Meddling(Vector2):
        @property
        def x(self):
            action()
            return 1.0

        y = x

    return Rect(Meddling(), Meddling() if size is None else size)


def noted(note, call):
    """call(), its exception carrying `note`, as the modules note the item they were at."""
    try:
        return call()
    except Exception as e:
        e.add_note(note)
        raise
