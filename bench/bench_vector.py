"""Times Vector2 operations, in nanoseconds per operation, beside a reference C vector type.

    python bench/bench_vector.py [--repeat N] [--number N]

Each figure is the best of --repeat rounds of --number operations, minus the cost of an
empty loop, measured in thread CPU time (time.thread_time), which other work on a shared
machine disturbs far less than wall time. Every round times every statement once, ours and
the reference's in turn, so that a burst of load spoils whole rounds rather than one column.
The reference is pygame.math.Vector2 where it is importable (python3-pygame in the testing
root; set PYGAME_HIDE_SUPPORT_PROMPT=1 to quiet it); the statements with an array operand
need numpy. Compare ratios taken in one run.
"""

import argparse
import sys

from rounds import peer, statements_ns

# (label, our statement, reference statement or None); setup names: v, w, t, k, and where
# installed, p (a reference vector) and a (a numpy array).
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
    # Other libraries' values as operands, and construction from one sequence.
    ("Vector2((1.5, 2.5))", "Vector2(t)", "Vector2(t)"),
    ("v += reference vector", "v += p", "v += p"),
    ("v += array", "v += a", "v += a"),
    ("v * k (k no number)", "v.__mul__(k)", None),
    # Turns, angles and directions.
    ("v.rotate(30)", "v.rotate(30)", "v.rotate(30)"),
    ("v.rotate(90)", "v.rotate(90)", "v.rotate(90)"),
    ("v.rotate_rad(0.5)", "v.rotate_rad(0.5)", "v.rotate_rad(0.5)"),
    ("v.angle_to(w)", "v.angle_to(w)", "v.angle_to(w)"),
    ("v.as_polar()", "v.as_polar()", "v.as_polar()"),
    ("Vector2.from_polar((2, 30))", "Vector2.from_polar(r)", "Vector2.from_polar(r)"),
    ("v.clamp_magnitude(2.0)", "v.clamp_magnitude(2.0)", "v.clamp_magnitude(2.0)"),
    ("v.clamp_magnitude(1.0, 2.0)", "v.clamp_magnitude(1.0, 2.0)",
     "v.clamp_magnitude(1.0, 2.0)"),
    ("v.reflect(w)", "v.reflect(w)", "v.reflect(w)"),
    ("v.project(w)", "v.project(w)", "v.project(w)"),
    # In-place forms (each statement leaves v on the path it times), and the rest of the
    # third step; the reference's methods of the same name.
    ("v.normalize_ip()", "v.normalize_ip()", "v.normalize_ip()"),
    ("v.scale_to_length(2.0)", "v.scale_to_length(2.0)", "v.scale_to_length(2.0)"),
    ("v.clamp_magnitude_ip(2.0); v *= 2.5", "v.clamp_magnitude_ip(2.0); v *= 2.5",
     "v.clamp_magnitude_ip(2.0); v *= 2.5"),
    ("v.reflect_ip(w)", "v.reflect_ip(w)", "v.reflect_ip(w)"),
    ("v.rotate_ip(30)", "v.rotate_ip(30)", "v.rotate_ip(30)"),
    ("v.rotate_rad_ip(0.5)", "v.rotate_rad_ip(0.5)", "v.rotate_rad_ip(0.5)"),
    ("v.move_towards(w, 0.5)", "v.move_towards(w, 0.5)", "v.move_towards(w, 0.5)"),
    ("v.move_towards_ip(w, -0.1)", "v.move_towards_ip(w, -0.1)", "v.move_towards_ip(w, -0.1)"),
    ("v.update(1.5, 2.5)", "v.update(1.5, 2.5)", "v.update(1.5, 2.5)"),
    ("v.update((1.5, 2.5))", "v.update(t)", "v.update(t)"),
    ("v.distance_squared_to(w)", "v.distance_squared_to(w)", "v.distance_squared_to(w)"),
    ("v.is_normalized()", "v.is_normalized()", "v.is_normalized()"),
    ("v.cross(w)", "v.cross(w)", "v.cross(w)"),
    ("v.slerp(w, 0.5)", "v.slerp(w, 0.5)", "v.slerp(w, 0.5)"),
    ("bool(v)", "bool(v)", "bool(v)"),
    ("1.5 in v", "1.5 in v", "1.5 in v"),
    ("round(v)", "round(v)", "round(v)"),
    ("round(v, 2)", "round(v, 2)", "round(v, 2)"),
    ("v[:]", "v[:]", "v[:]"),
    ("v[::-1]", "v[::-1]", "v[::-1]"),
    ("v[:] = (1.5, 2.5)", "v[:] = t", "v[:] = t"),
]

SETUP = """\
v = Vector2(3.0, 4.0); w = Vector2(0.5, -1.5); t = (1.5, 2.5); r = (2.0, 30.0)
k = type("NoNumber", (), {})()
try:
    from pygame.math import Vector2 as _Reference
    p = _Reference(0.0, 0.0)
except ImportError:
    pass
try:
    import numpy
    a = numpy.zeros(2)
except ImportError:
    pass
"""


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--repeat", type=int, default=20)
    parser.add_argument("--number", type=int, default=20_000)
    args = parser.parse_args(argv)

    have_reference, have_numpy = peer("pygame.math") is not None, peer("numpy") is not None

    def usable(stmt):
        return stmt is not None and (have_reference or "p" not in stmt.split()) and (
            have_numpy or "a" not in stmt.split())

    columns = {"tessel": ("from tessel.vector2.vector2 import Vector2\n" + SETUP,
                          {label: ours for label, ours, _ in CASES if usable(ours)})}
    if have_reference:
        columns["reference"] = ("from pygame.math import Vector2\n" + SETUP,
                                {label: ref for label, _, ref in CASES if usable(ref)})
    ns = statements_ns(columns, args.number, args.repeat)

    print(f"Python {sys.version.split()[0]}, best of {args.repeat} interleaved rounds "
          f"x {args.number} operations, thread CPU time, ns per operation")
    header = f"{'operation':30} {'tessel':>8}"
    if have_reference:
        header += f" {'reference':>10} {'tessel/ref':>10}"
    print(header)
    for label, _, _ in CASES:
        ours = ns.get(("tessel", label))
        if ours is None:
            continue
        line = f"{label:30} {ours:8.1f}"
        theirs = ns.get(("reference", label))
        if theirs is not None:
            line += f" {theirs:10.1f} {ours / theirs if theirs else float('inf'):10.2f}"
        print(line)


if __name__ == "__main__":
    main()
