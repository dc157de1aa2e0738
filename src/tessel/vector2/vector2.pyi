# Types of the compiled module tessel.vector2.vector2.
from types import CapsuleType
from typing import Any, ClassVar, SupportsFloat, SupportsIndex

from typing_extensions import disjoint_base

_Number = SupportsFloat | SupportsIndex

@disjoint_base
class Vector2:
    """Two single-precision floats: what is stored reads back rounded to float32."""

    __hash__: ClassVar[None]  # type: ignore[assignment]
    __pyx_vtable__: ClassVar[CapsuleType]

    def __init__(self, x: _Number = 0.0, y: _Number = 0.0) -> None: ...
    @property
    def x(self) -> float: ...
    @x.setter
    def x(self, value: _Number) -> None: ...
    @property
    def y(self) -> float: ...
    @y.setter
    def y(self, value: _Number) -> None: ...
    def __eq__(self, other: object, /) -> bool: ...
    def __ne__(self, other: object, /) -> bool: ...
    def __reduce__(self) -> tuple[Any, ...]: ...
