"""Pickling and copying: a rect travels as its two vectors plus a checksum of its field
names, and loading checks that checksum."""

import builtins
import copy
import pickle

import pytest

import tessel.rect.rect as rect_module
from rect_support import VECTOR2_NAME, IntLike, Rect, TupleSub, Vector2, bare, xy, xywh
from tessel.rect.rect import __pyx_unpickle_Rect as unpickle

CHECKSUM = 92479533
MISMATCH = "Incompatible checksums ({} vs (0x583202d, 0x1cd30c9, 0xa9f0e04) = (position, size))"


@pytest.mark.parametrize("protocol", range(pickle.HIGHEST_PROTOCOL + 1))
def test_round_trip_gives_an_equal_rect_with_its_own_vectors(protocol):
    rect = Rect(1.5, -2, 3, 4)
    loaded = pickle.loads(pickle.dumps(rect, protocol))
    assert type(loaded) is Rect and loaded == rect
    assert loaded.position is not rect.position and loaded.size is not rect.size
    loaded.x = 9
    assert rect.x == 1.5


@pytest.mark.parametrize("protocol", [0, pickle.HIGHEST_PROTOCOL])
def test_round_trip_keeps_missing_vectors_missing(protocol):
    for rect in (bare(), Rect(1, 2, 3, 4)):
        rect.size = None
        loaded = pickle.loads(pickle.dumps(rect, protocol))
        assert loaded.size is None and (rect.position is None) == (loaded.position is None)


@pytest.mark.parametrize("missing", [(), ("position",), ("size",), ("position", "size")])
def test_reduce_names_the_unpickler_and_carries_the_vectors_themselves(missing):
    rect = Rect(1, 2, 3, 4)
    for name in missing:
        delattr(rect, name)
    value = rect.__reduce__()
    assert value == rect.__reduce_ex__(2) and value[0] is unpickle
    state = value[-1] if len(missing) < 2 else value[1][2]
    assert type(state) is tuple and [id(v) for v in state] == [id(rect.position), id(rect.size)]
    if len(missing) < 2:
        assert len(value) == 3 and value[1] == (Rect, CHECKSUM, None)
    else:
        assert value == (unpickle, (Rect, CHECKSUM, (None, None)))
    assert unpickle.__module__ == "tessel.rect.rect"
    assert unpickle.__name__ == unpickle.__qualname__ == "__pyx_unpickle_Rect"


@pytest.mark.thread_unsafe(reason="edits the module's namespace and builtins")
def test_reduce_looks_the_unpickler_up_in_the_module_then_in_builtins(monkeypatch):
    monkeypatch.delitem(rect_module.__dict__, "__pyx_unpickle_Rect")
    with pytest.raises(NameError, match="^name '__pyx_unpickle_Rect' is not defined$"):
        Rect(1, 2, 3, 4).__reduce__()
    monkeypatch.setattr(builtins, "__pyx_unpickle_Rect", len, raising=False)
    assert Rect(1, 2, 3, 4).__reduce__()[0] is len


def test_shallow_copy_shares_vectors_and_deep_copy_copies_them():
    rect = Rect(1, 2, 3, 4)
    shallow, deep = copy.copy(rect), copy.deepcopy(rect)
    assert shallow.position is rect.position and shallow.size is rect.size
    assert deep.position is not rect.position and deep.size is not rect.size
    assert xywh(deep) == xywh(shallow) == (1, 2, 3, 4)
    assert copy.copy(bare()).position is None


@pytest.mark.parametrize("checksum", [CHECKSUM, 0x1cd30c9, 0xa9f0e04, IntLike(CHECKSUM)])
def test_unpickler_accepts_the_three_checksums(checksum):
    rect = unpickle(Rect, checksum, None)
    assert type(rect) is Rect and rect.position is None and rect.size is None


def test_unpickler_restores_the_given_vectors_and_takes_keywords():
    p, s = Vector2(1, 2), Vector2(3, 4)
    rect = unpickle(__pyx_type=Rect, __pyx_checksum=CHECKSUM, __pyx_state=(p, s))
    assert rect.position is p and rect.size is s


@pytest.mark.parametrize("type_, checksum, state, error, message", [
    *[(Rect, given, None, pickle.PickleError, MISMATCH.format(shown)) for given, shown in
      [(0, "0x0"), (1, "0x1"), (0x583202e, "0x583202e"), (-1, "-0x1"), (2 ** 33, "0x200000000")]],
    (int, 0, None, pickle.PickleError, MISMATCH.format("0x0")),
    (int, CHECKSUM, None, TypeError, None), (Vector2, CHECKSUM, None, TypeError, None),
    (Rect, 0, [], TypeError, None), (Rect, CHECKSUM, [None, None], TypeError, None),
    (Rect, CHECKSUM, TupleSub((None, None)), TypeError, None),
    (Rect, 2 ** 64, None, OverflowError, None), (Rect, "92479533", None, TypeError, None),
    (Rect, CHECKSUM, (5, None), TypeError, f"Cannot convert int to {VECTOR2_NAME}"),
    (Rect, CHECKSUM, (None, (3, 4)), TypeError, f"Cannot convert tuple to {VECTOR2_NAME}"),
    (Rect, CHECKSUM, (None,), IndexError, None), (Rect, CHECKSUM, (), IndexError, None),
    (Rect, CHECKSUM, (None, None, {"a": 1}), AttributeError, None),
])
def test_unpickler_refuses(type_, checksum, state, error, message):
    with pytest.raises(error) as caught:
        unpickle(type_, checksum, state)
    assert message is None or str(caught.value) == message


# ---------------------------------------------------------------------------------------
# __setstate__

P, S = Vector2(1, 2), Vector2(3, 4)


class Sub(Vector2):
    pass


@pytest.mark.parametrize("state", [
    (P, S), (P, S, None), (P, S, {}), (P, S, 0, "unread"), (None, Sub()), (Sub(), None)])
def test_setstate_stores_the_vectors_given(state):
    rect = Rect(1, 2, 3, 4)
    assert rect.__setstate__(state) is None
    assert rect.position is state[0] and rect.size is state[1]
    assert Rect().__setstate__(__pyx_state=state) is None


class Undecided:
    def __bool__(self):
        raise KeyError("truth")


@pytest.mark.parametrize("state, error, position, size", [
    ((None, 5), TypeError, None, (30, 40)), ((5, S), TypeError, (10, 20), (30, 40)),
    ((P, "size"), TypeError, (1, 2), (30, 40)), ((P, S, {"a": 1}), AttributeError, (1, 2), (3, 4)),
    ((P, S, Undecided()), KeyError, (1, 2), (3, 4)), ((P,), IndexError, (10, 20), (30, 40)),
    ((), IndexError, (10, 20), (30, 40)), ([P, S], TypeError, (10, 20), (30, 40)),
    (TupleSub((P, S)), TypeError, (10, 20), (30, 40)), (None, TypeError, (10, 20), (30, 40)),
])
def test_failed_setstate_keeps_what_was_stored_before_the_failure(state, error, position, size):
    rect = Rect(10, 20, 30, 40)
    with pytest.raises(error):
        rect.__setstate__(state)
    assert (None if rect.position is None else xy(rect.position)) == position
    assert xy(rect.size) == size
