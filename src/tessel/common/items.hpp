// Reading items of the package's arguments. Each reader gives the very result of the item
// access it stands for, by the cheapest read that is the same, and is named for the callers
// it serves; the two storage reads under them are named for what they read. Nothing else in
// the package reads a tuple's or a list's storage.
#ifndef TESSEL_COMMON_ITEMS_HPP
#define TESSEL_COMMON_ITEMS_HPP

#include <Python.h>

#include "common/number.hpp"
#include "common/ref.hpp"

namespace tessel {

// A tuple's items, read in place: a tuple never changes, so its storage is its value.
inline PyObject *const *tuple_items(PyObject *tuple) noexcept {
    return reinterpret_cast<PyTupleObject *>(tuple)->ob_item;
}

// A tuple's item i from its storage (subtypes too), or the tuple type's own IndexError past
// the end. The pickle state reads its items so.
inline Ref tuple_storage_item(PyObject *tuple, Py_ssize_t i) noexcept {
    if (i >= PyTuple_GET_SIZE(tuple)) {
        PyErr_SetString(PyExc_IndexError, "tuple index out of range");
        return Ref();
    }
    return Ref::borrow(tuple_items(tuple)[i]);
}

// A list's item i by checked access: another thread, or code run by a comparison, may
// shrink a list while it is being read.
inline Ref list_checked_item(PyObject *list, Py_ssize_t i) noexcept {
    return Ref::steal(PyList_GetItemRef(list, i));
}

// The general forms (collide_point, collide_rect, the constructor, the many-rects queries):
// what the argument's own __getitem__ gives (an exact tuple's storage, an exact list's
// checked access, else the generic item access).
inline Ref general_form_item(PyObject *seq, Py_ssize_t i) noexcept {
    if (PyTuple_CheckExact(seq) && i < PyTuple_GET_SIZE(seq)) {
        return Ref::borrow(tuple_items(seq)[i]);
    }
    if (PyList_CheckExact(seq)) {
        return list_checked_item(seq, i);
    }
    return Ref::steal(PySequence_GetItem(seq, i));
}

// The typed tuple and list forms (collide_point_tuple, collide_rect_list, ...): a tuple
// (subtypes too) from its storage, a list by checked access, never past the end; anything
// else (None among them) through the subscript with an int key, which reports it as not
// subscriptable.
inline Ref typed_form_item(PyObject *seq, Py_ssize_t i) noexcept {
    if (PyTuple_Check(seq)) {
        return tuple_storage_item(seq, i);
    }
    if (PyList_Check(seq)) {
        return list_checked_item(seq, i);
    }
    Ref key = Ref::steal(PyLong_FromSsize_t(i));
    return Ref::steal(key ? PyObject_GetItem(seq, key.get()) : nullptr);
}

// The center setter: an exact list or tuple by position (an orderly IndexError when it is
// too short), then the mapping subscript with an int key, then the sequence item slot, then
// the subscript (which reports an object that cannot be subscripted).
inline Ref center_item(PyObject *value, Py_ssize_t i) noexcept {
    if (PyList_CheckExact(value)) {
        return list_checked_item(value, i);
    }
    if (PyTuple_CheckExact(value)) {
        return tuple_storage_item(value, i);
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

// Items first .. first + count - 1 by one of the readers above, each converted to a double
// before the next is read; false with an exception set on failure.
template <Ref (*Item)(PyObject *, Py_ssize_t)>
inline bool item_doubles(PyObject *seq, Py_ssize_t first, int count, double *out) noexcept {
    for (int k = 0; k < count; ++k) {
        Ref item = Item(seq, first + k);
        if (!item || !to_double(item.get(), &out[k])) {
            return false;
        }
    }
    return true;
}

// The typed forms' fast path: items 0 to n - 1 of a tuple (subtypes too) or a list, the ones
// the typed readers above would give, as plain doubles (common/number.hpp), read in one
// step in which no code runs. False, with no exception set, when there are fewer than n or
// one is not plain: the typed path then reads them as it always does.
inline bool plain_item_doubles(PyObject *seq, int n, double *out) noexcept {
    auto read = [n, out](PyObject *const *items, Py_ssize_t size) {
        if (size < n) {
            return false;
        }
        for (int k = 0; k < n; ++k) {
            if (!plain_double(items[k], &out[k])) {
                return false;
            }
        }
        return true;
    };
    if (PyTuple_Check(seq)) {
        return read(tuple_items(seq), PyTuple_GET_SIZE(seq));
    }
    if (!PyList_Check(seq)) {
        return false;
    }
    // The list's section keeps another thread from changing it (and its items alive).
    bool plain;
    Py_BEGIN_CRITICAL_SECTION(seq);
    plain = read(reinterpret_cast<PyListObject *>(seq)->ob_item, PyList_GET_SIZE(seq));
    Py_END_CRITICAL_SECTION();
    return plain;
}

inline bool is_tuple_or_list(PyObject *o) noexcept { return PyTuple_Check(o) || PyList_Check(o); }

}  // namespace tessel

#endif
