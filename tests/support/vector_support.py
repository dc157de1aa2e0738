"""What the vector tests share: the two kinds of vector with their rounding, exact comparison,
and other libraries' vectors (None where the library is not installed), with the table of
the containers that hold numbers as other libraries do, which the modules built on Rect
take as points and rects too."""

import array
import importlib
import math
import operator
import os
import struct
import warnings
from functools import reduce
from typing import NamedTuple

import pytest

from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4


def float32(value):
    """What a single-precision store of value reads back as."""
    try:
        return struct.unpack("f", struct.pack("f", value))[0]
    except OverflowError:
        return math.copysign(math.inf, value)


class Kind(NamedTuple):
    type: type
    narrow: object

    @property
    def size(self):
        return 2 if self.type is Vector2 else 4

    def values(self, v):
        return tuple(getattr(v, n) for n in "xyzw"[:self.size])


KINDS = [Kind(Vector2, float32), Kind(Vector4, float)]
KIND_IDS = ["Vector2", "Vector4"]
kinds = pytest.mark.parametrize("kind", KINDS, ids=KIND_IDS)


def same(actual, expected):
    """Equal as floats, with the sign of a zero and NaN for NaN."""
    assert len(actual) == len(expected)
    for a, e in zip(actual, expected):
        assert type(a) is float
        assert (math.isnan(a) and math.isnan(e)) or (
            a == e and math.copysign(1, a) == math.copysign(1, e)), (actual, expected)


def make(kind, items):
    return kind.type(*items[:kind.size])


def fold(values):
    """Left to right, as the vectors sum; sum() would compensate and differ."""
    return reduce(operator.add, values, 0.0)


def model_length(values):
    """The square root of the squares summed in order, where that sum is representable
    without loss (and for a NaN or an infinity); elsewhere None: the length is then the true
    one, which the caller takes from math.hypot."""
    squares = fold(c * c for c in values)
    if 2.0 ** -969 <= squares < math.inf or not all(map(math.isfinite, values)):
        return math.sqrt(squares)
    return None


def check_length(actual, values):
    expected = model_length(values)
    if expected is None:
        assert math.isclose(actual, math.hypot(*values), rel_tol=2 ** -50, abs_tol=2 ** -1072)
    else:
        same([actual], [expected])


def model_lerp(a, b, t):
    """a + (b - a) * t, except: exactly a at t = 0 and b at t = 1; never past b before t = 1
    nor short of it after; and each end weighted on its own when b - a overflows."""
    if t == 0:
        return a
    if t == 1:
        return b
    if math.isinf(b - a) and math.isfinite(a) and math.isfinite(b):
        return t * b + (1 - t) * a
    x = a + (b - a) * t
    return min(x, b) if (t < 1) == (b > a) else max(x, b)



class Seq:
    """A sequence of numbers that is no tuple or list: how another library's vector looks."""

    def __init__(self, items):
        self.items = list(items)

    def __len__(self):
        return len(self.items)

    def __getitem__(self, i):
        return self.items[i]


def _optional(name):
    os.environ.setdefault("PYGAME_HIDE_SUPPORT_PROMPT", "1")
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # a peer's notes about its own build
        try:
            return importlib.import_module(name)
        except ImportError:
            return None


numpy, pygame_math = _optional("numpy"), _optional("pygame.math")
pygame_rect = _optional("pygame.rect")
needs_numpy = pytest.mark.skipif(numpy is None, reason="numpy is not installed")
needs_pygame = pytest.mark.skipif(pygame_math is None, reason="pygame is not installed")


def _reference(xs):
    """The reference type's vector of two, or its rect of four (ints): None for another size."""
    return (pygame_math.Vector2(*xs) if len(xs) == 2 else
            pygame_rect.Rect(*xs) if len(xs) == 4 else None)


# Each makes 1, 2, ... n as some library holds them; None: not a vector of n.
CONTAINERS = {
    "tuple": tuple, "list": list, "range": lambda xs: range(1, len(xs) + 1), "sequence": Seq,
    "memoryview": lambda xs: memoryview(array.array("d", xs)),
    "strided": lambda xs: memoryview(array.array("q", [x for x in xs for _ in "ab"]))[::2],
    **{f"array {c}": (lambda c: lambda xs: array.array(c, xs))(c) for c in "bBhHiIlLqQf"},
    **({f"ndarray {t}": (lambda t: lambda xs: numpy.array(xs, t))(t) for t in
        ["float64", "float16", "bool", "int8", "uint64", "<f8", "=i4", ">f8", ">i2", "object"]}
       if numpy else {}),
    **({"reference": _reference} if pygame_math and pygame_rect else {}),
}
# Each makes something that holds no n numbers, from 1, 2, ... n.
NOT_VECTORS = {
    "text": lambda xs: "ab"[:len(xs)], "bytes": lambda xs: bytes(len(xs)),
    "bytearray": lambda xs: bytearray(len(xs)), "longer": lambda xs: Seq([*xs, 0]),
    "shorter": lambda xs: array.array("d", xs[1:]),
    **({f"ndarray {t}": (lambda t: lambda xs: numpy.ones((1, len(xs)) if t == "2-d" else
                                                       len(xs), None if t == "2-d" else t))(t)
        for t in ["2-d"]} if numpy else {}),
    **({"shorter >f8": lambda xs: numpy.ones(len(xs) - 1, ">f8")} if numpy else {}),
}
