"""Geometry properties and size accessors: every read is computed from the two vectors at
that moment, every write goes into them."""

import pytest

from rect_support import VECTOR2_NAME, Rect, Sym, Vector2, probe, probed_rect, xy, xywh

COMPUTED = ["x", "y", "w", "h", "width", "height", "left", "top", "right", "bottom", "centerx",
            "centery", "center"]
READS_POSITION = {"x", "y", "left", "top", "right", "bottom", "centerx", "centery", "center"}
READS_SIZE = {"w", "h", "width", "height", "right", "bottom", "centerx", "centery", "center"}


@pytest.mark.parametrize("name, expected", [
    ("x", 10), ("y", 20), ("w", 30), ("h", 40), ("width", 30), ("height", 40), ("left", 10),
    ("top", 20), ("right", 40), ("bottom", 60), ("centerx", 25), ("centery", 40),
])
def test_reads(name, expected):
    value = getattr(Rect(10, 20, 30, 40), name)
    assert value == expected and type(value) is float


@pytest.mark.parametrize("name, value, expected", [
    ("x", 1, (1, 20, 30, 40)), ("top", 1, (10, 1, 30, 40)), ("width", 50, (10, 20, 50, 40)),
    ("right", 100, (70, 20, 30, 40)), ("bottom", 100, (10, 60, 30, 40)),
    ("centerx", 0, (-15, 20, 30, 40)), ("centery", 0, (10, -20, 30, 40)),
    *[("center", value, (-14, -18, 30, 40))
      for value in [(1, 2), [1, 2], (1, 2, 99), {0: 1, 1: 2}, Vector2(1, 2), range(1, 3)]],
    ("center", (-1, -1.5), (-16, -21.5, 30, 40)),
])
def test_writes(name, value, expected):
    rect = Rect(10, 20, 30, 40)
    setattr(rect, name, value)
    assert xywh(rect) == expected


def test_center_is_a_new_vector_each_time():
    rect = Rect(10, 20, 30, 40)
    center = rect.center
    assert type(center) is Vector2 and xy(center) == (25.0, 40.0) and rect.center is not center
    center.x = 0
    assert rect.centerx == 25.0 and (rect.get_width(), rect.get_height()) == (30.0, 40.0)


def test_position_and_size_are_the_held_vectors_themselves():
    p, s, rect = Vector2(1, 2), Vector2(3, 4), Rect()
    rect.position, rect.size = p, s
    assert rect.position is p and rect.size is s
    rect.position.x = 9
    assert rect.x == 9.0
    rect.right = 20
    assert p.x == 17.0 and rect.size is s and xy(s) == (3, 4)


# Arithmetic goes through the number protocol on the component objects, with the operands
# in a fixed order, and halving multiplies by 0.5.
@pytest.mark.parametrize("name, expected", [
    ("right", "(px+sx)"), ("bottom", "(py+sy)"), ("centerx", "(px+(sx*0.5))"),
    ("centery", "(py+(sy*0.5))"), ("x", "px"), ("h", "sy"),
])
def test_reads_use_the_components_own_arithmetic(name, expected):
    rect, _ = probed_rect(Sym("px"), Sym("py"), Sym("sx"), Sym("sy"))
    assert repr(getattr(rect, name)) == expected


@pytest.mark.parametrize("name, field, expected", [
    ("x", "pos.x", "v"), ("left", "pos.x", "v"), ("y", "pos.y", "v"), ("top", "pos.y", "v"),
    ("w", "size.x", "v"), ("width", "size.x", "v"), ("h", "size.y", "v"),
    ("height", "size.y", "v"), ("right", "pos.x", "(v-sx)"), ("bottom", "pos.y", "(v-sy)"),
    ("centerx", "pos.x", "(v-(sx*0.5))"), ("centery", "pos.y", "(v-(sy*0.5))"),
])
def test_writes_change_exactly_one_component(name, field, expected):
    rect, _ = probed_rect(Sym("px"), Sym("py"), Sym("sx"), Sym("sy"))
    value = Sym("v")
    setattr(rect, name, value)
    stored = {"pos.x": rect.position.vals["x"], "pos.y": rect.position.vals["y"],
              "size.x": rect.size.vals["x"], "size.y": rect.size.vals["y"]}
    assert {key: repr(v) for key, v in stored.items()} == {
        "pos.x": "px", "pos.y": "py", "size.x": "sx", "size.y": "sy", field: expected}
    assert expected != "v" or stored[field] is value


def test_size_accessors_return_the_component_objects():
    marker = object()
    rect, _ = probed_rect(1, 2, marker, "tall")
    assert rect.get_width() is marker and rect.get_height() == "tall"


@pytest.mark.parametrize("value, error", [
    ("ab", TypeError), (None, TypeError), (5, TypeError), (("a", 2), TypeError),
    ((1, "b"), TypeError), ((1,), IndexError), ([1], IndexError), ((), IndexError),
    ([], IndexError), ({0: 1}, KeyError), (probe(1.0, ValueError), ValueError),
])
def test_failed_center_write_leaves_the_rect_unchanged(value, error):
    rect = Rect(10, 20, 30, 40)
    with pytest.raises(error):
        rect.center = value
    assert xywh(rect) == (10, 20, 30, 40)


def test_center_write_failing_on_the_second_axis_keeps_the_first():
    rect = Rect(probe(0.0, 0.0), probe(4.0, KeyError))
    with pytest.raises(KeyError):
        rect.center = (1, 2)
    assert rect.position.vals["x"] == -1.0


@pytest.mark.parametrize("name, value, type_name", [
    ("position", (1, 2), "tuple"), ("size", [3, 4], "list"), ("position", 5, "int"),
    ("size", Rect(), "tessel.rect.rect.Rect"),
])
def test_vector_fields_accept_only_vectors_or_none(name, value, type_name):
    rect = Rect(1, 2, 3, 4)
    with pytest.raises(TypeError, match=f"^Cannot convert {type_name} to {VECTOR2_NAME}$"):
        setattr(rect, name, value)
    assert xywh(rect) == (1, 2, 3, 4)


@pytest.mark.parametrize("field", ["position", "size"])
@pytest.mark.parametrize("remove", [lambda r, f: setattr(r, f, None), delattr])
def test_missing_vector_fails_only_the_properties_that_read_it(field, remove):
    rect = Rect(1, 2, 3, 4)
    remove(rect, field)
    assert getattr(rect, field) is None
    for name in COMPUTED:
        if name in (READS_POSITION if field == "position" else READS_SIZE):
            with pytest.raises(AttributeError):
                getattr(rect, name)
        else:
            getattr(rect, name)
    setattr(rect, field, Vector2(5, 6))
    assert rect.right == (8.0 if field == "position" else 6.0)


@pytest.mark.parametrize("name", COMPUTED)
def test_computed_properties_cannot_be_deleted(name):
    rect = Rect(1, 2, 3, 4)
    with pytest.raises(NotImplementedError, match="^__del__$"):
        delattr(rect, name)
    assert xywh(rect) == (1, 2, 3, 4)


@pytest.mark.parametrize("name, value", [("right", "a"), ("centery", None)])
def test_unusable_values_raise_and_change_nothing(name, value):
    rect = Rect(1, 2, 3, 4)
    with pytest.raises(TypeError):
        setattr(rect, name, value)
    assert xywh(rect) == (1, 2, 3, 4)
