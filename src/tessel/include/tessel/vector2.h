/* Vector2: instance record and method table, for compiled modules of the tessel package.
 * C-compatible; the layout is checked by importers against the running type's size. */
#ifndef TESSEL_VECTOR2_H
#define TESSEL_VECTOR2_H

#include <Python.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vector2_t {
    float x;
    float y;
} vector2_t;

struct Vector2VTable;

typedef struct Vector2Object {
    PyObject_HEAD
    struct Vector2VTable *vtab;
    vector2_t data;
} Vector2Object;

/* Published in Vector2.__dict__["__pyx_vtable__"] as a capsule without a name. */
typedef struct Vector2VTable {
    /* A new Vector2 holding (x, y) narrowed to single precision; NULL with an exception set. */
    PyObject *(*__pyx_new)(double x, double y);
} Vector2VTable;

#ifdef __cplusplus
}
#endif

#endif
