// Module start-up: imports the Rect type with its method table and the vector types
// (common/types.hpp), and readies the Index type.
#include <Python.h>

#include "common/ref.hpp"
#include "functions.hpp"
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
        PyModule_AddObjectRef(module, "Index", reinterpret_cast<PyObject *>(&IndexType)) < 0) {
        return -1;
    }
    g_state.rect_vtab = g_state.types.rect_table();
    g_state.types.mark_complete();
    return 0;
}

PyMethodDef kFunctions[] = {
    {"point_hits", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(point_hits)),
     METH_FASTCALL, PyDoc_STR("point_hits(rects, point, /)\n--\n\n"
                              "Indices of the rects that contain the point, ascending.")},
    {"rect_hits", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(rect_hits)),
     METH_FASTCALL, PyDoc_STR("rect_hits(rects, other, /)\n--\n\n"
                              "Indices of the rects that overlap other, ascending.")},
    {"first_rect_hit",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(first_rect_hit)), METH_FASTCALL,
     PyDoc_STR("first_rect_hit(rects, other, /)\n--\n\n"
               "Index of the first rect that overlaps other, or -1.")},
    {"overlapping_pairs",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(overlapping_pairs)),
     METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("overlapping_pairs(rects, /, *, flat=False)\n--\n\n"
               "Every pair (i, j), i < j, of overlapping rects, sorted; with flat, an\n"
               "array('I') of i0, j0, i1, j1, ...")},
    {"overlapping_pairs_between",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(overlapping_pairs_between)),
     METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("overlapping_pairs_between(a, b, /, *, flat=False)\n--\n\n"
               "Every pair (i, j) with a[i] overlapping b[j], sorted; with flat, an\n"
               "array('I') of i0, j0, i1, j1, ...")},
    // For the tests: which pair kernel later calls of this thread use, which one ran, and
    // what memory the pair calls keep.
    {"_use_kernel", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(use_kernel_hook)),
     METH_FASTCALL, nullptr},
    {"_last_kernel", last_kernel_hook, METH_NOARGS, nullptr},
    {"_kept_bytes", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(kept_bytes_hook)),
     METH_FASTCALL, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
PyModuleDef_Slot kSlots[] = {
    {Py_mod_exec, reinterpret_cast<void *>(exec)},
    // The state is process-wide, as the imported types are.
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
#ifdef Py_mod_gil
    // As the rect module, for now.
    {Py_mod_gil, Py_MOD_GIL_USED},
#endif
    {0, nullptr},
};
#pragma GCC diagnostic pop

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT,
    "tessel.collide.collide",
    PyDoc_STR("Collision queries over many rects in one call, with the answers of "
              "Rect.collide_point and Rect.collide_rect."),
    0,  // m_size: all state is process-wide
    kFunctions,
    kSlots,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace
}  // namespace tessel::collide

PyMODINIT_FUNC PyInit_collide() { return PyModuleDef_Init(&tessel::collide::kModule); }
