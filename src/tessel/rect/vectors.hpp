// Access to the vectors a rect is made of. Components are always reached through the
// vector's own attribute access, so a Vector2 subtype that redefines x or y is honoured.
#ifndef TESSEL_RECT_VECTORS_HPP
#define TESSEL_RECT_VECTORS_HPP

#include <Python.h>

#include "common/fields.hpp"
#include "common/ref.hpp"
#include "number.hpp"
#include "state.hpp"
#include "strings.hpp"

namespace tessel::rect {

using tessel::Field;
using tessel::field;
using tessel::store;

static_assert(static_cast<int>(Str::x) == static_cast<int>(Component::x) &&
                  static_cast<int>(Str::w) == static_cast<int>(Component::w),
              "the component names come first among the string constants, in their order");

inline bool is_component(Str name) noexcept { return static_cast<int>(name) <= 3; }
inline Component as_component(Str name) noexcept {
    return static_cast<Component>(static_cast<int>(name));
}

// o.<name>, by o's own attribute access; a component of an exact vector by its descriptor.
inline Ref get_attr(PyObject *o, Str name) noexcept {
    if (is_component(name)) [[likely]] {
        return read_component(g_state.types, o, as_component(name));
    }
    getattrofunc get = Py_TYPE(o)->tp_getattro;
    return Ref::steal(get ? get(o, str(name)) : PyObject_GetAttr(o, str(name)));
}

// position.x, size.y and so on, read afresh.
inline Ref component(RectObject *r, Field f, Str axis) noexcept {
    Ref v = field(r, f);
    return get_attr(v.get(), axis);
}
inline Num component_num(RectObject *r, Field f, Str axis) noexcept {
    return Num::of(component(r, f, axis));
}

inline bool set_component(RectObject *r, Field f, Str axis, PyObject *value) noexcept {
    Ref v = field(r, f);
    return write_component(g_state.types, v.get(), as_component(axis), value);
}

// position.<axis> + size.<axis>, position on the left: the right or bottom edge.
inline Num edge(RectObject *r, Str axis) noexcept {
    Num p = component_num(r, Field::position, axis);
    if (!p.ok()) {
        return p;
    }
    Num s = component_num(r, Field::size, axis);
    return s.ok() ? add(p, s) : std::move(s);
}

inline Ref new_vector2(double x, double y) noexcept {
    return Ref::steal(g_state.types.vector2_table()->__pyx_new(x, y));
}

inline Ref new_vector4(double x, double y, double z, double w) noexcept {
    return Ref::steal(g_state.types.vector4_table()->__pyx_new(x, y, z, w));
}

// Checks a value for a Vector2 field: None or a Vector2 (or subtype). Sets the TypeError
// "Cannot convert ..." and returns false otherwise. A vector is taken only once the start-up
// has completed.
inline bool check_vector2_or_none(PyObject *value) noexcept {
    if (value == Py_None) {
        return true;
    }
    if (!require_started()) {
        return false;
    }
    if (is_vector2(value)) {
        return true;
    }
    PyErr_Format(PyExc_TypeError, "Cannot convert %.200s to %.200s", Py_TYPE(value)->tp_name,
                 g_state.types.vector2.type->tp_name);
    return false;
}

}  // namespace tessel::rect

#endif
