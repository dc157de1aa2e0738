// The methods every vector has. Lengths and products are doubles, summed in component order;
// lengths are scaled where the squares would overflow or underflow (math.hpp).
#ifndef TESSEL_VECTORS_METHODS_HPP
#define TESSEL_VECTORS_METHODS_HPP

#include <Python.h>

#include <cmath>

#include "common/ref.hpp"
#include "vectors/math.hpp"
#include "vectors/operands.hpp"

namespace tessel {

template <class Spec> struct VectorMethods : VectorOperands<Spec> {
    using Base = VectorOperands<Spec>;
    using Base::argument;
    using Base::load;
    using Base::make;
    using Base::N;
    using Base::number_argument;
    using typename Base::Scaled;
    using typename Base::Values;

    static PyObject *length(PyObject *self, PyObject *) {
        return PyFloat_FromDouble(tessel::scaled(load(self)).length());
    }
    static PyObject *length_squared(PyObject *self, PyObject *) {
        Values v = load(self);
        return PyFloat_FromDouble(dot(v, v));
    }
    static PyObject *dot_method(PyObject *self, PyObject *other) {
        Values w;
        return argument(other, w, "dot") ? PyFloat_FromDouble(dot(load(self), w)) : nullptr;
    }
    static PyObject *distance_to(PyObject *self, PyObject *other) {
        Values w;
        if (!argument(other, w, "distance_to")) {
            return nullptr;
        }
        Values v = load(self);
        for (Py_ssize_t i = 0; i < N; ++i) {
            v[i] -= w[i];
        }
        return PyFloat_FromDouble(tessel::scaled(v).length());
    }
    static PyObject *normalized(PyObject *self, PyObject *) {
        Scaled s = tessel::scaled(load(self));
        double l = s.scaled_length();
        if (l == 0.0) {
            PyErr_SetString(PyExc_ValueError, "cannot normalize a vector of length zero");
            return nullptr;
        }
        for (double &c : s.v) {
            c /= l;
        }
        return make(s.v);
    }
    static PyObject *lerp(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
        if (nargs != 2) {
            PyErr_Format(PyExc_TypeError, "lerp() takes exactly 2 arguments (%zd given)", nargs);
            return nullptr;
        }
        Values w;
        double t;
        if (!argument(args[0], w, "lerp") || !number_argument(args[1], t, "lerp", 2)) {
            return nullptr;
        }
        Values v = load(self);
        for (Py_ssize_t i = 0; i < N; ++i) {
            v[i] = tessel::lerp(v[i], w[i], t);
        }
        return make(v);
    }
    static PyObject *copy(PyObject *self, PyObject *) { return make(load(self)); }

    // clamp_magnitude(max_length) or clamp_magnitude(min_length, max_length): this vector
    // when its length lies within the bounds, else the vector of the nearer bound's length
    // in its direction.
    static PyObject *clamp_magnitude(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
        if (nargs != 1 && nargs != 2) {
            PyErr_Format(PyExc_TypeError, "clamp_magnitude() takes 1 or 2 arguments (%zd given)",
                         nargs);
            return nullptr;
        }
        double low = 0.0, high;
        if ((nargs == 2 && !number_argument(args[0], low, "clamp_magnitude", 1)) ||
            !number_argument(args[nargs - 1], high, "clamp_magnitude", int(nargs))) {
            return nullptr;
        }
        if (!(0.0 <= low && low <= high && std::isfinite(low))) {
            PyErr_Format(PyExc_ValueError,
                         "clamp_magnitude() needs 0 <= min_length <= max_length and a finite "
                         "min_length, not %R and %R",
                         Ref::steal(PyFloat_FromDouble(low)).get(),
                         Ref::steal(PyFloat_FromDouble(high)).get());
            return nullptr;
        }
        Values v = load(self);
        Scaled s = tessel::scaled(v);
        double l = s.length();
        if (!(l > high || l < low)) {
            return make(v);  // within the bounds (or NaN): unchanged
        }
        double bound = l > high ? high : low;
        double scaled_l = s.scaled_length();
        if (scaled_l == 0.0) {
            PyErr_SetString(PyExc_ValueError,
                            "cannot clamp a vector of length zero to a positive length");
            return nullptr;
        }
        for (double &c : s.v) {
            c = c / scaled_l * bound;  // a unit component first, so nothing overflows early
        }
        return make(s.v);
    }

    // The part of v along the line of d: (v . u) / (u . u) times u, where u is d divided by
    // its largest component. The ratio is d's, but u's largest component is 1: an axis (of
    // any length) gives a unit u and an exact answer, and no square overflows or underflows.
    // A ValueError with `zero_message` for d of length zero.
    static bool along(const Values &v, const Values &d, const char *zero_message, Values &out) {
        double largest = 0.0;
        for (double c : d) {
            largest = std::isnan(c) || std::fabs(c) > largest ? std::fabs(c) : largest;
        }
        if (largest == 0.0) {
            PyErr_SetString(PyExc_ValueError, zero_message);
            return false;
        }
        Values u;
        for (Py_ssize_t i = 0; i < N; ++i) {
            u[i] = d[i] / largest;
        }
        double k = dot(v, u) / dot(u, u);
        for (Py_ssize_t i = 0; i < N; ++i) {
            out[i] = k * u[i];
        }
        return true;
    }
    static PyObject *project(PyObject *self, PyObject *onto) {
        Values d, p;
        if (!argument(onto, d, "project") ||
            !along(load(self), d, "cannot project onto a vector of length zero", p)) {
            return nullptr;
        }
        return make(p);
    }
    // The mirror image across the line (or plane) whose normal is given: v - 2 (v along n).
    static PyObject *reflect(PyObject *self, PyObject *normal) {
        Values n, p;
        Values v = load(self);
        if (!argument(normal, n, "reflect") ||
            !along(v, n, "cannot reflect off a normal of length zero", p)) {
            return nullptr;
        }
        for (Py_ssize_t i = 0; i < N; ++i) {
            v[i] -= 2.0 * p[i];
        }
        return make(v);
    }
};

}  // namespace tessel

#endif
