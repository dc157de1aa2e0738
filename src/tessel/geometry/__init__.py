"""Everyday rect operations: union, clip, clamp, inflate and friends
(module tessel.geometry.geometry, re-exported here and imported on first use)."""

from tessel._lazy import attributes as _attributes

__all__ = ["clamp", "clip", "clip_line", "contains", "copy", "fit", "inflate", "move",
           "normalized", "scale_by", "union", "union_all"]
__getattr__, __dir__ = _attributes(__name__, dict.fromkeys(__all__, "tessel.geometry.geometry"))
