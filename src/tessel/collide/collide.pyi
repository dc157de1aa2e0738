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

The point or rect asked about takes every form the method takes, with its errors, and,
where the method would refuse it, any other sequence or buffer of two (four) numbers, read
as (x, y) (or x, y, w, h) by the vectors' rule: another library's point or rect (a
`pygame.Rect`), a numpy array, an `array.array`. What is neither raises the method's
ValueError ("Point must be a Vector2, tuple, or list of length 2", "rect for collision must
be a Rect, Vector4, tuple, or list of length 4").

For many questions a frame about the same rects, `Index` keeps their boxes and answers with
your own objects.
"""

from array import array
from types import GenericAlias
from collections.abc import Buffer, Iterable, Iterator, Sequence
from typing import Any, Generic, Literal, Protocol, SupportsFloat, SupportsIndex, final, overload

from typing_extensions import TypeVar

from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

class _Numbers(Protocol):
    """Any sequence with a length, of numbers: another library's point or rect."""

    def __len__(self) -> int: ...
    def __getitem__(self, i: int, /) -> SupportsFloat | SupportsIndex: ...

_Point = Vector2 | Sequence[float] | _Numbers | Buffer
_Other = Rect | Vector4 | Sequence[float] | _Numbers | Buffer

def point_hits(rects: Iterable[Rect], point: _Point, /) -> list[int]:
    """The indices `i` of the rects that contain the point, ascending: those for which
    `rects[i].collide_point(point)` is true (borders inside).

    `point` takes every form `Rect.collide_point` takes, with its errors, and any other
    sequence or buffer of two numbers; it is read once, before the first rect, and not at
    all when there are no rects.
    """
def rect_hits(rects: Iterable[Rect], other: _Other, /) -> list[int]:
    """The indices `i` of the rects that overlap `other`, ascending: those for which
    `rects[i].collide_rect(other)` is true (touching is no overlap).

    `other` takes every form `Rect.collide_rect` takes, with its errors, and any other
    sequence or buffer of four numbers (x, y, w, h); it is read once, before the first rect,
    and not at all when there are no rects.
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

_Offset = Vector2 | Sequence[float]

# The type of an index's values, what its queries answer with: the rects themselves for an
# index made without values.
_V = TypeVar("_V", default=Rect)
_W = TypeVar("_W")

@final
class Index(Generic[_V]):
    """A set of rects, each with a value, and their boxes as read at the last `refresh`,
    `move` or `add`: many queries a frame over packed boxes, answered with the values.

    Answers are those of `Rect.collide_point` and `Rect.collide_rect` (and of this module's
    functions, which use them) for the positions and sizes read then; a rect moved by other
    code is seen after the next `refresh`. A query visits a few cells of a grid over the
    boxes, whatever their number; `refresh` reads every rect once and keeps the grid while
    the boxes stay near their cells. Values are compared by nothing, only returned; the
    rects, by identity.

    For type checkers the index is generic over its values: `Index(rects, enemies)` is an
    `Index[Enemy]`, whose queries return `list[Enemy]` and `Enemy | None`; `Index(rects)`
    answers with the rects, an `Index[Rect]`. `Index[Enemy]` works at run time too (in
    `cast()`, in annotations evaluated), as a generic alias of the class.

    Members keep the order they were added in: `add` appends, `remove` takes one member out
    and keeps the order of the others, and a rect added twice is two members. Iteration,
    `values()`, `rects()` and the rows of `boxes` all follow that order.
    """

    @overload
    def __init__(self, rects: Iterable[Rect], values: Iterable[_V]) -> None:
        """An index of `rects` (any iterable of `Rect`, each read once, now), whose queries
        answer with the matching item of `values` (as many as rects), or with the rect
        itself when `values` is None.

        An item that is not a `Rect` raises TypeError naming its index and its type, as the
        functions do, and so does a single `Rect` given for `rects`; a rect that cannot be
        read raises its error with a note naming it (`while reading rects[3]`). Calling
        `__init__` again replaces what the index holds.
        """
    @overload
    def __init__(self: Index[Rect], rects: Iterable[Rect], values: None = None) -> None: ...
    @overload
    def __init__(self) -> None: ...
    def __len__(self) -> int:
        """The number of rects in the index (a rect added twice counts twice)."""
    @overload
    def add(self, rect: Rect, value: _V) -> None:
        """Adds `rect`, read now, with `value` (the rect itself when None): queries see it at
        once, after the rects added before it."""
    @overload
    def add(self: Index[Rect], rect: Rect, value: None = None) -> None: ...
    def remove(self, rect: Rect, /) -> None:
        """Removes the earliest-added member holding this very rect (by identity, never by
        value); ValueError if there is none."""
    def refresh(self) -> None:
        """Reads every rect's position and size again: an exact `Vector2` from its record,
        any other vector through its attribute access, each value converted to a float. On
        an error (noted `while reading rects[i]`) the index keeps its previous boxes."""
    def move(self, offsets: _Offset | Iterable[_Offset], /) -> None:
        """Adds an offset to each rect's position, exactly as
        `for r, v in zip(rects, offsets): r.position += v` would, in the order added, then
        refreshes.

        `offsets` is one offset for every rect (a `Vector2`, or a sequence whose first item
        is a number: `(dx, dy)`, `[dx, dy]`, a numpy array of 2) or a sequence of one offset
        per rect, in the order added; ValueError for any other number of them. A vector
        shared by several rects moves once per rect that holds it, as in the loop. On an
        error (noted `while moving rects[i]`) the rects before it have moved, and the index
        keeps its previous boxes until the next refresh.
        """
    def point_hits(self, point: _Point, /) -> list[_V]:
        """The values of the rects that contain `point` (borders inside), in the order added.
        `point` takes every form `Rect.collide_point` takes, with its errors, and any other
        sequence or buffer of two numbers; it is read once, even when the index is empty."""
    def rect_hits(self, other: _Other, /) -> list[_V]:
        """The values of the rects that overlap `other` (touching is no overlap), in the
        order added. `other` takes every form `Rect.collide_rect` takes, with its errors,
        and any other sequence or buffer of four numbers, and is read as it is now (a rect
        of the index too)."""
    def first_rect_hit(self, other: _Other, /) -> _V | None:
        """The value of the earliest-added rect that overlaps `other`, or None."""
    @overload
    def overlapping_pairs(self, *, flat: Literal[False] = False) -> list[tuple[_V, _V]]:
        """Every pair of values `(a, b)` whose rects overlap, `a` added before `b`, in the
        order `overlapping_pairs` gives their places.

        With `flat=True`, the places instead (0 for the first rect added, and so on): one
        `array('I')` of i0, j0, i1, j1, ..., as the module's function gives them.
        """
    @overload
    def overlapping_pairs(self, *, flat: Literal[True]) -> array[int]: ...
    @overload
    def overlapping_pairs(self, *, flat: bool) -> list[tuple[_V, _V]] | array[int]: ...
    @overload
    def overlapping_pairs_between(
        self, other: Index[_W], /, *, flat: Literal[False] = False
    ) -> list[tuple[_V, _W]]:
        """Every pair `(a, b)` of a value of this index and one of `other` whose rects
        overlap, in the order `overlapping_pairs_between` gives their places; with
        `flat=True`, the places as one `array('I')`.

        `other` may also be any iterable of `Rect`, taken as `Index(other)` would take it
        (each item a `Rect`, each read once, now: TypeError "other[1] must be
        tessel.rect.rect.Rect, not list", a note `while reading other[3]`), whose values are
        its rects: the pairs are then `(value, rect)`.
        """
    @overload
    def overlapping_pairs_between(
        self, other: Iterable[Rect], /, *, flat: Literal[False] = False
    ) -> list[tuple[_V, Rect]]: ...
    @overload
    def overlapping_pairs_between(
        self, other: Index[Any] | Iterable[Rect], /, *, flat: Literal[True]
    ) -> array[int]: ...
    @overload
    def overlapping_pairs_between(
        self, other: Index[_W], /, *, flat: bool
    ) -> list[tuple[_V, _W]] | array[int]: ...
    @overload
    def overlapping_pairs_between(
        self, other: Iterable[Rect], /, *, flat: bool
    ) -> list[tuple[_V, Rect]] | array[int]: ...
    @property
    def boxes(self) -> memoryview[float]:
        """The boxes as last read: a read-only `memoryview` of shape (n, 4) and format 'd',
        x, y, w, h per rect in the order added, so that `numpy.asarray(ix.boxes)` shares
        them without copying.

        A view keeps the boxes it shows: a later refresh, move, add or remove makes new
        ones, and the view (and its memory) stays as it was for as long as it lives.
        """

    def __iter__(self) -> Iterator[tuple[Rect, _V]]:
        """Iterates `(rect, value)` for every member, in the order added (a rect added twice
        comes twice): the rows of `boxes`, in order.

        The members are taken when iteration starts: the loop may add, remove, clear or
        refresh, and goes on over the members as they were then (so
        `for rect, value in index: index.remove(rect)` empties the index).
        """
    def __contains__(self, rect: object, /) -> bool:
        """Whether this very rect is a member (by identity, never by value)."""
    def values(self) -> list[_V]:
        """The values of the members, in the order added: item `i` belongs to row `i` of
        `boxes`.

        A new list each call, of the members as they are then.
        """
    def rects(self) -> list[Rect]:
        """The rects of the members, in the order added: item `i` is the rect of row `i` of
        `boxes`.

        A new list each call: the rects themselves, not copies.
        """
    def clear(self) -> None:
        """Removes every member: the index is empty, as `Index()` is."""
    @classmethod
    def __class_getitem__(cls, item: Any, /) -> GenericAlias:
        """`Index[Enemy]` at run time: a generic alias of the class, for `cast()` and for
        annotations that are evaluated."""
