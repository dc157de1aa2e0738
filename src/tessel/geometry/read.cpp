// Interim: until the argument readers and type imports are shared by the package's
// modules, this module compiles the collide module's readers (collide/read.cpp, listed in
// CMakeLists.txt) and fills the state they read. Everything else in the module reaches
// them through read.hpp only, so that switching to the shared ones changes this file.
#include "read.hpp"

#include <atomic>

#include "collide/read.hpp"
#include "common/ref.hpp"

namespace tessel::collide {
State g_state;  // what collide/read.cpp reads: filled by import_types()
}  // namespace tessel::collide

namespace tessel::geometry {
namespace {

using collide::g_state;

Vector2VTable *g_vector2_api = nullptr;

// The type `name` of module `module_name`, checked to be a type whose instances are at
// least `size` bytes; a new reference, or nullptr with an exception set.
PyTypeObject *import_type(const char *module_name, const char *name, Py_ssize_t size) {
    Ref module = Ref::steal(PyImport_ImportModule(module_name));
    Ref object = module ? Ref::steal(PyObject_GetAttrString(module.get(), name)) : Ref();
    if (!object) {
        return nullptr;
    }
    if (!PyType_Check(object.get())) {
        PyErr_Format(PyExc_TypeError, "%.200s.%.200s is not a type object", module_name, name);
        return nullptr;
    }
    auto *type = reinterpret_cast<PyTypeObject *>(object.get());
    if (type->tp_basicsize < size) {
        PyErr_Format(PyExc_ValueError,
                     "%.200s.%.200s size changed, may indicate binary incompatibility. Expected "
                     "%zd from C header, got %zd from PyObject",
                     module_name, name, size, type->tp_basicsize);
        return nullptr;
    }
    return reinterpret_cast<PyTypeObject *>(object.release());
}

// The capsule's pointer in the type's dictionary under __pyx_vtable__.
void *vtable_of(PyTypeObject *type) {
    Ref dict = Ref::steal(PyType_GetDict(type));
    PyObject *capsule = dict ? PyDict_GetItemString(dict.get(), "__pyx_vtable__") : nullptr;
    if (capsule == nullptr) {
        PyErr_Format(PyExc_ImportError, "%.200s publishes no method table", type->tp_name);
        return nullptr;
    }
    return PyCapsule_GetPointer(capsule, nullptr);
}

// True when an exact Vector2's x and y can only end in its own descriptors over the
// record (see collide/module.cpp).
bool record_is_attribute(PyTypeObject *type) {
    if (!PyType_HasFeature(type, Py_TPFLAGS_IMMUTABLETYPE) ||
        type->tp_getattro != PyObject_GenericGetAttr) {
        return false;
    }
    Ref dict = Ref::steal(PyType_GetDict(type));
    for (const char *name : {"x", "y"}) {
        PyObject *d = dict ? PyDict_GetItemString(dict.get(), name) : nullptr;
        if (d == nullptr || !Py_IS_TYPE(d, &PyGetSetDescr_Type) ||
            reinterpret_cast<PyDescrObject *>(d)->d_type != type) {
            return false;
        }
    }
    return true;
}

// The vector module stores components with relaxed atomic access; loads match it.
double load(float &component) noexcept {
    return std::atomic_ref<float>(component).load(std::memory_order_relaxed);
}

bool exact_vector2(PyObject *o) noexcept { return Py_IS_TYPE(o, g_state.vector2_type); }

// A Vector2's record, when it gives what its attribute access x and y would.
bool record_pair(PyObject *v, double xy[2]) noexcept {
    if (!g_state.vector2_record || !exact_vector2(v)) {
        return false;
    }
    auto &d = reinterpret_cast<Vector2Object *>(v)->data;
    xy[0] = load(d.x);
    xy[1] = load(d.y);
    return true;
}

// A rect of two exact Vector2, from their records. The rect's lock keeps its fields, and
// so their vectors, in place while they are read (a plain block with the global lock).
bool record_rect(PyObject *o, double v[4]) noexcept {
    if (!g_state.vector2_record || !Py_IS_TYPE(o, g_state.rect_type)) {
        return false;
    }
    auto *r = reinterpret_cast<RectObject *>(o);
    bool read = false;
    Py_BEGIN_CRITICAL_SECTION(o);
    read = record_pair(r->position, &v[0]) && record_pair(r->size, &v[2]);
    Py_END_CRITICAL_SECTION();
    return read;
}

}  // namespace

bool import_types() noexcept {
    PyTypeObject *rect = import_type("tessel.rect.rect", "Rect", sizeof(RectObject));
    PyTypeObject *vector2 =
        rect ? import_type("tessel.vector2.vector2", "Vector2", sizeof(Vector2Object)) : nullptr;
    PyTypeObject *vector4 =
        vector2 ? import_type("tessel.vector4.vector4", "Vector4", sizeof(Vector4Object)) : nullptr;
    void *rect_vtab = vector4 ? vtable_of(rect) : nullptr;
    void *vector2_vtab = rect_vtab ? vtable_of(vector2) : nullptr;
    if (vector2_vtab == nullptr) {
        Py_XDECREF(rect);
        Py_XDECREF(vector2);
        Py_XDECREF(vector4);
        return false;
    }
    // Held for the life of the process, as the types themselves are.
    Py_XSETREF(g_state.rect_type, rect);
    Py_XSETREF(g_state.vector2_type, vector2);
    Py_XSETREF(g_state.vector4_type, vector4);
    g_state.rect_vtab = static_cast<RectVTable *>(rect_vtab);
    g_state.vector2_record = record_is_attribute(vector2);
    g_vector2_api = static_cast<Vector2VTable *>(vector2_vtab);
    return true;
}

RectVTable *rect_api() noexcept { return g_state.rect_vtab; }
Vector2VTable *vector2_api() noexcept { return g_vector2_api; }

bool read_rect(PyObject *o, Box *out) noexcept {
    double v[4];
    if (!record_rect(o, v) && !collide::rect_values(o, v)) {
        return false;
    }
    *out = {{v[0], v[2]}, {v[1], v[3]}};
    return true;
}

bool read_pair(PyObject *o, double xy[2]) noexcept {
    return record_pair(o, xy) || collide::point_values(o, xy);
}

}  // namespace tessel::geometry
