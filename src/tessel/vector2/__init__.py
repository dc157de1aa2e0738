"""Vector2: a pair of single-precision floats (module tessel.vector2.vector2)."""
