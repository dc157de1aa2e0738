"""The exact model of a rect moving along an offset, written from the rule: the rect at s
has position (x + s*dx, y + s*dy) as exact reals and size (w, h); it overlaps a box b when,
on each axis, x(s) < b.right and b.x < x(s) + w, b's edges as its properties compute them.
The contact is the least such s (the lower end of the open interval of them) when it lies in
[0, 1); overlapping where it stands is collide_rect's answer; and the checker of slide()'s
promises, over any scene."""

import math
from fractions import Fraction

from rect_support import f32

INF = math.inf
START = "start"


def edges(box):
    x, y, w, h = box
    return x, x + w, y, y + h  # the properties' doubles


def overlaps(a, b):
    ax, ar, ay, ab = edges(a)
    bx, br, by, bb = edges(b)
    return ax < br and bx < ar and ay < bb and by < ab


def _finite(v):
    return isinstance(v, Fraction) or math.isfinite(v)


def _interval(p, d, near, size, far):
    """The open interval of s where near - size < p + s*d < far, or None."""
    if not math.isfinite(near) or math.isnan(far) or far == -INF:
        return None
    lo = -INF if size == INF else Fraction(near) - Fraction(size)
    hi = INF if far == INF else Fraction(far)
    if lo != -INF and hi != INF and not lo < hi:
        return None
    if d == 0:
        return (-INF, INF) if lo < p < hi else None

    def s(e):
        return (-INF if d > 0 else INF) * (1 if e == -INF else -1) if e in (INF, -INF) else (e - p) / d

    ends = sorted([s(lo), s(hi)])
    return ends[0], ends[1]


def contact(mover, offset, box):
    """None, or (s, axis, corner, t, point, normal) with s exact ("start": s = 0)."""
    x, y, w, h = mover
    dx, dy = offset
    if not (math.isfinite(x) and math.isfinite(y)) or not (w > -INF and h > -INF):
        return None
    if overlaps(mover, box):
        return (Fraction(0), START, False, 0.0, (float(x), float(y)), (0.0, 0.0))
    if not (_finite(dx) and _finite(dy)):
        return None
    bx, br, by, bb = edges(box)
    dx, dy = Fraction(dx), Fraction(dy)
    ix = _interval(Fraction(x), dx, bx, w, br)
    iy = _interval(Fraction(y), dy, by, h, bb)
    if ix is None or iy is None:
        return None
    a, c = max(ix[0], iy[0]), min(ix[1], iy[1])
    if not (a < c and a < 1 and c > 0):
        return None
    if a < 0:
        return (Fraction(0), START, False, 0.0, (float(x), float(y)), (0.0, 0.0))
    on_x, on_y = ix[0] == a, iy[0] == a
    corner = on_x and on_y
    axis = "x" if (on_x and not on_y) or (corner and abs(dx) < abs(dy)) else "y"
    normal = (-1.0 if dx > 0 else 1.0, 0.0) if axis == "x" else (0.0, -1.0 if dy > 0 else 1.0)
    point = (float(Fraction(x) + a * dx), float(Fraction(y) + a * dy))
    return (a, axis, corner, float(a), point, normal)


def first(mover, offset, boxes, skip=(), sides=False):
    """The first contact among the boxes not skipped, as (index, contact): least s, the start
    first, then (with `sides`) a side before a corner, then the lowest index."""
    best = None
    for i, b in enumerate(boxes):
        if i in skip:
            continue
        c = contact(mover, offset, b)
        if c is None:
            continue
        key = (c[0], c[1] != START, sides and c[2], i)
        if best is None or key < best[0]:
            best = (key, i, c)
    return None if best is None else (best[1], best[2])


def expected_sweep(mover, offset, boxes):
    """What sweep() gives: (index, t, point, normal), or None."""
    found = first(mover, offset, boxes)
    if found is None:
        return None
    i, c = found
    return (i, c[3], c[4], c[5])


def check_slide(boxes, skip, start, offset, steps, hits, final, exact=True):
    """Every promise of Index.slide(), for a rect of values `start` (x, y, w, h) moved by
    `offset` among the boxes (members `skip` passed through), that gave `hits` as (index, t,
    point, normal) and ended at `final`. With `exact`, each contact must also be the model's
    first contact of its leg, t and normal included."""
    x, y, w, h = start
    target = [f32(x + offset[0]), f32(y + offset[1])]
    obstacles = [i for i in range(len(boxes)) if i not in skip]
    assert len(hits) <= steps and all(f32(v) == v for v in final)
    assert not any(overlaps((*final, w, h), boxes[i]) for i in obstacles), "ends overlapping"
    legs = [(x, y)] + [hit[2] for hit in hits]
    if len(hits) < steps or not hits:
        legs.append(final)
    else:
        assert tuple(final) == tuple(hits[-1][2])
    for k in range(len(legs) - 1):
        a, b = legs[k], legs[k + 1]
        for axis in range(2):  # never backwards, never past the target
            lo, hi = sorted([start[axis], target[axis]])
            assert a[axis] == b[axis] or (lo <= b[axis] <= hi and
                                          (b[axis] - a[axis]) * (target[axis] - start[axis]) > 0)
        step = (Fraction(b[0]) - Fraction(a[0]), Fraction(b[1]) - Fraction(a[1]))
        met = first((*a, w, h), step, boxes, skip)
        assert met is None, f"leg {k} from {a} to {b} meets box {met}"
    # Each contact is the first of its leg, towards what remains of the target.
    position, goal = (x, y), list(target)
    for k, (i, t, point, normal) in enumerate(hits):
        assert i in obstacles and normal in [(-1.0, 0.0), (1.0, 0.0), (0.0, -1.0), (0.0, 1.0)]
        step = (Fraction(goal[0]) - Fraction(position[0]), Fraction(goal[1]) - Fraction(position[1]))
        met = first((*position, w, h), step, boxes, skip, sides=True)
        assert met is not None
        if exact:
            assert (met[0], met[1][3], met[1][5]) == (i, t, normal)
        axis = 0 if normal[0] else 1
        goal[axis] = point[axis]
        position = point
    if len(hits) < steps:
        assert tuple(final) == tuple(goal), "stopped with nothing in the way"
