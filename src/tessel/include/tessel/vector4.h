/* Vector4: instance record and method table, for compiled modules of the tessel package.
 * C-compatible; the layout is checked by importers against the running type's size. */
#ifndef TESSEL_VECTOR4_H
#define TESSEL_VECTOR4_H

#include <Python.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct vector4_t {
    double x;
    double y;
    double z;
    double w;
} vector4_t;

struct Vector4VTable;

typedef struct Vector4Object {
    PyObject_HEAD
    struct Vector4VTable *vtab;
    vector4_t data;
} Vector4Object;

/* Published in Vector4.__dict__["__pyx_vtable__"] as a capsule without a name. */
typedef struct Vector4VTable {
    /* A new Vector4 holding (x, y, z, w); NULL with an exception set. */
    PyObject *(*__pyx_new)(double x, double y, double z, double w);
} Vector4VTable;

#ifdef __cplusplus
}
#endif

#endif
