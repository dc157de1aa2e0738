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

template <int (*Entry)(RectObject *, PyObject *, int)>
PyObject *call_truth(RectObject *self, PyObject *const *args) {
    return boolean(Entry(self, args[0], kSkipDispatch));
}

template <class Arg, int (*Entry)(RectObject *, Arg *, int)>
PyObject *call_typed_truth(RectObject *self, PyObject *const *args) {
    return boolean(Entry(self, reinterpret_cast<Arg *>(args[0]), kSkipDispatch));
}

template <PyObject *(*Entry)(RectObject *, int)>
PyObject *call_object(RectObject *self, PyObject *const *) {
    return Entry(self, kSkipDispatch);
}

PyObject *call_reduce(RectObject *self, PyObject *const *) { return rect_reduce(self); }
PyObject *call_setstate(RectObject *self, PyObject *const *args) {
    return rect_setstate(self, args[0]);
}

PyTypeObject *const kTupleType = &PyTuple_Type;
PyTypeObject *const kListType = &PyList_Type;
PyTypeObject *const kRectType = &RectType;

constexpr Param kAnyPoint = {Str::point};
constexpr Param kAnyOther = {Str::other};

}  // namespace

const MethodSpec kMethods[13] = {
    {Str::get_width, Frame::get_width, 0, {}, call_object<get_width>},
    {Str::get_height, Frame::get_height, 0, {}, call_object<get_height>},
    {Str::collide_point, Frame::collide_point, 1, {kAnyPoint}, call_truth<collide_point>},
    {Str::collide_point_vector2,
     Frame::collide_point_vector2,
     1,
     {{Str::point, &g_state.vector2_type}},
     call_typed_truth<Vector2Object, collide_point_vector2>},
    {Str::collide_point_tuple,
     Frame::collide_point_tuple,
     1,
     {{Str::point, &kTupleType, true}},
     call_truth<collide_point_tuple>},
    {Str::collide_point_list,
     Frame::collide_point_list,
     1,
     {{Str::point, &kListType, true}},
     call_truth<collide_point_list>},
    {Str::collide_rect, Frame::collide_rect, 1, {kAnyOther}, call_truth<collide_rect>},
    {Str::collide_rect_vector4,
     Frame::collide_rect_vector4,
     1,
     {{Str::other, &g_state.vector4_type}},
     call_typed_truth<Vector4Object, collide_rect_vector4>},
    {Str::collide_rect_rect,
     Frame::collide_rect_rect,
     1,
     {{Str::other, &kRectType}},
     call_typed_truth<RectObject, collide_rect_rect>},
    {Str::collide_rect_tuple,
     Frame::collide_rect_tuple,
     1,
     {{Str::other, &kTupleType, true}},
     call_truth<collide_rect_tuple>},
    {Str::collide_rect_list,
     Frame::collide_rect_list,
     1,
     {{Str::other, &kListType, true}},
     call_truth<collide_rect_list>},
    {Str::get_vector4, Frame::get_vector4, 0, {}, call_object<get_vector4>},
    {Str::get_tuple, Frame::get_tuple, 0, {}, call_object<get_tuple>},
};

const MethodSpec kReduceMethod = {Str::reduce, Frame::reduce, 0, {}, call_reduce};
const MethodSpec kSetstateMethod = {
    Str::setstate, Frame::setstate, 1, {{Str::pyx_state}}, call_setstate};

}  // namespace tessel::rect
