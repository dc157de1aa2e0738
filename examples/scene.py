"""A small scene: rects built in several ways, moved through their properties, tested for
collisions while they move, and saved and restored with pickle.

Run with scripts/example (which builds the package first), or with the build's staging
tree on the path: PYTHONPATH=build/py314/stage python3.14 examples/scene.py
"""

import copy
import pickle

from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4


def show_vectors():
    player = Vector2(12, 7.5)
    print("player at", player, "x =", player.x, "y =", player.y)
    # Vector2 stores single-precision floats: values read back rounded to float32.
    print("Vector2(0.1, 1e39) reads back as", Vector2(0.1, 1e39))
    # Vector4 stores doubles: nothing is rounded.
    print("bounds", Vector4(0.1, 0.2, 640, 480))


def build_rects():
    print("\n-- building rects")
    size = Vector2(16, 16)
    forms = {
        "four numbers": Rect(10, 20, 30, 40),
        "a tuple": Rect((0, 0, 640, 480)),
        "a Vector4": Rect(Vector4(5, 5, 10, 10)),
        "a position and a shared size": Rect((100, 100), size),
        "only a size": Rect(size),
        "nothing": Rect(),
    }
    for how, rect in forms.items():
        print(f"from {how:30} {rect}")
    # Rects built from a vector share it: resizing the vector resizes both rects.
    size.x = 32
    print("after size.x = 32:", forms["a position and a shared size"].w, forms["only a size"].w)
    return forms


def move_a_rect():
    print("\n-- moving a rect through its properties")
    r = Rect(10, 20, 30, 40)
    print("start", tuple(r), "right", r.right, "bottom", r.bottom, "center", r.center)
    r.right = 100  # moves the rect; the width stays
    print("right = 100   ->", tuple(r))
    r.center = (0, 0)
    print("center = 0, 0 ->", tuple(r))
    r.w = 50  # resizes; the left edge stays
    print("w = 50        ->", tuple(r), "right", r.right)
    x, y, w, h = r  # a rect is the sequence (x, y, w, h)
    r[0] = 0.1  # written at single precision
    print("unpacked", (x, y, w, h), "then r[0] = 0.1 reads", r[0])


def make_scene():
    walls = [Rect(0, 0, 200, 10), Rect(0, 190, 200, 10), Rect(0, 0, 10, 200), Rect(190, 0, 10, 200)]
    movers = {
        "ball": (Rect(20, 20, 12, 12), Vector2(9, 5)),
        "crate": (Rect(150, 120, 20, 20), Vector2(-6, 7)),
        "drone": (Rect(90, 40, 8, 8), Vector2(4, -3)),
        "ghost": (Rect(60, 60, 10, 10), Vector2(2, 2)),
    }
    return walls, movers


def step(walls, movers):
    """Moves every mover one step, bounces it off walls, and reports what touches what."""
    events = []
    names = list(movers)
    for name in names:
        rect, velocity = movers[name]
        rect.x += velocity.x
        rect.y += velocity.y
        for wall in walls:
            if rect.collide_rect_rect(wall):
                # Bounce: undo the move on each axis that hit, and turn around.
                if wall.w > wall.h:
                    rect.y -= velocity.y
                    velocity.y = -velocity.y
                else:
                    rect.x -= velocity.x
                    velocity.x = -velocity.x
                events.append(f"{name} bounced off a wall")
    for i, a in enumerate(names):
        for b in names[i + 1:]:
            if movers[a][0].collide_rect(movers[b][0]):
                events.append(f"{a} overlaps {b}")
    goal = (100.0, 100.0)
    for name in names:
        if movers[name][0].collide_point(goal):
            events.append(f"{name} covers the goal {goal}")
    return events


def run_scene():
    print("\n-- a moving scene")
    walls, movers = make_scene()
    for frame in range(1, 41):
        for event in step(walls, movers):
            print(f"frame {frame:2}: {event}")
    return walls, movers


def save_and_restore(walls, movers):
    print("\n-- saving and restoring the scene")
    data = pickle.dumps((walls, movers))
    restored_walls, restored_movers = pickle.loads(data)
    same = restored_walls == walls and all(
        restored_movers[n][0] == movers[n][0] for n in movers
    )
    print(f"pickled {len(data)} bytes; restored scene equal to the original: {same}")
    for name, (rect, velocity) in restored_movers.items():
        print(f"  {name:6} {rect} moving {velocity}")
    # A shallow copy shares the vectors; a deep copy has its own.
    ball = movers["ball"][0]
    print("copy shares position:", copy.copy(ball).position is ball.position,
          "- deepcopy shares:", copy.deepcopy(ball).position is ball.position)
    # The restored scene goes on exactly as the original would.
    assert step(restored_walls, restored_movers) == step(walls, movers)
    print("one more frame of both scenes gives the same events")


def main():
    show_vectors()
    build_rects()
    move_a_rect()
    walls, movers = run_scene()
    save_and_restore(walls, movers)


if __name__ == "__main__":
    main()
