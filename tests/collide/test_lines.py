"""Lines of sight over many rects: raycast() and segment_hits() give what the exact model of
the segment rule gives (lines_support), read their arguments as the module's other functions
read theirs, and stay sound where the doubles cannot be exact."""

import math
import pickle
import random
import sys

import pytest
from hypothesis import HealthCheck, example, given, settings
from hypothesis import strategies as st

import lines_support as lines
from conftest import PASS, growth
from rect_support import (ListSub, Rect, TupleSub, Vector2, extreme_boxes, meddler, noted,
                          outcome, probe, probed_box)
from tessel.collide import collide
from tessel.collide.collide import Hit
from tessel.geometry import clip_line
from test_collide import checked, rect_lists
from test_collide import POINTS as ANY_POINTS

SETTINGS = settings(max_examples=80 if PASS == "parallel" else 400, deadline=None,
                    suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])
# Every form a point comes in; each holds the values of the exact domain exactly.
FORMS = [tuple, list, TupleSub, lambda p: Vector2(*p), lambda p: probe(*p)]
# Segments of non-zero length that p(t) does not define, and points at the ends of the line.
ODD_ENDS = [math.nan, math.inf, -math.inf]


def model(rects, start, end, first):
    """The functions' answers from the rule: items checked, the ends read as collide_point
    reads them (not at all for no rects), then each rect read as an Index reads it."""
    rects = checked(rects)
    if not rects:
        return None if first else []
    for p in (start, end):
        Rect(0, 0, 1, 1).collide_point(p)
    boxes = [noted(f"while reading rects[{i}]", lambda: lines.box_of(r))
             for i, r in enumerate(rects)]
    hits = lines.segment_hits(boxes, lines.point_of(start), lines.point_of(end))
    return (hits[0] if hits else None) if first else hits


def plain(result):
    """Hits as plain tuples, to compare with the model's."""
    if isinstance(result, Hit):
        return tuple(result)
    return [tuple(h) for h in result] if isinstance(result, list) else result


@SETTINGS
@given(scene=lines.scenes(), forms=st.tuples(*[st.sampled_from(FORMS)] * 2),
       sequence=st.sampled_from([list, tuple, iter]),
       odd=st.one_of(st.none(), st.tuples(st.integers(0, 3), st.sampled_from(ODD_ENDS))))
def test_hits_and_clips_equal_the_exact_model(scene, forms, sequence, odd):
    boxes, start, end = scene
    if odd is not None:  # a NaN or infinite coordinate: nothing is hit (unless a point)
        ends = list(start + end)
        ends[odd[0]] = odd[1]
        start, end = tuple(ends[:2]), tuple(ends[2:])
    rects = lines.rects_of(boxes)
    start_arg, end_arg = forms[0](start), forms[1](end)
    for first, query in [(True, collide.raycast), (False, collide.segment_hits)]:
        expected = model(rects, start, end, first)
        got = query(sequence(rects), start_arg, end_arg)
        assert plain(got) == expected
        assert all(type(h) is Hit for h in ([got] if first and got else [] if first else got))
    for r, b in zip(rects, boxes):
        assert clip_line(r, start_arg, end_arg) == lines.clip_line(b, start, end)


@settings(max_examples=40 if PASS == "parallel" else 150, deadline=None,
          suppress_health_check=[HealthCheck.too_slow, HealthCheck.data_too_large])
@given(rects=rect_lists(max_size=30), start=ANY_POINTS, end=ANY_POINTS)
def test_arguments_are_read_and_checked_as_the_other_functions_read_theirs(rects, start, end):
    """Any rects, points in any form or none: the same errors (and notes) as the model's, and
    the same rects hit through the same sides; t and points only where the doubles can be
    exact are the model's (the exact test above), elsewhere they stay sound."""
    for first, query in [(True, collide.raycast), (False, collide.segment_hits)]:
        expected = outcome(lambda: model(rects, start, end, first))
        got = outcome(lambda: query(rects, start, end))
        if isinstance(expected, tuple) and isinstance(expected[0], type):
            assert got == expected
            continue
        many = [got] if first else got
        assert [(h[0], h[3]) for h in many if h] == [
            (h[0], h[3]) for h in ([expected] if first else expected) if h]
        assert all(lines.in_span(lines.box_of(rects[h.value]), h.point) and 0 <= h.t <= 1
                   for h in many if h)


@settings(max_examples=30 if PASS == "parallel" else 120, deadline=None)
@given(seed=st.integers(0, 2 ** 32), n=st.integers(1, 40))
@example(seed=84597, n=34)  # a segment whose difference on y overflows: its t was 0
def test_hits_at_the_ends_of_the_double_range_are_sound(seed, n):
    """Huge and tiny values, differences that overflow: a hit's point lies in the rect's
    closed span, its t in [0, 1] and ascending, its normal one of the five; the raycast is
    the first of the hits, and a clip exists exactly where a hit does."""
    rng = random.Random(seed)
    boxes = extreme_boxes(rng, n)
    rects = [probed_box(b) for b in boxes]
    for _ in range(4):
        pick = [rng.choice(boxes) for _ in range(2)]
        start, end = [(b[0] + rng.choice([0, b[2], -1.0, 0.5]) * rng.random(), b[1] +
                       rng.choice([0, b[3], 2.0, -0.5]) * rng.random()) for b in pick]
        hits = collide.segment_hits(rects, start, end)
        # Ordered by the exact entries; beyond the exact domain a t rounded apart may
        # step back by a few ulps.
        assert all(b.t >= a.t - 4 * math.ulp(a.t) for a, b in zip(hits, hits[1:]))
        assert all(lines.in_span(boxes[h.value], h.point) and 0 <= h.t <= 1 and
                   h.normal in lines.NORMALS for h in hits)
        first = collide.raycast(rects, start, end)
        assert (first is None) == (hits == []) and (first is None or first.value == hits[0].value)
        clips = [i for i, r in enumerate(rects) if clip_line(r, start, end) is not None]
        assert clips == sorted(h.value for h in hits)


# ---------------------------------------------------------------------------------------
# Hit: a struct sequence, named, immutable, unpackable, picklable by its module and name.

def test_a_hit_is_a_named_immutable_tuple_that_pickles():
    hit = collide.raycast([Rect(4, 4, 2, 2), Rect(2, 0, 1, 8)], (0, 5), (10, 5))
    assert hit == (1, 0.2, (2.0, 5.0), (-1.0, 0.0)) and isinstance(hit, tuple)
    value, t, point, normal = hit
    assert (hit.value, hit.t, hit.point, hit.normal) == (value, t, point, normal)
    assert [type(v) for v in (t, *point, *normal)] == [float] * 5
    assert (type(hit).__module__, type(hit).__qualname__) == ("tessel.collide.collide", "Hit")
    assert Hit.n_fields == Hit.n_sequence_fields == 4 and collide.Hit is Hit
    for change in (lambda: setattr(hit, "t", 0.5), lambda: hit.__setitem__(0, 2)):
        with pytest.raises((AttributeError, TypeError)):
            change()
    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        again = pickle.loads(pickle.dumps(hit, protocol))
        assert type(again) is Hit and again == hit
    assert Hit((0, 1.0, (0.0, 0.0), (0.0, 0.0))).t == 1.0
    assert "(0, 0)" in Hit.__doc__ + Hit.normal.__doc__


# ---------------------------------------------------------------------------------------
# What the models leave open: read order and counts, hostile code.

def test_each_end_is_read_once_before_the_first_rect_and_never_for_no_rects():
    log = []
    rects = [Rect(probe(0.0, 0.0, log, "pos"), probe(4.0, 4.0, log, "size")), Rect(5, 0, 1, 1)]
    ends = probe(-1.0, 1.0, log, "start"), probe(9.0, 1.0, log, "end")
    for query in (collide.raycast, collide.segment_hits):
        log.clear()
        query(rects, *ends)
        assert log == "start.x start.y end.x end.y pos.x pos.y size.x size.y".split()
    assert collide.raycast([], None, None) is None and collide.segment_hits((), 1, 2) == []
    log.clear()
    with pytest.raises(TypeError, match="rects\\[1\\] must be"):
        collide.raycast([Rect(), 3], None, ends[0])  # the items first, then the ends
    assert log == []


class Liar(list):
    """A list that lies about its length."""

    def __len__(self):
        return 1000


@pytest.mark.parametrize("query", [collide.raycast, collide.segment_hits])
@pytest.mark.parametrize("action", ["clear", "grow", "replace", "empty"])
def test_code_that_changes_the_rects_during_a_call_cannot_crash_it(query, action):
    rects = [Rect(i, 0, 2, 2) for i in range(50)]
    victim = rects[40]
    act = {"clear": rects.clear, "grow": lambda: rects.extend(Rect() for _ in range(99)),
           "replace": lambda: setattr(victim, "position", Vector2(7, 7)),
           "empty": lambda: delattr(victim, "size")}[action]
    rects[10] = meddler(act)
    result = outcome(lambda: query(rects, (-1, 1), (60, 1)))
    assert result is None or isinstance(result, (Hit, list)) or result[0] is AttributeError
    for lying in (Liar(rects[:3]), ListSub(rects[:3])):
        assert plain(query(lying, (-1, 1), (60, 1))) == plain(query(list(lying), (-1, 1), (60, 1)))


class Sub(Vector2):  # read through its attribute access, and keeps no log of its reads
    pass


GOOD = [Rect(i, i, 3, 3) for i in range(20)] + [Rect(Sub(1, 1), Vector2(2, 2))]
LEAK_CALLS = {
    "raycast": lambda: collide.raycast(GOOD, (-1, 0), (30, 25)),
    "segment_hits": lambda: collide.segment_hits(GOOD, Vector2(-1, 0), [30, 25]),
    "failures": lambda: [outcome(call) for call in (
        lambda: collide.raycast(GOOD, "ab", (0, 0)), lambda: collide.segment_hits([3], 0, 0),
        lambda: collide.raycast(GOOD + [Rect.__new__(Rect)], (0, 0), (1, 1)),
        lambda: collide.raycast(GOOD[0], 0, 0))],
}


@pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"), reason="needs a debug interpreter")
@pytest.mark.thread_unsafe(reason="measures process-wide reference and block counts")
@pytest.mark.parametrize("name", LEAK_CALLS)
def test_lines_of_sight_do_not_leak(name):
    rounds = 400
    refs, blocks = growth(LEAK_CALLS[name], rounds)
    assert refs < rounds // 4 and blocks < rounds // 4
