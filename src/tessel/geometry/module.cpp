// Module start-up and the function table. The docstrings are the signatures only: the
// stubs (geometry.pyi) hold the documentation.
#include <Python.h>

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

template <class F> PyCFunction entry(F *f) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
}

// Signatures, for inspect.signature and for the stubs' check.
PyMethodDef kFunctions[] = {
    {"copy", entry(copy), METH_FASTCALL, PyDoc_STR("copy(r, /)\n--\n\n")},
    {"move", entry(move), METH_FASTCALL, PyDoc_STR("move(r, offset, /)\n--\n\n")},
    {"inflate", entry(inflate), METH_FASTCALL, PyDoc_STR("inflate(r, dw, dh, /)\n--\n\n")},
    {"scale_by", entry(scale_by), METH_FASTCALL, PyDoc_STR("scale_by(r, sx, sy=None, /)\n--\n\n")},
    {"union", entry(union_), METH_FASTCALL, PyDoc_STR("union(a, b, /)\n--\n\n")},
    {"union_all", entry(union_all), METH_FASTCALL, PyDoc_STR("union_all(rects, /)\n--\n\n")},
    {"clip", entry(clip), METH_FASTCALL, PyDoc_STR("clip(a, b, /)\n--\n\n")},
    {"clamp", entry(clamp), METH_FASTCALL, PyDoc_STR("clamp(r, bounds, /)\n--\n\n")},
    {"fit", entry(fit), METH_FASTCALL, PyDoc_STR("fit(r, bounds, /)\n--\n\n")},
    {"contains", entry(contains), METH_FASTCALL, PyDoc_STR("contains(a, b, /)\n--\n\n")},
    {"normalized", entry(normalized), METH_FASTCALL, PyDoc_STR("normalized(r, /)\n--\n\n")},
    {nullptr, nullptr, 0, nullptr},
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
PyModuleDef_Slot kSlots[] = {
    {Py_mod_exec, reinterpret_cast<void *>(exec)},
    // The state is process-wide, as the imported types are.
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
#ifdef Py_mod_gil
    // As its sibling modules, for now.
    {Py_mod_gil, Py_MOD_GIL_USED},
#endif
    {0, nullptr},
};
#pragma GCC diagnostic pop

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT,
    "tessel.geometry.geometry",
    PyDoc_STR("Everyday rect operations (union, clip, clamp, inflate, ...), each making a new "
              "Rect of new vectors."),
    0,  // m_size: all state is process-wide
    kFunctions,
    kSlots,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace
}  // namespace tessel::geometry

PyMODINIT_FUNC PyInit_geometry() { return PyModuleDef_Init(&tessel::geometry::kModule); }
