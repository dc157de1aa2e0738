"""What both vector types compute, checked against a model over Python floats: a Vector2
stores each result narrowed to single precision (struct's "f"), a Vector4 stores it as is."""

import array
import copy
import itertools
import math
import operator
import pickle
import subprocess
import sys
import textwrap
import tracemalloc

import pytest
from hypothesis import assume, given
from hypothesis import strategies as st

from conftest import FREE_THREADED, growth
from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4
from vector_support import (KINDS, KIND_IDS, Seq, check_length, float32, fold, kinds, make,
                            model_length, model_lerp, numpy, pygame_math, same)


class Sub2(Vector2):
    pass


class Sub4(Vector4):
    pass


SUBTYPES = {Vector2: Sub2, Vector4: Sub4}

# Finite and non-finite values, -0.0, values beyond single precision, and integers.
numbers = st.one_of(st.floats(), st.sampled_from([-0.0, 3.5e38, -1e39, 1e-46]),
                    st.integers(-2 ** 64, 2 ** 64))
components = st.lists(numbers, min_size=4, max_size=4)


# How an operand is handed over: the vector type itself, or N numbers in a tuple, a list,
# another sequence or a buffer, or as another library's vector (where installed).
FORMS = {"vector": make, "tuple": lambda kind, items: tuple(items),
         "list": lambda kind, items: list(items), "sequence": lambda kind, items: Seq(items),
         "buffer": lambda kind, items: memoryview(array.array("d", map(float, items)))}
# Where these stand left of an operator, their own operator answers first.
FOREIGN = set()
if numpy is not None:
    FORMS["ndarray"] = lambda kind, items: numpy.array([float(c) for c in items])
    FOREIGN.add("ndarray")
if pygame_math is not None:
    FORMS["pygame"] = lambda kind, items: (pygame_math.Vector2 if kind.size == 2 else Seq)(
        [float(c) for c in items])
    FOREIGN.add("pygame")


@kinds
@pytest.mark.parametrize("op, in_place", [(operator.add, operator.iadd),
                                          (operator.sub, operator.isub)], ids=["add", "sub"])
@given(a=components, b=components, form=st.sampled_from(list(FORMS)), vector_left=st.booleans())
def test_addition_and_subtraction_match_the_model(kind, op, in_place, a, b, form, vector_left):
    assume(vector_left or form not in FOREIGN)
    v = make(kind, a)
    w = FORMS[form](kind, b[:kind.size])
    va = kind.values(v)
    wb = kind.values(w) if form == "vector" else tuple(float(c) for c in b[:kind.size])
    pairs = zip(va, wb) if vector_left else zip(wb, va)
    expected = [kind.narrow(op(x, y)) for x, y in pairs]
    result = op(v, w) if vector_left else op(w, v)
    assert type(result) is kind.type
    same(kind.values(result), expected)
    if vector_left:
        assert in_place(v, w) is v
        same(kind.values(v), expected)


@kinds
@pytest.mark.parametrize("how", ["v * k", "k * v", "v / k", "v *= k", "v /= k", "-v", "+v"])
@given(a=components, k=numbers)
def test_scaling_and_signs_match_the_model(kind, how, a, k):
    v = make(kind, a)
    va = kind.values(v)
    scope = {"v": v, "k": k}
    code = f"{how}\nr = v" if "=" in how else f"r = {how}"
    if "/" in how and k == 0:
        with pytest.raises(ZeroDivisionError) as floats_say:
            1.0 / 0.0
        with pytest.raises(ZeroDivisionError, match=f"^{floats_say.value}$"):
            exec(code, {}, scope)
        same(kind.values(v), va)
        return
    kf = float(k)
    model = {"v * k": lambda c: c * kf, "k * v": lambda c: kf * c, "v / k": lambda c: c / kf,
             "v *= k": lambda c: c * kf, "v /= k": lambda c: c / kf, "-v": operator.neg,
             "+v": operator.pos}[how]
    exec(code, {}, scope)
    result = scope["r"]
    same(kind.values(result), [kind.narrow(model(c)) for c in va])
    assert (result is v) is ("=" in how) and type(result) is kind.type


@kinds
@pytest.mark.parametrize("method", ["length", "length_squared", "dot", "distance_to",
                                    "distance_squared_to", "normalized", "scale_to_length",
                                    "is_normalized", "lerp", "copy"])
@given(a=components, b=components, t=numbers, form=st.sampled_from(list(FORMS)))
def test_methods_match_the_model(kind, method, a, b, t, form):
    v = make(kind, a)
    va = kind.values(v)
    w = FORMS[form](kind, b[:kind.size])
    wb = kind.values(w) if form == "vector" else tuple(float(c) for c in b[:kind.size])
    if method in ("normalized", "scale_to_length") and not any(va):
        with pytest.raises(ValueError, match="length zero"):
            v.normalized() if method == "normalized" else v.scale_to_length(t)
        same(kind.values(v), va)
        return
    args = {"dot": (w,), "distance_to": (w,), "distance_squared_to": (w,), "lerp": (w, t),
            "scale_to_length": (t,)}.get(method, ())
    result = getattr(v, method)(*args)
    if method in ("length", "distance_to"):
        check_length(result, [x - y for x, y in zip(va, wb)] if args else va)
        same(kind.values(v), va)
        return
    if method in ("normalized", "scale_to_length") and model_length(va) is None:
        assume(method == "normalized")  # the scale is the edge tests' (test_vector_geometry)
        unit = [c / max(map(abs, va)) for c in va]  # the direction, of a length near 1
        for c, r in zip(unit, kind.values(result)):
            assert math.isclose(r, c / math.hypot(*unit), rel_tol=2 ** -50, abs_tol=2 ** -1072)
        same(kind.values(v), va)
        return
    # Within 16 epsilons of the stored type: what normalized() gives always is.
    tolerance = 16 * (2.0 ** -23 if kind.size == 2 else 2.0 ** -52)
    model = {
        "length_squared": lambda: fold(c * c for c in va),
        "dot": lambda: fold(x * y for x, y in zip(va, wb)),
        "distance_squared_to": lambda: fold((x - y) * (x - y) for x, y in zip(va, wb)),
        "normalized": lambda: [kind.narrow(c / model_length(va)) for c in va],
        "scale_to_length": lambda: [kind.narrow(c / model_length(va) * float(t)) for c in va],
        "is_normalized": lambda: abs(fold(c * c for c in va) - 1) <= tolerance,
        "lerp": lambda: [kind.narrow(model_lerp(x, y, float(t))) for x, y in zip(va, wb)],
        "copy": lambda: va,
    }[method]
    if method == "scale_to_length":  # in place
        assert result is None
        same(kind.values(v), model())
        return
    if isinstance(result, bool):
        assert result is model()
    elif isinstance(result, float):
        same([result], [model()])
    else:
        assert type(result) is kind.type and result is not v
        same(kind.values(result), model())
    assert method != "normalized" or not all(map(math.isfinite, va)) or result.is_normalized()
    same(kind.values(v), va)


def outcome(call):
    try:
        return call()
    except Exception as error:  # noqa: BLE001 (the outcome compared is any error)
        return error


# An in-place form beside what it mirrors: the method of that name (None: the constructor)
# and its arguments, as (args, kwargs), some of them wrong.
def _vectors(kind):
    return st.one_of(st.builds(lambda f, c: FORMS[f](kind, c[:kind.size]),
                               st.sampled_from(list(FORMS)), components),
                     st.sampled_from(["ab", None, (1.0,) * (kind.size + 1)]))


def _arguments(*parts):
    return st.tuples(*parts).map(lambda args: (args, {}))


anything_numeric = st.one_of(numbers, st.floats(0, 1e7), st.sampled_from(["1", None]))
MIRRORS = {
    "normalize_ip": ("normalized", lambda kind: _arguments()),
    "clamp_magnitude_ip": ("clamp_magnitude", lambda kind: st.one_of(
        _arguments(anything_numeric), _arguments(anything_numeric, anything_numeric),
        _arguments(), _arguments(numbers, numbers, numbers))),
    "reflect_ip": ("reflect", lambda kind: _arguments(_vectors(kind))),
    "move_towards_ip": ("move_towards", lambda kind: st.one_of(
        _arguments(_vectors(kind), anything_numeric), _arguments(_vectors(kind)))),
    "rotate_ip": ("rotate", lambda kind: _arguments(anything_numeric)),
    "rotate_rad_ip": ("rotate_rad", lambda kind: _arguments(anything_numeric)),
    "update": (None, lambda kind: st.one_of(
        st.tuples(st.lists(numbers, max_size=kind.size + 1).map(tuple),
                  st.dictionaries(st.sampled_from(["x", "y", "w", "q"]), numbers, max_size=2)),
        _arguments(_vectors(kind)))),
}


@pytest.mark.parametrize("kind, form", [
    (kind, form) for kind in KINDS for form in MIRRORS
    if kind.size == 2 or not form.startswith("rotate")],
    ids=[f"{i}-{form}" for kind, i in zip(KINDS, KIND_IDS) for form in MIRRORS
         if kind.size == 2 or not form.startswith("rotate")])
@given(a=components, data=st.data())
def test_in_place_forms_change_the_vector_as_what_they_mirror_makes_one(kind, form, a, data):
    """Every holder of the vector sees the change; the vector keeps its type; a failure
    raises what the method raises (named for the form) and changes nothing."""
    mirror, arguments = MIRRORS[form]
    args, kwargs = data.draw(arguments(kind))
    v = SUBTYPES[kind.type](*kind.values(make(kind, a)))
    before = kind.values(v)
    make_one = kind.type if mirror is None else getattr(v, mirror)
    expected = outcome(lambda: make_one(*args, **kwargs))
    holders = [Rect(v, (1, 1)), Rect((0, 0), v)] if kind.size == 2 else []
    got = outcome(lambda: getattr(v, form)(*args, **kwargs))
    if isinstance(expected, Exception):
        named = f"{kind.type.__name__}()" if mirror is None else f"{mirror}()"
        assert type(got) is type(expected)
        assert str(got).replace(f"{form}()", named) == str(expected)
        same(kind.values(v), before)
        return
    assert got is None and type(v) is SUBTYPES[kind.type]
    same(kind.values(v), kind.values(expected))
    if holders:
        assert holders[0].position is v and holders[1].size is v
        same([holders[0].x, holders[0].y, holders[1].w, holders[1].h], kind.values(v) * 2)


@kinds
@given(a=components, item=numbers)
def test_a_fixed_sequence_of_its_components(kind, a, item):
    v = make(kind, a)
    va = kind.values(v)
    n = kind.size
    assert len(v) == n
    same([v[i] for i in range(-n, n)], va + va)
    same(list(v), va)
    for bad in (n, -n - 1):
        with pytest.raises(IndexError, match=f"{kind.type.__name__} index out of range"):
            v[bad]
        with pytest.raises(IndexError):
            v[bad] = 0
    v[-1] = item
    same([v[n - 1]], [kind.narrow(float(item))])
    with pytest.raises(TypeError):
        del v[0]
    with pytest.raises(TypeError):
        v[0] = "1.0"


# Slices of every kind within a few steps of either end.
slices = st.builds(slice, st.one_of(st.none(), st.integers(-6, 6)),
                   st.one_of(st.none(), st.integers(-6, 6)),
                   st.one_of(st.none(), st.integers(-3, 3).filter(bool)))


@kinds
@given(a=components, where=slices, data=st.data())
def test_slices_membership_and_truth_are_those_of_the_tuple_of_components(kind, a, where, data):
    v = make(kind, a)
    t = kind.values(v)
    got = v[where]
    assert type(got) is list
    same(got, list(t)[where])
    assert bool(v) is any(t)
    # Beside any number, the integers next to integral components: beyond 2**53 a float
    # conversion would call them equal.
    k = data.draw(st.one_of(numbers, st.sampled_from(t).map(
        lambda c: int(c) + 1 if math.isfinite(c) and c == int(c) else c)))
    assert (k in v) is any(k == c for c in t)  # by value: a NaN is in no vector
    n = len(range(*where.indices(kind.size)))
    size = data.draw(st.sampled_from([n, n, n, n + 1, max(n - 1, 0)]))
    values = data.draw(st.lists(numbers, min_size=size, max_size=size))
    w = FORMS[data.draw(st.sampled_from([f for f in FORMS if f not in FOREIGN]))](kind, values)
    wb = kind.values(w) if isinstance(w, kind.type) else [float(c) for c in values]
    expected = list(t)
    if len(wb) != n:
        with pytest.raises(TypeError, match="slice assignment takes a sequence of as many"):
            v[where] = w
    else:
        expected[where] = [kind.narrow(c) for c in wb]
        v[where] = w
    same(kind.values(v), expected)


@kinds
@given(data=st.data(), ndigits=st.one_of(st.none(), st.integers(-25, 25),
                                         st.sampled_from([-400, 330, 2 ** 70])))
def test_round_rounds_each_component_as_round_rounds_a_float(kind, data, ndigits):
    """Then stores it as a component is. Without ndigits a float's round gives an int, and so
    a zero without sign; infinities and NaN, for which it has none, stay."""
    # Beside every kind of number, the doubles nearest to halves at that many digits: their
    # product by 10**ndigits often rounds to the very half, which the exact value is not.
    scale = 10.0 ** -(ndigits or 0) if abs(ndigits or 0) < 300 else 1.0
    ties = st.builds(lambda k: (k + 0.5) * scale, st.integers(-10 ** 9, 10 ** 9))
    v = make(kind, data.draw(st.lists(st.one_of(numbers, st.floats(width=32), ties),
                                      min_size=4, max_size=4)))

    def rounded(c):
        if ndigits is not None:
            return round(c, ndigits)
        return float(round(c)) if math.isfinite(c) else c

    expected = outcome(lambda: [kind.narrow(rounded(c)) for c in kind.values(v)])
    result = outcome(lambda: round(v, ndigits) if ndigits is not None else round(v))
    if isinstance(expected, Exception):
        assert type(result) is type(expected) and str(result) == str(expected)
        return
    assert type(result) is kind.type
    same(kind.values(result), expected)


def test_unpacking():
    x, y = Vector2(1, 0.1)
    assert (x, y) == (1.0, float32(0.1))
    x, y, z, w = Vector4(1, 2, 3, 0.1)
    assert (x, y, z, w) == (1.0, 2.0, 3.0, 0.1)
    match Vector2(1, 2):
        case [a, b]:
            assert (a, b) == (1.0, 2.0)


@kinds
@given(a=components)
def test_text_is_each_component_as_repr_gives_it(kind, a):
    v = make(kind, a)
    body = ", ".join(repr(c) for c in kind.values(v))
    assert repr(v) == str(v) == f"{kind.type.__name__}({body})"
    assert repr(SUBTYPES[kind.type](*kind.values(v))) == f"Sub{kind.size}({body})"


class Answers:
    """An operand of its own kind, which answers every operation that the vector refuses."""

    def __radd__(self, other):
        return "radd"

    __rsub__ = __rmul__ = __rtruediv__ = __add__ = __sub__ = __mul__ = __radd__


OTHERS = {"str": lambda kind: "ab", "None": lambda kind: None, "complex": lambda kind: 1j,
          "class": lambda kind: object, "float": lambda kind: 2.0,
          "vector": lambda kind: kind.type(), "pair": lambda kind: (1.0,) * kind.size,
          "long tuple": lambda kind: (1.0,) * (kind.size + 1),
          "short list": lambda kind: [1.0] * (kind.size - 1)}
REFUSED = ([(name, other) for name in ("add", "sub", "iadd", "isub")
            for other in ("str", "None", "complex", "class", "float", "long tuple", "short list")]
           + [(name, other) for name in ("mul", "truediv", "imul", "itruediv")
              for other in ("str", "None", "complex", "class", "vector", "pair")])


@kinds
@pytest.mark.parametrize("name, other", REFUSED)
def test_wrong_operand_types_let_the_other_operand_answer(kind, name, other):
    v = kind.type(*range(1, kind.size + 1))
    before = kind.values(v)
    other = OTHERS[other](kind)
    op = getattr(operator, name)
    assert getattr(v, f"__{name}__")(other) is NotImplemented
    with pytest.raises(TypeError):
        op(v, other)
    if not name.startswith("i"):
        with pytest.raises(TypeError):
            op(other, v)
    if name == "truediv":
        with pytest.raises(TypeError):
            2.0 / v
    assert op(v, Answers()) == "radd"
    assert kind.values(v) == before


@kinds
@pytest.mark.parametrize("call", ["dot", "distance_to", "lerp", "lerp-t", "lerp-count"])
@pytest.mark.parametrize("bad", ["ab", None, (1.0, 2.0, 3.0, 4.0, 5.0)])
def test_methods_reject_wrong_arguments(kind, call, bad):
    v = kind.type()
    args = {"lerp": (bad, 0.5), "lerp-t": (v, bad), "lerp-count": (v,)}.get(call, (bad,))
    with pytest.raises(TypeError):
        getattr(v, call.split("-")[0])(*args)
    with pytest.raises(TypeError):
        v.dot((1.0, "x", 0.0, 0.0)[:kind.size])


@kinds
def test_subtypes_give_the_base_type_except_in_place(kind):
    sub = SUBTYPES[kind.type](*range(kind.size))
    for result in (sub + sub, sub - sub, sub * 2, 2 * sub, sub / 2, -sub, +sub, sub.copy(),
                   sub.lerp(sub, 0.5), (sub + (1,) * kind.size).normalized(), round(sub),
                   sub.move_towards(sub * 2, 1)):
        assert type(result) is kind.type
    same_object = sub
    sub += sub
    sub *= 2
    assert sub is same_object and type(sub) is SUBTYPES[kind.type]


@pytest.mark.thread_unsafe(reason="traces the whole process's allocations")
@kinds
def test_in_place_forms_allocate_nothing(kind):
    v, w = kind.type(*range(kind.size)), kind.type()
    axis, values = (1.0,) + (0.0,) * (kind.size - 1), tuple(range(1, kind.size + 1))
    tracemalloc.start()
    try:
        v += w
        before = tracemalloc.get_traced_memory()[0]
        for _ in itertools.repeat(None, 1000):
            v += w
            v -= w
            v *= 1.0
            v /= 1.0
            v.normalize_ip()
            v.scale_to_length(2.0)
            v.clamp_magnitude_ip(1.0, 3.0)
            v.reflect_ip(axis)
            v.move_towards_ip(w, 0.5)
            v.update(values)
            v[:] = values
            if kind.size == 2:
                v.rotate_ip(30)
                v.rotate_rad_ip(0.5)
        assert tracemalloc.get_traced_memory()[0] == before
    finally:
        tracemalloc.stop()


def test_moving_a_shared_position_moves_every_rect_holding_it():
    position = Vector2(1, 2)
    a, b = Rect(position, (3, 4)), Rect(position, (5, 6))
    a.position += (10, 20)
    assert a.position is position and (a.x, a.y, b.x, b.y) == (11, 22, 11, 22)
    a.size *= 2
    assert (a.w, a.h, b.w) == (6, 8, 5)


# Its own interpreter with its own threads: the parallel pass adds nothing.
@pytest.mark.skipif(not FREE_THREADED, reason="only the free-threaded build runs threads at once")
@pytest.mark.passes("free-threaded")
def test_threads_share_a_vector_without_the_lock():
    code = textwrap.dedent("""
        import pickle, threading
        from tessel.vector2.vector2 import Vector2
        from tessel.vector4.vector4 import Vector4
        import array
        allowed = {1.0, -1.0, 2.0, -2.0}
        class Seq:
            def __init__(self, n): self.n = n
            def __len__(self): return self.n
            def __getitem__(self, i): return 0.0
        def work(v, writer):
            n = len(v)
            zeros = (Seq(n), array.array("d", [0.0] * n), [0.0] * n)
            for i in range(3000):
                if writer:
                    v[i % n] = 2.0 if i % 2 else -1.0
                    v *= -1.0
                    v += (0.0,) * n
                    v -= zeros[i % 3]
                    v += zeros[i % 3]
                    v.x = 1.0
                    v.update(*(2.0, -1.0) * (n // 2))
                    v[::-1] = v
                    v.reflect_ip((0.0,) * (n - 1) + (1.0,))
                    v.clamp_magnitude_ip(0, 9)
                    if n == 2:
                        v.rotate_ip(180)
                else:
                    got = [*v, v[0], v.x, *(v * 1.0), *-v, *v.lerp(v, 0.0), *v.lerp(v, 1.0),
                           *v.clamp_magnitude(0, 9), *v[:], *round(v), *v.move_towards(v, 9)]
                    assert allowed.issuperset(got), got
                    repr(v); v == v; v.length(); v.dot(v); pickle.loads(pickle.dumps(v))
                    v.project(v); v.reflect(v); v.normalized(); v.distance_to(zeros[i % 3])
                    v.distance_squared_to(v); v.is_normalized(); bool(v); 1.0 in v
                    if n == 2:
                        v.rotate(i); v.angle_to(v); v.as_polar(); v.cross(v)
                        assert allowed.issuperset([*v.slerp(v, 0.0), *v.slerp(v, 1.0)])
        for v in (Vector2(1, 1), Vector4(1, 1, 1, 1)):
            threads = [threading.Thread(target=work, args=(v, i % 2)) for i in range(4)]
            for t in threads: t.start()
            for t in threads: t.join()
        print("ok")
    """)
    env = {"PYTHON_GIL": "0", "PYTHONPATH": ":".join(sys.path)}
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                         env=env, timeout=120)
    assert out.returncode == 0 and out.stdout == "ok\n", out.stderr


def _every_operation(kind):
    v, n = kind.type(*range(1, kind.size + 1)), kind.size
    sub = SUBTYPES[kind.type](*v)
    results = [v + v, v - (1,) * n, [1] * n + v, v * 2, 2 * v, v / 2, -v, +v, sub + sub,
               v.length(), v.length_squared(), v.dot(v), v.distance_to([0] * n),
               v.normalized(), v.lerp(v, 0.5), v.copy(), list(v), v[-1], repr(v), repr(sub),
               v.__add__("ab"), v.__mul__(v)]
    v += v
    v -= (1,) * n
    v *= 0.5
    v /= 2
    v[0] = 3
    for bad in [lambda: v / 0, lambda: v + ("a",) * n, lambda: v[n], lambda: v.dot(None),
                lambda: kind.type().normalized(), lambda: v.lerp(v), lambda: v.lerp(v, "t"),
                lambda: v.__setitem__(0, "x"), lambda: v.__delitem__(0)]:
        try:
            bad()
        except (TypeError, ValueError, IndexError, ZeroDivisionError):
            pass
    return results


class _Named(Vector2):
    def __init__(self, name, x, y):
        super().__init__(x, y)
        self.name = name


class _Refusing:
    def __float__(self):
        raise TypeError("no float")


def _failing(*calls):
    for call in calls:
        try:
            call()
        except (TypeError, ValueError, OverflowError):
            pass


def _later_operations(kind):
    """The operations added since _every_operation, in groups: the one-time noise of each
    group stays far below a reference per call."""
    v, n = kind.type(*range(1, kind.size + 1)), kind.size
    seq, buffer = Seq(range(n)), array.array("d", range(n))
    return {
        "other operands": lambda: [
            v + seq, buffer - v, v.dot(memoryview(buffer)), kind.type(seq), kind.type(buffer),
            v.__mul__(_Refusing()), v.__add__(array.array("b", [1])), v.__iadd__(seq)],
        "directions": lambda: [
            v.clamp_magnitude(1), v.clamp_magnitude(1, 2), v.reflect(seq + v), v.project(v),
            Vector4(1e300, 0, 0, 1e300).normalized(), v.lerp(seq, 1.0), Vector2(3, 4).rotate(30),
            Vector2(3, 4).rotate(90), Vector2(3, 4).angle_to(Seq([1, 2])), Vector2().as_polar(),
            Vector2.from_polar(array.array("d", [2, 30]))],
        "copies of subclasses": lambda: [
            copy.deepcopy(_Named("a", 1, 2)), copy.copy(_Named("a", 1, 2))],
        "errors": lambda: _failing(
            lambda: v + Seq(["a"] * n), lambda: kind.type((1,) * (n + 1)),
            lambda: kind.type(Seq(["a"] * n)), lambda: v.clamp_magnitude(2, 1),
            lambda: kind.type().clamp_magnitude(1, 2), lambda: v.reflect([0] * n),
            lambda: v.project(None), lambda: v.clamp_magnitude("a"),
            lambda: Vector2(1, 2).rotate(None), lambda: Vector2.from_polar("ab"),
            lambda: v * 10 ** 400),
        "in place": lambda: [
            v.normalize_ip(), v.scale_to_length(2), v.clamp_magnitude_ip(1, 3), v.reflect_ip(seq),
            v.move_towards_ip(buffer, 0.5), v.update(seq), v.update(*range(n)), v.update(x=1),
            v.__setitem__(slice(None, None, -1), seq), v.__setitem__(slice(1), [2]),
            Vector2(3, 4).rotate_ip(30), Vector2(3, 4).rotate_rad_ip(0.5)],
        "queries": lambda: [
            v.distance_squared_to(seq), v.is_normalized(), v.move_towards(v * 2, 1),
            Vector2(3, 4).cross(Seq([1, 2])), Vector2(3, 4).slerp((1, 0), 0.5)],
        "rounding, slices and members": lambda: [
            bool(v), 1.0 in v, 2 ** 70 in v, round(v), round(v, 2), round(v, -30), v[::-1],
            v[5:]],
        "errors in place": lambda: _failing(
            lambda: kind.type().normalize_ip(), lambda: kind.type().scale_to_length(1),
            lambda: v.clamp_magnitude_ip(2, 1), lambda: v.reflect_ip(None),
            lambda: v.move_towards_ip(v), lambda: v.update(q=1), lambda: v.update("ab"),
            lambda: v.__setitem__(slice(None), Seq(["a"] * n)), lambda: v.__setitem__(slice(1), 1)),
        "errors of queries": lambda: _failing(
            lambda: "a" in v, lambda: round(v, "a"), lambda: round(Vector4(1.7e308), -308),
            lambda: v[::0], lambda: Vector2(1, 2).slerp((0, 0), 0.5),
            lambda: Vector2(1, 2).cross(None)),
    }


@pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"), reason="needs a debug interpreter")
@pytest.mark.thread_unsafe(reason="measures process-wide reference and block counts")
@kinds
def test_operations_do_not_leak(kind):
    refs, blocks = growth(lambda: _every_operation(kind))
    assert refs < 40 and blocks < 40, (refs, blocks)


@pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"), reason="needs a debug interpreter")
@pytest.mark.thread_unsafe(reason="measures process-wide reference and block counts")
@kinds
@pytest.mark.parametrize("group", ["other operands", "directions", "copies of subclasses",
                                   "errors", "in place", "queries",
                                   "rounding, slices and members", "errors in place",
                                   "errors of queries"])
def test_later_operations_do_not_leak(kind, group):
    refs, blocks = growth(_later_operations(kind)[group], warm=50)
    assert refs < 40 and blocks < 40, (refs, blocks)
