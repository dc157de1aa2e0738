// Pickling and copying. A rect reduces to a call of the module's __pyx_unpickle_Rect plus
// a state holding its two vectors themselves; a checksum of the field names travels with
// every pickle and is verified when it is loaded.
#include <Python.h>

#include <cinttypes>
#include <cstdio>

#include "args.hpp"
#include "common/call.hpp"
#include "common/items.hpp"
#include "frames.hpp"
#include "integer.hpp"
#include "operations.hpp"
#include "vectors.hpp"

namespace tessel::rect {
namespace {

// The checksums accepted: of the field list "position size", the first seven hexadecimal
// digits of its SHA-256 (the one written), SHA-1 and MD5 digests.
constexpr long long kChecksums[3] = {kPickleChecksum, 0x1cd30c9, 0xa9f0e04};

PyTypeObject *const kTupleType = &PyTuple_Type;

// Puts a state tuple (position, size[, dict]) into a rect. Fields are replaced one after
// the other, so a bad size leaves the new position in place.
bool set_state(RectObject *r, PyObject *state) {
    // Both fields are read before either is stored: a state too short changes nothing.
    Ref values[2];
    for (int i = 0; i < 2; ++i) {
        values[i] = tuple_storage_item(state, i);
        if (!values[i]) {
            return false;
        }
    }
    constexpr Field kFields[2] = {Field::position, Field::size};
    for (int i = 0; i < 2; ++i) {
        if (!check_vector2_or_none(values[i].get())) {
            return false;
        }
        store(r, kFields[i], values[i].get());
    }
    if (PyTuple_GET_SIZE(state) > 2) {
        Ref extra_state = tuple_storage_item(state, 2);
        int extra = PyObject_IsTrue(extra_state.get());
        if (extra < 0) {
            return false;
        }
        if (extra) {
            // A rect has no attribute dictionary, so this reports that.
            Ref dict =
                Ref::steal(PyObject_GenericGetDict(reinterpret_cast<PyObject *>(r), nullptr));
            if (!dict) {
                return false;
            }
            Ref method = Ref::steal(PyObject_GetAttrString(dict.get(), "update"));
            Ref done =
                Ref::steal(method ? PyObject_CallOneArg(method.get(), extra_state.get()) : nullptr);
            return static_cast<bool>(done);
        }
    }
    return true;
}

// The state goes in through a function of its own, which adds its own frame.
bool restore(RectObject *r, PyObject *state) {
    return framed_status(Frame::unpickle_set_state, set_state(r, state)) == 0;
}

// Raises pickle.PickleError for an unknown checksum. A value outside 0..0xffffffff is shown
// with its sign, in hexadecimal.
void raise_incompatible(long long checksum) {
    Ref pickle = Ref::steal(PyImport_Import(str(Str::pickle)));
    Ref error = pickle ? Ref::steal(PyObject_GetAttr(pickle.get(), str(Str::PickleError))) : Ref();
    if (!error) {
        return;
    }
    unsigned long long magnitude = checksum < 0 ? 0ULL - static_cast<unsigned long long>(checksum)
                                                : static_cast<unsigned long long>(checksum);
    char given[24];
    std::snprintf(given, sizeof given, "%s0x%llx", checksum < 0 ? "-" : "", magnitude);
    PyErr_Format(error.get(), "Incompatible checksums (%s vs (0x%llx, 0x%llx, 0x%llx) = (%s))",
                 given, kChecksums[0], kChecksums[1], kChecksums[2], "position, size");
}

Ref unpickle(PyObject *const *args) {
    long long checksum;
    if (!to_int64(args[1], &checksum)) {
        return Ref();
    }
    PyObject *state = args[2];
    if (!check_arg_type(state, Param{Str::pyx_state, &kTupleType, true})) {
        return Ref();
    }
    if (checksum != kChecksums[0] && checksum != kChecksums[1] && checksum != kChecksums[2]) {
        raise_incompatible(checksum);
        return Ref();
    }
    Ref make = get_attr(reinterpret_cast<PyObject *>(&RectType), Str::new_);
    Ref result = Ref::steal(make ? PyObject_CallOneArg(make.get(), args[0]) : nullptr);
    if (!result) {
        return Ref();
    }
    if (state != Py_None) {
        if (!is_rect(result.get())) {
            PyErr_Format(PyExc_TypeError, "Cannot convert %.200s to %.200s",
                         Py_TYPE(result.get())->tp_name, RectType.tp_name);
            return Ref();
        }
        if (!restore(as_rect(result.get()), state)) {
            return Ref();
        }
    }
    return result;
}

constexpr Param kUnpickleParams[3] = {{Str::pyx_type}, {Str::pyx_checksum}, {Str::pyx_state}};

PyObject *unpickle_vectorcall(PyObject *, PyObject *const *args, Py_ssize_t nargs,
                              PyObject *kwnames) {
    PyObject *values[3];
    bool parsed =
        parse_args(text(Str::pyx_unpickle_Rect), kUnpickleParams, 3, args, nargs, kwnames, values);
    return framed(Frame::unpickle, parsed ? unpickle(values) : Ref());
}

PyMethodDef kUnpickleDef = {"__pyx_unpickle_Rect", as_method(unpickle_vectorcall),
                            METH_FASTCALL | METH_KEYWORDS, nullptr};

// __pyx_unpickle_Rect, or its absence, as the reduce operation finds it.
Ref find_unpickle_function() {
    PyObject *found = nullptr;
    if (PyDict_GetItemRef(g_state.dict, str(Str::pyx_unpickle_Rect), &found) == 0 &&
        PyDict_GetItemRef(PyModule_GetDict(g_state.builtins), str(Str::pyx_unpickle_Rect),
                          &found) == 0) {
        PyErr_Format(PyExc_NameError, "name '%U' is not defined", str(Str::pyx_unpickle_Rect));
    }
    return Ref::steal(found);
}

}  // namespace

PyObject *rect_reduce(RectObject *self) {
    Ref position = field(self, Field::position);
    Ref size = field(self, Field::size);
    Ref state = Ref::steal(PyTuple_Pack(2, position.get(), size.get()));
    if (!state) {
        return nullptr;
    }
    bool use_setstate = position.get() != Py_None || size.get() != Py_None;
    Ref function = find_unpickle_function();
    if (!function) {
        return nullptr;
    }
    PyObject *type = reinterpret_cast<PyObject *>(Py_TYPE(self));
    if (use_setstate) {
        Ref call = Ref::steal(PyTuple_Pack(3, type, g_state.checksum, Py_None));
        return call ? PyTuple_Pack(3, function.get(), call.get(), state.get()) : nullptr;
    }
    Ref call = Ref::steal(PyTuple_Pack(3, type, g_state.checksum, state.get()));
    return call ? PyTuple_Pack(2, function.get(), call.get()) : nullptr;
}

PyObject *rect_setstate(RectObject *self, PyObject *state) {
    if (state == Py_None) {
        PyErr_Format(PyExc_TypeError, "Argument '%.200s' must not be None", text(Str::pyx_state));
        return nullptr;
    }
    if (!PyTuple_CheckExact(state)) {
        PyErr_Format(PyExc_TypeError, "Expected %s, got %.200s", "tuple", Py_TYPE(state)->tp_name);
        return nullptr;
    }
    if (!restore(self, state)) {
        return nullptr;
    }
    Py_RETURN_NONE;
}

PyObject *new_unpickle_function() {
    return PyCFunction_NewEx(&kUnpickleDef, nullptr, str(Str::module_name));
}

}  // namespace tessel::rect
