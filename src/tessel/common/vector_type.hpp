// What the vector modules share: publishing a type with its method table, and the reduce
// value that pickles an instance by its components.
#ifndef TESSEL_COMMON_VECTOR_TYPE_HPP
#define TESSEL_COMMON_VECTOR_TYPE_HPP

#include <Python.h>

#include "common/ref.hpp"

namespace tessel {

// Readies `type`, stores its method table in its dictionary under "__pyx_vtable__" as a
// capsule without a name, and adds the type to `module`. 0, or -1 with an exception set.
inline int publish_vector_type(PyObject *module, PyTypeObject *type, void *vtable) {
    if (PyType_Ready(type) < 0) {
        return -1;
    }
    Ref dict = Ref::steal(PyType_GetDict(type));
    Ref capsule = Ref::steal(PyCapsule_New(vtable, nullptr, nullptr));
    if (!dict || !capsule ||
        PyDict_SetItemString(dict.get(), "__pyx_vtable__", capsule.get()) < 0) {
        return -1;
    }
    PyType_Modified(type);
    return PyModule_AddType(module, type);
}

// (type(self), components), plus the state that __getstate__ gives for a subclass instance
// with attributes of its own (its __dict__, or its slots). `exact` is the base type.
inline PyObject *reduce_vector(PyObject *self, PyTypeObject *exact, Ref components) {
    if (!components) {
        return nullptr;
    }
    PyObject *type = reinterpret_cast<PyObject *>(Py_TYPE(self));
    if (Py_IS_TYPE(self, exact)) {
        return PyTuple_Pack(2, type, components.get());
    }
    Ref state = Ref::steal(PyObject_CallMethod(self, "__getstate__", nullptr));
    if (!state) {
        return nullptr;
    }
    bool empty = state.get() == Py_None ||
                 (PyDict_CheckExact(state.get()) && PyDict_GET_SIZE(state.get()) == 0);
    if (empty) {
        return PyTuple_Pack(2, type, components.get());
    }
    return PyTuple_Pack(3, type, components.get(), state.get());
}

}  // namespace tessel

#endif
