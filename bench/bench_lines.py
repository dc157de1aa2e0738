"""Times the lines of sight: the first hit of a ray and the nearest members on an index of
100,000 rects, beside what a user of the spatial indexes they would pick writes for the
same answers. Ratios from one run, in thread CPU time.

    python bench/bench_lines.py [--rounds N] [--n 100000]

The scene is bench_index.py's uniform one (8 to 48 units a side, 1,600 square units per
rect). Two rays, each starting at a point that no rect holds: a short one, about ten rect
sizes long (280 units), and one across the whole scene. For each, the first hit:

- `Index.raycast(start, end)`;
- shapely, as its user writes it: `STRtree.query(line, predicate="intersects")`, then the
  intersections of the candidates with the line and the one nearest to the start
  (`shapely.intersection`, `shapely.distance`, `shapely.shortest_line`);
- a Python loop of `geometry.clip_line` over `Index.rect_hits` of the segment's bounding box,
  keeping the entry nearest to the start;
- the one-shot `collide.raycast` over the same rects.

Then the nearest member to the ray's start: `Index.nearest(point)` beside shapely's
`STRtree.query_nearest` and rtree's `nearest`, and ten of them beside rtree's ten. Last,
`collide.raycast` over one rect and `clip_line` per call, in nanoseconds, beside
constructing a rect, their floor. A peer that is not importable is left out.
"""

import argparse
import math
import sys

from bench_index import scene
from rounds import calls_us, peer, statements_ns
from tessel.collide import collide
from tessel.collide.collide import Index
from tessel.geometry import clip_line
from tessel.rect.rect import Rect

numpy, shapely = peer("numpy"), peer("shapely")
rtree_index = peer("rtree.index")


def free_point(ix, x, y, step=7.0):
    """The first point from (x, y) on along x that no rect holds."""
    while ix.point_hits((x, y)):
        x += step
    return x, y


def rays(ix, side):
    sx, sy = free_point(ix, side * 0.41, side * 0.37)
    angle = 0.3
    short = ((sx, sy), (sx + 280 * math.cos(angle), sy + 280 * math.sin(angle)))
    ax, ay = free_point(ix, 1.0, side * 0.3)
    across = ((ax, ay), (side - 1.0, side * 0.7))
    return {"short": short, "across": across}


def by_clip_line(ix):
    def first_hit(start, end):
        (sx, sy), (ex, ey) = start, end
        bbox = (min(sx, ex), min(sy, ey), abs(ex - sx), abs(ey - sy))
        best, best_d = None, math.inf
        for r in ix.rect_hits(bbox):
            part = clip_line(r, start, end)
            if part is not None:
                (px, py), _ = part
                d = (px - sx) ** 2 + (py - sy) ** 2
                if d < best_d:
                    best, best_d = (r, part[0]), d
        return best

    return first_hit


def by_shapely(boxes):
    x, y, w, h = (numpy.array(c) for c in zip(*boxes))
    geoms = shapely.box(x, y, x + w, y + h)
    tree = shapely.STRtree(geoms)

    def first_hit(start, end):
        line, origin = shapely.LineString([start, end]), shapely.Point(start)
        found = tree.query(line, predicate="intersects")
        if len(found) == 0:
            return None
        parts = shapely.intersection(geoms[found], line)
        k = int(numpy.argmin(shapely.distance(origin, parts)))
        return int(found[k]), shapely.shortest_line(origin, parts[k]).coords[1]

    return tree, first_hit


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--n", type=int, default=100_000)
    args = parser.parse_args(argv)
    side, boxes = scene(args.n)
    rects = [Rect(*b) for b in boxes]
    ix = Index(rects, range(len(rects)))
    values_ix = Index(rects)
    clipping = by_clip_line(values_ix)
    tree = shapely_hit = None
    if shapely is not None and numpy is not None:
        tree, shapely_hit = by_shapely(boxes)
    print(f"Python {sys.version.split()[0]}; {args.n:,} rects; microseconds of thread CPU "
          f"time, best of {args.rounds} interleaved rounds")
    print(f"\n{'first hit':10} {'length':>7} {'index':>8} {'shapely':>9} {'clip_line':>10} "
          f"{'one-shot':>10} {'shapely/ix':>10} {'clip/ix':>8}")
    for name, (start, end) in rays(ix, side).items():
        hit = ix.raycast(start, end)
        calls = {"index": (lambda: ix.raycast(start, end), 2000),
                 "clip_line": (lambda: clipping(start, end), 3 if name == "across" else 200),
                 "one-shot": (lambda: collide.raycast(rects, start, end), 2)}
        if shapely_hit is not None:
            got = shapely_hit(start, end)
            assert got[0] == hit.value, (got, hit)  # the same first hit
            calls["shapely"] = (lambda: shapely_hit(start, end), 20 if name == "across" else 500)
        assert clipping(start, end)[0] is rects[hit.value]
        t = calls_us(calls, args.rounds)
        length = math.dist(start, end)

        def cell(key, width):
            return f"{t[key]:{width},.2f}" if key in t else f"{'-':>{width}}"

        print(f"{name:10} {length:7,.0f} {cell('index', 8)} {cell('shapely', 9)} "
              f"{cell('clip_line', 10)} {cell('one-shot', 10)} "
              f"{t.get('shapely', math.nan) / t['index']:10.1f} "
              f"{t['clip_line'] / t['index']:8.1f}")

    point = rays(ix, side)["short"][0]
    calls = {"index": (lambda: ix.nearest(point), 2000),
             "index k=10": (lambda: ix.nearest(point, 10), 2000)}
    if tree is not None:
        dot = shapely.Point(point)
        calls["STRtree"] = (lambda: tree.query_nearest(dot), 2000)
    if rtree_index is not None:
        rt = rtree_index.Index((i, (b[0], b[1], b[0] + b[2], b[1] + b[3]), None)
                               for i, b in enumerate(boxes))
        calls["rtree"] = (lambda: list(rt.nearest(point + point, 1)), 2000)
        calls["rtree k=10"] = (lambda: list(rt.nearest(point + point, 10)), 2000)
    t = calls_us(calls, args.rounds)
    print(f"\nnearest to {point[0]:.1f}, {point[1]:.1f}: "
          + ", ".join(f"{k} {v:,.2f}" for k, v in t.items()))
    if "STRtree" in t:
        print(f"  STRtree / index {t['STRtree'] / t['index']:.1f}")
    if "rtree" in t:
        print(f"  rtree / index {t['rtree'] / t['index']:.1f}, "
              f"k=10: {t['rtree k=10'] / t['index k=10']:.1f}")

    setup = ("from tessel.rect.rect import Rect\nfrom tessel.collide.collide import raycast\n"
             "from tessel.geometry import clip_line\nr = Rect(10, 10, 20, 20); rs = [r]\n"
             "s = (0.0, 15.0); e = (40.0, 25.0)\n")
    ns = statements_ns({"tessel": (setup, {"floor": "Rect(1, 2, 3, 4)",
                                           "raycast": "raycast(rs, s, e)",
                                           "clip_line": "clip_line(r, s, e)"})}, 20_000, 20)
    floor = ns["tessel", "floor"]
    print(f"\nper call, ns: Rect(1, 2, 3, 4) {floor:.1f}; "
          + "; ".join(f"{k} {ns['tessel', k]:.1f} ({ns['tessel', k] / floor:.2f} x floor)"
                      for k in ("raycast", "clip_line")))


if __name__ == "__main__":
    main()
