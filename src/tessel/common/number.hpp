// Number conversion shared by the package's modules.
#ifndef TESSEL_COMMON_NUMBER_HPP
#define TESSEL_COMMON_NUMBER_HPP

#include <Python.h>

namespace tessel {

// Converts to a double: an exact float is read directly (PyFloat_AsDouble would return the
// same value), anything else goes through PyFloat_AsDouble. -1.0 is an ordinary value
// unless an exception is pending. False with the exception set on failure.
inline bool to_double(PyObject *o, double *out) noexcept {
    if (PyFloat_CheckExact(o)) {
        *out = PyFloat_AS_DOUBLE(o);
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
