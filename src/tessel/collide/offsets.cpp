// The offsets' reader and the refusals' descriptions of what was given.
#include "offsets.hpp"

#include <cstring>

#include "common/arguments.hpp"
#include "common/ref.hpp"
#include "state.hpp"

namespace tessel::collide {
namespace {

// The formats of numbers in native order that the struct module (and so memoryview) knows.
bool numeric_format(const char *f) noexcept {
    if (f == nullptr) {
        return true;  // unsigned bytes
    }
    if (*f == '@' || *f == '=' || *f == '<' || *f == '>' || *f == '!') {
        ++f;
    }
    return f[0] != '\0' && f[1] == '\0' && std::strchr("bBhHiIlLqQnNefd?", f[0]) != nullptr;
}

// The shape as "(5, 3)" or "(3,)".
PyObject *shape_text(const Py_buffer &view) noexcept {
    Ref parts = Ref::steal(PyList_New(0));
    if (!parts) {
        return nullptr;
    }
    for (int k = 0; k < view.ndim; ++k) {
        Ref n = Ref::steal(PyUnicode_FromFormat("%zd", view.shape[k]));
        if (!n || PyList_Append(parts.get(), n.get()) < 0) {
            return nullptr;
        }
    }
    Ref comma = Ref::steal(PyUnicode_FromString(", "));
    Ref joined = comma ? Ref::steal(PyUnicode_Join(comma.get(), parts.get())) : Ref();
    if (!joined) {
        return nullptr;
    }
    return PyUnicode_FromFormat(view.ndim == 1 ? "(%U,)" : "(%U)", joined.get());
}

}  // namespace

bool numeric_buffer(PyObject *o, Py_buffer &view) noexcept {
    if (!PyObject_CheckBuffer(o) || PyBytes_Check(o) || PyByteArray_Check(o)) {
        return false;
    }
    if (PyObject_GetBuffer(o, &view, PyBUF_RECORDS_RO) < 0) {
        PyErr_Clear();
        return false;
    }
    if (view.ndim < 1 || !numeric_format(view.format)) {
        PyBuffer_Release(&view);
        return false;
    }
    return true;
}

PyObject *describe_given(PyObject *o) noexcept {
    Py_buffer view;
    if (numeric_buffer(o, view)) {
        Ref shape = Ref::steal(shape_text(view));
        PyBuffer_Release(&view);
        return shape ? PyUnicode_FromFormat("an array of shape %U", shape.get()) : nullptr;
    }
    if (PyTuple_Check(o) || PyList_Check(o)) {
        Py_ssize_t n = PyObject_Size(o);
        if (n < 0) {
            return nullptr;
        }
        return PyUnicode_FromFormat("a %s of length %zd", PyTuple_Check(o) ? "tuple" : "list", n);
    }
    return PyUnicode_FromFormat("%T", o);
}

bool read_offset(const char *function, PyObject *o, double d[2]) noexcept {
    const PackageTypes &t = g_state.types;
    if (PyTuple_CheckExact(o) && PyTuple_GET_SIZE(o) == 2) {
        return read_point(t, o, d, Accept::methods);
    }
    if (is_vector2(t, o)) {
        return read_point(t, o, d, Accept::methods);
    }
    if (PyTuple_Check(o) || PyList_Check(o)) {
        Py_ssize_t n = PyObject_Size(o);
        if (n < 0) {
            return false;
        }
        if (n == 2) {
            return read_point(t, o, d, Accept::methods);
        }
    } else {
        Py_buffer view;
        if (numeric_buffer(o, view)) {
            bool pair = view.ndim == 1 && view.shape[0] == 2;
            PyBuffer_Release(&view);
            if (pair) {
                // Its items, each converted as a tuple's would be.
                for (Py_ssize_t i = 0; i < 2; ++i) {
                    Ref item = Ref::steal(PySequence_GetItem(o, i));
                    if (!item || !to_double(item.get(), &d[i])) {
                        return false;
                    }
                }
                return true;
            }
        } else {
            // Another library's vector, or any other sequence of two numbers, as the vectors
            // read an operand.
            Components<2> values;
            switch (read_numbers(o, values)) {
            case Read::ok:
                d[0] = values[0];
                d[1] = values[1];
                return true;
            case Read::error:
                return false;
            case Read::other:
                break;
            }
        }
    }
    Ref given = Ref::steal(describe_given(o));
    if (given) {
        PyErr_Format(PyExc_ValueError,
                     "%s() takes an offset of 2 numbers (a Vector2, a tuple or list of 2, or an "
                     "array of shape (2,)): got %U",
                     function, given.get());
    }
    return false;
}

}  // namespace tessel::collide
