"""Times the collision queries over many rects against the loop over the Rect methods and
against a reference rectangle type's own list query, in microseconds per call.

    python bench/bench_collide.py [--repeat N]

The scene is game-like: rects of 8 to 48 units scattered over a world whose area grows
with their number, so that each overlaps a handful of others. Each figure is the best of
--repeat interleaved runs, in thread CPU time. Where the reference type (python3-pygame, in
the testing root) is importable, its list query is timed on the same rects. Compare ratios
taken in one run.
"""

import argparse
import random
import sys

from tessel.collide import collide
from tessel.rect.rect import Rect

from rounds import calls_us, peer


def scene(n, seed=1):
    rng = random.Random(seed)
    side = int((n * 1600) ** 0.5)  # about 1,600 square units per rect
    return [(rng.uniform(0, side), rng.uniform(0, side), rng.uniform(8, 48), rng.uniform(8, 48))
            for _ in range(n)]


def best_us(call, repeat, number):
    return calls_us({None: (call, number)}, repeat)[None]


def reference_type():
    pygame = peer("pygame")
    return pygame.Rect if pygame is not None else None


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=5)
    args = parser.parse_args(argv)
    Reference = reference_type()

    small = scene(1_000)
    rects = [Rect(*b) for b in small]
    other, point = Rect(300, 300, 60, 60), (320.0, 320.0)
    large = scene(10_000, seed=2)
    many = [Rect(*b) for b in large]
    rows = [
        ("rect_hits, 1,000 rects", lambda: collide.rect_hits(rects, other),
         lambda: [i for i, r in enumerate(rects) if r.collide_rect(other)], 2_000),
        ("point_hits, 1,000 rects", lambda: collide.point_hits(rects, point),
         lambda: [i for i, r in enumerate(rects) if r.collide_point(point)], 2_000),
        ("first_rect_hit, 1,000 rects", lambda: collide.first_rect_hit(rects, (-9, -9, 1, 1)),
         lambda: next((i for i, r in enumerate(rects) if r.collide_rect((-9, -9, 1, 1))), -1),
         2_000),
        ("overlapping_pairs, 10,000 rects", lambda: collide.overlapping_pairs(many), None, 5),
    ]
    reference = {}
    if Reference is not None:
        ref_rects = [Reference(*b) for b in small]
        ref_other = Reference(300, 300, 60, 60)
        ref_many = [Reference(*b) for b in large]
        reference = {
            rows[0][0]: (lambda: ref_other.collidelistall(ref_rects), 2_000),
            rows[3][0]: (lambda: [r.collidelistall(ref_many) for r in ref_many], 1),
        }

    print(f"Python {sys.version.split()[0]}, best of {args.repeat}; "
          f"{len(collide.overlapping_pairs(many))} overlapping pairs among 10,000 rects")
    print(f"{'query':34} {'tessel us':>10} {'loop us':>10} {'ratio':>7} {'reference us':>13} "
          f"{'ratio':>7}")
    for label, ours, loop, number in rows:
        us = best_us(ours, args.repeat, number)
        line = f"{label:34} {us:10.1f}"
        if loop is not None:
            loop_us = best_us(loop, args.repeat, max(number // 10, 1))
            line += f" {loop_us:10.1f} {loop_us / us:7.1f}"
        else:
            line += f" {'':10} {'':7}"
        if label in reference:
            call, ref_number = reference[label]
            ref_us = best_us(call, min(args.repeat, 2) if ref_number == 1 else args.repeat,
                             ref_number)
            line += f" {ref_us:13.1f} {ref_us / us:7.1f}"
        print(line)
    print("ratio: how many times longer the loop over the methods, or the reference type's "
          "list query (once per rect for the pairs), takes")


if __name__ == "__main__":
    main()
