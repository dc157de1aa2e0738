/* A compiled client of the tessel C API, built by tests/test_clients.py against the
 * installed headers only. Written in the common subset of C11 and C++20 so that one source
 * checks both spellings of the factory entry. Every function takes Python objects, calls
 * one table entry and hands its answer back, failures included, for the test to compare
 * with the Python methods. TESSEL_CLIENT names the module. */
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "tessel/rect.h"

#ifdef __cplusplus
#define NEW_ENTRY new_
#else
#define NEW_ENTRY new
#endif

#define CONCAT(a, b) a##b
#define INIT_NAME(name) CONCAT(PyInit_, name)
#define STRING(name) #name
#define NAME_TEXT(name) STRING(name)

static RectVTable *rect_table;
static Vector2VTable *vector2_table;
static Vector4VTable *vector4_table;

/* The table published by `module`.`type_name`, as every instance of that type points at. */
static void *published_table(const char *module, const char *type_name) {
    void *table = NULL;
    PyObject *mod = PyImport_ImportModule(module);
    PyObject *type = mod ? PyObject_GetAttrString(mod, type_name) : NULL;
    PyObject *dict = type ? PyObject_GetAttrString(type, "__dict__") : NULL;
    PyObject *capsule = dict ? PyMapping_GetItemString(dict, "__pyx_vtable__") : NULL;
    if (capsule != NULL) {
        table = PyCapsule_GetPointer(capsule, NULL);
    }
    Py_XDECREF(capsule);
    Py_XDECREF(dict);
    Py_XDECREF(type);
    Py_XDECREF(mod);
    return table;
}

static PyObject *truth(int answer) {
    if (PyErr_Occurred()) {
        return NULL;
    }
    return PyBool_FromLong(answer);
}

static PyObject *client_new(PyObject *module, PyObject *args) {
    PyObject *position, *size;
    (void)module;
    if (!PyArg_ParseTuple(args, "OO", &position, &size)) {
        return NULL;
    }
    return rect_table->NEW_ENTRY(position, size);
}

static PyObject *client_vector2_new(PyObject *module, PyObject *args) {
    double x, y;
    (void)module;
    if (!PyArg_ParseTuple(args, "dd", &x, &y)) {
        return NULL;
    }
    return vector2_table->__pyx_new(x, y);
}

static PyObject *client_vector4_new(PyObject *module, PyObject *args) {
    double x, y, z, w;
    (void)module;
    if (!PyArg_ParseTuple(args, "dddd", &x, &y, &z, &w)) {
        return NULL;
    }
    return vector4_table->__pyx_new(x, y, z, w);
}

/* (position, size, whether the record's table is the published one), read from the record. */
static PyObject *client_record(PyObject *module, PyObject *args) {
    PyObject *object;
    RectObject *rect;
    (void)module;
    if (!PyArg_ParseTuple(args, "O", &object)) {
        return NULL;
    }
    rect = (RectObject *)object;
    return Py_BuildValue("OOO", rect->position, rect->size,
                         rect->vtab == rect_table ? Py_True : Py_False);
}

/* Entries with no argument besides the rect and the flag. */
#define OBJECT_ENTRY(name)                                                  \
    static PyObject *client_##name(PyObject *module, PyObject *args) {      \
        PyObject *rect;                                                     \
        int flag;                                                           \
        (void)module;                                                       \
        if (!PyArg_ParseTuple(args, "Oi", &rect, &flag)) {                  \
            return NULL;                                                    \
        }                                                                   \
        return rect_table->name((RectObject *)rect, flag);                  \
    }

/* Truth entries: 0 with an exception set is a failure. */
#define TRUTH_ENTRY(name, type)                                             \
    static PyObject *client_##name(PyObject *module, PyObject *args) {      \
        PyObject *rect, *arg;                                               \
        int flag;                                                           \
        (void)module;                                                       \
        if (!PyArg_ParseTuple(args, "OOi", &rect, &arg, &flag)) {           \
            return NULL;                                                    \
        }                                                                   \
        return truth(rect_table->name((RectObject *)rect, (type *)arg, flag)); \
    }

OBJECT_ENTRY(get_width)
OBJECT_ENTRY(get_height)
TRUTH_ENTRY(collide_point, PyObject)
TRUTH_ENTRY(collide_point_vector2, Vector2Object)
TRUTH_ENTRY(collide_point_tuple, PyObject)
TRUTH_ENTRY(collide_point_list, PyObject)
TRUTH_ENTRY(collide_rect, PyObject)
TRUTH_ENTRY(collide_rect_vector4, Vector4Object)
TRUTH_ENTRY(collide_rect_rect, RectObject)
TRUTH_ENTRY(collide_rect_tuple, PyObject)
TRUTH_ENTRY(collide_rect_list, PyObject)
OBJECT_ENTRY(get_vector4)
OBJECT_ENTRY(get_tuple)

#define METHOD(name) {#name, client_##name, METH_VARARGS, NULL}

static PyMethodDef client_methods[] = {
    METHOD(new),
    METHOD(vector2_new),
    METHOD(vector4_new),
    METHOD(record),
    METHOD(get_width),
    METHOD(get_height),
    METHOD(collide_point),
    METHOD(collide_point_vector2),
    METHOD(collide_point_tuple),
    METHOD(collide_point_list),
    METHOD(collide_rect),
    METHOD(collide_rect_vector4),
    METHOD(collide_rect_rect),
    METHOD(collide_rect_tuple),
    METHOD(collide_rect_list),
    METHOD(get_vector4),
    METHOD(get_tuple),
    {NULL, NULL, 0, NULL},
};

static PyModuleDef client_module = {
    PyModuleDef_HEAD_INIT, NAME_TEXT(TESSEL_CLIENT), NULL, -1, client_methods,
    NULL, NULL, NULL, NULL,
};

PyMODINIT_FUNC INIT_NAME(TESSEL_CLIENT)(void) {
    PyObject *module;
    rect_table = (RectVTable *)published_table("tessel.rect.rect", "Rect");
    vector2_table = (Vector2VTable *)published_table("tessel.vector2.vector2", "Vector2");
    vector4_table = (Vector4VTable *)published_table("tessel.vector4.vector4", "Vector4");
    if (rect_table == NULL || vector2_table == NULL || vector4_table == NULL) {
        return NULL;
    }
    module = PyModule_Create(&client_module);
#ifdef Py_GIL_DISABLED
    /* The rect entries rely on the lock, which importing tessel.rect.rect has switched on. */
    if (module != NULL && PyUnstable_Module_SetGIL(module, Py_MOD_GIL_USED) < 0) {
        Py_DECREF(module);
        return NULL;
    }
#endif
    return module;
}
