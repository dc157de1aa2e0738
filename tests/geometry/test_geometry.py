"""The rect toolbox: every function gives what a small model of its rules gives, on every
kind of argument (wrong ones raise what Rect.collide_rect or collide_point raises for
them; other libraries' rects and points are the numbers they hold), reads its arguments as
those methods do, and returns rects of vectors of its own; every in-place form writes into
the rect's own vectors what the function it mirrors makes, or fails alike and writes nothing."""

import array
import itertools
import math
import sys
import threading
from concurrent.futures import ThreadPoolExecutor
from decimal import Decimal
from fractions import Fraction

import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from conftest import PASS, growth
from rect_support import (ListSub, Rect, TupleSub, Vector2, Vector4, bare, f32,
                          fresh_interpreter, outcome, probe, probed_rect, qualified, run_python,
                          same_all, xy, xywh)
from vector_support import CONTAINERS, NOT_VECTORS
import lines_support as lines
from tessel import geometry
from tessel.geometry import geometry as module

# ---------------------------------------------------------------------------------------
# The model, from the rules: a rect is (x, y, w, h) read as doubles; right = x + w and
# centre = x + w * 0.5 as the properties compute them; sizes as they stand; NaN spreads;
# every result value is stored at single precision.

PROBE = Rect(0, 0, 1, 1)


def read_rect(arg):
    PROBE.collide_rect(arg)  # a wrong kind raises the method's own error
    if isinstance(arg, Rect):
        arg = (arg.position.x, arg.position.y, arg.size.x, arg.size.y)
    elif isinstance(arg, Vector4):
        arg = (arg.x, arg.y, arg.z, arg.w)
    return tuple(map(float, arg))


def read_pair(arg):
    PROBE.collide_point(arg)
    return tuple(map(float, (arg.x, arg.y) if isinstance(arg, Vector2) else arg[:2]))


def read_number(value):
    holder = Vector4()  # a component write is the interpreter's float conversion
    holder.x = value
    return holder.x


def read_rects(items):
    values = []
    for i, item in enumerate(items):
        try:
            values.append(read_rect(item))
        except Exception as e:
            e.add_note(f"while reading rects[{i}]")
            raise
    if not values:
        raise ValueError("union_all() iterable argument is empty")
    return values


READERS = {"rect": read_rect, "pair": read_pair, "number": read_number, "rects": read_rects,
           "factor": lambda v: v if v is None else read_number(v),
           "about": lambda v: v if v is None else read_pair(v)}


def smallest(*values):
    return math.nan if any(map(math.isnan, values)) else min(values)


def largest(*values):
    return math.nan if any(map(math.isnan, values)) else max(values)


def per_axis(rule, *rects):
    """Applies rule(span, ...) to the (start, length) spans of each axis."""
    (x, w), (y, h) = (rule(*(r[i::2] for r in rects)) for i in (0, 1))
    return x, y, w, h


def centred(length, around):
    return around[0] + around[1] * 0.5 - length * 0.5, length


def union_all(rects):
    def span(*spans):
        low = smallest(*(s for s, _ in spans))
        return low, largest(*(s + n for s, n in spans)) - low

    return per_axis(span, *rects)


def scale_by(r, sx, sy=None, about=None):
    sy = sx if sy is None else sy
    if about is None:
        (x, w), (y, h) = centred(r[2] * sx, r[0::2]), centred(r[3] * sy, r[1::2])
        return x, y, w, h
    (px, py) = about
    return px + (r[0] - px) * sx, py + (r[1] - py) * sy, r[2] * sx, r[3] * sy


def clip(a, b):
    def span(p, q):
        low = largest(p[0], q[0])
        return low, smallest(p[0] + p[1], q[0] + q[1]) - low

    return per_axis(span, a, b) if overlap(a, b) else (a[0], a[1], 0.0, 0.0)


def clamp(s, b):
    if any(map(math.isnan, (s[0], s[0] + s[1], b[0], b[0] + b[1]))):
        return math.nan, s[1]
    if s[1] > b[1]:
        return centred(s[1], b)
    if s[0] < b[0]:
        return b[0], s[1]
    return (b[0] + b[1] - s[1] if s[0] + s[1] > b[0] + b[1] else s[0]), s[1]


def fit(r, b):
    scale = smallest(*(abs(b[i]) / abs(r[i]) if r[i] != 0 else math.inf for i in (2, 3)))
    return per_axis(lambda s, room: centred(s[1] if s[1] == 0 else s[1] * scale, room), r, b)


def overlap(a, b):
    return all(a[i] < b[i] + b[i + 2] and b[i] < a[i] + a[i + 2] for i in (0, 1))


def holds(a, b):
    return all(a[i] <= e <= a[i] + a[i + 2] for i in (0, 1) for e in (b[i], b[i] + b[i + 2]))


class Clipped:
    """clip_line's answer by the exact model of the segment rule (lines_support): the same
    where the doubles can be exact (tests/collide/test_lines.py asks that of every case
    there); here, over any doubles, the same part or None, its points within the rect's
    closed span and within rounding of the model's."""

    def __init__(self, r, start, end):
        self.box, self.ends, self.clip = r, start + end, lines.clip_line(r, start, end)

    def __eq__(self, got):
        if self.clip is None or got is None:
            return got is self.clip
        scale = max([abs(v) for v in self.box[:2] + self.ends if math.isfinite(v)] + [1.0])
        return all(lines.in_span(self.box, p) and all(
            a == b or abs(a - b) <= scale * 2.0 ** -40 for a, b in zip(p, q))
            for p, q in zip(got, self.clip))

    def __repr__(self):
        return f"Clipped({self.clip!r})"


MODEL = {
    "copy": lambda r: r,
    "move": lambda r, d: (r[0] + d[0], r[1] + d[1], r[2], r[3]),
    "inflate": lambda r, dw, dh: (r[0] - dw / 2, r[1] - dh / 2, r[2] + dw, r[3] + dh),
    "scale_by": scale_by,
    "union": lambda a, b: union_all([a, b]),
    "union_all": union_all,
    "clip": clip,
    "clamp": lambda r, b: per_axis(clamp, r, b),
    "fit": fit,
    "contains": holds,
    "normalized": lambda r: per_axis(lambda s: (s[0] + s[1], -s[1]) if s[1] < 0 else s, r),
    "clip_line": lambda r, s, e: Clipped(r, s, e),
}
SIGNATURES = {"copy": "rect", "move": "rect pair", "inflate": "rect number number",
              "scale_by": "rect number factor about", "union": "rect rect", "union_all": "rects",
              "clip": "rect rect", "clamp": "rect rect", "fit": "rect rect",
              "contains": "rect rect", "normalized": "rect", "clip_line": "rect pair pair"}
KEYWORDS = {"about"}
# Each in-place form and the function it mirrors.
IN_PLACE = {"move_ip": "move", "inflate_ip": "inflate", "scale_by_ip": "scale_by",
            "clamp_ip": "clamp", "union_ip": "union", "normalize_ip": "normalized"}
OMITTED = object()


def call(function, name, values):
    """function called with the values of name's parameters, the omitted ones left out, the
    keyword-only ones by keyword."""
    given = [(k, v) for k, v in zip(SIGNATURES[name].split(), values) if v is not OMITTED]
    return function(*(v for k, v in given if k not in KEYWORDS),
                    **{k: v for k, v in given if k in KEYWORDS})


def model(name, values):
    read = [v if v is OMITTED else READERS[k](v) for k, v in zip(SIGNATURES[name].split(), values)]
    return call(MODEL[name], name, read)


# ---------------------------------------------------------------------------------------
# Generated arguments: exact vectors, Vector2 subtypes giving ints, fractions and floats,
# Vector4 and sequences holding any double; finite, huge, zero, negative, infinite, NaN.

FEW = [0.0, -0.0, 1.0, 2.0, 3.0, -1.0, -2.0, 0.5, 10.0, math.nan, math.inf, -math.inf, 3e38,
       1e300, 5e-324]
VALUES = st.one_of(st.sampled_from(FEW), st.integers(-4, 12).map(float),
                   st.floats(width=32, min_value=-20, max_value=20), st.floats())
ODD = st.one_of(VALUES, st.integers(-4, 12), st.builds(Fraction, st.integers(-8, 24), st.just(2)))
QUAD, ODD_QUAD = st.tuples(*[VALUES] * 4), st.tuples(*[ODD] * 4)
RECT = st.one_of(
    QUAD.map(lambda q: Rect(*q)), QUAD.map(lambda q: Rect(*q)),
    ODD_QUAD.map(lambda q: Rect(probe(*q[:2]), probe(*q[2:]))), QUAD.map(lambda q: Vector4(*q)),
    ODD_QUAD, ODD_QUAD.map(list), ODD_QUAD.map(TupleSub), ODD_QUAD.map(ListSub),
    st.sampled_from([None, 4, "abcd", (1, 2, 3), [1, 2, 3, 4, 5], Vector2(), bare(),
                     (0, 0, "w", 1), (10 ** 400, 0, 0, 0), Rect(probe(1, KeyError), Vector2())]))
PAIR = st.one_of(st.tuples(ODD, ODD), st.lists(ODD, min_size=2, max_size=2),
                 st.builds(Vector2, VALUES, VALUES), st.builds(probe, ODD, ODD),
                 st.sampled_from([None, 3, (1, 2, 3), Vector4(), "ab", ("a", 1)]))
NUMBER = st.one_of(VALUES, VALUES, st.integers(-5, 5),
                   st.sampled_from(["s", None, 10 ** 400, Decimal("1.5")]))
ARGUMENTS = {
    "rect": RECT, "pair": PAIR, "number": NUMBER,
    "factor": st.one_of(st.just(OMITTED), st.none(), NUMBER),
    "about": st.one_of(st.just(OMITTED), st.none(), PAIR),
    "rects": st.one_of(st.tuples(st.lists(RECT, max_size=5), st.sampled_from([list, tuple, iter])),
                       st.tuples(st.sampled_from([5, None]), st.just(lambda v: v))),
}
# In the parallel pass each of the four threads draws its own examples.
SETTINGS = settings(max_examples=40 if PASS == "parallel" else 150, deadline=None,
                    suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])


def draw_arguments(data, name):
    return [data.draw(ARGUMENTS[k], label=k) for k in SIGNATURES[name].split()]


def vectors_of(args):
    found = []
    for a in args:
        if isinstance(a, Rect):
            found += [a.position, a.size]
        elif isinstance(a, (list, tuple)):
            found += vectors_of(a)
    return found


@pytest.mark.parametrize("name", sorted(SIGNATURES))
@SETTINGS
@given(data=st.data())
def test_every_function_agrees_with_the_model(name, data):
    drawn = draw_arguments(data, name)
    # union_all takes (items, form): each side gets a fresh iterable of the same items.
    fresh = (lambda: [drawn[0][1](drawn[0][0])]) if name == "union_all" else (lambda: drawn)
    expected = outcome(lambda: model(name, fresh()))
    got = outcome(lambda: call(getattr(module, name), name, fresh()))
    if isinstance(got, Rect):
        assert type(got.position) is Vector2 and type(got.size) is Vector2
        assert not any(v is got.position or v is got.size for v in vectors_of(drawn))
        assert not isinstance(expected, tuple) or len(expected) == 4, expected
        assert same_all(xywh(got), [f32(v) for v in expected]), (xywh(got), expected)
    else:
        assert got == expected


def state(rect):
    """A rect's vectors, and the text of what it reads as (or how reading it fails) and of
    what its probes hold (whose reads may fail while their values stand)."""
    held = [getattr(v, "__dict__", {}).get("vals") for v in (rect.position, rect.size)]
    return repr((outcome(lambda: xywh(rect)), held)), rect.position, rect.size


@pytest.mark.parametrize("name", sorted(IN_PLACE))
@SETTINGS
@given(data=st.data())
def test_in_place_forms_write_what_the_functions_they_mirror_make(name, data):
    """Into the rect's own vectors, so every rect holding them sees it; a failure raises what
    the function raises and writes nothing; only a Rect can be changed."""
    mirror = IN_PLACE[name]
    drawn = draw_arguments(data, mirror)
    target = drawn[0]
    expected = outcome(lambda: call(getattr(module, mirror), mirror, drawn))
    got = outcome(lambda: call(getattr(module, name), mirror, drawn)) if not isinstance(
        target, Rect) else None
    if got is not None:
        assert got == (TypeError, f"{name}() argument 1 must be tessel.rect.rect.Rect, not "
                                  f"{qualified(type(target))}", [])
        return
    before = state(target)
    got = outcome(lambda: call(getattr(module, name), mirror, drawn))
    if not isinstance(expected, Rect):
        assert got == expected and state(target) == before
        return
    assert got is None and target.position is before[1] and target.size is before[2], got
    assert same_all(xywh(target), xywh(expected)), (xywh(target), xywh(expected))
    holders = Rect(target.position, (0, 0)), Rect((0, 0), target.size)
    assert same_all(xywh(holders[0])[:2] + xywh(holders[1])[2:], xywh(target))


# ---------------------------------------------------------------------------------------
# Other libraries' rects and points, in every role: any sequence or buffer of four (two)
# numbers gives what the tuple of the numbers it holds gives (a union_all item too); what
# holds no such numbers is refused as None is.

SHAPES = {"rect", "pair", "rects", "about"}  # the parameters that are rects or points
# The in-place forms too, but for their first argument, which must be a Rect.
PEER_ROLES = [(name, k) for name in [*sorted(SIGNATURES), *sorted(IN_PLACE)]
              for k, kind in enumerate(SIGNATURES[IN_PLACE.get(name, name)].split())
              if kind in SHAPES and not (name in IN_PLACE and k == 0)]
PEER_OTHERS = {"rect": lambda: Rect(0.5, 1.5, 2, 8), "pair": lambda: (0.25, -1),
               "number": lambda: 3.0, "factor": lambda: 0.5, "about": lambda: OMITTED}


@pytest.mark.parametrize("container", [*CONTAINERS, *NOT_VECTORS])
@pytest.mark.parametrize("name, position", PEER_ROLES, ids=[f"{n}-{k}" for n, k in PEER_ROLES])
def test_other_libraries_rects_and_points_give_what_their_numbers_give(name, position, container):
    mirror = IN_PLACE.get(name, name)
    kinds = SIGNATURES[mirror].split()
    given = (CONTAINERS.get(container) or NOT_VECTORS[container])(
        [1, 2, 3, 4][:2 if kinds[position] in ("pair", "about") else 4])
    if given is None:
        pytest.skip("the reference has no value of this size")
    # None is refused as a rect or a point, but `about` takes it for the centre.
    refused = object() if kinds[position] == "about" else None
    same_as = tuple(map(float, given)) if container in CONTAINERS else refused

    def run(arg):
        values = [PEER_OTHERS[k]() for k in kinds]
        values[position] = [values[0], arg] if kinds[position] == "rects" else arg
        result = call(getattr(module, name), mirror, values)
        result = values[0] if name in IN_PLACE else result
        return xywh(result) if isinstance(result, Rect) else result

    assert outcome(lambda: run(given)) == outcome(lambda: run(same_as))


# ---------------------------------------------------------------------------------------
# What the model leaves open: the decisions users meet first, read order, hostile code.


@pytest.mark.parametrize("call, expected", [
    (lambda: geometry.fit((0, 0, 0, 0), (0, 0, 10, 4)), (5, 2, 0, 0)),  # a point, centred
    (lambda: geometry.fit((3, 3, 4, 2), (10, 10, 0, 0)), (10, 10, 0, 0)),  # into a point
    (lambda: geometry.fit((0, 0, 0, 2), (0, 0, 10, 4)), (5, 0, 0, 4)),  # zero width: no limit
    (lambda: geometry.fit((0, 0, -4, 2), (0, 0, 10, 10)), (10, 2.5, -10, 5)),  # signs kept
    (lambda: geometry.clamp((math.nan, 5, 2, 2), (0, 0, 10, 10)), (math.nan, 5, 2, 2)),
    (lambda: geometry.clamp((20, 5, 2, 2), (math.nan, 0, 10, 10)), (math.nan, 5, 2, 2)),
    (lambda: geometry.clamp((0, 0, 20, 2), (0, 0, 10, 10)), (-5, 0, 20, 2)),  # centred
    (lambda: geometry.union((0, 0, 2, 2), (5, 5, -1, -1)), (0, 0, 4, 4)),  # edges as given
    (lambda: geometry.scale_by((0, 0, 10, 4), -1), (10, 4, -10, -4)),  # mirrored in place
    (lambda: geometry.clip((0, 0, 2, 2), (2, 0, 2, 2)), (0, 0, 0, 0)),  # touching only
    (lambda: geometry.normalized((5, 4, -4, -3)), (1, 1, 4, 3)),
    (lambda: geometry.contains((0, 0, 4, 4), (0, 0, 4, 4)), True),
    (lambda: geometry.contains((0, 0, 4, 4), (1, 1, -2, 2)), False),  # its left edge is out
    (lambda: geometry.contains((4, 0, -4, 4), (1, 1, 1, 1)), False),  # holds nothing
])
def test_edge_cases_users_meet_first(call, expected):
    got = call()
    assert got is expected if isinstance(expected, bool) else same_all(xywh(got), expected)


def one_vector(x, y):
    v = Vector2(x, y)
    return Rect(v, v)


@pytest.mark.parametrize("name, make, args, keywords", [
    ("move_ip", lambda: Rect(1, 2, 3, 4), lambda r: [r.position], {}),  # by its own position
    ("scale_by_ip", lambda: Rect(1, 2, 3, 4), lambda r: [2], lambda r: {"about": r.position}),
    ("union_ip", lambda: Rect(0, 0, 2, 2), lambda r: [Rect(r.size, (5, 5))], {}),  # at r.size
    ("clamp_ip", lambda: one_vector(3, 3), lambda r: [(0, 0, 4, 4)], {}),
    ("inflate_ip", lambda: one_vector(1, 1), lambda r: [2, 2], {}),
    ("normalize_ip", lambda: one_vector(-2, -2), lambda r: [], {}),
])
def test_in_place_forms_read_everything_then_write_the_position_then_the_size(
        name, make, args, keywords):
    """A vector the other argument shares is read as it was; a rect whose position is its
    size ends holding the size."""
    rect = make()
    args, keywords = [rect] + args(rect), keywords(rect) if callable(keywords) else keywords
    expected, before = getattr(module, IN_PLACE[name])(*args, **keywords), xywh(rect)
    assert getattr(module, name)(*args, **keywords) is None
    if rect.position is rect.size:
        assert xy(rect.size) == xywh(expected)[2:] != xywh(expected)[:2]
    else:
        assert xywh(rect) == xywh(expected) != before


class Fixed(Vector2):
    """A subtype whose components cannot be written."""
    x = y = property(lambda self: 2.0)


def test_a_write_that_fails_raises_and_keeps_the_writes_before_it():
    r = Rect(Vector2(1, 1), Fixed())
    with pytest.raises(AttributeError, match="has no setter"):
        module.move_ip(r, (1, 1))
    assert xywh(r) == (2, 2, 2, 2)


@pytest.mark.parametrize("call, message", [
    (lambda: module.copy(), "copy() takes exactly 1 argument (0 given)"),
    (lambda: module.move(PROBE), "move() takes exactly 2 arguments (1 given)"),
    (lambda: module.scale_by(PROBE), "scale_by() takes from 2 to 3 arguments (1 given)"),
    (lambda: module.inflate(PROBE, dw=1, dh=1),
     "tessel.geometry.geometry.inflate() takes no keyword arguments"),
    (lambda: module.union_all(PROBE),
     "expected an iterable of tessel.rect.rect.Rect, got a single Rect"),
    (lambda: module.scale_by(PROBE, 2, sy=2), "scale_by() got an unexpected keyword argument 'sy'"),
    (lambda: module.scale_by_ip(PROBE, 2, 2, (0, 0)),
     "scale_by_ip() takes from 2 to 3 arguments (4 given)"),
    (lambda: module.normalize_ip(), "normalize_ip() takes exactly 1 argument (0 given)"),
    (lambda: module.union_ip(PROBE, PROBE, about=None),
     "tessel.geometry.geometry.union_ip() takes no keyword arguments"),
    (lambda: module.clamp_ip(bare, PROBE),  # the rect is checked before anything is read
     "clamp_ip() argument 1 must be tessel.rect.rect.Rect, not function"),
    (lambda: module.scale_by_ip([0, 0, 1, 1], "s", about="ab"),
     "scale_by_ip() argument 1 must be tessel.rect.rect.Rect, not list"),
])
def test_calls_that_cannot_run(call, message):
    with pytest.raises(TypeError) as caught:
        call()
    assert str(caught.value) == message


def test_the_package_re_exports_every_function():
    assert sorted(geometry.__all__) == sorted(set(SIGNATURES) | set(IN_PLACE))
    assert all(getattr(geometry, n) is getattr(module, n) for n in geometry.__all__)


@pytest.mark.parametrize("name", sorted(set(SIGNATURES) - {"union_all"} | set(IN_PLACE)))
def test_arguments_are_read_once_each_in_order_as_the_methods_read_them(name):
    """And an in-place form writes only once all are read: a subtype through its attribute
    access, the position's x and y, then the size's."""
    log, mirror = [], IN_PLACE.get(name, name)
    sample = {"rect": lambda: probed_rect(1.0, 2.0, 3.0, 4.0, log)[0], "number": lambda: 2.0,
              "pair": lambda: probe(1.0, 1.0, log, "pt"), "factor": lambda: 0.5,
              "about": lambda: probe(1.0, 1.0, log, "at")}
    args = [sample[k]() for k in SIGNATURES[mirror].split()]
    call(getattr(module, name), mirror, args)
    ours, log[:] = log[:], []
    for a in args:
        if isinstance(a, (Rect, Vector2)):
            (PROBE.collide_rect if isinstance(a, Rect) else PROBE.collide_point)(a)
    writes = ["pos.x=", "pos.y=", "size.x=", "size.y="] if name in IN_PLACE else []
    assert ours == log + writes and log


def meddling(action):
    """A vector whose component reads run `action` first, 3 times in all."""
    budget = [3]

    class Meddling(Vector2):
        @property
        def x(self):
            budget[0] -= 1
            if budget[0] >= 0:
                action()
            return 1.0

        y = x

    return Meddling()


@pytest.mark.parametrize("action", ["empty", "empty itself", "reinit", "clear list", "reenter"])
@pytest.mark.parametrize("name", ["copy", "union", "clamp", "union_all", "move", "union_ip",
                                  "clamp_ip", "scale_by_ip"])
def test_code_run_while_reading_cannot_crash_a_call(name, action):
    victim, items = Rect(0, 0, 2, 2), [Rect(i, i, 1, 1) for i in range(20)]
    act = {"empty": lambda: (setattr(victim, "position", None), delattr(victim, "size")),
           "empty itself": lambda: (setattr(hostile, "position", None), delattr(hostile, "size")),
           "reinit": lambda: victim.__init__(9, 9, 1, 1), "clear list": items.clear,
           "reenter": lambda: module.union_all(items)}[action]
    items[5] = hostile = Rect(meddling(act), meddling(act))
    call = {"copy": lambda: module.copy(hostile), "union": lambda: module.union(hostile, victim),
            "clamp": lambda: module.clamp(victim, hostile),
            "union_all": lambda: module.union_all(items),
            "move": lambda: module.move(victim, meddling(act)),
            # The reads may empty the very rect to be written.
            "union_ip": lambda: module.union_ip(hostile, victim),
            "clamp_ip": lambda: module.clamp_ip(victim, hostile),
            "scale_by_ip": lambda: module.scale_by_ip(victim, 2, about=meddling(act))}[name]
    result = outcome(call)
    assert result is None or isinstance(result, Rect) or result[0] is AttributeError, result


def test_threads_read_rects_while_another_replaces_their_vectors():
    rects, done = [Rect(i % 7, i % 5, 3, 3) for i in range(50)], threading.Event()

    def replace():
        for k in itertools.count():
            if done.is_set():
                return
            rects[k % 50].position = (Vector2(1, 1), None, Vector2(-2, 3))[k % 3]

    def work():
        return [outcome(call) for _ in range(100) for a in rects[:10] for call in (
            lambda: module.union(a, rects[-1]), lambda: module.copy(a),
            lambda: module.union_all(rects), lambda: module.clip(a, rects[3]),
            lambda: module.move_ip(a, (0, 0)), lambda: module.union_ip(a, a))]

    with ThreadPoolExecutor(4) as pool:
        mover = pool.submit(replace)
        results = [r for f in [pool.submit(work) for _ in range(3)] for r in f.result()]
        done.set()
        mover.result()
    assert all(r is None or isinstance(r, Rect) or r[0] is AttributeError for r in results)


STARTUP = """
import json, sys, types
import tessel.rect.rect as real
seen = []
class Meddling(types.ModuleType):  # calls the functions while the start-up looks up Rect
    def __getattr__(self, name):
        g = sys.modules["tessel.geometry.geometry"]
        for call in (lambda: g.copy((0, 0, 1, 1)), lambda: g.contains((0, 0, 1, 1), (0, 0, 1, 1))):
            try:
                seen.append(repr(call()))
            except Exception as e:
                seen.append(f"{type(e).__name__}: {e}")
        return getattr(real, name)
sys.modules["tessel.rect.rect"] = Meddling("tessel.rect.rect")
import tessel.geometry.geometry as g
sys.modules["tessel.rect.rect"] = real
print(json.dumps(seen + [repr(g.copy((0, 0, 1, 1)))]))
"""


@fresh_interpreter
def test_functions_called_during_the_start_up_refuse_until_it_completes():
    refused = ("ImportError: module 'tessel.geometry.geometry' is not ready: its import did not "
               "complete")
    assert run_python(STARTUP) == [refused, refused, repr(Rect(0, 0, 1, 1))]


class Sub(Vector2):
    pass


R, SUB = Rect(1, 2, 3, 4), Rect(Sub(1, 1), Vector2(2, 2))
LEAK_CALLS = {
    "every function": lambda: [
        module.copy(R), module.move(R, (1, 2)), module.move(SUB, Vector2(1, 1)),
        module.inflate(R, 1, 2), module.scale_by(R, 2), module.scale_by(SUB, 2, None),
        module.scale_by(R, 2, about=Sub(1, 1)), module.scale_by(R, 2, 3, about=None),
        module.union(R, (0, 0, 1, 1)), module.union_all(iter([R, SUB, Vector4()])),
        module.clip(R, SUB), module.clamp([0, 0, 1, 1], R), module.fit(R, SUB),
        module.contains(R, SUB), module.normalized(Rect(1, 1, -1, -1)),
        module.clamp(R, array.array("d", [0, 0, 9, 9])), module.move(R, memoryview(b"ab")),
        module.union_all([R, array.array("i", [1, 2, 3, 4])]),
        module.clip_line(SUB, (0, 0), Vector2(5, 4)), module.clip_line(R, (9, 9), (9, 9))],
    "in place": lambda: [
        module.move_ip(Rect(1, 2, 3, 4), (1, 2)), module.move_ip(SUB, Vector2(0, 0)),
        module.inflate_ip(Rect(Sub(1, 1), Sub(2, 2)), 1, 2), module.scale_by_ip(SUB, 1, about=[1, 1]),
        module.scale_by_ip(Rect(1, 2, 3, 4), 2, about=(1, 1)), module.clamp_ip(SUB, SUB),
        module.union_ip(Rect(1, 2, 3, 4), SUB), module.normalize_ip(Rect(1, 1, -1, -1))],
    "failures": lambda: [outcome(call) for call in (
        lambda: module.copy(None), lambda: module.move(R, "ab"), lambda: module.inflate(R, 1, "s"),
        lambda: module.union_all([R, 5]), lambda: module.union_all([]),
        lambda: module.clip(bare(), R), lambda: module.scale_by(R), lambda: module.union_all(3),
        lambda: module.scale_by(R, 2, about="ab"), lambda: module.scale_by(R, 2, q=1),
        lambda: module.move_ip((0, 0, 1, 1), (1, 1)), lambda: module.union_ip(R, 5),
        lambda: module.scale_by_ip(R, 2, 3, 4), lambda: module.move_ip(bare(), (1, 1)),
        lambda: module.move_ip(Rect(Vector2(), Fixed()), (1, 1)),
        lambda: module.fit(R, array.array("d", [1])),
        lambda: module.clip_line(R, (0, 0), "ab"))],
}


@pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"), reason="needs a debug interpreter")
@pytest.mark.thread_unsafe(reason="measures process-wide reference and block counts")
@pytest.mark.parametrize("name", LEAK_CALLS)
def test_functions_do_not_leak(name):
    rounds = 400
    refs, blocks = growth(LEAK_CALLS[name], rounds)
    assert refs < rounds // 4 and blocks < rounds // 4
