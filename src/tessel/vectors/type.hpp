// The vector types' one implementation. Each vector module describes its type in a small
// record (its instance record, stored component type, component names, names and docs) and
// takes everything else from VectorType<Spec>, assembled here from its parts, each in a file
// of its own: the object and its storage (object.hpp), construction (construct.hpp), the
// number protocol (number.hpp), the sequence protocol (sequence.hpp), the methods
// (methods.hpp), the text form (text.hpp) and pickling (pickle.hpp). This file holds the
// type's declarative tables: its properties, methods, slots, type objects and module.
// The arithmetic that must be exact at its edges is in math.hpp, the reading of other
// libraries' vectors in read.hpp and operands.hpp.
//
// What a Spec gives:
//   using Object = ...;     the published instance record: PyObject_HEAD, vtab, data
//   using Component = ...;  float or double: every stored value is narrowed to it
//   using VTable = ...;     the published method table
//   static constexpr Py_ssize_t size;                               the number of components
//   static constexpr std::array<Component Data::*, size> fields;    in order
//   static constexpr std::array<const char *, size + 1> names;      the same, then nullptr
//   static constexpr std::array<const char *, size> component_docs;
//   static constexpr const char *name, *qualified_name, *iterator_name, *init_format, *doc,
//                               *module_doc;
//   static VTable vtable;   whose first entry creates a vector of the exact type
//   static const std::array<PyMethodDef, K> methods;  the type's own methods (constinit)
#ifndef TESSEL_VECTORS_TYPE_HPP
#define TESSEL_VECTORS_TYPE_HPP

#include <Python.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <tuple>

#include "common/ref.hpp"
#include "vectors/construct.hpp"
#include "vectors/methods.hpp"
#include "vectors/number.hpp"
#include "vectors/object.hpp"
#include "vectors/operands.hpp"
#include "vectors/pickle.hpp"
#include "vectors/sequence.hpp"
#include "vectors/text.hpp"

namespace tessel {

// Readies `type`, stores its method table in its dictionary under "__pyx_vtable__" as a
// capsule without a name, and adds the type to `module`. 0, or -1 with an exception set.
inline int publish_vector_type(PyObject *module, PyTypeObject *type, void *vtable) {
    if (PyType_Ready(type) < 0) {
        return -1;
    }
    Ref dict = Ref::steal(PyType_GetDict(type));
    Ref capsule = Ref::steal(PyCapsule_New(vtable, nullptr, nullptr));
    if (!dict || !capsule ||
        PyDict_SetItemString(dict.get(), "__pyx_vtable__", capsule.get()) < 0) {
        return -1;
    }
    PyType_Modified(type);
    return PyModule_AddType(module, type);
}

// Slots left out of the designated initializers below are meant to be zero.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

// A module's own methods reach the storage and the operand readers through VectorType; the
// tables name the part that answers each slot.
template <class Spec> struct VectorType : VectorOperands<Spec> {
    using Base = VectorOperands<Spec>;
    using Base::N;
    using Base::type;
    using Number = VectorNumber<Spec>;
    using Sequence = VectorSequence<Spec>;
    using Methods = VectorMethods<Spec>;
    using Pickle = VectorPickle<Spec>;

    static std::array<PyGetSetDef, N + 1> make_getset() {
        std::array<PyGetSetDef, N + 1> table{};
        for (Py_ssize_t i = 0; i < N; ++i) {
            table[i] = {Spec::names[i], Sequence::get_component, Sequence::set_component,
                        Spec::component_docs[i], reinterpret_cast<void *>(i)};
        }
        return table;
    }
    static inline std::array<PyGetSetDef, N + 1> getset = make_getset();

    template <class F> static PyCFunction fastcall(F f) {
        return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
    }
    // The methods every vector has, then the type's own, then the end marker.
    static constexpr std::size_t shared_methods = 11;
    static constexpr std::size_t own_methods = std::tuple_size_v<decltype(Spec::methods)>;
    using MethodTable = std::array<PyMethodDef, shared_methods + own_methods + 1>;
    static MethodTable make_methods() {
        MethodTable table = {{
            {"__reduce__", Pickle::reduce, METH_NOARGS, nullptr},
            {"copy", Methods::copy, METH_NOARGS,
             PyDoc_STR("copy($self, /)\n--\n\nA new vector of the base type, equal to this one.")},
            {"length", Methods::length, METH_NOARGS,
             PyDoc_STR("length($self, /)\n--\n\nThe length.")},
            {"length_squared", Methods::length_squared, METH_NOARGS,
             PyDoc_STR("length_squared($self, /)\n--\n\nThe squared length.")},
            {"dot", Methods::dot_method, METH_O,
             PyDoc_STR("dot($self, other, /)\n--\n\nThe dot product with a vector or sequence.")},
            {"distance_to", Methods::distance_to, METH_O,
             PyDoc_STR("distance_to($self, other, /)\n--\n\nThe distance to a point.")},
            {"normalized", Methods::normalized, METH_NOARGS,
             PyDoc_STR("normalized($self, /)\n--\n\nA new vector of length 1 in the same "
                       "direction; ValueError for the zero vector.")},
            {"lerp", fastcall(Methods::lerp), METH_FASTCALL,
             PyDoc_STR("lerp($self, other, t, /)\n--\n\nThe point at t on the way from this "
                       "vector to other (t = 0 gives this vector, 1 gives other).")},
            {"clamp_magnitude", fastcall(Methods::clamp_magnitude), METH_FASTCALL,
             PyDoc_STR("clamp_magnitude(max_length) or clamp_magnitude(min_length, max_length)"
                       "\n\nA new vector in the same direction whose length is brought within "
                       "the bounds; ValueError for bounds out of order and for the zero vector "
                       "with a positive minimum.")},
            {"reflect", Methods::reflect, METH_O,
             PyDoc_STR("reflect($self, normal, /)\n--\n\nThe mirror image across the line or "
                       "plane with the given normal (of any length but zero).")},
            {"project", Methods::project, METH_O,
             PyDoc_STR("project($self, onto, /)\n--\n\nThe part of this vector along the "
                       "given one (of any length but zero).")},
        }};
        std::copy(Spec::methods.begin(), Spec::methods.end(), table.begin() + shared_methods);
        table.back() = {nullptr, nullptr, 0, nullptr};
        return table;
    }
    static inline MethodTable methods = make_methods();

    static inline PyNumberMethods number = {
        .nb_add = Number::nb_add,
        .nb_subtract = Number::nb_subtract,
        .nb_multiply = Number::nb_multiply,
        .nb_negative = Number::nb_negative,
        .nb_positive = Number::nb_positive,
        .nb_inplace_add = Number::nb_inplace_add,
        .nb_inplace_subtract = Number::nb_inplace_subtract,
        .nb_inplace_multiply = Number::nb_inplace_multiply,
        .nb_true_divide = Number::nb_true_divide,
        .nb_inplace_true_divide = Number::nb_inplace_true_divide,
    };

    static inline PySequenceMethods sequence = {
        .sq_length = Sequence::sq_length,
        .sq_item = Sequence::sq_item,
        .sq_ass_item = Sequence::sq_ass_item,
    };

    // The module, which readies the types when it is executed.

    static int exec(PyObject *module) {
        if (PyType_Ready(&Sequence::iterator_type) < 0) {
            return -1;
        }
        return publish_vector_type(module, &type, &Spec::vtable);
    }

    static inline PyModuleDef_Slot slots[] = {
        {Py_mod_exec, reinterpret_cast<void *>(exec)},
        // The types are static objects shared by the whole process.
        {Py_mod_multiple_interpreters, Py_MOD_MULTIPLE_INTERPRETERS_NOT_SUPPORTED},
#ifdef Py_mod_gil
        {Py_mod_gil, Py_MOD_GIL_NOT_USED},
#endif
        {0, nullptr},
    };

    static inline PyModuleDef module = {
        .m_base = PyModuleDef_HEAD_INIT,
        .m_name = Spec::module_name,
        .m_doc = Spec::module_doc,
        .m_size = 0,
        .m_slots = slots,
    };
};

template <class Spec>
PyTypeObject VectorObject<Spec>::type = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = Spec::qualified_name,
    .tp_basicsize = sizeof(typename Spec::Object),
    .tp_repr = VectorText<Spec>::tp_repr,
    .tp_as_number = &VectorType<Spec>::number,
    .tp_as_sequence = &VectorType<Spec>::sequence,
    .tp_hash = PyObject_HashNotImplemented,
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE | Py_TPFLAGS_SEQUENCE,
    .tp_doc = Spec::doc,
    .tp_richcompare = VectorObject<Spec>::tp_richcompare,
    .tp_iter = VectorSequence<Spec>::tp_iter,
    .tp_methods = VectorType<Spec>::methods.data(),
    .tp_getset = VectorType<Spec>::getset.data(),
    .tp_init = VectorConstruct<Spec>::tp_init,
    .tp_new = VectorConstruct<Spec>::tp_new,
};

template <class Spec>
PyTypeObject VectorSequence<Spec>::iterator_type = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = Spec::iterator_name,
    .tp_basicsize = sizeof(Iterator),
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION,
    .tp_iter = PyObject_SelfIter,
    .tp_iternext = iternext,
};

#pragma GCC diagnostic pop

}  // namespace tessel

#endif
