"""Vector4: four double-precision floats (module tessel.vector4.vector4, re-exported here
and imported on first use)."""

from tessel._lazy import attributes as _attributes

__all__ = ["Vector4"]
__getattr__, __dir__ = _attributes(__name__, dict.fromkeys(__all__, "tessel.vector4.vector4"))
