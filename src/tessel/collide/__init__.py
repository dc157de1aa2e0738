"""Collision queries over many rects in one call, and the scene index `Index` (module
tessel.collide.collide, re-exported here and imported on first use)."""

import importlib as _importlib

from tessel._lazy import attributes as _attributes

# The module's private names and the package's other modules stay where they are.
__all__ = ["Hit", "Index", "first_rect_hit", "overlapping_pairs", "overlapping_pairs_between",
           "point_hits", "raycast", "rect_hits", "segment_hits", "sweep"]
_exported, __dir__ = _attributes(__name__, dict.fromkeys(__all__, "tessel.collide.collide"))


def __getattr__(name):
    # The tests' hooks are a module that the compiled module makes as it starts.
    if name == "_testing":
        _importlib.import_module("tessel.collide.collide")
        return _importlib.import_module("tessel.collide._testing")
    return _exported(name)
