// tessel.vector2.vector2: the Vector2 type, a point or a size held as two single-precision
// floats. Other compiled modules of the package build against tessel/vector2.h and create
// vectors through the method table published in Vector2.__dict__["__pyx_vtable__"].
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <numbers>

#include "vectors/math.hpp"
#include "vectors/type.hpp"
#include "tessel/vector2.h"

namespace {

// What this vector is; the rest is vectors/type.hpp. The vector4 module's record has
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
        PyDoc_STR("Vector2(x=0.0, y=0.0)\n--\n\nA pair of single-precision floats; "
                  "Vector2(pair) takes both from one sequence.");
    static constexpr const char *module_name = "tessel.vector2.vector2";
    static constexpr const char *module_doc = PyDoc_STR("The Vector2 type.");
    static Vector2VTable vtable;
    static const std::array<PyMethodDef, 5> methods;  // turns and angles, below
};

using Vector2 = tessel::VectorType<Vector2Spec>;

// -------------------------------------------------------------------------------------------
// Turns and angles, in degrees, counter-clockwise for y up. Exact on the axes: a quarter turn
// exchanges components, and an angle on an axis is 0, 90, -90 or 180.

PyObject *turned(PyObject *self, double degrees) {
    Vector2::Values v = Vector2::load(self);
    return Vector2::make(tessel::rotated(v[0], v[1], degrees));
}

PyObject *rotate(PyObject *self, PyObject *degrees) {
    double d;
    return Vector2::number_argument(degrees, d, "rotate", 1) ? turned(self, d) : nullptr;
}

// Converted to degrees first, as math.degrees does, so that math.pi / 2 is a quarter turn.
PyObject *rotate_rad(PyObject *self, PyObject *radians) {
    double r;
    return Vector2::number_argument(radians, r, "rotate_rad", 1)
               ? turned(self, r * (180.0 / std::numbers::pi))
               : nullptr;
}

// From this vector to the other, within (-180, 180]; 0 when either is zero.
PyObject *angle_to(PyObject *self, PyObject *other) {
    Vector2::Values w;
    if (!Vector2::argument(other, w, "angle_to")) {
        return nullptr;
    }
    Vector2::Values v = Vector2::load(self);
    double cross = v[0] * w[1] - v[1] * w[0];
    return PyFloat_FromDouble(tessel::degrees_of(cross, tessel::dot(v, w)));
}

// (length, degrees): the angle from the x axis, within (-180, 180].
PyObject *as_polar(PyObject *self, PyObject *) {
    Vector2::Values v = Vector2::load(self);
    tessel::Ref length = tessel::Ref::steal(PyFloat_FromDouble(tessel::scaled(v).length()));
    tessel::Ref degrees = tessel::Ref::steal(PyFloat_FromDouble(tessel::degrees_of(v[1], v[0])));
    return length && degrees ? PyTuple_Pack(2, length.get(), degrees.get()) : nullptr;
}

// A class method that makes a Vector2, also when called on a subclass, like every method
// that makes a vector.
PyObject *from_polar(PyObject *, PyObject *polar) {
    Vector2::Values p;
    if (!Vector2::argument(polar, p, "from_polar")) {
        return nullptr;
    }
    return Vector2::make(tessel::rotated(p[0], 0.0, p[1]));
}

constinit const std::array<PyMethodDef, 5> Vector2Spec::methods = {{
    {"rotate", rotate, METH_O,
     PyDoc_STR("rotate($self, degrees, /)\n--\n\nA new vector turned by the angle "
               "(counter-clockwise for y up); exact for multiples of 90.")},
    {"rotate_rad", rotate_rad, METH_O,
     PyDoc_STR("rotate_rad($self, radians, /)\n--\n\nrotate() with the angle in radians, "
               "converted to degrees first.")},
    {"angle_to", angle_to, METH_O,
     PyDoc_STR("angle_to($self, other, /)\n--\n\nThe signed angle in degrees from this "
               "vector to the other, within (-180, 180]; 0 when either is zero.")},
    {"as_polar", as_polar, METH_NOARGS,
     PyDoc_STR("as_polar($self, /)\n--\n\n(length, degrees from the x axis), the angle "
               "within (-180, 180].")},
    {"from_polar", from_polar, METH_O | METH_CLASS,
     PyDoc_STR("from_polar($type, polar, /)\n--\n\nA new Vector2 from (length, degrees).")},
}};

// Method-table entry __pyx_new: a new exact Vector2.
PyObject *new_vector2(double x, double y) { return Vector2::make({x, y}); }

Vector2VTable Vector2Spec::vtable = {
    .__pyx_new = new_vector2,
};

}  // namespace

PyMODINIT_FUNC PyInit_vector2(void) { return PyModuleDef_Init(&Vector2::module); }
