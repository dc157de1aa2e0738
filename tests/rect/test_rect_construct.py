"""Building a rect: which argument forms are accepted, which vectors are shared with the
caller, and what a failed construction leaves behind."""

import math
from fractions import Fraction

import pytest

from rect_support import ListSub, Rect, TupleSub, Vector2, Vector4, bare, xy, xywh

V = Vector2(3, 4)
ONE_ARGUMENT = "Rect takes Vector2, Rect, Vector4, or list/tuple of length 4"
FIRST = "First argument must be a Vector2 or list/tuple of length 2"
SECOND = "Second argument must be a Vector2 or list/tuple of length 2"


class Indexy:
    def __index__(self):
        return 7


class Tens(TupleSub):
    def __getitem__(self, index):
        return 10 * index


class Short(ListSub):
    def __len__(self):
        return 3


@pytest.mark.parametrize("args, expected", [
    ((), (0, 0, 0, 0)), ((V,), (0, 0, 3, 4)), ((Rect(1, 2, 3, 4),), (1, 2, 3, 4)),
    ((Vector4(1, 2, 3, 4),), (1, 2, 3, 4)), (([1, 2, 3, 4],), (1, 2, 3, 4)),
    (((1.5, 2, 3, 4),), (1.5, 2, 3, 4)), ((TupleSub((1, 2, 3, 4)),), (1, 2, 3, 4)),
    ((ListSub([1, 2, 3, 4]),), (1, 2, 3, 4)), ((Tens((1, 2, 3, 4)),), (0, 10, 20, 30)),
    (((1, 2), V), (1, 2, 3, 4)), (([1, 2], TupleSub((3, 4))), (1, 2, 3, 4)),
    ((Vector2(1, 2), [3, 4]), (1, 2, 3, 4)), ((1, 2, 3, 4), (1, 2, 3, 4)),
    ((0, 0, -5, -5), (0, 0, -5, -5)), ((-1, -1.0, True, Fraction(1, 2)), (-1, -1, 1, 0.5)),
    ((Fraction(5, 2), Indexy(), 0.25, -0.0), (2.5, 7, 0.25, 0)),
    ((math.inf, -math.inf, 0.0, -0.5), (math.inf, -math.inf, 0, -0.5)),
])
def test_accepted_forms_give_position_and_size(args, expected):
    rect = Rect(*args)
    assert xywh(rect) == expected and all(type(v) is float for v in xywh(rect))


def test_nan_is_stored_as_given():
    assert all(math.isnan(v) for v in xywh(Rect(math.nan, math.nan, math.nan, math.nan)))


@pytest.mark.parametrize("make, shared", [
    (lambda p, s: Rect(), (False, False)), (lambda p, s: Rect(s), (False, True)),
    (lambda p, s: Rect(Rect(p, s)), (True, True)), (lambda p, s: Rect(p, s), (True, True)),
    (lambda p, s: Rect((1, 2), s), (False, True)), (lambda p, s: Rect(p, [3, 4]), (True, False)),
    (lambda p, s: Rect(1, 2, 3, 4), (False, False)),
])
def test_vectors_given_are_shared_not_copied(make, shared):
    p, s = Vector2(1, 2), Vector2(3, 4)
    rect = make(p, s)
    assert (rect.position is p, rect.size is s) == shared and rect.position is not rect.size
    rect.x, rect.w = 9, 9
    assert (p.x == 9, s.x == 9) == shared


def test_rect_with_missing_vectors_gives_a_rect_with_missing_vectors():
    empty = Rect(bare())
    assert empty.position is None and empty.size is None


def test_vector4_components_are_read_through_attribute_access():
    class Shifted(Vector4):
        z = property(lambda self: 30.0)

    assert xywh(Rect(Shifted(1, 2, 3, 4))) == (1, 2, 30, 4)


@pytest.mark.parametrize("args, kwargs, error, message", [
    ((1, 2, 3), {}, TypeError, "Rect expected 0, 1, 2, or 4 arguments, got 3"),
    ((1, 2, 3, 4, 5), {}, TypeError, "Rect expected 0, 1, 2, or 4 arguments, got 5"),
    ((), {"position": V}, TypeError, "__init__() got an unexpected keyword argument 'position'"),
    ((1, 2, 3, 4), {"size": V}, TypeError, "__init__() got an unexpected keyword argument 'size'"),
    (([1, 2, 3],), {}, ValueError, "list/tuple for rect must have 4 elements"),
    (((1, 2, 3, 4, 5),), {}, ValueError, "list/tuple for rect must have 4 elements"),
    ((Short([1, 2, 3, 4]),), {}, ValueError, "list/tuple for rect must have 4 elements"),
    (("abcd",), {}, ValueError, ONE_ARGUMENT), ((4,), {}, ValueError, ONE_ARGUMENT),
    ((None,), {}, ValueError, ONE_ARGUMENT), (({0: 1, 1: 2},), {}, ValueError, ONE_ARGUMENT),
    (((1, 2, 3), V), {}, ValueError, FIRST), ((None, V), {}, ValueError, FIRST),
    ((Rect(), V), {}, ValueError, FIRST), (((1, 2), (1, 2, 3)), {}, ValueError, SECOND),
    ((V, Vector4()), {}, ValueError, SECOND), ((1, 2, 3, "a"), {}, TypeError, None),
    ((["a", 2, 3, 4],), {}, TypeError, None), ((V, (1, None)), {}, TypeError, None),
])
def test_refused_forms(args, kwargs, error, message):
    with pytest.raises(error) as caught:
        Rect(*args, **kwargs)
    assert type(caught.value) is error and message in (None, str(caught.value))


def test_empty_keyword_dictionary_is_accepted():
    assert xywh(Rect(1, 2, 3, 4, **{})) == (1, 2, 3, 4)


class BrokenW(Vector4):
    w = property(lambda self: "w")


# Calling __init__ again on a live rect: a failure keeps whatever was stored before it.
@pytest.mark.parametrize("args, kwargs, expected", [
    ((1, 2, 3), {}, (10, 20, 30, 40)), ((), {"position": V}, (10, 20, 30, 40)),
    ((None,), {}, (10, 20, 30, 40)), (([1, 2, 3, 4, 5],), {}, (10, 20, 30, 40)),
    ((1, "a", 3, 4), {}, (10, 20, 30, 40)), ((Vector4(1, 2, 3, 4), None), {}, (10, 20, 30, 40)),
    (([1, 2, 3, "a"],), {}, (1, 2, 30, 40)), ((1, 2, 3, "a"), {}, (1, 2, 30, 40)),
    (((1, 2), (1, 2, 3)), {}, (1, 2, 30, 40)), (((1, 2), None), {}, (1, 2, 30, 40)),
    ((BrokenW(1, 2, 3, 4),), {}, (1, 2, 30, 40)),
])
def test_failed_reinitialisation_keeps_earlier_stores(args, kwargs, expected):
    rect = Rect(10, 20, 30, 40)
    size = rect.size
    with pytest.raises((TypeError, ValueError)):
        rect.__init__(*args, **kwargs)
    assert xywh(rect) == expected and rect.size is size


def test_reinitialisation_releases_old_vectors_without_changing_them():
    p, s = Vector2(1, 2), Vector2(3, 4)
    rect = Rect(p, s)
    rect.__init__(5, 6, 7, 8)
    assert rect.position is not p and rect.size is not s
    assert (xy(p), xy(s), xywh(rect)) == ((1, 2), (3, 4), (5, 6, 7, 8))
