// A vector's components by name (v.x) and by index (v[0]), its fixed length, and iteration.
#ifndef TESSEL_VECTORS_SEQUENCE_HPP
#define TESSEL_VECTORS_SEQUENCE_HPP

#include <Python.h>

#include <atomic>
#include <cstdint>

#include "common/number.hpp"
#include "vectors/object.hpp"

namespace tessel {

template <class Spec> struct VectorSequence : VectorObject<Spec> {
    using Base = VectorObject<Spec>;
    using Base::load;
    using Base::N;
    using Base::store;
    using typename Base::Values;

    // The closure of a component's property is its index.
    static Py_ssize_t index_of(void *closure) { return reinterpret_cast<std::intptr_t>(closure); }

    static PyObject *get_component(PyObject *self, void *closure) {
        return PyFloat_FromDouble(load(self, index_of(closure)));
    }

    static int set_component(PyObject *self, PyObject *value, void *closure) {
        Py_ssize_t i = index_of(closure);
        if (value == nullptr) {
            PyErr_Format(PyExc_TypeError, "cannot delete %s", Spec::names[i]);
            return -1;
        }
        double d;
        if (!to_double(value, &d)) {
            return -1;
        }
        store(self, i, d);
        return 0;
    }

    static Py_ssize_t sq_length(PyObject *) { return N; }

    static bool check_index(Py_ssize_t i) {
        if (i >= 0 && i < N) {
            return true;
        }
        PyErr_Format(PyExc_IndexError, "%s index out of range", Spec::name);
        return false;
    }

    // The interpreter has already added the length to a negative index.
    static PyObject *sq_item(PyObject *self, Py_ssize_t i) {
        return check_index(i) ? PyFloat_FromDouble(load(self, i)) : nullptr;
    }

    static int sq_ass_item(PyObject *self, Py_ssize_t i, PyObject *value) {
        if (value == nullptr) {
            PyErr_Format(PyExc_TypeError, "cannot delete %s items", Spec::name);
            return -1;
        }
        double d;
        if (!check_index(i) || !to_double(value, &d)) {
            return -1;
        }
        store(self, i, d);
        return 0;
    }

    // Iteration gives the components as they were when it began. The iterator holds no
    // reference, so it can take part in no reference cycle.
    struct Iterator {
        PyObject_HEAD
        Py_ssize_t next;
        Values values;
    };
    static PyTypeObject iterator_type;  // with the other tables, in type.hpp

    static PyObject *tp_iter(PyObject *self) {
        Iterator *it = PyObject_New(Iterator, &iterator_type);
        if (it != nullptr) {
            it->next = 0;
            it->values = load(self);
        }
        return reinterpret_cast<PyObject *>(it);
    }

    // Threads sharing one iterator may each see an item twice, never one out of range.
    static PyObject *iternext(PyObject *o) {
        Iterator *it = reinterpret_cast<Iterator *>(o);
        std::atomic_ref<Py_ssize_t> next(it->next);
        Py_ssize_t i = next.load(std::memory_order_relaxed);
        if (i >= N) {
            return nullptr;  // exhausted, without the cost of an exception
        }
        next.store(i + 1, std::memory_order_relaxed);
        return PyFloat_FromDouble(it->values[i]);
    }
};

}  // namespace tessel

#endif
