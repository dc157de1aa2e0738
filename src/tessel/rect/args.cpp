#include "args.hpp"

#include "common/items.hpp"

namespace tessel::rect {
namespace {

void raise_count(const char *fname, int expected, Py_ssize_t given) noexcept {
    PyErr_Format(PyExc_TypeError, "%.200s() takes %.8s %zd positional argument%.1s (%zd given)",
                 fname, "exactly", static_cast<Py_ssize_t>(expected), expected == 1 ? "" : "s",
                 given);
}

int find_param(const Param *params, int nparams, PyObject *key) noexcept {
    for (int i = 0; i < nparams; ++i) {
        if (str(params[i].name) == key) {  // interned: the usual case
            return i;
        }
    }
    for (int i = 0; i < nparams; ++i) {
        if (PyUnicode_Compare(str(params[i].name), key) == 0) {
            return i;
        }
    }
    return -1;
}

}  // namespace

void raise_unexpected_keyword(const char *fname, PyObject *key) noexcept {
    PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%U'", fname, key);
}

bool check_arg_type(PyObject *value, const Param &param) noexcept {
    if (param.type == nullptr || value == Py_None) {
        return true;
    }
    PyTypeObject *type = *param.type;
    if (param.exact ? Py_IS_TYPE(value, type) : PyObject_TypeCheck(value, type)) {
        return true;
    }
    PyErr_Format(PyExc_TypeError,
                 "Argument '%.200s' has incorrect type (expected %.200s, got %.200s)",
                 text(param.name), type->tp_name, Py_TYPE(value)->tp_name);
    return false;
}

bool parse_args(const char *fname, const Param *params, int nparams, PyObject *const *args,
                Py_ssize_t nargs, PyObject *kwnames, PyObject **out) noexcept {
    if (nargs > nparams) {
        raise_count(fname, nparams, nargs);
        return false;
    }
    for (Py_ssize_t i = 0; i < nparams; ++i) {
        out[i] = i < nargs ? args[i] : nullptr;
    }
    Py_ssize_t nkw = kwnames ? PyTuple_GET_SIZE(kwnames) : 0;
    for (Py_ssize_t k = 0; k < nkw; ++k) {
        PyObject *key = tuple_items(kwnames)[k];
        if (!PyUnicode_Check(key)) {
            PyErr_Format(PyExc_TypeError, "%.200s() keywords must be strings", fname);
            return false;
        }
        int i = find_param(params, nparams, key);
        if (i < 0) {
            raise_unexpected_keyword(fname, key);
            return false;
        }
        if (out[i] != nullptr) {
            PyErr_Format(PyExc_TypeError, "%s() got multiple values for keyword argument '%U'",
                         fname, key);
            return false;
        }
        out[i] = args[nargs + k];
    }
    for (int i = 0; i < nparams; ++i) {
        if (out[i] == nullptr) {
            raise_count(fname, nparams, nargs);
            return false;
        }
    }
    for (int i = 0; i < nparams; ++i) {
        if (!check_arg_type(out[i], params[i])) {
            return false;
        }
    }
    return true;
}

}  // namespace tessel::rect
