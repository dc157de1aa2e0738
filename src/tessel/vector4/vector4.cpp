// tessel.vector4.vector4: the Vector4 type, four double-precision floats (a rect converts
// to one as left, top, width, height). Other compiled modules of the package build against
// tessel/vector4.h and create vectors through the method table published in
// Vector4.__dict__["__pyx_vtable__"].
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "vectors/type.hpp"
#include "tessel/vector4.h"

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
    static constexpr std::array<const char *, 4> component_docs = {"x component", "y component",
                                                                   "z component", "w component"};
    static constexpr const char *name = "Vector4";
    static constexpr const char *qualified_name = "tessel.vector4.vector4.Vector4";
    static constexpr const char *iterator_name = "tessel.vector4.vector4.Vector4Iterator";
    static constexpr const char *init_format = "|dddd:Vector4";
    static constexpr const char *doc =
        PyDoc_STR("Vector4(x=0.0, y=0.0, z=0.0, w=0.0)\n--\n\nFour double-precision floats.");
    static constexpr const char *module_name = "tessel.vector4.vector4";
    static constexpr const char *module_doc = PyDoc_STR("The Vector4 type.");
    static Vector4VTable vtable;
    static constexpr std::array<PyMethodDef, 0> methods{};  // only the shared ones
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
