"""Draws the README's pictures with the package itself, so that they show what the code
does: docs/scene.svg (the example scene, as examples/scene.py draws it),
docs/edge-rules.svg (which points are inside a rect and which rects overlap, at the edges
and for zero and negative sizes; every mark's colour comes from collide_point or
collide_rect), docs/toolbox.svg (union, clip, clamp and inflate: every red rect is the
function's own result), docs/lines.svg (rays, where raycast says they hit and the
normals it gives) and docs/motion.svg (a mover running through tiles with Index.slide,
as examples/platformer.py draws it).

    PYTHONPATH=build/py314/stage python3.14 examples/pictures.py [--out DIR]
"""

import argparse
import contextlib
import io
import os

import platformer
import scene
from scene import FREE, OVERLAPPING, WALL, svg_document, svg_point, svg_rect, svg_text
from tessel import Rect, geometry
from tessel.collide import collide

SCALE, PANEL, TOP = 24, 200, 40  # pixels per unit, panel width, room for the titles
INSIDE = "#2a9d4b"


def grid_points(rect, origin, xs, ys):
    """Every point of the grid, filled when the rect contains it."""
    return [svg_point(origin[0] + x * SCALE, origin[1] + y * SCALE, rect.collide_point((x, y)),
                      INSIDE if rect.collide_point((x, y)) else WALL) for x in xs for y in ys]


def caption(origin, lines):
    return [svg_text(origin[0], TOP + 150 + 16 * i, line) for i, line in enumerate(lines)]


def closed_borders(origin):
    r = Rect(1, 1, 4, 3)
    body = [svg_text(origin[0], 20, "Points on the border are inside"),
            svg_rect(r, FREE, SCALE, origin, 0.3)]
    body += grid_points(r, origin, range(0, 7), range(0, 6))
    return body + caption(origin, ["rect (1, 1, 4, 3) holds",
                                   f"corner (5, 4): {r.collide_point((5, 4))}",
                                   f"edge point (3, 1): {r.collide_point((3, 1))}",
                                   f"(5.01, 2): {r.collide_point((5.01, 2))}"])


def open_overlap(origin):
    base = Rect(1, 1, 3, 3)
    others = [("edge", "sharing only an edge", Rect(4, 1, 2, 2)),
              ("corner", "sharing only a corner", Rect(4, 4, 2, 1.5)),
              ("area", "sharing an area", Rect(0, 3.5, 2, 1.5))]
    body = [svg_text(origin[0], 20, "Touching rects do not overlap"),
            svg_rect(base, WALL, SCALE, origin, 0.3)]
    lines = ["grey (1, 1, 3, 3) overlaps"]
    for label, says, other in others:
        hit = base.collide_rect(other)
        body.append(svg_rect(other, OVERLAPPING if hit else FREE, SCALE, origin))
        body.append(svg_text(origin[0] + other.right * SCALE + 3,
                             origin[1] + other.bottom * SCALE, label))
        lines.append(f"{says}: {hit}")
    return body + caption(origin, lines)


def zero_size(origin):
    around, dot, on_border = Rect(1, 1, 4, 3), Rect(3, 2, 0, 0), Rect(1, 3, 0, 0)
    body = [svg_text(origin[0], 20, "Zero size: a point"), svg_rect(around, WALL, SCALE, origin, 0.3)]
    for r in (dot, on_border):
        hit = around.collide_rect(r)
        body.append(svg_point(origin[0] + r.x * SCALE, origin[1] + r.y * SCALE, True,
                              OVERLAPPING if hit else FREE))
    return body + caption(origin, [f"(3, 2, 0, 0) holds (3, 2): {dot.collide_point((3, 2))}",
                                   f"  and overlaps the grey: {around.collide_rect(dot)}",
                                   f"(1, 3, 0, 0) on the edge: {around.collide_rect(on_border)}"])


def negative_size(origin):
    # Never normalised: no point is inside, yet the overlap rule, applied as it stands,
    # holds for a rect that strictly encloses the span.
    r, same_area, around = Rect(5, 4, -4, -3), Rect(1, 1, 4, 3), Rect(0.5, 0.5, 5, 4)
    hit = r.collide_rect(around)
    body = [svg_text(origin[0], 20, "Negative size: holds no point"),
            svg_rect(around, OVERLAPPING if hit else FREE, SCALE, origin, 0.2),
            svg_rect(r, WALL, SCALE, origin, 0.15, dash=True)]
    body += grid_points(r, origin, range(0, 7), range(0, 6))
    return body + caption(origin, ["grey (5, 4, -4, -3): this area",
                                   f"holds its middle (3, 2): {r.collide_point((3, 2))}",
                                   f"overlaps (1, 1, 4, 3): {r.collide_rect(same_area)}",
                                   f"overlaps (0.5, 0.5, 5, 4): {hit}"])


def edge_rules_svg():
    panels = [closed_borders, open_overlap, zero_size, negative_size]
    body = []
    for i, panel in enumerate(panels):
        body += panel((10 + i * PANEL, TOP))
    legend = TOP + 226
    body += [svg_point(16, legend - 4, True, INSIDE), svg_text(26, legend, "inside"),
             svg_point(86, legend - 4, False, WALL), svg_text(96, legend, "outside"),
             svg_rect((160, legend - 10, 12, 12), OVERLAPPING), svg_text(178, legend, "overlaps the grey rect"),
             svg_rect((340, legend - 10, 12, 12), FREE), svg_text(358, legend, "does not")]
    return svg_document(10 + len(panels) * PANEL, legend + 10, body)


def values(rect):
    return "(" + ", ".join(f"{v:g}" for v in rect) + ")"


def toolbox_panel(origin, title, inputs, results, lines):
    """Inputs grey (the first) and blue, results red: each a (rect, dashed) pair; a dashed
    result is an outline."""
    body = [svg_text(origin[0], 20, title)]
    body += [svg_rect(r, WALL if i == 0 else FREE, SCALE, origin, 0.25, dash)
             for i, (r, dash) in enumerate(inputs)]
    body += [svg_rect(r, OVERLAPPING, SCALE, origin, 0.05 if dash else 0.45, dash)
             for r, dash in results]
    return body + caption(origin, lines)


def union_panel(origin):
    a, b = Rect(0.5, 0.5, 3, 2), Rect(2.5, 2, 4, 2.5)
    u = geometry.union(a, b)
    return toolbox_panel(origin, "union: the box around both", [(a, False), (b, False)],
                         [(u, True)], [f"a {values(a)}", f"b {values(b)}",
                                       f"union(a, b) {values(u)}"])


def clip_panel(origin):
    a, b, beside = Rect(0.5, 0.5, 4, 3), Rect(2.5, 2, 4, 2.5), Rect(4.5, 0.5, 2, 1)
    c, touching = geometry.clip(a, b), geometry.clip(a, beside)
    return toolbox_panel(origin, "clip: the overlap", [(a, False), (b, False)], [(c, False)],
                         [f"clip(a, b) {values(c)}", f"clip(a, {values(beside)})",
                          f"touching: {values(touching)}"])


def clamp_panel(origin):
    bounds, r, wide = Rect(0.5, 0.5, 6, 4), Rect(5, 3.5, 2.5, 1.5), Rect(1, 1, 6.5, 0.8)
    inside, centred = geometry.clamp(r, bounds), geometry.clamp(wide, bounds)
    return toolbox_panel(origin, "clamp: moved inside bounds",
                         [(bounds, False), (r, True), (wide, True)],
                         [(inside, False), (centred, False)],
                         [f"bounds {values(bounds)}", f"r {values(r)}",
                          f"clamp(r, bounds) {values(inside)}", f"wider {values(wide)}:",
                          f"centred {values(centred)}"])


def inflate_panel(origin):
    r = Rect(2, 1.5, 3, 2)
    grown, shrunk = geometry.inflate(r, 2, 1), geometry.inflate(r, -2, -1)
    return toolbox_panel(origin, "inflate: the centre stays", [(r, False)],
                         [(grown, True), (shrunk, False)],
                         [f"r {values(r)}", f"inflate(r, 2, 1) {values(grown)}",
                          f"inflate(r, -2, -1) {values(shrunk)}"])


def toolbox_svg():
    panels = [union_panel, clip_panel, clamp_panel, inflate_panel]
    body = []
    for i, panel in enumerate(panels):
        body += panel((10 + i * PANEL, TOP))
    return svg_document(10 + len(panels) * PANEL, TOP + 226, body)


def svg_line(a, b, colour, origin, width=1.5, dash=False):
    (x0, y0), (x1, y1) = [(origin[0] + x * SCALE, origin[1] + y * SCALE) for x, y in (a, b)]
    style = ' stroke-dasharray="4 3"' if dash else ""
    return (f'<line x1="{x0:g}" y1="{y0:g}" x2="{x1:g}" y2="{y1:g}" stroke="{colour}" '
            f'stroke-width="{width:g}"{style}/>')


def number(v):
    return f"{v:.3g}"


def lines_svg():
    """Rays over a few rects: each drawn to where raycast says it first hits, the rest of it
    dashed; the hit point, and its normal as a short stroke (a ring for (0, 0))."""
    origin = (10, TOP)
    rects = [Rect(8, 1, 3, 6), Rect(3, 5, 2, 2), Rect(5, 2, 0, 0), Rect(14, 6, -3, -3),
             Rect(16, 1, 2, 7)]
    names = ["wall", "box", "zero-size", "negative", "far wall"]
    rays = [("A", (0.5, 3.5), (10.5, 3.5)), ("B", (1, 0.5), (9, 3.5)), ("C", (1, 1), (4, 7)),
            ("D", (9, 5), (13, 7)), ("E", (11.5, 4.5), (19, 4.5))]
    body = [svg_text(origin[0], 20, "raycast: the first hit along each segment, its point "
                                    "and normal")]
    for r, name in zip(rects, names):
        dashed = r.w < 0 or r.h < 0
        if r.w == r.h == 0:
            body.append(svg_point(origin[0] + r.x * SCALE, origin[1] + r.y * SCALE, True, WALL))
        else:
            body.append(svg_rect(r, WALL, SCALE, origin, 0.1 if dashed else 0.3, dash=dashed))
        body.append(svg_text(origin[0] + (min(r.x, r.right) + 0.1) * SCALE,
                             origin[1] + (max(r.y, r.bottom) + 0.6) * SCALE, name))
    lines = []
    for label, start, end in rays:
        hit = collide.raycast(rects, start, end)
        reach = end if hit is None else hit.point
        body.append(svg_line(start, reach, FREE, origin))
        if hit is not None:
            body.append(svg_line(hit.point, end, FREE, origin, 1, dash=True))
            px, py = hit.point
            nx, ny = hit.normal
            body.append(svg_line(hit.point, (px + 1.2 * nx, py + 1.2 * ny), OVERLAPPING,
                                 origin, 2.5))
            body.append(svg_point(origin[0] + px * SCALE, origin[1] + py * SCALE,
                                  hit.normal != (0.0, 0.0), OVERLAPPING))
        body.append(svg_text(origin[0] + start[0] * SCALE - 12, origin[1] + start[1] * SCALE
                             + 4, label))
        lines.append(f"{label}: " + ("no hit" if hit is None else
                                     f"{names[hit.value]}, t {number(hit.t)}, point "
                                     f"({number(hit.point[0])}, {number(hit.point[1])}), "
                                     f"normal ({hit.normal[0]:g}, {hit.normal[1]:g})"))
    notes = ["A enters a side; B passes through the zero-size rect's point, entering both",
             "axes at once: the normal of the axis it moves less along (y); C goes through a",
             "corner moving less along x; D starts inside (normal (0, 0)); E crosses the",
             "negative-size rect, which holds no point, and hits the far wall."]
    height = 9.5 * SCALE
    body += [svg_text(origin[0], origin[1] + height + 16 * (i + 1), line)
             for i, line in enumerate(lines + [""] + notes)]
    return svg_document(20 + 20 * SCALE, int(origin[1] + height + 16 * (len(lines) + 6)), body)


def main(argv=None):
    top = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", default=os.path.join(top, "docs"))
    out = parser.parse_args(argv).out
    os.makedirs(out, exist_ok=True)
    with contextlib.redirect_stdout(io.StringIO()):
        scene.main(["--svg", os.path.join(out, "scene.svg")])
    for name, draw in (("edge-rules.svg", edge_rules_svg), ("toolbox.svg", toolbox_svg),
                       ("lines.svg", lines_svg),
                       ("motion.svg", platformer.motion_svg)):
        with open(os.path.join(out, name), "w", encoding="utf-8") as f:
            f.write(draw())
    print("pictures written to", out)


if __name__ == "__main__":
    main()
