// Importing the sibling vector types, with the checks that guard their binary layout.
#include "vectors.hpp"

namespace tessel::rect {

bool import_vector_type(const char *module_name, const char *class_name, Py_ssize_t expected,
                        PyTypeObject **type, void **vtab) {
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
    Py_XSETREF(*reinterpret_cast<PyObject **>(type), object.release());
    *vtab = pointer;
    return true;
}

}  // namespace tessel::rect
