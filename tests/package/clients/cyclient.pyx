# cython: language_level=3
# A Cython client of the tessel C API (compiled as C), built by tests/test_clients.py
# against the installed headers only: the same functions as client.c, from declarations
# of the records and tables in `cdef extern from` blocks.
from cpython.object cimport PyObject
from cpython.pycapsule cimport PyCapsule_GetPointer

from tessel.rect.rect import Rect
from tessel.vector2.vector2 import Vector2
from tessel.vector4.vector4 import Vector4

cdef extern from "tessel/vector2.h":
    ctypedef struct Vector2Object:
        pass
    ctypedef struct Vector2VTable:
        object (*pyx_new "__pyx_new")(double x, double y)

cdef extern from "tessel/vector4.h":
    ctypedef struct Vector4Object:
        pass
    ctypedef struct Vector4VTable:
        object (*pyx_new "__pyx_new")(double x, double y, double z, double w)

cdef extern from "tessel/rect.h":
    ctypedef struct RectVTable
    ctypedef struct RectObject:
        RectVTable *vtab
        PyObject *position
        PyObject *size
    # Truth entries answer 0 both for false and for a failure: `except? 0` asks Cython to
    # look at the error indicator after a 0.
    ctypedef struct RectVTable:
        object (*new_ "new")(object position, object size)
        object (*get_width)(RectObject *self, int skip_dispatch)
        object (*get_height)(RectObject *self, int skip_dispatch)
        int (*collide_point)(RectObject *self, object point, int skip_dispatch) except? 0
        int (*collide_point_vector2)(RectObject *self, Vector2Object *point, int skip_dispatch) except? 0
        int (*collide_point_tuple)(RectObject *self, object point, int skip_dispatch) except? 0
        int (*collide_point_list)(RectObject *self, object point, int skip_dispatch) except? 0
        int (*collide_rect)(RectObject *self, object other, int skip_dispatch) except? 0
        int (*collide_rect_vector4)(RectObject *self, Vector4Object *other, int skip_dispatch) except? 0
        int (*collide_rect_rect)(RectObject *self, RectObject *other, int skip_dispatch) except? 0
        int (*collide_rect_tuple)(RectObject *self, object other, int skip_dispatch) except? 0
        int (*collide_rect_list)(RectObject *self, object other, int skip_dispatch) except? 0
        object (*get_vector4)(RectObject *self, int skip_dispatch)
        object (*get_tuple)(RectObject *self, int skip_dispatch)

cdef void *published(type cls) except NULL:
    return PyCapsule_GetPointer(cls.__dict__["__pyx_vtable__"], NULL)

cdef RectVTable *rect_table = <RectVTable *>published(Rect)
cdef Vector2VTable *vector2_table = <Vector2VTable *>published(Vector2)
cdef Vector4VTable *vector4_table = <Vector4VTable *>published(Vector4)

cdef inline RectObject *as_record(object rect):
    return <RectObject *>rect

def new(position, size):
    return rect_table.new_(position, size)

def vector2_new(double x, double y):
    return vector2_table.pyx_new(x, y)

def vector4_new(double x, double y, double z, double w):
    return vector4_table.pyx_new(x, y, z, w)

def record(rect):
    cdef RectObject *r = as_record(rect)
    return <object>r.position, <object>r.size, r.vtab == rect_table

def get_width(rect, int flag):
    return rect_table.get_width(as_record(rect), flag)

def get_height(rect, int flag):
    return rect_table.get_height(as_record(rect), flag)

def collide_point(rect, point, int flag):
    return bool(rect_table.collide_point(as_record(rect), point, flag))

def collide_point_vector2(rect, point, int flag):
    return bool(rect_table.collide_point_vector2(as_record(rect), <Vector2Object *>point, flag))

def collide_point_tuple(rect, point, int flag):
    return bool(rect_table.collide_point_tuple(as_record(rect), point, flag))

def collide_point_list(rect, point, int flag):
    return bool(rect_table.collide_point_list(as_record(rect), point, flag))

def collide_rect(rect, other, int flag):
    return bool(rect_table.collide_rect(as_record(rect), other, flag))

def collide_rect_vector4(rect, other, int flag):
    return bool(rect_table.collide_rect_vector4(as_record(rect), <Vector4Object *>other, flag))

def collide_rect_rect(rect, other, int flag):
    return bool(rect_table.collide_rect_rect(as_record(rect), as_record(other), flag))

def collide_rect_tuple(rect, other, int flag):
    return bool(rect_table.collide_rect_tuple(as_record(rect), other, flag))

def collide_rect_list(rect, other, int flag):
    return bool(rect_table.collide_rect_list(as_record(rect), other, flag))

def get_vector4(rect, int flag):
    return rect_table.get_vector4(as_record(rect), flag)

def get_tuple(rect, int flag):
    return rect_table.get_tuple(as_record(rect), flag)
