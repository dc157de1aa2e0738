// The module's functions and the hooks of its private module, by the file that owns them,
// and what they share.
#ifndef TESSEL_COLLIDE_FUNCTIONS_HPP
#define TESSEL_COLLIDE_FUNCTIONS_HPP

#include <Python.h>

#include <new>
#include <vector>

#include "engine/boxes.hpp"

namespace tessel::collide {

using engine::Pair;

// queries.cpp: one point or rect against many rects.
PyObject *point_hits(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *rect_hits(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *first_rect_hit(PyObject *module, PyObject *const *args, Py_ssize_t nargs);

// lines.cpp: a segment against many rects.
PyObject *raycast(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *segment_hits(PyObject *module, PyObject *const *args, Py_ssize_t nargs);

// motion.cpp: a moving rect against many rects.
PyObject *sweep(PyObject *module, PyObject *const *args, Py_ssize_t nargs);

// pairs.cpp: overlapping pairs.
PyObject *overlapping_pairs(PyObject *module, PyObject *const *args, Py_ssize_t nargs,
                            PyObject *kwnames);
PyObject *overlapping_pairs_between(PyObject *module, PyObject *const *args, Py_ssize_t nargs,
                                    PyObject *kwnames);

// pairs.cpp, shared with the index's pair queries: the pairs as an array('I') of i0, j0, i1,
// j1, ..., once load_array_type() has imported what that takes (false with an exception
// set).
bool load_array_type();
PyObject *pair_array(const std::vector<Pair> &pairs);

// testing.cpp: the private module tessel.collide._testing, made and registered (in
// sys.modules and as the package's attribute) by the module's start-up. False with an
// exception set.
bool add_testing_module() noexcept;

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
