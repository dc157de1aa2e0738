// Making a vector from Python: Vector2(x, y), Vector2(pair), and the like for every vector;
// and update(...), which takes the same forms to change a vector in place.
#ifndef TESSEL_VECTORS_CONSTRUCT_HPP
#define TESSEL_VECTORS_CONSTRUCT_HPP

#include <Python.h>

#include <array>
#include <cstddef>
#include <tuple>

#include "vectors/operands.hpp"

namespace tessel {

template <class Spec> struct VectorConstruct : VectorOperands<Spec> {
    using Base = VectorOperands<Spec>;
    using Base::N;
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

    // The components that the constructor's forms give, parsed by `format` (which names the
    // function in its errors).
    static bool components(PyObject *args, PyObject *kwargs, const char *format, Values &v) {
        v = Values{};
        // One positional argument that is not a float or an int: N numbers in a vector,
        // sequence or buffer. Anything else is parsed as the components, as it always was.
        if (PyTuple_GET_SIZE(args) == 1 && (kwargs == nullptr || PyDict_GET_SIZE(kwargs) == 0)) {
            PyObject *o = PyTuple_GET_ITEM(args, 0);
            Read read = PyFloat_Check(o) || PyLong_Check(o) ? Read::other : operand(o, v);
            if (read != Read::other) {
                return read == Read::ok;
            }
        }
        return std::apply(
            [&](auto &...d) {
                return PyArg_ParseTupleAndKeywords(args, kwargs, format, Spec::names.data(),
                                                   &d...) != 0;
            },
            v);
    }

    static int tp_init(PyObject *self, PyObject *args, PyObject *kwargs) {
        Values v;
        if (!components(args, kwargs, Spec::init_format, v)) {
            return -1;
        }
        store_all(self, v);
        return 0;
    }

    // "|dd:update" for two components: the constructor's format under the method's name.
    static constexpr auto update_format = [] {
        std::array<char, N + 9> format{};
        format[0] = '|';
        for (Py_ssize_t i = 1; i <= N; ++i) {
            format[i] = 'd';
        }
        const char name[] = ":update";
        for (std::size_t i = 0; i < sizeof name; ++i) {
            format[N + 1 + i] = name[i];
        }
        return format;
    }();

    // update(...): the constructor's forms, in place; None.
    static PyObject *update(PyObject *self, PyObject *args, PyObject *kwargs) {
        Values v;
        if (!components(args, kwargs, update_format.data(), v)) {
            return nullptr;
        }
        store_all(self, v);
        Py_RETURN_NONE;
    }
};

}  // namespace tessel

#endif
