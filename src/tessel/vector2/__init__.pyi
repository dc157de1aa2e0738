"""The two-component vector: `from tessel.vector2 import Vector2`. The class of
`tessel.vector2.vector2`, re-exported (and imported on first use): see there."""

from tessel.vector2.vector2 import Vector2 as Vector2

__all__ = ["Vector2"]
