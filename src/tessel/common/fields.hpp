// A rect's two fields, position and size: every read and every replacement of a field, in
// every module of the package, goes through here.
//
// Without the global lock another thread may replace a field between the load of its
// pointer and the taking of a reference, and free the vector in that gap; so each read and
// each replacement runs in the rect's own critical section. The section is held for those
// steps only, never while Python code runs (a replaced vector is released after it, since
// its __del__ may do anything). With the lock, Py_BEGIN_CRITICAL_SECTION is a plain block:
// the code is the plain loads and stores.
#ifndef TESSEL_COMMON_FIELDS_HPP
#define TESSEL_COMMON_FIELDS_HPP

#include <Python.h>

#include <utility>

#include "common/ref.hpp"
#include "tessel/rect.h"

namespace tessel {

enum class Field { position, size };

inline PyObject *&slot(RectObject *r, Field f) noexcept {
    return f == Field::position ? r->position : r->size;
}

// A new reference to a field. Holding it keeps the vector alive while code run by an
// attribute access replaces the field.
inline Ref field(RectObject *r, Field f) noexcept {
    PyObject *value;
    Py_BEGIN_CRITICAL_SECTION(r);
    value = Py_XNewRef(f == Field::position ? r->position : r->size);  // a select, no branch
    Py_END_CRITICAL_SECTION();
    return Ref::steal(value);
}

// Stores a value in a field (taking a reference of its own); the old value is released
// after the store, outside the section.
inline void store(RectObject *r, Field f, PyObject *value) noexcept {
    Py_INCREF(value);
    PyObject *old;
    Py_BEGIN_CRITICAL_SECTION(r);
    old = std::exchange(slot(r, f), value);
    Py_END_CRITICAL_SECTION();
    Py_XDECREF(old);
}

// Runs read(position, size) on the fields as they are, in the section, and gives its
// result: `read` must run no Python code (it may read the vectors' records, which the
// fields keep alive meanwhile).
template <class Read> auto with_fields(RectObject *r, Read read) noexcept {
    decltype(read(r->position, r->size)) result;
    Py_BEGIN_CRITICAL_SECTION(r);
    result = read(r->position, r->size);
    Py_END_CRITICAL_SECTION();
    return result;
}

}  // namespace tessel

#endif
