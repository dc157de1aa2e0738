"""Everyday rect operations: union, clip, clamp, inflate and friends
(module tessel.geometry.geometry, re-exported here and imported on first use)."""

from tessel._lazy import attributes as _attributes

__all__ = ["clamp", "clamp_ip", "clip", "clip_line", "contains", "copy", "fit", "inflate",
           "inflate_ip", "move", "move_ip", "normalize_ip", "normalized", "scale_by",
           "scale_by_ip", "union", "union_all", "union_ip"]
__getattr__, __dir__ = _attributes(__name__, dict.fromkeys(__all__, "tessel.geometry.geometry"))
