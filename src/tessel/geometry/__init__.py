"""Everyday rect operations: union, clip, clamp, inflate and friends
(module tessel.geometry.geometry, re-exported here)."""

from tessel.geometry.geometry import (
    clamp,
    clip,
    contains,
    copy,
    fit,
    inflate,
    move,
    normalized,
    scale_by,
    union,
    union_all,
)

__all__ = ["clamp", "clip", "contains", "copy", "fit", "inflate", "move", "normalized",
           "scale_by", "union", "union_all"]
