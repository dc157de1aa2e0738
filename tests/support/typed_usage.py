"""Typical uses of the package, checked with `mypy --strict` by tests/package/test_packaging.py
against the installed stubs: every line must type-check, and every assert_type must hold."""

import copy
import pickle
from array import array
from typing import assert_type

import tessel
from tessel.collide.collide import Index, overlapping_pairs, overlapping_pairs_between
from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

assert_type(tessel.get_include(), str)

size = Vector2(16, 16)
rects = [Rect(), Rect(size), Rect(Rect()), Rect(Vector4(0, 0, 1, 1)), Rect((0, 0, 4, 4)),
         Rect([0, 0, 4, 4]), Rect((1, 2), size), Rect(size, [3, 4]), Rect(1, 2.5, 3, 4)]
r = rects[-1]

assert_type(r.right, float)
r.right = 100
r.x += 1.5
r.center = (0, 0)
r.center = Vector2(1, 1)
assert_type(r.center, Vector2)
assert_type(r.position.x, float)
r.size = None
del r.size
r.size = size

assert_type(r.collide_point((75, 25)), bool)
assert_type(r.collide_point_vector2(Vector2(1, 1)), bool)
assert_type(r.collide_rect(rects[0]) or r.collide_rect_list([0.0, 0.0, 1.0, 1.0]), bool)
assert_type(r.collide_rect_tuple((0.0, 0.0, 1.0, 1.0)), bool)
assert_type(r.get_vector4().w, float)
x, y, w, h = r.get_tuple()
left, top, width, height = r
assert_type([v for v in r], list[float])
assert_type(r[2], float)
r[0] = 0.1
assert_type(len(r), int)
assert_type(r == rects[0], bool)

restored: Rect = pickle.loads(pickle.dumps(r))
assert_type(copy.copy(r), Rect)
assert_type(list(r), list[float])

velocity = Vector2((3, 4))
velocity += [1.0, 2.0]
velocity = velocity.rotate(90).rotate_rad(0.5).clamp_magnitude(10).clamp_magnitude(1, 10)
assert_type(velocity.reflect((0, 1)).project(Vector2(1, 1)), Vector2)
assert_type(velocity.angle_to((1, 0)), float)
length, degrees = velocity.as_polar()
assert_type(Vector2.from_polar((length, degrees)), Vector2)
assert_type(Vector4(r.get_tuple()).clamp_magnitude(2).reflect(memoryview(b"").cast("d")), Vector4)
velocity.normalize_ip()
velocity.scale_to_length(2)
velocity.update(1, 2.5)
velocity.update((3.0, 4.0))
velocity.move_towards_ip((0, 0), 0.5)
velocity.rotate_ip(90)
velocity[:] = (1.0, 2.0)
assert_type(velocity.move_towards((0, 0), 1).slerp((1, 0), 0.5).cross((0, 1)), float)
assert_type(velocity[::-1], list[float])
assert_type(round(velocity, 2), Vector2)
assert_type(round(Vector4(1, 2, 3, 4)), Vector4)
assert_type(2.0 in velocity and bool(velocity) and velocity.is_normalized(), bool)

from tessel import geometry

assert_type(geometry.union_all(rects), Rect)
assert_type(geometry.union_all(Rect(i, 0, 1, 1) for i in range(3)), Rect)
assert_type(geometry.move(r, (1, 2.5)), Rect)
assert_type(geometry.scale_by([0, 0, 4, 4], 2, None), Rect)
assert_type(geometry.clamp(geometry.inflate(r, 2, 2), (0, 0, 640, 480)), Rect)
assert_type(geometry.contains(geometry.fit(r, rects[0]), geometry.clip(r, rects[1])), bool)
assert_type(geometry.scale_by(r, 2, about=(0, 0)), Rect)
geometry.move_ip(r, (1, 2.5))
geometry.scale_by_ip(r, 2, None, about=r.center)
geometry.clamp_ip(r, (0, 0, 640, 480))
geometry.union_ip(r, rects[0])
geometry.inflate_ip(r, 2, 2)
geometry.normalize_ip(r)
assert_type(geometry.union(r, array("d", [0, 0, 1, 1])), Rect)
assert_type(geometry.move(r, memoryview(b"").cast("d")), Rect)

assert_type(overlapping_pairs(rects), list[tuple[int, int]])
assert_type(overlapping_pairs(rects, flat=True), array[int])
assert_type(overlapping_pairs_between(rects, [r], flat=False), list[tuple[int, int]])

ix: Index[int | str] = Index(rects, values=range(len(rects)))
ix.add(Rect(1, 1, 2, 2), "player")
ix.remove(rects[0])
ix.move((1.0, 2.0))
ix.move([Vector2(1, 1)] * len(ix))
ix.refresh()
assert_type(len(ix), int)
assert_type(ix.rect_hits(r) + ix.point_hits((1, 2)), list[int | str])
assert_type(ix.first_rect_hit((0, 0, 4, 4)), int | str | None)
assert_type(ix.overlapping_pairs(), list[tuple[int | str, int | str]])
assert_type(ix.overlapping_pairs_between(Index(), flat=True), array[int])
assert_type(ix.boxes, memoryview[float])
assert_type(ix.overlapping_pairs_between(rects), list[tuple[int | str, Rect]])
assert_type(ix.overlapping_pairs_between(iter(rects), flat=True), array[int])
assert_type(ix.rect_hits(array("f", [0, 0, 1, 1])), list[int | str])
for member, value in ix:
    assert_type(member, Rect)
    assert_type(value, int | str)
assert_type(ix.values(), list[int | str])
assert_type(ix.rects(), list[Rect])
assert_type(r in ix, bool)
ix.clear()
assert_type(Index[int](), Index[int])
