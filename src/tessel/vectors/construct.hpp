// Making a vector from Python: Vector2(x, y), Vector2(pair), and the like for every vector.
#ifndef TESSEL_VECTORS_CONSTRUCT_HPP
#define TESSEL_VECTORS_CONSTRUCT_HPP

#include <Python.h>

#include <tuple>

#include "vectors/operands.hpp"

namespace tessel {

template <class Spec> struct VectorConstruct : VectorOperands<Spec> {
    using Base = VectorOperands<Spec>;
    using Base::operand;
    using Base::store_all;
    using typename Base::Values;

    static PyObject *tp_new(PyTypeObject *t, PyObject *, PyObject *) {
        PyObject *self = t->tp_alloc(t, 0);  // zero-filled: the zero vector
        if (self != nullptr) {
            reinterpret_cast<typename Spec::Object *>(self)->vtab = &Spec::vtable;
        }
        return self;
    }

    static int tp_init(PyObject *self, PyObject *args, PyObject *kwargs) {
        Values v{};
        // One positional argument that is not a float or an int: N numbers in a vector,
        // sequence or buffer. Anything else is parsed as the components, as it always was.
        if (PyTuple_GET_SIZE(args) == 1 && (kwargs == nullptr || PyDict_GET_SIZE(kwargs) == 0)) {
            PyObject *o = PyTuple_GET_ITEM(args, 0);
            Read read = PyFloat_Check(o) || PyLong_Check(o) ? Read::other : operand(o, v);
            if (read != Read::other) {
                return read == Read::ok ? (store_all(self, v), 0) : -1;
            }
        }
        bool parsed = std::apply(
            [&](auto &...d) {
                return PyArg_ParseTupleAndKeywords(args, kwargs, Spec::init_format,
                                                   Spec::names.data(), &d...) != 0;
            },
            v);
        if (!parsed) {
            return -1;
        }
        store_all(self, v);
        return 0;
    }
};

}  // namespace tessel

#endif
