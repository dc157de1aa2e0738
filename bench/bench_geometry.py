"""Times the rect toolbox (tessel.geometry), in nanoseconds of thread CPU time per call.

    python bench/bench_geometry.py [--repeat N] [--number N]

Beside each function it prints:

- the floor: `Rect(1, 2, 3, 4)`, constructing a rect from four numbers, which every
  function but `contains` must do once; tessel / floor is the function's own overhead;
- the reference rectangle type's own method, where it has one (python3-pygame in the
  testing root), and tessel / reference.

Then each in-place form beside the function it mirrors, given the same arguments (function /
in-place: how many times faster it is not to make a rect), and beside the reference type's
in-place method, where it has one. An in-place statement keeps changing its rect: the
factors of scale_by_ip are 1, so that its rect stays finite (the work does not depend on the
factor).

Each figure is the best of --repeat interleaved rounds (every statement once per round,
so load on a shared machine spoils whole rounds) of --number calls, minus an empty loop,
timed with time.thread_time. Compare ratios taken in one run.
"""

import argparse
import sys

from rounds import peer, statements_ns

# (label, tessel statement, reference statement or None). Setup names: r, r2 (overlapping
# r), b (bounds holding both), t (a pair), v (a Vector2), rs (three rects).
CASES = [
    ("copy(r)", "copy(r)", "r.copy()"),
    ("move(r, (1, 2))", "move(r, t)", "r.move(t)"),
    ("move(r, vector2)", "move(r, v)", None),
    ("inflate(r, 2, 2)", "inflate(r, 2, 2)", "r.inflate(2, 2)"),
    ("scale_by(r, 2)", "scale_by(r, 2)", "r.scale_by(2)"),
    ("union(r, r2)", "union(r, r2)", "r.union(r2)"),
    ("union(r, (x, y, w, h))", "union(r, q)", "r.union(q)"),
    ("union_all([r, r2, b])", "union_all(rs)", "r.unionall(rs)"),
    ("clip(r, r2)", "clip(r, r2)", "r.clip(r2)"),
    ("clamp(r2, b)", "clamp(r2, b)", "r2.clamp(b)"),
    ("fit(r, b)", "fit(r, b)", "r.fit(b)"),
    ("contains(b, r)", "contains(b, r)", "b.contains(r)"),
    ("normalized(r)", "normalized(r)", None),
]
FLOOR = "Rect(1, 2, 3, 4)"
# (label, in-place statement, the function it mirrors, the reference's in-place method or None)
IN_PLACE = [
    ("move_ip(r, (1, 2))", "move_ip(r, t)", "move(r, t)", "r.move_ip(t)"),
    ("move_ip(r, vector2)", "move_ip(r, v)", "move(r, v)", None),
    ("inflate_ip(r, 2, 2)", "inflate_ip(r, 2, 2)", "inflate(r, 2, 2)", "r.inflate_ip(2, 2)"),
    ("scale_by_ip(r, 1)", "scale_by_ip(r, 1)", "scale_by(r, 1)", "r.scale_by_ip(1)"),
    ("scale_by_ip(r, 1, about=(1, 2))", "scale_by_ip(r, 1, about=t)", "scale_by(r, 1, about=t)",
     None),
    ("clamp_ip(r2, b)", "clamp_ip(r2, b)", "clamp(r2, b)", "r2.clamp_ip(b)"),
    ("union_ip(r, r2)", "union_ip(r, r2)", "union(r, r2)", "r.union_ip(r2)"),
    ("normalize_ip(r)", "normalize_ip(r)", "normalized(r)", "r.normalize()"),
]

NAMES = ("r = Rect(10, 20, 30, 40); r2 = Rect(25, 30, 30, 40); b = Rect(0, 0, 100, 100)\n"
         "t = (1, 2); q = (0, 0, 5, 5); rs = [r, r2, b]\n")
SETUPS = {
    "tessel": ("from tessel.rect.rect import Rect\n"
               "from tessel.vector2.vector2 import Vector2\n"
               "from tessel.geometry.geometry import (clamp, clip, contains, copy, fit, inflate, "
               "move, normalized, scale_by, union, union_all, clamp_ip, inflate_ip, move_ip, "
               "normalize_ip, scale_by_ip, union_ip)\n" + NAMES + "v = Vector2(1, 2)\n"),
    "reference": "from pygame import Rect\n" + NAMES,
}


def measure(statements, number, repeat):
    """Best thread CPU time per call of each (kind, statement), over interleaved rounds."""
    columns = {}
    for (kind, label), stmt in statements.items():
        columns.setdefault(kind, (SETUPS[kind], {}))[1][label] = stmt
    return statements_ns(columns, number, repeat)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=30)
    parser.add_argument("--number", type=int, default=20_000)
    args = parser.parse_args(argv)

    statements = {("tessel", FLOOR): FLOOR}
    with_reference = peer("pygame") is not None

    def reference(label, theirs):
        if with_reference and theirs is not None:
            from pygame import Rect as Reference

            if hasattr(Reference, theirs.split(".")[1].split("(")[0]):
                statements["reference", label] = theirs

    for label, ours, theirs in CASES:
        statements["tessel", label] = ours
        reference(label, theirs)
    for label, ours, function, theirs in IN_PLACE:
        statements["tessel", label] = ours
        statements["tessel", function] = function
        reference(label, theirs)
    ns = measure(statements, args.number, args.repeat)
    floor = ns["tessel", FLOOR]

    print(f"Python {sys.version.split()[0]}, best of {args.repeat} interleaved rounds "
          f"x {args.number} calls, ns of thread CPU time per call; floor: {FLOOR}")
    header = f"{'operation':26} {'tessel':>8} {'floor':>8} {'tessel/floor':>12}"
    if with_reference:
        header += f" {'reference':>10} {'tessel/ref':>10}"
    print(header)
    for label, _, _ in CASES:
        ours = ns["tessel", label]
        line = f"{label:26} {ours:8.1f} {floor:8.1f} {ours / floor:12.2f}"
        if with_reference:
            theirs = ns.get(("reference", label))
            line += (f" {theirs:10.1f} {ours / theirs:10.2f}" if theirs else f" {'-':>10} {'':>10}")
        print(line)

    print()
    header = f"{'in place':32} {'tessel':>8} {'function':>9} {'function/in-place':>17}"
    if with_reference:
        header += f" {'reference':>10} {'tessel/ref':>10}"
    print(header)
    for label, _, function, _ in IN_PLACE:
        ours, made = ns["tessel", label], ns["tessel", function]
        line = f"{label:32} {ours:8.1f} {made:9.1f} {made / ours:17.2f}"
        if with_reference:
            theirs = ns.get(("reference", label))
            line += (f" {theirs:10.1f} {ours / theirs:10.2f}" if theirs else f" {'-':>10} {'':>10}")
        print(line)


if __name__ == "__main__":
    main()
