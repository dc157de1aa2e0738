"""A small game as a user writes it: the short imports, a typed Index[Enemy] that it looks
into, tessel rects and vectors handed to pygame for drawing, and pygame's rects handed to
tessel. tests/package/test_packaging.py checks it with `mypy --strict` against pygame's own
stubs, and runs it headless."""

from __future__ import annotations

from dataclasses import dataclass
from typing import assert_type

import pygame

from tessel import Index, Rect, Vector2
from tessel.collide import overlapping_pairs
from tessel.geometry import clamp, union_all


@dataclass
class Enemy:
    name: str
    rect: Rect
    velocity: Vector2


def spawn(count: int) -> list[Enemy]:
    return [Enemy(f"enemy {i}", Rect(20 * i, 10 * (i % 3), 12, 12), Vector2(1 + i % 2, 1))
            for i in range(count)]


def frame(surface: pygame.Surface, player: Rect, crowd: list[Enemy], enemies: Index[Enemy],
          walls: Index[Rect], field: Rect) -> list[str]:
    enemies.move([e.velocity for e in crowd])
    hit: Enemy | None = enemies.first_rect_hit(player)
    touched: list[Enemy] = enemies.point_hits(player.center)
    bumps: list[tuple[Enemy, Rect]] = enemies.overlapping_pairs_between(walls)
    for a, b in enemies.overlapping_pairs():
        assert_type(a, Enemy)
        a.velocity, b.velocity = b.velocity, a.velocity
    for enemy, wall in bumps:
        enemy.velocity = -enemy.velocity
        pygame.draw.rect(surface, (90, 90, 90), wall)
    # tessel rects and vectors where pygame wants its own rects, coordinates and sequences.
    sprite = pygame.Surface((8, 8))
    for enemy in touched:
        pygame.draw.rect(surface, (200, 0, 0), enemy.rect, width=1)
        surface.blit(sprite, enemy.rect.position)
        surface.blit(sprite, enemy.rect)
        pygame.draw.line(surface, (0, 0, 200), player.center, enemy.rect.center)
    pygame.draw.circle(surface, (0, 200, 0), player.center, 3)
    pygame.draw.polygon(surface, (0, 0, 0), [Vector2(0, 0), Vector2(4, 0), Vector2(0, 4)])
    surface.fill((0, 0, 0), clamp(player, field))
    # pygame's rects and points where tessel wants a rect or a point.
    screen = surface.get_rect()
    surface.fill((0, 0, 0), clamp(player, screen))
    seen: list[Enemy] = enemies.rect_hits(screen) + enemies.point_hits(screen.center)
    assert len(seen) >= len(touched)
    box = pygame.Rect(union_all([player, field]))
    return [e.name for e in touched] + ([hit.name] if hit else []) + [str(box.w)]


def looked_into(enemies: Index[Enemy]) -> list[str]:
    """What a program learns by looking into an index."""
    names = [enemy.name for rect, enemy in enemies if rect.w > 0]
    first = enemies.rects()[0]
    if first in enemies:
        names += [e.name for e in enemies.values()]
    for rect, enemy in enemies:  # the loop goes over the members as they were
        enemies.remove(rect)
    assert len(enemies) == 0
    enemies.add(first, Enemy("late", first, Vector2()))
    enemies.clear()
    return names


def main() -> list[str]:
    surface = pygame.Surface((320, 240))
    field = Rect(0, 0, 320, 240)
    crowd = spawn(12)
    enemies = Index([e.rect for e in crowd], crowd)
    assert_type(enemies, Index[Enemy])
    walls = Index([Rect(0, 0, 320, 4), Rect(0, 236, 320, 4)])
    assert_type(walls, Index[Rect])
    later: Index[Enemy] = Index()
    later.add(crowd[0].rect, crowd[0])
    assert_type(enemies.boxes[0, 2], float)
    pairs = overlapping_pairs([e.rect for e in crowd])
    seen = frame(surface, Rect(10, 10, 30, 30), crowd, enemies, walls, field)
    seen += looked_into(later)
    return seen + [str(len(pairs))]


if __name__ == "__main__":
    print(main())
