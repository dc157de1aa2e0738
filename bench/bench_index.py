"""Times the Index: queries on an index of 1,000 to 100,000 rects beside the spatial indexes
a user would pick and the one-shot functions, refresh and move, and a whole frame of moving
rects written four ways. Ratios from one run, in thread CPU time.

    python bench/bench_index.py [--rounds N] [--sizes 1000,10000,100000] [--frame 10000]

Queries: one rect_hits and one point_hits on a refreshed index of n uniform rects (8 to 48
units a side, 1,600 square units per rect), beside shapely's STRtree query and rtree's
intersection (each given the same boxes and the same query), the reference C rectangle
type's collidelistall, and the module's one-shot rect_hits over the same rects (a peer that
is not importable is left out).

refresh alone, beside the one-shot rect_hits over the same rects; move(velocities) beside the
loop `for r, v in zip(rects, velocities): r.position += v`.

The frame: n rects move by their velocities, bounce off the walls of their field, and then
come one player query, one point query and all overlapping pairs. Each way keeps rects
inside the walls as its tools suggest: the index and the one-shot functions ask which rects
overlap each of four wall rects around the field and turn their velocities inwards (the
index answers with the velocities themselves: they are its values); the reference type does
the same with collidelistall, and finds the pairs with one collidelistall per rect; the plain
`__slots__` class compares each box with the field's edges as it moves it, and finds the pairs
with a dictionary of grid cells. Velocities are whole numbers, so that the reference type's
integer rects move exactly as the others.
"""

import argparse
import random
import sys

from rounds import calls_us, peer
from tessel.collide import collide
from tessel.collide.collide import Index
from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2

numpy, shapely = peer("numpy"), peer("shapely")
rtree_index = peer("rtree.index")
pygame = peer("pygame")


def scene(n, seed=1):
    rng = random.Random(f"index-{n}-{seed}")
    side = (n * 1600) ** 0.5
    # Multiples of 1/8: single precision holds them, so every peer sees the very same boxes.
    return side, [tuple(round(v * 8) / 8 for v in (rng.uniform(0, side), rng.uniform(0, side),
                                                    rng.uniform(8, 48), rng.uniform(8, 48)))
                  for _ in range(n)]


def best_times(calls, rounds, number):
    """Microseconds per call: calls maps a name to (callable, times), 0 times for `number`."""
    return calls_us({name: (call, times or number) for name, (call, times) in calls.items()},
                    rounds)


def query_calls(n):
    side, boxes = scene(n)
    rects = [Rect(*b) for b in boxes]
    ix = Index(rects)
    q = (side / 2, side / 2, 60.0, 60.0)
    middle = boxes[n // 2]  # a point inside some rect
    player, point = Rect(*q), (middle[0] + middle[2] / 2, middle[1] + middle[3] / 2)
    rows = {
        "rect_hits": {"index": (lambda: ix.rect_hits(player), 0),
                      "one-shot": (lambda: collide.rect_hits(rects, player), max(1, 20_000 // n))},
        "point_hits": {"index": (lambda: ix.point_hits(point), 0),
                       "one-shot": (lambda: collide.point_hits(rects, point), max(1, 20_000 // n))},
    }
    if shapely is not None and numpy is not None:
        x, y, w, h = (numpy.array(c) for c in zip(*boxes))
        tree = shapely.STRtree(shapely.box(x, y, x + w, y + h))
        box, dot = shapely.box(q[0], q[1], q[0] + q[2], q[1] + q[3]), shapely.Point(*point)
        rows["rect_hits"]["STRtree"] = (lambda: tree.query(box), 0)
        rows["point_hits"]["STRtree"] = (lambda: tree.query(dot), 0)
    if rtree_index is not None:
        tree2 = rtree_index.Index((i, (b[0], b[1], b[0] + b[2], b[1] + b[3]), None)
                                  for i, b in enumerate(boxes))
        bbox, pbox = (q[0], q[1], q[0] + q[2], q[1] + q[3]), point + point
        rows["rect_hits"]["rtree"] = (lambda: list(tree2.intersection(bbox)), 0)
        rows["point_hits"]["rtree"] = (lambda: list(tree2.intersection(pbox)), 0)
    if pygame is not None:
        refs, ref_player = [pygame.Rect(*b) for b in boxes], pygame.Rect(*q)
        rows["rect_hits"]["reference"] = (lambda: ref_player.collidelistall(refs),
                                          max(1, 20_000 // n))
    return rows, {"rect_hits": len(ix.rect_hits(player)), "point_hits": len(ix.point_hits(point))}


# ---------------------------------------------------------------------------------------
# The frame, four ways. Each gets the same boxes and velocities and does the same work.

def frame_start(n):
    side, boxes = scene(n, seed=2)
    side = float(int(side))
    boxes = [tuple(float(int(v)) for v in b) for b in boxes]  # the reference type's integers
    rng = random.Random(n)
    velocities = [(rng.choice([-2, -1, 1, 2]), rng.choice([-2, -1, 1, 2])) for _ in boxes]
    # Rects wholly outside the field, one along each side: touching one turns a velocity.
    walls = [((-100, -100, 100, side + 200), "x", 1), ((side, -100, 100, side + 200), "x", -1),
             ((-100, -100, side + 200, 100), "y", 1), ((-100, side, side + 200, 100), "y", -1)]
    player, mouse = (side // 2, side // 2, 60, 60), (side // 3, side // 3)
    return side, boxes, velocities, walls, player, mouse


def with_index(n):
    side, boxes, vs, walls, player, mouse = frame_start(n)
    rects, velocities = [Rect(*b) for b in boxes], [Vector2(v) for v in vs]
    ix = Index(rects, values=velocities)
    wall_rects = [(Rect(*w), axis, sign) for w, axis, sign in walls]
    player = Rect(*player)

    def frame():
        ix.move(velocities)
        for wall, axis, sign in wall_rects:
            for v in ix.rect_hits(wall):
                setattr(v, axis, sign * abs(getattr(v, axis)))
        return ix.rect_hits(player), ix.point_hits(mouse), ix.overlapping_pairs()

    return frame


def with_functions(n):
    side, boxes, vs, walls, player, mouse = frame_start(n)
    rects, velocities = [Rect(*b) for b in boxes], [Vector2(v) for v in vs]
    wall_rects = [(Rect(*w), axis, sign) for w, axis, sign in walls]
    player = Rect(*player)

    def frame():
        for r, v in zip(rects, velocities):
            r.position += v
        for wall, axis, sign in wall_rects:
            for i in collide.rect_hits(rects, wall):
                v = velocities[i]
                setattr(v, axis, sign * abs(getattr(v, axis)))
        pairs = [(velocities[i], velocities[j]) for i, j in collide.overlapping_pairs(rects)]
        return ([velocities[i] for i in collide.rect_hits(rects, player)],
                [velocities[i] for i in collide.point_hits(rects, mouse)], pairs)

    return frame


def with_reference(n):
    side, boxes, vs, walls, player, mouse = frame_start(n)
    rects, velocities = [pygame.Rect(*b) for b in boxes], [list(v) for v in vs]
    wall_rects = [(pygame.Rect(*w), 0 if axis == "x" else 1, sign) for w, axis, sign in walls]
    player = pygame.Rect(*player)

    def frame():
        for r, v in zip(rects, velocities):
            r.move_ip(v)
        for wall, axis, sign in wall_rects:
            for i in wall.collidelistall(rects):
                velocities[i][axis] = sign * abs(velocities[i][axis])
        pairs = [(velocities[i], velocities[j]) for i, r in enumerate(rects)
                 for j in r.collidelistall(rects) if i < j]
        return ([velocities[i] for i in player.collidelistall(rects)],
                [velocities[i] for i, r in enumerate(rects) if r.collidepoint(mouse)], pairs)

    return frame


class Body:
    __slots__ = ("x", "y", "w", "h", "vx", "vy")

    def __init__(self, box, velocity):
        self.x, self.y, self.w, self.h = box
        self.vx, self.vy = velocity


def with_slots(n):
    side, boxes, vs, walls, player, mouse = frame_start(n)
    bodies = [Body(b, v) for b, v in zip(boxes, vs)]
    px, py, pw, ph = player
    mx, my = mouse
    cell = 64

    def frame():
        for b in bodies:
            b.x += b.vx
            b.y += b.vy
            if b.x < 0:
                b.vx = abs(b.vx)
            elif b.x + b.w > side:
                b.vx = -abs(b.vx)
            if b.y < 0:
                b.vy = abs(b.vy)
            elif b.y + b.h > side:
                b.vy = -abs(b.vy)
        hits = [b for b in bodies if b.x < px + pw and px < b.x + b.w and b.y < py + ph
                and py < b.y + b.h]
        under = [b for b in bodies if b.x <= mx <= b.x + b.w and b.y <= my <= b.y + b.h]
        grid = {}
        for i, b in enumerate(bodies):
            for cx in range(int(b.x // cell), int((b.x + b.w) // cell) + 1):
                for cy in range(int(b.y // cell), int((b.y + b.h) // cell) + 1):
                    grid.setdefault((cx, cy), []).append(i)
        pairs = set()
        for members in grid.values():
            for k, i in enumerate(members):
                a = bodies[i]
                for j in members[k + 1:]:
                    c = bodies[j]
                    if a.x < c.x + c.w and c.x < a.x + a.w and a.y < c.y + c.h and c.y < a.y + a.h:
                        pairs.add((i, j))
        return hits, under, sorted(pairs)

    return frame


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--sizes", default="1000,10000,100000")
    parser.add_argument("--frame", type=int, default=10_000)
    args = parser.parse_args(argv)
    print(f"Python {sys.version.split()[0]}; microseconds of thread CPU time, best of "
          f"{args.rounds} interleaved rounds")

    print(f"\n{'query':11} {'n':>7} {'hits':>5} {'index':>9} {'STRtree':>9} {'rtree':>9} "
          f"{'reference':>10} {'one-shot':>10} {'STRtree/ix':>10} {'one-shot/ix':>11}")
    for n in (int(s) for s in args.sizes.split(",")):
        rows, hits = query_calls(n)
        for name, calls in rows.items():
            t = best_times(calls, args.rounds, 2000)

            def cell(key, width=9):
                return f"{t[key]:{width},.2f}" if key in t else f"{'-':>{width}}"

            print(f"{name:11} {n:7,} {hits[name]:5} {cell('index')} {cell('STRtree')} {cell('rtree')} "
                  f"{cell('reference', 10)} {cell('one-shot', 10)} "
                  f"{t.get('STRtree', float('nan')) / t['index']:10.1f} "
                  f"{t['one-shot'] / t['index']:11.0f}")

    n = args.frame
    side, boxes = scene(n, seed=3)
    rects = [Rect(*b) for b in boxes]
    rng = random.Random(3)
    velocities = [Vector2(rng.uniform(-1, 1), rng.uniform(-1, 1)) for _ in rects]
    ix = Index(rects)
    player = Rect(side / 2, side / 2, 60, 60)

    def loop():
        for r, v in zip(rects, velocities):
            r.position += v

    t = best_times({"refresh": (ix.refresh, 0), "move": (lambda: ix.move(velocities), 0),
                    "loop": (loop, 0), "one-shot": (lambda: collide.rect_hits(rects, player), 0)},
                   args.rounds * 3, 5)
    print(f"\n{n:,} rects: refresh {t['refresh']:,.0f} (one-shot rect_hits over them "
          f"{t['one-shot']:,.0f}); move {t['move']:,.0f}, loop {t['loop']:,.0f}, "
          f"loop / move {t['loop'] / t['move']:.1f}")

    frames = {"index": with_index(n), "one-shot": with_functions(n), "__slots__": with_slots(n)}
    if pygame is not None:
        frames["reference"] = with_reference(n)
    answers = {name: [len(part) for part in f()] for name, f in frames.items()}
    # Frames run back to back, as in a game loop: a few in a row for each way, per round.
    t = best_times({name: (f, 3) for name, f in frames.items() if name != "reference"},
                   args.rounds, 3)
    if "reference" in frames:
        t.update(best_times({"reference": (frames["reference"], 1)}, 2, 1))
    print(f"frame of {n:,} rects (hits, points, pairs: {answers['index']}):")
    for name in frames:
        print(f"  {name:10} {t[name]:10,.0f}   / index {t[name] / t['index']:6.1f}"
              f"   {answers[name] if answers[name] != answers['index'] else ''}")


if __name__ == "__main__":
    main()
