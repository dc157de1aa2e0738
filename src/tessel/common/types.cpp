// Importing the package's types, with the checks that guard their binary layout.
#include "common/types.hpp"

#include <cstring>

namespace tessel {
namespace {

constexpr const char *kComponentNames[4] = {"x", "y", "z", "w"};

// Finds the component descriptors whose direct call is the same as attribute access: the
// type is immutable, with the generic attribute access, and the component is a data
// descriptor of the type itself (so no instance dict can shadow it).
void find_components(PyTypeObject *type, ImportedType *out) {
    if (!PyType_HasFeature(type, Py_TPFLAGS_IMMUTABLETYPE) ||
        type->tp_getattro != PyObject_GenericGetAttr ||
        type->tp_setattro != PyObject_GenericSetAttr) {
        return;
    }
    Ref dict = Ref::steal(PyType_GetDict(type));
    for (int i = 0; dict && i < 4; ++i) {
        // An immutable type's dictionary: the descriptor stays as long as the type.
        PyObject *d = PyDict_GetItemString(dict.get(), kComponentNames[i]);
        if (d != nullptr && Py_IS_TYPE(d, &PyGetSetDescr_Type) &&
            reinterpret_cast<PyDescrObject *>(d)->d_type == type) {
            out->components[i] = reinterpret_cast<PyGetSetDescrObject *>(d)->d_getset;
        }
    }
    PyErr_Clear();  // a dictionary that cannot be had leaves the components unknown
}

// Whether `type` is the class that its module itself defines: a class statement makes a
// heap type, and only that module's own code makes a static type of that full name and of
// that record size.
bool is_own_type(PyTypeObject *type, const TypeName &name, Py_ssize_t size) {
    return !PyType_HasFeature(type, Py_TPFLAGS_HEAPTYPE) && type->tp_basicsize == size &&
           type->tp_itemsize == 0 && std::strcmp(type->tp_name, name.full) == 0;
}

// The pointer of the capsule in the type's dictionary under __pyx_vtable__: KeyError
// without one, the capsule's own error for another object or a named capsule,
// RuntimeError for a null pointer. Nullptr with the exception set.
void *table_of(PyTypeObject *type) {
    Ref key = Ref::steal(PyUnicode_InternFromString("__pyx_vtable__"));
    Ref dict = key ? Ref::steal(PyType_GetDict(type)) : Ref();
    PyObject *found = nullptr;
    if (!dict || PyDict_GetItemRef(dict.get(), key.get(), &found) < 0) {
        return nullptr;
    }
    Ref capsule = Ref::steal(found);
    if (!capsule) {
        PyErr_SetObject(PyExc_KeyError, key.get());
        return nullptr;
    }
    void *pointer = PyCapsule_GetPointer(capsule.get(), nullptr);
    if (pointer == nullptr && !PyErr_Occurred()) {
        PyErr_SetString(PyExc_RuntimeError, "invalid vtable found for imported type");
    }
    return pointer;
}

}  // namespace

bool make_component_names(PackageTypes &t) noexcept {
    for (int i = 0; i < 4; ++i) {
        if (t.names[i] == nullptr) {
            t.names[i] = PyUnicode_InternFromString(kComponentNames[i]);
            if (t.names[i] == nullptr) {
                return false;
            }
        }
    }
    return true;
}

bool raise_not_ready(const PackageTypes &t) noexcept {
    Ref message = Ref::steal(
        PyUnicode_FromFormat("module '%s' is not ready: its import did not complete", t.module));
    Ref name = Ref::steal(PyUnicode_FromString(t.module));
    if (message && name) {
        PyErr_SetImportError(message.get(), name.get(), nullptr);
    }
    return false;
}

bool import_type(const TypeName &name, Py_ssize_t expected, bool own_only,
                 std::initializer_list<Taken> taken, ImportedType *out) noexcept {
    const char *module_name = name.module;
    const char *class_name = name.name;
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
    PyTypeObject *type = reinterpret_cast<PyTypeObject *>(object.get());
    bool own = is_own_type(type, name, expected);
    // An impostor is refused as one, before anything is said of its size.
    if (own_only && !own) {
        PyErr_Format(PyExc_TypeError, "%.200s.%.200s is %.200s, not the type that module defines",
                     module_name, class_name, type->tp_name);
        return false;
    }
    Py_ssize_t basic = type->tp_basicsize;
    Py_ssize_t item = type->tp_itemsize;
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
    void *table = table_of(type);
    if (table == nullptr) {
        return false;
    }
    // Last, so that every other refusal keeps its precedence.
    for (const Taken &other : taken) {
        if (type == other.type || table == other.table) {
            PyErr_Format(PyExc_TypeError,
                         type == other.type ? "%.200s.%.200s is %.200s, not a type of its own"
                                            : "%.200s.%.200s publishes the method table of %.200s",
                         module_name, class_name, other.name);
            return false;
        }
    }
    ImportedType imported;
    imported.table = table;
    imported.own = own;
    find_components(type, &imported);
    imported.type = reinterpret_cast<PyTypeObject *>(object.release());
    Py_XDECREF(out->type);
    *out = imported;
    return true;
}

bool import_package_types(PackageTypes &t) noexcept {
    if (!make_component_names(t) ||
        !import_type(kRectName, sizeof(RectObject), true, {}, &t.rect)) {
        return false;
    }
    const Taken rect = {kRectName.full, t.rect.type, t.rect.table};
    if (!import_type(kVector2Name, sizeof(Vector2Object), false, {rect}, &t.vector2)) {
        return false;
    }
    const Taken vector2 = {kVector2Name.full, t.vector2.type, t.vector2.table};
    return import_type(kVector4Name, sizeof(Vector4Object), false, {rect, vector2}, &t.vector4);
}

}  // namespace tessel
