// A vector's number protocol: +, - and unary forms with vectors, * and / with numbers, and
// their in-place forms; and its truth, false for the zero vector as for a zero number. Results are
// of the exact type, whatever the operands' types; an operand of another kind gives NotImplemented,
// so that the other operand may answer.
#ifndef TESSEL_VECTORS_NUMBER_HPP
#define TESSEL_VECTORS_NUMBER_HPP

#include <Python.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

#include "vectors/operands.hpp"

namespace tessel {

template <class Spec> struct VectorNumber : VectorOperands<Spec> {
    using Base = VectorOperands<Spec>;
    using Base::is_vector;
    using Base::load;
    using Base::load_stored;
    using Base::make;
    using Base::N;
    using Base::operand;
    using Base::scalar;
    using Base::update;
    using typename Base::T;
    using typename Base::Values;

    static PyObject *failed(Read r) {
        return r == Read::error ? nullptr : Py_NewRef(Py_NotImplemented);
    }

    static bool divisor(double k) {
        if (k != 0.0) {
            return true;
        }
#if PY_VERSION_HEX >= 0x030E0000
        PyErr_SetString(PyExc_ZeroDivisionError, "division by zero");  // as floats say it
#else
        PyErr_SetString(PyExc_ZeroDivisionError, "float division by zero");
#endif
        return false;
    }

    template <class Op> static PyObject *combine(PyObject *a, PyObject *b, Op op) {
        Values l, r;
        Read read = operand(a, l);
        if (read == Read::ok) {
            read = operand(b, r);
        }
        if (read != Read::ok) {
            return failed(read);
        }
        for (Py_ssize_t i = 0; i < N; ++i) {
            l[i] = op(l[i], r[i]);
        }
        return make(l);
    }
    static PyObject *nb_add(PyObject *a, PyObject *b) {
        return combine(a, b, [](double l, double r) { return l + r; });
    }
    static PyObject *nb_subtract(PyObject *a, PyObject *b) {
        return combine(a, b, [](double l, double r) { return l - r; });
    }

    template <class Op> static PyObject *mapped(PyObject *self, Op op) {
        Values v = load(self);
        for (double &c : v) {
            c = op(c);
        }
        return make(v);
    }
    static PyObject *nb_negative(PyObject *self) {
        return mapped(self, [](double c) { return -c; });
    }
    static PyObject *nb_positive(PyObject *self) {
        return mapped(self, [](double c) { return c; });
    }

    // A NaN component is true, as a NaN float is; -0.0 is zero. A component is zero exactly
    // when no bit but its sign is set, so the bits of all are or-ed and tested once.
    static int nb_bool(PyObject *self) {
        using Bits = std::conditional_t<sizeof(T) == 4, std::uint32_t, std::uint64_t>;
        Bits any = [self]<std::size_t... i>(std::index_sequence<i...>) {
            return (std::bit_cast<Bits>(load_stored(self, Py_ssize_t(i))) | ...);
        }
        (std::make_index_sequence<std::size_t(N)>());
        return (any & ~(Bits(1) << (8 * sizeof(T) - 1))) != 0;
    }

    // The factor of v * k or v / k: a number, and for a division one that is not zero. An
    // operand whose float conversion refuses it with a TypeError (an array of several
    // numbers, a symbolic number) is no number to us: the other operand may answer.
    static Read factor(PyObject *self, PyObject *k, bool divide, double &out) {
        Read read = is_vector(self) ? scalar(k, out) : Read::other;
        if (read == Read::error && PyErr_ExceptionMatches(PyExc_TypeError)) {
            PyErr_Clear();
            return Read::other;
        }
        return read == Read::ok && divide && !divisor(out) ? Read::error : read;
    }
    template <bool divide> static PyObject *scaled(PyObject *self, PyObject *k) {
        double f;
        Read read = factor(self, k, divide, f);
        if (read != Read::ok) {
            return failed(read);
        }
        return mapped(self, [f](double c) { return divide ? c / f : c * f; });
    }
    static PyObject *nb_multiply(PyObject *a, PyObject *b) {
        return is_vector(a) ? scaled<false>(a, b) : scaled<false>(b, a);  // v * k, else k * v
    }
    static PyObject *nb_true_divide(PyObject *a, PyObject *b) { return scaled<true>(a, b); }

    // In-place forms change the vector itself and return it.
    template <class Op> static PyObject *updated(PyObject *self, Op op) {
        for (Py_ssize_t i = 0; i < N; ++i) {
            update(self, i, [&](double c) { return op(c, i); });
        }
        return Py_NewRef(self);
    }
    template <class Op> static PyObject *combine_into(PyObject *self, PyObject *other, Op op) {
        Values r;
        Read read = is_vector(self) ? operand(other, r) : Read::other;
        if (read != Read::ok) {
            return failed(read);
        }
        return updated(self, [&](double c, Py_ssize_t i) { return op(c, r[i]); });
    }
    static PyObject *nb_inplace_add(PyObject *self, PyObject *other) {
        return combine_into(self, other, [](double l, double r) { return l + r; });
    }
    static PyObject *nb_inplace_subtract(PyObject *self, PyObject *other) {
        return combine_into(self, other, [](double l, double r) { return l - r; });
    }
    template <bool divide> static PyObject *scaled_into(PyObject *self, PyObject *k) {
        double f;
        Read read = factor(self, k, divide, f);
        if (read != Read::ok) {
            return failed(read);
        }
        return updated(self, [f](double c, Py_ssize_t) { return divide ? c / f : c * f; });
    }
    static PyObject *nb_inplace_multiply(PyObject *self, PyObject *k) {
        return scaled_into<false>(self, k);
    }
    static PyObject *nb_inplace_true_divide(PyObject *self, PyObject *k) {
        return scaled_into<true>(self, k);
    }
};

}  // namespace tessel

#endif
