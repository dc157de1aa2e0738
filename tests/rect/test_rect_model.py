"""Property tests: rects built from generated numbers (finite, huge, infinite, NaN, signed
zeros; negative and zero sizes included) behave as a small model of the rules says.

The model: a rect is four single-precision components x, y, w, h (what its two Vector2
hold); every derived value is computed from them in double precision at the moment of use,
and every write narrows the stored result to single precision again.
"""

import copy
import math
import pickle

import pytest
from hypothesis import example, given, reject, settings
from hypothesis import strategies as st

from rect_support import Rect, Vector2, Vector4, f32, same, same_all, xy, xywh, xyzw

MODEST = settings(max_examples=60, deadline=None)

# Any double, small ones, ones that single precision cannot hold, and ints.
numbers = st.one_of(st.floats(), st.floats(-1e4, 1e4),
                    st.floats(-1e4, 1e4).map(lambda v: v + 1 / 3),
                    st.integers(-2**64, 2**64))
quads = st.tuples(numbers, numbers, numbers, numbers)


class Model:
    """The rules of the properties, the collision tests and indexing."""

    READS = {
        "x": lambda x, y, w, h: x, "left": lambda x, y, w, h: x,
        "y": lambda x, y, w, h: y, "top": lambda x, y, w, h: y,
        "w": lambda x, y, w, h: w, "width": lambda x, y, w, h: w,
        "h": lambda x, y, w, h: h, "height": lambda x, y, w, h: h,
        "right": lambda x, y, w, h: x + w, "bottom": lambda x, y, w, h: y + h,
        "centerx": lambda x, y, w, h: x + w * 0.5, "centery": lambda x, y, w, h: y + h * 0.5,
    }
    # name: (component written, its new value before narrowing)
    WRITES = {
        "x": (0, lambda v, c: v), "left": (0, lambda v, c: v),
        "right": (0, lambda v, c: v - c[2]), "centerx": (0, lambda v, c: v - c[2] * 0.5),
        "y": (1, lambda v, c: v), "top": (1, lambda v, c: v),
        "bottom": (1, lambda v, c: v - c[3]), "centery": (1, lambda v, c: v - c[3] * 0.5),
        "w": (2, lambda v, c: v), "width": (2, lambda v, c: v),
        "h": (3, lambda v, c: v), "height": (3, lambda v, c: v),
    }

    def __init__(self, x, y, w, h):
        self.c = [f32(x), f32(y), f32(w), f32(h)]

    def read(self, name):
        return Model.READS[name](*self.c)

    def center(self):
        return (f32(self.read("centerx")), f32(self.read("centery")))

    def write(self, name, value):
        i, rule = Model.WRITES[name]
        self.c[i] = f32(rule(float(value), self.c))

    def write_center(self, px, py):
        self.write("centerx", px)
        self.write("centery", py)

    def contains(self, px, py):
        x, y, w, h = self.c
        return x <= px <= x + w and y <= py <= y + h

    def overlaps(self, ox, oy, sx, sy):
        x, y, w, h = self.c
        return x < ox + sx and ox < x + w and y < oy + sy and oy < y + h


def as_doubles(values):
    return [float(v) for v in values]


@MODEST
@given(quads)
def test_reads_follow_the_components(values):
    rect, model = Rect(*values), Model(*values)
    for name in Model.READS:
        value = getattr(rect, name)
        assert type(value) is float and same(value, model.read(name)), name
    assert same_all(xy(rect.center), model.center())
    assert same_all([rect.get_width(), rect.get_height()], model.c[2:])
    assert same_all(rect.get_tuple(), model.c) and same_all(xyzw_of(rect.get_vector4()), model.c)
    assert same_all(list(rect), model.c) and same_all([rect[i] for i in range(4)], model.c)


def xyzw_of(v):
    return (v.x, v.y, v.z, v.w)


@MODEST
@given(quads, st.sampled_from(sorted(Model.WRITES)), numbers)
def test_writes_move_or_resize(values, name, value):
    rect, model = Rect(*values), Model(*values)
    setattr(rect, name, value)
    model.write(name, value)
    assert same_all(xywh(rect), model.c)


@MODEST
@given(quads, numbers, numbers, st.sampled_from(["tuple", "list", "vector2"]))
def test_center_write_moves_both_axes(values, px, py, form):
    rect, model = Rect(*values), Model(*values)
    if form == "vector2":
        rect.center = Vector2(px, py)
        px, py = f32(px), f32(py)
    else:
        rect.center = (px, py) if form == "tuple" else [px, py]
    model.write_center(px, py)
    assert same_all(xywh(rect), model.c)


POINT_FORMS = {
    "general-tuple": lambda r, p: r.collide_point(tuple(p)),
    "general-list": lambda r, p: r.collide_point(list(p)),
    "general-vector2": lambda r, p: r.collide_point(Vector2(*p)),
    "vector2": lambda r, p: r.collide_point_vector2(Vector2(*p)),
    "tuple": lambda r, p: r.collide_point_tuple(tuple(as_doubles(p))),
    "list": lambda r, p: r.collide_point_list(as_doubles(p)),
}


@MODEST
@given(quads, st.tuples(numbers, numbers), st.sampled_from(sorted(POINT_FORMS)))
def test_point_inside_by_the_closed_rule(values, point, form):
    inside = POINT_FORMS[form](Rect(*values), point)
    if "vector2" in form:
        point = tuple(map(f32, point))
    assert inside is Model(*values).contains(*as_doubles(point))


RECT_FORMS = {
    "general-rect": lambda r, o: r.collide_rect(Rect(*o)),
    "general-vector4": lambda r, o: r.collide_rect(Vector4(*o)),
    "general-tuple": lambda r, o: r.collide_rect(tuple(o)),
    "general-list": lambda r, o: r.collide_rect(list(o)),
    "rect": lambda r, o: r.collide_rect_rect(Rect(*o)),
    "vector4": lambda r, o: r.collide_rect_vector4(Vector4(*o)),
    "tuple": lambda r, o: r.collide_rect_tuple(tuple(as_doubles(o))),
    "list": lambda r, o: r.collide_rect_list(as_doubles(o)),
}


@MODEST
@given(quads, quads, st.sampled_from(sorted(RECT_FORMS)))
def test_rects_overlap_by_the_open_rule(values, other, form):
    overlap = RECT_FORMS[form](Rect(*values), other)
    if "rect" in form:
        other = tuple(map(f32, other))
    assert overlap is Model(*values).overlaps(*as_doubles(other))
    if form == "general-rect":
        assert Rect(*other).collide_rect(Rect(*values)) is overlap


class Point(Vector2):
    pass


class Quad(Vector4):
    pass


# What the typed forms read, they compare and add as it is: an int exactly, however large
# (beside a float's value, past 2**53, too large for a float), a bool as an int. Their
# answers hold for exact vectors and for subtypes alike.
items = st.one_of(numbers, st.integers(-2**31, 2**31), st.sampled_from(
    [2**30 - 1, 2**30, -2**30, 2**53 + 1, -2**53 - 1, 2**63, 10**400, True]))
TYPED_FORMS = {  # method: (values it takes, its argument made of them, the values it holds)
    "collide_point_tuple": (2, lambda v, vector: tuple(v), tuple),
    "collide_point_list": (2, lambda v, vector: list(v), tuple),
    "collide_point_vector2": (2, lambda v, vector: vector(*v), xy),
    "collide_rect_tuple": (4, lambda v, vector: tuple(v), tuple),
    "collide_rect_list": (4, lambda v, vector: list(v), tuple),
    "collide_rect_vector4": (4, lambda v, vector: (Vector4, Quad)[vector is Point](*v), xyzw),
    "collide_rect_rect": (4, lambda v, vector: Rect(vector(*v[:2]), vector(*v[2:])), xywh),
}


@MODEST
@given(quads, st.lists(items, min_size=4, max_size=4), st.sampled_from(sorted(TYPED_FORMS)),
       st.sampled_from([Vector2, Point]))
# An int one past a float's value: as a double it would equal it.
@example((2.0**53, 0, 0, 0), [2**53 + 1, 0, 0, 0], "collide_point_tuple", Vector2)
@example((2.0**53, 0, 4, 1), [2**53 + 1, 0, 0, 1], "collide_rect_list", Vector2)
def test_typed_forms_apply_the_rule_to_the_values_as_read(values, raw, method, vector):
    n, make, held = TYPED_FORMS[method]
    try:
        argument = make(raw[:n], vector)
    except OverflowError:
        reject()
    rect, model = Rect(vector(*values[:2]), vector(*values[2:])), Model(*values)
    rule = model.contains if n == 2 else model.overlaps
    assert outcome(lambda: getattr(rect, method)(argument)) == outcome(
        lambda: rule(*held(argument)))


def outcome(call):
    try:
        return call()
    except Exception as e:
        return type(e), str(e)


indices = st.one_of(st.integers(-3, 7), st.floats(-2.0, 6.0), st.booleans())


@MODEST
@given(quads, indices, numbers)
def test_indexing_reads_and_writes_narrowed_components(values, index, value):
    rect, model = Rect(*values), Model(*values)
    i = int(index)  # an int's own value; a float index is truncated toward zero
    if not 0 <= i < 4:
        with pytest.raises(IndexError, match="Rect index out of range"):
            rect[index]
        with pytest.raises(IndexError, match="Rect index out of range"):
            rect[index] = value
        assert same_all(xywh(rect), model.c)
        return
    assert same(rect[index], model.c[i])
    rect[index] = value
    model.c[i] = f32(value)
    assert same_all(xywh(rect), model.c)


@MODEST
@given(quads, quads, st.integers(0, pickle.HIGHEST_PROTOCOL))
def test_equality_by_components_and_pickle_round_trips(a, b, protocol):
    left, right, model = Rect(*a), Rect(*b), Model(*a)
    equal = all(p == q for p, q in zip(model.c, Model(*b).c))
    assert (left == right) is equal and (left != right) is not equal
    assert (left == left) is not any(map(math.isnan, model.c))
    for twin in (pickle.loads(pickle.dumps(left, protocol)), copy.deepcopy(left)):
        assert same_all(xywh(twin), model.c) and twin.position is not left.position
