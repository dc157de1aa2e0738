// Argument checking for the Python-level functions, with the messages every method shares.
#ifndef TESSEL_RECT_ARGS_HPP
#define TESSEL_RECT_ARGS_HPP

#include <Python.h>

#include "strings.hpp"

namespace tessel::rect {

inline constexpr int kMaxParams = 3;

// A parameter: its name and, optionally, its declared type. A declared type admits None;
// `exact` rejects subclasses too.
struct Param {
    Str name;
    PyTypeObject *const *type = nullptr;  // points at the type, which may be imported late
    bool exact = false;
};

// Matches vectorcall arguments to parameters, every one required, each by position or by
// keyword, and checks the declared types. `out` receives borrowed references.
// False with the TypeError set on failure.
bool parse_args(const char *fname, const Param *params, int nparams, PyObject *const *args,
                Py_ssize_t nargs, PyObject *kwnames, PyObject **out) noexcept;

// The check of one declared type, for callers that take arguments in another way.
bool check_arg_type(PyObject *value, const Param &param) noexcept;

// TypeError for a keyword a function does not take.
void raise_unexpected_keyword(const char *fname, PyObject *key) noexcept;

}  // namespace tessel::rect

#endif
