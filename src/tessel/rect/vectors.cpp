// Importing the sibling vector types, with the checks that guard their binary layout.
#include "vectors.hpp"

namespace tessel::rect {
namespace {

// Finds the component descriptors whose direct call is the same as attribute access.
void find_components(PyTypeObject *type, PyObject *dict, Components *out) {
    *out = Components{};
    if (!PyType_HasFeature(type, Py_TPFLAGS_IMMUTABLETYPE) ||
        type->tp_getattro != PyObject_GenericGetAttr ||
        type->tp_setattro != PyObject_GenericSetAttr) {
        return;
    }
    constexpr Str kNames[4] = {Str::x, Str::y, Str::z, Str::w};
    for (int i = 0; i < 4; ++i) {
        PyObject *d = PyDict_GetItemWithError(dict, str(kNames[i]));
        if (d == nullptr) {
            PyErr_Clear();
            continue;
        }
        if (Py_IS_TYPE(d, &PyGetSetDescr_Type) &&
            reinterpret_cast<PyDescrObject *>(d)->d_type == type) {
            out->defs[i] = reinterpret_cast<PyGetSetDescrObject *>(d)->d_getset;
        }
    }
    out->type = type;
}

}  // namespace

bool import_vector_type(const char *module_name, const char *class_name, Py_ssize_t expected,
                        std::initializer_list<Taken> taken, PyTypeObject **type, void **vtab,
                        Components *components) {
    Ref module = Ref::steal(PyImport_ImportModule(module_name));
    Ref object = module ? Ref::steal(PyObject_GetAttrString(module.get(), class_name)) : Ref();
    if (!object) {
        return false;
    }
    if (!PyType_Check(object.get())) {
        PyErr_Format(PyExc_TypeError, "%.200s.%.200s is not a type object", module_name,
                     class_name);
        return false;
    }
    PyTypeObject *t = reinterpret_cast<PyTypeObject *>(object.get());
    Py_ssize_t basic = t->tp_basicsize;
    Py_ssize_t item = t->tp_itemsize;
    Py_ssize_t actual = basic + (item != 0 && item < 8 ? 8 : item);
    if (actual < expected) {
        PyErr_Format(PyExc_ValueError,
                     "%.200s.%.200s size changed, may indicate binary incompatibility. Expected "
                     "%zd from C header, got %zd from PyObject",
                     module_name, class_name, expected, actual);
        return false;
    }
    if (basic > expected &&
        PyErr_WarnFormat(PyExc_RuntimeWarning, 0,
                         "%.200s.%.200s size changed, may indicate binary incompatibility. "
                         "Expected %zd from C header, got %zd from PyObject",
                         module_name, class_name, expected, basic) < 0) {
        return false;
    }
    Ref dict = Ref::steal(PyType_GetDict(t));
    PyObject *capsule = dict ? PyDict_GetItemWithError(dict.get(), str(Str::pyx_vtable)) : nullptr;
    if (capsule == nullptr) {
        if (!PyErr_Occurred()) {
            PyErr_SetObject(PyExc_KeyError, str(Str::pyx_vtable));
        }
        return false;
    }
    void *pointer = PyCapsule_GetPointer(capsule, nullptr);
    if (pointer == nullptr) {
        if (!PyErr_Occurred()) {
            PyErr_SetString(PyExc_RuntimeError, "invalid vtable found for imported type");
        }
        return false;
    }
    // Last, so that every other refusal keeps its precedence.
    for (const Taken &other : taken) {
        if (t == other.type || pointer == other.table) {
            PyErr_Format(PyExc_TypeError,
                         t == other.type ? "%.200s.%.200s is %.200s, not a type of its own"
                                         : "%.200s.%.200s publishes the method table of %.200s",
                         module_name, class_name, other.name);
            return false;
        }
    }
    find_components(t, dict.get(), components);
    Py_XSETREF(*reinterpret_cast<PyObject **>(type), object.release());
    *vtab = pointer;
    return true;
}

}  // namespace tessel::rect
