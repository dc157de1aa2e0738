// Reading items, and pairs or quads of values, from the arguments of Rect's operations.
// Each reader gives the very result of the item access it stands for; they differ only in
// which access that is, as each says. Nothing else in the module reads a tuple's storage.
#ifndef TESSEL_RECT_READERS_HPP
#define TESSEL_RECT_READERS_HPP

#include <Python.h>

#include "common/ref.hpp"
#include "number.hpp"
#include "strings.hpp"
#include "vectors.hpp"

namespace tessel::rect {

// A tuple's items, read in place: a tuple never changes, so its storage is its value.
inline PyObject *const *tuple_items(PyObject *tuple) noexcept {
    return reinterpret_cast<PyTupleObject *>(tuple)->ob_item;
}

// Storage read with bounds check: a tuple's item i, or the tuple type's own IndexError.
inline Ref tuple_item(PyObject *tuple, Py_ssize_t i) noexcept {
    if (i >= PyTuple_GET_SIZE(tuple)) {
        PyErr_SetString(PyExc_IndexError, "tuple index out of range");
        return Ref();
    }
    return Ref::borrow(tuple_items(tuple)[i]);
}

// Checked list access: another thread, or code run by a comparison, may shrink a list
// while it is being read.
inline Ref list_item(PyObject *list, Py_ssize_t i) noexcept {
    return Ref::steal(PyList_GetItemRef(list, i));
}

// Generic, for the general forms: what the argument's own __getitem__ gives, by the
// cheapest read that is the same (an exact tuple's storage, an exact list's checked access).
inline Ref sequence_item(PyObject *seq, Py_ssize_t i) noexcept {
    if (PyTuple_CheckExact(seq) && i < PyTuple_GET_SIZE(seq)) {
        return Ref::borrow(tuple_items(seq)[i]);
    }
    if (PyList_CheckExact(seq)) {
        return list_item(seq, i);
    }
    return Ref::steal(PySequence_GetItem(seq, i));
}

// The typed tuple and list forms: a tuple (subtypes too) by storage read with bounds
// check, a list by checked access, never past the end; anything else (None among them)
// through the subscript with an int key, which reports it as not subscriptable.
inline Ref typed_item(PyObject *seq, Py_ssize_t i) noexcept {
    if (PyTuple_Check(seq)) {
        return tuple_item(seq, i);
    }
    if (PyList_Check(seq)) {
        return list_item(seq, i);
    }
    Ref key = Ref::steal(PyLong_FromSsize_t(i));
    return Ref::steal(key ? PyObject_GetItem(seq, key.get()) : nullptr);
}

// A point given to center: an exact list or tuple by position (an orderly IndexError when
// it is too short), then the mapping subscript with an int key, then the sequence item
// slot, then the subscript (which reports an object that cannot be subscripted).
inline Ref point_item(PyObject *value, Py_ssize_t i) noexcept {
    if (PyList_CheckExact(value)) {
        return list_item(value, i);
    }
    if (PyTuple_CheckExact(value)) {
        return tuple_item(value, i);
    }
    PyTypeObject *type = Py_TYPE(value);
    if (type->tp_as_mapping != nullptr && type->tp_as_mapping->mp_subscript != nullptr) {
        Ref key = Ref::steal(PyLong_FromSsize_t(i));
        return Ref::steal(key ? type->tp_as_mapping->mp_subscript(value, key.get()) : nullptr);
    }
    if (type->tp_as_sequence != nullptr && type->tp_as_sequence->sq_item != nullptr) {
        return Ref::steal(type->tp_as_sequence->sq_item(value, i));
    }
    Ref key = Ref::steal(PyLong_FromSsize_t(i));
    return Ref::steal(key ? PyObject_GetItem(value, key.get()) : nullptr);
}

// The same readers, converting to a double; false with an exception set on failure.
inline bool item_double(PyObject *seq, Py_ssize_t i, double *out) noexcept {
    Ref item = sequence_item(seq, i);
    return item && to_double(item.get(), out);
}

inline bool point_double(PyObject *value, Py_ssize_t i, double *out) noexcept {
    Ref item = point_item(value, i);
    return item && to_double(item.get(), out);
}

// An attribute (a vector's component), converting to a double.
inline bool attr_double(PyObject *o, Str name, double *out) noexcept {
    Ref value = get_attr(o, name);
    return value && to_double(value.get(), out);
}

// Items first and first + 1 of a tuple or list, by the generic reader.
inline bool pair_doubles(PyObject *seq, Py_ssize_t first, double xy[2]) noexcept {
    return item_double(seq, first, &xy[0]) && item_double(seq, first + 1, &xy[1]);
}

// Components x, y of a vector (or the two named ones).
inline bool attr_pair_doubles(PyObject *o, Str ax, Str ay, double xy[2]) noexcept {
    return attr_double(o, ax, &xy[0]) && attr_double(o, ay, &xy[1]);
}

inline bool is_tuple_or_list(PyObject *o) noexcept { return PyTuple_Check(o) || PyList_Check(o); }

}  // namespace tessel::rect

#endif
