"""Queries over many rects: every answer, and every error, is the one of the loop over
Rect.collide_point and Rect.collide_rect, whatever the rects and the arguments hold; and the
point or rect asked about may also be another library's, read as the numbers it holds."""

import math
import random
import sys
import threading
from array import array
from contextlib import contextmanager
from decimal import Decimal
from fractions import Fraction

import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from conftest import growth
from rect_support import (HEADER, ListSub, Rect, TupleSub, Vector2, Vector4, bare,
                          extreme_boxes, fresh_interpreter, meddler, noted, outcome, probe,
                          probed_box, qualified, run_python, size_changed)
from vector_support import CONTAINERS, NOT_VECTORS
from tessel.collide import _testing, collide

# ---------------------------------------------------------------------------------------
# The model: the loop over the Rect methods. Items are checked first; the argument's own
# errors come before any rect's (a plain rect shows them); a rect's error names the rect.


RECT_NAME = "tessel.rect.rect.Rect"


def checked(rects, name="rects"):
    if isinstance(rects, Rect):
        raise TypeError(f"expected an iterable of {RECT_NAME}, got a single Rect")
    rects = list(rects)
    for i, r in enumerate(rects):
        if not isinstance(r, Rect):
            raise TypeError(f"{name}[{i}] must be {RECT_NAME}, not {qualified(type(r))}")
    return rects


def model_query(rects, method, argument, first):
    rects = checked(rects)
    if rects:
        getattr(Rect(0, 0, 1, 1), method)(argument)
    found = []
    for i, r in enumerate(rects):
        if noted(f"while testing rects[{i}]", lambda: getattr(r, method)(argument)):
            if first:
                return i
            found.append(i)
    return -1 if first else found


def model_pairs(a, b=None):
    same = b is None
    a = checked(a, "a" if not same else "rects")
    b = a if same else checked(b, "b")
    names = ("rects", "rects") if same else ("a", "b")
    return [(i, j) for i in range(len(a)) for j in range(i + 1 if same else 0, len(b))
            if noted(f"while testing {names[0]}[{i}] against {names[1]}[{j}]",
                     lambda: a[i].collide_rect(b[j]))]


# The pair kernels: each can be made to take every call of this thread, whatever the rects.
KERNELS = ["auto", "every", "grid", "sweep", "tree"]


@contextmanager
def kernel(name, cell=0.0):
    _testing._use_kernel(name, cell)
    try:
        yield
    finally:
        _testing._use_kernel("auto")


def pairs_answer(query, *lists, form=list):
    """The pairs (or the error) of query(*lists), once the flat form has given the same."""
    listed = outcome(lambda: query(*map(form, lists)))
    flat = outcome(lambda: query(*map(form, lists), flat=True))
    if isinstance(listed, list):
        assert type(flat) is array and flat.typecode == "I"
        assert flat.tolist() == [i for pair in listed for i in pair]
    else:
        assert flat == listed
    return listed


def each_kernel_answers(expected, query, *lists, form=list, cells=(0.0,)):
    for name in KERNELS:
        for cell in cells if name == "grid" else (0.0,):
            with kernel(name, cell):
                assert pairs_answer(query, *lists, form=form) == expected, (name, cell)


# ---------------------------------------------------------------------------------------
# Generated rects: exact vectors from a few values (ties, touching edges, zero, negative,
# NaN and infinite sizes, sums that overflow), Vector2 subtypes whose x and y give floats,
# integers, fractions or decimals, and now and then a None field, a value that cannot be
# compared or added, a getter that raises, or an item that is not a Rect.

FEW = [0.0, -0.0, 1.0, 2.0, 3.0, -1.0, -2.0, 0.5, 10.0, math.nan, math.inf, -math.inf, 3e38]
NUMBERS = st.one_of(st.sampled_from(FEW), st.integers(-4, 12).map(float),
                    st.floats(width=32, min_value=-20, max_value=20), st.floats(width=32))
ODD_NUMBERS = st.one_of(NUMBERS, st.integers(-4, 12), st.builds(Fraction, st.integers(-8, 24),
                                                                 st.just(2)))
HOSTILE_VALUES = st.sampled_from([Decimal(1), "s", None, KeyError, 10 ** 400])

EXACT = st.builds(Vector2, NUMBERS, NUMBERS)
SUBTYPE = st.builds(probe, ODD_NUMBERS, ODD_NUMBERS)
HOSTILE = st.one_of(st.none(), st.builds(probe, HOSTILE_VALUES, ODD_NUMBERS),
                    st.builds(probe, ODD_NUMBERS, HOSTILE_VALUES))


def made(position, size):
    r = bare()
    r.position, r.size = position, size
    return r


def rects_of(vectors):
    return st.builds(made, vectors, vectors)


# Another library's rect type, and a nested class: names that need their module.
ForeignRect = type("Rect", (), {"__module__": "pygame.rect"})


class Outer:
    class Inner:
        pass


PLAIN_RECT = rects_of(EXACT)
ANY_RECT = rects_of(st.one_of(EXACT, EXACT, SUBTYPE, HOSTILE))


@st.composite
def rect_lists(draw, max_size=200):
    kind = draw(st.sampled_from(["exact", "subtypes", "hostile", "not a rect"]))
    vectors = EXACT if kind == "exact" else st.one_of(EXACT, EXACT, EXACT, SUBTYPE)
    rects = draw(st.lists(rects_of(vectors), max_size=max_size))
    if kind in ("hostile", "not a rect") and rects:
        spoilers = {"hostile": rects_of(HOSTILE),
                    "not a rect": st.sampled_from([3, None, (0, 0, 1, 1), Vector4(), ForeignRect(),
                                              Outer.Inner(), Vector2, TupleSub()])}[kind]
        for _ in range(draw(st.integers(1, 2))):
            rects[draw(st.integers(0, len(rects) - 1))] = draw(spoilers)
    return rects


PAIR = st.tuples(NUMBERS, NUMBERS)
QUAD = st.tuples(NUMBERS, NUMBERS, NUMBERS, NUMBERS)
BAD = st.sampled_from([None, 4, "ab", (1, 2, 3), [1], ("a", 1), (10 ** 400, 1), Vector2(),
                       Vector4(), bare(), (0, 0, "w", 1), [1, 2, 3, 4, 5]])
POINTS = st.one_of(PAIR, PAIR.map(list), PAIR.map(TupleSub), PAIR.map(lambda p: Vector2(*p)),
                   st.builds(probe, ODD_NUMBERS, ODD_NUMBERS), BAD)
OTHERS = st.one_of(QUAD, QUAD.map(list), QUAD.map(ListSub), QUAD.map(lambda q: Vector4(*q)),
                   ANY_RECT, PLAIN_RECT, BAD)
FORMS = st.sampled_from([list, tuple, iter])
SETTINGS = settings(max_examples=60, deadline=None,
                    suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])


@pytest.mark.parametrize("query, method, first, arguments", [
    (collide.point_hits, "collide_point", False, POINTS),
    (collide.rect_hits, "collide_rect", False, OTHERS),
    (collide.first_rect_hit, "collide_rect", True, OTHERS),
])
@SETTINGS
@given(data=st.data())
def test_list_queries_answer_as_the_loop_over_the_method(query, method, first, arguments, data):
    rects = data.draw(rect_lists())
    argument = data.draw(arguments)
    form = data.draw(FORMS)
    expected = outcome(lambda: model_query(rects, method, argument, first))
    assert outcome(lambda: query(form(rects), argument)) == expected


@SETTINGS
@given(rects=rect_lists(), form=FORMS)
def test_overlapping_pairs_are_those_of_the_loop_over_all_pairs(rects, form):
    each_kernel_answers(outcome(lambda: model_pairs(rects)), collide.overlapping_pairs, rects,
                        form=form)


@SETTINGS
@given(a=rect_lists(max_size=60), b=rect_lists(max_size=60), form=FORMS)
def test_pairs_between_two_lists_are_those_of_the_double_loop(a, b, form):
    each_kernel_answers(outcome(lambda: model_pairs(a, b)), collide.overlapping_pairs_between,
                        a, b, form=form)


# Rects on a lattice, for grids whose cell edges fall on it (a side of 0.5, 1, 2 or 3 from
# an origin on it): rects exactly on cell edges, touching across them, spanning many cells
# or all of them, and zero, -0.0, negative, infinite and NaN sizes; duplicates on purpose.
# Far from 0, sums of a position and a small size that single precision cannot hold.
LATTICE = st.sampled_from([-3.0, -1.0, -0.0, 0.0, 0.5, 1.0, 2.0, 3.0, 4.0, 6.0, 8.0])
FAR = st.sampled_from([2.0 ** 24, 2.0 ** 24 + 2, 2.0 ** 24 + 4, -(2.0 ** 24)])
SIDES = st.sampled_from([-2.0, -1.0, -0.0, 0.0, 0.25, 1.0, 1.5, 2.0, 3.0, 12.0, math.inf,
                         -math.inf, math.nan])


@st.composite
def lattice_scenes(draw):
    spot = st.one_of(LATTICE, LATTICE, LATTICE, FAR)
    rects = draw(st.lists(st.builds(Rect, spot, spot, SIDES, SIDES), max_size=70))
    twins = draw(st.lists(st.integers(0, max(len(rects) - 1, 0)), max_size=8)) if rects else []
    return rects + [Rect(rects[i]) for i in twins]


@SETTINGS
@given(rects=lattice_scenes(), cut=st.integers(0, 80))
def test_every_kernel_finds_the_pairs_on_cell_edges(rects, cut):
    cells = (0.0, 0.5, 1.0, 2.0, 3.0)
    each_kernel_answers(model_pairs(rects), collide.overlapping_pairs, rects, cells=cells)
    a, b = rects[:cut], rects[cut:]
    each_kernel_answers(model_pairs(a, b), collide.overlapping_pairs_between, a, b,
                        cells=cells)


@pytest.mark.parametrize("grid, sizes", [
    (8, [-2, -1, 0, 1, 2, 3]),    # a crowd: ties, touching, degenerate sizes everywhere
    (60, [0.5, 1, 4, 9]),         # a sparse scene of positive sizes
    (30, [-3, 0, 2, math.inf]),   # infinite sizes: edges at inf, some NaN sums
])
def test_sweep_over_a_large_scene_finds_every_pair(grid, sizes):
    rng = random.Random(grid)
    rects = [Rect(rng.randrange(grid), rng.randrange(grid), rng.choice(sizes),
                  rng.choice(sizes)) for _ in range(500)]
    rng.shuffle(rects)
    each_kernel_answers(model_pairs(rects), collide.overlapping_pairs, rects)
    each_kernel_answers(model_pairs(rects[:200], rects[200:]),
                        collide.overlapping_pairs_between, rects[:200], rects[200:])


def scattered(n, spread, sizes, seed):
    rng = random.Random(seed)
    return [Rect(rng.uniform(0, spread), rng.uniform(0, spread), rng.uniform(*sizes),
                 rng.uniform(*sizes)) for _ in range(n)]


def far_apart_crowd(n):
    """Tiny rects crowded in a strip, and two far away: one cell would hold the crowd."""
    rng = random.Random(3)
    return [Rect(rng.uniform(0, 1000), rng.uniform(0, 1), 0.01, 0.01) for _ in range(n)] + [
        Rect(1e30, 1e30, 1, 1), Rect(-1e30, -1e30, 1, 1)]


def bundles(n, length=1000, gap=1 / 64):
    """Long bars stacked across a bundle, two bundles apart: crowded on both axes."""
    across = [Rect(0, i * gap, length, gap / 2) for i in range(n // 2)]
    along = [Rect(2 * length + i * gap, 0, gap / 2, length) for i in range(n // 2)]
    return across + along + [Rect(length / 2, 0, 1.6 * length, 1)]


def stacks(n):
    """A stack of short bars along each axis: each crowds the sweep on one axis."""
    return ([Rect(0, i, 1, 0.5) for i in range(n // 2)] +
            [Rect(i, -11, 0.5, 1) for i in range(n // 2)])


def strewn_bars(n):
    """Bars as long as the strip they lie in is high: every cell of a grid crowded."""
    rng = random.Random(5)
    return [Rect(rng.uniform(0, 6000), rng.uniform(0, 100), 100, 0.53) for _ in range(n)]


# Scenes that suit each kernel, and what the automatic choice takes for them: few rects;
# an even scene; points at one spot; a column (its starts share their leading bits); a
# crowd that outliers spread over a huge grid; bars that defeat the grid that goes first;
# stacks that defeat the sweep that goes first; bundles that defeat both.
@pytest.mark.parametrize("chosen, scene", [
    ("every", lambda: scattered(20, 40, (1, 20), 1)),
    ("grid", lambda: scattered(3000, 2200, (8, 48), 2)),
    ("grid", lambda: [Rect(5, 5, 0, 0) for _ in range(30)]),
    ("sweep", lambda: [Rect(0, 4096 + i, 20, 1.5) for i in range(3000)]),
    ("sweep", lambda: far_apart_crowd(3000)),
    ("sweep", lambda: strewn_bars(3000)),
    ("grid", lambda: stacks(2000)),
    ("tree", lambda: bundles(3000)),
])
def test_the_kernel_chosen_suits_the_scene_and_all_agree(chosen, scene):
    rects = scene()
    expected = collide.overlapping_pairs(rects)
    assert _testing._last_kernel() == chosen
    between = collide.overlapping_pairs_between(rects[::2], rects[1::2])
    assert _testing._last_kernel() == chosen
    each_kernel_answers(expected, collide.overlapping_pairs, rects)
    each_kernel_answers(between, collide.overlapping_pairs_between, rects[::2], rects[1::2])


@st.composite
def scenes(draw):
    """Larger scenes of every kind the choice meets: even or crowded, on a line or not, sizes
    alike or spread over orders of magnitude, outliers, negative and infinite sizes, and
    rects that are asked through their method."""
    rng = random.Random(draw(st.integers(0, 2 ** 32)))
    spread = draw(st.sampled_from([1.0, 30.0, 1000.0, 1e6]))
    low, high = sorted(draw(st.tuples(st.sampled_from([0.0, 0.01, 1.0, 10.0]),
                                      st.sampled_from([0.5, 10.0, 100.0, 1e4]))))
    on_a_line = draw(st.booleans())
    rects = [Rect(0.0 if on_a_line else rng.uniform(0, spread), rng.uniform(0, spread),
                  rng.uniform(low, high), rng.uniform(low, high))
             for _ in range(draw(st.integers(24, 500)))]
    odd = st.sampled_from([Rect(1e30, -1e30, 1, 1), Rect(0, 0, -5, 3), Rect(1, 1, math.inf, 2),
                           Rect(Sub(2, 2), Vector2(3, 3)), Rect(0, 0, 1e5, 1e5)])
    for rect in draw(st.lists(odd, max_size=6)):
        rects.insert(rng.randrange(len(rects) + 1), rect)
    return rects


@settings(max_examples=25, deadline=None, suppress_health_check=[HealthCheck.too_slow])
@given(rects=scenes())
def test_the_choice_never_changes_the_answer(rects):
    with kernel("tree"):
        alone = collide.overlapping_pairs(rects)
        between = collide.overlapping_pairs_between(rects[::3], rects)
    assert pairs_answer(collide.overlapping_pairs, rects) == alone
    assert pairs_answer(collide.overlapping_pairs_between, rects[::3], rects) == between


@settings(max_examples=30, deadline=None, suppress_health_check=[HealthCheck.too_slow])
@given(seed=st.integers(0, 2 ** 32), n=st.integers(20, 160), cut=st.integers(0, 160))
def test_every_kernel_finds_the_pairs_at_the_ends_of_the_double_range(seed, n, cut):
    rects = list(map(probed_box, extreme_boxes(random.Random(seed), n)))
    each_kernel_answers(model_pairs(rects), collide.overlapping_pairs, rects)
    a, b = rects[:cut], rects[cut:]
    each_kernel_answers(model_pairs(a, b), collide.overlapping_pairs_between, a, b)


# ---------------------------------------------------------------------------------------
# What the model leaves open: how often values are read, calls, and hostile code.


def test_each_rect_of_exact_vectors_is_read_once_and_subtypes_through_their_getters():
    log = []
    odd = Rect(probe(0.0, 0.0, log, "pos"), probe(10.0, 10.0, log, "size"))
    assert collide.point_hits([Rect(0, 0, 1, 1), odd], (5, 5)) == [1]
    assert log == "pos.x pos.x size.x pos.y pos.y size.y".split()  # the method's own reads
    point = probe(5.0, 5.0, log, "pt")
    log.clear()
    assert collide.point_hits([Rect(0, 0, 10, 10)] * 3, point) == [0, 1, 2]
    assert log == ["pt.x", "pt.y"]  # the argument is read once


@pytest.mark.parametrize("call, error, message", [
    (lambda: collide.point_hits([]), TypeError, "point_hits() takes exactly 2 arguments (1 given)"),
    (lambda: collide.overlapping_pairs([], []), TypeError,
     "overlapping_pairs() takes exactly 1 argument (2 given)"),
    (lambda: collide.rect_hits(rects=[], other=(0, 0, 1, 1)), TypeError, "keyword arguments"),
    (lambda: collide.overlapping_pairs(5), TypeError, "'int' object is not iterable"),
    (lambda: collide.overlapping_pairs_between([Rect()], [Rect(), 2]), TypeError,
     "b[1] must be tessel.rect.rect.Rect, not int"),
    (lambda: collide.first_rect_hit([Rect(0, 0, 5, 5), 3], (0, 0, 1, 1)), TypeError,
     "rects[1] must be tessel.rect.rect.Rect, not int"),
    (lambda: collide.overlapping_pairs([], flatten=True), TypeError,
     "overlapping_pairs() got an unexpected keyword argument 'flatten'"),
    (lambda: collide.overlapping_pairs_between(a=[], b=[]), TypeError,
     "overlapping_pairs_between() takes exactly 2 arguments (0 given)"),
    (lambda: collide.overlapping_pairs([], [], flat=True), TypeError, "exactly 1 argument"),
    (lambda: collide.overlapping_pairs([Rect()], flat=Truthless()), ZeroDivisionError, ""),
    (lambda: _testing._use_kernel("fastest"), ValueError, "no kernel named 'fastest'"),
    (lambda: _testing._use_kernel("grid", -1.0), ValueError, "a cell side must be finite"),
    (lambda: collide.point_hits([Rect(), ForeignRect()], (0, 0)), TypeError,
     "rects[1] must be tessel.rect.rect.Rect, not pygame.rect.Rect"),
])
def test_calls_that_cannot_run(call, error, message):
    with pytest.raises(error) as caught:
        call()
    assert message in str(caught.value)


class Truthless:
    def __bool__(self):
        raise ZeroDivisionError


@pytest.mark.parametrize("flat, empty", [(False, []), (0, []), (True, array("I")),
                                         ("yes", array("I"))])
def test_flat_takes_any_truth_value(flat, empty):
    rects = [Rect(0, 0, 2, 2), Rect(1, 1, 2, 2), Rect(9, 9, 1, 1), Rect(0.5, 0.5, 1, 1)]
    result = collide.overlapping_pairs(rects, flat=flat)
    assert type(result) is type(empty)
    assert list(result) == ([(0, 1), (0, 3), (1, 3)] if empty == [] else [0, 1, 0, 3, 1, 3])
    assert collide.overlapping_pairs_between(rects, [], flat=flat) == empty
    collide.overlapping_pairs([Rect(0, 0, 9, 9)] * 40, flat=flat)
    assert list(result) == list(collide.overlapping_pairs(rects, flat=flat))  # a copy of its own


@pytest.mark.parametrize("call", [
    lambda r: collide.point_hits(r, None), lambda r: collide.rect_hits(r, "ab"),
    lambda r: collide.first_rect_hit(r, Rect()), collide.overlapping_pairs,
    lambda r: collide.overlapping_pairs_between([Rect()], r),
    lambda r: collide.overlapping_pairs_between(r, "not rects"),
])
def test_a_single_rect_is_refused_unread_before_anything_else(call):
    log = []
    rect = Rect(probe(0.0, 0.0, log, "pos"), probe(2.0, 2.0, log, "size"))
    with pytest.raises(TypeError) as caught:
        call(rect)
    assert (str(caught.value), log) == (f"expected an iterable of {RECT_NAME}, got a single Rect",
                                        [])


def test_empty_lists_read_no_argument():
    assert collide.point_hits([], None) == [] and collide.rect_hits((), None) == []
    assert collide.first_rect_hit([], None) == -1
    assert collide.overlapping_pairs([]) == collide.overlapping_pairs_between([], [Rect()]) == []


class Ancient:
    """A sequence by the old protocol only: __getitem__ until IndexError."""

    def __init__(self, items):
        self.items = items

    def __getitem__(self, i):
        return self.items[i]


def failing_iterable():
    yield Rect(0, 0, 1, 1)
    raise KeyError("from the iterable")


def test_any_iterable_of_rects_is_read_once():
    rects = [Rect(0, 0, 2, 2), Rect(1, 1, 2, 2)]
    assert collide.overlapping_pairs(Ancient(rects)) == [(0, 1)]
    assert collide.point_hits(ListSub(rects), (1.5, 1.5)) == [0, 1]
    with pytest.raises(KeyError, match="from the iterable"):
        collide.rect_hits(failing_iterable(), (0, 0, 1, 1))


def _actions(rects, victim):
    def grow():
        rects.extend(Rect() for _ in range(100))

    def replace():
        victim.position = Vector2(7, 7)

    def empty():
        del victim.size

    def pair():
        collide.overlapping_pairs(rects[20:45] * 3, flat=True)

    return {"clear": rects.clear, "grow": grow, "replace": replace, "empty": empty,
            "pair": pair}


@pytest.mark.parametrize("action", ["clear", "grow", "replace", "empty", "pair"])
@pytest.mark.parametrize("query", [
    lambda rs: collide.point_hits(rs, (1, 1)), lambda rs: collide.rect_hits(rs, rs[0]),
    lambda rs: collide.first_rect_hit(rs, (0, 0, 9, 9)), collide.overlapping_pairs,
    lambda rs: collide.overlapping_pairs_between(rs, rs),
])
def test_code_that_changes_the_rects_during_a_call_cannot_crash_it(action, query):
    rects = [Rect(0, 0, 2, 2) for _ in range(50)]
    victim = rects[40]
    rects[10] = meddler(_actions(rects, victim)[action])
    expected = outcome(lambda: query(list(rects))) if action == "pair" else None
    result = outcome(lambda: query(rects))
    assert isinstance(result, (list, int)) or result[0] is AttributeError
    # A pairs call made meanwhile works in memory of its own.
    assert action != "pair" or result == expected


def test_queries_from_many_threads_while_rects_move():
    rects = [Rect(i % 17, i % 13, 3, 3) for i in range(300)]
    stop = threading.Event()
    failures = []

    def move():
        vectors = [Vector2(1, 1), Vector2(5, 5), Vector2(-2, 3)]
        k = 0
        while not stop.is_set():
            rects[k % len(rects)].position = vectors[k % 3]
            k += 1

    def ask():
        try:
            for _ in range(30):
                pairs = collide.overlapping_pairs(rects)
                assert all(0 <= i < j < len(rects) for i, j in pairs)
                assert all(0 <= i < len(rects) for i in collide.point_hits(rects, (2, 2)))
        except Exception as e:  # reported below, from the main thread
            failures.append(e)

    mover = threading.Thread(target=move)
    askers = [threading.Thread(target=ask) for _ in range(3)]
    mover.start()
    for t in askers:
        t.start()
    for t in askers:
        t.join()
    stop.set()
    mover.join()
    assert failures == []


class Sub(Vector2):  # asked through the method, and keeps no log of its reads
    pass


# Other libraries' points and rects: any sequence or buffer of two (four) numbers is read as
# the vectors read it, where the methods would refuse it, and then answers as the tuple of
# the numbers it holds; what holds no such numbers is refused as None is. Rects hit and
# missed by (1, 2) and (1, 2, 3, 4), touching ones, and rects asked through their methods.
PEER_SCENE = [Rect(0, 0, 1.5, 2.5), Rect(3.5, 5.5, 1, 1), Rect(4, 2, 1, 1), Rect(0, 0, 1, 1),
              Rect(Sub(1, 2), Vector2(0, 0)), Rect(Sub(2, 3), Vector2(1, 1))]
PEER_INDEX = collide.Index(PEER_SCENE, range(len(PEER_SCENE)))
# (how many numbers, the question)
PEER_ROLES = {
    "point_hits": (2, lambda a: collide.point_hits(PEER_SCENE, a)),
    "rect_hits": (4, lambda a: collide.rect_hits(PEER_SCENE, a)),
    "first_rect_hit": (4, lambda a: collide.first_rect_hit(PEER_SCENE[1:], a)),
    "Index.point_hits": (2, PEER_INDEX.point_hits),
    "Index.rect_hits": (4, PEER_INDEX.rect_hits),
    "Index.first_rect_hit": (4, PEER_INDEX.first_rect_hit),
    "raycast": (2, lambda a: collide.raycast(PEER_SCENE, a, (9, 9))),
    "segment_hits": (2, lambda a: collide.segment_hits(PEER_SCENE, (0, 0), a)),
    "Index.raycast": (2, lambda a: PEER_INDEX.raycast((9, 9), a)),
    "Index.segment_hits": (2, lambda a: PEER_INDEX.segment_hits(a, (0, 0))),
    "Index.nearest": (2, lambda a: PEER_INDEX.nearest(a, 3)),
    "sweep": (4, lambda a: collide.sweep(PEER_SCENE, a, (3, 3))),
    "Index.sweep": (4, lambda a: PEER_INDEX.sweep(a, (3, 3))),
    # Offsets are refused with a message naming what was given: compared where read only.
    "sweep offset": (2, lambda a: collide.sweep(PEER_SCENE, (0, 0, 1, 1), a)),
    "Index.sweep offset": (2, lambda a: PEER_INDEX.sweep((0, 0, 1, 1), a)),
}


@pytest.mark.parametrize("container", [*CONTAINERS, *NOT_VECTORS])
@pytest.mark.parametrize("role", PEER_ROLES)
def test_other_libraries_points_and_rects_answer_as_the_numbers_they_hold(role, container):
    size, ask = PEER_ROLES[role]
    given = (CONTAINERS.get(container) or NOT_VECTORS[container])([1, 2, 3, 4][:size])
    if given is None or (role.endswith("offset") and container not in CONTAINERS):
        pytest.skip("the reference has no value of this size, or refuses it in its own words")
    same_as = tuple(map(float, given)) if container in CONTAINERS else None
    assert outcome(lambda: ask(given)) == outcome(lambda: ask(same_as))


GOOD = [Rect(i, i, 3, 3) for i in range(20)] + [Rect(Sub(1, 1), Vector2(2, 2))]
BAD = GOOD + [bare()]
LEAK_CALLS = {
    "point_hits": lambda: collide.point_hits(GOOD, (2, 2)),
    "rect_hits": lambda: collide.rect_hits(GOOD, GOOD[0]),
    "first_rect_hit": lambda: collide.first_rect_hit(GOOD, [0, 0, 1, 1]),
    "overlapping_pairs": lambda: collide.overlapping_pairs(GOOD),
    "pairs between": lambda: collide.overlapping_pairs_between(GOOD, BAD[:5]),
    "flat pairs": lambda: collide.overlapping_pairs(GOOD * 3, flat=True),
    "flat pairs between": lambda: collide.overlapping_pairs_between(GOOD, GOOD, flat=True),
    "failing rect": lambda: collide.point_hits(BAD, (1, 1)),
    "failing pair": lambda: collide.overlapping_pairs(BAD),
    "failing argument": lambda: collide.rect_hits(GOOD, "ab"),
    "another library's": lambda: [collide.rect_hits(GOOD, array("d", [0, 0, 2, 2])),
                                  collide.point_hits(GOOD, memoryview(array("q", [1, 1]))),
                                  collide.first_rect_hit(GOOD, array("f", [1, 2]))],
    "not a rect": lambda: collide.point_hits([3], (1, 1)),
    "a single rect": lambda: collide.overlapping_pairs(GOOD[0]),
}


@pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"), reason="needs a debug interpreter")
@pytest.mark.thread_unsafe(reason="measures process-wide reference and block counts")
@pytest.mark.parametrize("name", LEAK_CALLS)
def test_queries_do_not_leak(name):
    rounds = 400
    refs, blocks = growth(lambda: outcome(LEAK_CALLS[name]), rounds)
    # A reference leaked per call would show as `rounds`; allow the one-time noise that a
    # failing call's first tracebacks and notes leave (seen up to a tenth of `rounds`).
    assert refs < rounds // 4 and blocks < rounds // 4


# ---------------------------------------------------------------------------------------
# The import: Rect must be the rect module's own type (its records are read in place), and
# the vector types are checked as the rect module checks its own, with the same errors.
# Every refused import is retried, in the same interpreter, with the real modules.

IMPOSTORS = """
import json, sys, types, warnings
from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4
warnings.simplefilter("ignore")
class Slots:  # a record as large as Rect's, with Rect's method table
    __slots__ = ("a", "b", "c")
    __pyx_vtable__ = Rect.__dict__["__pyx_vtable__"]
def attempt(module, name, value):
    real, sys.modules[module] = sys.modules[module], types.ModuleType(module)
    setattr(sys.modules[module], name, eval(value))
    try:
        import tessel.collide.collide
    except Exception as e:
        return [type(e).__name__, str(e)]
    finally:
        sys.modules[module] = real
result = [attempt(*case) for case in CASES]
import tessel.collide.collide as c
result.append(c.point_hits([Rect(0, 0, 2, 2)], (1, 1)))
try:
    c.point_hits([Vector4(1, 2, 3, 4)], (1, 1))
except TypeError as e:
    result.append(str(e))
print(json.dumps(result))
"""
R, V2, V4 = ("tessel.rect.rect.Rect", "tessel.vector2.vector2.Vector2",
             "tessel.vector4.vector4.Vector4")
NOT_OWN = "not the type that module defines"
RECT, VECTOR2, VECTOR4 = (("tessel.rect.rect", "Rect"), ("tessel.vector2.vector2", "Vector2"),
                          ("tessel.vector4.vector4", "Vector4"))
REFUSED = [  # (module, class, the class given, error, message)
    (*RECT, "Vector4", "TypeError", f"{R} is {V4}, {NOT_OWN}"),
    (*RECT, "Vector2", "TypeError", f"{R} is {V2}, {NOT_OWN}"),
    (*RECT, "Slots", "TypeError", f"{R} is Slots, {NOT_OWN}"),
    (*RECT, "5", "TypeError", f"{R} is not a type object"),
    (*VECTOR2, "Rect", "TypeError", f"{V2} is {R}, not a type of its own"),
    (*VECTOR2, "Slots", "TypeError", f"{V2} publishes the method table of {R}"),
    (*VECTOR2, "type('Small', (), {'__slots__': ()})", "ValueError",
     size_changed(V2, HEADER + 16, HEADER)),
    (*VECTOR4, "type('Twin', (), {'__slots__': tuple('abcdefgh'), "
               "'__pyx_vtable__': Vector2.__dict__['__pyx_vtable__']})", "TypeError",
     f"{V4} publishes the method table of {V2}"),
    (*VECTOR4, "type('NoTable', (), {'__slots__': tuple('abcdefgh')})", "KeyError",
     "'__pyx_vtable__'"),
]


@fresh_interpreter
def test_import_refuses_impostors_and_can_be_retried():
    cases = [case[:3] for case in REFUSED]
    *refusals, hits, not_a_rect = run_python(f"CASES = {cases!r}\n" + IMPOSTORS)
    assert refusals == [list(case[3:]) for case in REFUSED]
    assert (hits, not_a_rect) == ([0], f"rects[0] must be {R}, not {V4}")


def test_the_module_shows_only_public_names_and_its_test_hooks_are_private():
    assert [n for n in dir(collide) if n.startswith("_") and not n.endswith("__")] == []
    assert sys.modules["tessel.collide._testing"] is _testing
    assert {"_use_kernel", "_last_kernel", "_kept_bytes"} <= set(dir(_testing))


@pytest.mark.thread_unsafe(reason="fills and limits the process-wide pool of working memory")
@pytest.mark.parametrize("limit", [64 << 20, 200_000, 0])
def test_threads_that_once_paired_many_rects_keep_little_memory(limit):
    rects = scattered(65_000, 10_200, (8, 48), 4)
    expected = collide.overlapping_pairs(rects, flat=True)
    answers = []

    def pair():
        answers.append((collide.overlapping_pairs(rects, flat=True),
                        collide.overlapping_pairs(rects[:2000])))

    _testing._kept_bytes(limit)
    try:
        threads = [threading.Thread(target=pair) for _ in range(8)]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        assert answers == [(expected, collide.overlapping_pairs(rects[:2000]))] * 8
        assert 0 < _testing._kept_bytes() <= limit or limit == 0 == _testing._kept_bytes()
    finally:
        _testing._kept_bytes(64 << 20)
