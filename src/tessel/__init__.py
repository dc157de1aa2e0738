"""tessel: a fast rectangle type for Python game and graphics code."""

import os

from tessel._lazy import attributes as _attributes

# The names a program reaches for first, and the module each comes from; each is imported
# on first use (tessel._lazy says why). Add a name here, to __all__ and to __init__.pyi.
_EXPORTS = {
    "Index": "tessel.collide.collide",
    "Rect": "tessel.rect.rect",
    "Vector2": "tessel.vector2.vector2",
    "Vector4": "tessel.vector4.vector4",
}

__all__ = ["Index", "Rect", "Vector2", "Vector4", "get_include"]

__getattr__, __dir__ = _attributes(__name__, _EXPORTS,
                                   ("collide", "geometry", "rect", "vector2", "vector4"))


def get_include() -> str:
    """The folder to put on a compiled client's include path, for tessel/rect.h,
    tessel/vector2.h and tessel/vector4.h."""
    return os.path.join(os.path.dirname(__file__), "include")
