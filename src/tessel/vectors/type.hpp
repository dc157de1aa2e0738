// The vector types' one implementation. Each vector module describes its type in a small
// record (its instance record, stored component type, component names, names and docs) and
// takes everything else from VectorType<Spec>: storage, construction, components,
// arithmetic, the sequence protocol, methods, text form, pickling, the type object and the
// module definition. The arithmetic that must be exact at its edges is in math.hpp, the
// reading of other libraries' vectors in read.hpp, pickling in pickle.hpp.
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
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <tuple>
#include <utility>

#include "common/number.hpp"
#include "common/ref.hpp"
#include "vectors/float_text.hpp"
#include "vectors/math.hpp"
#include "vectors/pickle.hpp"
#include "vectors/read.hpp"

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

template <class Spec> struct VectorType {
    using T = typename Spec::Component;
    static constexpr Py_ssize_t N = Spec::size;
    // Every computation is done on doubles and narrowed once, when it is stored.
    using Values = Components<std::size_t(N)>;
    using Scaled = tessel::Scaled<std::size_t(N)>;

    static PyTypeObject type;

    // -----------------------------------------------------------------------------------
    // Storage

    static T &component(PyObject *self, Py_ssize_t i) {
        return reinterpret_cast<typename Spec::Object *>(self)->data.*Spec::fields[i];
    }

    // Without the global lock, several threads may read and write one vector at once.
    // Relaxed atomic access keeps each component whole; the components are not updated as
    // one, and an in-place operation updates each component in one atomic step of its own.
    static double load(PyObject *self, Py_ssize_t i) {
        return std::atomic_ref<T>(component(self, i)).load(std::memory_order_relaxed);
    }
    static void store(PyObject *self, Py_ssize_t i, double value) {
        std::atomic_ref<T>(component(self, i)).store(narrow(value), std::memory_order_relaxed);
    }
    // Unrolled at compile time, so that each component has a fixed offset and the values
    // can stay in registers (a loop over the field table goes through memory, and reading
    // the stored values back as a vector stalls).
    static Values load(PyObject *self) {
        return [self]<std::size_t... i>(std::index_sequence<i...>) {
            return Values{load(self, Py_ssize_t(i))...};
        }
        (std::make_index_sequence<std::size_t(N)>());
    }
    static void store_all(PyObject *self, const Values &v) {
        for (Py_ssize_t i = 0; i < N; ++i) {
            store(self, i, v[i]);
        }
    }
    template <class Op> static void update(PyObject *self, Py_ssize_t i, Op op) {
        std::atomic_ref<T> c(component(self, i));
        T old = c.load(std::memory_order_relaxed);
        while (!c.compare_exchange_weak(old, narrow(op(double(old))), std::memory_order_relaxed)) {
        }
    }

    // Round to nearest; magnitudes beyond the float range become infinities (IEEE-754).
    static T narrow(double value) { return static_cast<T>(value); }

    static bool is_vector(PyObject *o) { return PyObject_TypeCheck(o, &type); }

    // -----------------------------------------------------------------------------------
    // Construction

    static PyObject *tp_new(PyTypeObject *t, PyObject *, PyObject *) {
        PyObject *self = t->tp_alloc(t, 0);  // zero-filled: the zero vector
        if (self != nullptr) {
            reinterpret_cast<typename Spec::Object *>(self)->vtab = &Spec::vtable;
        }
        return self;
    }

    static int tp_init(PyObject *self, PyObject *args, PyObject *kwargs) {
        Values v{};
        // One positional argument that is not a float or an int: N numbers in a vector,
        // sequence or buffer. Anything else is parsed as the components, as it always was.
        if (PyTuple_GET_SIZE(args) == 1 && (kwargs == nullptr || PyDict_GET_SIZE(kwargs) == 0)) {
            PyObject *o = PyTuple_GET_ITEM(args, 0);
            Read read = PyFloat_Check(o) || PyLong_Check(o) ? Read::other : operand(o, v);
            if (read != Read::other) {
                return read == Read::ok ? (store_all(self, v), 0) : -1;
            }
        }
        bool parsed = std::apply(
            [&](auto &...d) {
                return PyArg_ParseTupleAndKeywords(args, kwargs, Spec::init_format,
                                                   Spec::names.data(), &d...) != 0;
            },
            v);
        if (!parsed) {
            return -1;
        }
        store_all(self, v);
        return 0;
    }

    // A new vector of the exact type: what every operation that makes a vector returns, and
    // the method table's __pyx_new.
    static PyObject *make(const Values &v) {
        auto *self = PyObject_New(typename Spec::Object, &type);
        if (self == nullptr) {
            return nullptr;
        }
        self->vtab = &Spec::vtable;
        for (Py_ssize_t i = 0; i < N; ++i) {
            self->data.*Spec::fields[i] = narrow(v[i]);  // not yet shared with any thread
        }
        return reinterpret_cast<PyObject *>(self);
    }

    // -----------------------------------------------------------------------------------
    // Components, by name and by index

    static Py_ssize_t index_of(void *closure) { return reinterpret_cast<std::intptr_t>(closure); }

    static PyObject *get_component(PyObject *self, void *closure) {
        return PyFloat_FromDouble(load(self, index_of(closure)));
    }

    static int set_component(PyObject *self, PyObject *value, void *closure) {
        Py_ssize_t i = index_of(closure);
        if (value == nullptr) {
            PyErr_Format(PyExc_TypeError, "cannot delete %s", Spec::names[i]);
            return -1;
        }
        double d;
        if (!to_double(value, &d)) {
            return -1;
        }
        store(self, i, d);
        return 0;
    }

    static Py_ssize_t sq_length(PyObject *) { return N; }

    static bool check_index(Py_ssize_t i) {
        if (i >= 0 && i < N) {
            return true;
        }
        PyErr_Format(PyExc_IndexError, "%s index out of range", Spec::name);
        return false;
    }

    // The interpreter has already added the length to a negative index.
    static PyObject *sq_item(PyObject *self, Py_ssize_t i) {
        return check_index(i) ? PyFloat_FromDouble(load(self, i)) : nullptr;
    }

    static int sq_ass_item(PyObject *self, Py_ssize_t i, PyObject *value) {
        if (value == nullptr) {
            PyErr_Format(PyExc_TypeError, "cannot delete %s items", Spec::name);
            return -1;
        }
        double d;
        if (!check_index(i) || !to_double(value, &d)) {
            return -1;
        }
        store(self, i, d);
        return 0;
    }

    // Iteration gives the components as they were when it began. The iterator holds no
    // reference, so it can take part in no reference cycle.
    struct Iterator {
        PyObject_HEAD
        Py_ssize_t next;
        Values values;
    };
    static PyTypeObject iterator_type;

    static PyObject *tp_iter(PyObject *self) {
        Iterator *it = PyObject_New(Iterator, &iterator_type);
        if (it != nullptr) {
            it->next = 0;
            it->values = load(self);
        }
        return reinterpret_cast<PyObject *>(it);
    }

    // Threads sharing one iterator may each see an item twice, never one out of range.
    static PyObject *iternext(PyObject *o) {
        Iterator *it = reinterpret_cast<Iterator *>(o);
        std::atomic_ref<Py_ssize_t> next(it->next);
        Py_ssize_t i = next.load(std::memory_order_relaxed);
        if (i >= N) {
            return nullptr;  // exhausted, without the cost of an exception
        }
        next.store(i + 1, std::memory_order_relaxed);
        return PyFloat_FromDouble(it->values[i]);
    }

    // -----------------------------------------------------------------------------------
    // Operands

    // A vector of this type (its stored components), or N numbers in any other form.
    static Read operand(PyObject *o, Values &out) {
        if (is_vector(o)) {
            out = load(o);
            return Read::ok;
        }
        return read_numbers(o, out);
    }

    // A number: a float, an int, or anything with a float or index conversion.
    static Read scalar(PyObject *o, double &out) {
        if (PyFloat_CheckExact(o)) {
            out = PyFloat_AS_DOUBLE(o);
            return Read::ok;
        }
        PyNumberMethods *nb = Py_TYPE(o)->tp_as_number;
        if (nb == nullptr || (nb->nb_float == nullptr && nb->nb_index == nullptr)) {
            return Read::other;
        }
        return to_double(o, &out) ? Read::ok : Read::error;
    }

    static PyObject *failed(Read r) {
        return r == Read::error ? nullptr : Py_NewRef(Py_NotImplemented);
    }

    static bool divisor(double k) {
        if (k != 0.0) {
            return true;
        }
#if PY_VERSION_HEX >= 0x030E0000
        PyErr_SetString(PyExc_ZeroDivisionError, "division by zero");  // as floats say it
#else
        PyErr_SetString(PyExc_ZeroDivisionError, "float division by zero");
#endif
        return false;
    }

    // -----------------------------------------------------------------------------------
    // Arithmetic. Results are of the exact type, whatever the operands' types.

    template <class Op> static PyObject *combine(PyObject *a, PyObject *b, Op op) {
        Values l, r;
        Read read = operand(a, l);
        if (read == Read::ok) {
            read = operand(b, r);
        }
        if (read != Read::ok) {
            return failed(read);
        }
        for (Py_ssize_t i = 0; i < N; ++i) {
            l[i] = op(l[i], r[i]);
        }
        return make(l);
    }
    static PyObject *nb_add(PyObject *a, PyObject *b) {
        return combine(a, b, [](double l, double r) { return l + r; });
    }
    static PyObject *nb_subtract(PyObject *a, PyObject *b) {
        return combine(a, b, [](double l, double r) { return l - r; });
    }

    template <class Op> static PyObject *mapped(PyObject *self, Op op) {
        Values v = load(self);
        for (double &c : v) {
            c = op(c);
        }
        return make(v);
    }
    static PyObject *nb_negative(PyObject *self) {
        return mapped(self, [](double c) { return -c; });
    }
    static PyObject *nb_positive(PyObject *self) {
        return mapped(self, [](double c) { return c; });
    }

    // The factor of v * k or v / k: a number, and for a division one that is not zero. An
    // operand whose float conversion refuses it with a TypeError (an array of several
    // numbers, a symbolic number) is no number to us: the other operand may answer.
    static Read factor(PyObject *self, PyObject *k, bool divide, double &out) {
        Read read = is_vector(self) ? scalar(k, out) : Read::other;
        if (read == Read::error && PyErr_ExceptionMatches(PyExc_TypeError)) {
            PyErr_Clear();
            return Read::other;
        }
        return read == Read::ok && divide && !divisor(out) ? Read::error : read;
    }
    template <bool divide> static PyObject *scaled(PyObject *self, PyObject *k) {
        double f;
        Read read = factor(self, k, divide, f);
        if (read != Read::ok) {
            return failed(read);
        }
        return mapped(self, [f](double c) { return divide ? c / f : c * f; });
    }
    static PyObject *nb_multiply(PyObject *a, PyObject *b) {
        return is_vector(a) ? scaled<false>(a, b) : scaled<false>(b, a);  // v * k, else k * v
    }
    static PyObject *nb_true_divide(PyObject *a, PyObject *b) { return scaled<true>(a, b); }

    // In-place forms change the vector itself and return it.
    template <class Op> static PyObject *updated(PyObject *self, Op op) {
        for (Py_ssize_t i = 0; i < N; ++i) {
            update(self, i, [&](double c) { return op(c, i); });
        }
        return Py_NewRef(self);
    }
    template <class Op> static PyObject *combine_into(PyObject *self, PyObject *other, Op op) {
        Values r;
        Read read = is_vector(self) ? operand(other, r) : Read::other;
        if (read != Read::ok) {
            return failed(read);
        }
        return updated(self, [&](double c, Py_ssize_t i) { return op(c, r[i]); });
    }
    static PyObject *nb_inplace_add(PyObject *self, PyObject *other) {
        return combine_into(self, other, [](double l, double r) { return l + r; });
    }
    static PyObject *nb_inplace_subtract(PyObject *self, PyObject *other) {
        return combine_into(self, other, [](double l, double r) { return l - r; });
    }
    template <bool divide> static PyObject *scaled_into(PyObject *self, PyObject *k) {
        double f;
        Read read = factor(self, k, divide, f);
        if (read != Read::ok) {
            return failed(read);
        }
        return updated(self, [f](double c, Py_ssize_t) { return divide ? c / f : c * f; });
    }
    static PyObject *nb_inplace_multiply(PyObject *self, PyObject *k) {
        return scaled_into<false>(self, k);
    }
    static PyObject *nb_inplace_true_divide(PyObject *self, PyObject *k) {
        return scaled_into<true>(self, k);
    }

    // -----------------------------------------------------------------------------------
    // Methods. Lengths and products are doubles, summed in component order; lengths are
    // scaled where the squares would overflow or underflow (math.hpp).

    // A vector argument of a method; a TypeError names the method.
    static bool argument(PyObject *o, Values &out, const char *method) {
        Read read = operand(o, out);
        if (read == Read::other) {
            PyErr_Format(PyExc_TypeError,
                         "%s() argument must be %s or a sequence of %zd numbers, not %.200s",
                         method, Spec::name, N, Py_TYPE(o)->tp_name);
        }
        return read == Read::ok;
    }

    // A number argument of a method; a TypeError names the method and the position.
    static bool number_argument(PyObject *o, double &out, const char *method, int position) {
        Read read = scalar(o, out);
        if (read == Read::other) {
            PyErr_Format(PyExc_TypeError, "%s() argument %d must be a number, not %.200s", method,
                         position, Py_TYPE(o)->tp_name);
        }
        return read == Read::ok;
    }

    static PyObject *length(PyObject *self, PyObject *) {
        return PyFloat_FromDouble(tessel::scaled(load(self)).length());
    }
    static PyObject *length_squared(PyObject *self, PyObject *) {
        Values v = load(self);
        return PyFloat_FromDouble(dot(v, v));
    }
    static PyObject *dot_method(PyObject *self, PyObject *other) {
        Values w;
        return argument(other, w, "dot") ? PyFloat_FromDouble(dot(load(self), w)) : nullptr;
    }
    static PyObject *distance_to(PyObject *self, PyObject *other) {
        Values w;
        if (!argument(other, w, "distance_to")) {
            return nullptr;
        }
        Values v = load(self);
        for (Py_ssize_t i = 0; i < N; ++i) {
            v[i] -= w[i];
        }
        return PyFloat_FromDouble(tessel::scaled(v).length());
    }
    static PyObject *normalized(PyObject *self, PyObject *) {
        Scaled s = tessel::scaled(load(self));
        double l = s.scaled_length();
        if (l == 0.0) {
            PyErr_SetString(PyExc_ValueError, "cannot normalize a vector of length zero");
            return nullptr;
        }
        for (double &c : s.v) {
            c /= l;
        }
        return make(s.v);
    }
    static PyObject *lerp(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
        if (nargs != 2) {
            PyErr_Format(PyExc_TypeError, "lerp() takes exactly 2 arguments (%zd given)", nargs);
            return nullptr;
        }
        Values w;
        double t;
        if (!argument(args[0], w, "lerp") || !number_argument(args[1], t, "lerp", 2)) {
            return nullptr;
        }
        Values v = load(self);
        for (Py_ssize_t i = 0; i < N; ++i) {
            v[i] = tessel::lerp(v[i], w[i], t);
        }
        return make(v);
    }
    static PyObject *copy(PyObject *self, PyObject *) { return make(load(self)); }

    // clamp_magnitude(max_length) or clamp_magnitude(min_length, max_length): this vector
    // when its length lies within the bounds, else the vector of the nearer bound's length
    // in its direction.
    static PyObject *clamp_magnitude(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
        if (nargs != 1 && nargs != 2) {
            PyErr_Format(PyExc_TypeError, "clamp_magnitude() takes 1 or 2 arguments (%zd given)",
                         nargs);
            return nullptr;
        }
        double low = 0.0, high;
        if ((nargs == 2 && !number_argument(args[0], low, "clamp_magnitude", 1)) ||
            !number_argument(args[nargs - 1], high, "clamp_magnitude", int(nargs))) {
            return nullptr;
        }
        if (!(0.0 <= low && low <= high && std::isfinite(low))) {
            PyErr_Format(PyExc_ValueError,
                         "clamp_magnitude() needs 0 <= min_length <= max_length and a finite "
                         "min_length, not %R and %R",
                         Ref::steal(PyFloat_FromDouble(low)).get(),
                         Ref::steal(PyFloat_FromDouble(high)).get());
            return nullptr;
        }
        Values v = load(self);
        Scaled s = tessel::scaled(v);
        double l = s.length();
        if (!(l > high || l < low)) {
            return make(v);  // within the bounds (or NaN): unchanged
        }
        double bound = l > high ? high : low;
        double scaled_l = s.scaled_length();
        if (scaled_l == 0.0) {
            PyErr_SetString(PyExc_ValueError,
                            "cannot clamp a vector of length zero to a positive length");
            return nullptr;
        }
        for (double &c : s.v) {
            c = c / scaled_l * bound;  // a unit component first, so nothing overflows early
        }
        return make(s.v);
    }

    // The part of v along the line of d: (v . u) / (u . u) times u, where u is d divided by
    // its largest component. The ratio is d's, but u's largest component is 1: an axis (of
    // any length) gives a unit u and an exact answer, and no square overflows or underflows.
    // A ValueError with `zero_message` for d of length zero.
    static bool along(const Values &v, const Values &d, const char *zero_message, Values &out) {
        double largest = 0.0;
        for (double c : d) {
            largest = std::isnan(c) || std::fabs(c) > largest ? std::fabs(c) : largest;
        }
        if (largest == 0.0) {
            PyErr_SetString(PyExc_ValueError, zero_message);
            return false;
        }
        Values u;
        for (Py_ssize_t i = 0; i < N; ++i) {
            u[i] = d[i] / largest;
        }
        double k = dot(v, u) / dot(u, u);
        for (Py_ssize_t i = 0; i < N; ++i) {
            out[i] = k * u[i];
        }
        return true;
    }
    static PyObject *project(PyObject *self, PyObject *onto) {
        Values d, p;
        if (!argument(onto, d, "project") ||
            !along(load(self), d, "cannot project onto a vector of length zero", p)) {
            return nullptr;
        }
        return make(p);
    }
    // The mirror image across the line (or plane) whose normal is given: v - 2 (v along n).
    static PyObject *reflect(PyObject *self, PyObject *normal) {
        Values n, p;
        Values v = load(self);
        if (!argument(normal, n, "reflect") ||
            !along(v, n, "cannot reflect off a normal of length zero", p)) {
            return nullptr;
        }
        for (Py_ssize_t i = 0; i < N; ++i) {
            v[i] -= 2.0 * p[i];
        }
        return make(v);
    }

    // -----------------------------------------------------------------------------------
    // Comparison, text and pickling

    static PyObject *tp_richcompare(PyObject *self, PyObject *other, int op) {
        if ((op != Py_EQ && op != Py_NE) || !is_vector(other)) {
            Py_RETURN_NOTIMPLEMENTED;
        }
        Values a = load(self);
        Values b = load(other);
        bool equal = a == b;  // element-wise ==: a NaN is unequal to itself
        return PyBool_FromLong(equal == (op == Py_EQ));
    }

    // "Name(c0, c1, ...)", each component as repr(float) gives it.
    static PyObject *tp_repr(PyObject *self) {
        Values v = load(self);
        char text[N * (kFloatReprMax + 2) + 2];
        char *end = text;
        *end++ = '(';
        for (Py_ssize_t i = 0; i < N; ++i) {
            if (i > 0) {
                *end++ = ',';
                *end++ = ' ';
            }
            end = write_float_repr(end, v[i]);
        }
        *end++ = ')';
        if (!Py_IS_TYPE(self, &type)) {
            Ref name = Ref::steal(PyType_GetName(Py_TYPE(self)));
            return name ? PyUnicode_FromFormat("%U%.*s", name.get(), int(end - text), text)
                        : nullptr;
        }
        std::size_t prefix = std::strlen(Spec::name);
        std::size_t size = prefix + std::size_t(end - text);
        PyObject *s = PyUnicode_New(Py_ssize_t(size), 127);
        if (s != nullptr) {
            char *out = static_cast<char *>(PyUnicode_DATA(s));
            std::memcpy(out, Spec::name, prefix);
            std::memcpy(out + prefix, text, size - prefix);
        }
        return s;
    }

    // See pickle.hpp.
    static PyObject *reduce(PyObject *self, PyObject *) {
        Values v = load(self);
        Ref components = Ref::steal(PyTuple_New(N));
        for (Py_ssize_t i = 0; components && i < N; ++i) {
            PyObject *c = PyFloat_FromDouble(v[i]);
            if (c == nullptr) {
                return nullptr;
            }
            PyTuple_SET_ITEM(components.get(), i, c);
        }
        return reduce_vector(self, &type, std::move(components));
    }

    // -----------------------------------------------------------------------------------
    // The tables

    static std::array<PyGetSetDef, N + 1> make_getset() {
        std::array<PyGetSetDef, N + 1> table{};
        for (Py_ssize_t i = 0; i < N; ++i) {
            table[i] = {Spec::names[i], get_component, set_component, Spec::component_docs[i],
                        reinterpret_cast<void *>(i)};
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
            {"__reduce__", reduce, METH_NOARGS, nullptr},
            {"copy", copy, METH_NOARGS,
             PyDoc_STR("copy($self, /)\n--\n\nA new vector of the base type, equal to this one.")},
            {"length", length, METH_NOARGS, PyDoc_STR("length($self, /)\n--\n\nThe length.")},
            {"length_squared", length_squared, METH_NOARGS,
             PyDoc_STR("length_squared($self, /)\n--\n\nThe squared length.")},
            {"dot", dot_method, METH_O,
             PyDoc_STR("dot($self, other, /)\n--\n\nThe dot product with a vector or sequence.")},
            {"distance_to", distance_to, METH_O,
             PyDoc_STR("distance_to($self, other, /)\n--\n\nThe distance to a point.")},
            {"normalized", normalized, METH_NOARGS,
             PyDoc_STR("normalized($self, /)\n--\n\nA new vector of length 1 in the same "
                       "direction; ValueError for the zero vector.")},
            {"lerp", fastcall(lerp), METH_FASTCALL,
             PyDoc_STR("lerp($self, other, t, /)\n--\n\nThe point at t on the way from this "
                       "vector to other (t = 0 gives this vector, 1 gives other).")},
            {"clamp_magnitude", fastcall(clamp_magnitude), METH_FASTCALL,
             PyDoc_STR("clamp_magnitude(max_length) or clamp_magnitude(min_length, max_length)"
                       "\n\nA new vector in the same direction whose length is brought within "
                       "the bounds; ValueError for bounds out of order and for the zero vector "
                       "with a positive minimum.")},
            {"reflect", reflect, METH_O,
             PyDoc_STR("reflect($self, normal, /)\n--\n\nThe mirror image across the line or "
                       "plane with the given normal (of any length but zero).")},
            {"project", project, METH_O,
             PyDoc_STR("project($self, onto, /)\n--\n\nThe part of this vector along the "
                       "given one (of any length but zero).")},
        }};
        std::copy(Spec::methods.begin(), Spec::methods.end(), table.begin() + shared_methods);
        table.back() = {nullptr, nullptr, 0, nullptr};
        return table;
    }
    static inline MethodTable methods = make_methods();

    static inline PyNumberMethods number = {
        .nb_add = nb_add,
        .nb_subtract = nb_subtract,
        .nb_multiply = nb_multiply,
        .nb_negative = nb_negative,
        .nb_positive = nb_positive,
        .nb_inplace_add = nb_inplace_add,
        .nb_inplace_subtract = nb_inplace_subtract,
        .nb_inplace_multiply = nb_inplace_multiply,
        .nb_true_divide = nb_true_divide,
        .nb_inplace_true_divide = nb_inplace_true_divide,
    };

    static inline PySequenceMethods sequence = {
        .sq_length = sq_length,
        .sq_item = sq_item,
        .sq_ass_item = sq_ass_item,
    };

    // -----------------------------------------------------------------------------------
    // The module

    static int exec(PyObject *module) {
        if (PyType_Ready(&iterator_type) < 0) {
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
PyTypeObject VectorType<Spec>::type = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = Spec::qualified_name,
    .tp_basicsize = sizeof(typename Spec::Object),
    .tp_repr = tp_repr,
    .tp_as_number = &number,
    .tp_as_sequence = &sequence,
    .tp_hash = PyObject_HashNotImplemented,
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_BASETYPE | Py_TPFLAGS_SEQUENCE,
    .tp_doc = Spec::doc,
    .tp_richcompare = tp_richcompare,
    .tp_iter = tp_iter,
    .tp_methods = methods.data(),
    .tp_getset = getset.data(),
    .tp_init = tp_init,
    .tp_new = tp_new,
};

template <class Spec>
PyTypeObject VectorType<Spec>::iterator_type = {
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
