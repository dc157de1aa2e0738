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

// The parameter of each method whose entry takes one: its name and declared type (a Param).
// A declared type admits None; `true` rejects subclasses too.
struct Parameter {
    Method method;
    Param param;
};
constexpr Parameter kParameters[] = {
    {Method::collide_point, {Str::point}},
    {Method::collide_point_vector2, {Str::point, &g_state.types.vector2.type}},
    {Method::collide_point_tuple, {Str::point, &kTupleType, true}},
    {Method::collide_point_list, {Str::point, &kListType, true}},
    {Method::collide_rect, {Str::other}},
    {Method::collide_rect_vector4, {Str::other, &g_state.types.vector4.type}},
    {Method::collide_rect_rect, {Str::other, &kRectType}},
    {Method::collide_rect_tuple, {Str::other, &kTupleType, true}},
    {Method::collide_rect_list, {Str::other, &kListType, true}},
};

constexpr int declared(Method m) {
    int n = 0;
    for (const Parameter &p : kParameters) {
        n += p.method == m;
    }
    return n;
}

constexpr Param parameter_of(Method m) {
    for (const Parameter &p : kParameters) {
        if (p.method == m) {
            return p.param;
        }
    }
    return Param{};
}

// Every parameter an entry takes is declared above, once, and no other.
#define TESSEL_RECT_CHECK_PARAMETERS(name)                                                         \
    static_assert(declared(Method::name) == arity(name),                                           \
                  "kParameters must declare each parameter of " #name " once");
TESSEL_RECT_METHODS(TESSEL_RECT_CHECK_PARAMETERS)
#undef TESSEL_RECT_CHECK_PARAMETERS

}  // namespace

#define TESSEL_RECT_METHOD_SPEC(name)                                                              \
    {Str::name, Frame::name, arity(name), {parameter_of(Method::name)}, call<name>},
const MethodSpec kMethods[kMethodCount] = {TESSEL_RECT_METHODS(TESSEL_RECT_METHOD_SPEC)};
#undef TESSEL_RECT_METHOD_SPEC

const MethodSpec kReduceMethod = {Str::reduce, Frame::reduce, 0, {}, call_reduce};
const MethodSpec kSetstateMethod = {
    Str::setstate, Frame::setstate, 1, {{Str::pyx_state}}, call_setstate};

}  // namespace tessel::rect
