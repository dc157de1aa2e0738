// Reading a rect's four values from its vectors' records, in place of their attribute
// access, where that gives the very same values: both fields hold an exact Vector2 of the
// vector module's own type, whose x and y are its descriptors over the record (the
// attribute access makes a float of the stored value, which converts back to it exactly).
#ifndef TESSEL_COMMON_RECORDS_HPP
#define TESSEL_COMMON_RECORDS_HPP

#include <Python.h>

#include <atomic>

#include "common/fields.hpp"
#include "common/types.hpp"

namespace tessel {

// Whether an exact Vector2's record holds what its attribute access x and y gives.
inline bool vector2_records_readable(const PackageTypes &t) noexcept {
    const ImportedType &v = t.vector2;
    return v.own && v.components[static_cast<int>(Component::x)] != nullptr &&
           v.components[static_cast<int>(Component::y)] != nullptr;
}

// The vector module stores components with relaxed atomic access; loads match it.
inline double load_component(float &component) noexcept {
    return std::atomic_ref<float>(component).load(std::memory_order_relaxed);
}

// (x, y, w, h) of a Rect (the caller has checked that it is one) whose fields both hold
// exact Vector2, from their records. False, with nothing read and no exception, for any
// other rect: read it through its attribute access then (read_rect, common/arguments.hpp).
// The rect's critical section keeps its fields, and so their vectors, in place meanwhile;
// no Python code runs.
inline bool read_rect_records(const PackageTypes &t, PyObject *rect, double v[4]) noexcept {
    if (!vector2_records_readable(t)) {
        return false;
    }
    PyTypeObject *vector2 = t.vector2.type;
    return with_fields(reinterpret_cast<RectObject *>(rect), [&](PyObject *p, PyObject *s) {
        if (!Py_IS_TYPE(p, vector2) || !Py_IS_TYPE(s, vector2)) {
            return false;
        }
        auto &position = reinterpret_cast<Vector2Object *>(p)->data;
        auto &size = reinterpret_cast<Vector2Object *>(s)->data;
        v[0] = load_component(position.x);
        v[1] = load_component(position.y);
        v[2] = load_component(size.x);
        v[3] = load_component(size.y);
        return true;
    });
}

// Adds (dx, dy) to an exact Vector2 of the vector module's own type (the caller has
// checked: vector2_records_readable and the exact type) as its in-place addition does: each
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

}  // namespace tessel

#endif
