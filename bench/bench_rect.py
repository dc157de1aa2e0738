"""Times the Rect operations a frame loop calls most, in nanoseconds per operation.

    python bench/bench_rect.py [--repeat N] [--number N]

Each figure is the best of --repeat timeit runs of --number calls, minus the cost of an
empty loop. The runs are interleaved and short: every round times every statement once,
so a burst of load on a busy machine spoils one round of every column alike, and the best
of many rounds is taken from the quiet ones. Beside tessel it prints, where they are importable:

- the reference rectangle type (python3-pygame in the testing root; `scripts/bench`
  installs it), and tessel / reference;
- the floor (the bench-only helper bench/floor.cpp, which `scripts/bench` builds): the
  same operation doing only the component reads, conversions and value creations it must
  do, reached the same way, and tessel / floor.

Absolute times drift between runs and machines: compare ratios taken in one run.
"""

import argparse
import sys
import timeit


# (label, tessel statement, reference statement or None, floor statement or None).
# Setup names: r, r2, r3 (equal to r), p, t, l, v.
CASES = [
    ("Rect(1, 2, 3, 4)", "Rect(1, 2, 3, 4)", "Rect(1, 2, 3, 4)", "Rect(1, 2, 3, 4)"),
    ("r.x", "r.x", "r.x", "r.x"),
    ("r.right", "r.right", "r.right", "r.right"),
    ("r.center", "r.center", "r.center", "r.center"),
    ("r.x = 5", "r.x = 5", "r.x = 5", "r.x = 5"),
    ("r.center = (5, 5)", "r.center = t", "r.center = t", "r.center = t"),
    ("r[2]", "r[2]", "r[2]", "r[2]"),
    ("r == r3 (equal)", "r == r3", "r == r3", "r == r3"),
    ("collide_point((5, 5))", "r.collide_point(t)", "r.collidepoint(t)", "r.collide_point(t)"),
    ("collide_rect(r2)", "r.collide_rect(r2)", "r.colliderect(r2)", "r.collide_rect(r2)"),
    ("get_tuple()", "r.get_tuple()", None, "r.get_tuple()"),
    ("repr(r)", "repr(r)", "repr(r)", "repr(r)"),
    ("r == r2 (first pair differs)", "r == r2", "r == r2", None),
    ("collide_point_tuple((5, 5))", "r.collide_point_tuple(t)", None, None),
    ("collide_point_vector2(v)", "r.collide_point_vector2(v)", None, None),
    ("collide_rect_rect(r2)", "r.collide_rect_rect(r2)", None, None),
    ("collide_rect_list([...])", "r.collide_rect_list(l)", None, None),
]

RECTS = (
    "r = Rect(0, 0, 10, 10); r2 = Rect(5, 5, 10, 10); r3 = Rect(0, 0, 10, 10)\n"
    "t = (5, 5); l = [5, 5, 10, 10]\n"
)
SETUPS = {
    "tessel": (
        "from tessel.rect.rect import Rect\n"
        "from tessel.vector2.vector2 import Vector2\n" + RECTS + "v = Vector2(5, 5)\n"
    ),
    "reference": "from pygame import Rect\n" + RECTS,
    "floor": "from floor import Floor as Rect\n" + RECTS,
}
COLUMNS = {"tessel": 1, "reference": 2, "floor": 3}


def available():
    found = ["tessel"]
    for name, module in (("reference", "pygame"), ("floor", "floor")):
        try:
            __import__(module)
        except ImportError:
            continue
        found.append(name)
    return found


def measure(kinds, number, repeat):
    """Best time per call of every (case, kind), over interleaved rounds."""
    timers = {}
    for kind in kinds:
        setup = SETUPS[kind]
        timers[kind, None] = timeit.Timer("pass", setup=setup)
        for case in CASES:
            stmt = case[COLUMNS[kind]]
            if stmt is not None:
                timers[kind, case[0]] = timeit.Timer(stmt, setup=setup)
    best = {}
    for _ in range(repeat):
        for key, timer in timers.items():
            seconds = timer.timeit(number)
            best[key] = min(best.get(key, seconds), seconds)
    ns = {}
    for (kind, label), seconds in best.items():
        if label is not None:
            ns[kind, label] = max(seconds - best[kind, None], 0.0) / number * 1e9
    return ns


def ratio(a, b):
    if a is None or b is None:
        return ""
    return f"{a / b:.2f}" if b else "inf"


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=40)
    parser.add_argument("--number", type=int, default=20_000)
    args = parser.parse_args(argv)

    kinds = available()
    ns = measure(kinds, args.number, args.repeat)
    print(
        f"Python {sys.version.split()[0]}, best of {args.repeat} interleaved rounds "
        f"x {args.number} calls, ns per call"
    )
    header = f"{'operation':30} {'tessel':>8}"
    if "reference" in kinds:
        header += f" {'reference':>10} {'tessel/ref':>10}"
    if "floor" in kinds:
        header += f" {'floor':>8} {'tessel/floor':>12}"
    print(header)
    for case in CASES:
        label = case[0]
        ours = ns.get(("tessel", label))
        line = f"{label:30} {ours:8.1f}"
        for kind, width, ratio_width in (("reference", 10, 10), ("floor", 8, 12)):
            if kind not in kinds:
                continue
            theirs = ns.get((kind, label))
            shown = f"{theirs:.1f}" if theirs is not None else "-"
            line += f" {shown:>{width}} {ratio(ours, theirs):>{ratio_width}}"
        print(line)


if __name__ == "__main__":
    main()
