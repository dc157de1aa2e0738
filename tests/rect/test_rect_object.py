"""The Rect object: class traits, bare allocation, the native method table, garbage
collection, argument checking and traceback frames."""

import ctypes
import gc
import weakref

import pytest

from rect_support import (RECT_NAME, SOURCE, STRINGSOURCE, VECTOR2_NAME, Rect, TupleSub,
                          Vector2, Vector4, bare, entry, field_pointers, formatted, frames, probe,
                          table_address, xyzw)
from tessel.rect.rect import __pyx_unpickle_Rect as unpickle

Py_TPFLAGS_BASETYPE, Py_TPFLAGS_HAVE_GC = 1 << 10, 1 << 14


def test_class_traits():
    assert (Rect.__module__, Rect.__name__, Rect.__qualname__) == (
        "tessel.rect.rect", "Rect", "Rect")
    assert Rect.__doc__ is None and Rect.__bases__ == (object,) and Rect.__hash__ is None
    assert Rect.__flags__ & Py_TPFLAGS_HAVE_GC and not Rect.__flags__ & Py_TPFLAGS_BASETYPE


@pytest.mark.parametrize("action, error", [
    (lambda: type("Sub", (Rect,), {}), TypeError),
    (lambda: setattr(Rect(), "colour", 1), AttributeError),
    (lambda: weakref.ref(Rect()), TypeError),
    (lambda: hash(Rect()), TypeError),
    (lambda: setattr(Rect, "x", 1), TypeError),
    (lambda: setattr(Rect, "extra", 1), TypeError),
    (lambda: delattr(Rect, "get_width"), TypeError),
])
def test_class_refuses(action, error):
    with pytest.raises(error):
        action()


@pytest.mark.parametrize("args, kwargs", [((), {}), ((1, 2), {"size": 3})])
def test_allocation_alone_leaves_both_fields_none(args, kwargs):
    rect = Rect.__new__(Rect, *args, **kwargs)
    assert rect.position is None and rect.size is None


def test_every_instance_points_at_the_published_table_and_holds_its_fields():
    rect = Rect(1, 2, 3, 4)
    table, position, size = field_pointers(rect)
    assert table == table_address() == field_pointers(bare())[0]
    assert (position, size) == (id(rect.position), id(rect.size))


def test_new_entry_shares_the_vectors_it_is_given():
    p, s = Vector2(1, 2), Vector2(3, 4)
    rect = entry("new")(p, s)
    assert type(rect) is Rect and rect.position is p and rect.size is s
    p.x = 5
    assert rect.x == 5.0
    unchecked = entry("new")(None, None)
    assert unchecked.position is None and unchecked.size is None


@pytest.mark.parametrize("flag", [0, 1])
@pytest.mark.parametrize("name, argument", [
    ("get_width", None), ("get_height", None), ("get_vector4", None), ("get_tuple", None),
    ("collide_point", (2, 3)), ("collide_point_vector2", Vector2(9, 9)),
    ("collide_point_tuple", (2, 3)), ("collide_point_list", [0, 0]),
    ("collide_rect", [0, 0, 2, 3]), ("collide_rect_vector4", Vector4(4, 6, 1, 1)),
    ("collide_rect_rect", Rect(0, 0, 1, 1)), ("collide_rect_tuple", (2, 3, 1, 1)),
    ("collide_rect_list", [-5, -5, 1, 1]),
])
def test_table_entries_answer_like_the_methods(name, argument, flag):
    rect = Rect(1, 2, 3, 4)
    method = getattr(rect, name)
    if argument is not None:
        assert entry(name)(rect, argument, flag) == int(method(argument))
        return
    native, expected = entry(name)(rect, flag), method()
    assert type(native) is type(expected)
    if name == "get_vector4":
        native, expected = xyzw(native), xyzw(expected)
    assert native == expected


# ---------------------------------------------------------------------------------------
# Garbage collection

_slot = ctypes.PYFUNCTYPE(ctypes.c_void_p, ctypes.py_object, ctypes.c_int)(
    ("PyType_GetSlot", ctypes.pythonapi))
Py_tp_clear = 51


@pytest.mark.thread_unsafe(reason="runs the process-wide collector")
@pytest.mark.parametrize("field", ["position", "size"])
def test_cycle_through_a_rect_is_collected(field):
    p = probe(1.0, 2.0)
    p.owner = Rect()
    setattr(p.owner, field, p)
    alive = weakref.ref(p)
    del p
    gc.collect()
    assert alive() is None


def test_clear_leaves_none_in_both_fields():
    rect = Rect(1, 2, 3, 4)
    assert ctypes.PYFUNCTYPE(ctypes.c_int, ctypes.py_object)(_slot(Rect, Py_tp_clear))(rect) == 0
    assert rect.position is None and rect.size is None


# ---------------------------------------------------------------------------------------
# Argument checking of the Python-level methods

@pytest.mark.parametrize("name, args, kwargs, message", [
    ("get_width", (1,), {}, "get_width() takes exactly 0 positional arguments (1 given)"),
    ("get_tuple", (), {"a": 1}, "get_tuple() got an unexpected keyword argument 'a'"),
    ("collide_point", (), {}, "collide_point() takes exactly 1 positional argument (0 given)"),
    ("collide_rect", ((0, 0, 1, 1),), {"other": (0, 0, 1, 1)},
     "collide_rect() got multiple values for keyword argument 'other'"),
    ("collide_point_vector2", ((1, 2),), {},
     f"Argument 'point' has incorrect type (expected {VECTOR2_NAME}, got tuple)"),
    ("collide_rect_rect", ((0, 0, 1, 1),), {},
     f"Argument 'other' has incorrect type (expected {RECT_NAME}, got tuple)"),
    ("__reduce__", (1,), {}, "__reduce__() takes exactly 0 positional arguments (1 given)"),
    ("__setstate__", ([],), {}, "Expected tuple, got list"),
    ("__setstate__", (TupleSub(),), {}, "Expected tuple, got TupleSub"),
])
def test_methods_check_their_arguments(name, args, kwargs, message):
    with pytest.raises(TypeError) as caught:
        getattr(Rect(1, 2, 3, 4), name)(*args, **kwargs)
    assert str(caught.value) == message


# ---------------------------------------------------------------------------------------
# Traceback frames: one per failing operation, two for a method whose entry failed

def _set(name, value):
    return lambda r: setattr(r, name, value)


@pytest.mark.parametrize("expected, rect_of, action", [
    (["Rect.__init__"], Rect, lambda r: r.__init__(1, 2, 3)),
    (["Rect.x.__get__"], bare, lambda r: r.x),
    (["Rect.x.__set__"], bare, _set("x", 1)),
    (["Rect.right.__set__"], Rect, _set("right", "a")),
    (["Rect.center.__get__"], bare, lambda r: r.center),
    (["Rect.center.__set__"], Rect, _set("center", None)),
    (["Rect.position.__set__"], Rect, _set("position", (1, 2))),
    (["Rect.get_width"] * 2, bare, lambda r: r.get_width()),
    (["Rect.get_height"] * 2, bare, lambda r: r.get_height()),
    (["Rect.collide_point"] * 2, Rect, lambda r: r.collide_point(None)),
    (["Rect.collide_rect_rect"] * 2, bare, lambda r: r.collide_rect_rect(Rect())),
    (["Rect.collide_point_tuple"], Rect, lambda r: r.collide_point_tuple([1, 2])),
    (["Rect.get_vector4"] * 2, bare, lambda r: r.get_vector4()),
    (["Rect.get_tuple"] * 2, bare, lambda r: r.get_tuple()),
    (["Rect.__getitem__"], Rect, lambda r: r["a"]),
    (["Rect.__setitem__"], Rect, lambda r: r.__setitem__(9, 1.0)),
    (["Rect.__eq__"], Rect, lambda r: r == bare()),
    (["Rect.__eq__"], Rect, lambda r: r != bare()),
    (["Rect.__repr__"], lambda: Rect(formatted(KeyError), Vector2()), repr),
    ([], Rect, lambda r: delattr(r, "x")),
    ([], Rect, lambda r: delattr(r, "center")),
    ([], Rect, lambda r: r.__delitem__(0)),
    (["Rect.__setstate__", "__pyx_unpickle_Rect__set_state"], Rect,
     lambda r: r.__setstate__((None, 5))),
    (["Rect.__setstate__"], Rect, lambda r: r.__setstate__([])),
    (["__pyx_unpickle_Rect"], Rect, lambda r: unpickle(Rect, 0, None)),
    (["__pyx_unpickle_Rect", "__pyx_unpickle_Rect__set_state"], Rect,
     lambda r: unpickle(Rect, 92479533, (5, None))),
], ids=lambda value: "+".join(value) or "none" if isinstance(value, list) else None)
def test_failures_add_frames_named_after_the_operation(expected, rect_of, action):
    with pytest.raises(Exception) as caught:
        action(rect_of())
    assert frames(caught.value) == [
        (f"tessel.rect.rect.{name}", STRINGSOURCE if "state" in name or "pickle" in name
         else SOURCE) for name in expected]


def test_failing_table_entry_adds_one_frame():
    with pytest.raises(AttributeError) as caught:
        entry("collide_point")(bare(), (1, 2), 0)
    assert frames(caught.value) == [("tessel.rect.rect.Rect.collide_point", SOURCE)]
