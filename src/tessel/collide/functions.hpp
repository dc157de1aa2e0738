// The module's functions, by the file that owns them, and what they share.
#ifndef TESSEL_COLLIDE_FUNCTIONS_HPP
#define TESSEL_COLLIDE_FUNCTIONS_HPP

#include <Python.h>

#include <new>
#include <vector>

#include "boxes.hpp"

namespace tessel::collide {

// queries.cpp: one point or rect against many rects.
PyObject *point_hits(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *rect_hits(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *first_rect_hit(PyObject *module, PyObject *const *args, Py_ssize_t nargs);

// pairs.cpp: overlapping pairs; and, for the tests, which kernel finds them and what memory
// the calls keep.
PyObject *overlapping_pairs(PyObject *module, PyObject *const *args, Py_ssize_t nargs,
                            PyObject *kwnames);
PyObject *overlapping_pairs_between(PyObject *module, PyObject *const *args, Py_ssize_t nargs,
                                    PyObject *kwnames);
PyObject *use_kernel_hook(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *last_kernel_hook(PyObject *module, PyObject *unused);
PyObject *kept_bytes_hook(PyObject *module, PyObject *const *args, Py_ssize_t nargs);

// pairs.cpp, shared with the index's pair queries: the keyword-only argument `flat`, by its
// truth (1 or 0, or -1 with an exception set, also for any other keyword); and the pairs as
// an array('I') of i0, j0, i1, j1, ..., once load_array_type() has imported what that takes
// (false with an exception set).
int flat_keyword(const char *name, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames);
bool load_array_type();
PyObject *pair_array(const std::vector<Pair> &pairs);

// The positional-argument check: TypeError unless exactly `expected` were given.
inline bool arity(const char *name, Py_ssize_t given, Py_ssize_t expected) noexcept {
    if (given == expected) {
        return true;
    }
    PyErr_Format(PyExc_TypeError, "%s() takes exactly %zd argument%s (%zd given)", name, expected,
                 expected == 1 ? "" : "s", given);
    return false;
}

// Runs a function body that may run out of memory in the standard library: MemoryError.
template <class F> PyObject *guarded(F &&body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc &) {
        return PyErr_NoMemory();
    }
}

}  // namespace tessel::collide

#endif
