// tessel.vector4.vector4: the Vector4 type, four double-precision floats (a rect converts
// to one as left, top, width, height). Other compiled modules of the package build against
// tessel/vector4.h and create vectors through the method table published in
// Vector4.__dict__["__pyx_vtable__"].
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <atomic>

#include "common/number.hpp"
#include "common/ref.hpp"
#include "common/vector_type.hpp"
#include "tessel/vector4.h"

namespace {

using tessel::Ref;
using tessel::to_double;

PyObject *new_vector4(double x, double y, double z, double w);

Vector4VTable vector4_vtable = {
    .__pyx_new = new_vector4,
};

extern PyTypeObject Vector4Type;

// ---------------------------------------------------------------------------------------
// Storage

vector4_t &data_of(PyObject *self) { return reinterpret_cast<Vector4Object *>(self)->data; }

// Without the global lock, several threads may read and write one vector at once. Relaxed
// atomic access keeps each component whole; the components are not updated as one.
double load(double &component) {
    return std::atomic_ref<double>(component).load(std::memory_order_relaxed);
}
void store(double &component, double value) {
    std::atomic_ref<double>(component).store(value, std::memory_order_relaxed);
}
vector4_t load(vector4_t &v) { return {load(v.x), load(v.y), load(v.z), load(v.w)}; }

// ---------------------------------------------------------------------------------------
// Construction

PyObject *vector4_new(PyTypeObject *type, PyObject *, PyObject *) {
    PyObject *self = type->tp_alloc(type, 0);  // zero-filled: the vector (0, 0, 0, 0)
    if (self != nullptr) {
        reinterpret_cast<Vector4Object *>(self)->vtab = &vector4_vtable;
    }
    return self;
}

int vector4_init(PyObject *self, PyObject *args, PyObject *kwargs) {
    static const char *const keywords[] = {"x", "y", "z", "w", nullptr};
    vector4_t given = {0.0, 0.0, 0.0, 0.0};
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|dddd:Vector4", keywords, &given.x, &given.y,
                                     &given.z, &given.w)) {
        return -1;
    }
    vector4_t &v = data_of(self);
    store(v.x, given.x);
    store(v.y, given.y);
    store(v.z, given.z);
    store(v.w, given.w);
    return 0;
}

// Method-table entry __pyx_new: a new exact Vector4.
PyObject *new_vector4(double x, double y, double z, double w) {
    PyObject *self = vector4_new(&Vector4Type, nullptr, nullptr);
    if (self != nullptr) {
        data_of(self) = {x, y, z, w};  // not yet shared with any thread
    }
    return self;
}

// ---------------------------------------------------------------------------------------
// Components

struct Component {
    const char *name;
    double vector4_t::*field;
};

Component component_x = {"x", &vector4_t::x};
Component component_y = {"y", &vector4_t::y};
Component component_z = {"z", &vector4_t::z};
Component component_w = {"w", &vector4_t::w};

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
    store(data_of(self).*(c->field), d);
    return 0;
}

// ---------------------------------------------------------------------------------------
// Comparison, text and pickling

PyObject *vector4_richcompare(PyObject *self, PyObject *other, int op) {
    if ((op != Py_EQ && op != Py_NE) || !PyObject_TypeCheck(other, &Vector4Type)) {
        Py_RETURN_NOTIMPLEMENTED;
    }
    vector4_t a = load(data_of(self));
    vector4_t b = load(data_of(other));
    bool equal = a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
    return PyBool_FromLong(equal == (op == Py_EQ));
}

PyObject *vector4_repr(PyObject *self) {
    vector4_t v = load(data_of(self));
    Ref name = Ref::steal(PyType_GetName(Py_TYPE(self)));
    Ref x = Ref::steal(PyFloat_FromDouble(v.x));
    Ref y = Ref::steal(PyFloat_FromDouble(v.y));
    Ref z = Ref::steal(PyFloat_FromDouble(v.z));
    Ref w = Ref::steal(PyFloat_FromDouble(v.w));
    if (!name || !x || !y || !z || !w) {
        return nullptr;
    }
    return PyUnicode_FromFormat("%U(%R, %R, %R, %R)", name.get(), x.get(), y.get(), z.get(),
                                w.get());
}

// Pickled as a call of the type with the components.
PyObject *vector4_reduce(PyObject *self, PyObject *) {
    vector4_t v = load(data_of(self));
    return tessel::reduce_vector(self, &Vector4Type,
                                 Ref::steal(Py_BuildValue("(dddd)", v.x, v.y, v.z, v.w)));
}

// ---------------------------------------------------------------------------------------
// The type

// Slots left out of the designated initializers below are meant to be zero.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

PyGetSetDef vector4_getset[] = {
    {"x", get_component, set_component, "x component", &component_x},
    {"y", get_component, set_component, "y component", &component_y},
    {"z", get_component, set_component, "z component", &component_z},
    {"w", get_component, set_component, "w component", &component_w},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef vector4_methods[] = {
    {"__reduce__", vector4_reduce, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

PyTypeObject Vector4Type = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = "tessel.vector4.vector4.Vector4",
    .tp_basicsize = sizeof(Vector4Object),
    .tp_repr = vector4_repr,
    .tp_hash = PyObject_HashNotImplemented,
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE,
    .tp_doc = PyDoc_STR("Vector4(x=0.0, y=0.0, z=0.0, w=0.0)\n--\n\nFour double-precision floats."),
    .tp_richcompare = vector4_richcompare,
    .tp_methods = vector4_methods,
    .tp_getset = vector4_getset,
    .tp_init = vector4_init,
    .tp_new = vector4_new,
};

// ---------------------------------------------------------------------------------------
// The module

int vector4_exec(PyObject *module) {
    return tessel::publish_vector_type(module, &Vector4Type, &vector4_vtable);
}

PyModuleDef_Slot vector4_slots[] = {
    {Py_mod_exec, reinterpret_cast<void *>(vector4_exec)},
    // The type is a static object shared by the whole process.
    {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
#ifdef Py_mod_gil
    {Py_mod_gil, Py_MOD_GIL_NOT_USED},
#endif
    {0, nullptr},
};

PyModuleDef vector4_module = {
    .m_base = PyModuleDef_HEAD_INIT,
    .m_name = "tessel.vector4.vector4",
    .m_doc = PyDoc_STR("The Vector4 type."),
    .m_size = 0,
    .m_slots = vector4_slots,
};

#pragma GCC diagnostic pop

}  // namespace

PyMODINIT_FUNC PyInit_vector4(void) { return PyModuleDef_Init(&vector4_module); }
