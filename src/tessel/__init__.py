"""tessel: a fast rectangle type for Python game and graphics code."""

import os


def get_include() -> str:
    """The folder to put on a compiled client's include path, for tessel/rect.h,
    tessel/vector2.h and tessel/vector4.h."""
    return os.path.join(os.path.dirname(__file__), "include")
