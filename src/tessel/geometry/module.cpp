// Module start-up and the function table. The docstrings open with the stub's
// (geometry.pyi) first paragraph, which holds the rest.
#include <Python.h>

#include "common/call.hpp"
#include "common/module.hpp"
#include "functions.hpp"

namespace tessel::geometry {

PackageTypes g_types{"tessel.geometry.geometry"};

namespace {

int exec(PyObject *) {
    if (!import_package_types(g_types)) {
        return -1;
    }
    g_types.mark_complete();
    return 0;
}

PyMethodDef kFunctions[] = {
    {"copy", as_method(copy), METH_FASTCALL,
     PyDoc_STR("copy(r, /)\n--\n\n"
               "A new rect with the same x, y, w and h, and vectors of its own: the independent "
               "copy\nthat `Rect(r)` and `copy.copy(r)`, which share r's vectors, are not.")},
    {"move", as_method(move), METH_FASTCALL,
     PyDoc_STR("move(r, offset, /)\n--\n\n"
               "`r` moved by `offset`: (x + dx, y + dy, w, h).")},
    {"inflate", as_method(inflate), METH_FASTCALL,
     PyDoc_STR("inflate(r, dw, dh, /)\n--\n\n"
               "`r` grown by `dw` in width and `dh` in height, its centre kept:\n"
               "(x - dw / 2, y - dh / 2, w + dw, h + dh). Negative amounts shrink it, past zero "
               "to a\nnegative size.")},
    {"scale_by", as_method(scale_by), METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("scale_by(r, sx, sy=None, /, *, about=None)\n--\n\n"
               "`r` with its width times `sx` and its height times `sy` (`sx` when `sy` is "
               "omitted or\nNone), its centre kept: each new x is `centerx - w * sx / 2`, "
               "computed as the `centerx`\nproperty and setter compute it. With `about`, that "
               "point is kept instead: each new x is\n`px + (x - px) * sx`.")},
    {"union", as_method(union_), METH_FASTCALL,
     PyDoc_STR("union(a, b, /)\n--\n\n"
               "The smallest rect whose edges enclose both rects' edges: left and top the "
               "smaller of\nthe two, right and bottom the larger; its width is right - left.")},
    {"union_all", as_method(union_all), METH_FASTCALL,
     PyDoc_STR("union_all(rects, /)\n--\n\n"
               "The union of every rect of any iterable (a generator too, read once, in order); "
               "the\nunion of one rect has its edges.")},
    {"clip", as_method(clip), METH_FASTCALL,
     PyDoc_STR("clip(a, b, /)\n--\n\n"
               "The overlap of two rects: when they overlap by the open rule of\n"
               "`Rect.collide_rect`, the rect between the larger left and top and the smaller "
               "right\nand bottom; otherwise (touching, apart, a NaN anywhere) a zero-size rect "
               "at a's\nposition, `Rect(a.x, a.y, 0, 0)`.")},
    {"clamp", as_method(clamp), METH_FASTCALL,
     PyDoc_STR("clamp(r, bounds, /)\n--\n\n"
               "`r` moved, its size kept, so that on each axis it lies inside `bounds`: its left "
               "at\nbounds' left if it sticks out there, else its right at bounds' right if it "
               "sticks out\nthere. On an axis where r is wider (taller) than `bounds`, it is "
               "centred on `bounds`\ninstead.")},
    {"fit", as_method(fit), METH_FASTCALL,
     PyDoc_STR("fit(r, bounds, /)\n--\n\n"
               "`r` scaled, keeping its aspect ratio, to the largest size that fits inside\n"
               "`bounds`, centred on it. The factor is the smaller of `|bounds.w| / |r.w|`\n"
               "and `|bounds.h| / |r.h|`, and the signs of r's size are kept.")},
    {"contains", as_method(contains), METH_FASTCALL,
     PyDoc_STR("contains(a, b, /)\n--\n\n"
               "Whether `b` lies inside `a`, borders included: both of b's corners (x, y) and\n"
               "(right, bottom) within a by the closed rule of `Rect.collide_point`.")},
    {"normalized", as_method(normalized), METH_FASTCALL,
     PyDoc_STR("normalized(r, /)\n--\n\n"
               "The same area with a size of positive signs: where the width is negative, x "
               "moves\nto the right edge (x + w) and the width becomes -w; the same for the "
               "height. Other\nrects come back as copies.")},
    {"move_ip", as_method(move_ip), METH_FASTCALL,
     PyDoc_STR("move_ip(r, offset, /)\n--\n\n"
               "`move` in place: r's own position becomes (x + dx, y + dy), moving every rect "
               "that\nshares it. Returns None.")},
    {"inflate_ip", as_method(inflate_ip), METH_FASTCALL,
     PyDoc_STR("inflate_ip(r, dw, dh, /)\n--\n\n"
               "`inflate` in place: r's own vectors become (x - dw / 2, y - dh / 2) and\n"
               "(w + dw, h + dh). Returns None.")},
    {"scale_by_ip", as_method(scale_by_ip), METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("scale_by_ip(r, sx, sy=None, /, *, about=None)\n--\n\n"
               "`scale_by` in place: r's own vectors take the values `scale_by` gives, about "
               "r's\ncentre or the point `about`. Returns None.")},
    {"clamp_ip", as_method(clamp_ip), METH_FASTCALL,
     PyDoc_STR("clamp_ip(r, bounds, /)\n--\n\n"
               "`clamp` in place: r's own position moves so that r lies inside `bounds` "
               "(centred on\nan axis where it is larger), its size kept. Returns None.")},
    {"union_ip", as_method(union_ip), METH_FASTCALL,
     PyDoc_STR("union_ip(r, other, /)\n--\n\n"
               "`union` in place: r's own vectors take the box around r and `other`. Returns "
               "None.")},
    {"normalize_ip", as_method(normalize_ip), METH_FASTCALL,
     PyDoc_STR("normalize_ip(r, /)\n--\n\n"
               "`normalized` in place: r's own vectors take the same area with a size of "
               "positive\nsigns. Returns None.")},
    {"clip_line", as_method(clip_line), METH_FASTCALL,
     PyDoc_STR("clip_line(r, start, end, /)\n--\n\n"
               "The part of the segment from `start` to `end` that lies inside `r`, as\n"
               "`((x0, y0), (x1, y1))`: where it enters `r` (exactly on the edge crossed, or "
               "`start`\nwhen that is inside) and where it leaves it (exactly on its edge, or "
               "`end` when that\nis inside); None when it does not meet `r`.")},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kModule = module_definition<exec>(
    "tessel.geometry.geometry",
    PyDoc_STR("Everyday rect operations: union, clip, clamp, inflate and friends, as "
              "functions."),
    kFunctions);

}  // namespace
}  // namespace tessel::geometry

PyMODINIT_FUNC PyInit_geometry() { return PyModuleDef_Init(&tessel::geometry::kModule); }
