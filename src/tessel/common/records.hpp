// Reading exact vectors' records in place of their attribute access, for fast paths.
//
// An exact instance of the vector module's own type (ImportedType::own) whose components
// are its descriptors (ImportedType::components) answers o.x with a new float of the stored
// value and does nothing else, so the stored value is what that read would give. Each
// reader below gives false, with no exception set, for anything else (a subtype, None, a
// type whose record cannot stand for its attribute access): the caller then reads through
// the attribute access, as it always does.
#ifndef TESSEL_COMMON_RECORDS_HPP
#define TESSEL_COMMON_RECORDS_HPP

#include <Python.h>

#include <atomic>

#include "common/fields.hpp"
#include "common/types.hpp"

namespace tessel {

inline bool record_stands_for_components(const ImportedType &t, int count) noexcept {
    if (!t.own) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (t.components[i] == nullptr) {
            return false;
        }
    }
    return true;
}

// The vector modules store components with relaxed atomic access; loads match it.
template <class T> double load_component(T &component) noexcept {
    return std::atomic_ref<T>(component).load(std::memory_order_relaxed);
}

// (x, y) of an exact Vector2.
inline bool vector2_record(const PackageTypes &t, PyObject *o, double out[2]) noexcept {
    if (!Py_IS_TYPE(o, t.vector2.type) || !record_stands_for_components(t.vector2, 2)) {
        return false;
    }
    vector2_t &v = reinterpret_cast<Vector2Object *>(o)->data;
    out[0] = load_component(v.x);
    out[1] = load_component(v.y);
    return true;
}

// (x, y, z, w) of an exact Vector4.
inline bool vector4_record(const PackageTypes &t, PyObject *o, double out[4]) noexcept {
    if (!Py_IS_TYPE(o, t.vector4.type) || !record_stands_for_components(t.vector4, 4)) {
        return false;
    }
    vector4_t &v = reinterpret_cast<Vector4Object *>(o)->data;
    out[0] = load_component(v.x);
    out[1] = load_component(v.y);
    out[2] = load_component(v.z);
    out[3] = load_component(v.w);
    return true;
}

// A rect's (position.x, position.y, size.x, size.y), when both fields are exact Vector2:
// read in the rect's critical section, where no field can be replaced, so the vectors stay
// alive while their records are read (no Python code runs meanwhile).
inline bool rect_record(const PackageTypes &t, RectObject *r, double out[4]) noexcept {
    return with_fields(r, [&t, out](PyObject *position, PyObject *size) {
        return vector2_record(t, position, out) && vector2_record(t, size, out + 2);
    });
}

// Adds (dx, dy) to an exact Vector2 of the vector module's own type (the caller has
// checked: record_stands_for_components and the exact type) as its in-place addition does: each
// component computed in double and rounded once to single precision, the other operand
// read before. The vector module makes each component's update one atomic step; without
// the global lock this does too, and with it a plain load and store is the same step, since
// no other thread can run in between. Gives the components as stored.
inline vector2_t add_to_record(PyObject *vector, double dx, double dy) noexcept {
    auto &data = reinterpret_cast<Vector2Object *>(vector)->data;
    auto add = [](float &component, double by) {
        std::atomic_ref<float> c(component);
#ifdef Py_GIL_DISABLED
        float old = c.load(std::memory_order_relaxed), sum;
        do {
            sum = static_cast<float>(double(old) + by);
        } while (!c.compare_exchange_weak(old, sum, std::memory_order_relaxed));
#else
        float sum = static_cast<float>(double(c.load(std::memory_order_relaxed)) + by);
        c.store(sum, std::memory_order_relaxed);
#endif
        return sum;
    };
    float x = add(data.x, dx);
    return {x, add(data.y, dy)};
}

// Stores (x, y), already at single precision, in an exact Vector2 of the vector module's own
// type (the caller has checked, as for add_to_record): what its attribute access stores for
// these values, each component whole, as the vector module stores it.
inline void store_record(PyObject *vector, float x, float y) noexcept {
    auto &data = reinterpret_cast<Vector2Object *>(vector)->data;
    std::atomic_ref<float>(data.x).store(x, std::memory_order_relaxed);
    std::atomic_ref<float>(data.y).store(y, std::memory_order_relaxed);
}

}  // namespace tessel

#endif
