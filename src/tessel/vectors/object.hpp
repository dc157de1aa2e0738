// A vector as an object: the instance record a Spec describes (type.hpp says what a Spec
// gives), its components with atomic access, equality by the stored values, and a new vector
// of the exact type. Every other part of the vector type builds on this one.
#ifndef TESSEL_VECTORS_OBJECT_HPP
#define TESSEL_VECTORS_OBJECT_HPP

#include <Python.h>

#include <atomic>
#include <cstddef>
#include <utility>

#include "vectors/math.hpp"

namespace tessel {

template <class Spec> struct VectorObject {
    using T = typename Spec::Component;
    static constexpr Py_ssize_t N = Spec::size;
    // Every computation is done on doubles and narrowed once, when it is stored.
    using Values = Components<std::size_t(N)>;
    using Scaled = tessel::Scaled<std::size_t(N)>;

    static PyTypeObject type;  // with the other tables, in type.hpp

    static T &component(PyObject *self, Py_ssize_t i) {
        return reinterpret_cast<typename Spec::Object *>(self)->data.*Spec::fields[i];
    }

    // Without the global lock, several threads may read and write one vector at once.
    // Relaxed atomic access keeps each component whole; the components are not updated as
    // one, and an in-place operation updates each component in one atomic step of its own.
    static T load_stored(PyObject *self, Py_ssize_t i) {
        return std::atomic_ref<T>(component(self, i)).load(std::memory_order_relaxed);
    }
    static double load(PyObject *self, Py_ssize_t i) { return load_stored(self, i); }
    static void store(PyObject *self, Py_ssize_t i, double value) {
        std::atomic_ref<T>(component(self, i)).store(narrow(value), std::memory_order_relaxed);
    }
    // Unrolled at compile time, so that each component has a fixed offset and the values
    // can stay in registers (a loop over the field table goes through memory, and reading
    // the stored values back as a vector stalls).
    static Values load(PyObject *self) {
        return [self]<std::size_t... i>(std::index_sequence<i...>) {
            return Values{load(self, Py_ssize_t(i))...};
        }
        (std::make_index_sequence<std::size_t(N)>());
    }
    static void store_all(PyObject *self, const Values &v) {
        for (Py_ssize_t i = 0; i < N; ++i) {
            store(self, i, v[i]);
        }
    }
    template <class Op> static void update(PyObject *self, Py_ssize_t i, Op op) {
        std::atomic_ref<T> c(component(self, i));
        T old = c.load(std::memory_order_relaxed);
        while (!c.compare_exchange_weak(old, narrow(op(double(old))), std::memory_order_relaxed)) {
        }
    }

    // Round to nearest; magnitudes beyond the float range become infinities (IEEE-754).
    static T narrow(double value) { return static_cast<T>(value); }

    static bool is_vector(PyObject *o) { return PyObject_TypeCheck(o, &type); }

    // A new vector of the exact type: what every operation that makes a vector returns, and
    // the method table's __pyx_new.
    static PyObject *make(const Values &v) {
        auto *self = PyObject_New(typename Spec::Object, &type);
        if (self == nullptr) {
            return nullptr;
        }
        self->vtab = &Spec::vtable;
        for (Py_ssize_t i = 0; i < N; ++i) {
            self->data.*Spec::fields[i] = narrow(v[i]);  // not yet shared with any thread
        }
        return reinterpret_cast<PyObject *>(self);
    }

    static PyObject *tp_richcompare(PyObject *self, PyObject *other, int op) {
        if ((op != Py_EQ && op != Py_NE) || !is_vector(other)) {
            Py_RETURN_NOTIMPLEMENTED;
        }
        Values a = load(self);
        Values b = load(other);
        bool equal = a == b;  // element-wise ==: a NaN is unequal to itself
        return PyBool_FromLong(equal == (op == Py_EQ));
    }
};

}  // namespace tessel

#endif
