// A vector's components by name (v.x), by index (v[0]) and by slice (v[::-1], a list as
// lists slice), its fixed length, iteration, and `in` by value.
#ifndef TESSEL_VECTORS_SEQUENCE_HPP
#define TESSEL_VECTORS_SEQUENCE_HPP

#include <Python.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <utility>

#include "common/number.hpp"
#include "common/ref.hpp"
#include "vectors/operands.hpp"

namespace tessel {

template <class Spec> struct VectorSequence : VectorOperands<Spec> {
    using Base = VectorOperands<Spec>;
    using Base::is_number;
    using Base::load;
    using Base::N;
    using Base::operand;
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

    // v[key] and v[key] = value, for an index as the interpreter's sequence protocol takes
    // it (the same errors, a negative index counted from the type's length) and for a slice.
    // Slot wrappers, so the interpreter's own messages are repeated here.
    static bool index_of_key(PyObject *self, PyObject *key, Py_ssize_t &i) {
        // An exact int of one digit is its own index, as PyNumber_AsSsize_t would give it.
        if (PyLong_CheckExact(key) &&
            PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject *>(key))) {
            i = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject *>(key));
        } else {
            i = PyNumber_AsSsize_t(key, PyExc_IndexError);
            if (i == -1 && PyErr_Occurred()) {
                return false;
            }
        }
        if (i < 0) {
            Py_ssize_t length = Py_TYPE(self)->tp_as_sequence->sq_length(self);
            if (length < 0) {
                return false;
            }
            i += length;
        }
        return true;
    }
    static void not_an_index(PyObject *key) {
        PyErr_Format(PyExc_TypeError, "sequence index must be integer, not '%.200s'",
                     Py_TYPE(key)->tp_name);
    }

    struct Slice {
        Py_ssize_t start, step, length;
    };
    static bool slice_of(PyObject *key, Slice &s) {
        Py_ssize_t stop;
        if (PySlice_Unpack(key, &s.start, &stop, &s.step) < 0) {
            return false;
        }
        s.length = PySlice_AdjustIndices(N, &s.start, &stop, s.step);
        return true;
    }

    static PyObject *mp_subscript(PyObject *self, PyObject *key) {
        // A slice has no index conversion: asked first, it spares slices the question.
        if (!PySlice_Check(key)) {
            Py_ssize_t i;
            if (PyLong_CheckExact(key) || PyIndex_Check(key)) {
                return index_of_key(self, key, i) ? sq_item(self, i) : nullptr;
            }
            not_an_index(key);
            return nullptr;
        }
        Slice s;
        if (!slice_of(key, s)) {
            return nullptr;
        }
        Values v = load(self);
        Ref list = Ref::steal(PyList_New(s.length));
        for (Py_ssize_t k = 0; list && k < s.length; ++k) {
            PyObject *c = PyFloat_FromDouble(v[s.start + k * s.step]);
            if (c == nullptr) {
                return nullptr;
            }
            PyList_SET_ITEM(list.get(), k, c);
        }
        return list.release();
    }

    // The numbers for a slice of k components: what a vector of k components would take as
    // its operand (for k = N, a vector of this type too).
    template <std::size_t K> static Read read_k(PyObject *o, Values &out) {
        Components<K> values;
        Read read = read_numbers(o, values);
        std::copy(values.begin(), values.end(), out.begin());
        return read;
    }
    static Read slice_values(PyObject *o, Py_ssize_t k, Values &out) {
        static constexpr auto readers = []<std::size_t... K>(std::index_sequence<K...>) {
            return std::array<Read (*)(PyObject *, Values &), sizeof...(K)>{read_k<K>...};
        }
        (std::make_index_sequence<std::size_t(N)>());
        return k == N ? operand(o, out) : readers[k](o, out);
    }

    // The values are read whole before any component is written.
    static int mp_ass_subscript(PyObject *self, PyObject *key, PyObject *value) {
        if (!PySlice_Check(key)) {
            Py_ssize_t i;
            if (PyLong_CheckExact(key) || PyIndex_Check(key)) {
                return index_of_key(self, key, i) ? sq_ass_item(self, i, value) : -1;
            }
            not_an_index(key);
            return -1;
        }
        Slice s;
        if (value == nullptr) {
            PyErr_Format(PyExc_TypeError, "cannot delete %s items", Spec::name);
            return -1;
        }
        if (!slice_of(key, s)) {
            return -1;
        }
        Values v;
        Read read = slice_values(value, s.length, v);
        if (read == Read::other) {
            PyErr_Format(PyExc_TypeError,
                         "%s slice assignment takes a sequence of as many numbers as the "
                         "slice has (%zd), not %.200s",
                         Spec::name, s.length, Py_TYPE(value)->tp_name);
        }
        if (read != Read::ok) {
            return -1;
        }
        for (Py_ssize_t k = 0; k < s.length; ++k) {
            store(self, s.start + k * s.step, v[k]);
        }
        return 0;
    }

    // `k in v`: whether the number k equals a component, as the interpreter compares a number
    // with a float (k in tuple(v)); TypeError for anything that is not a number.
    static int sq_contains(PyObject *self, PyObject *k) {
        Values v = load(self);
        double d;
        if (plain_double(k, &d)) {
            // Such a number compares with a float as its double does (common/number.hpp).
            return std::find(v.begin(), v.end(), d) != v.end();
        }
        if (!is_number(k)) {
            PyErr_Format(PyExc_TypeError, "'in <%s>' requires a number as left operand, not %.200s",
                         Spec::name, Py_TYPE(k)->tp_name);
            return -1;
        }
        for (double c : v) {
            Ref f = Ref::steal(PyFloat_FromDouble(c));
            int equal = f ? PyObject_RichCompareBool(k, f.get(), Py_EQ) : -1;
            if (equal != 0) {
                return equal;
            }
        }
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
