"""Times Vector2 operations, in nanoseconds per operation, beside a reference C vector type.

    python bench/bench_vector.py [--repeat N] [--number N]

Each figure is the best of --repeat timeit runs of --number operations, minus the cost of an
empty loop; ours and the reference's runs alternate, so that both see the same load. The
reference is pygame.math.Vector2 where it is importable (python3-pygame in the testing
root; set PYGAME_HIDE_SUPPORT_PROMPT=1 to quiet it). Compare ratios taken in one run.
"""

import argparse
import sys
import timeit

# (label, our statement, reference statement or None); setup names: v, w, t
CASES = [
    ("v + w", "v + w", "v + w"),
    ("v - (1, 2)", "v - t", "v - t"),
    ("v * 2.0", "v * 2.0", "v * 2.0"),
    ("2.0 * v", "2.0 * v", "2.0 * v"),
    ("v / 2.0", "v / 2.0", "v / 2.0"),
    ("-v", "-v", "-v"),
    ("v += w", "v += w", "v += w"),
    ("v *= 1.0", "v *= 1.0", "v *= 1.0"),
    ("v.length()", "v.length()", "v.length()"),
    ("v.dot(w)", "v.dot(w)", "v.dot(w)"),
    ("v.distance_to(w)", "v.distance_to(w)", "v.distance_to(w)"),
    ("v.normalized()", "v.normalized()", "v.normalize()"),
    ("v.lerp(w, 0.5)", "v.lerp(w, 0.5)", "v.lerp(w, 0.5)"),
    ("x, y = v", "x, y = v", "x, y = v"),
    ("v[1]", "v[1]", "v[1]"),
    ("v[0] = 1.5", "v[0] = 1.5", "v[0] = 1.5"),
    ("v.x", "v.x", "v.x"),
    ("Vector2(1.5, 2.5)", "Vector2(1.5, 2.5)", "Vector2(1.5, 2.5)"),
    ("repr(v)", "repr(v)", None),
]

SETUP = "v = Vector2(3.0, 4.0); w = Vector2(0.5, -1.5); t = (1.0, 2.0)\n"


def interleaved_ns(pairs, number, repeat):
    """Best time per operation of each (statement, setup), the runs taken in turn, minus the
    best empty loop of the same setup."""
    timers = [(timeit.Timer(stmt, setup=setup), timeit.Timer("pass", setup=setup))
              for stmt, setup in pairs]
    best = [[float("inf"), float("inf")] for _ in pairs]
    for _ in range(repeat):
        for (timer, empty), b in zip(timers, best):
            b[0] = min(b[0], timer.timeit(number))
            b[1] = min(b[1], empty.timeit(number))
    return [max(run - base, 0.0) / number * 1e9 for run, base in best]


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=7)
    parser.add_argument("--number", type=int, default=200_000)
    args = parser.parse_args(argv)

    ours = "from tessel.vector2.vector2 import Vector2\n" + SETUP
    try:
        import pygame.math  # noqa: F401  (reference C vector, optional)

        reference = "from pygame.math import Vector2\n" + SETUP
    except ImportError:
        reference = None

    print(f"Python {sys.version.split()[0]}, best of {args.repeat} x {args.number} operations")
    header = f"{'operation':22} {'tessel ns':>10}"
    if reference:
        header += f" {'reference ns':>13} {'ratio':>7}"
    print(header)
    for label, stmt, ref_stmt in CASES:
        pairs = [(stmt, ours)] + ([(ref_stmt, reference)] if reference and ref_stmt else [])
        times = interleaved_ns(pairs, args.number, args.repeat)
        line = f"{label:22} {times[0]:10.1f}"
        if len(times) > 1:
            line += f" {times[1]:13.1f} {times[0] / times[1] if times[1] else float('inf'):7.2f}"
        print(line)


if __name__ == "__main__":
    main()
