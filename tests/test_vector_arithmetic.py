"""What both vector types compute, checked against a model over Python floats: a Vector2
stores each result narrowed to single precision (struct's "f"), a Vector4 stores it as is."""

import gc
import itertools
import math
import operator
import struct
import subprocess
import sys
import textwrap
import tracemalloc
from functools import reduce
from typing import NamedTuple

import pytest
from hypothesis import given
from hypothesis import strategies as st

from conftest import FREE_THREADED
from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4


def float32(value):
    try:
        return struct.unpack("f", struct.pack("f", value))[0]
    except OverflowError:
        return math.copysign(math.inf, value)


class Kind(NamedTuple):
    type: type
    narrow: object

    @property
    def size(self):
        return 2 if self.type is Vector2 else 4

    def values(self, v):
        return tuple(getattr(v, n) for n in "xyzw"[:self.size])


KINDS = [Kind(Vector2, float32), Kind(Vector4, float)]
KIND_IDS = ["Vector2", "Vector4"]
kinds = pytest.mark.parametrize("kind", KINDS, ids=KIND_IDS)


class Sub2(Vector2):
    pass


class Sub4(Vector4):
    pass


SUBTYPES = {Vector2: Sub2, Vector4: Sub4}

# Finite and non-finite values, -0.0, values beyond single precision, and integers.
numbers = st.one_of(st.floats(), st.sampled_from([-0.0, 3.5e38, -1e39, 1e-46]),
                    st.integers(-2 ** 64, 2 ** 64))
components = st.lists(numbers, min_size=4, max_size=4)


def same(actual, expected):
    """Equal as floats, with the sign of a zero and NaN for NaN."""
    assert len(actual) == len(expected)
    for a, e in zip(actual, expected):
        assert type(a) is float
        assert (math.isnan(a) and math.isnan(e)) or (
            a == e and math.copysign(1, a) == math.copysign(1, e)), (actual, expected)


def make(kind, items):
    return kind.type(*items[:kind.size])


def fold(values):
    """Left to right, as the vectors sum; sum() would compensate and differ."""
    return reduce(operator.add, values, 0.0)


def model_length(values):
    return math.sqrt(fold(c * c for c in values))


# How an operand is handed over: the vector type itself, or a tuple or list of numbers.
FORMS = {"vector": make, "tuple": lambda kind, items: tuple(items),
         "list": lambda kind, items: list(items)}


@kinds
@pytest.mark.parametrize("op, in_place", [(operator.add, operator.iadd),
                                          (operator.sub, operator.isub)], ids=["add", "sub"])
@given(a=components, b=components, form=st.sampled_from(list(FORMS)), vector_left=st.booleans())
def test_addition_and_subtraction_match_the_model(kind, op, in_place, a, b, form, vector_left):
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
                                    "normalized", "lerp", "copy"])
@given(a=components, b=components, t=numbers, form=st.sampled_from(list(FORMS)))
def test_methods_match_the_model(kind, method, a, b, t, form):
    v = make(kind, a)
    va = kind.values(v)
    w = FORMS[form](kind, b[:kind.size])
    wb = kind.values(w) if form == "vector" else tuple(float(c) for c in b[:kind.size])
    if method == "normalized" and model_length(va) == 0:
        with pytest.raises(ValueError, match="length zero"):
            v.normalized()
        return
    model = {
        "length": lambda: model_length(va),
        "length_squared": lambda: fold(c * c for c in va),
        "dot": lambda: fold(x * y for x, y in zip(va, wb)),
        "distance_to": lambda: model_length([x - y for x, y in zip(va, wb)]),
        "normalized": lambda: [kind.narrow(c / model_length(va)) for c in va],
        "lerp": lambda: [kind.narrow(x + (y - x) * float(t)) for x, y in zip(va, wb)],
        "copy": lambda: va,
    }[method]
    args = {"dot": (w,), "distance_to": (w,), "lerp": (w, t)}.get(method, ())
    result = getattr(v, method)(*args)
    if isinstance(result, float):
        same([result], [model()])
    else:
        assert type(result) is kind.type and result is not v
        same(kind.values(result), model())
    same(kind.values(v), va)


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
                   sub.lerp(sub, 0.5), (sub + (1,) * kind.size).normalized()):
        assert type(result) is kind.type
    same_object = sub
    sub += sub
    sub *= 2
    assert sub is same_object and type(sub) is SUBTYPES[kind.type]


@pytest.mark.thread_unsafe(reason="traces the whole process's allocations")
@kinds
def test_in_place_forms_allocate_nothing(kind):
    v, w = kind.type(*range(kind.size)), kind.type()
    tracemalloc.start()
    try:
        v += w
        before = tracemalloc.get_traced_memory()[0]
        for _ in itertools.repeat(None, 1000):
            v += w
            v -= w
            v *= 1.0
            v /= 1.0
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


@pytest.mark.skipif(not FREE_THREADED, reason="only the free-threaded build runs threads at once")
def test_threads_share_a_vector_without_the_lock():
    code = textwrap.dedent("""
        import pickle, threading
        from tessel.vector2.vector2 import Vector2
        from tessel.vector4.vector4 import Vector4
        allowed = {1.0, -1.0, 2.0, -2.0}
        def work(v, writer):
            n = len(v)
            for i in range(3000):
                if writer:
                    v[i % n] = 2.0 if i % 2 else -1.0
                    v *= -1.0
                    v += (0.0,) * n
                    v.x = 1.0
                else:
                    got = [*v, v[0], v.x, *(v * 1.0), *-v, *v.lerp(v, 0.0)]
                    assert allowed.issuperset(got), got
                    repr(v); v == v; v.length(); v.dot(v); pickle.loads(pickle.dumps(v))
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


@pytest.mark.skipif(not hasattr(sys, "gettotalrefcount"), reason="needs a debug interpreter")
@pytest.mark.thread_unsafe(reason="measures process-wide reference and block counts")
@kinds
def test_operations_do_not_leak(kind):
    def measure(rounds):
        for _ in range(rounds):
            _every_operation(kind)
        gc.collect()
        return sys.gettotalrefcount(), sys.getallocatedblocks()

    measure(20)  # warm caches
    refs0, blocks0 = measure(1)
    refs1, blocks1 = measure(400)
    assert refs1 - refs0 < 40 and blocks1 - blocks0 < 40, (refs1 - refs0, blocks1 - blocks0)
