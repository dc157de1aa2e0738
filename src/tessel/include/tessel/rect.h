/* Rect: instance record and method table, for compiled modules of the tessel package.
 * C-compatible. The table is published in Rect.__dict__["__pyx_vtable__"] as a capsule
 * without a name; every instance points at the same table. */
#ifndef TESSEL_RECT_H
#define TESSEL_RECT_H

#include <Python.h>

#include "tessel/vector2.h"
#include "tessel/vector4.h"

#ifdef __cplusplus
extern "C" {
#endif

struct RectVTable;

/* With the interpreter lock off, read position and size only inside the object's critical
 * section (Py_BEGIN_CRITICAL_SECTION(rect)): another thread may replace and free them. */
typedef struct RectObject {
    PyObject_HEAD
    struct RectVTable *vtab;
    PyObject *position; /* Vector2 (or subtype) or None; never NULL outside destruction */
    PyObject *size;     /* Vector2 (or subtype) or None; never NULL outside destruction */
} RectObject;

/* Every entry but `new` takes the receiver first and the skip-dispatch flag last; the flag
 * is ignored (0 and 1 act alike). Object results are new references, NULL with an exception
 * set on failure. Truth results are 1 or 0; 0 with an exception set is a failure, so
 * callers test PyErr_Occurred() after every call. Typed arguments are not checked: pass an
 * object of the declared type, or None where the Python method accepts None. */
typedef struct RectVTable {
    /* A new rect holding these very objects (not copies, not checked: None is stored as it
     * is); __init__ does not run. */
#ifdef __cplusplus
    PyObject *(*new_)(PyObject *position, PyObject *size); /* `new`: a keyword in C++ */
#else
    PyObject *(*new)(PyObject *position, PyObject *size);
#endif
    PyObject *(*get_width)(RectObject *self, int __pyx_skip_dispatch);
    PyObject *(*get_height)(RectObject *self, int __pyx_skip_dispatch);
    int (*collide_point)(RectObject *self, PyObject *point, int __pyx_skip_dispatch);
    int (*collide_point_vector2)(RectObject *self, Vector2Object *point, int __pyx_skip_dispatch);
    int (*collide_point_tuple)(RectObject *self, PyObject *point, int __pyx_skip_dispatch);
    int (*collide_point_list)(RectObject *self, PyObject *point, int __pyx_skip_dispatch);
    int (*collide_rect)(RectObject *self, PyObject *other, int __pyx_skip_dispatch);
    int (*collide_rect_vector4)(RectObject *self, Vector4Object *other, int __pyx_skip_dispatch);
    int (*collide_rect_rect)(RectObject *self, RectObject *other, int __pyx_skip_dispatch);
    int (*collide_rect_tuple)(RectObject *self, PyObject *other, int __pyx_skip_dispatch);
    int (*collide_rect_list)(RectObject *self, PyObject *other, int __pyx_skip_dispatch);
    PyObject *(*get_vector4)(RectObject *self, int __pyx_skip_dispatch);
    PyObject *(*get_tuple)(RectObject *self, int __pyx_skip_dispatch);
} RectVTable;

#ifdef __cplusplus
}
#endif

#endif
