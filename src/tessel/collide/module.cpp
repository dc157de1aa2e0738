// Module start-up: imports the Rect type with its method table and the vector types
// (common/types.hpp), readies the Index type, and makes the private module of test hooks
// (testing.cpp); and the function table.
#include <Python.h>

#include "common/call.hpp"
#include "common/module.hpp"
#include "common/ref.hpp"
#include "functions.hpp"
#include "hit.hpp"
#include "index.hpp"
#include "state.hpp"

namespace tessel::collide {

State g_state;

namespace {

int exec(PyObject *module) {
    if (!import_package_types(g_state.types)) {
        return -1;
    }
    if (g_state.position_name == nullptr &&
        (g_state.position_name = PyUnicode_InternFromString("position")) == nullptr) {
        return -1;
    }
    if (PyType_Ready(&PackedType) < 0 || PyType_Ready(&IndexType) < 0 ||
        PyModule_AddObjectRef(module, "Index", reinterpret_cast<PyObject *>(&IndexType)) < 0 ||
        !add_hit_type(module) || !add_testing_module()) {
        return -1;
    }
    g_state.rect_vtab = g_state.types.rect_table();
    g_state.types.mark_complete();
    return 0;
}

// The docstrings open with the stub's (collide.pyi) first paragraph, which holds the rest.
PyMethodDef kFunctions[] = {
    {"point_hits", as_method(point_hits), METH_FASTCALL,
     PyDoc_STR("point_hits(rects, point, /)\n--\n\n"
               "The indices `i` of the rects that contain the point, ascending: those for which\n"
               "`rects[i].collide_point(point)` is true (borders inside).")},
    {"rect_hits", as_method(rect_hits), METH_FASTCALL,
     PyDoc_STR("rect_hits(rects, other, /)\n--\n\n"
               "The indices `i` of the rects that overlap `other`, ascending: those for which\n"
               "`rects[i].collide_rect(other)` is true (touching is no overlap).")},
    {"first_rect_hit", as_method(first_rect_hit), METH_FASTCALL,
     PyDoc_STR("first_rect_hit(rects, other, /)\n--\n\n"
               "The index of the first rect that overlaps `other`, or -1 when none does; the "
               "rects\nafter it are not tested. Arguments as for `rect_hits`.")},
    {"overlapping_pairs", as_method(overlapping_pairs), METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("overlapping_pairs(rects, /, *, flat=False)\n--\n\n"
               "Every pair `(i, j)`, `i < j`, such that `rects[i].collide_rect(rects[j])`, "
               "sorted.")},
    {"overlapping_pairs_between", as_method(overlapping_pairs_between),
     METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("overlapping_pairs_between(a, b, /, *, flat=False)\n--\n\n"
               "Every pair `(i, j)` such that `a[i].collide_rect(b[j])`, sorted. An error "
               "raised\nwhile testing carries the note `while testing a[i] against b[j]`. "
               "`flat=True` gives the\npairs as one `array('I')`, as for "
               "`overlapping_pairs`.")},
    {"raycast", as_method(raycast), METH_FASTCALL,
     PyDoc_STR("raycast(rects, start, end, /)\n--\n\n"
               "The first rect the segment from `start` to `end` meets, as a `Hit` whose "
               "`value` is\nits index: the hit of least `t`, the lowest index among equal "
               "ones; None when it\nmeets none.")},
    {"segment_hits", as_method(segment_hits), METH_FASTCALL,
     PyDoc_STR("segment_hits(rects, start, end, /)\n--\n\n"
               "Every rect the segment from `start` to `end` meets, as a list of `Hit` "
               "ordered by `t`,\nthen by index.")},
    {"sweep", as_method(sweep), METH_FASTCALL,
     PyDoc_STR("sweep(rects, moving, offset, /)\n--\n\n"
               "The first rect that `moving`, moved by `offset`, would come to overlap, as a "
               "`Hit` whose\n`value` is its index: the contact of least `t`, the lowest index "
               "among equal ones; None\nwhen it meets none.")},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kModule = module_definition<exec>(
    "tessel.collide.collide",
    PyDoc_STR("Collision questions over many rects in one call, with exactly the answers and "
              "errors of\na loop over the `Rect` methods `collide_point` and `collide_rect`."),
    kFunctions);

}  // namespace
}  // namespace tessel::collide

PyMODINIT_FUNC PyInit_collide() { return PyModuleDef_Init(&tessel::collide::kModule); }
