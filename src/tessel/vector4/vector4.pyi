"""The Vector4 type: four double-precision floats."""
# The class body mirrors vector2.pyi on purpose: both types offer the same operations,
# and a stub states each class's interface in full (a shared base would not be the truth).

from collections.abc import Buffer, Iterator, Sequence
from typing import Any, ClassVar, Self, SupportsFloat, SupportsIndex, overload

from typing_extensions import disjoint_base

_Number = SupportsFloat | SupportsIndex
# What arithmetic and the methods accept where a vector is expected: a Vector4, any
# sequence of exactly 4 numbers (another library's vector among them), or a one-
# dimensional buffer of 4 numbers in native byte order (an array); text and bytes
# are not vectors.
_Vector4Like = Vector4 | Sequence[_Number] | Buffer

# A Sequence for type checkers, so that a vector goes where a sequence of floats is expected
# (pygame's coordinates and rects among them). At run time the class is no registered
# collections.abc.Sequence and has no index() or count(); `in` and reversed() work.
@disjoint_base
class Vector4(Sequence[float]):
    """A vector of four components, `x`, `y`, `z` and `w`, each a double-precision float.

    Where a vector is expected, any sequence or buffer of four numbers will do (a tuple,
    another library's vector, an array). Binary operations and the methods that make a
    vector give a `Vector4`, also for a subclass; the in-place forms change the vector
    itself. A vector is the sequence (x, y, z, w), compares by
    value, is unhashable, and pickles with every protocol. Given to a `Rect`, its
    components are left, top, width and height (never two corners). Compiled modules
    create vectors through the method table in `Vector4.__dict__["__pyx_vtable__"]`
    (`tessel/vector4.h`).
    """

    __hash__: ClassVar[None]  # type: ignore[assignment]
    @overload
    def __init__(
        self, x: _Number = 0.0, y: _Number = 0.0, z: _Number = 0.0, w: _Number = 0.0
    ) -> None:
        """`Vector4(x=0.0, y=0.0, z=0.0, w=0.0)`: each a number (anything with a float or
        index conversion).

        Raises the float conversion's TypeError for anything else, and TypeError for more
        than four arguments.
        """
    @overload
    def __init__(self, x: _Vector4Like, /) -> None:
        """`Vector4(sequence)`: every component from one vector, sequence (a `Rect` among
        them) or buffer of four numbers. A single `float` or `int` (or other number) is
        still `x`: `Vector4(5)` is (5, 0, 0, 0). Raises TypeError for anything else."""
    @property
    def x(self) -> float:
        """The first component. Writing stores a number (TypeError for anything else);
        deleting raises TypeError."""
    @x.setter
    def x(self, value: _Number) -> None: ...
    @property
    def y(self) -> float:
        """The second component; as `x`."""
    @y.setter
    def y(self, value: _Number) -> None: ...
    @property
    def z(self) -> float:
        """The third component; as `x`."""
    @z.setter
    def z(self, value: _Number) -> None: ...
    @property
    def w(self) -> float:
        """The fourth component; as `x`."""
    @w.setter
    def w(self, value: _Number) -> None: ...

    # Binary operations give a Vector4, also for a subclass; in-place ones give self.
    def __add__(self, other: _Vector4Like, /) -> Vector4:
        """`v + other`: a new vector, component by component. `other` is a `Vector4` or any
        sequence or buffer of four numbers; for anything else the operator gives way to the
        other operand (else TypeError)."""
    def __radd__(self, other: _Vector4Like, /) -> Vector4:
        """`other + v`, for a sequence or buffer on the left."""
    def __sub__(self, other: _Vector4Like, /) -> Vector4:
        """`v - other`: a new vector; operands as for `+`."""
    def __rsub__(self, other: _Vector4Like, /) -> Vector4:
        """`other - v`, for a sequence or buffer on the left."""
    def __mul__(self, k: _Number, /) -> Vector4:
        """`v * k`: a new vector, each component times the number `k`. For a `k` that is no
        number, or whose float conversion raises TypeError (an array, a symbol), the
        operator gives way to `k` (else TypeError): a vector times a vector is not
        defined."""
    def __rmul__(self, k: _Number, /) -> Vector4:
        """`k * v`: as `v * k`."""
    def __truediv__(self, k: _Number, /) -> Vector4:
        """`v / k`: a new vector, each component divided by the number `k`.

        Raises ZeroDivisionError for `k` zero, as floats do.
        """
    def __rtruediv__(self, other: Any, /) -> Any:  # refuses every operand
        """`k / v` is not defined: always NotImplemented, so the operator raises
        TypeError."""
    def __iadd__(self, other: _Vector4Like, /) -> Self:
        """`v += other`: adds to the vector itself, allocating nothing; every holder of
        the vector sees the change."""
    def __isub__(self, other: _Vector4Like, /) -> Self:
        """`v -= other`: subtracts from the vector itself."""
    def __imul__(self, k: _Number, /) -> Self:
        """`v *= k`: scales the vector itself."""
    def __itruediv__(self, k: _Number, /) -> Self:
        """`v /= k`: divides the vector itself; ZeroDivisionError for `k` zero."""
    def __neg__(self) -> Vector4:
        """`-v`: a new vector."""
    def __pos__(self) -> Vector4:
        """`+v`: a new vector of the base type, equal to `v`."""

    # A fixed sequence of four: x, y, z, w.
    def __len__(self) -> int:
        """4, always."""
    @overload
    def __getitem__(self, index: SupportsIndex, /) -> float:
        """`v[i]`: x, y, z, w for 0 to 3 (or -4 to -1); IndexError for any other index.
        `v[a:b:c]`: a list of the components in the slice, as a list's slice gives them."""
    @overload
    def __getitem__(self, index: slice, /) -> list[float]: ...
    @overload
    def __setitem__(self, index: SupportsIndex, value: _Number, /) -> None:
        """`v[i] = value`: writes a component; IndexError for an index out of range,
        TypeError for a value that is not a number.

        `v[a:b:c] = values`: writes the components in the slice from a sequence or buffer
        of as many numbers (for the whole vector, a `Vector4` too), all read before any is
        written; TypeError for anything else, since the length is fixed.
        """
    @overload
    def __setitem__(self, index: slice, value: _Vector4Like, /) -> None: ...
    def __delitem__(self, index: SupportsIndex | slice, /) -> None:  # always a TypeError
        """`del v[i]` and `del v[a:b]` always raise TypeError: the length is fixed."""
    def __contains__(self, value: object, /) -> bool:
        """`k in v`: whether the number `k` equals a component, as Python compares a number
        with a float (`k in tuple(v)`). Raises TypeError for anything that is not a number
        (no float or index conversion)."""
    def __bool__(self) -> bool:
        """False for the zero vector (a -0.0 component is zero), True otherwise, a NaN
        component too: as numbers are."""
    def __iter__(self) -> Iterator[float]:
        """Iterates x, y, z, w as they were when iteration began."""

    def length(self) -> float:
        """The length, without overflow or underflow for any finite components (inf only
        when the length exceeds the largest double)."""
    def length_squared(self) -> float:
        """The squared length (no square root)."""
    def is_normalized(self) -> bool:
        """Whether the length is 1 within the rounding of stored components: the squared
        length lies within 16 epsilons of the component type of 1 (about 1.9e-6 for
        `Vector2`, 3.6e-15 for `Vector4`). True for every result of `normalized()`."""
    def dot(self, other: _Vector4Like, /) -> float:
        """The dot product with a `Vector4` or a sequence or buffer of four numbers.
        Raises TypeError for anything else."""
    def distance_to(self, other: _Vector4Like, /) -> float:
        """The distance to a point (a `Vector4` or a sequence or buffer of four numbers),
        computed as `length()` is. Raises TypeError for anything else."""
    def distance_squared_to(self, other: _Vector4Like, /) -> float:
        """The squared distance to a point, summed as `length_squared()` sums: no square
        root. Raises TypeError for an `other` that is not a vector."""
    def normalized(self) -> Vector4:
        """A new vector of length 1 in the same direction, for any finite components.

        Raises ValueError "cannot normalize a vector of length zero" for the zero vector.
        """
    def normalize_ip(self) -> None:
        """`normalized()` in place: this vector becomes of length 1 in the same direction.
        Returns None.

        Raises ValueError "cannot normalize a vector of length zero" for the zero vector,
        leaving it as it is.
        """
    def scale_to_length(self, length: _Number, /) -> None:
        """In place: this vector becomes of the given length (within rounding) in the same
        direction, the opposite one for a negative length, for any finite components.
        Returns None.

        Raises ValueError "cannot scale a vector of length zero" for the zero vector,
        TypeError for a `length` that is not a number.
        """
    def lerp(self, other: _Vector4Like, t: _Number, /) -> Vector4:
        """The point at `t` on the way from this vector to `other`: `t` = 0 gives exactly
        this vector, 1 exactly `other`, whatever the values; other values extrapolate. The
        point moves monotonically with `t`.

        Raises TypeError for an `other` that is not a `Vector4` or a sequence or buffer of
        four numbers, or a `t` that is not a number.
        """
    def move_towards(self, target: _Vector4Like, max_distance: _Number, /) -> Vector4:
        """A new vector: this one moved `max_distance` along the straight line to `target`,
        never past it: exactly `target` once that lies within reach. A negative distance
        moves away from `target`.

        The distance is measured as `distance_to()` measures it, without overflow. Raises
        TypeError for a `target` that is not a vector or a `max_distance` that is not a
        number.
        """
    def move_towards_ip(self, target: _Vector4Like, max_distance: _Number, /) -> None:
        """`move_towards()` in place. Returns None."""
    def copy(self) -> Vector4:
        """A new vector of the base type, equal to this one."""
    @overload
    def update(
        self, x: _Number = 0.0, y: _Number = 0.0, z: _Number = 0.0, w: _Number = 0.0
    ) -> None:
        """Sets the components in place, taking what the constructor takes: numbers by
        position or keyword (those not given become 0), or one vector, sequence or buffer
        of as many numbers. Returns None.

        `v.update(5)` makes `v` (5, 0, 0, 0), as `Vector4(5)` is. Raises what the
        constructor raises, naming `update()`.
        """
    @overload
    def update(self, x: _Vector4Like, /) -> None: ...
    def __round__(self, ndigits: SupportsIndex | None = None, /) -> Vector4:
        """`round(v, ndigits)`: a new vector of the base type, each component rounded as
        `round(float, ndigits)` rounds it (halves to even), then stored as a component is;
        infinities and NaN stay as they are.

        Without `ndigits` a zero result is 0.0, as `round(-0.4)` gives 0. Raises TypeError
        for an `ndigits` that is not an integer.
        """

    @overload
    def clamp_magnitude(self, max_length: _Number, /) -> Vector4:
        """A new vector: equal to this one when its length lies within `min_length`
        (0 when only `max_length` is given) and `max_length`, else of the nearer bound's
        length (within rounding) in the same direction.

        Raises ValueError unless 0 <= `min_length` <= `max_length` with `min_length`
        finite, and for the zero vector with a positive `min_length`.
        """
    @overload
    def clamp_magnitude(self, min_length: _Number, max_length: _Number, /) -> Vector4: ...
    @overload
    def clamp_magnitude_ip(self, max_length: _Number, /) -> None:
        """`clamp_magnitude()` in place: this vector becomes the one that
        `clamp_magnitude()` gives, and is left as it is (nothing written) when its length
        lies within the bounds. Returns None.

        Raises what `clamp_magnitude()` raises, leaving the vector as it is.
        """
    @overload
    def clamp_magnitude_ip(self, min_length: _Number, max_length: _Number, /) -> None: ...
    def reflect(self, normal: _Vector4Like, /) -> Vector4:
        """A new vector: this one bounced off a surface with the given normal,
        v - 2 (v.n / n.n) n. The normal may have any length but zero; one along an axis
        gives an exact answer.

        Raises ValueError for a zero normal, TypeError for one that is not a vector.
        """
    def reflect_ip(self, normal: _Vector4Like, /) -> None:
        """`reflect()` in place. Returns None."""
    def project(self, onto: _Vector4Like, /) -> Vector4:
        """A new vector: the part of this one along `onto`, (v.d / d.d) d. `onto` may have
        any length but zero; one along an axis gives an exact answer.

        Raises ValueError for a zero `onto`, TypeError for one that is not a vector.
        """

    def __eq__(self, other: object, /) -> bool:
        """Whether `other` is a `Vector4` (or subclass instance) with equal components;
        a NaN is unequal to itself. False for a tuple or list; ordering raises TypeError."""
    def __ne__(self, other: object, /) -> bool:
        """The negation of `==`."""
    def __reduce__(self) -> tuple[Any, ...]:
        """Pickling: the vector is restored by calling its type with its components (plus
        a subclass instance's own attributes). A subclass with a `__new__` or `__init__` of
        its own is restored without calling either: the base type's `__new__` and
        `__init__` make it with the components (`copyreg._reconstructor`), then its
        attributes are restored (through its own `__setstate__`, if any)."""
