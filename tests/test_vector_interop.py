"""Vectors among other libraries' values: construction from one sequence, operands that are
other sequences and buffers, operands that are not numbers, and subclasses that copy and
pickle as themselves."""

import array
import copy
import math
import operator
import pickle
import threading

import pytest

from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4
from vector_support import (KINDS, Seq, kinds, needs_numpy, needs_pygame, numpy,
                            pygame_math)


def numbers_in(kind, container):
    """Containers of 1, 2, 3, ... as construction and arithmetic take them."""
    items = [float(i) for i in range(1, kind.size + 1)]
    return {"tuple": lambda: tuple(items), "list": lambda: list(items), "range": lambda: range(
        1, kind.size + 1), "sequence": lambda: Seq(items), "vector": lambda: kind.type(*items),
            "buffer": lambda: memoryview(array.array("d", items)),
            "ndarray": lambda: numpy.array(items),
            "pygame": lambda: pygame_math.Vector2(*items)}[container]()


CONTAINERS = ["tuple", "list", "range", "sequence", "vector", "buffer",
              pytest.param("ndarray", marks=needs_numpy), pytest.param("pygame", marks=needs_pygame)]


@kinds
@pytest.mark.parametrize("container", CONTAINERS)
def test_one_sequence_gives_all_components(kind, container):
    if container == "pygame" and kind.size != 2:
        pytest.skip("the reference has no vector of four")
    v = kind.type(numbers_in(kind, container))
    assert tuple(v) == tuple(range(1, kind.size + 1))
    w = kind.type(*range(kind.size))
    assert w + numbers_in(kind, container) == kind.type(*range(1, 2 * kind.size, 2))
    assert w.dot(numbers_in(kind, container)) == sum(i * (i + 1) for i in range(kind.size))


@kinds
@pytest.mark.parametrize("arg, expected", [
    (5, 5.0), (2.5, 2.5), (True, 1.0),
    pytest.param("float32", 5.0, marks=needs_numpy), pytest.param("0-d", 5.0, marks=needs_numpy)])
def test_one_number_is_still_the_first_component(kind, arg, expected):
    arg = {"float32": lambda: numpy.float32(5), "0-d": lambda: numpy.array(5.0)}.get(
        arg, lambda: arg)()
    assert tuple(kind.type(arg)) == (expected,) + (0.0,) * (kind.size - 1)


@kinds
@pytest.mark.parametrize("args, kwargs", [
    (("ab",), {}), ((b"ab",), {}), ((None,), {}), (((1.0,) * 5,), {}), (([1.0],), {}),
    (((1, 2),), {"y": 3}), (((1, 2), 3), {}), (((1, "a", 3, 4),), {})])
def test_other_single_arguments_are_refused(kind, args, kwargs):
    with pytest.raises(TypeError):
        kind.type(*args, **kwargs)


def test_a_rect_is_a_sequence_of_four():
    assert Vector4(Rect(1, 2, 3, 4)) == Vector4(1, 2, 3, 4)


@kinds
@pytest.mark.parametrize("code", list("bBhHiIlLqQfd"))
def test_buffers_of_every_native_number_format_are_operands(kind, code):
    items = array.array(code, range(1, kind.size + 1))
    v = kind.type()
    for operand in (items, memoryview(items), memoryview(items)[::-1][::-1]):
        assert v + operand == kind.type(*items) and (operand - v) == kind.type(*items)
    strided = memoryview(array.array(code, range(2 * kind.size)))[::2]
    assert kind.type(strided) == kind.type(*range(0, 2 * kind.size, 2))


@needs_numpy
@kinds
@pytest.mark.parametrize("dtype", ["float16", "float32", "bool", "int8", "uint64", "<f8", "=i4"])
def test_arrays_of_every_numeric_type_are_operands(kind, dtype):
    a = numpy.arange(1, kind.size + 1).astype(dtype)
    v = kind.type()
    v += a
    assert tuple(v) == tuple(float(c) for c in a)


@needs_numpy
@kinds
@pytest.mark.parametrize("shape_or_type", [">f8", "2-d", "short", "object", "complex"])
def test_other_arrays_are_not_operands(kind, shape_or_type):
    a = {">f8": lambda: numpy.ones(kind.size, ">f8"),
         "2-d": lambda: numpy.ones((1, kind.size)), "short": lambda: numpy.ones(kind.size - 1),
         "object": lambda: numpy.array([1.0] * kind.size, dtype=object),
         "complex": lambda: numpy.ones(kind.size, complex)}[shape_or_type]()
    v = kind.type()
    assert v.__add__(a) is NotImplemented and v.__iadd__(a) is NotImplemented
    with pytest.raises(TypeError):
        v.dot(a)


@kinds
@pytest.mark.parametrize("other", ["ab", b"ab\x00\x00", bytearray(4)])
def test_text_and_bytes_are_not_operands(kind, other):
    assert kind.type().__add__(other[:kind.size]) is NotImplemented


@kinds
@pytest.mark.parametrize("container", CONTAINERS)
@pytest.mark.parametrize("op", [operator.iadd, operator.isub])
def test_in_place_forms_change_the_vector_itself(kind, container, op):
    if container == "pygame" and kind.size != 2:
        pytest.skip("the reference has no vector of four")
    v = kind.type(*[10.0] * kind.size)
    before = v
    result = op(v, numbers_in(kind, container))
    assert result is before and type(result) is kind.type
    assert tuple(v) == tuple(op(10.0, i) for i in range(1, kind.size + 1))


@pytest.mark.parametrize("container", CONTAINERS)
def test_every_rect_holding_a_position_moves_with_a_foreign_velocity(container):
    position = Vector2(1, 2)
    a, b = Rect(position, (3, 4)), Rect(position, (5, 6))
    a.position += numbers_in(KINDS[0], container)
    assert a.position is position and (b.x, b.y) == (2.0, 4.0)


class Symbolic:
    """A number type whose float conversion refuses: the vector must let it answer."""

    def __float__(self):
        raise TypeError("no float for a symbol")

    def __rmul__(self, other):
        return "rmul"

    def __rtruediv__(self, other):
        return "rtruediv"

    __mul__ = __rmul__


@kinds
@pytest.mark.parametrize("op, answer", [(operator.mul, "rmul"), (operator.truediv, "rtruediv"),
                                        (operator.imul, "rmul"), (operator.itruediv, "rtruediv")])
def test_numbers_without_a_float_let_their_own_operator_answer(kind, op, answer):
    v = kind.type(*range(kind.size))
    assert op(v, Symbolic()) == answer and tuple(v) == tuple(range(kind.size))
    if numpy is not None and not op.__name__.startswith("i"):
        result = op(v, numpy.arange(1.0, kind.size + 1))
        assert type(result) is numpy.ndarray
    with pytest.raises(OverflowError):
        op(v, 10 ** 400)  # an int is a number: too large for a float, as floats say


# Subclasses with constructors of their own, and what they keep. The constructors count
# their calls per thread (the suite also runs in several threads at once).
CALLS = threading.local()


def count_call():
    CALLS.n = getattr(CALLS, "n", 0) + 1


class Named2(Vector2):
    def __init__(self, name, x, y):
        super().__init__(x, y)
        self.name = name
        count_call()


class Named4(Vector4):
    def __init__(self, name, *xyzw):
        super().__init__(*xyzw)
        self.name = name
        count_call()


class Slotted2(Named2):
    __slots__ = ("tag",)


class Stateful4(Named4):
    def __getstate__(self):
        return {"upper": self.name.upper()}

    def __setstate__(self, state):
        self.name = state["upper"].lower()


class Fresh2(Vector2):
    def __new__(cls, *args, **kwargs):
        self = super().__new__(cls)
        self.fresh = True
        return self


SUBCLASSES = {Vector2: [Named2, Slotted2, Fresh2], Vector4: [Named4, Stateful4]}
COPIERS = {f"pickle {p}": (lambda p: lambda v: pickle.loads(pickle.dumps(v, p)))(p)
           for p in range(pickle.HIGHEST_PROTOCOL + 1)}
COPIERS.update({"copy": copy.copy, "deepcopy": copy.deepcopy})


@pytest.mark.parametrize("cls", [c for cs in SUBCLASSES.values() for c in cs],
                         ids=lambda c: c.__name__)
@pytest.mark.parametrize("copier", COPIERS)
def test_subclasses_come_back_as_themselves_without_their_constructor(cls, copier):
    n = cls.__mro__[-2].__name__[-1]
    v = cls(*(() if cls is Fresh2 else ("spawn",)), *range(1, int(n) + 1))
    if cls is Slotted2:
        v.tag = [1]
    calls = getattr(CALLS, "n", 0)
    w = COPIERS[copier](v)
    assert type(w) is cls and w == v and w is not v and getattr(CALLS, "n", 0) == calls
    assert getattr(w, "name", None) == getattr(v, "name", None)
    assert getattr(w, "fresh", False) is (cls is Fresh2)
    if cls is Slotted2:
        assert w.tag == [1] and (w.tag is v.tag) is (copier == "copy")


@pytest.mark.parametrize("copier", ["deepcopy", "pickle 0", "pickle 5"])
def test_a_rect_holding_a_subclass_copies_it_whole(copier):
    r = Rect(Named2("spawn", 1, 2), Vector2(3, 4))
    r2 = COPIERS[copier](r)
    assert r2 == r and type(r2.position) is Named2 and r2.position.name == "spawn"
    assert r2.position is not r.position


STORED = {  # pickles of [Vector2(0.1, -2), Vector4(0.1, 2, -3, 4e300)] by the first version
    0: b"(lp0\nctessel.vector2.vector2\nVector2\np1\n(F0.10000000149011612\nF-2.0\ntp2\nRp3\n"
       b"actessel.vector4.vector4\nVector4\np4\n(F0.1\nF2.0\nF-3.0\nF4e+300\ntp5\nRp6\na.",
    5: b"\x80\x05\x95\x8e\x00\x00\x00\x00\x00\x00\x00]\x94(\x8c\x16tessel.vector2.vector2\x94"
       b"\x8c\x07Vector2\x94\x93\x94G?\xb9\x99\x99\xa0\x00\x00\x00G\xc0\x00\x00\x00\x00\x00\x00"
       b"\x00\x86\x94R\x94\x8c\x16tessel.vector4.vector4\x94\x8c\x07Vector4\x94\x93\x94(G?\xb9"
       b"\x99\x99\x99\x99\x99\x9aG@\x00\x00\x00\x00\x00\x00\x00G\xc0\x08\x00\x00\x00\x00\x00\x00"
       b"G~W\xe4<\x88\x00u\x9ct\x94R\x94e.",
}


@pytest.mark.parametrize("protocol", STORED)
def test_stored_pickles_load_and_exact_vectors_pickle_as_before(protocol):
    vectors = [Vector2(0.1, -2), Vector4(0.1, 2, -3, 4e300)]
    assert pickle.loads(STORED[protocol]) == vectors
    assert pickle.dumps(vectors, protocol) == STORED[protocol]
    assert Vector4(1, 2, 3, 4).__reduce__() == (Vector4, (1.0, 2.0, 3.0, 4.0))
