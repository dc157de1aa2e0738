# Types of the compiled module tessel.rect.rect.
"""The rectangle type `Rect`: an axis-aligned rectangle made of two `Vector2`."""

from collections.abc import Iterator, Sequence
from types import CapsuleType
from typing import (
    Any,
    ClassVar,
    Final,
    SupportsFloat,
    SupportsIndex,
    SupportsInt,
    final,
    overload,
    type_check_only,
)

from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

# What a vector component accepts: anything with a float or an index conversion.
_Number = SupportsFloat | SupportsIndex
_Point = Vector2 | tuple[_Number, _Number] | list[_Number]
_Four = tuple[_Number, _Number, _Number, _Number] | list[_Number]
_State = tuple[Vector2 | None, Vector2 | None]

# A Sequence for type checkers, so that a rect goes where a sequence of floats is expected
# (pygame's rect-like arguments among them). At run time the class is no registered
# collections.abc.Sequence and has no index() or count(); `in` and reversed() work.
@final
class Rect(Sequence[float]):
    """An axis-aligned rectangle: a `position` vector (left, top) and a `size` vector
    (width, height), each a `Vector2`; y grows downwards.

    The rect holds no numbers of its own. Every property reads its two vectors afresh and
    every write goes into them, at single precision. Vectors handed in (`Rect(position,
    size)`, `Rect(other)`, `r.position = v`, `copy.copy(r)`) are shared, not copied: a
    change to one is seen by every rect that holds it. Build from numbers to get vectors of
    the rect's own.

    Edge rules: borders belong to the rect (`collide_point` is closed); rects that only
    touch do not overlap (`collide_rect` is open); a zero-size rect is a point; a negative
    size is never normalised, so such a rect contains no point, yet on each axis where its
    size is negative it overlaps a rect that strictly encloses its span there
    (`Rect(5, 4, -4, -3)` overlaps `Rect(0.5, 0.5, 5, 4)` but not `Rect(1, 1, 4, 3)`).

    A rect is the sequence (x, y, w, h), compares by value with `==`, is unhashable, cannot
    be subclassed, and pickles and copies with every protocol. Compiled modules reach its
    operations through the method table in `Rect.__dict__["__pyx_vtable__"]`
    (`tessel/rect.h`, under `tessel.get_include()`).
    """

    __hash__: ClassVar[None]  # type: ignore[assignment]
    __pyx_vtable__: ClassVar[CapsuleType]
    """The method table for compiled modules: a capsule without a name whose pointer is a
    `RectVTable` (`tessel/rect.h`)."""

    @overload
    def __init__(self) -> None:
        """`Rect()`: position and size (0, 0), two new vectors."""
    @overload
    def __init__(self, size: Vector2, /) -> None:
        """`Rect(size)`: position (0, 0), a new vector; `size` the given `Vector2` itself,
        shared."""
    @overload
    def __init__(self, rect: Rect | Vector4 | _Four, /) -> None:
        """`Rect(rect)`: shares the other rect's two vectors (or its None fields).
        `Rect(vector4)`, `Rect((x, y, w, h))`, `Rect([x, y, w, h])`: two new vectors from
        the four values (a `Vector4`'s x, y, z, w are left, top, width, height).

        Raises ValueError "list/tuple for rect must have 4 elements" for a tuple or list of
        another length, ValueError "Rect takes Vector2, Rect, Vector4, or list/tuple of
        length 4" for any other single argument, and the float conversion's TypeError for an
        item that is not a number.
        """
    @overload
    def __init__(self, position: _Point, size: _Point, /) -> None:
        """`Rect(position, size)`: each a `Vector2` (stored itself, shared) or a tuple or
        list of two numbers (copied into a new vector).

        Raises ValueError "First argument must be a Vector2 or list/tuple of length 2" (or
        "Second argument ...") for anything else; when the second fails on a live rect,
        its position has already been replaced.
        """
    @overload
    def __init__(self, x: _Number, y: _Number, w: _Number, h: _Number, /) -> None:
        """`Rect(x, y, w, h)`: four numbers (anything with a float or index conversion),
        two new vectors. No value is range-checked: negative, infinite and NaN sizes are
        stored as given.

        Raises the float conversion's TypeError for a value that is not a number; TypeError
        "Rect expected 0, 1, 2, or 4 arguments, got N" for another count of arguments, and
        the unexpected-keyword TypeError for any keyword argument.
        """

    # Each property is spelled out, as stubs must (they have no way to share a declaration),
    # here and in the vector modules' stubs alike.
    # The eight aliases read and write one vector component.
    @property
    def x(self) -> float:
        """The left edge, `position.x`. Writing moves the rect; the size stays.

        A write accepts a number (stored at single precision; the vector's TypeError for
        anything else). Deleting raises NotImplementedError "__del__"; with `position` None,
        reading or writing raises AttributeError.
        """
    @x.setter
    def x(self, value: _Number) -> None: ...
    @property
    def y(self) -> float:
        """The top edge, `position.y`. Writing moves the rect; the size stays.

        Writes, deletion and a None `position` behave as for `x`.
        """
    @y.setter
    def y(self, value: _Number) -> None: ...
    @property
    def w(self) -> float:
        """The width, `size.x`. Writing resizes the rect; the left edge stays.

        Writes, deletion and a None `size` behave as for `x`.
        """
    @w.setter
    def w(self, value: _Number) -> None: ...
    @property
    def h(self) -> float:
        """The height, `size.y`. Writing resizes the rect; the top edge stays.

        Writes, deletion and a None `size` behave as for `x`.
        """
    @h.setter
    def h(self, value: _Number) -> None: ...
    @property
    def width(self) -> float:
        """The width, `size.x`: the same as `w`."""
    @width.setter
    def width(self, value: _Number) -> None: ...
    @property
    def height(self) -> float:
        """The height, `size.y`: the same as `h`."""
    @height.setter
    def height(self, value: _Number) -> None: ...
    @property
    def left(self) -> float:
        """The left edge, `position.x`: the same as `x`."""
    @left.setter
    def left(self, value: _Number) -> None: ...
    @property
    def top(self) -> float:
        """The top edge, `position.y`: the same as `y`."""
    @top.setter
    def top(self, value: _Number) -> None: ...
    # Edges and centre lines move the rect; the size stays.
    @property
    def right(self) -> float:
        """The right edge, `position.x + size.x`, computed at each read.

        Writing moves the rect so that its right edge is the value (`position.x = value -
        size.x`); the size stays. The subtraction's TypeError for a value that is not a
        number; deletion and None fields behave as for `x`.
        """
    @right.setter
    def right(self, value: float) -> None: ...
    @property
    def bottom(self) -> float:
        """The bottom edge, `position.y + size.y` (y grows downwards).

        Writing moves the rect so that its bottom edge is the value; the size stays. Errors
        as for `right`.
        """
    @bottom.setter
    def bottom(self, value: float) -> None: ...
    @property
    def centerx(self) -> float:
        """The vertical centre line, `position.x + size.x * 0.5`.

        Writing moves the rect so that its centre line is the value; the size stays. Errors
        as for `right`.
        """
    @centerx.setter
    def centerx(self, value: float) -> None: ...
    @property
    def centery(self) -> float:
        """The horizontal centre line, `position.y + size.y * 0.5`.

        Writing moves the rect so that its centre line is the value; the size stays. Errors
        as for `right`.
        """
    @centery.setter
    def centery(self, value: float) -> None: ...
    @property
    def center(self) -> Vector2:
        """The centre, `(centerx, centery)`, as a new `Vector2` at each read: changing it
        does not change the rect.

        Writing moves the rect so that its centre is the given point, a `Vector2` or any
        object whose items 0 and 1 are numbers (a tuple, a list, ...; later items are
        ignored); the size stays. Both coordinates are read before anything is written, so
        a bad point leaves the rect unchanged: TypeError for an object without items or
        for items that are not numbers, IndexError for a tuple or list of fewer than two.
        Deleting raises NotImplementedError "__del__".
        """
    @center.setter
    def center(self, value: Vector2 | Sequence[_Number]) -> None: ...
    # The vectors themselves, shared; None only after `del` or assigning None.
    @property
    def position(self) -> Vector2:
        """The `Vector2` that holds the left and top edges: the object itself, shared
        with whoever else holds it, so changing its components moves the rect.

        Writing stores the given `Vector2` (or subclass instance) itself, or None; any
        other value raises TypeError "Cannot convert T to tessel.vector2.vector2.Vector2".
        Deleting stores None. While it is None, every property that reads it raises
        AttributeError; assigning a vector repairs the rect.
        """
    @position.setter
    def position(self, value: Vector2 | None) -> None: ...
    @position.deleter
    def position(self) -> None: ...
    @property
    def size(self) -> Vector2:
        """The `Vector2` that holds the width and height: the object itself, shared, as
        for `position`. Writing, deleting and None behave as for `position`.
        """
    @size.setter
    def size(self, value: Vector2 | None) -> None: ...
    @size.deleter
    def size(self) -> None: ...

    def get_width(self) -> float:
        """The width, exactly what reading `width` gives. Takes no arguments."""
    def get_height(self) -> float:
        """The height, exactly what reading `height` gives. Takes no arguments."""
    # Points on a border are inside.
    def collide_point(self, point: _Point) -> bool:
        """Whether the point lies inside the rect or on its border.

        `point` is a `Vector2` or a tuple or list (subclasses included) of two numbers. The
        rect is closed: the point is inside when `left <= px <= right` and
        `top <= py <= bottom`, compared without tolerance. A zero-size rect holds exactly
        its own point; a rect with a negative width or height holds none; a NaN anywhere
        means outside.

        Raises ValueError "Point must be a Vector2, tuple, or list of length 2" for any
        other kind or length (None and `Vector4` included), and the float conversion's
        TypeError for a coordinate that is not a number.
        """
    def collide_point_vector2(self, point: Vector2) -> bool:
        """`collide_point` for a `Vector2` (or subclass instance), without the argument
        dispatch: its `x` and `y` are compared as they are read.

        Raises the argument-type TypeError for any other type, and AttributeError for None.
        """
    def collide_point_tuple(self, point: tuple[float, float]) -> bool:
        """`collide_point` for exactly a tuple, without dispatch, length check or
        conversion: items 0 and 1 are compared as they are, later items are ignored.

        Raises the argument-type TypeError for any other type (a tuple subclass included),
        TypeError "'NoneType' object is not subscriptable" for None, the comparison's
        TypeError for an item that does not compare with a float, and IndexError for fewer
        than two items.
        """
    def collide_point_list(self, point: list[float]) -> bool:
        """`collide_point` for exactly a list, without dispatch, length check or
        conversion; otherwise as `collide_point_tuple`.
        """
    # Rects that only touch do not overlap.
    def collide_rect(self, other: Rect | Vector4 | _Four) -> bool:
        """Whether another rectangle overlaps this one.

        `other` is a `Rect`, a `Vector4` (x, y, z, w as left, top, width, height) or a
        tuple or list (subclasses included) of four numbers (left, top, width, height).
        The rects are open: they overlap when `self.left < other.right`,
        `other.left < self.right`, `self.top < other.bottom` and
        `other.top < self.bottom`, so rects that share only an edge or a corner do not.
        Sizes are used as given: a zero-size rect overlaps a rect that holds it strictly
        inside; a negative size is not normalised (see the class). A NaN anywhere means no
        overlap. `a.collide_rect(b)` always equals `b.collide_rect(a)`.

        Raises ValueError "rect for collision must be a Rect, Vector4, tuple, or list of
        length 4" for any other kind or length (None and `Vector2` included), and the float
        conversion's TypeError for a value that is not a number.
        """
    def collide_rect_vector4(self, other: Vector4) -> bool:
        """`collide_rect` for a `Vector4` (or subclass instance), without the argument
        dispatch: its components are used as they are read.

        Raises the argument-type TypeError for any other type, and AttributeError for None.
        """
    def collide_rect_rect(self, other: Rect) -> bool:
        """`collide_rect` for a `Rect`, without the argument dispatch: the other rect's
        values are used as its vectors give them.

        Raises the argument-type TypeError for any other type, and AttributeError for None
        or for a rect whose `position` or `size` is None.
        """
    def collide_rect_tuple(self, other: tuple[float, float, float, float]) -> bool:
        """`collide_rect` for exactly a tuple, without dispatch, length check or
        conversion: items 0 to 3 are used as they are, later items are ignored.

        Raises the argument-type TypeError for any other type (a tuple subclass included),
        TypeError "'NoneType' object is not subscriptable" for None, the addition's or
        comparison's TypeError for an item that is not a number, and IndexError for fewer
        than four items.
        """
    def collide_rect_list(self, other: list[float]) -> bool:
        """`collide_rect` for exactly a list, without dispatch, length check or
        conversion; otherwise as `collide_rect_tuple`.
        """
    def get_vector4(self) -> Vector4:
        """A new `Vector4` (x, y, w, h); changing it does not change the rect.

        Takes no arguments. Raises AttributeError while `position` or `size` is None.
        """
    def get_tuple(self) -> tuple[float, float, float, float]:
        """A new tuple (x, y, w, h) of the values the vectors give.

        Takes no arguments. Raises AttributeError while `position` or `size` is None.
        """

    # A sequence of four: (x, y, w, h).
    def __len__(self) -> int:
        """4, always."""
    # No slices: they raise TypeError at run time, so the stub refuses them too.
    def __getitem__(self, index: SupportsInt, /) -> float:  # type: ignore[override]
        """`r[i]`: x, y, w or h for i = 0, 1, 2 or 3.

        The index is an int or anything with `__int__` (a float index is truncated). No
        wrap-around: -1 and 4 raise IndexError "Rect index out of range". TypeError "an
        integer is required" for a string or a slice; OverflowError outside the 32-bit
        range.
        """
    def __setitem__(self, index: SupportsInt, value: _Number, /) -> None:
        """`r[i] = v`: writes x, y, w or h, at single precision.

        The index is converted as for reading, then the value (its TypeError comes before
        the IndexError of an index out of range); a failed write changes nothing. `del r[i]`
        raises NotImplementedError.
        """
    # Iteration runs through the item protocol at runtime (the class has no __iter__, as
    # its class dictionary is fixed); type checkers want __iter__, so only they see it.
    @type_check_only
    def __iter__(self) -> Iterator[float]:
        """Iterates x, y, w, h through the item protocol: `x, y, w, h = r`, `list(r)`.
        Only type checkers see this method: `Rect` has no `__iter__` at runtime."""
    def __eq__(self, other: object, /) -> bool:
        """Whether `other` is a rect with equal x, y, w and h (exactly; NaN is unequal to
        itself). False for anything that is not a rect. Ordering raises TypeError.
        """
    def __ne__(self, other: object, /) -> bool:
        """The negation of `==`."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickling: the rect is restored by `__pyx_unpickle_Rect` and `__setstate__`,
        with its two vectors as the state (a shallow copy shares them)."""
    def __setstate__(self, __pyx_state: _State) -> None:
        """Restores `position` and `size` from a pickled state: exactly a tuple of two
        `Vector2` or None.

        Raises TypeError for any other state.
        """

def __pyx_unpickle_Rect(
    __pyx_type: type[Rect], __pyx_checksum: SupportsInt, __pyx_state: _State | None
) -> Rect:
    """What a pickled rect calls when it is loaded: a new `__pyx_type` with the state
    restored. Raises `pickle.PickleError` for an unknown checksum.
    """

__test__: Final[dict[str, Any]]
"""An empty dictionary, for doctest."""
