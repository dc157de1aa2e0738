// The Rect object: its type, lifecycle and method table.
#include <Python.h>

#include "common/ref.hpp"
#include "frames.hpp"
#include "operations.hpp"
#include "state.hpp"
#include "vectors.hpp"

namespace tessel::rect {

State g_state;

// Filled at start-up, before the type is readied; every instance points here.
RectVTable g_rect_vtable;

PyObject *rect_tp_new(PyTypeObject *type, PyObject *, PyObject *) {
    PyObject *o = type->tp_alloc(type, 0);
    if (o == nullptr) {
        return nullptr;
    }
    RectObject *r = as_rect(o);
    r->vtab = &g_rect_vtable;
    r->position = Py_NewRef(Py_None);
    r->size = Py_NewRef(Py_None);
    return o;
}

PyObject *rect_new(PyObject *position, PyObject *size) {
    // The one store that checks nothing: a compiled client may call it before the start-up
    // has completed, and a rect must not hold vectors then.
    if (!require_started()) {
        add_frame(Frame::new_);
        return nullptr;
    }
    PyObject *empty = PyTuple_New(0);
    PyObject *o = empty ? rect_tp_new(&RectType, empty, nullptr) : nullptr;
    Py_XDECREF(empty);
    if (o == nullptr) {
        add_frame(Frame::new_);
        return nullptr;
    }
    store(as_rect(o), Field::position, position);
    store(as_rect(o), Field::size, size);
    return o;
}

namespace {

// Traverse and dealloc read the fields without the critical section of field(): the
// collector calls traverse with every other thread stopped, and a rect being destroyed is
// reachable from no other thread.
int rect_traverse(PyObject *self, visitproc visit, void *arg) {
    RectObject *r = as_rect(self);
    Py_VISIT(r->position);
    Py_VISIT(r->size);
    return 0;
}

int rect_clear(PyObject *self) {
    RectObject *r = as_rect(self);
    store(r, Field::position, Py_None);
    store(r, Field::size, Py_None);
    return 0;
}

void rect_dealloc(PyObject *self) {
    RectObject *r = as_rect(self);
    PyObject_GC_UnTrack(self);
    Py_CLEAR(r->position);
    Py_CLEAR(r->size);
    Py_TYPE(self)->tp_free(self);
}

}  // namespace

// Static and immutable; no base-type flag (no subclasses), no instance dict, no weak
// references; unhashable because it compares and defines no hash. Each slot says the file
// that owns it (see operations.hpp); the lifecycle is here, the methods are installed in
// the class dictionary at start-up (methods.cpp, module.cpp).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
PyTypeObject RectType = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = "tessel.rect.rect.Rect",
    .tp_basicsize = sizeof(RectObject),
    .tp_itemsize = 0,
    .tp_dealloc = rect_dealloc,
    .tp_repr = rect_repr,              // convert.cpp
    .tp_as_sequence = &kRectSequence,  // sequence.cpp
    .tp_as_mapping = &kRectMapping,    // sequence.cpp
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    .tp_doc = nullptr,
    .tp_traverse = rect_traverse,
    .tp_clear = rect_clear,
    .tp_richcompare = rect_richcompare,  // convert.cpp
    .tp_getset = kRectProperties,        // geometry.cpp, from TESSEL_RECT_PROPERTIES
    .tp_init = rect_init,                // construct.cpp
    .tp_new = rect_tp_new,
};
#pragma GCC diagnostic pop

}  // namespace tessel::rect
