// Numbers: conversion to double, and the arithmetic and comparisons of the geometry,
// done through the interpreter's number protocol with exact-float shortcuts.
#ifndef TESSEL_RECT_NUMBER_HPP
#define TESSEL_RECT_NUMBER_HPP

#include <Python.h>

#include "common/number.hpp"
#include "common/ref.hpp"

namespace tessel::rect {

using tessel::to_double;

// An operand of the geometry: any object, or a double standing for an exact float that
// has not been boxed yet. Two exact floats add, subtract, multiply and compare exactly as
// the float type's own slots would, so those cases are done on doubles; anything else
// goes through the interpreter with real objects.
class Num {
  public:
    Num() = default;
    static Num of(double d) noexcept {
        Num n;
        n.d_ = d;
        n.unboxed_ = true;
        return n;
    }
    static Num of(Ref o) noexcept {
        Num n;
        n.obj_ = std::move(o);
        return n;
    }
    // False when the value failed to be made (an exception is set).
    bool ok() const noexcept { return unboxed_ || obj_; }
    bool is_float() const noexcept { return unboxed_ || PyFloat_CheckExact(obj_.get()); }
    double value() const noexcept { return unboxed_ ? d_ : PyFloat_AS_DOUBLE(obj_.get()); }
    // The value as an object, boxing a double on first use; nullptr on failure.
    PyObject *object() noexcept {
        if (unboxed_) {
            obj_ = Ref::steal(PyFloat_FromDouble(d_));
            unboxed_ = false;
        }
        return obj_.get();
    }
    Ref take() noexcept {
        object();
        return std::move(obj_);
    }

  private:
    Ref obj_;
    double d_ = 0.0;
    bool unboxed_ = false;
};

// Exact floats are the usual operands: their paths come first in the code.
inline Num binary(Num &a, Num &b, binaryfunc op, double (*exact)(double, double)) noexcept {
    if (a.is_float() && b.is_float()) [[likely]] {
        return Num::of(exact(a.value(), b.value()));
    }
    PyObject *l = a.object();
    PyObject *r = l ? b.object() : nullptr;
    return Num::of(Ref::steal(r ? op(l, r) : nullptr));
}

inline Num add(Num &a, Num &b) noexcept {
    return binary(a, b, PyNumber_Add, [](double l, double r) { return l + r; });
}
inline Num subtract(Num &a, Num &b) noexcept {
    return binary(a, b, PyNumber_Subtract, [](double l, double r) { return l - r; });
}
inline Num multiply(Num &a, Num &b) noexcept {
    return binary(a, b, PyNumber_Multiply, [](double l, double r) { return l * r; });
}

// The truth of a comparison's result object, in *out; false with an exception set.
inline bool truth(PyObject *result, bool *out) noexcept {
    if (result == Py_True || result == Py_False || result == Py_None) {
        *out = result == Py_True;
        return true;
    }
    int t = PyObject_IsTrue(result);
    *out = t > 0;
    return t >= 0;
}

// a <op> b through rich comparison and the truth test, in *out; false with an exception set.
inline bool compare(Num &a, Num &b, int op, bool *out) noexcept {
    if (a.is_float() && b.is_float()) [[likely]] {
        double l = a.value();
        double r = b.value();
        switch (op) {
        case Py_LT:
            *out = l < r;
            return true;
        case Py_LE:
            *out = l <= r;
            return true;
        default:
            break;
        }
    }
    PyObject *l = a.object();
    PyObject *r = l ? b.object() : nullptr;
    if (r == nullptr) {
        return false;
    }
    Ref result = Ref::steal(PyObject_RichCompare(l, r, op));
    return result && truth(result.get(), out);
}

}  // namespace tessel::rect

#endif
