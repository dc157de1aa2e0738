"""Times motion: Index.slide beside the collision idiom users write, Index.move from an array,
and a whole frame driven by numpy beside the same frame in a Python loop. Ratios from one
run, in thread CPU time.

    python bench/bench_motion.py [--rounds N] [--movers 1000] [--frame 10000]

Slides: 1,000 movers (8 x 8) of random velocity (up to 40 units a frame on each axis) on an
index of 10,000 tiles (16 x 16, and one in five a thin wall of 16 x 2), each frame one
`Index.slide` per mover, beside the idiom: move x, `rect_hits`, push out by the edges met,
then the same for y. Each frame runs the velocities one way and the next frame back, so the
movers stay among the tiles. Counted on one frame from the same start: the movers the idiom
lets tunnel (one of its two axis moves passes into or through a tile that the exact sweep
of that move meets first) and those it snags (pushed back on an axis along which the slide
went all the way).

Array move: Index.move of 10,000 rects from an (n, 2) numpy array of doubles, beside the
list of Vector2.

Frame: 10,000 rects bounce inside a field: velocities in an (n, 2) array, the walls handled
on numpy.asarray(index.boxes), then index.move(velocities); beside the same frame written
as a loop of `r.position += v` with the edges tested per rect, then refresh().
"""

import argparse
import random
import sys

from rounds import calls_us, peer
from tessel.collide.collide import Index
from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2

numpy = peer("numpy")

TILE = 16


def tiles(n, seed=1):
    """n tiles on a square map of cells, about one cell in three filled."""
    rng = random.Random(f"motion-{n}-{seed}")
    side = int((3 * n) ** 0.5)
    cells = rng.sample(range(side * side), n)
    out = []
    for c in cells:
        x, y = (c % side) * TILE, (c // side) * TILE
        out.append(Rect(x, y, TILE, 2) if rng.random() < 0.2 else Rect(x, y, TILE, TILE))
    return side * TILE, out


def movers(ix, side, count, seed=2):
    """count movers placed where they overlap no tile, with their velocities."""
    rng = random.Random(f"movers-{seed}")
    out = []
    while len(out) < count:
        r = Rect(rng.uniform(0, side), rng.uniform(0, side), 8, 8)
        if ix.first_rect_hit(r) is None:
            out.append((r, (round(rng.uniform(-40, 40)), round(rng.uniform(-40, 40)))))
    return out


def idiom(ix, r, v):
    """What users write: one axis at a time, pushed out by the edges of what it overlaps."""
    r.x += v[0]
    for t in ix.rect_hits(r):
        if v[0] > 0:
            r.right = t.x
        elif v[0] < 0:
            r.x = t.right
    r.y += v[1]
    for t in ix.rect_hits(r):
        if v[1] > 0:
            r.bottom = t.y
        elif v[1] < 0:
            r.y = t.bottom


def faults(ix, cast):
    """How many movers the idiom lets tunnel and snag, on one frame from the same start."""
    tunnelled = snagged = 0
    for r, v in cast:
        start = (r.x, r.y)
        a, b = Rect(*start, r.w, r.h), Rect(*start, r.w, r.h)
        idiom(ix, a, v)
        ix.slide(b, v)
        # Each of the idiom's moves, exactly: any contact (or an overlap where it starts)
        # is a tile it went into or through.
        x_leg = ix.sweep((*start, r.w, r.h), (a.x - start[0], 0))
        y_leg = ix.sweep((a.x, start[1], r.w, r.h), (0, a.y - start[1]))
        if x_leg is not None or y_leg is not None:
            tunnelled += 1
        elif any(abs(getattr(a, c) - s) < abs(getattr(b, c) - s) and getattr(b, c) == s + d
                 for c, s, d in zip("xy", start, v)):
            snagged += 1
    return tunnelled, snagged


def slide_calls(n, count):
    side, walls = tiles(n)
    ix = Index(walls)
    cast = movers(ix, side, count)
    tunnelled, snagged = faults(ix, cast)
    sign = [1]

    def with_slide():
        s = sign[0] = -sign[0]
        for r, (dx, dy) in cast:
            ix.slide(r, (s * dx, s * dy))

    idiom_cast = movers(ix, side, count)  # the same start
    idiom_sign = [1]

    def with_idiom():
        s = idiom_sign[0] = -idiom_sign[0]
        for r, (dx, dy) in idiom_cast:
            idiom(ix, r, (s * dx, s * dy))

    return {"slide": (with_slide, 0), "idiom": (with_idiom, 0)}, (tunnelled, snagged)


def bounce_frames(n):
    """The bouncing frame, with numpy and with a Python loop, on two copies of one scene."""
    rng = random.Random("frame")
    side = (n * 400) ** 0.5
    start = [(rng.uniform(0, side - 8), rng.uniform(0, side - 8)) for _ in range(n)]
    speeds = [(rng.uniform(-3, 3), rng.uniform(-3, 3)) for _ in range(n)]

    rects = [Rect(x, y, 8, 8) for x, y in start]
    ix = Index(rects)
    velocities = numpy.array(speeds)

    def with_numpy():
        boxes = numpy.asarray(ix.boxes)
        ahead = boxes[:, :2] + velocities
        out = (ahead < 0) | (ahead + boxes[:, 2:] > side)
        velocities[out] *= -1
        ix.move(velocities)

    loop_rects = [Rect(x, y, 8, 8) for x, y in start]
    loop_index = Index(loop_rects)
    loop_velocities = [Vector2(*v) for v in speeds]

    def with_loop():
        for r, v in zip(loop_rects, loop_velocities):
            x, y = r.x + v.x, r.y + v.y
            if x < 0 or x + r.w > side:
                v.x = -v.x
            if y < 0 or y + r.h > side:
                v.y = -v.y
            r.position += v
        loop_index.refresh()

    return {"numpy frame": (with_numpy, 0), "loop frame": (with_loop, 0)}


def move_calls(n):
    rects = [Rect(i % 100, i // 100, 1, 1) for i in range(n)]
    ix = Index(rects)
    array = numpy.zeros((n, 2))
    vectors = [Vector2(0, 0) for _ in range(n)]
    return {"move(array)": (lambda: ix.move(array), 0),
            "move(vectors)": (lambda: ix.move(vectors), 0)}


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--movers", type=int, default=1000)
    parser.add_argument("--tiles", type=int, default=10_000)
    parser.add_argument("--frame", type=int, default=10_000)
    args = parser.parse_args(argv)
    print(f"Python {sys.version.split()[0]}; microseconds of thread CPU time, best of "
          f"{args.rounds} interleaved rounds")

    calls, (tunnelled, snagged) = slide_calls(args.tiles, args.movers)
    t = calls_us({k: (f, 4) for k, (f, _) in calls.items()}, args.rounds)
    print(f"\n{args.movers:,} movers on {args.tiles:,} tiles, a frame: slide {t['slide']:,.0f}, "
          f"idiom {t['idiom']:,.0f}, idiom / slide {t['idiom'] / t['slide']:.1f}; "
          f"the idiom lets {tunnelled} tunnel and snags {snagged} (slide: none)")
    if numpy is None:
        print("numpy is not installed: no array rows")
        return
    t = calls_us({k: (f, 20) for k, (f, _) in move_calls(args.frame).items()}, args.rounds)
    print(f"{args.frame:,} rects: move(array) {t['move(array)']:,.0f}, move(vectors) "
          f"{t['move(vectors)']:,.0f}, vectors / array "
          f"{t['move(vectors)'] / t['move(array)']:.2f}")
    t = calls_us({k: (f, 3) for k, (f, _) in bounce_frames(args.frame).items()}, args.rounds)
    print(f"{args.frame:,} bouncing rects, a frame: numpy {t['numpy frame']:,.0f}, loop "
          f"{t['loop frame']:,.0f}, loop / numpy {t['loop frame'] / t['numpy frame']:.1f}")


if __name__ == "__main__":
    main()
