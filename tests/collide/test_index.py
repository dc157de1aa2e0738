"""The Index: its answers are those of the module's functions over the rects as they were read
at the last refresh, move or add, given as the members' values; its members, as iteration,
values(), rects() and `in` show them, keep the order they were added in; move() moves the
rects as the loop `for r, v in zip(rects, offsets): r.position += v` does; and no code run
meanwhile, by a vector, a value or another thread, can crash it or make it answer out of
range."""

import copy
import gc
import math
import operator
import random
import sys
import threading
from array import array
from fractions import Fraction

import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

import lines_support as lines
from conftest import FREE_THREADED, PASS, growth
from rect_support import (
    Rect, Vector2, Vector4, bare, extreme_boxes, f32, meddler, noted, outcome, probe, qualified,
    run_python,
)
from vector_support import numpy
from tessel.collide import _testing, collide
from tessel.collide.collide import Index

# ---------------------------------------------------------------------------------------
# The model: a list of (rect, value) and the boxes read from the rects, in order; queries are
# the one-shot functions over new rects of those boxes. A rect is read as the index reads
# it: position, size, then x and y of each, each converted to a double. Looking into the
# index shows the list.


def to_double(v):
    return v if type(v) is float else math.fsum([v])  # PyFloat_AsDouble, with its errors


def read(rect):
    position, size = rect.position, rect.size
    return tuple(to_double(getattr(v, c)) for v in (position, size) for c in "xy")


class Model:
    def __init__(self, rects=(), values=None):
        rects = list(rects)
        for i, r in enumerate(rects):
            if not isinstance(r, Rect):
                raise TypeError(f"rects[{i}] must be tessel.rect.rect.Rect, not {qualified(type(r))}")
        values = rects if values is None else list(values)
        if len(values) != len(rects):
            raise ValueError(f"Index() takes one value per rect: {len(values)} values for "
                             f"{len(rects)} rects")
        self.boxes = self.read_all(rects)
        self.members = list(zip(rects, values))

    @staticmethod
    def read_all(rects):
        return [noted(f"while reading rects[{i}]", lambda: read(r)) for i, r in enumerate(rects)]

    def refresh(self):
        self.boxes = self.read_all([r for r, _ in self.members])

    def add(self, rect, value=None):
        if not isinstance(rect, Rect):
            raise TypeError(f"add() argument 'rect' must be tessel.rect.rect.Rect, "
                            f"not {qualified(type(rect))}")
        self.boxes.append(read(rect))
        self.members.append((rect, rect if value is None else value))

    def remove(self, rect):
        for i, (r, _) in enumerate(self.members):
            if r is rect:
                del self.members[i], self.boxes[i]
                return
        raise ValueError("Index.remove(rect): rect not in index")

    def clear(self):
        self.members, self.boxes = [], []

    def __iter__(self):
        return iter(list(self.members))

    def values(self):
        return [v for _, v in self.members]

    def rects(self):
        return [r for r, _ in self.members]

    def __contains__(self, rect):
        return any(r is rect for r, _ in self.members)

    def move(self, offsets):
        rects = self.rects()
        if not one_offset(offsets):
            offsets = list(offsets)
            if len(offsets) != len(rects):
                raise ValueError(f"move() takes one offset or one per rect: {len(offsets)} "
                                 f"offsets for {len(rects)} rects")
        for i, r in enumerate(rects):
            offset = offsets if one_offset(offsets) else offsets[i]

            def step():
                r.position += offset

            noted(f"while moving rects[{i}]", step)
        self.refresh()

    def as_read(self):
        """New rects of the boxes as last read."""
        return [Rect(*b) if all(map(single, b)) else held_exactly(b) for b in self.boxes]

    def values_at(self, indices):
        return [self.members[i][1] for i in indices]

    def point_hits(self, point):
        Rect(0, 0, 1, 1).collide_point(point)  # the argument is read even for no rects
        return self.values_at(collide.point_hits(self.as_read(), point))

    def rect_hits(self, other):
        Rect(0, 0, 1, 1).collide_rect(other)
        return self.values_at(collide.rect_hits(self.as_read(), other))

    def first_rect_hit(self, other):
        hits = self.rect_hits(other)
        return hits[0] if hits else None

    def segment_hits(self, start, end, first=False):
        for p in (start, end):
            Rect(0, 0, 1, 1).collide_point(p)  # read even for no rects
        hits = [(self.members[h.value][1], *h[1:])
                for h in collide.segment_hits(self.as_read(), start, end)]
        return (hits[0] if hits else None) if first else hits

    def raycast(self, start, end):
        return self.segment_hits(start, end, first=True)

    def nearest(self, point, k=1, max_distance=None, exact=False):
        """By the squared distances in doubles as the package computes them (exact ones for
        the domain where those are exact)."""
        Rect(0, 0, 1, 1).collide_point(point)
        k = operator.index(k)
        if k < 0:
            raise ValueError("nearest() argument 'k' must be 0 or more")
        limit = None if max_distance is None else to_double(max_distance)
        if limit is not None and math.isnan(limit):
            return []
        found = lines.nearest(self.boxes, lines.point_of(point), k, limit, exact)
        return [(self.members[i][1], d) for i, d in found]

    def pairs(self, other=None, flat=False):
        if other is None:
            found = collide.overlapping_pairs(self.as_read(), flat=flat)
        else:
            found = collide.overlapping_pairs_between(self.as_read(), other.as_read(), flat=flat)
        if flat:
            return found
        other = self if other is None else other
        return [(self.members[i][1], other.members[j][1]) for i, j in found]


def single(v):
    return math.isnan(v) or f32(v) == v


class Exact(Vector2):
    """A vector whose x and y are the doubles it was given: for boxes that single precision
    cannot hold (read from a subtype), which the functions then ask through their methods."""

    x = property(lambda self: self.values[0])
    y = property(lambda self: self.values[1])


def held_exactly(box):
    position, size = Exact(), Exact()
    position.values, size.values = box[:2], box[2:]
    return Rect(position, size)


def one_offset(o):
    if isinstance(o, Vector2) or isinstance(o, (str, bytes)):
        return True
    try:
        first = next(iter(o), None)
    except TypeError:
        return True
    return isinstance(first, (int, float)) or (
        hasattr(first, "__float__") and not hasattr(first, "__len__"))


def key(result):
    """A result to compare: values by identity (rects compare by value), errors as they are."""
    if isinstance(result, tuple) and isinstance(result[0], type):
        return result  # an error, as outcome() gives it
    if isinstance(result, list):
        return [tuple(map(id, r)) if isinstance(r, tuple) else id(r) for r in result]
    return result if isinstance(result, array) else id(result)


def hit_key(result):
    """Hits (or a list of them, or nearest pairs) to compare: values by identity."""
    if isinstance(result, tuple) and isinstance(result[0], type) or result is None:
        return result
    if isinstance(result, list):
        return [hit_key(h) for h in result]
    return (id(result[0]), *result[1:])


def state(rect):
    """The values a rect holds now, as the loop would see them; NaN compares equal."""
    return outcome(lambda: tuple(repr(float(v)) for v in read(rect)))


# ---------------------------------------------------------------------------------------
# Generated scenes: exact vectors from a few values (ties, touching edges, zero, negative,
# NaN and infinite sizes, sums that overflow), some shared between rects, some rects twice,
# subtypes whose x and y give ints or fractions, and now and then a rect that cannot be read.

FEW = [0.0, -0.0, 1.0, 2.0, 3.0, -1.0, 0.5, 4.0, 10.0, math.nan, math.inf, -math.inf, 3e38]
NUMBERS = st.one_of(st.sampled_from(FEW), st.integers(-4, 12).map(float))
ODD = st.one_of(NUMBERS, st.integers(-4, 12), st.builds(Fraction, st.integers(-8, 24), st.just(2)))


@st.composite
def scenes(draw, hostile=True):
    pool = draw(st.lists(st.one_of(st.builds(Vector2, NUMBERS, NUMBERS),
                                   st.builds(probe, ODD, ODD)), min_size=1, max_size=6))
    vector = st.one_of(st.builds(Vector2, NUMBERS, NUMBERS), st.sampled_from(pool))
    rects = draw(st.lists(st.builds(Rect, vector, vector), max_size=24))
    if rects and hostile and draw(st.integers(0, 3)) == 0:  # one that cannot be read
        rects[draw(st.integers(0, len(rects) - 1))] = draw(st.sampled_from(
            [bare(), Rect(probe("s", 1.0), Vector2(1, 1)), Rect(probe(KeyError, 1.0), Vector2())]))
    return rects + draw(st.lists(st.sampled_from(rects), max_size=3)) if rects else rects


PAIR = st.tuples(NUMBERS, NUMBERS)
POINTS = st.one_of(PAIR, PAIR.map(list), PAIR.map(lambda p: Vector2(*p)),
                   st.sampled_from([None, (1, 2, 3), "ab", (math.nan, 0.0), (math.inf, 1.0)]))
COUNTS = st.one_of(st.integers(-1, 6), st.sampled_from([10 ** 30, 2.0, True, "3"]))
LIMITS = st.one_of(st.none(), NUMBERS, st.sampled_from(["s", 10 ** 400]))
OTHERS = st.one_of(st.tuples(NUMBERS, NUMBERS, NUMBERS, NUMBERS),
                   st.builds(Rect, NUMBERS, NUMBERS, NUMBERS, NUMBERS),
                   st.builds(Vector4, NUMBERS, NUMBERS, NUMBERS, NUMBERS),
                   st.sampled_from([None, [1, 2, 3], Vector2(), bare()]))
OFFSETS = st.one_of(PAIR, PAIR.map(lambda p: Vector2(*p)), PAIR.map(list),
                    st.just("ab"), st.integers(0, 30))  # an int: one offset per rect, or more
# In the parallel pass each of the four threads draws its own examples.
SETTINGS = settings(max_examples=50 if PASS == "parallel" else 200, deadline=None,
                    suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])


def every_answer(ix, model, data, other):
    """Every query's answer, or error, is the model's, and so is every look into it."""
    point, rect = data.draw(POINTS), data.draw(OTHERS)
    member = data.draw(st.sampled_from(model.rects() + [Rect(), 5]))
    start, end = data.draw(POINTS), data.draw(st.one_of(POINTS, st.just(point)))
    k, limit = data.draw(COUNTS), data.draw(LIMITS)
    asked = [(len, lambda m: len(m.members)),
             (lambda i: [tuple(map(repr, b)) for b in i.boxes.tolist()],
              lambda m: [tuple(map(repr, b)) for b in m.boxes]),
             (lambda i: i.point_hits(point), lambda m: m.point_hits(point)),
             (lambda i: i.rect_hits(rect), lambda m: m.rect_hits(rect)),
             (lambda i: i.first_rect_hit(rect), lambda m: m.first_rect_hit(rect)),
             (Index.overlapping_pairs, Model.pairs),
             (lambda i: i.overlapping_pairs(flat=True), lambda m: m.pairs(flat=True)),
             (lambda i: i.overlapping_pairs_between(other[0]), lambda m: m.pairs(other[1])),
             # An iterable of rects is the index of them.
             (lambda i: i.overlapping_pairs_between(iter(other[2])),
              lambda m: m.pairs(Model(other[2]))),
             (lambda i: i.overlapping_pairs_between(other[2], flat=True),
              lambda m: m.pairs(Model(other[2]), flat=True)),
             (list, list), (Index.values, Model.values), (Index.rects, Model.rects),
             (lambda i: member in i, lambda m: member in m)]
    lines_asked = [(lambda i: i.raycast(start, end), lambda m: m.raycast(start, end)),
                   (lambda i: i.segment_hits(start, end), lambda m: m.segment_hits(start, end)),
                   (lambda i: i.nearest(point, k, max_distance=limit),
                    lambda m: m.nearest(point, k, limit))]
    for n, (query, expected) in enumerate(asked + lines_asked):
        compare = (lambda r: r) if n < 2 else key if n < len(asked) else hit_key
        assert compare(outcome(lambda: query(ix))) == compare(outcome(lambda: expected(model)))


def offsets_for(data, n):
    o = data.draw(OFFSETS)
    if isinstance(o, int):  # one per rect, now and then one too many
        count = n + (o == 30)
        o = data.draw(st.lists(st.one_of(PAIR, PAIR.map(lambda p: Vector2(*p))),
                               min_size=count, max_size=count))
    return o


@SETTINGS
@given(data=st.data(), rects=scenes(), valued=st.booleans())
def test_answers_are_the_functions_over_the_rects_as_last_read(data, rects, valued):
    values = [object() for _ in rects] if valued else None
    built, model = outcome(lambda: Index(rects, values)), outcome(lambda: Model(rects, values))
    if isinstance(model, tuple):
        assert built == model
        return
    ix = built
    other_rects = data.draw(scenes(hostile=False))
    other = (Index(other_rects), Model(other_rects), other_rects)
    for _ in range(data.draw(st.integers(0, 8))):
        step = data.draw(st.sampled_from(["add", "remove", "refresh", "move", "poke", "clear"]))
        members = model.rects()
        # Iteration goes over the members as they were when it began, whatever the step does.
        looking, looked = iter(ix), list(model)
        if step == "add":
            r = data.draw(st.one_of(scenes().map(lambda s: s[0] if s else Rect()),
                                    st.sampled_from(members or [Rect()]), st.just(5)))
            v = data.draw(st.sampled_from([None, object()]))
            assert outcome(lambda: ix.add(r, v)) == outcome(lambda: model.add(r, v))
        elif step == "remove":
            r = data.draw(st.sampled_from(members + [Rect()]))
            assert outcome(lambda: ix.remove(r)) == outcome(lambda: model.remove(r))
        elif step == "refresh":
            assert outcome(ix.refresh) == outcome(model.refresh)
        elif step == "move":
            offsets = offsets_for(data, len(members))
            twins, twin_offsets = copy.deepcopy((members, offsets))
            twin_model = Model.__new__(Model)
            twin_model.members, twin_model.boxes = list(zip(twins, twins)), []
            expected = outcome(lambda: twin_model.move(twin_offsets))
            assert outcome(lambda: ix.move(offsets)) == expected
            assert list(map(state, members)) == list(map(state, twins))
            if expected is None:
                model.refresh()
        elif step == "clear":
            assert outcome(ix.clear) == outcome(model.clear)
        elif members:  # another's change, seen at the next refresh
            r = data.draw(st.sampled_from(members))
            change = data.draw(st.sampled_from([("x", 2.5), ("h", -1.0), ("size", Vector2(3, 3)),
                                                ("position", members[0].size)]))
            outcome(lambda: setattr(r, *change))
        assert key(list(looking)) == key(looked)
        every_answer(ix, model, data, other)


# ---------------------------------------------------------------------------------------
# Larger scenes, for the grid: every layout, boxes that stay in their cells between refreshes
# and boxes that leave them, values far apart, and boxes no cell can hold.

def world(kind, n, rng):
    if kind == "uniform":
        return [Rect(rng.uniform(0, 400), rng.uniform(0, 400), rng.uniform(1, 12),
                     rng.uniform(1, 12)) for _ in range(n)]
    if kind == "sizes":  # spread over orders of magnitude, some negative
        return [Rect(rng.uniform(-50, 50), rng.uniform(-50, 50), rng.choice([-1, 1]) *
                     10 ** rng.uniform(-3, 3), 10 ** rng.uniform(-3, 3)) for _ in range(n)]
    if kind == "outliers":  # a crowd, and a few far away
        crowd = [Rect(rng.uniform(0, 30), rng.uniform(0, 30), 2, 2) for _ in range(n)]
        return crowd + [Rect(1e30, -1e30, 1, 1), Rect(-3e38, 5, 1e38, 1), Rect(-1e6, -1e6, 1, 1)]
    if kind == "line":
        return [Rect(0, rng.uniform(0, 1e4), rng.uniform(0, 3), rng.uniform(0, 3))
                for _ in range(n)]
    if kind == "points":
        return [Rect(5, 5, 0, 0) for _ in range(n // 2)] + [
            Rect(rng.randrange(8), rng.randrange(8), 0, 0) for _ in range(n // 2)]
    if kind == "extreme":  # doubles at the ends of the range, held exactly
        return [held_exactly(b) for b in extreme_boxes(rng, n)]
    # "far": coarse single precision, odd values sprinkled in
    odd = [math.nan, math.inf, -math.inf, 0.0, -0.0, 3e38]
    return [Rect(1e6 + rng.randrange(64) / 16, 2e6 + rng.randrange(64) / 16,
                 rng.choice(odd) if rng.random() < 0.1 else rng.randrange(8) / 16, 0.25)
            for _ in range(n)]


def rays(rng, boxes, queries):
    """Segments for the grid's walk: short ones, from a rect's centre or corner; long ones
    across the scene, or from far outside the grid's extent; along a box's edges (where the
    cells' edges often lie); through corners; and points."""
    found = []
    for q in queries:
        (cx, cy), w = q.center, max(q.w, 1.0)
        found += [((cx, cy), (cx + rng.uniform(-3, 3) * w, cy + rng.uniform(-3, 3) * w)),
                  ((rng.uniform(-100, 0), rng.uniform(-100, 500)), (rng.uniform(400, 500), cy)),
                  ((-1e7, cy), (1e7, cy + rng.uniform(-1, 1))), ((cx, -1e30), (cx, 1e30))]
    for x, y, w, h in boxes:
        found += [((x - 50, y), (x + 50, y)), ((x + w, y - 20), (x + w, y + h + 20)),
                  ((x - 5, y - 5), (x + w, y + h)), ((x, y), (x, y))]
    return found


def lines_of_sight_agree(ix, model, rng, boxes, queries, exact_distances=True):
    """The index's raycast and segment_hits are the functions' over its boxes as last read;
    nearest the model's (exactly, or only soundly at the ends of the double range, where
    distances come from hypot)."""
    for start, end in rays(rng, boxes, queries):
        assert hit_key(ix.segment_hits(start, end)) == hit_key(model.segment_hits(start, end))
        assert hit_key(ix.raycast(start, end)) == hit_key(model.raycast(start, end))
    for p in [q.center for q in queries] + [b[:2] for b in boxes] + [(-1e9, 1e9)]:
        for k, limit in [(1, None), (4, None), (40, 25.0), (10 ** 9, 0.0)]:
            got, expected = ix.nearest(p, k, max_distance=limit), model.nearest(p, k, limit)
            if exact_distances:
                assert hit_key(got) == hit_key(expected)
            else:
                assert len(got) == len(expected) and all(
                    math.isclose(a[1], b[1], rel_tol=1e-15) for a, b in zip(got, expected))


@settings(max_examples=6 if PASS == "parallel" else 20, deadline=None,
          suppress_health_check=[HealthCheck.too_slow])
@given(kind=st.sampled_from(["uniform", "sizes", "outliers", "line", "points", "far", "extreme"]),
       n=st.integers(30, 1500), seed=st.integers(0, 2 ** 32), steps=st.lists(
           st.sampled_from([0.01, 0.5, 3.0, 100.0, "resize", "add", "remove"]), max_size=5))
def test_queries_over_larger_scenes_find_what_the_functions_find(kind, n, seed, steps):
    rng = random.Random(seed)
    rects = world(kind, n, rng)
    ix, model = Index(rects), Model(rects)
    for step in steps + [None]:
        boxes = [rng.choice(model.boxes or [(0, 0, 1, 1)]) for _ in range(5)]
        queries = [held_exactly(b) for b in boxes] + [
            Rect(rng.uniform(-60, 450), rng.uniform(-60, 450), rng.uniform(0, 90),
                 rng.uniform(0, 90)) for _ in range(5)]
        for q in queries:
            assert key(ix.rect_hits(q)) == key(model.rect_hits(q))
        for p in [q.center for q in queries] + [b[:2] for b in boxes]:
            assert key(ix.point_hits(p)) == key(model.point_hits(p))
        assert key(ix.overlapping_pairs()) == key(model.pairs())
        lines_of_sight_agree(ix, model, rng, boxes, queries, exact_distances=kind != "extreme")
        if step == "resize":
            for r in rng.sample(rects, min(20, len(rects))):
                r.size *= 40
            ix.refresh()
            model.refresh()
        elif step == "add":
            for r in world(kind, 20, rng):
                ix.add(r), model.add(r)
        elif step == "remove":
            for r, _ in rng.sample(model.members, min(len(model.members), n // 3 + 1)):
                ix.remove(r), model.remove(r)
        elif step is not None:
            offsets = [Vector2(rng.uniform(-step, step), rng.uniform(-step, step))
                       for _ in model.members]
            ix.move(offsets)
            model.refresh()


@settings(max_examples=6 if PASS == "parallel" else 25, deadline=None,
          suppress_health_check=[HealthCheck.too_slow])
@given(seed=st.integers(0, 2 ** 32), n=st.integers(3, 300),
       steps=st.lists(st.sampled_from(["add", "remove", "move", "refresh"]), max_size=4),
       kernel=st.sampled_from(["auto", "grid", "sweep", "tree"]))
def test_boxes_at_the_ends_of_the_double_range_are_found(seed, n, steps, kernel):
    """Edges near the largest doubles, sums and differences that overflow, subnormal sizes:
    every query answers as the functions do, through adds, removes, moves and refreshes."""
    rng = random.Random(seed)
    rects = world("extreme", n, rng)
    ix, model = Index(rects), Model(rects)
    _testing._use_kernel(kernel)
    try:
        for step in steps + [None]:
            boxes = rng.sample(model.boxes, min(8, len(model.boxes)))
            for b in boxes:
                for q in (b[:2], (b[0] + b[2], b[1] + b[3])):
                    assert key(ix.point_hits(q)) == key(model.point_hits(q))
                assert key(ix.rect_hits(held_exactly(b))) == key(model.rect_hits(held_exactly(b)))
            assert key(ix.overlapping_pairs()) == key(model.pairs())
            lines_of_sight_agree(ix, model, rng, boxes[:3], [held_exactly(b) for b in boxes[3:5]],
                                 exact_distances=False)
            if step == "add":
                for r in world("extreme", 10, rng):
                    ix.add(r), model.add(r)
            elif step == "remove":
                for r, _ in rng.sample(model.members, len(model.members) // 3):
                    ix.remove(r), model.remove(r)
            elif step == "move":
                for r, _ in rng.sample(model.members, len(model.members) // 2):
                    r.position.values = extreme_boxes(rng, 1)[0][:2]
                ix.move((0, 0)), model.refresh()
            elif step == "refresh":
                ix.refresh(), model.refresh()
    finally:
        _testing._use_kernel("auto")


@settings(max_examples=10 if PASS == "parallel" else 40, deadline=None,
          suppress_health_check=[HealthCheck.too_slow])
@given(n=st.integers(1, 900), seed=st.integers(0, 2 ** 32), data=st.data())
def test_nearest_members_are_those_of_the_exact_squared_distances(n, seed, data):
    """Coordinates that are multiples of 1/8 (sizes zero, negative and NaN among them): the
    members nearest first by the exact squared distance, the earliest added among equal
    ones, each distance the correctly rounded root; before and after moves and adds."""
    rng = random.Random(seed)
    spread = rng.choice([16, 400, 8 * 2 ** 16])

    def boxes(count):
        return [(rng.randrange(-spread, spread) / 8, rng.randrange(-spread, spread) / 8,
                 rng.choice([rng.randrange(64) / 8, 0.0, -1.0, math.nan]),
                 rng.choice([rng.randrange(64) / 8, 0.0])) for _ in range(count)]

    rects = lines.rects_of(boxes(n))
    ix, model = Index(rects), Model(rects)
    for step in ("ask", "move", "add"):
        for _ in range(6):
            point = (rng.randrange(-2 * spread, 2 * spread) / 8,
                     rng.randrange(-2 * spread, 2 * spread) / 8)
            k = data.draw(st.integers(0, 12))
            limit = data.draw(st.one_of(st.none(), st.integers(0, spread // 4).map(float)))
            expected = model.nearest(point, k, limit, exact=True)
            assert hit_key(ix.nearest(point, k, max_distance=limit)) == hit_key(expected)
        if step == "move":
            ix.move([(rng.randrange(-16, 16) / 8, 0.0) for _ in rects]), model.refresh()
        elif step == "add":
            for r in lines.rects_of(boxes(20)):
                ix.add(r), model.add(r)


def _shrink_the_giant(rects):
    rects[0].size = Vector2(1e30, 1)  # too large for any level: kept aside
    yield "refresh"
    rects[0].size = Vector2(2, 2)  # fits again, and every box drifts a little
    yield [(0.5, 0.25)] * len(rects)


def _empty_then_move(rects):
    yield [(1, 1)] * len(rects)
    for r in rects:
        yield ("remove", r)
    yield []


@pytest.mark.parametrize("story", [_shrink_the_giant, _empty_then_move])
@pytest.mark.parametrize("n", [1, 40])
def test_moves_after_changes_in_what_the_grid_holds(story, n):
    """A box that leaves the boxes kept aside, and an index emptied by remove, then moved."""
    rects = [Rect(i * 3 % 50, i * 7 % 50, 4, 4) for i in range(n)]
    ix, model = Index(rects), Model(rects)
    for step in story(rects):
        if step == "refresh":
            ix.refresh(), model.refresh()
        elif isinstance(step, tuple):
            ix.remove(step[1]), model.remove(step[1])
        else:
            ix.move(step), model.refresh()
        whole = Rect(-1e6, -1e6, 2e6, 2e6)
        assert key(ix.rect_hits(whole)) == key(model.rect_hits(whole))
        assert key(ix.overlapping_pairs()) == key(model.pairs())


# ---------------------------------------------------------------------------------------
# What the model leaves open: calls that cannot run, the boxes view, reading once.

def emptied(ix):
    """The index, its first rect's position then replaced by None."""
    ix.boxes.obj  # noqa: B018 (read before the change)
    for r in [ix.first_rect_hit((-1e38, -1e38, 3e38, 3e38))]:
        r.position = None
    return ix


@pytest.mark.parametrize("call, error, message", [
    (lambda: Index(5), TypeError, "'int' object is not iterable"),
    (lambda: Index([Rect(), 3]), TypeError, "rects[1] must be tessel.rect.rect.Rect, not int"),
    (lambda: Index(Rect()), TypeError, "got a single Rect"),
    (lambda: Index([Rect()], [1, 2]), ValueError, "1 rect"),
    (lambda: Index([Rect(), bare()]), AttributeError, "'NoneType' object has no attribute 'x'"),
    (lambda: Index(rects=[], other=1), TypeError, "other"),
    (lambda: Index().add(Vector4()), TypeError, "add() argument 'rect' must be tessel.rect.rect.Rect, not tessel.vector4.vector4.Vector4"),
    (lambda: Index().remove(Rect()), ValueError, "rect not in index"),
    (lambda: Index().overlapping_pairs_between(5), TypeError,
     "must be tessel.collide.collide.Index or an iterable of tessel.rect.rect.Rect, not int"),
    (lambda: Index().overlapping_pairs_between([Rect(), (0, 0, 1, 1)]), TypeError,
     "other[1] must be tessel.rect.rect.Rect, not tuple"),
    (lambda: Index().overlapping_pairs_between([Rect(), bare()]), AttributeError,
     "while reading other[1]"),
    (lambda: Index().overlapping_pairs_between(Rect()), TypeError, "got a single Rect"),
    (lambda: Index().overlapping_pairs(True), TypeError, "exactly 0 arguments (1 given)"),
    (lambda: Index().overlapping_pairs(flatten=True), TypeError, "unexpected keyword argument"),
    (lambda: Index().point_hits((1, 2, 3)), ValueError, "Point must be a Vector2"),
    (lambda: Index().rect_hits(None), ValueError, "rect for collision must be"),
    (lambda: Index([Rect()]).move([(1, 1)] * 2), ValueError, "2 offsets for 1 rects"),
    (lambda: Index([Rect(), Rect()]).move(5), TypeError, "unsupported operand"),
    (lambda: emptied(Index([Rect()])).move((1, 1)), TypeError, "'NoneType' and 'tuple'"),
    (lambda: Index([Rect()]).move([(1, 10 ** 400)]), OverflowError, "too large"),
    (lambda: __import__("pickle").dumps(Index()), TypeError, "cannot pickle"),
])
def test_calls_that_cannot_run(call, error, message):
    with pytest.raises(error) as caught:
        call()
    assert message in str(caught.value) + "".join(getattr(caught.value, "__notes__", []))


def test_errors_name_the_rect_and_keep_the_last_reading():
    rects = [Rect(0, 0, 2, 2), Rect(1, 1, 2, 2)]
    ix = Index(rects)
    rects[1].position = None
    with pytest.raises(AttributeError) as caught:
        ix.refresh()
    assert caught.value.__notes__ == ["while reading rects[1]"]
    with pytest.raises(TypeError) as caught:
        ix.move((1, 1))
    assert caught.value.__notes__ == ["while moving rects[1]"]
    assert tuple(rects[0]) == (1, 1, 2, 2)  # moved, as the loop moves it
    assert ix.boxes.tolist() == [[0, 0, 2, 2], [1, 1, 2, 2]] and len(ix.overlapping_pairs()) == 1


def test_pairs_come_from_the_index_grid_while_it_holds_every_member():
    rects = [Rect(3 * i, 0, 4, 4) for i in range(40)]
    ix = Index(rects)
    for change, kernel in [(lambda: None, "index"), (lambda: ix.add(Rect(1, 1, 1, 1)), "other"),
                           (ix.refresh, "index"), (lambda: ix.remove(rects[0]), "other")]:
        change()
        assert len(ix.overlapping_pairs()) > 0
        assert (_testing._last_kernel() == "index") == (kernel == "index")


def test_boxes_are_a_read_only_view_that_keeps_what_it_showed():
    rects = [Rect(i, 2 * i, 3, 4) for i in range(5)]
    ix = Index(rects)
    view = ix.boxes
    assert (view.shape, view.format, view.readonly, view.strides) == ((5, 4), "d", True, (32, 8))
    ix.move((1, 0.5))
    ix.add(Rect(9, 9, 1, 1))
    ix.remove(rects[0])
    assert view.tolist()[0] == [0, 0, 3, 4]
    assert ix.boxes.tolist() == [list(r) for r in rects[1:]] + [[9, 9, 1, 1]]
    del ix
    gc.collect()
    assert view.tolist()[4] == [4, 8, 3, 4]
    with pytest.raises(TypeError):
        memoryview(view.obj)[0, 0] = 1.0
    if numpy is not None:
        shared = numpy.asarray(Index(rects).boxes)
        assert not shared.flags.writeable and shared.tolist() == [list(r) for r in rects]


def test_one_offset_or_one_per_rect_in_every_form():
    def moved(offsets, n=2):
        rects = [Rect(i, 0, 1, 1) for i in range(n)]
        Index(rects).move(offsets)
        return [tuple(r)[:2] for r in rects]

    assert moved((1, 2)) == moved([1, 2]) == moved(Vector2(1, 2)) == [(1, 2), (2, 2)]
    assert moved([(1, 2), (3, 4)]) == moved(((1, 2), Vector2(3, 4))) == [(1, 2), (4, 4)]
    assert moved(iter([[1, 2], [3, 4]])) == moved(v for v in [(1, 2), (3, 4)]) == [(1, 2), (4, 4)]
    assert moved([(5, 5)], n=1) == moved((5, 5), n=1) == [(5, 5)]
    assert moved([], n=0) == moved((1, 1), n=0) == []
    if numpy is not None:
        assert moved(numpy.array([1.0, 2.0])) == [(1, 2), (2, 2)]
        assert moved(numpy.array([[1.0, 2.0], [3, 4]])) == [(1, 2), (4, 4)]


def test_a_shared_vector_moves_once_per_rect_that_holds_it():
    shared = Vector2(0, 0)
    a, b = Rect(shared, Vector2(1, 1)), Rect(shared, Vector2(2, 2))
    c = Rect(Vector2(5, 5), shared)  # the position of two is the size of a third
    ix = Index([a, b, c, a])
    ix.move((1, 1))
    assert tuple(shared) == (3, 3) and tuple(c) == (6, 6, 3, 3)
    assert ix.boxes.tolist() == [[3, 3, 1, 1], [3, 3, 2, 2], [6, 6, 3, 3], [3, 3, 1, 1]]
    ix.move(c.position)  # the offset is a vector that moves with the rects
    assert tuple(shared) == (27, 27) and tuple(c) == (12, 12, 27, 27)


# ---------------------------------------------------------------------------------------
# Hostile code: vectors that change the index while it reads them, values whose __eq__ or
# __del__ runs code, and the collector.

@pytest.mark.parametrize("action", ["add", "remove", "refresh", "move", "clear", "init",
                                    "empty", "look"])
@pytest.mark.parametrize("call", ["refresh", "move", "init"])
def test_code_that_changes_the_index_while_it_reads_cannot_crash_it(action, call):
    rects = [Rect(i % 7, i % 5, 2, 2) for i in range(60)]
    ix = Index(rects)
    count = [0]

    def act():
        count[0] += 1
        if count[0] > 3:
            return
        outcome({"add": lambda: ix.add(Rect(1, 1, 1, 1), "added"),
                 "remove": lambda: ix.remove(rects[count[0]]), "refresh": ix.refresh,
                 "move": lambda: ix.move((0.5, 0)), "clear": lambda: ix.__init__(),
                 "init": lambda: ix.__init__(rects[:3]), "empty": ix.clear,
                 "look": lambda: (list(ix), ix.values(), ix.rects(), rects[0] in ix)}[action])

    rects[30] = meddler(act, size=Vector2(2, 2))
    ix.add(rects[30])
    {"refresh": ix.refresh, "move": lambda: ix.move((1, 1)),
     "init": lambda: ix.__init__(rects)}[call]()
    n = len(ix)
    assert n == len(ix.boxes) and all(0 <= len(ix.point_hits(p)) <= n for p in [(1, 1), (9, 9)])
    assert all(len(p) == 2 for p in ix.overlapping_pairs())
    assert len(ix.rect_hits((-1e9, -1e9, 2e9, 2e9))) <= n
    assert [r for r, _ in ix] == ix.rects() and len(ix.values()) == n


@pytest.mark.parametrize("action", ["add", "remove", "refresh", "move", "clear", "init"])
@pytest.mark.parametrize("query", [
    lambda ix, p: ix.raycast(p, (30, 30)), lambda ix, p: ix.segment_hits((-1, -1), p),
    lambda ix, p: ix.nearest(p, 5), lambda ix, p: ix.nearest((3, 3), 500, max_distance=p.x)])
def test_points_that_change_the_index_while_it_reads_them_see_it_consistent(action, query):
    """The arguments are read before the index is: the answer is that of the index as the
    reads left it, asked again with a plain point."""
    rects = [Rect(i % 7, i % 5, 2, 2) for i in range(60)]
    ix = Index(rects)

    class Meddling(Vector2):
        @property
        def x(self):
            outcome({"add": lambda: ix.add(Rect(1, 1, 1, 1), "added"),
                     "remove": lambda: ix.remove(rects[len(ix) % 60]), "refresh": ix.refresh,
                     "move": lambda: ix.move((0.5, 0)), "clear": lambda: ix.__init__(),
                     "init": lambda: ix.__init__(rects[:3])}[action])
            return 2.0

        y = x

    got = query(ix, Meddling())
    assert hit_key(got) == hit_key(query(ix, Vector2(2, 2)))


class Loud:
    """A value whose comparison raises and whose release runs code on the index."""

    def __init__(self, ix, log):
        self.ix, self.log = ix, log

    def __eq__(self, other):
        raise AssertionError("a value was compared")

    __hash__ = None

    def __del__(self):
        self.log.append((len(self.ix), self.ix.point_hits((1, 1)) is not None))
        self.ix.add(Rect(1, 1, 1, 1), 0)


def test_values_are_released_once_the_index_is_consistent():
    ix, log = Index(), []
    rects = [Rect(i, i, 2, 2) for i in range(3)]
    for r in rects:
        ix.add(r, Loud(ix, log))
    ix.remove(rects[1])
    ix.__init__(rects, [Loud(ix, log) for _ in rects])
    assert [entry[1] for entry in log] == [True] * 3 and len(ix) == 5
    ix.add(Rect(), ix)  # a cycle through the value
    del ix
    gc.collect()
    assert len(log) == 6


# ---------------------------------------------------------------------------------------
# Leaks (debug interpreter) and threads.

class Sub(Vector2):  # read through its attribute access, and keeps no log of its reads
    pass


SCENE = [Rect(i % 13, i % 11, 3, 3) for i in range(80)] + [Rect(Sub(1, 1), Vector2(2, 2))]
# Made once: the array library keeps caches of its own as arrays come and go.
ARRAYS = None if numpy is None else [numpy.zeros((len(SCENE), n)) for n in (2, 3)]
LEAK_CALLS = {
    "build": lambda: Index(SCENE, range(len(SCENE))),
    "queries": lambda: [f(ix) for ix in [Index(SCENE)] for f in (
        lambda i: i.point_hits((2, 2)), lambda i: i.rect_hits(SCENE[0]),
        lambda i: i.first_rect_hit((0, 0, 4, 4)), lambda i: i.overlapping_pairs(),
        lambda i: i.overlapping_pairs(flat=True), lambda i: i.overlapping_pairs_between(i),
        lambda i: i.boxes, lambda i: i.rect_hits(array("d", [0, 0, 4, 4])),
        lambda i: i.point_hits(memoryview(array("f", [2, 2]))))],
    "looking into": lambda: [f(ix) for ix in [Index(SCENE, range(len(SCENE)))] for f in (
        list, Index.values, Index.rects, lambda i: SCENE[3] in i, lambda i: 5 in i,
        lambda i: i.overlapping_pairs_between(SCENE[:20]),
        lambda i: i.overlapping_pairs_between(iter(SCENE), flat=True), Index.clear)],
    "lines": lambda: [f(ix) for ix in [Index(SCENE, range(len(SCENE)))] for f in (
        lambda i: i.raycast((-1, 0), (20, 14)), lambda i: i.segment_hits(Vector2(-1, 0), [20, 14]),
        lambda i: i.raycast((50, 50), (60, 60)), lambda i: i.nearest((2, 2), 7),
        lambda i: i.nearest(Sub(30, 30), max_distance=1.0), lambda i: outcome(
            lambda: i.nearest((0, 0), -1)), lambda i: outcome(lambda: i.raycast("ab", (0, 0))))],
    "changes": lambda: [f(ix) for ix in [Index(SCENE)] for f in (
        lambda i: i.add(Rect(1, 1, 1, 1), "v"), lambda i: i.remove(SCENE[3]), Index.refresh,
        lambda i: i.move((0, 0)), lambda i: i.move([(0, 0)] * len(i)), lambda i: i.__init__())],
    "failures": lambda: [outcome(f) for f in (
        lambda: Index(SCENE + [bare()]), lambda: Index(SCENE).remove(Rect()),
        lambda: Index(SCENE + [bare()]).move((1, 1)), lambda: Index(SCENE).rect_hits("ab"),
        lambda: Index(SCENE).overlapping_pairs_between(SCENE + [bare()]),
        lambda: Index(SCENE).point_hits(array("d", [1, 2, 3])))],
    "cycle": lambda: Index(SCENE).add(Rect(), [Index()]),
    "motion": lambda: [f(ix) for ix in [Index(SCENE)] for f in (
        lambda i: i.sweep((0, 0, 2, 2), (30, 9)), lambda i: i.sweep(SCENE[-1], (1, 1)),
        lambda i: i.slide(Rect(-9, -9, 2, 2), (30, 20)), lambda i: i.slide(SCENE[-1], (5, 5)),
        lambda i: collide.sweep(SCENE, (0, 0, 2, 2), (30, 9)),
        lambda i: outcome(lambda: i.slide(Rect(), (1, 2, 3))),
        lambda i: outcome(lambda: i.move([[1, 2, 3]] * 3)),
        lambda i: numpy is not None and i.move(ARRAYS[0]),
        lambda i: numpy is not None and outcome(lambda: i.move(ARRAYS[1])))],
}


@pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"), reason="needs a debug interpreter")
@pytest.mark.thread_unsafe(reason="measures process-wide reference and block counts")
@pytest.mark.parametrize("name", LEAK_CALLS)
def test_the_index_does_not_leak(name):
    rounds = 200
    refs, blocks = growth(LEAK_CALLS[name], rounds)
    assert refs < rounds // 4 and blocks < rounds // 4


def work_on_one_index(seconds):
    """Threads that query and look into one index while others refresh, move, add, remove and
    clear it; each answer must be in range. Returns the errors seen."""
    import time
    rects = [Rect(i % 17, i % 13, 3, 3) for i in range(400)]
    ix, errors, stop = Index(rects, range(400)), [], time.monotonic() + seconds
    mover = Rect(-20, 5, 2, 2)

    def ask():
        while time.monotonic() < stop:
            n = len(ix)
            for found in (ix.point_hits((5, 5)), ix.rect_hits((2, 2, 4, 4))):
                assert all(v in range(400) or v == "x" for v in found) and len(found) <= 450
            assert all(a != b or a == "x" for a, b in ix.overlapping_pairs()) and n <= 450
            hits = ix.segment_hits((-1, 6), (30, 4))
            assert [h.t for h in hits] == sorted(h.t for h in hits) and len(hits) <= 450
            first = ix.raycast((-1, 6), (30, 4))
            assert first is None or first.value in range(400) or first.value == "x"
            near = ix.nearest((8, 8), 5)
            assert len(near) <= 5 and [d for _, d in near] == sorted(d for _, d in near)
            hit = ix.sweep((-5, 5, 2, 2), (40, 1))
            assert hit is None or hit.value in range(400) or hit.value == "x"
            assert all(h.value in range(400) or h.value == "x" for h in ix.slide(mover, (3, 1)))
            assert ix.boxes.shape[1] == 4
            members = list(ix)
            assert all(v in range(400) or v == "x" for _, v in members) and len(members) <= 450
            assert len(ix.values()) <= 450 and len(ix.rects()) <= 450
            assert isinstance(rects[0] in ix, bool)

    def change(k):
        spare = Rect(k, k, 2, 2)
        while time.monotonic() < stop:
            [ix.refresh, lambda: ix.move((0.25, -0.25)), lambda: (ix.add(spare, "x"), ix.remove(spare)),
             lambda: ix.move([(0, 0)] * len(ix)), lambda: setattr(rects[k], "position", Vector2(k, k)),
             lambda: ix.overlapping_pairs_between(ix),
             lambda: (ix.clear(), ix.__init__(rects, range(400)))][k % 7]()

    def guarded(f, *args):
        try:
            f(*args)
        except ValueError:  # move() while another thread adds: the count changed
            pass
        except Exception as e:
            errors.append(repr(e))

    threads = [threading.Thread(target=guarded, args=(ask,)) for _ in range(3)] + [
        threading.Thread(target=guarded, args=(change, k)) for k in range(7)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    return errors


def test_threads_share_an_index():
    assert work_on_one_index(0.3) == []


@pytest.mark.skipif(not FREE_THREADED, reason="needs a free-threaded interpreter")
@pytest.mark.passes("free-threaded")
@pytest.mark.parametrize("run", range(3))
def test_threads_share_an_index_without_the_gil(run):
    code = ("import sys; sys.path[:0] = %r\nimport json, test_index\n"
            "print(json.dumps([sys._is_gil_enabled(), test_index.work_on_one_index(2.0)]))"
            % [str(__import__("pathlib").Path(__file__).parent)])
    assert run_python(code, PYTHON_GIL="0") == [False, []]
