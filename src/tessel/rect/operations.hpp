// Every operation of Rect, by the file that owns it. The method-table entries keep the
// signatures of the public table in tessel/rect.h.
#ifndef TESSEL_RECT_OPERATIONS_HPP
#define TESSEL_RECT_OPERATIONS_HPP

#include <Python.h>

#include "tessel/rect.h"

namespace tessel::rect {

// object.cpp: creation, the factory entry.
PyObject *rect_tp_new(PyTypeObject *type, PyObject *args, PyObject *kwds);
PyObject *rect_new(PyObject *position, PyObject *size);

// construct.cpp: __init__.
int rect_init(PyObject *self, PyObject *args, PyObject *kwds);

// geometry.cpp: the fifteen properties and the size accessors.
extern PyGetSetDef kRectProperties[];
PyObject *get_width(RectObject *self, int skip_dispatch);
PyObject *get_height(RectObject *self, int skip_dispatch);

// collide.cpp: points inside, rectangles overlapping.
int collide_point(RectObject *self, PyObject *point, int skip_dispatch);
int collide_point_vector2(RectObject *self, Vector2Object *point, int skip_dispatch);
int collide_point_tuple(RectObject *self, PyObject *point, int skip_dispatch);
int collide_point_list(RectObject *self, PyObject *point, int skip_dispatch);
int collide_rect(RectObject *self, PyObject *other, int skip_dispatch);
int collide_rect_vector4(RectObject *self, Vector4Object *other, int skip_dispatch);
int collide_rect_rect(RectObject *self, RectObject *other, int skip_dispatch);
int collide_rect_tuple(RectObject *self, PyObject *other, int skip_dispatch);
int collide_rect_list(RectObject *self, PyObject *other, int skip_dispatch);

// sequence.cpp: length, indexing.
extern PySequenceMethods kRectSequence;
extern PyMappingMethods kRectMapping;

// convert.cpp: conversions, equality, text form.
PyObject *get_vector4(RectObject *self, int skip_dispatch);
PyObject *get_tuple(RectObject *self, int skip_dispatch);
PyObject *rect_repr(PyObject *self);
PyObject *rect_richcompare(PyObject *self, PyObject *other, int op);

// pickle.cpp: the pickling hooks' operations and the module's unpickling function.
PyObject *rect_reduce(RectObject *self);
PyObject *rect_setstate(RectObject *self, PyObject *state);
PyObject *new_unpickle_function();

}  // namespace tessel::rect

#endif
