// Conversions (a Vector4, a tuple), equality by value, and the text form.
#include <Python.h>

#include "frames.hpp"
#include "operations.hpp"
#include "vectors.hpp"

namespace tessel::rect {
namespace {

// The four values in their fixed order: left, top, width, height.
struct Component {
    Field field;
    Str field_name;
    Str axis;
};
constexpr Component kComponents[4] = {
    {Field::position, Str::position, Str::x},
    {Field::position, Str::position, Str::y},
    {Field::size, Str::size, Str::x},
    {Field::size, Str::size, Str::y},
};

// The text of a field inside the text form: what format(value, "") gives.
Ref field_text(PyObject *value) {
    if (PyUnicode_CheckExact(value)) {
        return Ref::borrow(value);
    }
    if (PyLong_CheckExact(value) || PyFloat_CheckExact(value)) {
        return Ref::steal(PyObject_Repr(value));
    }
    return Ref::steal(PyObject_Format(value, str(Str::empty)));
}

// Joins the pieces into one string made in a single allocation.
Ref join(PyObject *const *pieces, int count) {
    Py_ssize_t length = 0;
    Py_UCS4 maxchar = 0;
    for (int i = 0; i < count; ++i) {
        Py_ssize_t n = PyUnicode_GET_LENGTH(pieces[i]);
        if (n > PY_SSIZE_T_MAX - length) {
            PyErr_SetString(PyExc_OverflowError, "join() result is too long for a Python string");
            return Ref();
        }
        length += n;
        Py_UCS4 m = PyUnicode_MAX_CHAR_VALUE(pieces[i]);
        maxchar = m > maxchar ? m : maxchar;
    }
    Ref result = Ref::steal(PyUnicode_New(length, maxchar));
    if (!result) {
        return result;
    }
    Py_ssize_t at = 0;
    for (int i = 0; i < count; ++i) {
        Py_ssize_t n = PyUnicode_GET_LENGTH(pieces[i]);
        if (PyUnicode_CopyCharacters(result.get(), at, pieces[i], 0, n) < 0) {
            return Ref();
        }
        at += n;
    }
    return result;
}

Ref repr(RectObject *r) {
    Ref position = field(r, Field::position);
    Ref position_text = field_text(position.get());
    if (!position_text) {
        return position_text;
    }
    Ref size = field(r, Field::size);
    Ref size_text = field_text(size.get());
    if (!size_text) {
        return size_text;
    }
    PyObject *pieces[5] = {str(Str::repr_open), position_text.get(), str(Str::repr_middle),
                           size_text.get(), str(Str::repr_close)};
    return join(pieces, 5);
}

// The result object of `left == right`; two exact floats give the bool the float type
// itself would return.
Ref equal(PyObject *left, PyObject *right) {
    if (PyFloat_CheckExact(left) && PyFloat_CheckExact(right)) {
        return Ref::steal(PyBool_FromLong(PyFloat_AS_DOUBLE(left) == PyFloat_AS_DOUBLE(right)));
    }
    return Ref::steal(PyObject_RichCompare(left, right, Py_EQ));
}

// other.position or other.size, for an operand already known to be a Rect. Every Rect is
// exactly of the Rect type (it has no subtypes), which is immutable, has the generic
// attribute access and no instance dict, so the attribute access always ends in the
// field's own descriptor: taking the field gives the very same object.
Ref other_vector(PyObject *other, const Component &c) {
    if (Py_IS_TYPE(other, &RectType) && Py_TYPE(other)->tp_getattro == PyObject_GenericGetAttr) {
        return field(as_rect(other), c.field);
    }
    return get_attr(other, c.field_name);
}

// The short-circuit "and" of the four component comparisons, other's values read through
// its position and size properties: the last comparison's result object.
Ref eq(RectObject *self, PyObject *other) {
    if (!is_rect(other)) {
        return Ref::borrow(Py_False);
    }
    Ref result;
    for (const Component &c : kComponents) {
        Ref left = component(self, c.field, c.axis);
        if (!left) {
            return left;
        }
        Ref vector = other_vector(other, c);
        Ref right = vector ? get_attr(vector.get(), c.axis) : Ref();
        if (!right) {
            return right;
        }
        result = equal(left.get(), right.get());
        bool t;
        if (!result || !truth(result.get(), &t)) {
            return Ref();
        }
        if (!t) {
            break;
        }
    }
    return result;
}

// == gives eq's result object itself; != the negation of its truth.
Ref eq_or_ne(RectObject *self, PyObject *other, int op) {
    Ref result = eq(self, other);
    if (op == Py_EQ || !result) {
        return result;
    }
    bool t;
    return truth(result.get(), &t) ? Ref::borrow(t ? Py_False : Py_True) : Ref();
}

Ref vector4(RectObject *self) {
    double v[4];
    for (int i = 0; i < 4; ++i) {
        Ref value = component(self, kComponents[i].field, kComponents[i].axis);
        if (!value || !to_double(value.get(), &v[i])) {
            return Ref();
        }
    }
    return new_vector4(v[0], v[1], v[2], v[3]);
}

Ref tuple(RectObject *self) {
    Ref values[4];
    for (int i = 0; i < 4; ++i) {
        values[i] = component(self, kComponents[i].field, kComponents[i].axis);
        if (!values[i]) {
            return Ref();
        }
    }
    Ref result = Ref::steal(PyTuple_New(4));
    if (result) {
        for (int i = 0; i < 4; ++i) {
            PyTuple_SET_ITEM(result.get(), i, values[i].release());
        }
    }
    return result;
}

}  // namespace

PyObject *get_vector4(RectObject *self, int) { return framed(Frame::get_vector4, vector4(self)); }

PyObject *get_tuple(RectObject *self, int) { return framed(Frame::get_tuple, tuple(self)); }

PyObject *rect_repr(PyObject *self) { return framed(Frame::repr, repr(as_rect(self))); }

PyObject *rect_richcompare(PyObject *self, PyObject *other, int op) {
    if (op != Py_EQ && op != Py_NE) {
        Py_RETURN_NOTIMPLEMENTED;
    }
    return framed(Frame::eq, eq_or_ne(as_rect(self), other, op));
}

}  // namespace tessel::rect
