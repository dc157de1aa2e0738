// Number conversion shared by the package's modules.
#ifndef TESSEL_COMMON_NUMBER_HPP
#define TESSEL_COMMON_NUMBER_HPP

#include <Python.h>

namespace tessel {

// A plain number, for fast paths that stand for the interpreter's own arithmetic: an exact
// float, or an exact int of one digit (|n| < 2**30), whose value, and the sum of two such,
// a double holds exactly. Compared with or added to floats, and added to each other, such
// numbers give what their doubles give (the interpreter compares a float with an int
// exactly, and converts an int exactly before adding it to a float). False, with no
// exception set, for any other object.
inline bool plain_double(PyObject *o, double *out) noexcept {
    if (PyFloat_CheckExact(o)) {
        *out = PyFloat_AS_DOUBLE(o);
        return true;
    }
    if (PyLong_CheckExact(o)) {
        PyLongObject *n = reinterpret_cast<PyLongObject *>(o);
        if (PyUnstable_Long_IsCompact(n)) {
            *out = static_cast<double>(PyUnstable_Long_CompactValue(n));
            return true;
        }
    }
    return false;
}

// Converts to a double: a plain number (above) is read directly (PyFloat_AsDouble would
// return the same value, for an int by way of a new float), anything else goes through
// PyFloat_AsDouble. -1.0 is an ordinary value unless an exception is pending. False with the
// exception set on failure.
inline bool to_double(PyObject *o, double *out) noexcept {
    if (plain_double(o, out)) {
        return true;
    }
    double d = PyFloat_AsDouble(o);
    if (d == -1.0 && PyErr_Occurred()) {
        return false;
    }
    *out = d;
    return true;
}

}  // namespace tessel

#endif
