"""Motion: sweep() (one-shot and on an Index) gives the exact model's contact over generated
scenes; every slide() keeps its promises (one checker, motion_support.check_slide); move()
reads an (n, 2) array of doubles or floats as the loop of `r.position += (dx, dy)` would;
offsets of the wrong shape are refused with the module's own messages."""

import math
import random
import threading

import pytest
from hypothesis import HealthCheck, given, settings
from hypothesis import strategies as st

from motion_support import check_slide, expected_sweep, overlaps
from rect_support import Rect, Vector2, f32, meddler, outcome, same_all
from vector_support import numpy
from tessel.collide import collide
from tessel.collide.collide import Index

EIGHTHS = st.integers(-320, 320).map(lambda n: n / 8)
ODD_SIZES = st.sampled_from([0.0, -1.0, -0.125, math.nan, math.inf, -math.inf, 2.0 ** 40])
SIZES = st.one_of(st.integers(0, 160).map(lambda n: n / 8), ODD_SIZES)
OFFSETS = st.one_of(st.integers(-512, 512).map(lambda n: n / 8), st.just(0.0))
BOX = st.tuples(EIGHTHS, EIGHTHS, SIZES, SIZES)


def as_tuple(hit):
    return None if hit is None else (hit.value, hit.t, hit.point, hit.normal)


@st.composite
def scenes(draw):
    """Boxes, a mover (often touching, overlapping or aligned with a box) and an offset."""
    boxes = draw(st.lists(BOX, min_size=1, max_size=10))
    x, y, w, h = draw(BOX)
    if draw(st.booleans()):
        bx, by, bw, bh = draw(st.sampled_from(boxes))
        side = draw(st.sampled_from(["left", "right", "top", "bottom", "corner", "inside"]))
        x = {"left": bx - w, "right": bx + bw, "corner": bx - w, "inside": bx}.get(side, x)
        y = {"top": by - h, "bottom": by + bh, "corner": by - h, "inside": by}.get(side, y)
    offset = draw(st.tuples(OFFSETS, OFFSETS))
    if draw(st.integers(0, 5)) == 0:
        offset = (offset[0], 0.0) if draw(st.booleans()) else (0.0, offset[1])
    return boxes, (x, y, w, h), offset


@settings(max_examples=400, deadline=None, suppress_health_check=list(HealthCheck))
@given(scenes())
def test_sweep_is_the_exact_contact(scene):
    boxes, mover, offset = scene
    rects = [Rect(*b) for b in boxes]
    stored = [tuple(r) for r in rects]  # single precision: multiples of 1/8 stay exact
    expected = expected_sweep(mover, offset, stored)
    assert as_tuple(collide.sweep(rects, mover, offset)) == expected
    assert as_tuple(Index(rects, range(len(rects))).sweep(mover, offset)) == expected


def world(rng, n, thin=False):
    """n boxes over a field of 400 x 400: tiles, long walls and thin ones, a few odd ones."""
    boxes = []
    for _ in range(n):
        x, y = rng.randrange(-1600, 1600) / 8, rng.randrange(-1600, 1600) / 8
        w, h = rng.choice([(8, 8), (80, 1), (1, 80), (0.125, 24), (24, 0.125), (0, 0), (3, -2)])
        boxes.append((x, y, w, h))
    return boxes


@pytest.mark.parametrize("seed", range(4))
def test_the_index_finds_what_the_one_shot_sweep_finds_over_larger_scenes(seed):
    rng = random.Random(seed)
    rects = [Rect(*b) for b in world(rng, 600)]
    ix = Index(rects, range(len(rects)))
    for k in range(60):
        x, y = rng.randrange(-2400, 2400) / 8, rng.randrange(-2400, 2400) / 8
        reach = rng.choice([4, 40, 600])
        offset = (rng.randrange(-8 * reach, 8 * reach) / 8, rng.randrange(-8 * reach, 8 * reach) / 8)
        mover = (x, y, rng.choice([1, 6, 30]), rng.choice([1, 6, 30]))
        if k % 10 == 0:  # movers from far outside the grid, across all of it
            mover = (-5000.0, y, 4, 4)
            offset = (10000.0, offset[1])
        assert as_tuple(ix.sweep(mover, offset)) == as_tuple(collide.sweep(rects, mover, offset))
    # Moved and added since the grid was entered, and removed.
    ix.move((0.5, -0.25))
    rects.append(Rect(0, 0, 50, 50))
    ix.add(rects[-1], len(rects) - 1)
    ix.remove(rects[3])
    live = rects[:3] + rects[4:]
    values = list(range(3)) + list(range(4, len(rects)))
    for _ in range(30):
        mover = (rng.uniform(-250, 250), rng.uniform(-250, 250), 5, 5)
        offset = (rng.uniform(-300, 300), rng.uniform(-300, 300))
        one = collide.sweep(live, mover, offset)
        got = ix.sweep(mover, offset)
        assert (one is None) == (got is None)
        if one is not None:
            assert (values[one.value], one.t, one.point, one.normal) == as_tuple(got)


# ---------------------------------------------------------------------------------------
# Slide: every promise on every generated slide.

def slid(boxes, start, offset, steps=3, member=False):
    """Slides a rect of `start` among rects of `boxes` (itself one of the members when
    `member`) and checks the promises; gives the hits and where it ended."""
    rects = [Rect(*b) for b in boxes]
    mover = Rect(*start)
    if member:
        rects.append(mover)
    ix = Index(rects, range(len(rects)))
    stored = [tuple(r) for r in rects]
    begin = tuple(mover)
    hits = [as_tuple(h) for h in ix.slide(mover, offset, steps=steps)]
    final = (mover.x, mover.y)
    skip = {i for i, b in enumerate(stored) if overlaps(begin, b) or rects[i] is mover}
    exact = all(abs(v) < 2 ** 20 for b in stored + [begin] for v in b if math.isfinite(v))
    check_slide(stored, skip, begin, offset, steps, hits, final, exact=exact)
    return hits, final


@settings(max_examples=300, deadline=None, suppress_health_check=list(HealthCheck))
@given(scenes(), st.integers(1, 4), st.booleans())
def test_every_slide_keeps_its_promises(scene, steps, member):
    boxes, mover, offset = scene
    if not all(math.isfinite(v) for v in mover):
        return  # a rect that overlaps nothing moves as `+=` would: below
    slid(boxes, mover, offset, steps, member)


@pytest.mark.parametrize("seed", range(6))
def test_slides_among_single_precision_walls_keep_their_promises(seed):
    rng = random.Random(seed)
    boxes = [tuple(f32(v) for v in (rng.uniform(-50, 50), rng.uniform(-50, 50),
                                    rng.uniform(0, 20), rng.uniform(0, 20))) for _ in range(40)]
    for _ in range(40):
        start = tuple(f32(v) for v in (rng.uniform(-60, 60), rng.uniform(-60, 60),
                                       rng.uniform(0.5, 6), rng.uniform(0.5, 6)))
        offset = (rng.uniform(-80, 80), rng.uniform(-80, 80))
        rects = [Rect(*b) for b in boxes]
        mover = Rect(*start)
        ix = Index(rects, range(len(rects)))
        begin = tuple(mover)
        hits = [as_tuple(h) for h in ix.slide(mover, offset)]
        skip = {i for i, b in enumerate(boxes) if overlaps(begin, b)}
        check_slide(boxes, skip, begin, offset, 3, hits, (mover.x, mover.y), exact=False)


@pytest.mark.parametrize("speed", [0.5, 7, 100, 1e4, 1e7])
@pytest.mark.parametrize("run", [1.5, -1.5, 16])
def test_a_fast_fall_lands_on_thin_tiles_and_runs_along_their_seams(speed, run):
    tiles = [Rect(16 * i, 100, 16, 0.125) for i in range(-50, 50)]
    rng = random.Random(int(speed))
    rng.shuffle(tiles)  # the order added decides nothing here
    ix = Index(tiles)
    r = Rect(3, 90 - speed, 10, 10)
    hits = ix.slide(r, (0, 2 * speed))
    assert r.y == 90 and hits[0].normal == (0.0, -1.0) and hits[0].value.y == 100
    for frame in range(40):  # gravity and a run: never snagged, never sunk
        x = r.x
        hits = ix.slide(r, (run, 3))
        assert r.x == f32(x + run) and r.y == 90
        assert all(h.normal == (0.0, -1.0) for h in hits)


def test_the_rect_itself_and_what_it_starts_in_are_passed_through():
    r = Rect(0, 0, 4, 4)
    stuck, wall = Rect(2, 2, 4, 4), Rect(10, -50, 2, 100)
    ix = Index([r, stuck, wall])
    assert ix.slide(r, (20, 0))[0].value is wall and tuple(r) == (6, 0, 4, 4)
    back = ix.slide(r, (-20, 0))  # out of it now, so met; its own stale box is skipped
    assert [(h.value, h.t, h.normal) for h in back] == [(stuck, 0.0, (1.0, 0.0))]
    assert math.copysign(1, back[0].t) == 1 and tuple(r) == (6, 0, 4, 4)


@pytest.mark.parametrize("offset", [(1e-3, 0), (0.1, 0.3), (-1e-7, 5e-8), (3, -7)])
def test_with_nothing_in_the_way_a_slide_is_the_in_place_addition(offset):
    ix = Index([Rect(1000, 1000, 1, 1), Rect(-50, -50, 100, 100)])
    for start, size in [((0.1, 0.2), (1, 1)), ((1e6 + 0.5, -3.3), (1, 1)), ((-1e-20, 7), (1, 1)),
                        ((0.1, 0.2), (math.nan, 1)), ((3, 3), (2, -math.inf))]:
        # The second member: overlapped where the rect starts (passed through), or a rect
        # of a NaN or -inf size, which overlaps nothing.
        a, b = Rect(*start, *size), Rect(*start, *size)
        assert ix.slide(a, offset) == []
        b.position += offset
        assert same_all(tuple(a), tuple(b))


# ---------------------------------------------------------------------------------------
# Frames from arrays.

class Sub(Vector2):
    pass


@pytest.mark.skipif(numpy is None, reason="needs numpy")
@pytest.mark.parametrize("dtype", ["float64", "float32"])
@pytest.mark.parametrize("kind", ["exact", "subtype", "shared"])
def test_an_array_of_offsets_moves_as_the_loop_does(dtype, kind):
    rng = random.Random(7)
    shared = Vector2(0.3, 0.7)

    def scene():
        out = []
        for i in range(50):
            p = {"exact": Vector2, "subtype": Sub}.get(kind, Vector2)(rng.uniform(-9, 9), i / 3)
            out.append(Rect(shared if kind == "shared" and i % 3 == 0 else p, Vector2(1, 1)))
        return out

    state = rng.getstate()
    looped, moved = scene(), (rng.setstate(state), scene())[1]
    offsets = numpy.array([[rng.uniform(-1, 1), rng.uniform(-1e-3, 1e-3)] for _ in range(50)],
                          dtype=dtype)
    for r, (dx, dy) in zip(looped, offsets.tolist()):
        r.position += (dx, dy)
    ix = Index(moved)
    ix.move(offsets)
    assert [tuple(r) for r in moved] == [tuple(r) for r in looped]
    assert ix.boxes.tolist() == [list(r) for r in looped]


def _arrays():
    if numpy is None:
        return []
    return [numpy.zeros((5, 3)), numpy.zeros((4, 2)), numpy.zeros(3), numpy.zeros((5, 2, 1)),
            numpy.zeros((5, 2), dtype="int32")[:, :1]]


@pytest.mark.skipif(numpy is None, reason="needs numpy")
@pytest.mark.parametrize("array", _arrays(), ids=lambda a: str(a.shape))
def test_offsets_of_the_wrong_shape_are_named(array):
    ix = Index([Rect(i, 0, 1, 1) for i in range(5)])
    shape = "(" + ", ".join(map(str, array.shape)) + (",)" if array.ndim == 1 else ")")
    with pytest.raises(ValueError) as e:
        ix.move(array)
    assert str(e.value) == ("move() takes one offset (2 numbers) or one per rect (an array of "
                            f"shape (5, 2)): got an array of shape {shape}")
    assert ix.boxes.tolist() == [[i, 0, 1, 1] for i in range(5)]


@pytest.mark.parametrize("call, name", [
    (lambda ix, o: ix.sweep((0, 0, 1, 1), o), "sweep"),
    (lambda ix, o: collide.sweep([Rect()], (0, 0, 1, 1), o), "sweep"),
    (lambda ix, o: ix.slide(Rect(), o), "slide")])
@pytest.mark.parametrize("offset, text", [
    ((1, 2, 3), "a tuple of length 3"), ([1], "a list of length 1"), ("ab", "str"),
    (None, "NoneType"), ("array3", "an array of shape (3,)"), ("array22", "an array of shape (2, 2)")])
def test_an_offset_that_is_not_two_numbers_is_named(call, name, offset, text):
    if isinstance(offset, str) and offset.startswith("array"):
        if numpy is None:
            pytest.skip("needs numpy")
        offset = numpy.zeros(3) if offset == "array3" else numpy.zeros((2, 2))
    assert outcome(lambda: call(Index([Rect()]), offset)) == (
        ValueError, f"{name}() takes an offset of 2 numbers (a Vector2, a tuple or list of 2, or "
                    f"an array of shape (2,)): got {text}", [])


@pytest.mark.parametrize("call, error, message", [
    (lambda ix: ix.slide((0, 0, 1, 1), (1, 1)), TypeError,
     "slide() argument 'rect' must be tessel.rect.rect.Rect, not tuple"),
    (lambda ix: ix.slide(Rect(), (1, 1), steps=0), ValueError,
     "slide() argument 'steps' must be 1 or more"),
    (lambda ix: ix.slide(Rect(), (math.nan, 1)), ValueError,
     "slide() takes a finite offset: got (nan, 1.0)"),
    (lambda ix: ix.slide(Rect(), (1, 1), 3), TypeError, None),
    (lambda ix: ix.sweep((0, 0, 1), (1, 1)), ValueError,
     "rect for collision must be a Rect, Vector4, tuple, or list of length 4"),
    (lambda ix: collide.sweep(Rect(), (0, 0, 1, 1), (1, 1)), TypeError,
     "expected an iterable of tessel.rect.rect.Rect, got a single Rect"),
    (lambda ix: collide.sweep([Rect(), 5], "no", (1, 1)), TypeError,
     "rects[1] must be tessel.rect.rect.Rect, not int"),
])
def test_calls_that_cannot_run(call, error, message):
    got = outcome(lambda: call(Index([Rect(5, 5, 1, 1)])))
    assert got[0] is error and (message is None or got[1] == message)


def test_no_rects_read_no_arguments():
    assert collide.sweep([], "not a rect", "not an offset") is None


@pytest.mark.parametrize("reads", ["slide", "sweep"])
def test_code_run_while_reading_the_mover_cannot_crash_the_index(reads):
    rects = [Rect(i % 7, i % 5, 2, 2) for i in range(60)]
    ix = Index(rects)
    count = [0]

    def act():
        count[0] += 1
        if count[0] < 6:
            outcome([lambda: ix.add(Rect(1, 1, 1, 1)), lambda: ix.remove(rects[count[0]]),
                     ix.refresh, lambda: ix.move((0.5, 0)), lambda: ix.__init__()][count[0] - 1])

    mover = meddler(act, size=Vector2(2, 2))
    ix.add(mover)
    got = outcome(lambda: ix.slide(mover, (5, 3)) if reads == "slide" else [ix.sweep(mover, (5, 3))])
    if reads == "slide":  # its vectors' x and y cannot be written: their own error
        assert got[0] is AttributeError and "has no setter" in got[1]
    else:
        assert got[0] is None or isinstance(got[0].value, Rect)
    assert len(ix.boxes) == len(ix)


def test_threads_slide_while_others_change_the_index():
    rects = [Rect(16 * (i % 20), 16 * (i // 20), 16, 1) for i in range(200)]
    ix, errors = Index(rects), []

    def slide(k):
        r = Rect(k * 10, -20, 4, 4)
        for _ in range(300):
            try:
                for h in ix.slide(r, (0.5, 3)):
                    assert h.value in rects or h.value == "x"
                hit = ix.sweep(r, (1, 1))
                assert hit is None or hit.value in rects or hit.value == "x"
            except Exception as e:
                errors.append(repr(e))
                return

    def change():
        spare = Rect(5, 5, 2, 2)
        for _ in range(300):
            ix.add(spare, "x"), ix.remove(spare), ix.move((0, 0)), ix.refresh()

    threads = [threading.Thread(target=slide, args=(k,)) for k in range(3)] + [
        threading.Thread(target=change)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert errors == []
