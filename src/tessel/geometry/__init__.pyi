"""Everyday rect operations: union, clip, clamp, inflate and friends. The functions of
`tessel.geometry.geometry`, re-exported (and imported on first use): see there."""

from tessel.geometry.geometry import clamp as clamp
from tessel.geometry.geometry import clamp_ip as clamp_ip
from tessel.geometry.geometry import clip as clip
from tessel.geometry.geometry import clip_line as clip_line
from tessel.geometry.geometry import contains as contains
from tessel.geometry.geometry import copy as copy
from tessel.geometry.geometry import fit as fit
from tessel.geometry.geometry import inflate as inflate
from tessel.geometry.geometry import inflate_ip as inflate_ip
from tessel.geometry.geometry import move as move
from tessel.geometry.geometry import move_ip as move_ip
from tessel.geometry.geometry import normalize_ip as normalize_ip
from tessel.geometry.geometry import normalized as normalized
from tessel.geometry.geometry import scale_by as scale_by
from tessel.geometry.geometry import scale_by_ip as scale_by_ip
from tessel.geometry.geometry import union as union
from tessel.geometry.geometry import union_all as union_all
from tessel.geometry.geometry import union_ip as union_ip

__all__ = ["clamp", "clamp_ip", "clip", "clip_line", "contains", "copy", "fit", "inflate",
           "inflate_ip", "move", "move_ip", "normalize_ip", "normalized", "scale_by",
           "scale_by_ip", "union", "union_all", "union_ip"]
