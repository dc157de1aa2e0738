"""Times the Rect operations a frame loop calls most, in nanoseconds per operation.

    python bench/bench_rect.py [--repeat N] [--number N]

Each figure is the best of --repeat timeit runs of --number calls, minus the cost of an
empty loop. Where a reference rectangle type is importable (python3-pygame in the testing
root; `scripts/bench` installs it), its figures and the ratio are printed beside ours.
Absolute times drift between runs and machines: compare ratios taken in one run.
"""

import argparse
import sys
import timeit


# (label, our statement, reference statement or None); setup names: r, r2, p, t, l, v
CASES = [
    ("Rect(1, 2, 3, 4)", "Rect(1, 2, 3, 4)", "Rect(1, 2, 3, 4)"),
    ("r.x", "r.x", "r.x"),
    ("r.right", "r.right", "r.right"),
    ("r.center", "r.center", "r.center"),
    ("r.x = 5", "r.x = 5", "r.x = 5"),
    ("r.center = (5, 5)", "r.center = t", "r.center = t"),
    ("r[2]", "r[2]", "r[2]"),
    ("r == r2", "r == r2", "r == r2"),
    ("collide_point((5, 5))", "r.collide_point(t)", "r.collidepoint(t)"),
    ("collide_point_tuple((5, 5))", "r.collide_point_tuple(t)", None),
    ("collide_point_vector2(v)", "r.collide_point_vector2(v)", None),
    ("collide_rect(r2)", "r.collide_rect(r2)", "r.colliderect(r2)"),
    ("collide_rect_rect(r2)", "r.collide_rect_rect(r2)", None),
    ("collide_rect_list([...])", "r.collide_rect_list(l)", None),
    ("get_tuple()", "r.get_tuple()", None),
    ("repr(r)", "repr(r)", "repr(r)"),
]


def best_ns(stmt, setup, number, repeat):
    timer = timeit.Timer(stmt, setup=setup)
    empty = timeit.Timer("pass", setup=setup)
    run = min(timer.repeat(repeat=repeat, number=number))
    base = min(empty.repeat(repeat=repeat, number=number))
    return max(run - base, 0.0) / number * 1e9


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=5)
    parser.add_argument("--number", type=int, default=200_000)
    args = parser.parse_args(argv)

    ours = (
        "from tessel.rect.rect import Rect\n"
        "from tessel.vector2.vector2 import Vector2\n"
        "r = Rect(0, 0, 10, 10); r2 = Rect(5, 5, 10, 10)\n"
        "t = (5, 5); l = [5, 5, 10, 10]; v = Vector2(5, 5)\n"
    )
    try:
        import pygame  # noqa: F401  (reference C rectangle, optional)

        reference = (
            "from pygame import Rect\n"
            "r = Rect(0, 0, 10, 10); r2 = Rect(5, 5, 10, 10); t = (5, 5)\n"
        )
    except ImportError:
        reference = None

    print(f"Python {sys.version.split()[0]}, best of {args.repeat} x {args.number} calls")
    header = f"{'operation':32} {'tessel ns':>10}"
    if reference:
        header += f" {'reference ns':>13} {'ratio':>7}"
    print(header)
    for label, stmt, ref_stmt in CASES:
        ns = best_ns(stmt, ours, args.number, args.repeat)
        line = f"{label:32} {ns:10.1f}"
        if reference and ref_stmt:
            ref_ns = best_ns(ref_stmt, reference, args.number, args.repeat)
            line += f" {ref_ns:13.1f} {ns / ref_ns if ref_ns else float('inf'):7.2f}"
        print(line)


if __name__ == "__main__":
    main()
