// How a vector pickles and copies.
//
// The exact type, and a subclass that is made the way the base type is (the base type's
// __new__ and __init__, an ordinary metaclass), reduce to a call of the type with the
// components: (type(self), components), plus the state that __getstate__ gives when the
// instance has attributes of its own (its __dict__, or its slots). Any other subclass may
// take other constructor arguments, so it is rebuilt the way pickle rebuilds plain objects,
// without its constructor: copyreg.__newobj__ makes the instance with cls.__new__(cls), the
// reduce value's dict items restore the components by item assignment (v[i] = c), and the
// state its attributes (through its own __setstate__, if it has one). Both forms load with
// earlier versions of the package too.
#ifndef TESSEL_COMMON_VECTOR_PICKLE_HPP
#define TESSEL_COMMON_VECTOR_PICKLE_HPP

#include <Python.h>

#include "common/ref.hpp"

namespace tessel {

// Whether calling `t` with the components rebuilds the instance: construction is `base`'s.
inline bool built_like(PyTypeObject *t, PyTypeObject *base) {
    return t->tp_new == base->tp_new && t->tp_init == base->tp_init &&
           Py_TYPE(t)->tp_call == PyType_Type.tp_call;
}

// The state __getstate__ gives, or None when the instance has no attributes of its own.
inline Ref own_state(PyObject *self) {
    Ref state = Ref::steal(PyObject_CallMethod(self, "__getstate__", nullptr));
    if (state && PyDict_CheckExact(state.get()) && PyDict_GET_SIZE(state.get()) == 0) {
        return Ref::borrow(Py_None);
    }
    return state;
}

// ((0, c0), (1, c1), ...) as an iterator: the reduce value's dict items.
inline Ref component_items(PyObject *components) {
    Py_ssize_t n = PyTuple_GET_SIZE(components);
    Ref items = Ref::steal(PyTuple_New(n));
    for (Py_ssize_t i = 0; items && i < n; ++i) {
        Ref index = Ref::steal(PyLong_FromSsize_t(i));
        PyObject *pair =
            index ? PyTuple_Pack(2, index.get(), PyTuple_GET_ITEM(components, i)) : nullptr;
        if (pair == nullptr) {
            return Ref();
        }
        PyTuple_SET_ITEM(items.get(), i, pair);
    }
    return items ? Ref::steal(PyObject_GetIter(items.get())) : Ref();
}

// The reduce value of `self`, whose components (a tuple of floats) are given.
inline PyObject *reduce_vector(PyObject *self, PyTypeObject *base, Ref components) {
    if (!components) {
        return nullptr;
    }
    PyTypeObject *t = Py_TYPE(self);
    PyObject *cls = reinterpret_cast<PyObject *>(t);
    if (t == base) {
        return PyTuple_Pack(2, cls, components.get());
    }
    Ref state = own_state(self);
    if (!state) {
        return nullptr;
    }
    if (built_like(t, base)) {
        return state.get() == Py_None ? PyTuple_Pack(2, cls, components.get())
                                      : PyTuple_Pack(3, cls, components.get(), state.get());
    }
    Ref copyreg = Ref::steal(PyImport_ImportModule("copyreg"));
    Ref newobj = copyreg ? Ref::steal(PyObject_GetAttrString(copyreg.get(), "__newobj__")) : Ref();
    Ref args = newobj ? Ref::steal(PyTuple_Pack(1, cls)) : Ref();
    Ref items = args ? component_items(components.get()) : Ref();
    if (!items) {
        return nullptr;
    }
    return PyTuple_Pack(5, newobj.get(), args.get(), state.get(), Py_None, items.get());
}

}  // namespace tessel

#endif
