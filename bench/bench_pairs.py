"""Times overlapping_pairs against the plain-array limit and against a spatial index, as
ratios from one run in thread CPU time.

    python bench/bench_pairs.py [--rounds N] [--sizes 1000,10000,100000] [--scenes ...]

For each scene and size, in interleaved rounds (each figure is the best round):

- list: overlapping_pairs(rects), the list of (i, j) tuples;
- flat: overlapping_pairs(rects, flat=True), an array('I') (left out where not supported);
- limit: the plain-array reference (bench/plain_pairs.cpp, built with TESSEL_BENCH): the
  better of a uniform grid and a best-axis sweep over the same boxes as packed floats,
  pairs sorted, no Python objects;
- index: shapely's STRtree over the same boxes, built and queried with all of them
  (STRtree(boxes).query(boxes): the pairs of boxes whose closed extents meet, both ways),
  where shapely is importable.

The scenes, n rects of 8 to 48 units a side: "uniform" spreads them over 1,600 square
units per rect, "dense" over 100, and "column" puts every rect at x = 0, spread along y
over 16 units per rect. Times are in microseconds of thread CPU time (time.thread_time),
so load on the machine spoils whole rounds rather than one column; compare the ratios.
"""

import argparse
import random
import sys
from array import array

from tessel.collide import collide
from tessel.rect.rect import Rect

from rounds import calls_us, peer

plain_pairs = peer("plain_pairs")  # the bench-only helper, built by scripts/bench
numpy, shapely = peer("numpy"), peer("shapely")

SIZES = (1_000, 10_000, 100_000)


def rounded(values):
    # Multiples of 1/8 below 2**21: single precision holds them and their sums exactly, so
    # the module, the limit (in floats) and the index all see the very same boxes.
    return [round(v * 8) / 8 for v in values]


def scene(name, n, seed=1):
    rng = random.Random(f"{name}-{n}-{seed}")
    sizes = [(rng.uniform(8, 48), rng.uniform(8, 48)) for _ in range(n)]
    if name == "column":
        corners = [(0.0, rng.uniform(0, 16 * n)) for _ in range(n)]
    else:
        side = (n * (1600 if name == "uniform" else 100)) ** 0.5
        corners = [(rng.uniform(0, side), rng.uniform(0, side)) for _ in range(n)]
    flat = rounded(v for (x, y), (w, h) in zip(corners, sizes) for v in (x, y, w, h))
    return [tuple(flat[4 * i:4 * i + 4]) for i in range(n)]


def supports_flat():
    try:
        collide.overlapping_pairs([], flat=True)
    except TypeError:
        return False
    return True


def columns(boxes):
    """name -> call, for one scene."""
    rects = [Rect(*b) for b in boxes]
    calls = {"list": lambda: collide.overlapping_pairs(rects)}
    if supports_flat():
        calls["flat"] = lambda: collide.overlapping_pairs(rects, flat=True)
    if plain_pairs is not None:
        packed = array("f", [v for b in boxes for v in b])
        calls["grid"] = lambda: plain_pairs.grid(packed)
        calls["sweep"] = lambda: plain_pairs.sweep(packed)
    if shapely is not None:
        x, y, w, h = (numpy.array(c, dtype=numpy.float64) for c in zip(*boxes))
        geometries = shapely.box(x, y, x + w, y + h)
        calls["index"] = lambda: shapely.STRtree(geometries).query(geometries)
    return calls


def agreement(boxes, calls):
    """Whether the module's pairs are the limit's (on these float boxes they should be)."""
    if "grid" not in calls:
        return ""
    calls["grid"]()
    limit = plain_pairs.last_pairs()
    ours = collide.overlapping_pairs([Rect(*b) for b in boxes], flat=True).tobytes() if (
        "flat" in calls) else array("I", [v for p in calls["list"]() for v in p]).tobytes()
    return "" if ours == limit else " (pairs differ from the limit's)"


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--sizes", default=",".join(map(str, SIZES)))
    parser.add_argument("--scenes", default="uniform,dense,column")
    args = parser.parse_args(argv)
    sizes = [int(s) for s in args.sizes.split(",")]
    print(f"Python {sys.version.split()[0]}; overlapping_pairs, microseconds of thread CPU "
          f"time, best of {args.rounds} interleaved rounds")
    if plain_pairs is None:
        print("(the plain-array limit is not built: run scripts/bench)")
    head = (f"{'scene':8} {'n':>7} {'pairs':>9} {'list':>10} {'flat':>10} {'limit':>10} "
            f"{'by':>5} {'index':>11} {'list/limit':>10} {'flat/limit':>10} {'index/list':>10}")
    print(head)
    for name in args.scenes.split(","):
        for n in sizes:
            boxes = scene(name, n)
            calls = columns(boxes)
            note = agreement(boxes, calls)
            k = len(calls["list"]())
            # Small scenes repeat the call to rise above the clock's grain; large ones
            # take fewer rounds.
            number = max(1, 20_000 // n)
            rounds = max(2, args.rounds if n < 100_000 else args.rounds // 2)
            t = calls_us({key: (call, number) for key, call in calls.items()}, rounds)
            limit = min(t.get("grid", float("nan")), t.get("sweep", float("nan")))
            by = "grid" if t.get("grid") == limit else "sweep" if "sweep" in t else "-"

            def cell(key, width=10):
                return f"{t[key]:{width},.0f}" if key in t else f"{'-':>{width}}"

            def ratio(a, b):
                return f"{t[a] / b:10.2f}" if a in t and b == b else f"{'-':>10}"

            print(f"{name:8} {n:7,} {k:9,} {cell('list')} {cell('flat')} "
                  f"{limit:10,.0f} {by:>5} {cell('index', 11)} {ratio('list', limit)} "
                  f"{ratio('flat', limit)} "
                  f"{t['index'] / t['list'] if 'index' in t else float('nan'):10.2f}{note}")
    print("limit: the better (by) of the plain grid and the best-axis sweep over packed "
          "floats; index: STRtree build plus bulk query")


if __name__ == "__main__":
    main()
