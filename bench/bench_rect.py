"""Times the Rect operations a frame loop calls most, in nanoseconds per operation.

    python bench/bench_rect.py [--repeat N] [--number N]

Each figure is the best of --repeat timeit runs of --number calls, minus the cost of an
empty loop, measured in thread CPU time (time.thread_time), which other work on a shared
machine disturbs far less than wall time. The runs are interleaved and short: every round
times every statement once, so a burst of load on a busy machine spoils one round of every
column alike, and the best of many rounds is taken from the quiet ones. Beside tessel it
prints, where they are importable:

- the reference rectangle type (python3-pygame in the testing root; `scripts/bench`
  installs it), and tessel / reference;
- the floor (the bench-only helper bench/floor.cpp, which `scripts/bench` builds): the
  same operation doing only the component reads, conversions and value creations it must
  do, reached the same way, and tessel / floor.

A second table sets each typed collision method beside the general one given the same
argument (and the floor of the typed one).

Absolute times drift between runs and machines: compare ratios taken in one run.
"""

import argparse
import sys

from rounds import peer, statements_ns


# (label, tessel statement, reference statement or None, floor statement or None).
# Setup names: r, r2, r3 (equal to r), t, tf, pl (points), t4, l (rects), and for tessel
# and the floor v (a Vector2) and v4 (a Vector4).
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
]

# The typed collision methods beside the general ones: (argument, its setup name, general
# method, typed method). The typed one is timed with tessel and the floor, the general one
# with tessel.
TYPED = [
    ("point (5, 5)", "t", "collide_point", "collide_point_tuple"),
    ("point (5.5, 5.5)", "tf", "collide_point", "collide_point_tuple"),
    ("point [5, 5]", "pl", "collide_point", "collide_point_list"),
    ("point Vector2(5, 5)", "v", "collide_point", "collide_point_vector2"),
    ("rect Rect(5, 5, 10, 10)", "r2", "collide_rect", "collide_rect_rect"),
    ("rect (5, 5, 10, 10)", "t4", "collide_rect", "collide_rect_tuple"),
    ("rect [5, 5, 10, 10]", "l", "collide_rect", "collide_rect_list"),
    ("rect Vector4(5, 5, 10, 10)", "v4", "collide_rect", "collide_rect_vector4"),
]

RECTS = (
    "r = Rect(0, 0, 10, 10); r2 = Rect(5, 5, 10, 10); r3 = Rect(0, 0, 10, 10)\n"
    "t = (5, 5); tf = (5.5, 5.5); pl = [5, 5]; t4 = (5, 5, 10, 10); l = [5, 5, 10, 10]\n"
)
VECTORS = (
    "from tessel.vector2.vector2 import Vector2\n"
    "from tessel.vector4.vector4 import Vector4\n"
    "v = Vector2(5, 5); v4 = Vector4(5, 5, 10, 10)\n"
)
SETUPS = {
    "tessel": "from tessel.rect.rect import Rect\n" + VECTORS + RECTS,
    "reference": "from pygame import Rect\n" + RECTS,
    "floor": "from floor import Floor as Rect\n" + VECTORS + RECTS,
}
COLUMNS = {"tessel": 1, "reference": 2, "floor": 3}


def typed_statements(kind):
    """(label, statement) of the typed table's rows that `kind` runs."""
    rows = []
    for argument, name, general, typed in TYPED:
        rows.append((f"{typed}: {argument}", f"r.{typed}({name})"))
        if kind == "tessel":
            rows.append((f"{general}: {argument}", f"r.{general}({name})"))
    return rows


def available():
    return ["tessel"] + [name for name, module in (("reference", "pygame"), ("floor", "floor"))
                         if peer(module) is not None]


def measure(kinds, number, repeat):
    """Best time per call of every (kind, case), over interleaved rounds."""
    columns = {}
    for kind in kinds:
        statements = [(case[0], case[COLUMNS[kind]]) for case in CASES]
        if kind != "reference":
            statements += typed_statements(kind)
        columns[kind] = (SETUPS[kind], {label: stmt for label, stmt in statements if stmt})
    return statements_ns(columns, number, repeat)


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

    print()
    header = f"{'argument':30} {'general':>8} {'typed':>8} {'typed/general':>13}"
    if "floor" in kinds:
        header += f" {'floor':>8} {'typed/floor':>11}"
    print(header)
    for argument, _, general, typed in TYPED:
        ours = ns["tessel", f"{typed}: {argument}"]
        theirs = ns["tessel", f"{general}: {argument}"]
        line = f"{argument:30} {theirs:8.1f} {ours:8.1f} {ratio(ours, theirs):>13}"
        if "floor" in kinds:
            floor = ns["floor", f"{typed}: {argument}"]
            line += f" {floor:8.1f} {ratio(ours, floor):>11}"
        print(line)


if __name__ == "__main__":
    main()
