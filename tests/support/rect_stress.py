"""Threads sharing rects: readers of every operation against writers of components and of
whole fields. Run by tests/rect/test_rect_threads.py in a fresh interpreter with the GIL forced
off; usable by hand:  PYTHON_GIL=0 python3.13t tests/support/rect_stress.py ROUNDS LOOPS [SECONDS]

Prints one JSON line: rounds run, operations done, expected errors (AttributeError from a
field that a writer has just set to None) and every unexpected error. A crash shows as the
process dying instead.
"""

import copy
import json
import pickle
import sys
import threading
import time

from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

PROPERTIES = ["x", "y", "w", "h", "width", "height", "left", "top", "right", "bottom",
              "centerx", "centery", "center", "position", "size"]
V2, V4 = Vector2(1, 2), Vector4(0, 0, 5, 5)


def vector_or_none(value):
    """A field read must give a vector or None: anything else is a freed vector's memory
    reused for another object."""
    if value is not None and type(value) is not Vector2:
        raise AssertionError(f"a field holds {type(value).__name__}")


def readers(r, o):
    ops = [lambda name=name: getattr(r, name) for name in PROPERTIES]
    ops += [lambda: vector_or_none(r.position), lambda: vector_or_none(o.size)]
    ops += [
        r.get_width, r.get_height,
        lambda: r.collide_point((1, 2)), lambda: r.collide_point(V2),
        lambda: r.collide_point_vector2(V2), lambda: r.collide_point_tuple((1, 2)),
        lambda: r.collide_point_list([1, 2]), lambda: r.collide_rect(o),
        lambda: r.collide_rect(V4), lambda: r.collide_rect((0, 0, 5, 5)),
        lambda: r.collide_rect_rect(o), lambda: o.collide_rect_rect(r),
        lambda: r.collide_rect_vector4(V4), lambda: r.collide_rect_tuple((0, 0, 5, 5)),
        lambda: r.collide_rect_list([0, 0, 5, 5]),
        lambda: r[0], lambda: r[3], lambda: list(r), lambda: repr(r), lambda: r == o,
        lambda: r != o, r.get_tuple, r.get_vector4, lambda: pickle.loads(pickle.dumps(r)),
        lambda: copy.copy(r), lambda: Rect(r), r.__reduce__,
    ]
    return ops


def component_writers(r, o):
    return [
        lambda: setattr(r, "x", 3), lambda: setattr(r, "h", 4.5), lambda: setattr(r, "right", 9),
        lambda: setattr(r, "centery", 2), lambda: setattr(r, "center", (1, 1)),
        lambda: setattr(o, "center", V2), lambda: r.__setitem__(2, 7),
        lambda: o.__setitem__(1, -1), lambda: setattr(o, "w", 6),
    ]


def field_writers(r, o):
    ops = []
    for rect in (r, o):
        ops += [
            lambda rect=rect: setattr(rect, "position", Vector2(1, 2)),
            lambda rect=rect: setattr(rect, "size", Vector2(3, 4)),
            lambda rect=rect: setattr(rect, "position", None),
            lambda rect=rect: delattr(rect, "size"),
            lambda rect=rect: rect.__init__(1, 2, 3, 4),
            lambda rect=rect: rect.__setstate__((Vector2(5, 6), Vector2(7, 8))),
            lambda rect=rect: rect.__init__(),
        ]
    return ops


def mixed(r, o, k):
    """Thread k's operations: every read, with a write (of components or of whole fields,
    each thread starting at another one) after every second read. Readers and writers of
    the same field in every thread make the races far more frequent than separate roles."""
    reads = readers(r, o) if k % 2 else readers(o, r)
    writes = field_writers(r, o) + component_writers(r, o)
    writes = writes[k:] + writes[:k]
    ops = []
    for i, op in enumerate(reads):
        ops.append(op)
        if i % 2:
            ops.append(writes[(i // 2) % len(writes)])
    return ops


def work(ops, loops, deadline, start, tally, lock):
    done = expected = 0
    unexpected = []
    start.wait()
    for i in range(loops):
        for op in ops:
            try:
                op()
            except AttributeError:
                expected += 1
            except Exception as e:  # anything else, SystemError above all, is a fault
                unexpected.append(repr(e))
            done += 1
        if i % 16 == 0 and time.monotonic() > deadline:
            break
    with lock:
        tally["operations"] += done
        tally["expected"] += expected
        tally["unexpected"] += unexpected[:5]


def main(rounds, loops, seconds=4.0):
    tally = {"rounds": 0, "operations": 0, "expected": 0, "unexpected": []}
    lock = threading.Lock()
    deadline = time.monotonic() + seconds
    for _ in range(rounds):
        r, o = Rect(1, 2, 3, 4), Rect(0, 0, 2, 2)
        roles = [mixed(r, o, k) for k in range(4)]
        start = threading.Barrier(len(roles))
        threads = [threading.Thread(target=work, args=(ops, loops, deadline, start, tally, lock))
                   for ops in roles]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        tally["rounds"] += 1
        if tally["unexpected"] or time.monotonic() > deadline:
            break
    tally["gil"] = sys._is_gil_enabled() if hasattr(sys, "_is_gil_enabled") else True
    print(json.dumps(tally))


if __name__ == "__main__":
    main(*(float(a) if i == 2 else int(a) for i, a in enumerate(sys.argv[1:4])))
