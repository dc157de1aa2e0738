"""Collision questions over many rects in one call, with exactly the answers and errors of
a loop over the `Rect` methods `collide_point` and `collide_rect`.

`rects` is any iterable of `Rect`. An item that is not a `Rect` raises TypeError naming its
index and its type, with the module unless it is a builtin
("rects[1] must be tessel.rect.rect.Rect, not pygame.rect.Rect", "... not float"); a single
`Rect` given where the iterable belongs raises TypeError "expected an iterable of
tessel.rect.rect.Rect, got a single Rect", and is not read. An error raised while testing a
rect carries a note naming it (`while testing rects[3]`). A rect made of two exact
`Vector2` is read once per call, from the vectors themselves; any other rect is asked
through its own method.
"""

from array import array
from collections.abc import Iterable, Sequence
from typing import Literal, overload

from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

_Point = Vector2 | Sequence[float]
_Other = Rect | Vector4 | Sequence[float]

def point_hits(rects: Iterable[Rect], point: _Point, /) -> list[int]:
    """The indices `i` of the rects that contain the point, ascending: those for which
    `rects[i].collide_point(point)` is true (borders inside).

    `point` takes every form `Rect.collide_point` takes, with its errors; it is read once,
    before the first rect, and not at all when there are no rects.
    """
def rect_hits(rects: Iterable[Rect], other: _Other, /) -> list[int]:
    """The indices `i` of the rects that overlap `other`, ascending: those for which
    `rects[i].collide_rect(other)` is true (touching is no overlap).

    `other` takes every form `Rect.collide_rect` takes, with its errors; it is read once,
    before the first rect, and not at all when there are no rects.
    """
def first_rect_hit(rects: Iterable[Rect], other: _Other, /) -> int:
    """The index of the first rect that overlaps `other`, or -1 when none does; the rects
    after it are not tested. Arguments as for `rect_hits`.
    """
@overload
def overlapping_pairs(
    rects: Iterable[Rect], /, *, flat: Literal[False] = False
) -> list[tuple[int, int]]:
    """Every pair `(i, j)`, `i < j`, such that `rects[i].collide_rect(rects[j])`, sorted.

    With `flat=True`, the same pairs as one `array('I')` of i0, j0, i1, j1, ... in the same
    order, without a Python object per pair (`numpy.frombuffer` wraps it without copying).

    Each call picks a uniform grid or a sort and sweep along one axis from the boxes it is
    given, and falls back to an interval-tree sweep for inputs that defeat both: O(n + k)
    memory for n rects and k pairs, and O(n log n + k) time for rects with positive sizes
    (rects with zero or negative sizes can add pairs that are examined and rejected).
    """
@overload
def overlapping_pairs(rects: Iterable[Rect], /, *, flat: Literal[True]) -> array[int]: ...
@overload
def overlapping_pairs(
    rects: Iterable[Rect], /, *, flat: bool
) -> list[tuple[int, int]] | array[int]: ...
@overload
def overlapping_pairs_between(
    a: Iterable[Rect], b: Iterable[Rect], /, *, flat: Literal[False] = False
) -> list[tuple[int, int]]:
    """Every pair `(i, j)` such that `a[i].collide_rect(b[j])`, sorted. An error raised
    while testing carries the note `while testing a[i] against b[j]`. `flat=True` gives the
    pairs as one `array('I')`, as for `overlapping_pairs`.
    """
@overload
def overlapping_pairs_between(
    a: Iterable[Rect], b: Iterable[Rect], /, *, flat: Literal[True]
) -> array[int]: ...
@overload
def overlapping_pairs_between(
    a: Iterable[Rect], b: Iterable[Rect], /, *, flat: bool
) -> list[tuple[int, int]] | array[int]: ...
