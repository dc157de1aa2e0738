"""Vector2: a pair of single-precision floats (module tessel.vector2.vector2, re-exported
here and imported on first use)."""

from tessel._lazy import attributes as _attributes

__all__ = ["Vector2"]
__getattr__, __dir__ = _attributes(__name__, dict.fromkeys(__all__, "tessel.vector2.vector2"))
