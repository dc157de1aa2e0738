"""Hostile objects: code that runs in the middle of an operation (a vector's component
getter, a value's __float__, comparison or arithmetic, a vector's __del__) replaces or
deletes the rect's vectors, reinitialises the rect, re-enters it, or empties the list being
read. Every operation that reads a field then ends in a value or an orderly exception
(reading x or y of a missing vector, an item of an emptied list), never in a crash or a
SystemError, and leaves the rect holding vectors or None."""

import copy
import re

import pytest

from rect_support import Rect, Vector2, Vector4

ORDERLY = {
    # A write adds the last clause.
    AttributeError: re.compile(r"'NoneType' object has no attribute '[xy]'"
                               r"( and no __dict__ for setting new attributes)?$"),
    IndexError: re.compile(r"list index out of range$"),
}


class Scene:
    """The rect under attack, the list argument being read, and what the hostile code does
    (armed only while the operation runs, a bounded number of times)."""

    def __init__(self, action):
        self.action, self.budget, self.rect, self.items = action, 0, None, []

    def meddle(self):
        if self.budget > 0:
            self.budget -= 1
            self.action(self)


class Hostile:
    """A number that meddles before each conversion, comparison and arithmetic step."""

    def __init__(self, scene, value):
        self.scene, self.value = scene, float(value)

    def __float__(self):
        self.scene.meddle()
        return self.value

    def __format__(self, spec):
        self.scene.meddle()
        return format(self.value, spec)


def _hostile_op(name):
    def op(self, other):
        self.scene.meddle()
        return getattr(self.value, name)(other.value if isinstance(other, Hostile) else other)

    return op


for _name in ["lt", "le", "eq", "ne", "gt", "ge", "add", "radd", "sub", "rsub", "mul", "rmul"]:
    setattr(Hostile, f"__{_name}__", _hostile_op(f"__{_name}__"))


class HostileVector(Vector2):
    """A Vector2 whose getters meddle (and hand out Hostile numbers when asked to), and
    whose __del__ meddles."""

    def _component(name):
        def get(self):
            scene = self.__dict__["scene"]
            if self.__dict__["getter"]:
                scene.meddle()
            value = getattr(super(HostileVector, self), name)
            return Hostile(scene, value) if self.__dict__["numbers"] else value

        return property(get, lambda self, value: Vector2.__dict__[name].__set__(self, value))

    x, y = _component("x"), _component("y")
    del _component

    def __del__(self):
        if self.__dict__.get("on_del"):
            self.__dict__["scene"].meddle()


def vector(scene, carrier, x, y):
    v = HostileVector(x, y)
    v.__dict__.update(scene=scene, getter=carrier == "getter", numbers=carrier == "number",
                      on_del=carrier == "del")
    return v


def _reenter(scene):
    for read in (repr, Rect.get_tuple, lambda r: r == r, lambda r: r.center):
        try:
            read(scene.rect)
        except AttributeError:
            pass


ACTIONS = {
    "position set to None": lambda s: setattr(s.rect, "position", None),
    "size deleted": lambda s: delattr(s.rect, "size"),
    "position replaced": lambda s: setattr(s.rect, "position", vector(s, "del", 9, 9)),
    "reinitialised": lambda s: s.rect.__init__(vector(s, "del", 0, 0), Vector2(1, 1)),
    "re-entered": _reenter,
    "list emptied": lambda s: s.items.clear(),
}

def four(scene):
    """The scene's list, grown to the four items of a rectangle."""
    scene.items.extend(scene.items)
    return scene.items


# Every operation that reads a field, given the rect and the scene (whose list is the
# argument of the list forms).
OPERATIONS = {
    **{f"read {name}": (lambda name: lambda r, s: getattr(r, name))(name) for name in
       ["x", "y", "w", "h", "width", "height", "left", "top", "right", "bottom", "centerx",
        "centery", "center", "position", "size"]},
    **{f"write {name}": (lambda name, value: lambda r, s: setattr(r, name, value(s)))(
        name, value) for name, value in [
        ("x", lambda s: 1.0), ("h", lambda s: Hostile(s, 2)), ("right", lambda s: Hostile(s, 3)),
        ("centery", lambda s: 4.0), ("center", lambda s: s.items),
        ("center", lambda s: vector(s, "getter", 5, 6)),
        ("position", lambda s: vector(s, "del", 1, 1)), ("size", lambda s: None)]},
    "get_width": lambda r, s: r.get_width(),
    "get_height": lambda r, s: r.get_height(),
    "collide_point list": lambda r, s: r.collide_point(s.items),
    "collide_point vector": lambda r, s: r.collide_point(vector(s, "getter", 1, 1)),
    "collide_point_vector2": lambda r, s: r.collide_point_vector2(vector(s, "number", 1, 1)),
    "collide_point_tuple": lambda r, s: r.collide_point_tuple(tuple(s.items)),
    "collide_point_list": lambda r, s: r.collide_point_list(s.items),
    "collide_rect list": lambda r, s: r.collide_rect(four(s)),
    "collide_rect self": lambda r, s: r.collide_rect(r),
    "collide_rect_rect self": lambda r, s: r.collide_rect_rect(r),
    "collide_rect_rect other": lambda r, s: Rect(0, 0, 5, 5).collide_rect_rect(r),
    "collide_rect_vector4": lambda r, s: r.collide_rect_vector4(Vector4(0, 0, 5, 5)),
    "collide_rect_tuple": lambda r, s: r.collide_rect_tuple(tuple(four(s))),
    "collide_rect_list": lambda r, s: r.collide_rect_list(four(s)),
    "getitem": lambda r, s: [r[i] for i in range(4)],
    "setitem": lambda r, s: r.__setitem__(3, s.items[0]),
    "iterate": lambda r, s: list(r),
    "repr": lambda r, s: repr(r),
    "equal": lambda r, s: r == Rect(r.position, r.size),
    "not equal": lambda r, s: Rect(1, 1, 1, 1) != r,
    "get_tuple": lambda r, s: r.get_tuple(),
    "get_vector4": lambda r, s: r.get_vector4(),
    "reduce": lambda r, s: r.__reduce__(),
    "copy": lambda r, s: copy.copy(r),
    "construct from rect": lambda r, s: Rect(r),
    "setstate": lambda r, s: r.__setstate__((vector(s, "del", 1, 1), vector(s, "del", 2, 2))),
}


@pytest.mark.parametrize("carrier", ["getter", "number", "del"])
@pytest.mark.parametrize("operation", OPERATIONS)
def test_code_run_mid_operation_cannot_break_the_rect(operation, carrier):
    for name, action in ACTIONS.items():
        scene = Scene(action)
        scene.items = [Hostile(scene, 1), Hostile(scene, 2)]
        rect = scene.rect = Rect(vector(scene, carrier, 0, 0), vector(scene, carrier, 4, 4))
        scene.budget = 3
        try:
            OPERATIONS[operation](rect, scene)
        except tuple(ORDERLY) as e:
            assert ORDERLY[type(e)].match(str(e)), (name, repr(e))
        finally:
            scene.budget = 0
        for field in (rect.position, rect.size):
            assert field is None or isinstance(field, Vector2), name
        assert repr(rect).startswith("Rect(position=")
