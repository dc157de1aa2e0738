// tessel.vector4.vector4: the Vector4 type, four double-precision floats (a rect converts
// to one as left, top, width, height). Other compiled modules of the package build against
// tessel/vector4.h and create vectors through the method table published in
// Vector4.__dict__["__pyx_vtable__"].
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "tessel/vector4.h"
#include "vectors/type.hpp"

namespace {

// What this vector is; the rest is vectors/type.hpp. The vector2 module's record has
// the same shape on purpose: it answers the same questions.
struct Vector4Spec {
    using Object = Vector4Object;
    using Component = double;
    static constexpr Py_ssize_t size = 4;
    static constexpr std::array<double vector4_t::*, 4> fields = {&vector4_t::x, &vector4_t::y,
                                                                  &vector4_t::z, &vector4_t::w};
    static constexpr std::array<const char *, 5> names = {"x", "y", "z", "w", nullptr};
    static constexpr const char *name = "Vector4";
    static constexpr const char *qualified_name = "tessel.vector4.vector4.Vector4";
    static constexpr const char *module_name = "tessel.vector4.vector4";
    static constexpr const char *iterator_name = "tessel.vector4.vector4.Vector4Iterator";
    static constexpr const char *init_format = "|dddd:Vector4";
    static constexpr tessel::VectorDocs docs = {
        .module = PyDoc_STR("The Vector4 type: four double-precision floats."),
        .type =
            PyDoc_STR("Vector4(x=0.0, y=0.0, z=0.0, w=0.0)\n--\n\n"
                      "A vector of four components, `x`, `y`, `z` and `w`, each a\n"
                      "double-precision float.\n\n"
                      "`Vector4(sequence)`: every component from one vector, sequence (a `Rect`\n"
                      "among them) or buffer of four numbers. A single `float` or `int` (or\n"
                      "other number) is still `x`: `Vector4(5)` is (5, 0, 0, 0). Raises\n"
                      "TypeError for anything else."),
        .x = PyDoc_STR("The first component. Writing stores a number (TypeError for anything\n"
                       "else); deleting raises TypeError."),
        .length =
            PyDoc_STR("length($self, /)\n--\n\n"
                      "The length, without overflow or underflow for any finite components (inf\n"
                      "only when the length exceeds the largest double)."),
        .length_squared = PyDoc_STR("length_squared($self, /)\n--\n\n"
                                    "The squared length (no square root)."),
        .dot = PyDoc_STR("dot($self, other, /)\n--\n\n"
                         "The dot product with a `Vector4` or a sequence or buffer of four\n"
                         "numbers. Raises TypeError for anything else."),
        .distance_to =
            PyDoc_STR("distance_to($self, other, /)\n--\n\n"
                      "The distance to a point (a `Vector4` or a sequence or buffer of four\n"
                      "numbers), computed as `length()` is. Raises TypeError for anything else."),
    };
    static Vector4VTable vtable;
    static std::array<PyMethodDef, 0> methods() { return {}; }  // only the shared ones
};

using Vector4 = tessel::VectorType<Vector4Spec>;

// Method-table entry __pyx_new: a new exact Vector4.
PyObject *new_vector4(double x, double y, double z, double w) {
    return Vector4::make({x, y, z, w});
}

Vector4VTable Vector4Spec::vtable = {
    .__pyx_new = new_vector4,
};

}  // namespace

PyMODINIT_FUNC PyInit_vector4(void) { return PyModuleDef_Init(&Vector4::module); }
