// Access to the vectors a rect is made of. Components are always reached through the
// vector's own attribute access, so a Vector2 subtype that redefines x or y is honoured.
#ifndef TESSEL_RECT_VECTORS_HPP
#define TESSEL_RECT_VECTORS_HPP

#include <Python.h>

#include <initializer_list>

#include "common/ref.hpp"
#include "number.hpp"
#include "state.hpp"
#include "strings.hpp"

namespace tessel::rect {

enum class Field { position, size };

// Every read and every replacement of a field goes through field() and store(). Under the
// GIL they are plain loads and stores. With the lock forced off, another thread may replace
// the field between loading the pointer and taking the reference, and free the vector in
// that gap: there the two steps of each run in the rect's own critical section. It is held
// for those two steps only, never while Python code runs (the release of a replaced vector,
// whose __del__ may do anything, comes after it), so nothing else can change in behaviour.
#ifdef Py_GIL_DISABLED
inline PyObject *&slot(RectObject *r, Field f) noexcept {
    return f == Field::position ? r->position : r->size;
}
#endif

// A new reference to a rect's field. Holding it keeps the vector alive while code run by
// an attribute access replaces the field.
inline Ref field(RectObject *r, Field f) noexcept {
#ifdef Py_GIL_DISABLED
    PyObject *value;
    Py_BEGIN_CRITICAL_SECTION(r);
    value = Py_XNewRef(slot(r, f));
    Py_END_CRITICAL_SECTION();
    return Ref::steal(value);
#else
    return Ref::borrow(f == Field::position ? r->position : r->size);
#endif
}

// Stores a value in a field: the old value is released after the store.
inline void store(RectObject *r, Field f, PyObject *value) noexcept {
#ifdef Py_GIL_DISABLED
    Py_INCREF(value);
    PyObject *old;
    Py_BEGIN_CRITICAL_SECTION(r);
    old = slot(r, f);
    slot(r, f) = value;
    Py_END_CRITICAL_SECTION();
    Py_XDECREF(old);
#else
    replace_field(f == Field::position ? r->position : r->size, value);
#endif
}

static_assert(static_cast<int>(Str::x) == 0 && static_cast<int>(Str::w) == 3,
              "component names index Components::defs");

// The descriptor of a component of an exact vector type, or nullptr. An exact Vector2 or
// Vector4 is a static, immutable type with the generic attribute access and no instance
// dict, so its attribute access always ends in this descriptor: calling its function
// directly gives the very same result, without the lookup. Subtypes take the general path.
inline PyGetSetDef *component_def(PyObject *o, Str name) noexcept {
    int i = static_cast<int>(name);
    if (i > 3) {
        return nullptr;
    }
    PyTypeObject *type = Py_TYPE(o);
    if (type == g_state.vector2_components.type) {
        return g_state.vector2_components.defs[i];
    }
    if (type == g_state.vector4_components.type) {
        return g_state.vector4_components.defs[i];
    }
    return nullptr;
}

inline Ref get_attr(PyObject *o, Str name) noexcept {
    if (PyGetSetDef *def = component_def(o, name); def != nullptr && def->get != nullptr) {
        return Ref::steal(def->get(o, def->closure));
    }
    getattrofunc get = Py_TYPE(o)->tp_getattro;
    return Ref::steal(get ? get(o, str(name)) : PyObject_GetAttr(o, str(name)));
}

inline bool set_attr(PyObject *o, Str name, PyObject *value) noexcept {
    if (PyGetSetDef *def = component_def(o, name); def != nullptr && def->set != nullptr) {
        return def->set(o, value, def->closure) >= 0;
    }
    setattrofunc set = Py_TYPE(o)->tp_setattro;
    return (set ? set(o, str(name), value) : PyObject_SetAttr(o, str(name), value)) >= 0;
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
    return set_attr(v.get(), axis, value);
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
    return Ref::steal(g_state.vector2_vtab->__pyx_new(x, y));
}

inline Ref new_vector4(double x, double y, double z, double w) noexcept {
    return Ref::steal(g_state.vector4_vtab->__pyx_new(x, y, z, w));
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
                 g_state.vector2_type->tp_name);
    return false;
}

// A type and method table already in use, by the name it serves under: an imported vector
// type that is one of them would be called through a table of another layout.
struct Taken {
    const char *name;
    const PyTypeObject *type;
    const void *table;
};

// Imports a sibling vector type and its method table; false with an exception set.
bool import_vector_type(const char *module_name, const char *class_name, Py_ssize_t expected,
                        std::initializer_list<Taken> taken, PyTypeObject **type, void **vtab,
                        Components *components);

}  // namespace tessel::rect

#endif
