"""Collision queries over many rects in one call, and the scene index `Index`:
`from tessel.collide import Index, rect_hits`. The public names of `tessel.collide.collide`,
re-exported (and imported on first use): see there."""

from tessel.collide.collide import Hit as Hit
from tessel.collide.collide import Index as Index
from tessel.collide.collide import first_rect_hit as first_rect_hit
from tessel.collide.collide import overlapping_pairs as overlapping_pairs
from tessel.collide.collide import overlapping_pairs_between as overlapping_pairs_between
from tessel.collide.collide import point_hits as point_hits
from tessel.collide.collide import raycast as raycast
from tessel.collide.collide import rect_hits as rect_hits
from tessel.collide.collide import segment_hits as segment_hits
from tessel.collide.collide import sweep as sweep

__all__ = ["Hit", "Index", "first_rect_hit", "overlapping_pairs", "overlapping_pairs_between",
           "point_hits", "raycast", "rect_hits", "segment_hits", "sweep"]
