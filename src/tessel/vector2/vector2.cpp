// tessel.vector2.vector2: the Vector2 type, a point or a size held as two single-precision
// floats. Other compiled modules of the package build against tessel/vector2.h and create
// vectors through the method table published in Vector2.__dict__["__pyx_vtable__"].
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <atomic>

#include "common/number.hpp"
#include "common/ref.hpp"
#include "common/vector_type.hpp"
#include "tessel/vector2.h"

namespace {

using tessel::Ref;
using tessel::to_double;

PyObject *new_vector2(double x, double y);

Vector2VTable vector2_vtable = {
    .__pyx_new = new_vector2,
};

extern PyTypeObject Vector2Type;

// ---------------------------------------------------------------------------------------
// Storage

vector2_t &data_of(PyObject *self) { return reinterpret_cast<Vector2Object *>(self)->data; }

// Without the global lock, several threads may read and write one vector at once. Relaxed
// atomic access keeps each component whole; the two components are not updated as one.
float load(float &component) {
    return std::atomic_ref<float>(component).load(std::memory_order_relaxed);
}
void store(float &component, float value) {
    std::atomic_ref<float>(component).store(value, std::memory_order_relaxed);
}
vector2_t load(vector2_t &v) { return {load(v.x), load(v.y)}; }

// Round to nearest; magnitudes beyond the float range become infinities (IEEE-754).
float narrow(double value) { return static_cast<float>(value); }

// ---------------------------------------------------------------------------------------
// Construction

PyObject *vector2_new(PyTypeObject *type, PyObject *, PyObject *) {
    PyObject *self = type->tp_alloc(type, 0);  // zero-filled: the vector (0, 0)
    if (self != nullptr) {
        reinterpret_cast<Vector2Object *>(self)->vtab = &vector2_vtable;
    }
    return self;
}

int vector2_init(PyObject *self, PyObject *args, PyObject *kwargs) {
    static const char *const keywords[] = {"x", "y", nullptr};
    double x = 0.0;
    double y = 0.0;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|dd:Vector2", keywords, &x, &y)) {
        return -1;
    }
    vector2_t &v = data_of(self);
    store(v.x, narrow(x));
    store(v.y, narrow(y));
    return 0;
}

// Method-table entry __pyx_new: a new exact Vector2.
PyObject *new_vector2(double x, double y) {
    PyObject *self = vector2_new(&Vector2Type, nullptr, nullptr);
    if (self != nullptr) {
        data_of(self) = {narrow(x), narrow(y)};  // not yet shared with any thread
    }
    return self;
}

// ---------------------------------------------------------------------------------------
// Components

struct Component {
    const char *name;
    float vector2_t::*field;
};

Component component_x = {"x", &vector2_t::x};
Component component_y = {"y", &vector2_t::y};

PyObject *get_component(PyObject *self, void *closure) {
    const auto *c = static_cast<const Component *>(closure);
    return PyFloat_FromDouble(load(data_of(self).*(c->field)));
}

int set_component(PyObject *self, PyObject *value, void *closure) {
    const auto *c = static_cast<const Component *>(closure);
    if (value == nullptr) {
        PyErr_Format(PyExc_TypeError, "cannot delete %s", c->name);
        return -1;
    }
    double d;
    if (!to_double(value, &d)) {
        return -1;
    }
    store(data_of(self).*(c->field), narrow(d));
    return 0;
}

// ---------------------------------------------------------------------------------------
// Comparison, text and pickling

PyObject *vector2_richcompare(PyObject *self, PyObject *other, int op) {
    if ((op != Py_EQ && op != Py_NE) || !PyObject_TypeCheck(other, &Vector2Type)) {
        Py_RETURN_NOTIMPLEMENTED;
    }
    vector2_t a = load(data_of(self));
    vector2_t b = load(data_of(other));
    bool equal = a.x == b.x && a.y == b.y;
    return PyBool_FromLong(equal == (op == Py_EQ));
}

PyObject *vector2_repr(PyObject *self) {
    vector2_t v = load(data_of(self));
    Ref name = Ref::steal(PyType_GetName(Py_TYPE(self)));
    Ref x = Ref::steal(PyFloat_FromDouble(v.x));
    Ref y = Ref::steal(PyFloat_FromDouble(v.y));
    if (!name || !x || !y) {
        return nullptr;
    }
    return PyUnicode_FromFormat("%U(%R, %R)", name.get(), x.get(), y.get());
}

// Pickled as a call of the type with the components.
PyObject *vector2_reduce(PyObject *self, PyObject *) {
    vector2_t v = load(data_of(self));
    return tessel::reduce_vector(self, &Vector2Type,
                                 Ref::steal(Py_BuildValue("(dd)", double(v.x), double(v.y))));
}

// ---------------------------------------------------------------------------------------
// The type

// Slots left out of the designated initializers below are meant to be zero.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

PyGetSetDef vector2_getset[] = {
    {"x", get_component, set_component, "x component (single precision)", &component_x},
    {"y", get_component, set_component, "y component (single precision)", &component_y},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef vector2_methods[] = {
    {"__reduce__", vector2_reduce, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyTypeObject Vector2Type = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = "tessel.vector2.vector2.Vector2",
    .tp_basicsize = sizeof(Vector2Object),
    .tp_repr = vector2_repr,
    .tp_hash = PyObject_HashNotImplemented,
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE,
    .tp_doc = PyDoc_STR("Vector2(x=0.0, y=0.0)\n--\n\nA pair of single-precision floats."),
    .tp_richcompare = vector2_richcompare,
    .tp_methods = vector2_methods,
    .tp_getset = vector2_getset,
    .tp_init = vector2_init,
    .tp_new = vector2_new,
};

// ---------------------------------------------------------------------------------------
// The module

int vector2_exec(PyObject *module) {
    return tessel::publish_vector_type(module, &Vector2Type, &vector2_vtable);
}

PyModuleDef_Slot vector2_slots[] = {
    {Py_mod_exec, reinterpret_cast<void *>(vector2_exec)},
    // The type is a static object shared by the whole process.
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
#ifdef Py_mod_gil
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
#endif
    {0, nullptr},
};

PyModuleDef vector2_module = {
    .m_base = PyModuleDef_HEAD_INIT,
    .m_name = "tessel.vector2.vector2",
    .m_doc = PyDoc_STR("The Vector2 type."),
    .m_size = 0,
    .m_slots = vector2_slots,
};

#pragma GCC diagnostic pop

}  // namespace

PyMODINIT_FUNC PyInit_vector2(void) { return PyModuleDef_Init(&vector2_module); }
