// The vector types' one implementation. Each vector module describes its type in a small
// record (its instance record, stored component type, component names, names and texts) and
// takes everything else from VectorType<Spec>, assembled here from its parts, each in a file
// of its own: the object and its storage (object.hpp), construction (construct.hpp), the
// number protocol (number.hpp), the sequence protocol (sequence.hpp), the methods
// (methods.hpp), the text form (text.hpp) and pickling (pickle.hpp). This file holds the
// type's declarative tables: its properties, methods, slots, type objects and module.
// The arithmetic that must be exact at its edges is in math.hpp, the reading of other
// libraries' vectors in read.hpp and operands.hpp.
//
// help() shows the first paragraph of each name's docstring in the stubs (vector2.pyi,
// vector4.pyi): the texts that both types share are in the tables below, those that differ
// in each type's Spec (VectorDocs), and a type's own methods carry theirs in its table.
//
// What a Spec gives:
//   using Object = ...;     the published instance record: PyObject_HEAD, vtab, data
//   using Component = ...;  float or double: every stored value is narrowed to it
//   using VTable = ...;     the published method table
//   static constexpr Py_ssize_t size;                               the number of components
//   static constexpr std::array<Component Data::*, size> fields;    in order
//   static constexpr std::array<const char *, size + 1> names;      the same, then nullptr
//   static constexpr const char *name, *qualified_name, *module_name, *iterator_name,
//                               *init_format;
//   static constexpr VectorDocs docs;
//   static VTable vtable;   whose first entry creates a vector of the exact type
//   static std::array<PyMethodDef, K> methods();  the type's own methods, asked for when the
//                                                 type's table is made
#ifndef TESSEL_VECTORS_TYPE_HPP
#define TESSEL_VECTORS_TYPE_HPP

#include <Python.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <tuple>

#include "common/call.hpp"
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

// The texts of help() that differ between the vector types; a method's begins with its
// signature, as the interpreter reads it.
struct VectorDocs {
    const char *module;
    const char *type;  // the signature, then both ways of making a vector
    const char *x;     // the first component (the others' are "as x")
    const char *length;
    const char *length_squared;
    const char *dot;
    const char *distance_to;
};

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

    static constexpr std::array<const char *, 4> component_docs = {
        nullptr,  // the type's own: Spec::docs.x
        PyDoc_STR("The second component; as `x`."),
        PyDoc_STR("The third component; as `x`."),
        PyDoc_STR("The fourth component; as `x`."),
    };
    static_assert(N <= Py_ssize_t(component_docs.size()), "a text for every component");
    static std::array<PyGetSetDef, N + 1> make_getset() {
        std::array<PyGetSetDef, N + 1> table{};
        for (Py_ssize_t i = 0; i < N; ++i) {
            table[i] = {Spec::names[i], Sequence::get_component, Sequence::set_component,
                        i == 0 ? Spec::docs.x : component_docs[i], reinterpret_cast<void *>(i)};
        }
        return table;
    }
    static inline std::array<PyGetSetDef, N + 1> getset = make_getset();

    // The methods every vector has, then the type's own, then the end marker. An in-place
    // form follows the method it mirrors.
    static constexpr std::size_t shared_methods = 21;
    static constexpr std::size_t own_methods = std::tuple_size_v<decltype(Spec::methods())>;
    using MethodTable = std::array<PyMethodDef, shared_methods + own_methods + 1>;
    static MethodTable make_methods() {
        MethodTable table = {{
            {"__reduce__", Pickle::reduce, METH_NOARGS,
             PyDoc_STR("__reduce__($self, /)\n--\n\n"
                       "Pickling: the vector is restored by calling its type with its components\n"
                       "(plus a subclass instance's own attributes). A subclass with a `__new__`\n"
                       "or `__init__` of its own is restored without calling either: the base\n"
                       "type's `__new__` and `__init__` make it with the components\n"
                       "(`copyreg._reconstructor`), then its attributes are restored (through\n"
                       "its own `__setstate__`, if any).")},
            // Two forms and no one signature: the forms come after the text.
            {"update", as_method(VectorConstruct<Spec>::update), METH_VARARGS | METH_KEYWORDS,
             PyDoc_STR("Sets the components in place, taking what the constructor takes: numbers\n"
                       "by position or keyword (those not given become 0), or one vector,\n"
                       "sequence or buffer of as many numbers. Returns None.\n\n"
                       "update(x=0.0, y=0.0, ...) or update(sequence)")},
            {"copy", Methods::copy, METH_NOARGS,
             PyDoc_STR("copy($self, /)\n--\n\n"
                       "A new vector of the base type, equal to this one.")},
            {"__round__", as_method(Methods::round), METH_FASTCALL,
             PyDoc_STR(
                 "__round__($self, ndigits=None, /)\n--\n\n"
                 "`round(v, ndigits)`: a new vector of the base type, each component rounded\n"
                 "as `round(float, ndigits)` rounds it (halves to even), then stored as a\n"
                 "component is; infinities and NaN stay as they are.")},
            {"length", Methods::length, METH_NOARGS, Spec::docs.length},
            {"length_squared", Methods::length_squared, METH_NOARGS, Spec::docs.length_squared},
            {"is_normalized", Methods::is_normalized, METH_NOARGS,
             PyDoc_STR("is_normalized($self, /)\n--\n\n"
                       "Whether the length is 1 within the rounding of stored components: the\n"
                       "squared length lies within 16 epsilons of the component type of 1 (about\n"
                       "1.9e-6 for `Vector2`, 3.6e-15 for `Vector4`). True for every result of\n"
                       "`normalized()`.")},
            {"dot", Methods::dot_method, METH_O, Spec::docs.dot},
            {"distance_to", Methods::distance_to, METH_O, Spec::docs.distance_to},
            {"distance_squared_to", Methods::distance_squared_to, METH_O,
             PyDoc_STR("distance_squared_to($self, other, /)\n--\n\n"
                       "The squared distance to a point, summed as `length_squared()` sums: no\n"
                       "square root. Raises TypeError for an `other` that is not a vector.")},
            {"normalized", Methods::normalized, METH_NOARGS,
             PyDoc_STR("normalized($self, /)\n--\n\n"
                       "A new vector of length 1 in the same direction, for any finite\n"
                       "components.")},
            {"normalize_ip", Methods::normalize_ip, METH_NOARGS,
             PyDoc_STR("normalize_ip($self, /)\n--\n\n"
                       "`normalized()` in place: this vector becomes of length 1 in the same\n"
                       "direction. Returns None.")},
            {"scale_to_length", Methods::scale_to_length, METH_O,
             PyDoc_STR("scale_to_length($self, length, /)\n--\n\n"
                       "In place: this vector becomes of the given length (within rounding) in\n"
                       "the same direction, the opposite one for a negative length, for any\n"
                       "finite components. Returns None.")},
            {"lerp", as_method(Methods::lerp), METH_FASTCALL,
             PyDoc_STR("lerp($self, other, t, /)\n--\n\n"
                       "The point at `t` on the way from this vector to `other`: `t` = 0 gives\n"
                       "exactly this vector, 1 exactly `other`, whatever the values; other\n"
                       "values extrapolate. The point moves monotonically with `t`.")},
            {"move_towards", as_method(Methods::move_towards), METH_FASTCALL,
             PyDoc_STR("move_towards($self, target, max_distance, /)\n--\n\n"
                       "A new vector: this one moved `max_distance` along the straight line to\n"
                       "`target`, never past it: exactly `target` once that lies within reach. A\n"
                       "negative distance moves away from `target`.")},
            {"move_towards_ip", as_method(Methods::move_towards_ip), METH_FASTCALL,
             PyDoc_STR("move_towards_ip($self, target, max_distance, /)\n--\n\n"
                       "`move_towards()` in place. Returns None.")},
            {"clamp_magnitude", as_method(Methods::clamp_magnitude), METH_FASTCALL,
             PyDoc_STR("A new vector: equal to this one when its length lies within `min_length`\n"
                       "(0 when only `max_length` is given) and `max_length`, else of the nearer\n"
                       "bound's length (within rounding) in the same direction.\n\n"
                       "clamp_magnitude(max_length) or clamp_magnitude(min_length, max_length)")},
            {"clamp_magnitude_ip", as_method(Methods::clamp_magnitude_ip), METH_FASTCALL,
             PyDoc_STR(
                 "`clamp_magnitude()` in place: this vector becomes the one that\n"
                 "`clamp_magnitude()` gives, and is left as it is (nothing written) when its\n"
                 "length lies within the bounds. Returns None.\n\n"
                 "clamp_magnitude_ip(max_length) or clamp_magnitude_ip(min_length, "
                 "max_length)")},
            {"reflect", Methods::reflect, METH_O,
             PyDoc_STR("reflect($self, normal, /)\n--\n\n"
                       "A new vector: this one bounced off a surface with the given normal,\n"
                       "v - 2 (v.n / n.n) n. The normal may have any length but zero; one along\n"
                       "an axis gives an exact answer.")},
            {"reflect_ip", Methods::reflect_ip, METH_O,
             PyDoc_STR("reflect_ip($self, normal, /)\n--\n\n"
                       "`reflect()` in place. Returns None.")},
            {"project", Methods::project, METH_O,
             PyDoc_STR("project($self, onto, /)\n--\n\n"
                       "A new vector: the part of this one along `onto`, (v.d / d.d) d. `onto`\n"
                       "may have any length but zero; one along an axis gives an exact answer.")},
        }};
        auto own = Spec::methods();
        std::copy(own.begin(), own.end(), table.begin() + shared_methods);
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
        .nb_bool = Number::nb_bool,
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
        .sq_contains = Sequence::sq_contains,
    };

    // Indexes as the sequence protocol takes them, and slices.
    static inline PyMappingMethods mapping = {
        .mp_subscript = Sequence::mp_subscript,
        .mp_ass_subscript = Sequence::mp_ass_subscript,
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
        .m_doc = Spec::docs.module,
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
    .tp_as_mapping = &VectorType<Spec>::mapping,
    .tp_hash = PyObject_HashNotImplemented,
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE | Py_TPFLAGS_SEQUENCE,
    .tp_doc = Spec::docs.type,
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
