// tessel.vector2.vector2: the Vector2 type, a point or a size held as two single-precision
// floats. Other compiled modules of the package build against tessel/vector2.h and create
// vectors through the method table published in Vector2.__dict__["__pyx_vtable__"].
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include "common/vector_type.hpp"
#include "tessel/vector2.h"

namespace {

// What this vector is; the rest is common/vector_type.hpp. The vector4 module's record has
// the same shape on purpose: it answers the same questions.
struct Vector2Spec {
    using Object = Vector2Object;
    using Component = float;
    static constexpr Py_ssize_t size = 2;
    static constexpr std::array<float vector2_t::*, 2> fields = {&vector2_t::x, &vector2_t::y};
    static constexpr std::array<const char *, 3> names = {"x", "y", nullptr};
    static constexpr std::array<const char *, 2> component_docs = {
        "x component (single precision)", "y component (single precision)"};
    static constexpr const char *name = "Vector2";
    static constexpr const char *qualified_name = "tessel.vector2.vector2.Vector2";
    static constexpr const char *iterator_name = "tessel.vector2.vector2.Vector2Iterator";
    static constexpr const char *init_format = "|dd:Vector2";
    static constexpr const char *doc =
        PyDoc_STR("Vector2(x=0.0, y=0.0)\n--\n\nA pair of single-precision floats.");
    static constexpr const char *module_name = "tessel.vector2.vector2";
    static constexpr const char *module_doc = PyDoc_STR("The Vector2 type.");
    static Vector2VTable vtable;
};

using Vector2 = tessel::VectorType<Vector2Spec>;

// Method-table entry __pyx_new: a new exact Vector2.
PyObject *new_vector2(double x, double y) { return Vector2::make({x, y}); }

Vector2VTable Vector2Spec::vtable = {
    .__pyx_new = new_vector2,
};

}  // namespace

PyMODINIT_FUNC PyInit_vector2(void) { return PyModuleDef_Init(&Vector2::module); }
