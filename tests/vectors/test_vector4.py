import copy
import math
import pickle
import subprocess
import sys

import pytest
from hypothesis import given
from hypothesis import strategies as st

from conftest import FREE_THREADED
from tessel.vector4.vector4 import Vector4

NAMES = ("x", "y", "z", "w")


def components(v):
    return tuple(getattr(v, n) for n in NAMES)


class Bounds(Vector4):
    pass


@pytest.mark.parametrize(
    "args, kwargs, expected",
    [((), {}, (0.0, 0.0, 0.0, 0.0)), ((1, 2, 3, 4), {}, (1.0, 2.0, 3.0, 4.0)),
     ((1,), {"w": 4, "z": 3}, (1.0, 0.0, 3.0, 4.0))],
)
def test_construction_by_position_or_keyword(args, kwargs, expected):
    assert components(Vector4(*args, **kwargs)) == expected


@given(values=st.lists(st.floats(allow_nan=False), min_size=4, max_size=4))
def test_components_keep_double_precision(values, vtable_new):
    v = Vector4()
    for name, value in zip(NAMES, values):
        setattr(v, name, value)
    assert components(v) == components(Vector4(*values)) == tuple(values)
    assert components(vtable_new(Vector4, 4)(*values)) == tuple(values)


@pytest.mark.parametrize("name", NAMES)
def test_components_reject_non_numbers_and_deletion(name):
    v = Vector4(1, 2, 3, 4)
    with pytest.raises(TypeError):
        setattr(v, name, "8")
    with pytest.raises(TypeError, match=f"delete {name}"):
        delattr(v, name)
    assert components(v) == (1.0, 2.0, 3.0, 4.0)


@pytest.mark.parametrize(
    "a, b, equal",
    [(Vector4(1, 2, 3, 4), Vector4(1, 2, 3, 4), True),
     (Vector4(1, 2, 3, 4), Vector4(1, 2, 3, 5), False),
     (Vector4(0, 0, 0, math.nan), Vector4(0, 0, 0, math.nan), False),
     (Bounds(1, 2, 3, 4), Vector4(1, 2, 3, 4), True),
     (Vector4(1, 2, 3, 4), (1.0, 2.0, 3.0, 4.0), False)],
)
def test_equality_is_by_value_between_vectors(a, b, equal):
    assert (a == b) is equal and (b == a) is equal and (a != b) is not equal


@pytest.mark.parametrize(
    "v, text",
    [(Vector4(1, 2, 3, 4), "Vector4(1.0, 2.0, 3.0, 4.0)"),
     (Vector4(0.1, -math.inf, 1e300, -0.0), "Vector4(0.1, -inf, 1e+300, -0.0)"),
     (Bounds(), "Bounds(0.0, 0.0, 0.0, 0.0)")],
)
def test_text_form(v, text):
    assert repr(v) == str(v) == text


@pytest.mark.parametrize("protocol", range(pickle.HIGHEST_PROTOCOL + 1))
def test_pickling_round_trips(protocol):
    b = Bounds(1, 2, 3, 4)
    b.name = "hud"
    v2, b2 = pickle.loads(pickle.dumps([Vector4(0.1, 0.2, 0.3, 0.4), b], protocol))
    assert type(v2) is Vector4 and v2 == Vector4(0.1, 0.2, 0.3, 0.4)
    assert type(b2) is Bounds and b2 == b and b2.name == "hud"


@pytest.mark.parametrize("copier", [copy.copy, copy.deepcopy])
def test_copies_are_new_equal_vectors(copier):
    v = Vector4(1, 2, 3, 4)
    assert copier(v) == v and copier(v) is not v


def test_vectors_are_unhashable_and_publish_a_nameless_table(capsule_api):
    with pytest.raises(TypeError):
        hash(Vector4())
    assert capsule_api.PyCapsule_GetName(Vector4.__dict__["__pyx_vtable__"]) is None


def test_instance_record_size():
    assert Vector4.__basicsize__ == (72 if FREE_THREADED else 56)


# A fresh interpreter per run: the parallel pass adds nothing.
@pytest.mark.skipif(not FREE_THREADED, reason="the interpreter has a global lock anyway")
@pytest.mark.passes("free-threaded")
def test_importing_keeps_the_global_lock_off():
    code = "import sys, tessel.vector4.vector4; print(sys._is_gil_enabled())"
    out = subprocess.run([sys.executable, "-W", "error", "-c", code],
                         capture_output=True, text=True, check=True)
    assert out.stdout.strip() == "False"
