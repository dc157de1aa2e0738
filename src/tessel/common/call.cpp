// Matching a call's arguments to a signature, and the refusals of each kind of module.
#include "common/call.hpp"

#include "common/items.hpp"
#include "common/ref.hpp"

namespace tessel {
namespace {

// What matching the arguments came to.
enum class Outcome {
    matched,
    refused,   // with the refusal, or a truth's error, set
    mismatch,  // the arguments do not fit; nothing set yet
};

int find(const Signature &s, PyObject *key) noexcept {
    for (int i = 0; s.parameters != nullptr && i < s.count; ++i) {
        const Parameter &p = s.parameters[i];
        if (p.pass != Pass::position && PyUnicode_CompareWithASCIIString(key, p.name) == 0) {
            return i;
        }
    }
    return -1;
}

Outcome bind(const Signature &s, PyObject *value, int i, PyObject **out) noexcept {
    if (s.parameters[i].take == Take::object) {
        out[i] = value;
        return Outcome::matched;
    }
    int is = PyObject_IsTrue(value);
    if (is < 0) {
        return Outcome::refused;
    }
    out[i] = is ? Py_True : Py_False;
    return Outcome::matched;
}

// The positional arguments first, then the keywords in the order given.
Outcome fit(const Signature &s, PyObject *const *args, Py_ssize_t nargs, PyObject *const *keys,
            PyObject *const *values, Py_ssize_t nkeys, PyObject **out) noexcept {
    int most = s.positional();
    bool own = s.messages == Messages::own;
    if (nargs > most || (own && nargs < s.required)) {
        if (!own) {
            return Outcome::mismatch;
        }
        if (s.required == most) {
            PyErr_Format(PyExc_TypeError, "%s() takes exactly %d argument%s (%zd given)",
                         s.function, most, most == 1 ? "" : "s", nargs);
        } else {
            PyErr_Format(PyExc_TypeError, "%s() takes from %d to %d arguments (%zd given)",
                         s.function, s.required, most, nargs);
        }
        return Outcome::refused;
    }
    for (int i = 0; i < s.count && out != nullptr; ++i) {
        out[i] = i < nargs ? args[i] : nullptr;
    }
    for (Py_ssize_t k = 0; k < nkeys; ++k) {
        int i = PyUnicode_Check(keys[k]) ? find(s, keys[k]) : -1;
        // The package's own keywords take the last value given; the interpreter's parser
        // refuses a second one.
        if (i < 0 || (!own && out[i] != nullptr)) {
            if (!own) {
                return Outcome::mismatch;
            }
            PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%S'",
                         s.function, keys[k]);
            return Outcome::refused;
        }
        if (bind(s, values[k], i, out) == Outcome::refused) {
            return Outcome::refused;
        }
    }
    for (int i = static_cast<int>(nargs); i < s.required; ++i) {
        if (out[i] == nullptr) {
            return Outcome::mismatch;  // only the interpreter's parser's arguments come here
        }
    }
    return Outcome::matched;
}

// The interpreter's parser's refusal of arguments that do not fit: it is given them as they
// came and the signature as its format, "OO|O:name". False, with its refusal set.
bool refuse_as_interpreter(const Signature &s, PyObject *args, PyObject *kwargs) noexcept {
    char format[Signature::kMost + 2 + 200];
    const char *names[Signature::kMost + 1] = {};
    int at = 0;
    for (int i = 0; i < s.count; ++i) {
        if (i == s.required) {
            format[at++] = '|';
        }
        format[at++] = 'O';
        names[i] = s.parameters[i].name;
    }
    PyOS_snprintf(format + at, sizeof(format) - static_cast<size_t>(at), ":%s", s.function);
    PyObject *got[Signature::kMost];
    if (PyArg_ParseTupleAndKeywords(args, kwargs, format, const_cast<char **>(names), &got[0],
                                    &got[1], &got[2], &got[3])) {
        PyErr_Format(PyExc_SystemError, "%s(): arguments refused and accepted", s.function);
    }
    return false;
}

}  // namespace

int Signature::positional() const noexcept {
    int n = 0;
    while (n < count && (parameters == nullptr || parameters[n].pass != Pass::keyword)) {
        ++n;
    }
    return n;
}

bool match(const Signature &s, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames,
           PyObject **out) noexcept {
    Py_ssize_t nkeys = kwnames != nullptr ? PyTuple_GET_SIZE(kwnames) : 0;
    PyObject *const *keys = kwnames != nullptr ? tuple_items(kwnames) : nullptr;
    Outcome o = fit(s, args, nargs, keys, args + nargs, nkeys, out);
    if (o != Outcome::mismatch) {
        return o == Outcome::matched;
    }
    // Only the interpreter's parser's refusals come here: the arguments as it takes them.
    Ref tuple = Ref::steal(PyTuple_New(nargs));
    Ref dict = Ref::steal(PyDict_New());
    if (!tuple || !dict) {
        return false;
    }
    for (Py_ssize_t i = 0; i < nargs; ++i) {
        PyTuple_SET_ITEM(tuple.get(), i, Py_NewRef(args[i]));
    }
    for (Py_ssize_t k = 0; k < nkeys; ++k) {
        if (PyDict_SetItem(dict.get(), keys[k], args[nargs + k]) < 0) {
            return false;
        }
    }
    return refuse_as_interpreter(s, tuple.get(), dict.get());
}

bool match(const Signature &s, PyObject *args, PyObject *kwargs, PyObject **out) noexcept {
    PyObject *keys[Signature::kMost], *values[Signature::kMost];
    Py_ssize_t nkeys = 0;
    Outcome o = Outcome::mismatch;
    if (kwargs == nullptr || PyDict_GET_SIZE(kwargs) <= Signature::kMost) {
        Py_ssize_t at = 0;
        PyObject *key, *value;
        while (kwargs != nullptr && PyDict_Next(kwargs, &at, &key, &value)) {
            keys[nkeys] = key;
            values[nkeys++] = value;
        }
        o = fit(s, tuple_items(args), PyTuple_GET_SIZE(args), keys, values, nkeys, out);
    }
    if (o != Outcome::mismatch) {
        return o == Outcome::matched;
    }
    return refuse_as_interpreter(s, args, kwargs);
}

}  // namespace tessel
