import copy
import math
import pickle
import struct
import subprocess
import sys

import pytest
from hypothesis import given
from hypothesis import strategies as st

from conftest import FREE_THREADED
from tessel.vector2.vector2 import Vector2


def float32(value):
    """What a single-precision store of value reads back as."""
    try:
        return struct.unpack("f", struct.pack("f", value))[0]
    except OverflowError:
        return math.copysign(math.inf, value)


class Point(Vector2):
    pass


class Doubled(Vector2):
    """Redefines x as a property over the stored component."""

    @property
    def x(self):
        return Vector2.x.__get__(self) * 2

    @x.setter
    def x(self, value):
        Vector2.x.__set__(self, value / 2)


class Slotted(Vector2):
    __slots__ = ("label",)


@pytest.mark.parametrize(
    "args, kwargs, expected",
    [((), {}, (0.0, 0.0)), ((1, 2), {}, (1.0, 2.0)), ((3,), {"y": 4}, (3.0, 4.0)),
     ((), {"y": True}, (0.0, 1.0))],
)
def test_construction_by_position_or_keyword(args, kwargs, expected):
    v = Vector2(*args, **kwargs)
    assert (v.x, v.y) == expected and type(v.x) is float


@pytest.mark.parametrize("args, kwargs", [((1, 2, 3), {}), ((), {"z": 1}), ((1,), {"x": 2}),
                                          (("1",), {})])
def test_bad_construction_raises_type_error(args, kwargs):
    with pytest.raises(TypeError):
        Vector2(*args, **kwargs)


@pytest.mark.parametrize(
    "value, stored",
    [(0.1, 0.10000000149011612), (1e39, math.inf), (-1e39, -math.inf),
     (16777217, 16777216.0), (1e-50, 0.0)],
)
def test_components_are_rounded_to_single_precision(value, stored, vtable_new):
    v = Vector2(value)
    v.y = value
    assert v.x == v.y == vtable_new(Vector2, 2)(value, 0.0).x == stored


@given(st.floats(allow_nan=False))
def test_rounding_matches_a_float32_store(value):
    v = Vector2(value)
    v.y = value
    assert v.x == v.y == float32(value)
    assert math.copysign(1, v.x) == math.copysign(1, value)


# The steps the README's precision table gives.
@pytest.mark.parametrize("at, step", [(1e3, 2**-14), (1e6, 2**-4), (1e7, 1.0)])
def test_the_step_between_neighbouring_values_is_the_documented_one(at, step):
    v = Vector2(at, at)
    v.x += step
    v.y += step * 0.49  # less than half a step rounds back
    assert (v.x - at, v.y) == (step, at)


@pytest.mark.parametrize("value", ["1.0", None, [1.0], 1j])
def test_writes_reject_non_numbers_and_keep_the_old_value(value):
    v = Vector2(1, 2)
    with pytest.raises(TypeError):
        v.x = value
    assert (v.x, v.y) == (1.0, 2.0)


@pytest.mark.parametrize("name", ["x", "y"])
def test_components_cannot_be_deleted(name):
    with pytest.raises(TypeError, match=f"delete {name}"):
        delattr(Vector2(1, 2), name)


@pytest.mark.parametrize(
    "a, b, equal",
    [(Vector2(1, 2), Vector2(1, 2), True), (Vector2(1, 2), Vector2(2, 1), False),
     (Vector2(0.1, 0), Vector2(0.10000000149011612, 0), True),
     (Vector2(math.nan, 0), Vector2(math.nan, 0), False), (Point(1, 2), Vector2(1, 2), True),
     (Vector2(1, 2), (1.0, 2.0), False)],
)
def test_equality_is_by_value_between_vectors(a, b, equal):
    assert (a == b) is equal and (b == a) is equal and (a != b) is not equal


def test_vectors_are_unordered_and_unhashable():
    with pytest.raises(TypeError):
        Vector2() < Vector2()
    with pytest.raises(TypeError):
        hash(Vector2())


@pytest.mark.parametrize(
    "v, text",
    [(Vector2(1, 2), "Vector2(1.0, 2.0)"), (Point(3, 4), "Point(3.0, 4.0)"),
     (Vector2(0.1, -1e39), "Vector2(0.10000000149011612, -inf)")],
)
def test_text_form(v, text):
    assert repr(v) == str(v) == f"{v}" == text


def test_subclass_can_redefine_a_component():
    d = Doubled(1, 2)
    assert d.x == 2.0
    d.x = 10
    assert Vector2.x.__get__(d) == 5.0


@pytest.mark.parametrize("protocol", range(pickle.HIGHEST_PROTOCOL + 1))
def test_pickling_round_trips_with_subclass_state(protocol):
    p = Point(1, 2)
    p.name = "spawn"
    s = Slotted(3, 4)
    s.label = "goal"
    vectors = [Vector2(0.1, -2), Doubled(3, 4), p, s]
    restored = pickle.loads(pickle.dumps(vectors, protocol))
    assert [type(v) for v in restored] == [type(v) for v in vectors]
    assert restored == vectors
    assert (restored[2].name, restored[3].label) == ("spawn", "goal")


def test_reduce_gives_type_components_and_attributes():
    assert Vector2(1, 2).__reduce__() == (Vector2, (1.0, 2.0))
    p = Point(1, 2)
    assert p.__reduce__() == (Point, (1.0, 2.0))
    p.tag = 1
    assert p.__reduce__() == (Point, (1.0, 2.0), {"tag": 1})


@pytest.mark.parametrize("copier", [copy.copy, copy.deepcopy])
def test_copies_are_new_equal_vectors(copier):
    p = Point(3, 4)
    p.items = [1]
    p2 = copier(p)
    assert type(p2) is Point and p2 == p and p2 is not p and p2.items == [1]
    assert (p2.items is p.items) is (copier is copy.copy)


def test_method_table_is_a_nameless_capsule_whose_factory_makes_vectors(capsule_api, vtable_new):
    capsule = Vector2.__dict__["__pyx_vtable__"]
    assert capsule_api.PyCapsule_GetName(capsule) is None
    v = vtable_new(Vector2, 2)(1.5, 0.1)
    assert type(v) is Vector2 and (v.x, v.y) == (1.5, 0.10000000149011612)


def test_instance_record_size():
    assert Vector2.__basicsize__ == (48 if FREE_THREADED else 32)


# A fresh interpreter per run: the parallel pass adds nothing.
@pytest.mark.skipif(not FREE_THREADED, reason="the interpreter has a global lock anyway")
@pytest.mark.passes("free-threaded")
def test_importing_keeps_the_global_lock_off():
    code = "import sys, tessel.vector2.vector2; print(sys._is_gil_enabled())"
    out = subprocess.run([sys.executable, "-W", "error", "-c", code],
                         capture_output=True, text=True, check=True)
    assert out.stdout.strip() == "False"
