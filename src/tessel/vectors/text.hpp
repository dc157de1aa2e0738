// A vector's text form, "Vector2(1.5, 2.0)": one string object and no float objects.
#ifndef TESSEL_VECTORS_TEXT_HPP
#define TESSEL_VECTORS_TEXT_HPP

#include <Python.h>

#include <cstring>

#include "common/ref.hpp"
#include "vectors/float_text.hpp"
#include "vectors/object.hpp"

namespace tessel {

template <class Spec> struct VectorText : VectorObject<Spec> {
    using Base = VectorObject<Spec>;
    using Base::load;
    using Base::N;
    using Base::type;
    using typename Base::Values;

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
};

}  // namespace tessel

#endif
