// What a vector takes where it expects a vector or a number, and the TypeError of a method
// that is given something else. Other libraries' vectors, sequences and buffers are read in
// read.hpp.
#ifndef TESSEL_VECTORS_OPERANDS_HPP
#define TESSEL_VECTORS_OPERANDS_HPP

#include <Python.h>

#include "common/number.hpp"
#include "vectors/object.hpp"
#include "vectors/read.hpp"

namespace tessel {

template <class Spec> struct VectorOperands : VectorObject<Spec> {
    using Base = VectorObject<Spec>;
    using Base::is_vector;
    using Base::load;
    using Base::N;
    using typename Base::Values;

    // A vector of this type (its stored components), or N numbers in any other form.
    static Read operand(PyObject *o, Values &out) {
        if (is_vector(o)) {
            out = load(o);
            return Read::ok;
        }
        return read_numbers(o, out);
    }

    // A number: a float, an int, or anything with a float or index conversion.
    static bool is_number(PyObject *o) {
        PyNumberMethods *nb = Py_TYPE(o)->tp_as_number;
        return nb != nullptr && (nb->nb_float != nullptr || nb->nb_index != nullptr);
    }
    static Read scalar(PyObject *o, double &out) {
        if (PyFloat_CheckExact(o)) {
            out = PyFloat_AS_DOUBLE(o);
            return Read::ok;
        }
        if (!is_number(o)) {
            return Read::other;
        }
        return to_double(o, &out) ? Read::ok : Read::error;
    }

    // A vector argument of a method; a TypeError names the method.
    static bool argument(PyObject *o, Values &out, const char *method) {
        Read read = operand(o, out);
        if (read == Read::other) {
            PyErr_Format(PyExc_TypeError,
                         "%s() argument must be %s or a sequence of %zd numbers, not %.200s",
                         method, Spec::name, N, Py_TYPE(o)->tp_name);
        }
        return read == Read::ok;
    }

    // A number argument of a method; a TypeError names the method and the position.
    static bool number_argument(PyObject *o, double &out, const char *method, int position) {
        Read read = scalar(o, out);
        if (read == Read::other) {
            PyErr_Format(PyExc_TypeError, "%s() argument %d must be a number, not %.200s", method,
                         position, Py_TYPE(o)->tp_name);
        }
        return read == Read::ok;
    }
};

}  // namespace tessel

#endif
