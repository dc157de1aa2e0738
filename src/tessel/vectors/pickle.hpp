// How a vector pickles and copies.
//
// The exact type, and a subclass that is made the way the base type is (the base type's
// __new__ and __init__, an ordinary metaclass), reduce to a call of the type with the
// components: (type(self), components), plus the state that __getstate__ gives when the
// instance has attributes of its own (its __dict__, or its slots). Any other subclass may
// take other constructor arguments, so it is rebuilt without its own __new__ and __init__,
// the way pickle rebuilds plain objects: copyreg._reconstructor(cls, base, components) makes
// the instance with base.__new__(cls, components) and sets its components with
// base.__init__(instance, components); then the state restores its attributes (through its
// own __setstate__, if it has one). Both forms load with earlier versions of the package
// too, and with every pickle protocol.
#ifndef TESSEL_VECTORS_PICKLE_HPP
#define TESSEL_VECTORS_PICKLE_HPP

#include <Python.h>

#include <utility>

#include "common/ref.hpp"
#include "vectors/object.hpp"

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
    Ref rebuild =
        copyreg ? Ref::steal(PyObject_GetAttrString(copyreg.get(), "_reconstructor")) : Ref();
    Ref args =
        rebuild
            ? Ref::steal(PyTuple_Pack(3, cls, reinterpret_cast<PyObject *>(base), components.get()))
            : Ref();
    if (!args) {
        return nullptr;
    }
    return PyTuple_Pack(3, rebuild.get(), args.get(), state.get());
}

template <class Spec> struct VectorPickle : VectorObject<Spec> {
    using Base = VectorObject<Spec>;
    using Base::load;
    using Base::N;
    using Base::type;
    using typename Base::Values;

    static PyObject *reduce(PyObject *self, PyObject *) {
        Values v = load(self);
        Ref components = Ref::steal(PyTuple_New(N));
        for (Py_ssize_t i = 0; components && i < N; ++i) {
            PyObject *c = PyFloat_FromDouble(v[i]);
            if (c == nullptr) {
                return nullptr;
            }
            PyTuple_SET_ITEM(components.get(), i, c);
        }
        return reduce_vector(self, &type, std::move(components));
    }
};

}  // namespace tessel

#endif
