"""Lines of sight in exact arithmetic, written from the rule (not from the code): a segment
start + t * (end - start), t in [0, 1], meets a box where some point lies in it by the closed
rule on its edges x, x + w (double) and y, y + h; the entry is the least such t, the exit the
greatest. Values are Fractions; what the package reports is rounded once (float(Fraction)).
And generated scenes in the domain where the package's t and points are correctly rounded:
multiples of 1/8 below 2**20, and single-precision values of similar magnitude."""

import math
import struct
from fractions import Fraction

from hypothesis import strategies as st

from rect_support import Rect, Vector2

INF = math.inf
NORMALS = {(-1.0, 0.0), (1.0, 0.0), (0.0, -1.0), (0.0, 1.0), (0.0, 0.0)}


def edges(box):
    """(x, right, y, bottom) as the properties compute them, in double precision."""
    x, y, w, h = box
    return x, x + w, y, y + h


def _span(s, e, low, high):
    """The t at which the segment's coordinate lies within [low, high], as (first, last),
    either possibly infinite; None when never (on an axis along which it does not move)."""
    if s == e:
        return (-INF, INF) if low <= s <= high else None
    d = Fraction(e) - Fraction(s)

    def at(edge):
        if math.isinf(edge):
            return INF if (edge > 0) == (d > 0) else -INF
        return (Fraction(edge) - Fraction(s)) / d

    a, b = at(low), at(high)
    return min(a, b), max(a, b)


def crossing(box, start, end):
    """The exact entry and exit of the segment in the box: ((t, point, normal), (t, point))
    with t a Fraction and the points as the package reports them, or None."""
    x, right, y, bottom = edges(box)
    (sx, sy), (ex, ey) = start, end
    if not (x <= right and y <= bottom):
        return None  # a negative or NaN size holds no point
    if sx == ex and sy == ey:
        inside = x <= sx <= right and y <= sy <= bottom
        return ((Fraction(0), (sx, sy), (0.0, 0.0)), (Fraction(0), (sx, sy))) if inside else None
    if not all(map(math.isfinite, (sx, sy, ex, ey))):
        return None
    on_x, on_y = _span(sx, ex, x, right), _span(sy, ey, y, bottom)
    if on_x is None or on_y is None:
        return None
    first, last = max(0, on_x[0], on_y[0]), min(1, on_x[1], on_y[1])
    if first > last:
        return None
    d = (Fraction(ex) - Fraction(sx), Fraction(ey) - Fraction(sy))
    s = (Fraction(sx), Fraction(sy))

    def point(t, axis, edge):
        """p(t) with the coordinate of `axis` set to its edge (both at a corner)."""
        p = [float(s[i] + t * d[i]) for i in (0, 1)]
        if axis is not None:
            p[axis] = edge
        return tuple(p)

    if first == 0:
        entry = (Fraction(0), (sx, sy), (0.0, 0.0))
    else:
        by_x, by_y = on_x[0] == first, on_y[0] == first
        if by_x and by_y:  # a corner: the axis along which it moves less, y on a tie
            by_x = abs(d[0]) < abs(d[1])
        if by_x:
            edge = x if d[0] > 0 else right
            entry = (first, point(first, 0, edge), (-1.0 if d[0] > 0 else 1.0, 0.0))
        else:
            edge = y if d[1] > 0 else bottom
            entry = (first, point(first, 1, edge), (0.0, -1.0 if d[1] > 0 else 1.0))
    if last == 1:
        leave = (Fraction(1), (ex, ey))
    else:
        p = point(last, None, None)
        p = ((x if d[0] < 0 else right) if on_x[1] == last else p[0],
             (y if d[1] < 0 else bottom) if on_y[1] == last else p[1])
        leave = (last, p)
    return entry, leave


def hit_of(value, entry):
    """A hit as the package reports it: (value, t, point, normal)."""
    t, point, normal = entry
    return value, float(t), point, normal


def raycast(boxes, start, end):
    """The hit of least t, the lowest index among equal ones, or None."""
    hits = segment_hits(boxes, start, end)
    return hits[0] if hits else None


def segment_hits(boxes, start, end):
    """Every hit, by t, then by index."""
    found = [(c[0], i) for i, b in enumerate(boxes) if (c := crossing(b, start, end))]
    found.sort(key=lambda item: (item[0][0], item[1]))
    return [hit_of(i, entry) for entry, i in found]


def clip_line(box, start, end):
    c = crossing(box, start, end)
    return None if c is None else (c[0][1], c[1][1])


def in_span(box, point):
    """Whether a reported point lies within the box's closed span, as soundness asks."""
    x, right, y, bottom = edges(box)
    return x <= point[0] <= right and y <= point[1] <= bottom


def box_of(rect):
    """A rect's four values as the package reads them where it reads a rect whole (an
    Index, the lines of sight): position and size, then x and y of each, as doubles."""
    position, size = rect.position, rect.size
    return tuple(v if type(v) is float else math.fsum([v])
                 for vector in (position, size) for v in (vector.x, vector.y))


def point_of(p):
    """A point as the package reads it (the caller has had Rect.collide_point check it)."""
    return tuple(map(float, (p.x, p.y) if isinstance(p, Vector2) else (p[0], p[1])))


def nearest(boxes, point, k=1, max_distance=None, exact=True):
    """The k (index, distance) nearest the point, by the squared distance to the closed box
    (exact, or in doubles as the package computes it beyond the exact domain), then index;
    boxes that hold no point left out, and distances above max_distance."""
    px, py = point
    if math.isnan(px) or math.isnan(py):
        return []
    found = []
    for i, b in enumerate(boxes):
        x, right, y, bottom = edges(b)
        if not (x <= right and y <= bottom):
            continue
        gaps = [x - px if px < x else px - right if px > right else 0.0,
                y - py if py < y else py - bottom if py > bottom else 0.0]
        if exact:
            squared = sum((Fraction(lo) - Fraction(p)) ** 2 if p < lo else
                          (Fraction(p) - Fraction(hi)) ** 2 if p > hi else 0
                          for p, lo, hi in ((px, x, right), (py, y, bottom)))
            distance = math.sqrt(float(squared))  # exact squares: a correctly rounded root
            key = squared
        else:
            key = gaps[0] * gaps[0] + gaps[1] * gaps[1]
            distance = (math.hypot(*gaps) if math.isinf(key) or key < 2.0 ** -960 else
                        math.sqrt(key))
            key = (key, distance)
        if max_distance is None or distance <= max_distance:
            found.append((key, i, distance))
    found.sort(key=lambda item: item[:2])
    return [(i, distance) for _, i, distance in found[:k]]


# ---------------------------------------------------------------------------------------
# Generated scenes in the exact domain: coordinates that are multiples of 1/8 below 2**20
# (a few near values for ties, or spread wide) or single-precision values within a factor
# of 4 of each other; sizes zero, negative, NaN and infinite too; duplicate boxes; segments
# through corners, along edges, starting inside, of zero length, in every direction.

def f32(v):
    return struct.unpack("f", struct.pack("f", v))[0]


EIGHTHS = st.integers(-8 * 2 ** 20 + 1, 8 * 2 ** 20 - 1).map(lambda n: n / 8)
NEAR = st.integers(-24, 72).map(lambda n: n / 8)
SINGLE = st.floats(1000, 4000, width=32)
ODD_SIZES = st.sampled_from([0.0, -0.0, -1.0, -0.125, math.nan, math.inf, -math.inf])


@st.composite
def scenes(draw, max_boxes=10):
    """(boxes, start, end): boxes as (x, y, w, h), and a segment, all in the exact domain."""
    value = draw(st.sampled_from([NEAR, NEAR, EIGHTHS, SINGLE]))
    if value is SINGLE:
        size = st.one_of(st.floats(0, 1000, width=32), ODD_SIZES)
    else:
        size = st.one_of(value.map(abs), ODD_SIZES) if value is NEAR else st.one_of(
            st.integers(0, 8 * 2 ** 12).map(lambda n: n / 8), ODD_SIZES)
    boxes = draw(st.lists(st.tuples(value, value, size, size), max_size=max_boxes))
    if boxes and draw(st.booleans()):
        boxes += draw(st.lists(st.sampled_from(boxes), max_size=2))  # duplicates
    start = draw(st.tuples(value, value))
    end = draw(st.tuples(value, value))
    finite = [b for b in boxes if all(map(math.isfinite, edges(b)))]
    if finite:
        b = draw(st.sampled_from(finite))
        x, right, y, bottom = edges(b)
        corner = draw(st.sampled_from([(x, y), (right, y), (x, bottom), (right, bottom)]))
        kind = draw(st.sampled_from(["free", "corner", "edge", "inside", "still"]))
        if kind == "corner":  # through the corner, or ending on it
            end = draw(st.sampled_from([corner, (2 * corner[0] - start[0],
                                                 2 * corner[1] - start[1])]))
        elif kind == "edge":  # along a side
            start, end = (start[0], corner[1]), (end[0], corner[1])
            if draw(st.booleans()):
                start, end = (corner[0], start[1]), (corner[0], end[1])
        elif kind == "inside":
            start = ((x + right) / 2, (y + bottom) / 2)
        elif kind == "still":
            end = start
    if value is SINGLE:
        start, end = tuple(map(f32, start)), tuple(map(f32, end))
    return boxes, start, end


def rects_of(boxes):
    """Rects of exact vectors holding the boxes (single precision holds every value)."""
    return [Rect(*b) for b in boxes]
