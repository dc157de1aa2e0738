"""Turns, angles, and the methods that work along a direction, checked against models
written from their rules and, where installed, against the reference C vector type; and the
edges that must be exact: lerp's ends, lengths beyond the squares' range."""

import math

import pytest
from hypothesis import assume, given
from hypothesis import strategies as st

from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4
from vector_support import Seq, float32, kinds, make, needs_pygame, pygame_math, same

coordinates = st.floats(-1e6, 1e6, width=32)
pairs = st.tuples(coordinates, coordinates)
quads = st.tuples(*[st.floats(-1e100, 1e100)] * 4)
angles = st.one_of(st.floats(-1e7, 1e7), st.integers(-40, 40).map(lambda k: 90.0 * k))
bounds = st.tuples(st.floats(0, 1e7), st.floats(0, 1e7)).map(sorted)


def ulp32(x):
    """The spacing of single-precision floats at the magnitude of x."""
    return 2.0 ** max(math.frexp(abs(x))[1] - 24, -149)


def near(actual, expected, scale, kind=None):
    """Within one unit of rounding of `scale` (the vector's size) for a Vector2, which rounds
    to single precision; within the few units of double precision that a Vector4's sums of
    products may lose."""
    tolerance = 16 * math.ulp(scale) if kind is not None and kind.size == 4 else ulp32(scale)
    assert len(actual) == len(expected)
    for a, e in zip(actual, expected):
        assert abs(a - e) <= tolerance, (actual, expected)


def angle_near(actual, expected):
    assert -180 < actual <= 180
    assert abs((actual - expected + 180) % 360 - 180) < 1e-9, (actual, expected)


def quarter(x, y, k):
    return [(x, y), (-y, x), (-x, -y), (y, -x)][k % 4]


def model_rotate(x, y, degrees):
    """Counter-clockwise for y up; whole quarter turns only exchange the components."""
    if degrees % 90 == 0:
        return quarter(x, y, int(degrees // 90))
    r = math.radians(math.fmod(degrees, 360))
    return x * math.cos(r) - y * math.sin(r), x * math.sin(r) + y * math.cos(r)


def polar_angle(x, y):
    return math.degrees(math.atan2(y, x)) if x or y else 0.0


def model_along(v, d):
    """(v . d) / (d . d) times d; d first divided by its largest magnitude (the same line),
    so that its squares stay in range."""
    d = [b / max(map(abs, d)) for b in d]
    k = sum(a * b for a, b in zip(v, d)) / sum(b * b for b in d)
    return [k * b for b in d]


@given(a=pairs, degrees=angles)
def test_rotate_matches_the_model_and_is_exact_for_quarter_turns(a, degrees):
    v = Vector2(*a)
    x, y = v
    expected = model_rotate(x, y, degrees)
    for result in (v.rotate(degrees), v.rotate_rad(math.radians(degrees) if degrees % 90 else
                                                   degrees * math.pi / 180)):
        assert type(result) is Vector2
        if degrees % 90 == 0 and abs(degrees) <= 360 * 2:
            assert tuple(result) == expected  # math.pi multiples convert back exactly here
        else:
            near(result, expected, math.hypot(x, y))
    assert v.rotate_rad(degrees) == v.rotate(math.degrees(degrees))
    assert tuple(v) == (x, y)


@given(a=pairs, b=pairs, k=st.integers(-8, 8))
def test_angles_are_signed_within_half_a_turn_and_exact_on_the_axes(a, b, k):
    v, w = Vector2(*a), Vector2(*b)
    angle_near(v.angle_to(w), polar_angle(*w) - polar_angle(*v) if any(a) and any(b) else 0.0)
    length, angle = v.as_polar()
    assert length == math.sqrt(v.x * v.x + v.y * v.y)
    angle_near(angle, polar_angle(*v))
    assume(any(a))
    assert v.angle_to(v.rotate(90 * k)) == (90 * k + 180) % 360 - 180 or k % 4 == 2
    assert v.angle_to(-v) == 180.0 and v.angle_to(v * 2) == 0.0
    assert Vector2(a[0], 0).as_polar()[1] in (0.0, 180.0) or not a[0]
    assert Vector2(0, a[1]).as_polar()[1] in (90.0, -90.0) or not a[1]


@given(length=coordinates, degrees=angles)
def test_from_polar_inverts_as_polar(length, degrees):
    v = Vector2.from_polar((length, degrees))
    assert type(v) is Vector2 and type(Vector2(1, 2).from_polar(Seq([length, degrees]))) is Vector2
    near(v, model_rotate(length, 0.0, degrees), abs(length))
    back = Vector2.from_polar(v.as_polar())
    near(back, v, abs(length) * 2)


@kinds
@given(data=st.data(), limits=bounds)
def test_clamp_magnitude_keeps_the_direction_and_brings_the_length_within(kind, data, limits):
    v = make(kind, data.draw(pairs if kind.size == 2 else quads))
    low, high = limits
    length = math.hypot(*v)
    for args, (lo, hi) in (((high,), (0.0, high)), ((low, high), (low, high))):
        if length == 0 and lo > 0:
            with pytest.raises(ValueError, match="length zero"):
                v.clamp_magnitude(*args)
            continue
        result = v.clamp_magnitude(*args)
        assert type(result) is kind.type and result is not v
        if lo <= length <= hi:
            assert result == v
        else:
            bound = hi if length > hi else lo
            near(result, [c / length * bound for c in v], bound, kind)


@kinds
@given(data=st.data())
def test_reflect_and_project_match_the_model_and_are_exact_along_axes(kind, data):
    draw = pairs if kind.size == 2 else quads
    v, d = make(kind, data.draw(draw)), data.draw(draw)
    assume(any(d))
    scale = math.hypot(*v)
    projected = model_along(v, d)
    near(v.project(d), [kind.narrow(p) for p in projected], scale, kind)
    near(v.reflect(d), [kind.narrow(c - 2 * p) for c, p in zip(v, projected)], scale, kind)
    near(v.reflect(d).reflect(d), v, scale * 4, kind)
    axis = data.draw(st.integers(0, kind.size - 1))
    n = [0.0] * kind.size
    n[axis] = data.draw(st.sampled_from([-3.0, 0.1, 1e-30, 7e30]))
    flipped = list(v)
    flipped[axis] = -flipped[axis]
    assert list(v.reflect(n)) == flipped
    assert list(v.project(n)) == [c if i == axis else 0.0 for i, c in enumerate(v)]


@kinds
@pytest.mark.parametrize("call, error, message", [
    (lambda v: v.reflect((0,) * len(v)), ValueError, "normal of length zero"),
    (lambda v: v.project([0] * len(v)), ValueError, "onto a vector of length zero"),
    (lambda v: v.clamp_magnitude(3, 2), ValueError, "min_length <= max_length"),
    (lambda v: v.clamp_magnitude(-1), ValueError, "0 <= min_length"),
    (lambda v: v.clamp_magnitude(math.nan), ValueError, "min_length <= max_length"),
    (lambda v: v.clamp_magnitude(math.inf, math.inf), ValueError, "finite min_length"),
    (lambda v: v.clamp_magnitude(), TypeError, "1 or 2 arguments"),
    (lambda v: v.clamp_magnitude(1, 2, 3), TypeError, "1 or 2 arguments"),
    (lambda v: v.clamp_magnitude(1, "2"), TypeError, "argument 2 must be a number"),
    (lambda v: v.reflect(None), TypeError, "reflect.. argument must be"),
    (lambda v: v.project((1,) * (len(v) + 1)), TypeError, "project.. argument must be"),
    (lambda v: v.project(("a",) * len(v)), TypeError, "real number"),
])
def test_direction_errors(kind, call, error, message):
    v = kind.type(*range(1, kind.size + 1))
    with pytest.raises(error, match=message):
        call(v)
    assert v.clamp_magnitude(0, math.inf) == v and kind.type().clamp_magnitude(0, 5) == kind.type()


@pytest.mark.parametrize("call, error, message", [
    (lambda v: v.rotate("90"), TypeError, "rotate.. argument 1 must be a number"),
    (lambda v: v.rotate_rad(None), TypeError, "rotate_rad.. argument 1 must be a number"),
    (lambda v: v.angle_to((1, 2, 3)), TypeError, "angle_to.. argument must be"),
    (lambda v: Vector2.from_polar(1.0), TypeError, "from_polar.. argument must be"),
    (lambda v: Vector2.from_polar(("1", 2)), TypeError, "real number"),
])
def test_turn_errors(call, error, message):
    with pytest.raises(error, match=message):
        call(Vector2(1, 2))


@pytest.mark.parametrize("v, degrees", [((1, 2), math.inf), ((1, 2), math.nan),
                                        ((math.inf, 0), 90), ((0, math.inf), 180)])
def test_turns_of_non_finite_values(v, degrees):
    expected = model_rotate(*v, degrees) if math.isfinite(degrees) else (math.nan, math.nan)
    same(list(Vector2(*v).rotate(degrees)), [float(e) + 0.0 for e in expected])


@needs_pygame
@pytest.mark.parametrize("method", ["rotate", "rotate_rad", "angle_to", "as_polar",
                                    "from_polar", "clamp_magnitude", "reflect", "project"])
@given(a=pairs, b=pairs, degrees=angles, limits=bounds)
def test_agrees_with_the_reference_within_single_precision(method, a, b, degrees, limits):
    ours, other = Vector2(*a), Vector2(*b)
    theirs, their_other = pygame_math.Vector2(*ours), pygame_math.Vector2(*other)
    scale = math.hypot(*ours)
    # Where the rules differ: the reference takes the angle of a zero vector from the signs
    # of its zeros, refuses directions shorter than its own epsilon, and turns by a whole
    # quarter for angles within its epsilon of one.
    assume(scale > 1e-3 and math.hypot(*other) > 1e-3 or method in ("rotate", "rotate_rad",
                                                                    "from_polar"))
    off_axis = abs((degrees + 45) % 90 - 45)
    assume(off_axis == 0 or off_axis > 1e-3)
    if method in ("rotate", "rotate_rad"):
        arg = degrees if method == "rotate" else math.radians(degrees)
        near(getattr(ours, method)(arg), getattr(theirs, method)(arg), scale)
    elif method == "angle_to":
        angle_near(ours.angle_to(other), theirs.angle_to(their_other))
    elif method == "as_polar":
        (length, angle), (their_length, their_angle) = ours.as_polar(), theirs.as_polar()
        assert math.isclose(length, their_length, rel_tol=1e-15)
        angle_near(angle, their_angle)
    elif method == "from_polar":
        near(Vector2.from_polar(a), pygame_math.Vector2.from_polar(a), abs(a[0]))
    elif method == "clamp_magnitude":
        near(ours.clamp_magnitude(*limits), theirs.clamp_magnitude(*limits), limits[1])
        near(ours.clamp_magnitude(limits[1]), theirs.clamp_magnitude(limits[1]), limits[1])
    else:
        near(getattr(ours, method)(other), getattr(theirs, method)(their_other), scale)


@kinds
@given(data=st.data(), t=st.lists(st.floats(-3, 4), min_size=2, max_size=2))
def test_lerp_is_exact_at_the_ends_and_monotone_between(kind, data, t):
    values = st.floats(allow_nan=False, allow_infinity=False, width=32 if kind.size == 2 else 64)
    v, w = (kind.type(*data.draw(st.lists(values, min_size=kind.size, max_size=kind.size)))
            for _ in range(2))
    assert v.lerp(w, 0) == v and v.lerp(w, 1.0) == w and v.lerp(w, True) == w
    early, late = (v.lerp(w, s) for s in sorted(t))
    for a, b, e, l in zip(v, w, early, late):
        assert (e <= l) if b >= a else (e >= l)
        if 0 <= min(t) and max(t) <= 1:
            assert min(a, b) <= e <= max(a, b)


@pytest.mark.parametrize("call, expected", [
    (lambda: Vector2(1e20, 0).lerp((1, 0), 1.0), (1.0, 0.0)),
    (lambda: Vector4(math.inf, 0, 0, 0).lerp((0, 0, 0, 0), 0.0), (math.inf, 0.0, 0.0, 0.0)),
    (lambda: Vector4(-1e308, 0, 0, 0).lerp((1e308, 0, 0, 0), 0.5), (0.0, 0.0, 0.0, 0.0)),
    (lambda: Vector4(1e200, 0, 0, 0).normalized(), (1.0, 0.0, 0.0, 0.0)),
    (lambda: Vector4(1e-170, 0, 0, 0).normalized(), (1.0, 0.0, 0.0, 0.0)),
    (lambda: Vector4(3e-320, 4e-320, 0, 0).normalized(), (0.6, 0.8, 0.0, 0.0)),
    (lambda: (Vector4(1e-170, 0, 0, 0).length(),), (1e-170,)),
    (lambda: (Vector4(1e308, 1e308, 0, 0).length(),), (math.hypot(1e308, 1e308),)),
    (lambda: (Vector4(1e308, 0, 0, 0).distance_to((-1e308, 0, 0, 0)),), (math.inf,)),
    (lambda: (Vector4(1e300, 0, 0, 0).distance_to((-1e300, 0, 0, 0)),), (2e300,)),
    (lambda: Vector4(1e300, 0, 0, 1e300).clamp_magnitude(1), (2 ** -0.5, 0, 0, 2 ** -0.5)),
    (lambda: Vector4(0, 2e307, 0, 0).reflect((0, 1e300, 0, 1e300)), (0.0, 0.0, 0.0, -2e307)),
    (lambda: Vector4(1, 2, 3, 4).project((1e-300, 0, 0, 0)), (1.0, 0.0, 0.0, 0.0)),
])
def test_results_beyond_the_range_of_the_squares(call, expected):
    result = tuple(call())
    assert all(math.isclose(r, e, rel_tol=1e-15) for r, e in zip(result, expected)), result
