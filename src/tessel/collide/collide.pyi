from array import array
from collections.abc import Iterable, Sequence
from typing import Literal, overload

from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

_Point = Vector2 | Sequence[float]
_Other = Rect | Vector4 | Sequence[float]

def point_hits(rects: Iterable[Rect], point: _Point, /) -> list[int]: ...
def rect_hits(rects: Iterable[Rect], other: _Other, /) -> list[int]: ...
def first_rect_hit(rects: Iterable[Rect], other: _Other, /) -> int: ...
@overload
def overlapping_pairs(
    rects: Iterable[Rect], /, *, flat: Literal[False] = False
) -> list[tuple[int, int]]: ...
@overload
def overlapping_pairs(rects: Iterable[Rect], /, *, flat: Literal[True]) -> array[int]:
    """With flat=True, the same pairs as an array('I') of i0, j0, i1, j1, ..."""
@overload
def overlapping_pairs(
    rects: Iterable[Rect], /, *, flat: bool
) -> list[tuple[int, int]] | array[int]: ...
@overload
def overlapping_pairs_between(
    a: Iterable[Rect], b: Iterable[Rect], /, *, flat: Literal[False] = False
) -> list[tuple[int, int]]: ...
@overload
def overlapping_pairs_between(
    a: Iterable[Rect], b: Iterable[Rect], /, *, flat: Literal[True]
) -> array[int]:
    """With flat=True, the same pairs as an array('I') of i0, j0, i1, j1, ..."""
@overload
def overlapping_pairs_between(
    a: Iterable[Rect], b: Iterable[Rect], /, *, flat: bool
) -> list[tuple[int, int]] | array[int]: ...
