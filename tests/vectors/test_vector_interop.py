"""Vectors among other libraries' values: any sequence or buffer of as many numbers is a
vector, an operand that is no number lets its own operator answer, and subclasses copy and
pickle as themselves."""

import copy
import operator
import pickle
import threading
import warnings

import pytest

from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4
from rect_support import outcome
from vector_support import CONTAINERS, NOT_VECTORS, Seq, kinds, needs_numpy, numpy

@kinds
@pytest.mark.parametrize("container", CONTAINERS)
def test_any_sequence_or_buffer_of_n_numbers_is_a_vector(kind, container):
    other = CONTAINERS[container]([1, 2, 3, 4][:kind.size])
    if other is None:
        pytest.skip("the reference has no vector of this size")
    values = [float(x) for x in other]  # as the container itself gives them
    assert kind.type(other) == kind.type(*values)
    v = kind.type(*[10.0] * kind.size)
    same_v = v
    v -= other
    assert v is same_v and tuple(v) == tuple(10.0 - x for x in values)
    assert v + other == kind.type(*[10.0] * kind.size)
    assert v.dot(other) == sum((10 - x) * x for x in values)


@kinds
@pytest.mark.parametrize("container", NOT_VECTORS)
def test_other_containers_are_not_vectors(kind, container):
    other = NOT_VECTORS[container]([1, 2, 3, 4][:kind.size])
    assert kind.type().__add__(other) is NotImplemented
    assert kind.type().__isub__(other) is NotImplemented
    with pytest.raises(TypeError):
        kind.type(other)


@needs_numpy
@kinds
@pytest.mark.parametrize("items, dtype", [([1j, 2j, 3j, 4j], complex), ("abcd", object),
                                          ([1, None, 3, 4], object), ([1, 2, 3, 4], "S1")])
def test_a_buffer_the_reader_refuses_is_read_as_its_sequence(kind, items, dtype):
    """Its items as a tuple of them reads them, with their own errors."""
    array_of = numpy.array(list(items[:kind.size]), dtype)
    with warnings.catch_warnings():
        warnings.simplefilter("ignore")  # numpy's complex to float conversion warns
        for call in (kind.type, kind.type().__add__, kind.type().dot):
            assert outcome(lambda: call(array_of)) == outcome(lambda: call(tuple(array_of)))


@kinds
@pytest.mark.parametrize("number", [5, True, 2.5, "float32", "0-d"])
def test_one_number_is_still_the_first_component(kind, number):
    if isinstance(number, str):
        if numpy is None:
            pytest.skip("numpy is not installed")
        number = numpy.float32(5) if number == "float32" else numpy.array(5.0)
    assert tuple(kind.type(number)) == (float(number),) + (0.0,) * (kind.size - 1)


def test_every_rect_holding_a_position_moves_with_a_foreign_velocity():
    position = Vector2(1, 2)
    a, b = Rect(position, (3, 4)), Rect(position, (5, 6))
    a.position += Seq([1, 2])
    assert a.position is position and (b.x, b.y) == (2.0, 4.0)
    assert Vector4(b) == Vector4(2, 4, 5, 6)


class Symbolic:
    """A number whose float conversion refuses, and which answers itself."""

    def __float__(self):
        raise TypeError("no float for a symbol")

    def __rmul__(self, other):
        return "answered"

    __rtruediv__ = __rmul__


@kinds
@pytest.mark.parametrize("op", [operator.mul, operator.truediv, operator.imul, operator.itruediv])
def test_numbers_without_a_float_let_their_own_operator_answer(kind, op):
    v = kind.type(*range(kind.size))
    assert op(v, Symbolic()) == "answered" and tuple(v) == tuple(range(kind.size))
    if numpy is not None:
        assert type(op(kind.type(), numpy.ones(kind.size))) is numpy.ndarray
    with pytest.raises(OverflowError):
        op(v, 10 ** 400)  # a number too large for a float raises, as floats do


# Subclasses with constructors of their own; their calls are counted per thread (the suite
# also runs in several threads at once).
CALLS = threading.local()


def named(base):
    """A subclass of base whose constructor takes a name first."""

    def __init__(self, name, *components):
        base.__init__(self, *components)
        self.name = name
        CALLS.n = getattr(CALLS, "n", 0) + 1

    return type(f"Named{len(base())}", (base,), {"__init__": __init__})


Named2, Named4 = named(Vector2), named(Vector4)


class Slotted2(Named2):
    __slots__ = ("tag",)


class Stateful4(Named4):
    def __getstate__(self):
        return {"upper": self.name.upper()}

    def __setstate__(self, state):
        self.name = state["upper"].lower()


class Fresh2(Named2):
    def __new__(cls, *args):
        return super().__new__(cls)


class Required4(Named4):  # its __new__ needs the name too
    def __new__(cls, name, *components):
        return super().__new__(cls)


class SlottedRequired2(Slotted2):
    __slots__ = ("more",)

    def __new__(cls, name, *components, more=None):
        self = super().__new__(cls)
        self.more = more
        return self

    def __setstate__(self, state):
        self.name, slots = state[0]["name"], state[1]
        self.tag, self.more = slots["tag"], slots.get("more")


COPIERS = {f"pickle {p}": (lambda p: lambda v: pickle.loads(pickle.dumps(v, p)))(p)
           for p in range(pickle.HIGHEST_PROTOCOL + 1)}
COPIERS.update({"copy": copy.copy, "deepcopy": copy.deepcopy})


@pytest.mark.parametrize("cls", [Named2, Named4, Slotted2, Stateful4, Fresh2, Required4,
                                 SlottedRequired2], ids=lambda c: c.__name__)
@pytest.mark.parametrize("copier", COPIERS)
def test_subclasses_come_back_as_themselves_without_their_constructor(cls, copier):
    v = cls("spawn", *range(1, len(cls.__mro__[-2]()) + 1))
    if issubclass(cls, Slotted2):
        v.tag = [1]
    calls = getattr(CALLS, "n", 0)
    w = COPIERS[copier](v)
    assert type(w) is cls and w == v and w is not v and getattr(CALLS, "n", 0) == calls
    assert w.name == v.name and (not issubclass(cls, Slotted2) or w.tag == v.tag)
    rect = Rect(w, Vector2()) if cls is Named2 else None
    assert rect is None or COPIERS[copier](rect).position.name == "spawn"


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
