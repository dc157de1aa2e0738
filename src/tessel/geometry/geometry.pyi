# Types of the compiled module tessel.geometry.geometry.
"""Everyday rect operations: union, clip, clamp, inflate and friends, as functions.

Each rect argument takes every form `Rect.collide_rect` takes: a `Rect`, a `Vector4`
(x, y, z, w as left, top, width, height), or a tuple or list of four numbers, with its
errors (the float conversion's TypeError for a value that is not a number); and, where
that method would refuse it, any other sequence or buffer of four numbers, read as
(x, y, w, h) by the vectors' rule: another library's rect (a `pygame.Rect`), a numpy array,
an `array.array`. Anything else, or another length, raises the method's ValueError "rect
for collision must be a Rect, Vector4, tuple, or list of length 4". Each result is a new `Rect` holding two new vectors of its own, never shared
with an argument: changing it changes no argument, and the other way round.

One rule for odd values. A rect is read as (x, y, w, h) in double precision, and its
edges are computed as its properties compute them (left = x, right = x + w, centre =
x + w * 0.5); the result's values are stored at the vectors' single precision. No function
but `normalized` changes the sign of a size: a negative size is taken as it stands
(left = x, right = x + w even when w < 0). A NaN gives NaN in every result value computed
from it; infinities follow IEEE arithmetic (so a span from -inf of width inf has a NaN
right edge). A `Vector2` subtype is read through its attribute access, as the properties
read it.

The in-place forms (`move_ip`, `inflate_ip`, `scale_by_ip`, `clamp_ip`, `union_ip`,
`normalize_ip`) take the arguments of the function they mirror, read them in the same order
with the same errors, and write the values of the rect that function would make into the
first argument's own vectors: x and y into its `position`, then w and h into its `size`,
each stored as a new vector stores it. So every rect sharing those vectors changes too. They
return None. The first argument must be a `Rect` (TypeError "move_ip() argument 1 must be
tessel.rect.rect.Rect, not tuple"). Every argument is read before anything is written: a
call that raises while reading changes nothing, and a vector that the other argument shares
is read as it was. A rect whose position and size are one vector ends with it holding the
size, (w, h), the last values written. An exact `Vector2` is written directly; a subtype
through its attribute access (`position.x = ...`), x then y, where its own code may fail
after earlier values are written.
"""

from collections.abc import Buffer, Iterable
from typing import Protocol, SupportsFloat, SupportsIndex

from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

_Number = SupportsFloat | SupportsIndex

class _Numbers(Protocol):
    """Any sequence with a length, of numbers: another library's rect or point."""

    def __len__(self) -> int: ...
    def __getitem__(self, i: int, /) -> _Number: ...

_RectLike = (Rect | Vector4 | tuple[_Number, _Number, _Number, _Number] | list[_Number]
             | _Numbers | Buffer)
_Pair = Vector2 | tuple[_Number, _Number] | list[_Number] | _Numbers | Buffer

def copy(r: _RectLike, /) -> Rect:
    """A new rect with the same x, y, w and h, and vectors of its own: the independent copy
    that `Rect(r)` and `copy.copy(r)`, which share r's vectors, are not.
    """
def move(r: _RectLike, offset: _Pair, /) -> Rect:
    """`r` moved by `offset`: (x + dx, y + dy, w, h).

    `offset` takes every form `Rect.collide_point` takes (a `Vector2`, or a tuple or list
    of two numbers), with its errors, and any other sequence or buffer of two numbers;
    ValueError "Point must be a Vector2, tuple, or list of length 2" for anything else or
    another length.
    """
def inflate(r: _RectLike, dw: _Number, dh: _Number, /) -> Rect:
    """`r` grown by `dw` in width and `dh` in height, its centre kept:
    (x - dw / 2, y - dh / 2, w + dw, h + dh). Negative amounts shrink it, past zero to a
    negative size.
    """
def scale_by(
    r: _RectLike, sx: _Number, sy: _Number | None = None, /, *, about: _Pair | None = None
) -> Rect:
    """`r` with its width times `sx` and its height times `sy` (`sx` when `sy` is omitted or
    None), its centre kept: each new x is `centerx - w * sx / 2`, computed as the `centerx`
    property and setter compute it. With `about`, that point is kept instead: each new x is
    `px + (x - px) * sx`.

    A negative factor gives a negative size about the same centre (`scale_by(r, -1)`
    covers r's area with both signs flipped); a factor of 0 gives a point at the centre.

    `about` (keyword only) takes every form `Rect.collide_point` takes, with its errors,
    and is read after the factors; None, the default, is the centre, computed as above. The
    new size is `(w * sx, h * sy)` either way. About a point, a negative factor mirrors the
    rect through it, and a factor of 0 gives a point there.
    """
def union(a: _RectLike, b: _RectLike, /) -> Rect:
    """The smallest rect whose edges enclose both rects' edges: left and top the smaller of
    the two, right and bottom the larger; its width is right - left.

    Edges are taken as they stand: a rect of zero size counts as its point, and a
    negative size is not normalised first.
    """
def union_all(rects: Iterable[_RectLike], /) -> Rect:
    """The union of every rect of any iterable (a generator too, read once, in order); the
    union of one rect has its edges.

    Raises ValueError "union_all() iterable argument is empty" when there is none, and
    TypeError "expected an iterable of tessel.rect.rect.Rect, got a single Rect" for one
    `Rect` given in place of the iterable. An item's own error carries a note naming it
    (`while reading rects[3]`).
    """
def clip(a: _RectLike, b: _RectLike, /) -> Rect:
    """The overlap of two rects: when they overlap by the open rule of
    `Rect.collide_rect`, the rect between the larger left and top and the smaller right
    and bottom; otherwise (touching, apart, a NaN anywhere) a zero-size rect at a's
    position, `Rect(a.x, a.y, 0, 0)`.
    """
def clamp(r: _RectLike, bounds: _RectLike, /) -> Rect:
    """`r` moved, its size kept, so that on each axis it lies inside `bounds`: its left at
    bounds' left if it sticks out there, else its right at bounds' right if it sticks out
    there. On an axis where r is wider (taller) than `bounds`, it is centred on `bounds`
    instead.

    On an axis where any edge of either rect is NaN, the result's x (or y) is NaN: where
    it would lie is unknown.
    """
def fit(r: _RectLike, bounds: _RectLike, /) -> Rect:
    """`r` scaled, keeping its aspect ratio, to the largest size that fits inside
    `bounds`, centred on it. The factor is the smaller of `|bounds.w| / |r.w|` and
    `|bounds.h| / |r.h|`, and the signs of r's size are kept.

    An axis where r's size is 0 sets no limit and keeps its 0: a zero-size r becomes a
    point at the centre of `bounds`. A zero-size `bounds` gives a point at its position.
    """
def contains(a: _RectLike, b: _RectLike, /) -> bool:
    """Whether `b` lies inside `a`, borders included: both of b's corners (x, y) and
    (right, bottom) within a by the closed rule of `Rect.collide_point`.

    So a rect contains itself and a rect inside it that touches its border; a rect with a
    negative width or height contains nothing; a NaN anywhere means False.
    """
def clip_line(
    r: _RectLike, start: _Pair, end: _Pair, /
) -> tuple[tuple[float, float], tuple[float, float]] | None:
    """The part of the segment from `start` to `end` that lies inside `r`, as
    `((x0, y0), (x1, y1))`: where it enters `r` (exactly on the edge crossed, or `start`
    when that is inside) and where it leaves it (exactly on its edge, or `end` when that
    is inside); None when it does not meet `r`.

    The rule of the lines of sight of `tessel.collide.collide` (see `Hit`): the closed rule
    of `Rect.collide_point` on the edges r's properties compute, so a rect with a negative
    or NaN size is never met and a zero-size one where the segment passes through its point
    (both points are then that point); a segment of zero length is a point query, one with a
    NaN or infinite coordinate meets nothing. Every decision is exact; the other coordinate
    of each point is computed as the `Hit` point's is. `start` and `end` take every form
    `Rect.collide_point` takes, with its errors.
    """
def normalized(r: _RectLike, /) -> Rect:
    """The same area with a size of positive signs: where the width is negative, x moves
    to the right edge (x + w) and the width becomes -w; the same for the height. Other
    rects come back as copies.
    """
def move_ip(r: Rect, offset: _Pair, /) -> None:
    """`move` in place: r's own position becomes (x + dx, y + dy), moving every rect that
    shares it. Returns None.
    """
def inflate_ip(r: Rect, dw: _Number, dh: _Number, /) -> None:
    """`inflate` in place: r's own vectors become (x - dw / 2, y - dh / 2) and
    (w + dw, h + dh). Returns None.
    """
def scale_by_ip(
    r: Rect, sx: _Number, sy: _Number | None = None, /, *, about: _Pair | None = None
) -> None:
    """`scale_by` in place: r's own vectors take the values `scale_by` gives, about r's
    centre or the point `about`. Returns None.
    """
def clamp_ip(r: Rect, bounds: _RectLike, /) -> None:
    """`clamp` in place: r's own position moves so that r lies inside `bounds` (centred on
    an axis where it is larger), its size kept. Returns None.
    """
def union_ip(r: Rect, other: _RectLike, /) -> None:
    """`union` in place: r's own vectors take the box around r and `other`. Returns None.
    """
def normalize_ip(r: Rect, /) -> None:
    """`normalized` in place: r's own vectors take the same area with a size of positive
    signs. Returns None.
    """
