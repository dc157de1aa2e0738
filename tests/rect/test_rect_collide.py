"""Collision: a point is inside when it lies within the rect or on its border; two rects
overlap only when they share interior, never by touching."""

import itertools
import math

import pytest

from rect_support import ListSub, Rect, TupleSub, Vector2, Vector4, bare, probe, probed_rect

NAN = math.nan
NO_POINT = "Point must be a Vector2, tuple, or list of length 2"
NO_RECT = "rect for collision must be a Rect, Vector4, tuple, or list of length 4"
NOT_SUBSCRIPTABLE = "'NoneType' object is not subscriptable"

POINT_FORMS = {
    "general-tuple": lambda r, p: r.collide_point(tuple(p)),
    "general-list": lambda r, p: r.collide_point(list(p)),
    "general-vector2": lambda r, p: r.collide_point(Vector2(*p)),
    "keyword": lambda r, p: r.collide_point(point=TupleSub(p)),
    "vector2": lambda r, p: r.collide_point_vector2(Vector2(*p)),
    "tuple": lambda r, p: r.collide_point_tuple(tuple(p)),
    "list": lambda r, p: r.collide_point_list(list(p)),
}


@pytest.mark.parametrize("form", POINT_FORMS)
@pytest.mark.parametrize("rect, point, inside", [
    ((0, 0, 10, 10), (5, 5), True), ((0, 0, 10, 10), (0, 0), True),
    ((0, 0, 10, 10), (10, 10), True), ((0, 0, 10, 10), (10, 0), True),
    ((0, 0, 10, 10), (0, 10), True), ((0, 0, 10, 10), (5, 10), True),
    ((0, 0, 10, 10), (10.5, 5), False), ((0, 0, 10, 10), (-0.5, 5), False),
    ((0, 0, 10, 10), (5, 10.5), False), ((0, 0, 10, 10), (5, -0.5), False),
    ((0, 0, 10, 10), (NAN, 5), False), ((0, 0, 10, 10), (5, NAN), False),
    ((NAN, 0, 10, 10), (5, 5), False), ((0, 0, 10, NAN), (5, 5), False),
    ((3, 4, 0, 0), (3, 4), True), ((3, 4, 0, 0), (3, 4.5), False),
    ((-2, -2, 2, 2), (-1, -1), True), ((0, 0, -5, 5), (-2, 2), False),
    ((0, 0, 5, -5), (0, 0), False), ((0.5, 0.25, 1, 1), (1.5, 1.25), True),
])
def test_point_inside_borders_included(form, rect, point, inside):
    assert POINT_FORMS[form](Rect(*rect), point) is inside


RECT_FORMS = {
    "general-rect": lambda r, o: r.collide_rect(Rect(*o)),
    "general-vector4": lambda r, o: r.collide_rect(Vector4(*o)),
    "general-tuple": lambda r, o: r.collide_rect(tuple(o)),
    "general-list": lambda r, o: r.collide_rect(list(o)),
    "keyword": lambda r, o: r.collide_rect_list(other=list(o)),
    "rect": lambda r, o: r.collide_rect_rect(Rect(*o)),
    "vector4": lambda r, o: r.collide_rect_vector4(Vector4(*o)),
    "tuple": lambda r, o: r.collide_rect_tuple(tuple(o)),
    "list": lambda r, o: r.collide_rect_list(list(o)),
}


@pytest.mark.parametrize("form", RECT_FORMS)
@pytest.mark.parametrize("other, overlap", [
    ((5, 5, 1, 1), True), ((0, 0, 10, 10), True), ((-5, -5, 20, 20), True),
    ((9.5, 9.5, 1, 1), True), ((10, 0, 5, 5), False), ((-5, 0, 5, 5), False),
    ((0, 10, 5, 5), False), ((0, -5, 5, 5), False), ((10, 10, 1, 1), False),
    ((5, 5, 0, 0), True), ((0, 5, 0, 0), False), ((5, 5, -2, -2), True),
    ((12, 5, -4, 1), False), ((-1, -1, 2, 2), True), ((20, 20, 1, 1), False),
    ((NAN, 5, 1, 1), False), ((5, 5, 1, NAN), False),
])
def test_rects_overlap_only_with_shared_interior(form, other, overlap):
    assert RECT_FORMS[form](Rect(0, 0, 10, 10), other) is overlap
    assert RECT_FORMS[form](Rect(0, 0, 10, NAN), other) is False


def test_overlap_is_symmetric_and_the_same_in_every_form():
    values = [-3, 0, 2.5, 4]
    bounds = list(itertools.product(values, values, [-2, 0, 3], [0, 5]))
    for a, o in itertools.product([Rect(*b) for b in bounds[::5]], bounds):
        b = Rect(*o)
        answer = a.collide_rect(b)
        assert b.collide_rect(a) == answer
        assert a.collide_rect_rect(b) == a.collide_rect_tuple(o) == answer
        assert a.collide_rect_vector4(Vector4(*o)) == a.collide_rect_list(list(o)) == answer


@pytest.mark.parametrize("w, h", list(itertools.product([-1, 0, 1], repeat=2)))
def test_rect_overlaps_itself_only_with_positive_size(w, h):
    rect = Rect(0, 0, w, h)
    assert rect.collide_rect(rect) is (w > 0 and h > 0)


class Padded(TupleSub):
    def __len__(self):
        return 2


class Scaled(ListSub):
    def __getitem__(self, index):
        return 100 * list.__getitem__(self, index)


# Typed forms compare and add the values as given, without a length test or conversion; the
# general forms convert, and honour a subclass's own length and items.
@pytest.mark.parametrize("method, argument, result", [
    ("collide_point_tuple", (1, 2, 3), True), ("collide_point_list", [5, 11, "x"], False),
    ("collide_point_tuple", (10 ** 400, 1), False), ("collide_point", ListSub([1, 2]), True),
    ("collide_point_vector2", probe(5, 5), True), ("collide_point", Padded((5, 5, 5)), True),
    ("collide_point", Scaled([1, 1]), False), ("collide_rect_tuple", (1, 2, 3, 4, 5), True),
    ("collide_rect_list", [11, 2, 3, 4, "x"], False),
    ("collide_rect", TupleSub((1, 2, 3, 4)), True),
    ("collide_rect_tuple", (10 ** 400, 0, -10 ** 400, 1), False),
])
def test_each_form_reads_the_values_its_own_way(method, argument, result):
    assert getattr(Rect(0, 0, 10, 10), method)(argument) is result


@pytest.mark.parametrize("method, argument, error, message", [
    *[("collide_point", bad, ValueError, NO_POINT)
      for bad in [(1, 2, 3), [1], (), None, 4, "ab", Vector4(), Rect()]],
    ("collide_point", ("a", 1), TypeError, "must be real number, not str"),
    ("collide_point", (10 ** 400, 1), OverflowError, None),
    ("collide_point_tuple", ("a", 1), TypeError, "not supported between instances of"),
    *[(method, None, TypeError, NOT_SUBSCRIPTABLE) for method in
      ["collide_point_tuple", "collide_point_list", "collide_rect_tuple", "collide_rect_list"]],
    *[(method, short, IndexError, None) for method, short in [
        ("collide_point_tuple", (1,)), ("collide_point_tuple", ()), ("collide_point_list", [1]),
        ("collide_point_list", []), ("collide_rect_tuple", (1, 2, 3)), ("collide_rect_tuple", ()),
        ("collide_rect_list", [1, 2, 3])]],
    ("collide_point_vector2", None, AttributeError, "no attribute 'x'"),
    ("collide_point_list", ListSub([1, 2]), TypeError, "(expected list, got ListSub)"),
    *[("collide_rect", bad, ValueError, NO_RECT)
      for bad in [(1, 2, 3), [1, 2, 3, 4, 5], None, 7, Vector2(), "abcd"]],
    ("collide_rect", (0, 0, "w", 1), TypeError, "must be real number, not str"),
    ("collide_rect_tuple", (0, 0, "w", 1), TypeError, "unsupported operand"),
    ("collide_rect", (10 ** 400, 0, 1, 1), OverflowError, None),
    ("collide_rect_tuple", TupleSub((0, 0, 1, 1)), TypeError, "(expected tuple, got TupleSub)"),
    ("collide_rect_list", ListSub([0, 0, 1, 1]), TypeError, "(expected list, got ListSub)"),
    ("collide_rect_vector4", None, AttributeError, "no attribute 'x'"),
    ("collide_rect_rect", None, AttributeError, "no attribute 'position'"),
    ("collide_rect_rect", bare(), AttributeError, "no attribute 'x'"),
    ("collide_rect", bare(), AttributeError, "no attribute 'x'"),
])
def test_unusable_arguments(method, argument, error, message):
    with pytest.raises(error) as caught:
        getattr(Rect(0, 0, 10, 10), method)(argument)
    assert type(caught.value) is error
    assert message is None or message in str(caught.value)


class Clearing:
    """A coordinate whose comparisons and sums empty the list that holds it."""

    def __init__(self, holder):
        self.holder = holder

    def _clear(self, *_):
        self.holder.clear()
        return True

    __le__ = __lt__ = __ge__ = __gt__ = _clear

    def __add__(self, other):
        self.holder.clear()
        return 100.0


@pytest.mark.parametrize("method, size", [("collide_point_list", 2), ("collide_rect_list", 4)])
def test_list_emptied_during_the_test_raises_index_error(method, size):
    holder = []
    holder.extend(Clearing(holder) for _ in range(size))
    with pytest.raises(IndexError):
        getattr(Rect(0, 0, 10, 10), method)(holder)


def test_point_is_checked_before_the_rect_is_read():
    with pytest.raises(ValueError):
        bare().collide_point("ab")
    with pytest.raises(AttributeError):
        bare().collide_point((1, 2))


# Each comparison reads what it needs when it needs it, and a false one ends the test.
@pytest.mark.parametrize("call, expected", [
    (lambda r, log: r.collide_point(probe(5, 5, log, "pt")),
     "pt.x pt.y pos.x pos.x size.x pos.y pos.y size.y"),
    (lambda r, log: r.collide_point((-5, 5)), "pos.x"),
    (lambda r, log: r.collide_point_tuple((5, -5)), "pos.x pos.x size.x pos.y"),
    (lambda r, log: r.collide_point_vector2(probe(5, 5, log, "pt")),
     "pos.x pt.x pos.x size.x pos.y pt.y pos.y size.y"),
    (lambda r, log: r.collide_rect(Rect(probe(1, 2, log, "o.pos"), probe(3, 4, log, "o.size"))),
     "o.pos.x o.pos.y o.size.x o.size.y pos.x pos.x size.x pos.y pos.y size.y"),
    (lambda r, log: r.collide_rect_list([20, 5, 1, 1]), "pos.x pos.x size.x"),
    (lambda r, log: r.collide_rect_vector4(Vector4(5, -9, 1, 1)), "pos.x pos.x size.x pos.y"),
    (lambda r, log: r.collide_rect_rect(Rect(probe(1, 2, log, "o.pos"),
                                             probe(3, 4, log, "o.size"))),
     "pos.x o.pos.x o.size.x o.pos.x pos.x size.x pos.y o.pos.y o.size.y o.pos.y pos.y size.y"),
    (lambda r, log: r.collide_rect_rect(Rect(probe(-9, 2, log, "o.pos"), Vector2(1, 1))),
     "pos.x o.pos.x"),
])
def test_values_are_read_when_each_comparison_needs_them(call, expected):
    rect, log = probed_rect(0.0, 0.0, 10.0, 10.0)
    assert call(rect, log) is expected.endswith("size.y")
    assert log == expected.split()
