"""What the vector tests share: the two kinds of vector with their rounding, exact comparison,
and other libraries' vectors (None where the library is not installed)."""

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
needs_numpy = pytest.mark.skipif(numpy is None, reason="numpy is not installed")
needs_pygame = pytest.mark.skipif(pygame_math is None, reason="pygame is not installed")
