// Module start-up: imports the Rect type with its method table and the vector types, and
// checks what reading a Vector2's record in place of its attribute access relies on.
#include <Python.h>

#include "common/ref.hpp"
#include "functions.hpp"
#include "state.hpp"

namespace tessel::collide {

State g_state;

namespace {

// The type `name` of module `module_name`, checked to be a type whose instances are at
// least `size` bytes; a new reference, or nullptr with an exception set.
PyTypeObject *import_type(const char *module_name, const char *name, Py_ssize_t size) {
    Ref module = Ref::steal(PyImport_ImportModule(module_name));
    Ref object = module ? Ref::steal(PyObject_GetAttrString(module.get(), name)) : Ref();
    if (!object) {
        return nullptr;
    }
    if (!PyType_Check(object.get())) {
        PyErr_Format(PyExc_TypeError, "%.200s.%.200s is not a type object", module_name, name);
        return nullptr;
    }
    auto *type = reinterpret_cast<PyTypeObject *>(object.get());
    if (type->tp_basicsize < size) {
        PyErr_Format(PyExc_ValueError,
                     "%.200s.%.200s size changed, may indicate binary incompatibility. Expected "
                     "%zd from C header, got %zd from PyObject",
                     module_name, name, size, type->tp_basicsize);
        return nullptr;
    }
    return reinterpret_cast<PyTypeObject *>(object.release());
}

// The capsule's pointer in the type's dictionary under __pyx_vtable__.
void *vtable_of(PyTypeObject *type) {
    Ref dict = Ref::steal(PyType_GetDict(type));
    PyObject *capsule = dict ? PyDict_GetItemString(dict.get(), "__pyx_vtable__") : nullptr;
    if (capsule == nullptr) {
        PyErr_Format(PyExc_ImportError, "%.200s publishes no method table", type->tp_name);
        return nullptr;
    }
    return PyCapsule_GetPointer(capsule, nullptr);
}

// True when an exact Vector2's x and y can only end in its own descriptors: the type is
// immutable, with the generic attribute access, and x and y are data descriptors of the
// type itself (so no instance dict can shadow them). Their values then are the record's.
bool record_is_attribute(PyTypeObject *type) {
    if (!PyType_HasFeature(type, Py_TPFLAGS_IMMUTABLETYPE) ||
        type->tp_getattro != PyObject_GenericGetAttr) {
        return false;
    }
    Ref dict = Ref::steal(PyType_GetDict(type));
    for (const char *name : {"x", "y"}) {
        PyObject *d = dict ? PyDict_GetItemString(dict.get(), name) : nullptr;
        if (d == nullptr || !Py_IS_TYPE(d, &PyGetSetDescr_Type) ||
            reinterpret_cast<PyDescrObject *>(d)->d_type != type) {
            return false;
        }
    }
    return true;
}

int exec(PyObject *) {
    PyTypeObject *rect = import_type("tessel.rect.rect", "Rect", sizeof(RectObject));
    PyTypeObject *vector2 =
        rect ? import_type("tessel.vector2.vector2", "Vector2", sizeof(Vector2Object)) : nullptr;
    PyTypeObject *vector4 =
        vector2 ? import_type("tessel.vector4.vector4", "Vector4", sizeof(Vector4Object))
                : nullptr;
    void *vtab = vector4 ? vtable_of(rect) : nullptr;
    if (vtab == nullptr) {
        Py_XDECREF(rect);
        Py_XDECREF(vector2);
        Py_XDECREF(vector4);
        return -1;
    }
    // Held for the life of the process, as the types themselves are.
    Py_XSETREF(g_state.rect_type, rect);
    Py_XSETREF(g_state.vector2_type, vector2);
    Py_XSETREF(g_state.vector4_type, vector4);
    g_state.rect_vtab = static_cast<RectVTable *>(vtab);
    g_state.vector2_record = record_is_attribute(vector2);
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
