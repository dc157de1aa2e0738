#include "integer.hpp"

#include <climits>

static_assert(sizeof(long) == 8, "indices are read through a 64-bit long");

#include "common/ref.hpp"

namespace tessel::rect {
namespace {

bool read_int(PyObject *v, long long *out) noexcept {
    // Small ints hold their value in the object itself: read it without a call.
    if (PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject *>(v))) {
        *out = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject *>(v));
        return true;
    }
    long value = PyLong_AsLong(v);  // 64 bits on the platforms this module is built for
    if (value == -1 && PyErr_Occurred()) {
        return false;
    }
    *out = value;
    return true;
}

}  // namespace

bool to_int64(PyObject *o, long long *out) noexcept {
    if (PyLong_Check(o)) {
        return read_int(o, out);
    }
    PyNumberMethods *nb = Py_TYPE(o)->tp_as_number;
    if (nb == nullptr || nb->nb_int == nullptr) {
        PyErr_SetString(PyExc_TypeError, "an integer is required");
        return false;
    }
    Ref result = Ref::steal(nb->nb_int(o));
    if (!result) {
        if (!PyErr_Occurred()) {
            PyErr_SetString(PyExc_TypeError, "an integer is required");
        }
        return false;
    }
    if (!PyLong_CheckExact(result.get())) {
        if (!PyLong_Check(result.get())) {
            PyErr_Format(PyExc_TypeError, "__int__ returned non-int (type %.200s)",
                         Py_TYPE(result.get())->tp_name);
            return false;
        }
        if (PyErr_WarnFormat(PyExc_DeprecationWarning, 1,
                             "__int__ returned non-int (type %.200s).  The ability to return an "
                             "instance of a strict subclass of int is deprecated, and may be "
                             "removed in a future version of Python.",
                             Py_TYPE(result.get())->tp_name) < 0) {
            return false;
        }
    }
    return read_int(result.get(), out);
}

bool to_int32(PyObject *o, int *out) noexcept {
    long long value;
    if (!to_int64(o, &value)) {
        return false;
    }
    if (value < INT_MIN || value > INT_MAX) {
        PyErr_SetString(PyExc_OverflowError, "value too large to convert to int");
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

}  // namespace tessel::rect
