// The module's functions (functions.cpp) and their in-place forms (in_place.cpp), as the
// interpreter calls them, and what the two files share to read arguments alike.
#ifndef TESSEL_GEOMETRY_FUNCTIONS_HPP
#define TESSEL_GEOMETRY_FUNCTIONS_HPP

#include <Python.h>

#include "box.hpp"
#include "common/call.hpp"
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
PyObject *union_(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *clip(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *clamp(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *fit(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *contains(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *move_ip(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *inflate_ip(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *clamp_ip(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *union_ip(PyObject *module, PyObject *const *args, Py_ssize_t nargs);
PyObject *normalize_ip(PyObject *module, PyObject *const *args, Py_ssize_t nargs);

// With the keyword `about` (METH_FASTCALL | METH_KEYWORDS).
PyObject *scale_by(PyObject *module, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames);
PyObject *scale_by_ip(PyObject *module, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames);

// scale_by's parameters, and scale_by_ip's: (r, sx, sy=None, /, *, about=None).
inline constexpr Parameter kScaleByParameters[] = {{"r"}, {"sx"}, {"sy"}, {"about", Pass::keyword}};

// Shared with the in-place forms, which read their arguments as the functions they mirror
// do (functions.cpp says what each does): the start-up and the count checked first, with the
// keywords' names for a call that takes them; a rect argument read as (x, y, w, h). False
// with an exception set.
bool arguments(const Signature &s, PyObject *const *args, Py_ssize_t nargs) noexcept;
bool arguments(const Signature &s, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames,
               PyObject **got) noexcept;
bool read_box(PyObject *o, Box *out) noexcept;

// scale_by's rule on *b, with the factors and the point (got[1] to got[3], as matched) read
// in order: about its centre, or about the point given. False with an exception set.
bool scaled_box(PyObject *const *got, Box *b) noexcept;

// lines.cpp
PyObject *clip_line(PyObject *module, PyObject *const *args, Py_ssize_t nargs);

}  // namespace tessel::geometry

#endif
