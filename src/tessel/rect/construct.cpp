// Rect.__init__: every way to build a rect. Forms that are handed vectors share them;
// forms that are handed numbers make fresh vectors. Each field is stored as soon as its
// value is ready, so a failure in the size half leaves the new position in place.
#include <Python.h>

#include "args.hpp"
#include "common/items.hpp"
#include "frames.hpp"
#include "operations.hpp"
#include "vectors.hpp"

namespace tessel::rect {
namespace {

// Stores a new vector made from two doubles; false on failure.
bool store_new(RectObject *self, Field f, double x, double y) {
    Ref v = new_vector2(x, y);
    if (!v) {
        return false;
    }
    store(self, f, v.get());
    return true;
}

// Stores a vector made from items first, first + 1 of a sequence.
bool store_from_items(RectObject *self, Field f, PyObject *seq, Py_ssize_t first) {
    double xy[2];
    return item_doubles<general_form_item>(seq, first, 2, xy) && store_new(self, f, xy[0], xy[1]);
}

// Stores a vector made from components first, first + 1 of a vector.
bool store_from_components(RectObject *self, Field f, PyObject *o, Component first) {
    double xy[2];
    return component_doubles(g_state.types, o, first, 2, xy) && store_new(self, f, xy[0], xy[1]);
}

bool store_from_numbers(RectObject *self, Field f, PyObject *a, PyObject *b) {
    double x, y;
    return to_double(a, &x) && to_double(b, &y) && store_new(self, f, x, y);
}

bool init_one(RectObject *self, PyObject *arg) {
    if (is_vector2(arg)) {
        if (!store_new(self, Field::position, 0.0, 0.0)) {
            return false;
        }
        store(self, Field::size, arg);
        return true;
    }
    if (is_rect(arg)) {
        RectObject *source = as_rect(arg);
        Ref position = field(source, Field::position);
        Ref size = field(source, Field::size);
        store(self, Field::position, position.get());
        store(self, Field::size, size.get());
        return true;
    }
    if (is_vector4(arg)) {
        return store_from_components(self, Field::position, arg, Component::x) &&
               store_from_components(self, Field::size, arg, Component::z);
    }
    if (is_tuple_or_list(arg)) {
        Py_ssize_t n = PyObject_Size(arg);
        if (n < 0) {
            return false;
        }
        if (n != 4) {
            PyErr_SetString(PyExc_ValueError, "list/tuple for rect must have 4 elements");
            return false;
        }
        return store_from_items(self, Field::position, arg, 0) &&
               store_from_items(self, Field::size, arg, 2);
    }
    PyErr_SetString(PyExc_ValueError,
                    "Rect takes Vector2, Rect, Vector4, or list/tuple of length 4");
    return false;
}

// One half of the two-argument form: a Vector2 is shared, a pair makes a new vector.
bool init_half(RectObject *self, Field f, PyObject *arg, const char *message) {
    if (is_vector2(arg)) {
        store(self, f, arg);
        return true;
    }
    if (is_tuple_or_list(arg)) {
        Py_ssize_t n = PyObject_Size(arg);
        if (n < 0) {
            return false;
        }
        if (n == 2) {
            return store_from_items(self, f, arg, 0);
        }
    }
    PyErr_SetString(PyExc_ValueError, message);
    return false;
}

bool init(RectObject *self, PyObject *args, PyObject *kwds) {
    if (!require_started()) {
        return false;
    }
    if (kwds != nullptr && PyDict_GET_SIZE(kwds) > 0) {
        PyObject *key = nullptr;
        Py_ssize_t pos = 0;
        PyDict_Next(kwds, &pos, &key, nullptr);
        if (!PyUnicode_Check(key)) {
            PyErr_SetString(PyExc_TypeError, "__init__() keywords must be strings");
        } else {
            raise_unexpected_keyword("__init__", key);
        }
        return false;
    }
    Py_ssize_t n = PyTuple_GET_SIZE(args);
    PyObject *const *a = tuple_items(args);
    switch (n) {
    case 0:
        return store_new(self, Field::position, 0.0, 0.0) && store_new(self, Field::size, 0.0, 0.0);
    case 1:
        return init_one(self, a[0]);
    case 2:
        return init_half(self, Field::position, a[0],
                         "First argument must be a Vector2 or list/tuple of length 2") &&
               init_half(self, Field::size, a[1],
                         "Second argument must be a Vector2 or list/tuple of length 2");
    case 4:
        return store_from_numbers(self, Field::position, a[0], a[1]) &&
               store_from_numbers(self, Field::size, a[2], a[3]);
    default:
        PyErr_Format(PyExc_TypeError, "Rect expected 0, 1, 2, or 4 arguments, got %zd", n);
        return false;
    }
}

}  // namespace

int rect_init(PyObject *self, PyObject *args, PyObject *kwds) {
    return framed_status(Frame::init, init(as_rect(self), args, kwds));
}

}  // namespace tessel::rect
