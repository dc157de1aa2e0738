"""Collision queries over many rects in one call (module tessel.collide.collide)."""
