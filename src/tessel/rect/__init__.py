"""Rect: an axis-aligned rectangle built from two vectors (module tessel.rect.rect,
re-exported here and imported on first use)."""

from tessel._lazy import attributes as _attributes

__all__ = ["Rect"]
__getattr__, __dir__ = _attributes(__name__, dict.fromkeys(__all__, "tessel.rect.rect"))
