"""tessel: a fast rectangle type for Python game and graphics code, with the vector
types it is made of (`tessel.rect.rect`, `tessel.vector2.vector2`, `tessel.vector4.vector4`)
queries over many rects (`tessel.collide.collide`) and everyday rect operations
(`tessel.geometry`)."""

def get_include() -> str:
    """The folder to put on a compiled client's include path, next to the interpreter's
    own headers: it holds `tessel/rect.h`, `tessel/vector2.h` and `tessel/vector4.h`."""
