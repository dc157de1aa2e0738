"""Everyday rect operations: union, clip, clamp, inflate and friends. The functions of
`tessel.geometry.geometry`, re-exported (and imported on first use): see there."""

from tessel.geometry.geometry import clamp as clamp
from tessel.geometry.geometry import clip as clip
from tessel.geometry.geometry import clip_line as clip_line
from tessel.geometry.geometry import contains as contains
from tessel.geometry.geometry import copy as copy
from tessel.geometry.geometry import fit as fit
from tessel.geometry.geometry import inflate as inflate
from tessel.geometry.geometry import move as move
from tessel.geometry.geometry import normalized as normalized
from tessel.geometry.geometry import scale_by as scale_by
from tessel.geometry.geometry import union as union
from tessel.geometry.geometry import union_all as union_all

__all__ = ["clamp", "clip", "clip_line", "contains", "copy", "fit", "inflate", "move",
           "normalized", "scale_by", "union", "union_all"]
