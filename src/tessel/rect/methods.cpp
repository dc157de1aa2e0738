// The Python-level methods: each checks its arguments and calls its method-table entry
// with the skip-dispatch flag set, turning a truth value into True or False.
#include "methods.hpp"

#include "operations.hpp"

namespace tessel::rect {
namespace {

constexpr int kSkipDispatch = 1;

// A truth entry's answer: 0 may be a failure, so the error indicator decides.
PyObject *boolean(int result) {
    if (PyErr_Occurred()) {
        return nullptr;
    }
    return PyBool_FromLong(result);
}

// The shapes of the method-table entries: an object accessor, or a truth test of one
// argument (of the C type the table declares).
constexpr int arity(PyObject *(*)(RectObject *, int)) { return 0; }
template <class Arg> constexpr int arity(int (*)(RectObject *, Arg *, int)) { return 1; }
template <class Arg> Arg *argument_type(int (*)(RectObject *, Arg *, int));

// Calls an entry on checked arguments with the skip-dispatch flag set.
template <auto Entry> PyObject *call(RectObject *self, PyObject *const *args) {
    if constexpr (arity(Entry) == 0) {
        return Entry(self, kSkipDispatch);
    } else {
        using Arg = decltype(argument_type(Entry));
        return boolean(Entry(self, reinterpret_cast<Arg>(args[0]), kSkipDispatch));
    }
}

PyObject *call_reduce(RectObject *self, PyObject *const *) { return rect_reduce(self); }
PyObject *call_setstate(RectObject *self, PyObject *const *args) {
    return rect_setstate(self, args[0]);
}

PyTypeObject *const kTupleType = &PyTuple_Type;
PyTypeObject *const kListType = &PyList_Type;
PyTypeObject *const kRectType = &RectType;

}  // namespace

// The declared parameter types of TESSEL_RECT_METHODS are the ones named above.
#define TESSEL_RECT_METHOD_SPEC(name, ...)                                                         \
    {Str::name, Frame::name, arity(name), {Param{__VA_ARGS__}}, call<name>},
const MethodSpec kMethods[kMethodCount] = {TESSEL_RECT_METHODS(TESSEL_RECT_METHOD_SPEC)};
#undef TESSEL_RECT_METHOD_SPEC

const MethodSpec kReduceMethod = {Str::reduce, Frame::reduce, 0, {}, call_reduce};
const MethodSpec kSetstateMethod = {
    Str::setstate, Frame::setstate, 1, {{Str::pyx_state}}, call_setstate};

}  // namespace tessel::rect
