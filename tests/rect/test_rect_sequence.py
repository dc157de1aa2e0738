"""A rect as a fixed sequence of four components: x, y, width, height."""

import ctypes
import math
import warnings

import pytest

from rect_support import RECT_NAME, IntLike, Rect, bare, probe, xywh

OUT_OF_RANGE = "Rect index out of range"
TOO_LARGE = "value too large to convert to int"


class IndexOnly:
    def __index__(self):
        return 1


class Stubborn(int):
    def __int__(self):
        return 0

    __index__ = __int__


def test_length_is_always_four_and_a_rect_is_always_true():
    for rect in (Rect(1, 2, 3, 4), Rect(), bare()):
        assert len(rect) == 4 and bool(rect)


@pytest.mark.parametrize("index, expected", [
    (0, 1), (1, 2), (2, 3), (3, 4), (False, 1), (True, 2), (2.9, 3), (-0.5, 1), (3.99, 4),
    (Stubborn(3), 4), (IntLike(2), 3),
])
def test_read_by_index(index, expected):
    value = Rect(1, 2, 3, 4)[index]
    assert value == expected and type(value) is float


@pytest.mark.parametrize("index, error, message", [
    (4, IndexError, OUT_OF_RANGE), (-1, IndexError, OUT_OF_RANGE),
    (4.0, IndexError, OUT_OF_RANGE), (-1.5, IndexError, OUT_OF_RANGE),
    (2 ** 31 - 1, IndexError, OUT_OF_RANGE), (-2 ** 31, IndexError, OUT_OF_RANGE),
    (2 ** 31, OverflowError, TOO_LARGE), (-2 ** 31 - 1, OverflowError, TOO_LARGE),
    (2 ** 40, OverflowError, TOO_LARGE), (-2 ** 62, OverflowError, TOO_LARGE),
    (2 ** 64, OverflowError, None), ("a", TypeError, "an integer is required"),
    (slice(0, 2), TypeError, "an integer is required"), (None, TypeError, "an integer is required"),
    (IndexOnly(), TypeError, "an integer is required"),
    (IntLike("1"), TypeError, "__int__ returned non-int (type str)"),
    (IntLike(1.0), TypeError, "__int__ returned non-int (type float)"),
    (IntLike(KeyError), KeyError, None),
])
def test_unusable_indices_fail_reads_and_writes_alike(index, error, message):
    rect = Rect(1, 2, 3, 4)
    for access in (lambda: rect[index], lambda: rect.__setitem__(index, 9.0)):
        with pytest.raises(error) as caught:
            access()
        assert type(caught.value) is error and message in (None, str(caught.value))
    assert xywh(rect) == (1, 2, 3, 4)


def test_components_are_returned_as_the_vectors_yield_them():
    marker = object()
    assert Rect(probe(marker, 2), probe(3, 4))[0] is marker


@pytest.mark.thread_unsafe(reason="changes the warning filters")
def test_int_subclass_from_int_is_accepted_with_a_deprecation_warning():
    with pytest.warns(DeprecationWarning) as caught:
        assert Rect(1, 2, 3, 4)[IntLike(True)] == 2.0
    assert str(caught[0].message) == (
        "__int__ returned non-int (type bool).  The ability to return an instance of a strict "
        "subclass of int is deprecated, and may be removed in a future version of Python.")
    with warnings.catch_warnings():
        warnings.simplefilter("error", DeprecationWarning)
        with pytest.raises(DeprecationWarning):
            Rect(1, 2, 3, 4)[IntLike(True)]


def test_sequence_item_slot_receives_negative_indices_adjusted_by_the_length():
    get_item = ctypes.PYFUNCTYPE(ctypes.py_object, ctypes.py_object, ctypes.c_ssize_t)(
        ("PySequence_GetItem", ctypes.pythonapi))
    rect = Rect(1, 2, 3, 4)
    assert (get_item(rect, -1), get_item(rect, 0)) == (4.0, 1.0)
    with pytest.raises(IndexError, match=OUT_OF_RANGE):
        get_item(rect, 4)


def test_generic_sequence_operations():
    rect = Rect(1, 2, 3, 4)
    x, y, w, h = rect
    assert (x, y, w, h) == tuple(rect) == (1.0, 2.0, 3.0, 4.0) and list(rect) == [1, 2, 3, 4]
    assert list(reversed(rect)) == [4.0, 3.0, 2.0, 1.0] and 3 in rect and 5 not in rect
    for operation in (lambda: rect + rect, lambda: rect * 2):
        with pytest.raises(TypeError):
            operation()
    match rect:
        case [_, _, _, _]:
            pytest.fail("a rect is not a sequence for structural matching")


@pytest.mark.parametrize("index, value, expected", [
    (0, 0.1, 0.10000000149011612), (2, 2 ** 24 + 1, 16777216.0), (3, 1e39, math.inf),
    (3, -1e39, -math.inf), (1, 5, 5.0), (1, -1, -1.0), (1, True, 1.0), (0, IndexOnly(), 1.0),
    (2.5, 0.5, 0.5),
])
def test_write_narrows_to_single_precision_and_stores_a_float(index, value, expected):
    rect = Rect(probe(10, 20), probe(30, 40))
    rect[index] = value
    stored = [rect.position.vals["x"], rect.position.vals["y"], rect.size.vals["x"],
              rect.size.vals["y"]]
    wanted = [10, 20, 30, 40]
    wanted[int(index)] = expected
    assert stored == wanted and type(stored[int(index)]) is float


@pytest.mark.parametrize("index, value, error", [
    (7, "a", TypeError), (-1, "a", TypeError), (0, None, TypeError), (7, 1.0, IndexError),
    (-1, 1.0, IndexError), (0, 10 ** 400, OverflowError),
])
def test_failed_write_changes_nothing(index, value, error):
    rect = Rect(1, 2, 3, 4)
    with pytest.raises(error):
        rect[index] = value
    assert xywh(rect) == (1, 2, 3, 4)


@pytest.mark.parametrize("rect_of, index", [(Rect, 0), (Rect, 5), (Rect, "a"), (bare, None)])
def test_elements_cannot_be_deleted(rect_of, index):
    rect = rect_of()
    with pytest.raises(NotImplementedError, match=f"^Subscript deletion not supported by "
                                                  f"{RECT_NAME}$"):
        del rect[index]


def test_missing_vector_fails_only_its_components():
    rect = Rect(1, 2, 3, 4)
    rect.position = None
    with pytest.raises(AttributeError):
        rect[0]
    with pytest.raises(AttributeError):
        rect[1] = 5.0
    rect[2] = 7.0
    assert (rect[2], rect[3], len(rect)) == (7.0, 4.0, 4)

