// The packed boxes of an index as a Python object: x, y, w, h per rect, as doubles. It is
// what the index's `boxes` view shows, and the view holds it, so the memory a view shows
// lives as long as the view. An index writes a packed object only while it holds the one
// reference to it (unshared()): once a view or anyone else holds one, its rows never change.
#ifndef TESSEL_COLLIDE_PACKED_HPP
#define TESSEL_COLLIDE_PACKED_HPP

#include <Python.h>

#include <vector>

#include "common/ref.hpp"
#include "engine/boxes.hpp"

namespace tessel::collide {

using engine::Row;

extern PyTypeObject PackedType;

// A new packed object with no rows; empty with an exception set.
Ref new_packed() noexcept;

std::vector<Row> &rows_of(PyObject *packed) noexcept;

// Whether the caller's reference is the only one. A new reference can then come only from
// the caller, so the rows are the caller's to change.
inline bool unshared(PyObject *packed) noexcept { return Py_REFCNT(packed) == 1; }

}  // namespace tessel::collide

#endif
