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

Lines of sight (`raycast`, `segment_hits`, and the `Index` methods of the same names) follow
one rule. A segment from `start` to `end` is the points p(t) = start + t * (end - start),
t in [0, 1]; it meets a rect where some p(t) lies in it by the closed rule of
`Rect.collide_point`, on the edges its properties compute (right = x + w in double
precision): so a rect with a negative or NaN size is never met, and a zero-size rect is met
where the segment passes through its point. Its entry is the least such t, reported as a
`Hit`. A segment of zero length is a point query; one of non-zero length with a NaN or
infinite coordinate meets nothing. Every decision (met or not, the side entered, the order)
is exact; see `Hit` for what each field holds.

Motion (`sweep`, and the `Index` methods `sweep` and `slide`) follows one rule too. A rect
moved by `offset` = (dx, dy) is, for s in [0, 1], the rect of position
`position + s * offset` (exact reals) and its own size; its contact with a rect `b` is the
least s at which it would start to overlap `b` by `collide_rect`'s open rule: then they
touch without overlapping. There is no contact when they never overlap along the path, or
only from s = 1 on (moving exactly into contact is no hit); a rect that overlaps `b` where
it stands has its contact at s = 0 with the normal (0, 0). Every decision is exact.
"""

from array import array
from types import GenericAlias
from collections.abc import Buffer, Iterable, Iterator, Sequence
from typing import (Any, Generic, Literal, Protocol, SupportsFloat, SupportsIndex, final, overload,
                    type_check_only)

from _typeshed import structseq
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

# What a Hit holds as its value: the rect's index for the module's functions, the member's
# value for an Index.
_H = TypeVar("_H", covariant=True, default=Any)

@final
class Hit(structseq[Any], tuple[_H, float, tuple[float, float], tuple[float, float]]):
    """Where a segment meets a rect: `value` (what was hit), `t`, `point` and `normal`, as a
    named, immutable tuple (`value, t, point, normal = hit`).

    `t` is the entry, the least t at which the segment's point lies in the rect; `point` is
    that point, with the coordinate of the side entered exactly on its edge (`x`, or
    `x + w` in double precision; likewise on y) and the other within the rect's span;
    `normal` is the outward normal of that side: (-1, 0) left, (1, 0) right, (0, -1) top,
    (0, 1) bottom, y growing downwards. A segment that starts inside the rect (or on its
    border) has `t` 0, its start as `point`, and the normal (0, 0). Through a corner (both
    axes entered at the same t) the normal is that of the axis along which the segment
    moves less (x when `abs(dx) < abs(dy)`), y on a tie.

    The decisions are exact. `t` is the exact entry correctly rounded, and so is the
    point's other coordinate, wherever the differences end - start are exact on both axes
    and no product of differences overflows or underflows (for instance for coordinates
    that are multiples of 1/8 below 2**20, and single-precision values of similar
    magnitude): each is the quotient of an exact sum, (edge - s) / d and
    `(s_o * d + (edge - s) * d_o) / d`, rounded once.
    Floats throughout are doubles. Struct sequences pickle by their type's module and name.
    """

    __match_args__ = ("value", "t", "point", "normal")
    @property
    def value(self) -> _H:
        """What was hit: the rect's index in `rects` for the module's functions, the member's
        value for an `Index`."""
    @property
    def t(self) -> float:
        """Where along the segment it was hit: the point is start + t * (end - start),
        0 <= t <= 1."""
    @property
    def point(self) -> tuple[float, float]:
        """The point hit, (x, y) as floats: on the side entered, exactly on its edge; the start
        itself when the segment starts inside."""
    @property
    def normal(self) -> tuple[float, float]:
        """The outward normal of the side entered, (nx, ny) as floats: (-1, 0) left, (1, 0)
        right, (0, -1) top, (0, 1) bottom (y grows downwards); (0, 0) when the segment
        starts inside the rect."""

def raycast(rects: Iterable[Rect], start: _Point, end: _Point, /) -> Hit[int] | None:
    """The first rect the segment from `start` to `end` meets, as a `Hit` whose `value` is
    its index: the hit of least `t`, the lowest index among equal ones; None when it
    meets none.

    `start` and `end` take every form `Rect.collide_point` takes, with its errors; each is
    read once, before the first rect, and not at all when there are no rects (as the other
    functions read their argument). Each rect's four values are read as an `Index` reads
    them: from its exact vectors' records, else through its attribute access; an error
    carries a note naming the rect (`while reading rects[3]`). Items that are not `Rect`
    raise TypeError as for the other functions.
    """
def segment_hits(rects: Iterable[Rect], start: _Point, end: _Point, /) -> list[Hit[int]]:
    """Every rect the segment from `start` to `end` meets, as a list of `Hit` ordered by `t`,
    then by index.

    Arguments as for `raycast`.
    """

_Offset = Vector2 | Sequence[float]

def sweep(rects: Iterable[Rect], moving: _Other, offset: _Offset, /) -> Hit[int] | None:
    """The first rect that `moving`, moved by `offset`, would come to overlap, as a `Hit` whose
    `value` is its index: the contact of least `t`, the lowest index among equal ones; None
    when it meets none.

    `t` is the contact's s; `point` the moving rect's position there, exactly touching on
    the axis of the normal (`b.x - w`, `b.x + b.w`, `b.y - h` or `b.y + b.h` in double
    precision), the other coordinate where the motion puts it; `normal` the outward normal
    of the side of `b` met ((-1, 0) moving right into its left side, (0, -1) moving down
    onto its top), through a corner that of the axis along which the rect moves less (x
    when `abs(dx) < abs(dy)`), y on a tie. `moving` takes every form `Rect.collide_rect`
    takes; `offset` is two numbers (a `Vector2`, a tuple or list of two, or an array of
    shape (2,)), anything else refused with ValueError naming what was given. Both are read
    once, before the first rect, and not at all when there are no rects. A NaN or infinite
    offset only finds what `moving` overlaps where it stands. Rects are read and checked
    as for `raycast`.
    """

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
        per rect, in the order added; ValueError for any other number of them. A
        C-contiguous (n, 2) array of doubles or floats (numpy's) is read from its memory,
        each row applied as `r.position += (dx, dy)` would; an array of numbers of any other
        shape raises ValueError naming the shape expected and the shape given. A vector
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
    def raycast(self, start: _Point, end: _Point, /) -> Hit[_V] | None:
        """The first member the segment from `start` to `end` meets, as a `Hit` whose `value` is
        the member's value: the hit of least `t`, the earliest added among equal ones; None
        when it meets none.

        The rule of the module's `raycast`, over the boxes as last read; `start` and `end`
        are read as `Rect.collide_point` reads a point, even when the index is empty. The
        search walks the grid's cells along the segment and stops once no cell left can
        hold an earlier hit.
        """
    def segment_hits(self, start: _Point, end: _Point, /) -> list[Hit[_V]]:
        """Every member the segment from `start` to `end` meets, as a list of `Hit` ordered by
        `t`, then by the order added."""
    def nearest(
        self, point: _Point, k: SupportsIndex = 1, *, max_distance: float | None = None
    ) -> list[tuple[_V, float]]:
        """The `k` members nearest to `point`, as `(value, distance)` pairs, nearest first: the
        Euclidean distance from the point to the member's closed box (0 inside it), ties to
        the earliest added.

        Members whose box holds no point (a negative or NaN size) are left out, and so is
        every member whose distance exceeds `max_distance` (one equal to it is kept). `k` is
        an int of 0 or more (ValueError for a negative one); a `k` larger than the index
        gives every member. A NaN point is at no distance from anything: []. The distance
        is `dx = max(x - px, 0, px - right)` and likewise on y, ordered by
        `dx * dx + dy * dy` (exact for coordinates that are multiples of 1/8 below 2**20),
        reported as its square root, correctly rounded where that sum is exact. The search visits rings of
        cells outwards from the point's and stops once no ring left can hold a nearer box.
        """
    def sweep(self, moving: _Other, offset: _Offset, /) -> Hit[_V] | None:
        """The first member that `moving`, moved by `offset`, would come to overlap, as a `Hit`
        whose `value` is the member's value: the contact of least `t`, the earliest added
        among equal ones; None when it meets none.

        The rule of the module's `sweep`, over the boxes as last read; `moving` and
        `offset` are read as it reads them, even when the index is empty. The search walks
        the grid's cells along the path, grown by the rect's size.
        """
    def slide(self, rect: Rect, offset: _Offset, *, steps: SupportsIndex = 3) -> list[Hit[_V]]:
        """Moves `rect` along `offset`, stopping at the first member in its way and sliding along
        it, at most `steps` contacts; gives the contacts met, as a list of `Hit` in order.

        Each leg moves the rect until its first contact among the members, then goes on
        with what remains of the offset less its component along the contact's normal.
        Members `rect` overlaps where it stands, and a member that is `rect` itself, are
        passed through. Whatever the speed, it never passes through a member it meets,
        never ends overlapping one it did not overlap at the start (its position rounded
        to single precision away from the member it touches), never moves backwards along
        either axis, and with nothing in the way ends exactly where `rect.position +=
        offset` would put it. Among contacts at the same `t`, one across a side comes
        before one at a corner, so that it runs along a row of touching tiles without
        snagging on their seams. Each `Hit` has the leg's `t`, the member's value, the
        normal, and as `point` where the rect was put at that contact.

        It reads the index's boxes as of the last refresh, move or add, and `rect` as it
        is now; a member that is `rect` is skipped, and the index's box for it is updated
        at the next refresh or move. The position is written through the rect's own
        vector: in place into an exact `Vector2`, else as `rect.position.x = x` and
        `.y = y`. `steps` is an int of 1 or more; a NaN or infinite offset raises ValueError.
        """
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
