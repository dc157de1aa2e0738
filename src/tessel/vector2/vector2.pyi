"""The Vector2 type: two single-precision floats."""
# The class body mirrors vector4.pyi on purpose: both types offer the same operations,
# and a stub states each class's interface in full (a shared base would not be the truth).

from collections.abc import Buffer, Iterator, Sequence
from typing import Any, ClassVar, Self, SupportsFloat, SupportsIndex, overload

from typing_extensions import disjoint_base

_Number = SupportsFloat | SupportsIndex
# What arithmetic and the methods accept where a vector is expected: a Vector2, any
# sequence of exactly 2 numbers (another library's vector among them), or a one-
# dimensional buffer of 2 numbers in native byte order (an array); text and bytes
# are not vectors.
_Vector2Like = Vector2 | Sequence[_Number] | Buffer

# A Sequence for type checkers, so that a vector goes where a sequence of floats is expected
# (pygame's coordinates and rects among them). At run time the class is no registered
# collections.abc.Sequence and has no index() or count(); `in` and reversed() work.
@disjoint_base
class Vector2(Sequence[float]):
    """A vector of two components, `x` and `y`, each a single-precision float.

    Every result is stored rounded to single precision, as a component write is: it is
    computed in double precision and then rounded to nearest (values beyond the
    single-precision range become infinities); `length()`, `dot()` and the like return
    full doubles. The step between neighbouring values grows with the magnitude: about
    0.00006 at 1e3, 0.0625 at 1e6 and 1.0 at 1e7.

    Where a vector is expected, any sequence or buffer of two numbers will do (a tuple,
    another library's vector, an array). Binary operations and the methods that make a
    vector give a `Vector2`, also for a subclass; the in-place forms change the vector
    itself. A vector is the sequence (x, y), compares by value,
    is unhashable, and pickles with every protocol. Compiled modules create vectors
    through the method table in `Vector2.__dict__["__pyx_vtable__"]`
    (`tessel/vector2.h`).
    """

    __hash__: ClassVar[None]  # type: ignore[assignment]
    @overload
    def __init__(self, x: _Number = 0.0, y: _Number = 0.0) -> None:
        """`Vector2(x=0.0, y=0.0)`: each a number (anything with a float or index
        conversion), stored at single precision.

        Raises the float conversion's TypeError for anything else, and TypeError for more
        than two arguments.
        """
    @overload
    def __init__(self, x: _Vector2Like, /) -> None:
        """`Vector2(sequence)`: every component from one vector, sequence or buffer of
        two numbers. A single `float` or `int` (or other number) is still `x`:
        `Vector2(5)` is (5, 0). Raises TypeError for anything else."""
    @property
    def x(self) -> float:
        """The first component. Writing stores a number at single precision (TypeError
        for anything else); deleting raises TypeError."""
    @x.setter
    def x(self, value: _Number) -> None: ...
    @property
    def y(self) -> float:
        """The second component; as `x`."""
    @y.setter
    def y(self, value: _Number) -> None: ...

    # Binary operations give a Vector2, also for a subclass; in-place ones give self.
    def __add__(self, other: _Vector2Like, /) -> Vector2:
        """`v + other`: a new vector, component by component. `other` is a `Vector2` or any
        sequence or buffer of two numbers; for anything else the operator gives way to the
        other operand (else TypeError)."""
    def __radd__(self, other: _Vector2Like, /) -> Vector2:
        """`other + v`, for a sequence or buffer on the left."""
    def __sub__(self, other: _Vector2Like, /) -> Vector2:
        """`v - other`: a new vector; operands as for `+`."""
    def __rsub__(self, other: _Vector2Like, /) -> Vector2:
        """`other - v`, for a sequence or buffer on the left."""
    def __mul__(self, k: _Number, /) -> Vector2:
        """`v * k`: a new vector, each component times the number `k`. For a `k` that is no
        number, or whose float conversion raises TypeError (an array, a symbol), the
        operator gives way to `k` (else TypeError): a vector times a vector is not
        defined."""
    def __rmul__(self, k: _Number, /) -> Vector2:
        """`k * v`: as `v * k`."""
    def __truediv__(self, k: _Number, /) -> Vector2:
        """`v / k`: a new vector, each component divided by the number `k`.

        Raises ZeroDivisionError for `k` zero, as floats do.
        """
    def __rtruediv__(self, other: Any, /) -> Any:  # refuses every operand
        """`k / v` is not defined: always NotImplemented, so the operator raises
        TypeError."""
    def __iadd__(self, other: _Vector2Like, /) -> Self:
        """`v += other`: adds to the vector itself, allocating nothing; every holder of
        the vector (a rect's `position`, say) sees the change."""
    def __isub__(self, other: _Vector2Like, /) -> Self:
        """`v -= other`: subtracts from the vector itself."""
    def __imul__(self, k: _Number, /) -> Self:
        """`v *= k`: scales the vector itself."""
    def __itruediv__(self, k: _Number, /) -> Self:
        """`v /= k`: divides the vector itself; ZeroDivisionError for `k` zero."""
    def __neg__(self) -> Vector2:
        """`-v`: a new vector."""
    def __pos__(self) -> Vector2:
        """`+v`: a new vector of the base type, equal to `v`."""

    # A fixed sequence of two: x then y.
    def __len__(self) -> int:
        """2, always."""
    # No slices: they raise TypeError at run time, so the stub refuses them too.
    def __getitem__(self, index: SupportsIndex, /) -> float:  # type: ignore[override]
        """`v[i]`: x for 0 or -2, y for 1 or -1; IndexError for any other index."""
    def __setitem__(self, index: SupportsIndex, value: _Number, /) -> None:
        """`v[i] = value`: writes a component at single precision; IndexError for an
        index out of range, TypeError for a value that is not a number."""
    def __delitem__(self, index: SupportsIndex, /) -> None:  # always a TypeError
        """`del v[i]` always raises TypeError: the length is fixed."""
    def __iter__(self) -> Iterator[float]:
        """Iterates x, y as they were when iteration began: `x, y = v`."""

    def length(self) -> float:
        """The length, in double precision, without overflow or underflow for any finite
        components (inf only when the length exceeds the largest double)."""
    def length_squared(self) -> float:
        """The squared length, in double precision (no square root)."""
    def dot(self, other: _Vector2Like, /) -> float:
        """The dot product with a `Vector2` or a sequence or buffer of two numbers, in
        double precision. Raises TypeError for anything else."""
    def distance_to(self, other: _Vector2Like, /) -> float:
        """The distance to a point (a `Vector2` or a sequence or buffer of two numbers), in
        double precision, computed as `length()` is. Raises TypeError for anything else."""
    def normalized(self) -> Vector2:
        """A new vector of length 1 in the same direction, for any finite components.

        Raises ValueError "cannot normalize a vector of length zero" for the zero vector.
        """
    def lerp(self, other: _Vector2Like, t: _Number, /) -> Vector2:
        """The point at `t` on the way from this vector to `other`: `t` = 0 gives exactly
        this vector, 1 exactly `other`, whatever the values; other values extrapolate. The
        point moves monotonically with `t`.

        Raises TypeError for an `other` that is not a `Vector2` or a sequence or buffer of
        two numbers, or a `t` that is not a number.
        """
    def copy(self) -> Vector2:
        """A new vector of the base type, equal to this one."""

    @overload
    def clamp_magnitude(self, max_length: _Number, /) -> Vector2:
        """A new vector: equal to this one when its length lies within `min_length`
        (0 when only `max_length` is given) and `max_length`, else of the nearer bound's
        length (within rounding) in the same direction.

        Raises ValueError unless 0 <= `min_length` <= `max_length` with `min_length`
        finite, and for the zero vector with a positive `min_length`.
        """
    @overload
    def clamp_magnitude(self, min_length: _Number, max_length: _Number, /) -> Vector2: ...
    def reflect(self, normal: _Vector2Like, /) -> Vector2:
        """A new vector: this one bounced off a surface with the given normal,
        v - 2 (v.n / n.n) n. The normal may have any length but zero; one along an axis
        gives an exact answer.

        Raises ValueError for a zero normal, TypeError for one that is not a vector.
        """
    def project(self, onto: _Vector2Like, /) -> Vector2:
        """A new vector: the part of this one along `onto`, (v.d / d.d) d. `onto` may have
        any length but zero; one along an axis gives an exact answer.

        Raises ValueError for a zero `onto`, TypeError for one that is not a vector.
        """
    def rotate(self, degrees: _Number, /) -> Vector2:
        """A new vector turned by the angle, counter-clockwise for y up. A multiple of 90
        degrees is exact: the components are exchanged and negated, never computed. An
        infinite or NaN angle gives NaN components. Raises TypeError for a non-number."""
    def rotate_rad(self, radians: _Number, /) -> Vector2:
        """`rotate()` with the angle in radians, converted to degrees first (as
        `math.degrees` does), so that `math.pi / 2` is an exact quarter turn."""
    def angle_to(self, other: _Vector2Like, /) -> float:
        """The signed angle in degrees from this vector to `other`, within (-180, 180]:
        exact when they are parallel or perpendicular, 0 when either is the zero vector.
        Raises TypeError for an `other` that is not a vector."""
    def as_polar(self) -> tuple[float, float]:
        """(length, angle in degrees from the x axis), the angle within (-180, 180] and 0
        for the zero vector."""
    @classmethod
    def from_polar(cls, polar: _Vector2Like, /) -> Vector2:
        """A new `Vector2` (also when called on a subclass or an instance) from a
        (length, degrees) pair; exact when the angle is a multiple of 90. Raises TypeError
        for anything but a pair of numbers."""

    def __eq__(self, other: object, /) -> bool:
        """Whether `other` is a `Vector2` (or subclass instance) with equal components;
        a NaN is unequal to itself. False for a tuple or list; ordering raises TypeError."""
    def __ne__(self, other: object, /) -> bool:
        """The negation of `==`."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickling: the vector is restored by calling its type with its components (plus
        a subclass instance's own attributes). A subclass with a `__new__` or `__init__` of
        its own is restored without calling either: the base type's `__new__` and
        `__init__` make it with the components (`copyreg._reconstructor`), then its
        attributes are restored (through its own `__setstate__`, if any)."""
