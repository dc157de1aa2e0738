"""The four-component vector: `from tessel.vector4 import Vector4`. The class of
`tessel.vector4.vector4`, re-exported (and imported on first use): see there."""

from tessel.vector4.vector4 import Vector4 as Vector4

__all__ = ["Vector4"]
