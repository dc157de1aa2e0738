// The module's functions (functions.cpp), as the interpreter calls them.
#ifndef TESSEL_GEOMETRY_FUNCTIONS_HPP
#define TESSEL_GEOMETRY_FUNCTIONS_HPP

#include <Python.h>

#include "common/types.hpp"

namespace tessel::geometry {

// The package's types and their method tables, imported at start-up (module.cpp).
extern PackageTypes g_types;

// Positional arguments only (METH_FASTCALL).
PyObject *copy(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *normalized(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *union_all(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *move(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *inflate(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *scale_by(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *union_(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *clip(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *clamp(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *fit(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *contains(PyObject *module, PyObject *const *args, Py_ssize_t nargs);

// lines.cpp
PyObject *clip_line(PyObject *module, PyObject *const *args, Py_ssize_t nargs);

}  // namespace tessel::geometry

#endif
