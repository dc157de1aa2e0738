// Module start-up: the entry point, the create step and the exec step, whose stages build
// the constants, ready Rect, publish its method table and install its methods.
#include <Python.h>

#include "frames.hpp"
#include "methods.hpp"
#include "operations.hpp"
#include "state.hpp"
#include "strings.hpp"
#include "vectors.hpp"

// An embedding host may set this before the start-up to have the module named "__main__".
extern "C" {
Py_EXPORTED_SYMBOL int __pyx_module_is_main_tessel__rect__rect = 0;
}

namespace tessel::rect {
namespace {

// Deferred reference counting spares free-threaded builds the contention on objects that
// every thread touches: the type and its methods.
void defer_refcount(PyObject *o) {
#if PY_VERSION_HEX >= 0x030E0000
    PyUnstable_Object_EnableDeferredRefcount(o);
#else
    (void)o;
#endif
}

PyObject *create(PyObject *spec, PyModuleDef *) {
    int64_t id = PyInterpreterState_GetID(PyInterpreterState_Get());
    if (id == -1 && PyErr_Occurred()) {
        return nullptr;
    }
    if (g_state.interpreter == -1) {
        g_state.interpreter = id;
    } else if (g_state.interpreter != id) {
        PyErr_SetString(PyExc_ImportError,
                        "Interpreter change detected - this module can only be loaded into one "
                        "interpreter per process.");
        return nullptr;
    }
    if (g_state.module != nullptr) {
        return Py_NewRef(g_state.module);
    }
    Ref name = Ref::steal(PyObject_GetAttrString(spec, "name"));
    Ref module = Ref::steal(name ? PyModule_NewObject(name.get()) : nullptr);
    if (!module) {
        return nullptr;
    }
    static constexpr struct {
        const char *from;
        const char *to;
        bool keep_none;
    } kCopied[] = {
        {"loader", "__loader__", true},
        {"origin", "__file__", true},
        {"parent", "__package__", true},
        {"submodule_search_locations", "__path__", false},
    };
    PyObject *dict = PyModule_GetDict(module.get());
    for (const auto &c : kCopied) {
        Ref value = Ref::steal(PyObject_GetAttrString(spec, c.from));
        if (!value) {
            if (!PyErr_ExceptionMatches(PyExc_AttributeError)) {
                return nullptr;
            }
            PyErr_Clear();
            continue;
        }
        if (value.get() == Py_None && !c.keep_none) {
            continue;
        }
        if (PyDict_SetItemString(dict, c.to, value.get()) < 0) {
            return nullptr;
        }
    }
    return module.release();
}

// The order of the designators is checked against the table's declaration.
void fill_vtable() {
#define TESSEL_RECT_VTABLE_ENTRY(name, ...) .name = name,
    g_rect_vtable = RectVTable{.new_ = rect_new, TESSEL_RECT_METHODS(TESSEL_RECT_VTABLE_ENTRY)};
#undef TESSEL_RECT_VTABLE_ENTRY
}

// Stores into the class dictionary (the class itself refuses assignment).
bool set_class_item(PyObject *name, PyObject *value) {
    Ref dict = Ref::steal(PyType_GetDict(&RectType));
    if (!dict || PyDict_SetItem(dict.get(), name, value) < 0) {
        return false;
    }
    PyType_Modified(&RectType);
    return true;
}

bool install_method(const MethodSpec &spec) {
    Ref method = Ref::steal(new_method(&spec));
    if (!method) {
        return false;
    }
    defer_refcount(method.get());
    return set_class_item(str(spec.name), method.get());
}

// 11. The pickling hooks go in only while pickling is object's own (or already ours), so a
// class that pickles in some other way is left alone.
bool install_pickling(PyObject *) {
    PyObject *type = reinterpret_cast<PyObject *>(&RectType);
    PyObject *object = reinterpret_cast<PyObject *>(&PyBaseObject_Type);
    Ref reduce_ex = Ref::steal(PyObject_GetAttr(type, str(Str::reduce_ex)));
    Ref object_reduce_ex = Ref::steal(PyObject_GetAttr(object, str(Str::reduce_ex)));
    Ref getstate = Ref::steal(PyObject_GetAttr(type, str(Str::getstate)));
    Ref object_getstate = Ref::steal(PyObject_GetAttr(object, str(Str::getstate)));
    Ref reduce = Ref::steal(PyObject_GetAttr(type, str(Str::reduce)));
    Ref object_reduce = Ref::steal(PyObject_GetAttr(object, str(Str::reduce)));
    if (!reduce_ex || !object_reduce_ex || !getstate || !object_getstate || !reduce ||
        !object_reduce) {
        PyErr_Format(PyExc_RuntimeError, "Unable to initialize pickling for %.200s",
                     RectType.tp_name);
        return false;
    }
    if (reduce_ex.get() != object_reduce_ex.get() || getstate.get() != object_getstate.get()) {
        return true;
    }
    if (reduce.get() != object_reduce.get() && !is_method_for(reduce.get(), kReduceMethod)) {
        return true;
    }
    return install_method(kReduceMethod) && install_method(kSetstateMethod);
}

// The stages of the start-up after its first check (exec), each named for what it does
// and numbered as the start-up's steps are. Each is false with an exception set.

// 2. From here on the module is the one this process serves; the lock is declared at once.
bool record_module(PyObject *module) {
    g_state.module = Py_NewRef(module);
#ifdef Py_GIL_DISABLED
    if (PyUnstable_Module_SetGIL(module, Py_MOD_GIL_USED) < 0) {
        return false;
    }
#endif
    return true;
}

// 3. The module's namespace and its __builtins__.
bool keep_namespace(PyObject *module) {
    Py_XSETREF(g_state.dict, Py_NewRef(PyModule_GetDict(module)));
    if (g_state.builtins == nullptr) {
        g_state.builtins = PyImport_ImportModule("builtins");
        if (g_state.builtins == nullptr) {
            return false;
        }
    }
    return PyDict_SetItemString(g_state.dict, "__builtins__", g_state.builtins) == 0;
}

// 4. Warns when the running interpreter's major.minor differs from the headers' (the micro
// version and release level may differ); false when the warning is raised as an error.
bool check_version(PyObject *) {
    int major = static_cast<int>((Py_Version >> 24) & 0xFF);
    int minor = static_cast<int>((Py_Version >> 16) & 0xFF);
    if (major == PY_MAJOR_VERSION && minor == PY_MINOR_VERSION) {
        return true;
    }
    return PyErr_WarnFormat(PyExc_RuntimeWarning, 1,
                            "compile time Python version %d.%d of module '%.100s' %s runtime "
                            "version %d.%d",
                            PY_MAJOR_VERSION, PY_MINOR_VERSION, "tessel.rect.rect",
                            "does not match", major, minor) == 0;
}

// 5. The constants; from here on a failure adds its frame, which needs the namespace.
bool make_constants(PyObject *) {
    if (!make_strings() || !make_component_names(g_state.types)) {
        return false;
    }
    if (g_state.half == nullptr) {
        g_state.half = PyFloat_FromDouble(0.5);
    }
    if (g_state.checksum == nullptr) {
        g_state.checksum = PyLong_FromLongLong(kPickleChecksum);
    }
    if (g_state.half == nullptr || g_state.checksum == nullptr ||
        PyObject_Hash(g_state.half) == -1 || PyObject_Hash(g_state.checksum) == -1) {
        return false;
    }
    frames_ready();
    return true;
}

// 6. An embedding host may run the module as __main__; either way it is importable by name.
bool register_name(PyObject *module) {
    if (__pyx_module_is_main_tessel__rect__rect &&
        PyDict_SetItem(g_state.dict, str(Str::name), str(Str::main)) < 0) {
        return false;
    }
    PyObject *modules = PyImport_GetModuleDict();
    int present = PyDict_Contains(modules, str(Str::module_name));
    return present > 0 ||
           (present == 0 && PyDict_SetItem(modules, str(Str::module_name), module) == 0);
}

// 7 to 9. The method table is filled before the type is readied, then published with it.
bool ready_type(PyObject *) {
    fill_vtable();
    g_state.types.rect.type = &RectType;
    g_state.types.rect.table = &g_rect_vtable;
    g_state.types.rect.own = true;
    if (PyType_Ready(&RectType) < 0 || !method_type_ready()) {
        return false;
    }
    defer_refcount(reinterpret_cast<PyObject *>(&RectType));
    Ref capsule = Ref::steal(PyCapsule_New(&g_rect_vtable, nullptr, nullptr));
    return capsule && set_class_item(str(Str::pyx_vtable), capsule.get());
}

// 10. The type as the module's attribute.
bool publish_type(PyObject *) {
    return PyDict_SetItemString(g_state.dict, "Rect", reinterpret_cast<PyObject *>(&RectType)) == 0;
}

// 12. Each vector type must be one of its own: not Rect, nor the other vector type. Each is
// recorded as soon as it is imported.
bool import_vector_types(PyObject *) {
    PackageTypes &t = g_state.types;
    const Taken rect = {kRectName.full, &RectType, &g_rect_vtable};
    if (!import_type(kVector2Name, sizeof(Vector2Object), false, {rect}, &t.vector2)) {
        return false;
    }
    const Taken vector2 = {kVector2Name.full, t.vector2.type, t.vector2.table};
    return import_type(kVector4Name, sizeof(Vector4Object), false, {rect, vector2}, &t.vector4);
}

// 13. Methods after the vector types: they take them as declared parameter types.
bool install_methods(PyObject *) {
    for (const MethodSpec &spec : kMethods) {
        if (!install_method(spec)) {
            return false;
        }
    }
    return true;
}

// 14. The module's unpickling function.
bool add_unpickle_function(PyObject *) {
    Ref unpickle = Ref::steal(new_unpickle_function());
    if (!unpickle) {
        return false;
    }
    defer_refcount(unpickle.get());
    return PyDict_SetItem(g_state.dict, str(Str::pyx_unpickle_Rect), unpickle.get()) == 0;
}

// 15. An empty __test__.
bool add_test_dict(PyObject *) {
    Ref test = Ref::steal(PyDict_New());
    return test && PyDict_SetItem(g_state.dict, str(Str::test), test.get()) == 0;
}

// The stages in the order of the start-up's steps.
constexpr bool (*kStages[])(PyObject *module) = {
    record_module,          // 2
    keep_namespace,         // 3
    check_version,          // 4
    make_constants,         // 5
    register_name,          // 6
    ready_type,             // 7 to 9
    publish_type,           // 10
    install_pickling,       // 11
    import_vector_types,    // 12
    install_methods,        // 13
    add_unpickle_function,  // 14
    add_test_dict,          // 15
};

// The start-up proper, in its fixed order; the first failure ends it (exec then drops the
// module so that a later import starts afresh).
bool exec_steps(PyObject *module) {
    for (auto stage : kStages) {
        if (!stage(module)) {
            return false;
        }
    }
    // 16. Complete: from here on the recorded vector types are used. A completed start-up
    // is never run again (exec returns at once), so this is set once and stays.
    g_state.types.mark_complete();
    return true;
}

int exec(PyObject *module) {
    if (g_state.module != nullptr) {
        if (g_state.module == module) {
            return 0;
        }
        PyErr_SetString(PyExc_RuntimeError,
                        "Module 'rect' has already been imported. Re-initialisation is not "
                        "supported.");
        return -1;
    }
    if (exec_steps(module)) {
        return 0;
    }
    if (str(Str::x) != nullptr) {
        add_frame(Frame::init_module);
    }
    Py_CLEAR(g_state.module);
    return -1;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wpedantic"
PyModuleDef_Slot kSlots[] = {
    {Py_mod_create, reinterpret_cast<void *>(create)},
    {Py_mod_exec, reinterpret_cast<void *>(exec)},
#ifdef Py_mod_gil
    {Py_mod_gil, Py_MOD_GIL_USED},
#endif
    {0, nullptr},
};
#pragma GCC diagnostic pop

PyModuleDef kModule = {
    PyModuleDef_HEAD_INIT,
    "rect",   // m_name
    nullptr,  // m_doc
    0,        // m_size: all state is process-wide
    nullptr,  // m_methods
    kSlots,
    nullptr,  // m_traverse
    nullptr,  // m_clear
    nullptr,  // m_free
};

}  // namespace
}  // namespace tessel::rect

PyMODINIT_FUNC PyInit_rect() { return PyModuleDef_Init(&tessel::rect::kModule); }
