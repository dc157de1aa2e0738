"""Conversions to a four-vector and a tuple, equality by value, and the text form."""

import math
import operator

import pytest

from rect_support import Rect, Vector2, Vector4, bare, entry, formatted, probe, xyzw


def test_get_vector4_holds_left_top_width_height_as_doubles():
    rect = Rect(1, 2, 3, 4)
    vector = rect.get_vector4()
    assert type(vector) is Vector4 and xyzw(vector) == (1, 2, 3, 4)
    assert rect.get_vector4() is not vector
    vector.x = 50
    assert rect.x == 1.0


def test_get_vector4_converts_each_component():
    class Half:
        def __float__(self):
            return 0.5

    rect = Rect(probe(1, True), probe(Half(), 2 ** 53 + 1))
    assert xyzw(rect.get_vector4()) == (1.0, 1.0, 0.5, float(2 ** 53))
    rect.size.vals["y"] = "tall"
    with pytest.raises(TypeError):
        rect.get_vector4()


def test_get_tuple_holds_the_component_objects_themselves():
    components = [object() for _ in range(4)]
    rect = Rect(probe(*components[:2]), probe(*components[2:]))
    result = rect.get_tuple()
    assert type(result) is tuple and all(a is b for a, b in zip(result, components))
    assert rect.get_tuple() is not result and Rect(1, 2, 3, 4).get_tuple() == (1, 2, 3, 4)


@pytest.mark.parametrize("rect, text", [
    (Rect(1, 2, 3, 4), "Rect(position=Vector2(1.0, 2.0), size=Vector2(3.0, 4.0))"),
    (entry("new")(Vector2(-0.5, 0), None), "Rect(position=Vector2(-0.5, 0.0), size=None)"),
    (bare(), "Rect(position=None, size=None)"),
    (entry("new")("text", 7), "Rect(position=text, size=7)"),
    (entry("new")(2.5, True), "Rect(position=2.5, size=True)"),
    (Rect(formatted("é"), formatted("x")), "Rect(position=é, size=x)"),
    (Rect(formatted("x"), formatted("€uro")), "Rect(position=x, size=€uro)"),
    (Rect(formatted("😀"), formatted("ü")), "Rect(position=😀, size=ü)"),
    (Rect(formatted(""), formatted("")), "Rect(position=, size=)"),
])
def test_text_form(rect, text):
    assert repr(rect) == str(rect) == format(rect, "") == text


# ---------------------------------------------------------------------------------------
# Equality

R, NAN_RECT = Rect(1, 2, 3, 4), Rect(1, 2, 3, math.nan)


@pytest.mark.parametrize("a, b, equal", [
    (R, Rect(1, 2, 3, 4), True), (R, Rect((1, 2), (3, 4)), True), (R, Rect(1, 2, 3, 5), False),
    (R, Rect(0, 2, 3, 4), False), (R, Rect(1, 0, 3, 4), False), (R, Rect(1, 2, 0, 4), False),
    (Rect(0.0, 0, 0, 0), Rect(-0.0, 0, -0.0, 0), True),
    (Rect(math.nan, 0, 0, 0), Rect(math.nan, 0, 0, 0), False), (NAN_RECT, NAN_RECT, False),
    (R, (1, 2, 3, 4), False),
    (R, [1, 2, 3, 4], False), (R, Vector4(1, 2, 3, 4), False), (R, "Rect", False),
    (R, None, False), (bare(), None, False), (bare(), 5, False),
])
def test_equality_by_value(a, b, equal):
    assert (a == b, b == a, a != b, b != a) == (equal, equal, not equal, not equal)


class Verdict:
    """A component whose equality answers with a fixed object."""

    def __init__(self, answer):
        self.answer = answer

    def __eq__(self, other):
        return self.answer


@pytest.mark.parametrize("answers, result, unequal", [
    (("a", "b", "c", "d"), "d", False), (("a", 0, "c", "d"), 0, True),
    ((1, 1, [], "d"), [], True), ((True, None, True, True), None, True),
])
def test_equality_returns_the_deciding_comparison_result(answers, result, unequal):
    left = Rect(probe(*map(Verdict, answers[:2])), probe(*map(Verdict, answers[2:])))
    right = Rect(1, 2, 3, 4)
    assert (left == right) == result and type(left == right) is type(result)
    assert (left != right) is unequal


def test_equality_stops_at_the_first_unequal_pair():
    other = Rect(probe(0.0, KeyError), Vector2())
    other.size = None
    assert (Rect(1, 2, 3, 4) == other) is False


@pytest.mark.parametrize("left, right", [(Rect(1, 2, 3, 4), bare()), (bare(), Rect())])
def test_equality_with_a_missing_vector_fails(left, right):
    with pytest.raises(AttributeError):
        left == right
    with pytest.raises(AttributeError):
        left != right


@pytest.mark.parametrize("op", [operator.lt, operator.le, operator.gt, operator.ge])
@pytest.mark.parametrize("other", [Rect(1, 2, 3, 4), 5, (1, 2, 3, 4)])
def test_rects_have_no_order(op, other):
    with pytest.raises(TypeError):
        op(Rect(1, 2, 3, 4), other)
    with pytest.raises(TypeError):
        op(other, Rect(1, 2, 3, 4))


def test_ordering_is_not_implemented_without_reading_the_rect():
    assert Rect.__lt__(bare(), bare()) is Rect.__ge__(bare(), 5) is NotImplemented


@pytest.mark.parametrize("use", [hash, lambda r: {r}, lambda r: {r: 1}])
def test_rects_are_unhashable(use):
    with pytest.raises(TypeError):
        use(Rect(1, 2, 3, 4))
