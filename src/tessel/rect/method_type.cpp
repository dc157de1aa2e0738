// The function type behind Rect's Python-level methods. It binds to an instance like a
// Python function (and is flagged as a method descriptor, so `r.m(...)` calls it without
// making a bound method), carries __name__, __qualname__ and __module__, and pickles by
// reference.
#include <Python.h>

#include <cstddef>

#include "common/ref.hpp"
#include "methods.hpp"

namespace tessel::rect {
namespace {

struct MethodObject {
    PyObject_HEAD
    vectorcallfunc vectorcall;
    const MethodSpec *spec;
    PyObject *qualname;
};

MethodObject *as_method(PyObject *o) { return reinterpret_cast<MethodObject *>(o); }

// Matches the arguments to the parameters. With exactly as many positional arguments as
// parameters and no keywords, parse_args would take them as they are and only check the
// declared types: do just that, without copying. `given` ends as the matched values.
bool match(const MethodSpec &spec, PyObject *const *&given, Py_ssize_t nargs, PyObject *kwnames,
           PyObject **values) {
    if (kwnames == nullptr && nargs == spec.nparams) {
        for (int i = 0; i < spec.nparams; ++i) {
            if (!check_arg_type(given[i], spec.params[i])) {
                return false;
            }
        }
        return true;
    }
    if (!parse_args(text(spec.name), spec.params, spec.nparams, given, nargs, kwnames, values)) {
        return false;
    }
    given = values;
    return true;
}

// Checks the receiver and the arguments and runs the method.
Ref call(const MethodSpec &spec, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames) {
    if (nargs < 1) {
        PyErr_Format(PyExc_TypeError, "unbound method Rect.%s() needs an argument",
                     text(spec.name));
        return Ref();
    }
    PyObject *self = args[0];
    if (!is_rect(self)) {
        PyErr_Format(PyExc_TypeError,
                     "Argument 'self' has incorrect type (expected %.200s, got %.200s)",
                     RectType.tp_name, Py_TYPE(self)->tp_name);
        return Ref();
    }
    PyObject *values[kMaxParams];
    PyObject *const *given = args + 1;
    if (!match(spec, given, nargs - 1, kwnames, values)) {
        return Ref();
    }
    return Ref::steal(spec.call(as_rect(self), given));
}

PyObject *method_vectorcall(PyObject *callable, PyObject *const *args, size_t nargsf,
                            PyObject *kwnames) {
    const MethodSpec &spec = *as_method(callable)->spec;
    return framed(spec.frame, call(spec, args, PyVectorcall_NARGS(nargsf), kwnames));
}

void method_dealloc(PyObject *self) {
    PyObject_GC_UnTrack(self);
    Py_XDECREF(as_method(self)->qualname);
    PyObject_GC_Del(self);
}

int method_traverse(PyObject *, visitproc, void *) { return 0; }  // holds only strings

PyObject *method_repr(PyObject *self) {
    return PyUnicode_FromFormat("<method %U of %U>", as_method(self)->qualname,
                                str(Str::module_name));
}

PyObject *method_descr_get(PyObject *self, PyObject *obj, PyObject *) {
    if (obj == nullptr || obj == Py_None) {
        return Py_NewRef(self);
    }
    return PyMethod_New(self, obj);
}

PyObject *method_get_name(PyObject *self, void *) {
    return Py_NewRef(str(as_method(self)->spec->name));
}
PyObject *method_get_qualname(PyObject *self, void *) {
    return Py_NewRef(as_method(self)->qualname);
}
PyObject *method_get_module(PyObject *, void *) { return Py_NewRef(str(Str::module_name)); }
PyObject *method_get_doc(PyObject *, void *) { Py_RETURN_NONE; }

// Pickled by reference: the pickler finds the method again as Rect.<name> in the module.
PyObject *method_reduce(PyObject *self, PyObject *) { return Py_NewRef(as_method(self)->qualname); }

PyGetSetDef method_getset[] = {
    {"__name__", method_get_name, nullptr, nullptr, nullptr},
    {"__qualname__", method_get_qualname, nullptr, nullptr, nullptr},
    {"__module__", method_get_module, nullptr, nullptr, nullptr},
    {"__doc__", method_get_doc, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

PyMethodDef method_methods[] = {
    {"__reduce__", method_reduce, METH_NOARGS, nullptr},
    {nullptr, nullptr, 0, nullptr},
};

// The opening fields of a static type, as RectType's (object.cpp): the C API's own shape.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
PyTypeObject MethodType = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = "tessel.rect.rect.native_method",
    .tp_basicsize = sizeof(MethodObject),
    .tp_itemsize = 0,
    .tp_dealloc = method_dealloc,
    .tp_vectorcall_offset = offsetof(MethodObject, vectorcall),
    .tp_repr = method_repr,
    .tp_call = PyVectorcall_Call,
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_HAVE_VECTORCALL |
                Py_TPFLAGS_METHOD_DESCRIPTOR,
    .tp_traverse = method_traverse,
    .tp_methods = method_methods,
    .tp_getset = method_getset,
    .tp_descr_get = method_descr_get,
};
#pragma GCC diagnostic pop

}  // namespace

bool method_type_ready() { return PyType_Ready(&MethodType) == 0; }

bool is_method_for(PyObject *o, const MethodSpec &spec) {
    return Py_IS_TYPE(o, &MethodType) && as_method(o)->spec == &spec;
}

PyObject *new_method(const MethodSpec *spec) {
    Ref qualname = Ref::steal(PyUnicode_FromFormat("Rect.%s", text(spec->name)));
    if (!qualname) {
        return nullptr;
    }
    MethodObject *m = PyObject_GC_New(MethodObject, &MethodType);
    if (m == nullptr) {
        return nullptr;
    }
    m->vectorcall = method_vectorcall;
    m->spec = spec;
    m->qualname = qualname.release();
    PyObject_GC_Track(m);
    return reinterpret_cast<PyObject *>(m);
}

}  // namespace tessel::rect
