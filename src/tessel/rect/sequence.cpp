// The sequence protocol: a rect is the fixed sequence (x, y, w, h). Iteration, unpacking,
// reversed() and `in` follow from the length and the item slot.
#include <Python.h>

#include "frames.hpp"
#include "integer.hpp"
#include "operations.hpp"
#include "vectors.hpp"

namespace tessel::rect {
namespace {

constexpr int kLength = 4;

Py_ssize_t rect_length(PyObject *) { return kLength; }

// Index 0..3: position.x, position.y, size.x, size.y.
Field index_field(int i) { return i < 2 ? Field::position : Field::size; }
Str index_axis(int i) { return i % 2 == 0 ? Str::x : Str::y; }
bool in_range(int i) { return 0 <= i && i < kLength; }

void raise_out_of_range() { PyErr_SetObject(PyExc_IndexError, str(Str::index_out_of_range)); }

// The index as a 32-bit int. A compact exact int is what the general conversion reads
// from the object itself, and its value (at most one 30-bit digit) always fits.
bool index_of(PyObject *index, int *out) {
    if (PyLong_CheckExact(index) &&
        PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject *>(index))) {
        *out =
            static_cast<int>(PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject *>(index)));
        return true;
    }
    return to_int32(index, out);
}

Ref getitem(RectObject *r, PyObject *index) {
    int i;
    if (!index_of(index, &i)) {
        return Ref();
    }
    if (!in_range(i)) {
        raise_out_of_range();
        return Ref();
    }
    return component(r, index_field(i), index_axis(i));
}

PyObject *rect_getitem(PyObject *self, PyObject *index) {
    return framed(Frame::getitem, getitem(as_rect(self), index));
}

bool setitem(RectObject *r, PyObject *index, PyObject *value) {
    int i;
    double d;
    if (!index_of(index, &i) || !to_double(value, &d)) {
        return false;
    }
    if (!in_range(i)) {
        raise_out_of_range();
        return false;
    }
    // Components are written at single precision (round to nearest).
    Ref narrowed = Ref::steal(PyFloat_FromDouble(static_cast<float>(d)));
    return narrowed && set_component(r, index_field(i), index_axis(i), narrowed.get());
}

int rect_setitem(PyObject *self, PyObject *index, PyObject *value) {
    if (value == nullptr) {
        PyErr_Format(PyExc_NotImplementedError, "Subscript deletion not supported by %.200s",
                     Py_TYPE(self)->tp_name);
        return -1;
    }
    return framed_status(Frame::setitem, setitem(as_rect(self), index, value));
}

// The item slot forwards to the subscript with an int key.
PyObject *rect_item(PyObject *self, Py_ssize_t i) {
    Ref key = Ref::steal(PyLong_FromSsize_t(i));
    return key ? Py_TYPE(self)->tp_as_mapping->mp_subscript(self, key.get()) : nullptr;
}

}  // namespace

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
PySequenceMethods kRectSequence = {
    .sq_length = rect_length,
    .sq_item = rect_item,
};

PyMappingMethods kRectMapping = {
    .mp_length = rect_length,
    .mp_subscript = rect_getitem,
    .mp_ass_subscript = rect_setitem,
};
#pragma GCC diagnostic pop

}  // namespace tessel::rect
