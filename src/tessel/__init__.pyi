"""tessel: a fast rectangle type for Python game and graphics code, with the vector
types it is made of (`tessel.rect.rect`, `tessel.vector2.vector2`, `tessel.vector4.vector4`)
queries over many rects and a scene index (`tessel.collide.collide`) and everyday rect
operations (`tessel.geometry`).

The names a program reaches for first are here too: `from tessel import Rect, Vector2,
Vector4, Index`. Each is imported on first use, and so are the sub-packages as attributes
(`tessel.geometry.union(a, b)` after `import tessel`): importing `tessel` or a vector module
alone does not import the rect module, which switches the interpreter lock on in
free-threaded builds.
"""

from tessel import collide as collide
from tessel import geometry as geometry
from tessel import rect as rect
from tessel import vector2 as vector2
from tessel import vector4 as vector4
from tessel.collide.collide import Index as Index
from tessel.rect.rect import Rect as Rect
from tessel.vector2.vector2 import Vector2 as Vector2
from tessel.vector4.vector4 import Vector4 as Vector4

__all__ = ["Index", "Rect", "Vector2", "Vector4", "get_include"]

def get_include() -> str:
    """The folder to put on a compiled client's include path, next to the interpreter's
    own headers: it holds `tessel/rect.h`, `tessel/vector2.h` and `tessel/vector4.h`."""
