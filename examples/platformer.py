"""A platformer-like mover: it runs and falls through a level of tiles with Index.slide, never
passing through a tile however fast it falls, landing on tiles and sliding along walls; a
whole frame of many bouncing rects written with numpy; and the picture of the run (the
mover every other frame, each contact's point and normal), drawn as an SVG.

Run with the build's staging tree on the path:
    PYTHONPATH=build/py314/stage python3.14 examples/platformer.py [--svg PATH]
"""

import argparse

from scene import FREE, OVERLAPPING, WALL, svg_document, svg_rect, svg_text
from tessel import Index, Rect

SCALE, MARGIN = 20, 10
GRAVITY, RUN, JUMP = 0.25, 0.45, -2.2


def level():
    """A floor of touching tiles, a thin ledge, a step and two walls, in tile units."""
    floor = [Rect(x, 14, 1, 1) for x in range(0, 36)]
    ledge = [Rect(x, 9, 1, 0.125) for x in range(6, 12)]  # one eighth of a tile thick
    step = [Rect(x, y, 1, 1) for x in (18, 19) for y in (12, 13)]
    walls = [Rect(x, y, 1, 1) for x in (0, 29) for y in range(3, 14)]
    return floor + ledge + step + walls


def run(frames=120):
    """The mover's positions and its contacts, frame by frame."""
    tiles = level()
    index = Index(tiles)
    player = Rect(2, 1, 0.8, 1.2)
    vx, vy = RUN, 0.0
    trail, contacts = [], []
    for frame in range(frames):
        vy = min(vy + GRAVITY, 12.0)  # falls up to 12 tiles a frame: through nothing
        on_ground = False
        for hit in index.slide(player, (vx, vy)):
            contacts.append(hit)
            if hit.normal[1] < 0:
                on_ground, vy = True, 0.0
            elif hit.normal[1] > 0:
                vy = 0.0
            elif hit.normal[0] != 0:
                vx = -vx  # a wall: turn back
        if on_ground and frame in (12, 40, 66, 95):
            vy = JUMP
        trail.append((player.x, player.y))
    return tiles, player, trail, contacts


def bouncing_frame(n=1000, seed=5):
    """A whole frame with numpy: velocities in an array, the field's walls handled on the
    index's boxes, then one move. Gives how many rects turned."""
    import numpy

    rng = numpy.random.default_rng(seed)
    side = 100.0
    rects = [Rect(x, y, 2, 2) for x, y in rng.uniform(0, side - 2, (n, 2)).tolist()]
    index = Index(rects)
    velocities = rng.uniform(-3, 3, (n, 2))
    boxes = numpy.asarray(index.boxes)  # x, y, w, h per rect, shared, read-only
    ahead = boxes[:, :2] + velocities
    out = (ahead < 0) | (ahead + boxes[:, 2:] > side)
    velocities[out] *= -1  # turn back at the field's walls
    index.move(velocities)  # r.position += v for every rect, read from the array's memory
    return int(out.any(axis=1).sum())


def motion_svg():
    tiles, player, trail, contacts = run()
    origin = (MARGIN, MARGIN + 24)
    body = [svg_text(MARGIN, 18, "Index.slide: runs, falls, lands, slides along walls, "
                                 "never tunnels (every other frame; contacts red)")]
    body += [svg_rect(t, WALL, SCALE, origin, opacity=0.9) for t in tiles]
    for k, (x, y) in enumerate(trail):
        if k % 2 == 0:
            body.append(svg_rect((x, y, player.w, player.h), FREE, SCALE, origin, opacity=0.12))
    for hit in contacts:
        x, y = hit.point
        # The point of contact on the mover's edge that touches, and the normal from there.
        cx = x + (player.w if hit.normal[0] < 0 else 0 if hit.normal[0] > 0 else player.w / 2)
        cy = y + (player.h if hit.normal[1] < 0 else 0 if hit.normal[1] > 0 else player.h / 2)
        px, py = origin[0] + cx * SCALE, origin[1] + cy * SCALE
        ex, ey = px + hit.normal[0] * 12, py + hit.normal[1] * 12
        body.append(f'<circle cx="{px:g}" cy="{py:g}" r="2.5" fill="{OVERLAPPING}"/>')
        body.append(f'<path d="M{px:g} {py:g}L{ex:g} {ey:g}" stroke="{OVERLAPPING}" '
                    f'stroke-width="1.5"/>')
    body.append(svg_rect(player, FREE, SCALE, origin, opacity=0.8))
    width, height = 36 * SCALE + 2 * MARGIN, 15 * SCALE + origin[1] + MARGIN
    return svg_document(width, height, body)


def main(argv=None):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--svg", help="write the picture of the run here")
    args = parser.parse_args(argv)
    tiles, player, trail, contacts = run()
    landings = sum(1 for h in contacts if h.normal == (0.0, -1.0))
    walls = sum(1 for h in contacts if h.normal[0] != 0)
    print(f"{len(trail)} frames: {landings} contacts on tiles' tops, {walls} with walls; "
          f"ends at ({player.x:g}, {player.y:g})")
    try:
        print("numpy frame:", bouncing_frame(), "rects turned at the walls")
    except ImportError:
        print("numpy is not installed: no numpy frame")
    if args.svg:
        with open(args.svg, "w", encoding="utf-8") as out:
            out.write(motion_svg())
        print("picture written to", args.svg)


if __name__ == "__main__":
    main()
