"""Vector4: four double-precision floats (module tessel.vector4.vector4)."""
