"""Rect: an axis-aligned rectangle built from two vectors (module tessel.rect.rect)."""
