"""A small scene: rects built in several ways, moved through their properties, moved and
tested for collisions each frame through an index, saved and restored with pickle, and drawn
as an SVG picture.

Run with scripts/example (which builds the package first), or with the build's staging
tree on the path: PYTHONPATH=build/py314/stage python3.14 examples/scene.py [--svg PATH]
"""

import argparse
import copy
import os
import pickle
import tempfile

from tessel import Index, Rect, Vector2, Vector4


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


GOAL = (100.0, 100.0)


def make_scene():
    walls = [Rect(0, 0, 200, 10), Rect(0, 190, 200, 10), Rect(0, 0, 10, 200), Rect(190, 0, 10, 200)]
    movers = {
        "ball": (Rect(20, 20, 12, 12), Vector2(9, 5)),
        "crate": (Rect(150, 120, 20, 20), Vector2(-6, 7)),
        "drone": (Rect(90, 40, 8, 8), Vector2(4, -3)),
        "ghost": (Rect(60, 60, 10, 10), Vector2(2, 2)),
    }
    return walls, movers


def scene_index(movers):
    """An index of the movers' rects that answers with their names."""
    return Index([rect for rect, _ in movers.values()], values=list(movers))


def step(walls, movers, index):
    """Moves every mover one step, bounces it off walls, and reports what touches what."""
    events = []
    names = list(movers)
    # One call moves every mover by its velocity, as `rect.position += velocity` would,
    # in place: every rect sharing a vector moves too.
    index.move([movers[name][1] for name in names])
    for name in names:
        rect, velocity = movers[name]
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
    # The bounces moved some rects: the index reads them again. Then the questions over
    # every mover at once, answered with their names.
    index.refresh()
    for a, b in index.overlapping_pairs():
        events.append(f"{a} overlaps {b}")
    for name in index.point_hits(GOAL):
        events.append(f"{name} covers the goal {GOAL}")
    return events


def run_scene():
    print("\n-- a moving scene")
    walls, movers = make_scene()
    index = scene_index(movers)
    for frame in range(1, 41):
        for event in step(walls, movers, index):
            print(f"frame {frame:2}: {event}")
    return walls, movers, index


def save_and_restore(walls, movers, index):
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
    # The restored scene goes on exactly as the original would (an index is not pickled: the
    # restored rects get one of their own).
    assert (step(restored_walls, restored_movers, scene_index(restored_movers))
            == step(walls, movers, index))
    print("one more frame of both scenes gives the same events")


# ---------------------------------------------------------------------------------------
# Pictures: plain SVG text. examples/pictures.py uses these too.

OVERLAPPING, FREE, WALL = "#e4572e", "#4c9be8", "#9a9a9a"


def svg_document(width, height, body):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}" font-family="sans-serif" font-size="12">\n'
            f'<rect width="{width}" height="{height}" fill="white"/>\n'
            + "".join(line + "\n" for line in body) + "</svg>\n")


def svg_rect(rect, fill, scale=1, origin=(0, 0), opacity=0.6, dash=False):
    """The rect as an SVG rectangle; a negative size is drawn over the area it spans."""
    x, y, w, h = (v * scale for v in rect)
    x, y = min(x, x + w) + origin[0], min(y, y + h) + origin[1]
    style = ' stroke-dasharray="4 3"' if dash else ""
    return (f'<rect x="{x:g}" y="{y:g}" width="{abs(w):g}" height="{abs(h):g}" fill="{fill}" '
            f'fill-opacity="{opacity}" stroke="{fill}"{style}/>')


def svg_text(x, y, text, anchor="start"):
    text = text.replace("&", "&amp;").replace("<", "&lt;")
    return f'<text x="{x:g}" y="{y:g}" text-anchor="{anchor}">{text}</text>'


def svg_point(x, y, inside, colour):
    fill = colour if inside else "white"
    return f'<circle cx="{x:g}" cy="{y:g}" r="3.5" fill="{fill}" stroke="{colour}"/>'


def scene_svg(walls, movers, goal=GOAL):
    """The scene as it stands: walls grey, each mover coloured by whether it overlaps
    another rect of the scene, the goal marked with a cross."""
    scale, margin = 2, 10
    body = [svg_rect(wall, WALL, scale, (margin, margin), opacity=1) for wall in walls]
    rects = walls + [rect for rect, _ in movers.values()]
    for name, (rect, _) in movers.items():
        hit = any(other is not rect and rect.collide_rect(other) for other in rects)
        body.append(svg_rect(rect, OVERLAPPING if hit else FREE, scale, (margin, margin)))
        body.append(svg_text(margin + rect.centerx * scale, margin + rect.y * scale - 3, name,
                             "middle"))
    gx, gy = (margin + v * scale for v in goal)
    body.append(f'<path d="M{gx - 6:g} {gy - 6:g}L{gx + 6:g} {gy + 6:g}M{gx - 6:g} {gy + 6:g}'
                f'L{gx + 6:g} {gy - 6:g}" stroke="black" stroke-width="2"/>')
    body.append(svg_text(gx - 8, gy + 16, "goal", "end"))
    legend_y = margin * 2 + 200 * scale + 4
    body.append(svg_rect((margin, legend_y - 10, 12, 12), OVERLAPPING))
    body.append(svg_text(margin + 18, legend_y, "overlaps another rect"))
    body.append(svg_rect((margin + 170, legend_y - 10, 12, 12), FREE))
    body.append(svg_text(margin + 188, legend_y, "overlaps none"))
    return svg_document(200 * scale + 2 * margin, legend_y + 10, body)


def write_scene_svg(walls, movers, path):
    with open(path, "w", encoding="utf-8") as out:
        out.write(scene_svg(walls, movers))
    return path


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--svg", default=os.path.join(tempfile.gettempdir(), "tessel-scene.svg"),
                        help="where to write the picture of the scene (default: %(default)s)")
    args = parser.parse_args(argv)
    show_vectors()
    build_rects()
    move_a_rect()
    walls, movers, index = run_scene()
    save_and_restore(walls, movers, index)
    print("\npicture of the scene written to", write_scene_svg(walls, movers, args.svg))


if __name__ == "__main__":
    main()
