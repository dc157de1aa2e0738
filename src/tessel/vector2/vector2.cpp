// tessel.vector2.vector2: the Vector2 type, a point or a size held as two single-precision
// floats. Other compiled modules of the package build against tessel/vector2.h and create
// vectors through the method table published in Vector2.__dict__["__pyx_vtable__"].
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <numbers>

#include "tessel/vector2.h"
#include "vectors/math.hpp"
#include "vectors/type.hpp"

namespace {

// What this vector is; the rest is vectors/type.hpp. The vector4 module's record has
// the same shape on purpose: it answers the same questions.
struct Vector2Spec {
    using Object = Vector2Object;
    using Component = float;
    static constexpr Py_ssize_t size = 2;
    static constexpr std::array<float vector2_t::*, 2> fields = {&vector2_t::x, &vector2_t::y};
    static constexpr std::array<const char *, 3> names = {"x", "y", nullptr};
    static constexpr const char *name = "Vector2";
    static constexpr const char *qualified_name = "tessel.vector2.vector2.Vector2";
    static constexpr const char *module_name = "tessel.vector2.vector2";
    static constexpr const char *iterator_name = "tessel.vector2.vector2.Vector2Iterator";
    static constexpr const char *init_format = "|dd:Vector2";
    static constexpr tessel::VectorDocs docs = {
        .module = PyDoc_STR("The Vector2 type: two single-precision floats."),
        .type =
            PyDoc_STR("Vector2(x=0.0, y=0.0)\n--\n\n"
                      "A vector of two components, `x` and `y`, each a single-precision float.\n\n"
                      "`Vector2(sequence)`: every component from one vector, sequence or buffer\n"
                      "of two numbers. A single `float` or `int` (or other number) is still\n"
                      "`x`: `Vector2(5)` is (5, 0). Raises TypeError for anything else."),
        .x = PyDoc_STR("The first component. Writing stores a number at single precision\n"
                       "(TypeError for anything else); deleting raises TypeError."),
        .length =
            PyDoc_STR("length($self, /)\n--\n\n"
                      "The length, in double precision, without overflow or underflow for any\n"
                      "finite components (inf only when the length exceeds the largest double)."),
        .length_squared = PyDoc_STR("length_squared($self, /)\n--\n\n"
                                    "The squared length, in double precision (no square root)."),
        .dot =
            PyDoc_STR("dot($self, other, /)\n--\n\n"
                      "The dot product with a `Vector2` or a sequence or buffer of two numbers,\n"
                      "in double precision. Raises TypeError for anything else."),
        .distance_to =
            PyDoc_STR("distance_to($self, other, /)\n--\n\n"
                      "The distance to a point (a `Vector2` or a sequence or buffer of two\n"
                      "numbers), in double precision, computed as `length()` is. Raises\n"
                      "TypeError for anything else."),
    };
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
     PyDoc_STR("rotate($self, degrees, /)\n--\n\n"
               "A new vector turned by the angle, counter-clockwise for y up. A multiple\n"
               "of 90 degrees is exact: the components are exchanged and negated, never\n"
               "computed. An infinite or NaN angle gives NaN components. Raises\n"
               "TypeError for a non-number.")},
    {"rotate_rad", rotate_rad, METH_O,
     PyDoc_STR("rotate_rad($self, radians, /)\n--\n\n"
               "`rotate()` with the angle in radians, converted to degrees first (as\n"
               "`math.degrees` does), so that `math.pi / 2` is an exact quarter turn.")},
    {"angle_to", angle_to, METH_O,
     PyDoc_STR("angle_to($self, other, /)\n--\n\n"
               "The signed angle in degrees from this vector to `other`, within\n"
               "(-180, 180]: exact when they are parallel or perpendicular, 0 when either\n"
               "is the zero vector. Raises TypeError for an `other` that is not a vector.")},
    {"as_polar", as_polar, METH_NOARGS,
     PyDoc_STR("as_polar($self, /)\n--\n\n"
               "(length, angle in degrees from the x axis), the angle within (-180, 180]\n"
               "and 0 for the zero vector.")},
    {"from_polar", from_polar, METH_O | METH_CLASS,
     PyDoc_STR("from_polar($type, polar, /)\n--\n\n"
               "A new `Vector2` (also when called on a subclass or an instance) from a\n"
               "(length, degrees) pair; exact when the angle is a multiple of 90. Raises\n"
               "TypeError for anything but a pair of numbers.")},
}};

// Method-table entry __pyx_new: a new exact Vector2.
PyObject *new_vector2(double x, double y) { return Vector2::make({x, y}); }

Vector2VTable Vector2Spec::vtable = {
    .__pyx_new = new_vector2,
};

}  // namespace

PyMODINIT_FUNC PyInit_vector2(void) { return PyModuleDef_Init(&Vector2::module); }
