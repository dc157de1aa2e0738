// Reading offsets: the one offset of sweep() and slide(), and what move()'s refusal of an
// array of the wrong shape says. An offset is two numbers: a Vector2, a tuple or list of two
// (read as Rect.collide_point reads a point), or a one-dimensional array of two; anything
// else is refused with the function's own message naming what it was given ("an array of
// shape (3,)", "a tuple of length 3", "str"), never the array library's.
#ifndef TESSEL_COLLIDE_OFFSETS_HPP
#define TESSEL_COLLIDE_OFFSETS_HPP

#include <Python.h>

namespace tessel::collide {

// The offset argument of `function`; false with an exception set.
bool read_offset(const char *function, PyObject *o, double d[2]) noexcept;

// What `o` is, for a refusal: a new str, "an array of shape (5, 3)" for a buffer of more
// than one item or dimension, "a tuple of length 3", or its type's name. Null with an
// exception set.
PyObject *describe_given(PyObject *o) noexcept;

// The shape of a buffer of numbers (its format one of the native numeric ones), as
// `view` holds it; false, with no exception set, for anything else.
bool numeric_buffer(PyObject *o, Py_buffer &view) noexcept;

}  // namespace tessel::collide

#endif
