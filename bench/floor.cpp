// The floor: a bench-only rectangle type that does, for each benchmarked operation, only the
// work a Rect operation must do and nothing else: the component reads (each one a call of the
// vector's own x or y, which makes a float), the conversions to double, and the objects the
// operation returns or stores. It reaches the vectors the cheapest way a Rect may: an exact
// Vector2's descriptor function, called directly. The typed collision forms, which take the
// values of exact vectors and plain numbers (exact floats, one-digit ints) from their records
// and storage (every read they make is then without effect), do only that: the argument's
// type check, the loads and the comparisons. It has no frames, no messages and no general
// paths: it serves the bench's inputs (exact Vector2 fields, exact float components) only, and
// refuses anything else. Never installed; built with -DTESSEL_BENCH=ON.
#include <Python.h>

#include "tessel/vector2.h"
#include "tessel/vector4.h"

namespace {

struct FloorObject {
    PyObject_HEAD
    void *vtab;
    PyObject *position;
    PyObject *size;
};

PyTypeObject *g_vector2;
PyTypeObject *g_vector4;
PyTypeObject *g_tuple = &PyTuple_Type;
PyTypeObject *g_list = &PyList_Type;
PyTypeObject *g_floor;  // FloorType, set at start-up
Vector2VTable *g_vector2_vtab;
PyGetSetDef *g_component[2];  // x, y
PyObject *g_half;             // 0.5
PyObject *g_repr_pieces[3];   // "Rect(position=", ", size=", ")"
PyObject *g_empty;            // "", the empty format

FloorObject *as_floor(PyObject *o) { return reinterpret_cast<FloorObject *>(o); }

PyObject *refuse() {
    PyErr_SetString(PyExc_TypeError, "the floor serves the bench's inputs only");
    return nullptr;
}

// One mandated component read: a new float from the vector's own getter.
PyObject *read(PyObject *vector, int axis) {
    if (!Py_IS_TYPE(vector, g_vector2)) {
        return refuse();
    }
    return g_component[axis]->get(vector, g_component[axis]->closure);
}

// One read of component i (position.x, position.y, size.x, size.y), the field held while it is
// read.
PyObject *read_field(PyObject *self, int i) {
    PyObject *vector = Py_NewRef(i < 2 ? as_floor(self)->position : as_floor(self)->size);
    PyObject *value = read(vector, i % 2);
    Py_DECREF(vector);
    return value;
}

// A read of field.<axis> converted to a double; the field held while it is read.
bool read_double(PyObject *FloorObject::*field, PyObject *self, int axis, double *out) {
    PyObject *vector = Py_NewRef(as_floor(self)->*field);
    PyObject *value = read(vector, axis);
    Py_DECREF(vector);
    if (value == nullptr) {
        return false;
    }
    if (!PyFloat_CheckExact(value)) {
        Py_DECREF(value);
        refuse();
        return false;
    }
    *out = PyFloat_AS_DOUBLE(value);
    Py_DECREF(value);
    return true;
}

bool pos(PyObject *self, int axis, double *out) {
    return read_double(&FloorObject::position, self, axis, out);
}
bool size(PyObject *self, int axis, double *out) {
    return read_double(&FloorObject::size, self, axis, out);
}

int write(PyObject *FloorObject::*field, PyObject *self, int axis, PyObject *value) {
    PyObject *vector = Py_NewRef(as_floor(self)->*field);
    int status = Py_IS_TYPE(vector, g_vector2)
                     ? g_component[axis]->set(vector, value, g_component[axis]->closure)
                     : (refuse(), -1);
    Py_DECREF(vector);
    return status;
}

bool to_double(PyObject *o, double *out) {
    if (PyFloat_CheckExact(o)) {
        *out = PyFloat_AS_DOUBLE(o);
        return true;
    }
    *out = PyFloat_AsDouble(o);
    return !(*out == -1.0 && PyErr_Occurred());
}

void store(PyObject *&field, PyObject *value) {
    PyObject *old = field;
    field = value;
    Py_XDECREF(old);
}

// Creation: the record with both fields None, then four conversions and two new vectors.
PyObject *floor_new(PyTypeObject *type, PyObject *, PyObject *) {
    PyObject *o = type->tp_alloc(type, 0);
    if (o != nullptr) {
        as_floor(o)->position = Py_NewRef(Py_None);
        as_floor(o)->size = Py_NewRef(Py_None);
    }
    return o;
}

int floor_init(PyObject *self, PyObject *args, PyObject *kwds) {
    if ((kwds != nullptr && PyDict_GET_SIZE(kwds) > 0) || PyTuple_GET_SIZE(args) != 4) {
        refuse();
        return -1;
    }
    double v[4];
    for (int i = 0; i < 2; ++i) {
        if (!to_double(PyTuple_GET_ITEM(args, 2 * i), &v[2 * i]) ||
            !to_double(PyTuple_GET_ITEM(args, 2 * i + 1), &v[2 * i + 1])) {
            return -1;
        }
        PyObject *vector = g_vector2_vtab->__pyx_new(v[2 * i], v[2 * i + 1]);
        if (vector == nullptr) {
            return -1;
        }
        store(i == 0 ? as_floor(self)->position : as_floor(self)->size, vector);
    }
    return 0;
}

int floor_traverse(PyObject *self, visitproc visit, void *arg) {
    Py_VISIT(as_floor(self)->position);
    Py_VISIT(as_floor(self)->size);
    return 0;
}

void floor_dealloc(PyObject *self) {
    PyObject_GC_UnTrack(self);
    Py_CLEAR(as_floor(self)->position);
    Py_CLEAR(as_floor(self)->size);
    Py_TYPE(self)->tp_free(self);
}

// r.x: one read.
PyObject *get_x(PyObject *self, void *) { return read_field(self, 0); }

// r.x = value: one write of the caller's object.
int set_x(PyObject *self, PyObject *value, void *) {
    return value ? write(&FloorObject::position, self, 0, value) : (refuse(), -1);
}

// r.right: two reads, one new float.
PyObject *get_right(PyObject *self, void *) {
    double p, s;
    if (!pos(self, 0, &p) || !size(self, 0, &s)) {
        return nullptr;
    }
    return PyFloat_FromDouble(p + s);
}

// r.center: four reads, one new vector.
PyObject *get_center(PyObject *self, void *) {
    double c[2];
    double h = PyFloat_AS_DOUBLE(g_half);
    for (int a = 0; a < 2; ++a) {
        double p, s;
        if (!pos(self, a, &p) || !size(self, a, &s)) {
            return nullptr;
        }
        c[a] = p + s * h;
    }
    return g_vector2_vtab->__pyx_new(c[0], c[1]);
}

// r.center = (x, y): two conversions, then per axis one read, one new float, one write.
int set_center(PyObject *self, PyObject *value, void *) {
    if (value == nullptr || !PyTuple_CheckExact(value) || PyTuple_GET_SIZE(value) < 2) {
        refuse();
        return -1;
    }
    double xy[2];
    if (!to_double(PyTuple_GET_ITEM(value, 0), &xy[0]) ||
        !to_double(PyTuple_GET_ITEM(value, 1), &xy[1])) {
        return -1;
    }
    double h = PyFloat_AS_DOUBLE(g_half);
    for (int a = 0; a < 2; ++a) {
        double s;
        if (!size(self, a, &s)) {
            return -1;
        }
        PyObject *target = PyFloat_FromDouble(xy[a] - s * h);
        if (target == nullptr) {
            return -1;
        }
        int status = write(&FloorObject::position, self, a, target);
        Py_DECREF(target);
        if (status < 0) {
            return -1;
        }
    }
    return 0;
}

// r[i]: a small int read from the object, one read.
PyObject *floor_getitem(PyObject *self, PyObject *index) {
    if (!PyLong_CheckExact(index) ||
        !PyUnstable_Long_IsCompact(reinterpret_cast<PyLongObject *>(index))) {
        return refuse();
    }
    Py_ssize_t i = PyUnstable_Long_CompactValue(reinterpret_cast<PyLongObject *>(index));
    return i < 0 || i > 3 ? refuse() : read_field(self, static_cast<int>(i));
}

Py_ssize_t floor_length(PyObject *) { return 4; }

// Methods take the fast calling convention with keyword names, as the Rect methods must.
PyObject *one_arg(PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames) {
    return nargs == 1 && kwnames == nullptr ? args[0] : refuse();
}

// collide_point((x, y)) of a point inside: two conversions, six reads.
PyObject *collide_point(PyObject *self, PyObject *const *args, Py_ssize_t nargs,
                        PyObject *kwnames) {
    PyObject *point = one_arg(args, nargs, kwnames);
    if (point == nullptr) {
        return nullptr;
    }
    if (!PyTuple_CheckExact(point) || PyTuple_GET_SIZE(point) != 2) {
        return refuse();
    }
    double xy[2];
    if (!to_double(PyTuple_GET_ITEM(point, 0), &xy[0]) ||
        !to_double(PyTuple_GET_ITEM(point, 1), &xy[1])) {
        return nullptr;
    }
    for (int a = 0; a < 2; ++a) {
        double p, p2, s;
        if (!pos(self, a, &p)) {
            return nullptr;
        }
        if (!(p <= xy[a])) {
            Py_RETURN_FALSE;
        }
        if (!pos(self, a, &p2) || !size(self, a, &s)) {
            return nullptr;
        }
        if (!(xy[a] <= p2 + s)) {
            Py_RETURN_FALSE;
        }
    }
    Py_RETURN_TRUE;
}

// collide_rect(r2) of an overlapping rect: four reads of the other, six of this one.
PyObject *collide_rect(PyObject *self, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames) {
    PyObject *other = one_arg(args, nargs, kwnames);
    if (other == nullptr) {
        return nullptr;
    }
    if (Py_TYPE(other) != Py_TYPE(self)) {
        return refuse();
    }
    double v[4];
    if (!pos(other, 0, &v[0]) || !pos(other, 1, &v[1]) || !size(other, 0, &v[2]) ||
        !size(other, 1, &v[3])) {
        return nullptr;
    }
    for (int a = 0; a < 2; ++a) {
        double p, p2, s;
        if (!pos(self, a, &p)) {
            return nullptr;
        }
        if (!(p < v[a] + v[a + 2])) {
            Py_RETURN_FALSE;
        }
        if (!pos(self, a, &p2) || !size(self, a, &s)) {
            return nullptr;
        }
        if (!(v[a] < p2 + s)) {
            Py_RETURN_FALSE;
        }
    }
    Py_RETURN_TRUE;
}

// The typed collision forms: the values from records and storage.

// position.x, position.y, size.x, size.y from two exact Vector2's records.
bool records(PyObject *self, double *r) {
    PyObject *p = as_floor(self)->position;
    PyObject *s = as_floor(self)->size;
    if (!Py_IS_TYPE(p, g_vector2) || !Py_IS_TYPE(s, g_vector2)) {
        return false;
    }
    const vector2_t &pd = reinterpret_cast<Vector2Object *>(p)->data;
    const vector2_t &sd = reinterpret_cast<Vector2Object *>(s)->data;
    r[0] = pd.x, r[1] = pd.y, r[2] = sd.x, r[3] = sd.y;
    return true;
}

bool plain(PyObject *o, double *out) {
    if (PyFloat_CheckExact(o)) {
        *out = PyFloat_AS_DOUBLE(o);
        return true;
    }
    PyLongObject *n = reinterpret_cast<PyLongObject *>(o);
    if (PyLong_CheckExact(o) && PyUnstable_Long_IsCompact(n)) {
        *out = static_cast<double>(PyUnstable_Long_CompactValue(n));
        return true;
    }
    return false;
}

template <int N> bool items(PyObject *seq, double *out) {
    PyObject *const *all = PyTuple_CheckExact(seq) ? &PyTuple_GET_ITEM(seq, 0)
                                                   : reinterpret_cast<PyListObject *>(seq)->ob_item;
    if (Py_SIZE(seq) < N) {
        return false;
    }
    for (int k = 0; k < N; ++k) {
        if (!plain(all[k], &out[k])) {
            return false;
        }
    }
    return true;
}

bool vector2_values(PyObject *v, double *out) {
    if (!Py_IS_TYPE(v, g_vector2)) {
        return false;
    }
    const vector2_t &d = reinterpret_cast<Vector2Object *>(v)->data;
    out[0] = d.x, out[1] = d.y;
    return true;
}

bool vector4_values(PyObject *v, double *out) {
    if (!Py_IS_TYPE(v, g_vector4)) {
        return false;
    }
    const vector4_t &d = reinterpret_cast<Vector4Object *>(v)->data;
    out[0] = d.x, out[1] = d.y, out[2] = d.z, out[3] = d.w;
    return true;
}

// The argument checked as a typed parameter is (exactly, or a subtype), then N values (a
// point of 2, a rect of 4) read by Values and tested against this rect's records.
template <PyTypeObject **Type, bool Exact, int N, bool (*Values)(PyObject *, double *)>
PyObject *typed(PyObject *self, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames) {
    PyObject *arg = one_arg(args, nargs, kwnames);
    if (arg == nullptr) {
        return nullptr;
    }
    if (!(Exact ? Py_IS_TYPE(arg, *Type) : PyObject_TypeCheck(arg, *Type))) {
        return refuse();
    }
    double r[4], v[4];
    if (!Values(arg, v) || !records(self, r)) {
        return refuse();
    }
    bool hit = N == 2 ? r[0] <= v[0] && v[0] <= r[0] + r[2] && r[1] <= v[1] && v[1] <= r[1] + r[3]
                      : r[0] < v[0] + v[2] && v[0] < r[0] + r[2] && r[1] < v[1] + v[3] &&
                            v[1] < r[1] + r[3];
    return PyBool_FromLong(hit);
}

// A method of the fast calling convention with keyword names.
template <auto F> PyMethodDef fastcall(const char *name) {
    return {name, reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(F)),
            METH_FASTCALL | METH_KEYWORDS, nullptr};
}

// get_tuple(): four reads (the field taken afresh for each), one new tuple.
PyObject *get_tuple(PyObject *self, PyObject *const *, Py_ssize_t nargs, PyObject *kwnames) {
    if (nargs != 0 || kwnames != nullptr) {
        return refuse();
    }
    PyObject *values[4] = {};
    for (int i = 0; i < 4; ++i) {
        values[i] = read_field(self, i);
        if (values[i] == nullptr) {
            for (int j = 0; j < i; ++j) {
                Py_DECREF(values[j]);
            }
            return nullptr;
        }
    }
    PyObject *result = PyTuple_New(4);
    for (int i = 0; i < 4; ++i) {
        if (result != nullptr) {
            PyTuple_SET_ITEM(result, i, values[i]);
        } else {
            Py_DECREF(values[i]);
        }
    }
    return result;
}

// r == r3 of equal rects: per pair, a read of this one, a read of other's field (its own
// field, as its descriptor would give it) and of its component, and the comparison.
PyObject *floor_richcompare(PyObject *self, PyObject *other, int op) {
    if (op != Py_EQ || Py_TYPE(other) != Py_TYPE(self)) {
        return refuse();
    }
    for (int i = 0; i < 4; ++i) {
        auto field = i < 2 ? &FloorObject::position : &FloorObject::size;
        double left, right;
        if (!read_double(field, self, i % 2, &left) || !read_double(field, other, i % 2, &right)) {
            return nullptr;
        }
        if (!(left == right)) {
            Py_RETURN_FALSE;
        }
    }
    Py_RETURN_TRUE;
}

// repr(r): the two vectors' text (formatted with the empty format) joined in one string.
PyObject *floor_repr(PyObject *self) {
    PyObject *texts[2] = {};
    PyObject *fields[2] = {Py_NewRef(as_floor(self)->position), Py_NewRef(as_floor(self)->size)};
    PyObject *result = nullptr;
    texts[0] = PyObject_Format(fields[0], g_empty);
    texts[1] = texts[0] ? PyObject_Format(fields[1], g_empty) : nullptr;
    if (texts[1] != nullptr) {
        PyObject *pieces[5] = {g_repr_pieces[0], texts[0], g_repr_pieces[1], texts[1],
                               g_repr_pieces[2]};
        Py_ssize_t length = 0;
        Py_UCS4 maxchar = 0;
        for (PyObject *piece : pieces) {
            length += PyUnicode_GET_LENGTH(piece);
            Py_UCS4 m = PyUnicode_MAX_CHAR_VALUE(piece);
            maxchar = m > maxchar ? m : maxchar;
        }
        result = PyUnicode_New(length, maxchar);
        Py_ssize_t at = 0;
        for (PyObject *piece : pieces) {
            if (result == nullptr) {
                break;
            }
            Py_ssize_t n = PyUnicode_GET_LENGTH(piece);
            if (PyUnicode_CopyCharacters(result, at, piece, 0, n) < 0) {
                Py_CLEAR(result);
            }
            at += n;
        }
    }
    for (int i = 0; i < 2; ++i) {
        Py_XDECREF(texts[i]);
        Py_DECREF(fields[i]);
    }
    return result;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wcast-function-type"
PyGetSetDef floor_getset[] = {
    {"x", get_x, set_x, nullptr, nullptr},
    {"right", get_right, nullptr, nullptr, nullptr},
    {"center", get_center, set_center, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef floor_methods[] = {
    fastcall<collide_point>("collide_point"),
    fastcall<collide_rect>("collide_rect"),
    fastcall<get_tuple>("get_tuple"),
    fastcall<typed<&g_tuple, true, 2, items<2>>>("collide_point_tuple"),
    fastcall<typed<&g_list, true, 2, items<2>>>("collide_point_list"),
    fastcall<typed<&g_vector2, false, 2, vector2_values>>("collide_point_vector2"),
    fastcall<typed<&g_floor, false, 4, records>>("collide_rect_rect"),
    fastcall<typed<&g_tuple, true, 4, items<4>>>("collide_rect_tuple"),
    fastcall<typed<&g_list, true, 4, items<4>>>("collide_rect_list"),
    fastcall<typed<&g_vector4, false, 4, vector4_values>>("collide_rect_vector4"),
    {nullptr, nullptr, 0, nullptr},
};

PyMappingMethods floor_mapping = {
    .mp_length = floor_length,
    .mp_subscript = floor_getitem,
};

PyTypeObject FloorType = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = "floor.Floor",
    .tp_basicsize = sizeof(FloorObject),
    .tp_dealloc = floor_dealloc,
    .tp_repr = floor_repr,
    .tp_as_mapping = &floor_mapping,
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC,
    .tp_traverse = floor_traverse,
    .tp_richcompare = floor_richcompare,
    .tp_methods = floor_methods,
    .tp_getset = floor_getset,
    .tp_init = floor_init,
    .tp_new = floor_new,
};

// The vector type, its factory and its x and y descriptors, found as the rect module finds
// them.
int floor_exec(PyObject *module) {
    PyObject *vectors = PyImport_ImportModule("tessel.vector2.vector2");
    PyObject *type = vectors ? PyObject_GetAttrString(vectors, "Vector2") : nullptr;
    Py_XDECREF(vectors);
    if (type == nullptr) {
        return -1;
    }
    g_vector2 = reinterpret_cast<PyTypeObject *>(type);  // kept for the process
    PyObject *vectors4 = PyImport_ImportModule("tessel.vector4.vector4");
    PyObject *type4 = vectors4 ? PyObject_GetAttrString(vectors4, "Vector4") : nullptr;
    Py_XDECREF(vectors4);
    if (type4 == nullptr) {
        return -1;
    }
    g_vector4 = reinterpret_cast<PyTypeObject *>(type4);  // kept for the process
    PyObject *dict = PyType_GetDict(g_vector2);
    PyObject *capsule = PyDict_GetItemString(dict, "__pyx_vtable__");
    g_vector2_vtab =
        capsule ? static_cast<Vector2VTable *>(PyCapsule_GetPointer(capsule, nullptr)) : nullptr;
    const char *names[2] = {"x", "y"};
    for (int a = 0; a < 2; ++a) {
        PyObject *d = PyDict_GetItemString(dict, names[a]);
        if (d == nullptr || !Py_IS_TYPE(d, &PyGetSetDescr_Type)) {
            Py_DECREF(dict);
            PyErr_SetString(PyExc_RuntimeError, "Vector2 components are not descriptors");
            return -1;
        }
        g_component[a] = reinterpret_cast<PyGetSetDescrObject *>(d)->d_getset;
    }
    Py_DECREF(dict);
    if (g_vector2_vtab == nullptr) {
        return -1;
    }
    g_half = PyFloat_FromDouble(0.5);
    g_empty = PyUnicode_InternFromString("");
    g_repr_pieces[0] = PyUnicode_InternFromString("Rect(position=");
    g_repr_pieces[1] = PyUnicode_InternFromString(", size=");
    g_repr_pieces[2] = PyUnicode_InternFromString(")");
    if (!g_half || !g_empty || !g_repr_pieces[0] || !g_repr_pieces[1] || !g_repr_pieces[2]) {
        return -1;
    }
    g_floor = &FloorType;
    if (PyType_Ready(&FloorType) < 0) {
        return -1;
    }
    return PyModule_AddObjectRef(module, "Floor", reinterpret_cast<PyObject *>(&FloorType));
}

PyModuleDef_Slot floor_slots[] = {
    {Py_mod_exec, reinterpret_cast<void *>(floor_exec)},
    {0, nullptr},
};

PyModuleDef floor_module = {
    .m_base = PyModuleDef_HEAD_INIT,
    .m_name = "floor",
    .m_size = 0,
    .m_slots = floor_slots,
};
#pragma GCC diagnostic pop

}  // namespace

PyMODINIT_FUNC PyInit_floor(void) { return PyModuleDef_Init(&floor_module); }
