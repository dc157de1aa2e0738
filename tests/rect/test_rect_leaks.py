"""Reference and memory leaks: every operation, on its success and failure paths, leaves
the interpreter's total reference count and allocated blocks where they were.

Runs on a debug interpreter (one with sys.gettotalrefcount); skipped elsewhere.
"""

import copy
import sys

import pytest

from conftest import growth
from tessel.rect.rect import Rect, __pyx_unpickle_Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

pytestmark = [
    pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"), reason="needs a debug interpreter"),
    pytest.mark.thread_unsafe(reason="measures process-wide reference and block counts"),
]


class Shrinking(float):
    """A coordinate whose comparison empties the list that holds it."""

    target = None

    def __le__(self, other):
        if Shrinking.target is not None:
            Shrinking.target.clear()
        return float(self) <= other

    __lt__ = __le__
    __ge__ = __le__
    __gt__ = __le__


def shrink_point():
    point = [Shrinking(1.0), Shrinking(1.0)]
    Shrinking.target = point
    return point


R = Rect(1, 2, 3, 4)
EMPTY = Rect.__new__(Rect)
V2 = Vector2(1, 2)
V4 = Vector4(1, 2, 3, 4)


def raises(f, *args):
    def call():
        try:
            f(*args)
        except Exception:
            pass

    return call


def assign(name, value):
    return raises(setattr, Rect(1, 2, 3, 4), name, value)


OPERATIONS = {
    "construct forms": lambda: [
        Rect(), Rect(V2), Rect(R), Rect(V4), Rect((1, 2, 3, 4)), Rect([1, 2, 3, 4]),
        Rect((1, 2), V2), Rect(V2, [3, 4]), Rect(1, 2, 3, 4),
    ],
    "construct errors": lambda: [
        raises(Rect, 1, 2, 3)(), raises(Rect, "abcd")(), raises(Rect, (1, 2), (1, 2, 3))(),
        raises(Rect, 1, 2, 3, "x")(), raises(lambda: Rect(position=1))(),
    ],
    "read properties": lambda: [
        (R.x, R.y, R.w, R.h, R.width, R.height, R.left, R.top, R.right, R.bottom,
         R.centerx, R.centery, R.center, R.position, R.size, R.get_width(), R.get_height())
    ],
    "write properties": lambda: [
        assign(name, value)()
        for name, value in [("x", 1), ("right", 5), ("centery", 2.5), ("center", (1, 2)),
                            ("center", V2), ("center", {0: 1, 1: 2}), ("position", V2),
                            ("size", None)]
    ],
    "property errors": lambda: [
        raises(getattr, EMPTY, "right")(), raises(getattr, EMPTY, "center")(),
        assign("right", "x")(), assign("center", "ab")(), assign("center", ())(),
        assign("position", (1, 2))(), raises(delattr, R, "x")(), raises(R.get_width, 1)(),
    ],
    "point collision": lambda: [
        R.collide_point((2, 3)), R.collide_point([9, 9]), R.collide_point(V2),
        R.collide_point_vector2(V2), R.collide_point_tuple((2, 3)), R.collide_point_list([2, 3]),
    ],
    "point collision errors": lambda: [
        raises(R.collide_point, (1, 2, 3))(), raises(R.collide_point, ("a", 1))(),
        raises(R.collide_point_tuple, (1,))(), raises(R.collide_point_list, None)(),
        raises(R.collide_point_list, shrink_point())(), raises(EMPTY.collide_point, (1, 2))(),
    ],
    "rect collision": lambda: [
        R.collide_rect(R), R.collide_rect(V4), R.collide_rect((0, 0, 5, 5)),
        R.collide_rect_rect(R), R.collide_rect_vector4(V4), R.collide_rect_tuple((0, 0, 5, 5)),
        R.collide_rect_list([0, 0, 5, 5]),
    ],
    "rect collision errors": lambda: [
        raises(R.collide_rect, 7)(), raises(R.collide_rect_rect, None)(),
        raises(R.collide_rect_tuple, (1, 2))(), raises(R.collide_rect_vector4, None)(),
    ],
    "sequence": lambda: [
        list(R), R[True], R[2.9], raises(R.__getitem__, 4)(), raises(R.__getitem__, "a")(),
        raises(R.__getitem__, 2**40)(), raises(Rect(1, 2, 3, 4).__setitem__, 7, 1.0)(),
        raises(R.__delitem__, 0)(), Rect(1, 2, 3, 4).__setitem__(0, 0.1),
    ],
    "conversion and equality": lambda: [
        R.get_vector4(), R.get_tuple(), repr(R), repr(EMPTY), R == Rect(1, 2, 3, 4),
        R != Rect(1, 2, 3, 5), R == (1, 2, 3, 4), raises(lambda: R < R)(),
        raises(lambda: EMPTY == R)(), raises(EMPTY.get_vector4)(), raises(EMPTY.get_tuple)(),
    ],
    "pickling": lambda: [
        # The pickler's own caches grow slowly; the copy module drives the same hooks.
        copy.copy(R), copy.deepcopy(R), copy.copy(EMPTY), R.__reduce__(),
        __pyx_unpickle_Rect(Rect, 92479533, (V2, V2)),
        raises(__pyx_unpickle_Rect, Rect, 0, None)(), raises(__pyx_unpickle_Rect, int, 92479533, None)(),
        raises(Rect(1, 2, 3, 4).__setstate__, (None, 5))(), raises(R.__setstate__, (V2,))(),
        raises(Rect(1, 2, 3, 4).__setstate__, (V2, V2, {1: 2}))(),
    ],
    "reference cycle": lambda: _cycle(),
}


def _cycle():
    class Holder(Vector2):
        pass

    h = Holder(1, 2)
    h.rect = Rect(h, h)


@pytest.mark.parametrize("name", OPERATIONS)
def test_operations_do_not_leak(name):
    operation = OPERATIONS[name]
    rounds = 400
    refs, blocks = growth(operation, rounds)
    # One leaked reference per call would show as `rounds`; allow a little one-time noise.
    assert refs < rounds // 10, f"{refs} references leaked"
    assert blocks < rounds // 10, f"{blocks} blocks leaked"
