// Reading the rects and the arguments of a query.
#ifndef TESSEL_COLLIDE_READ_HPP
#define TESSEL_COLLIDE_READ_HPP

#include <Python.h>

#include "common/ref.hpp"
#include "state.hpp"
#include "sweep.hpp"

namespace tessel::collide {

// The rects as a tuple owned by the call: a list is copied, since code run by attribute
// access during the call may change it; any other iterable is read once. Then every item
// must be a Rect: TypeError naming the first that is not. nullptr with an exception set.
Ref rects_of(PyObject *seq, const char *name);

inline Py_ssize_t count(const Ref &rects) noexcept { return PyTuple_GET_SIZE(rects.get()); }
inline PyObject *item(const Ref &rects, Py_ssize_t i) noexcept {
    return PyTuple_GET_ITEM(rects.get(), i);
}

// A rect's four values from its vectors' records, when both are exact Vector2: the values
// their attribute access gives, read once. False when the rect must be asked through its
// own method (a subtype, None, or records that cannot stand for the attribute access).
bool read_bounds(PyObject *rect, Bounds *out) noexcept;

// A query's argument as Rect.collide_point and Rect.collide_rect read it, with the same
// errors: (x, y), and (left, top, width, height). False with an exception set.
bool point_values(PyObject *point, double xy[2]) noexcept;
bool rect_values(PyObject *other, double v[4]) noexcept;

// Adds a note naming the rect (or pair of rects) to the exception being raised.
void note_rect(const char *name, Py_ssize_t i) noexcept;
void note_pair(const char *first, Py_ssize_t i, const char *second, Py_ssize_t j) noexcept;

// The truth of a method-table entry's answer: 1, 0, or -1 with the exception set.
inline int entry_result(int answer) noexcept { return PyErr_Occurred() ? -1 : answer; }

}  // namespace tessel::collide

#endif
