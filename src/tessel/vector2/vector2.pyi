"""The Vector2 type: two single-precision floats."""
# The class body mirrors vector4.pyi on purpose: both types offer the same operations,
# and a stub states each class's interface in full (a shared base would not be the truth).

from collections.abc import Buffer, Iterator, Sequence
from typing import Any, ClassVar, Self, SupportsFloat, SupportsIndex, overload

from typing_extensions import disjoint_base

_Number = SupportsFloat | SupportsIndex
# What arithmetic and the methods accept where a vector is expected: a Vector2, or any
# sequence of exactly 2 numbers (another library's vector among them), or a one-
# dimensional buffer of 2 numbers in native byte order (an array); text and bytes
# are not vectors.
_Vector2Like = Vector2 | Sequence[_Number] | Buffer

@disjoint_base
class Vector2:
    """Every result is stored rounded to single precision, as a component write is."""

    __hash__: ClassVar[None]  # type: ignore[assignment]
    @overload
    def __init__(self, x: _Number = 0.0, y: _Number = 0.0) -> None: ...
    @overload
    def __init__(self, x: _Vector2Like, /) -> None:
        """Both components from one vector, sequence or buffer of two numbers; a single
        number is still x (Vector2(5) is (5, 0)). TypeError for anything else."""
    @property
    def x(self) -> float: ...
    @x.setter
    def x(self, value: _Number) -> None: ...
    @property
    def y(self) -> float: ...
    @y.setter
    def y(self, value: _Number) -> None: ...

    # Binary operations give a Vector2, also for a subclass; in-place ones give self.
    # A k that is no number, or whose float conversion refuses with a TypeError (an
    # array, a symbol), makes * and / return NotImplemented, so that k may answer.
    def __add__(self, other: _Vector2Like, /) -> Vector2: ...
    def __radd__(self, other: _Vector2Like, /) -> Vector2: ...
    def __sub__(self, other: _Vector2Like, /) -> Vector2: ...
    def __rsub__(self, other: _Vector2Like, /) -> Vector2: ...
    def __mul__(self, k: _Number, /) -> Vector2: ...
    def __rmul__(self, k: _Number, /) -> Vector2: ...
    def __truediv__(self, k: _Number, /) -> Vector2: ...
    def __rtruediv__(self, other: Any, /) -> Any: ...  # refuses every operand
    def __iadd__(self, other: _Vector2Like, /) -> Self: ...
    def __isub__(self, other: _Vector2Like, /) -> Self: ...
    def __imul__(self, k: _Number, /) -> Self: ...
    def __itruediv__(self, k: _Number, /) -> Self: ...
    def __neg__(self) -> Vector2: ...
    def __pos__(self) -> Vector2: ...

    # A fixed sequence of two: x then y.
    def __len__(self) -> int: ...
    def __getitem__(self, index: SupportsIndex, /) -> float: ...
    def __setitem__(self, index: SupportsIndex, value: _Number, /) -> None: ...
    def __delitem__(self, index: SupportsIndex, /) -> None: ...  # always a TypeError
    def __iter__(self) -> Iterator[float]: ...

    def length(self) -> float:
        """The length, without overflow or underflow for any finite components (a length
        beyond the largest double is inf)."""
    def length_squared(self) -> float: ...
    def dot(self, other: _Vector2Like, /) -> float: ...
    def distance_to(self, other: _Vector2Like, /) -> float:
        """The length of self - other, computed as length() is."""
    def normalized(self) -> Vector2:
        """A new Vector2 of length 1 in the same direction, for any finite components;
        ValueError when all are zero."""
    def lerp(self, other: _Vector2Like, t: _Number, /) -> Vector2:
        """The point at t on the way from self to other: exactly self at t = 0 and exactly
        other at t = 1, monotone in t between and beyond (t outside [0, 1] extrapolates)."""
    def copy(self) -> Vector2: ...
    def rotate(self, degrees: _Number, /) -> Vector2:
        """A new Vector2 turned by the angle, counter-clockwise for y up; exact for every
        multiple of 90 (the components exchanged). NaN components for an infinite angle."""
    def rotate_rad(self, radians: _Number, /) -> Vector2:
        """rotate() with the angle in radians, converted to degrees first (as
        math.degrees does), so that math.pi / 2 is an exact quarter turn."""
    def angle_to(self, other: _Vector2Like, /) -> float:
        """The signed angle in degrees from self to other, within (-180, 180]; exact when
        they are parallel or perpendicular, 0 when either is the zero vector."""
    def as_polar(self) -> tuple[float, float]:
        """(length, degrees from the x axis), the angle within (-180, 180] and 0 for the
        zero vector."""
    @classmethod
    def from_polar(cls, polar: _Vector2Like, /) -> Vector2:
        """A new Vector2 (also when called on a subclass) from a (length, degrees) pair,
        exact when the angle is a multiple of 90."""
    @overload
    def clamp_magnitude(self, max_length: _Number, /) -> Vector2: ...
    @overload
    def clamp_magnitude(self, min_length: _Number, max_length: _Number, /) -> Vector2:
        """A new Vector2: self when its length lies within [min_length, max_length]
        (min_length 0 when only max_length is given), else the vector of the nearer bound's
        length in the same direction (within rounding). ValueError unless 0 <= min_length <=
        max_length with min_length finite, and for the zero vector with min_length > 0."""
    def reflect(self, normal: _Vector2Like, /) -> Vector2:
        """self bounced off a surface with the given normal, v - 2 (v.n / n.n) n; the
        normal of any length but zero (ValueError). Exact for a normal along an axis."""
    def project(self, onto: _Vector2Like, /) -> Vector2:
        """The part of self along the given vector, (v.d / d.d) d; the vector of any length
        but zero (ValueError). Exact onto an axis."""

    def __eq__(self, other: object, /) -> bool: ...
    def __ne__(self, other: object, /) -> bool: ...
    def __reduce__(self) -> tuple[Any, ...]:
        """A call of the type with the components, plus the attributes of a subclass
        instance. A subclass with a constructor of its own is rebuilt without it
        (copyreg.__newobj__, then the components by item and the attributes)."""
