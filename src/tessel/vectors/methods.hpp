// The methods every vector has. Lengths and products are doubles, summed in component order;
// lengths are scaled where the squares would overflow or underflow (math.hpp).
//
// A method that gives a vector computes it once, as plain values, for two forms: one makes a
// new vector of the exact type (`made`), the in-place form (`_ip`) stores the values into the
// vector itself, each component written whole, and returns None, allocating nothing
// (`stored`). Both read this vector and their arguments whole first.
#ifndef TESSEL_VECTORS_METHODS_HPP
#define TESSEL_VECTORS_METHODS_HPP

#include <Python.h>

#include <cmath>
#include <limits>

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
    using Base::store_all;
    using typename Base::Scaled;
    using typename Base::T;
    using typename Base::Values;

    static PyObject *made(bool ok, const Values &v) { return ok ? make(v) : nullptr; }
    static PyObject *stored(PyObject *self, bool ok, const Values &v) {
        if (!ok) {
            return nullptr;
        }
        store_all(self, v);
        Py_RETURN_NONE;
    }

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

    // v - w for the other operand w; a TypeError names the method.
    static bool difference(PyObject *self, PyObject *other, const char *method, Values &d) {
        Values w;
        if (!argument(other, w, method)) {
            return false;
        }
        d = load(self);
        for (Py_ssize_t i = 0; i < N; ++i) {
            d[i] -= w[i];
        }
        return true;
    }
    static PyObject *distance_to(PyObject *self, PyObject *other) {
        Values d;
        return difference(self, other, "distance_to", d)
                   ? PyFloat_FromDouble(tessel::scaled(d).length())
                   : nullptr;
    }
    static PyObject *distance_squared_to(PyObject *self, PyObject *other) {
        Values d;
        return difference(self, other, "distance_squared_to", d) ? PyFloat_FromDouble(dot(d, d))
                                                                 : nullptr;
    }

    // Within the rounding of a unit vector's stored components: every result of normalized()
    // passes, with room to spare (its squared length strays by a few epsilons at most).
    static constexpr double unit_tolerance = 16 * double(std::numeric_limits<T>::epsilon());
    static PyObject *is_normalized(PyObject *self, PyObject *) {
        Values v = load(self);
        return PyBool_FromLong(std::fabs(dot(v, v) - 1.0) <= unit_tolerance);
    }

    // The vector of length 1 in the direction of v.
    static bool unit(const Values &v, Values &out) {
        Scaled s = tessel::scaled(v);
        double l = s.scaled_length();
        if (l == 0.0) {
            PyErr_SetString(PyExc_ValueError, "cannot normalize a vector of length zero");
            return false;
        }
        for (Py_ssize_t i = 0; i < N; ++i) {
            out[i] = s.v[i] / l;
        }
        return true;
    }
    static PyObject *normalized(PyObject *self, PyObject *) {
        Values u;
        return made(unit(load(self), u), u);
    }
    static PyObject *normalize_ip(PyObject *self, PyObject *) {
        Values u;
        return stored(self, unit(load(self), u), u);
    }

    // The vector of the given length in the direction of s's, a unit component first so that
    // nothing overflows early; ValueError `zero_message` for a vector of length zero.
    static bool of_length(const Scaled &s, double length, const char *zero_message, Values &out) {
        double l = s.scaled_length();
        if (l == 0.0) {
            PyErr_SetString(PyExc_ValueError, zero_message);
            return false;
        }
        for (Py_ssize_t i = 0; i < N; ++i) {
            out[i] = s.v[i] / l * length;
        }
        return true;
    }
    static PyObject *scale_to_length(PyObject *self, PyObject *length) {
        double l;
        Values v;
        return stored(
            self,
            number_argument(length, l, "scale_to_length", 1) &&
                of_length(tessel::scaled(load(self)), l, "cannot scale a vector of length zero", v),
            v);
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

    // move_towards(target, max_distance): `max_distance` along the way to the target, the
    // target itself once within reach (math.hpp).
    static bool stepped(PyObject *self, PyObject *const *args, Py_ssize_t nargs, const char *method,
                        Values &out) {
        if (nargs != 2) {
            PyErr_Format(PyExc_TypeError, "%s() takes exactly 2 arguments (%zd given)", method,
                         nargs);
            return false;
        }
        Values target;
        double distance;
        if (!argument(args[0], target, method) || !number_argument(args[1], distance, method, 2)) {
            return false;
        }
        out = towards(load(self), target, distance);
        return true;
    }
    static PyObject *move_towards(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
        Values v;
        return made(stepped(self, args, nargs, "move_towards", v), v);
    }
    static PyObject *move_towards_ip(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
        Values v;
        return stored(self, stepped(self, args, nargs, "move_towards_ip", v), v);
    }

    // clamp_magnitude(max_length) or clamp_magnitude(min_length, max_length): this vector
    // when its length lies within the bounds, else the vector of the nearer bound's length
    // in its direction. `changed` says which.
    static bool clamped(PyObject *self, PyObject *const *args, Py_ssize_t nargs, const char *method,
                        Values &out, bool &changed) {
        if (nargs != 1 && nargs != 2) {
            PyErr_Format(PyExc_TypeError, "%s() takes 1 or 2 arguments (%zd given)", method, nargs);
            return false;
        }
        double low = 0.0, high;
        if ((nargs == 2 && !number_argument(args[0], low, method, 1)) ||
            !number_argument(args[nargs - 1], high, method, int(nargs))) {
            return false;
        }
        if (!(0.0 <= low && low <= high && std::isfinite(low))) {
            PyErr_Format(PyExc_ValueError,
                         "%s() needs 0 <= min_length <= max_length and a finite "
                         "min_length, not %R and %R",
                         method, Ref::steal(PyFloat_FromDouble(low)).get(),
                         Ref::steal(PyFloat_FromDouble(high)).get());
            return false;
        }
        out = load(self);
        Scaled s = tessel::scaled(out);
        double l = s.length();
        changed = l > high || l < low;
        // Within the bounds (or NaN): unchanged.
        return !changed ||
               of_length(s, l > high ? high : low,
                         "cannot clamp a vector of length zero to a positive length", out);
    }
    static PyObject *clamp_magnitude(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
        Values v;
        bool changed;
        return made(clamped(self, args, nargs, "clamp_magnitude", v, changed), v);
    }
    // Unchanged, nothing is written: a write of the values just read could undo another
    // thread's.
    static PyObject *clamp_magnitude_ip(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
        Values v;
        bool changed = false;
        bool ok = clamped(self, args, nargs, "clamp_magnitude_ip", v, changed);
        return changed || !ok ? stored(self, ok, v) : Py_NewRef(Py_None);
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
    static bool mirrored(PyObject *self, PyObject *normal, const char *method, Values &v) {
        Values n, p;
        v = load(self);
        if (!argument(normal, n, method) ||
            !along(v, n, "cannot reflect off a normal of length zero", p)) {
            return false;
        }
        for (Py_ssize_t i = 0; i < N; ++i) {
            v[i] -= 2.0 * p[i];
        }
        return true;
    }
    static PyObject *reflect(PyObject *self, PyObject *normal) {
        Values v;
        return made(mirrored(self, normal, "reflect", v), v);
    }
    static PyObject *reflect_ip(PyObject *self, PyObject *normal) {
        Values v;
        return stored(self, mirrored(self, normal, "reflect_ip", v), v);
    }

    // round(v) and round(v, ndigits): each component as round() rounds a float (math.hpp),
    // then stored. Where the cheap rounding cannot answer, the float's own __round__ does.
    static bool rounded_by_the_float(double &c, Py_ssize_t digits) {
        Ref f = Ref::steal(PyFloat_FromDouble(c));
        Ref r = f ? Ref::steal(PyObject_CallMethod(f.get(), "__round__", "n", digits)) : Ref();
        return r && to_double(r.get(), &c);
    }
    static PyObject *round(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
        if (nargs > 1) {
            PyErr_Format(PyExc_TypeError, "__round__() takes at most 1 argument (%zd given)",
                         nargs);
            return nullptr;
        }
        Values v = load(self);
        if (nargs == 0 || args[0] == Py_None) {
            for (double &c : v) {
                c = round_to_integer(c);
            }
            return make(v);
        }
        // As float's: any index, clipped to the range of Py_ssize_t.
        Py_ssize_t digits = PyNumber_AsSsize_t(args[0], nullptr);
        if (digits == -1 && PyErr_Occurred()) {
            return nullptr;
        }
        for (double &c : v) {
            if (!round_to_digits(c, long(digits), c) && !rounded_by_the_float(c, digits)) {
                return nullptr;
            }
        }
        return make(v);
    }
};

}  // namespace tessel

#endif
