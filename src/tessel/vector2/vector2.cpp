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
    static std::array<PyMethodDef, 9> methods();  // turns and angles, below
};

using Vector2 = tessel::VectorType<Vector2Spec>;

// -------------------------------------------------------------------------------------------
// Turns and angles, in degrees, counter-clockwise for y up. Exact on the axes: a quarter turn
// exchanges components, and an angle on an axis is 0, 90, -90 or 180.

Vector2::Values turned(PyObject *self, double degrees) {
    Vector2::Values v = Vector2::load(self);
    return tessel::rotated(v[0], v[1], degrees);
}

// The turn by an angle in degrees, or in radians converted to degrees first, as math.degrees
// does, so that math.pi / 2 is a quarter turn.
bool turn_of(PyObject *angle, bool radians, const char *method, double &degrees) {
    if (!Vector2::number_argument(angle, degrees, method, 1)) {
        return false;
    }
    degrees = radians ? degrees * (180.0 / std::numbers::pi) : degrees;
    return true;
}

PyObject *rotate(PyObject *self, PyObject *degrees) {
    double d;
    return turn_of(degrees, false, "rotate", d) ? Vector2::make(turned(self, d)) : nullptr;
}
PyObject *rotate_rad(PyObject *self, PyObject *radians) {
    double d;
    return turn_of(radians, true, "rotate_rad", d) ? Vector2::make(turned(self, d)) : nullptr;
}
PyObject *rotate_ip(PyObject *self, PyObject *degrees) {
    double d;
    if (!turn_of(degrees, false, "rotate_ip", d)) {
        return nullptr;
    }
    return Vector2::Methods::stored(self, true, turned(self, d));
}
PyObject *rotate_rad_ip(PyObject *self, PyObject *radians) {
    double d;
    if (!turn_of(radians, true, "rotate_rad_ip", d)) {
        return nullptr;
    }
    return Vector2::Methods::stored(self, true, turned(self, d));
}

// The z of the 3-D cross product. Products of two single-precision values are exact in
// double precision, so for two Vector2 it is the exact value rounded once.
double cross_of(const Vector2::Values &v, const Vector2::Values &w) {
    return v[0] * w[1] - v[1] * w[0];
}
PyObject *cross(PyObject *self, PyObject *other) {
    Vector2::Values w;
    return Vector2::argument(other, w, "cross")
               ? PyFloat_FromDouble(cross_of(Vector2::load(self), w))
               : nullptr;
}

// From this vector to the other, within (-180, 180]; 0 when either is zero.
PyObject *angle_to(PyObject *self, PyObject *other) {
    Vector2::Values w;
    if (!Vector2::argument(other, w, "angle_to")) {
        return nullptr;
    }
    Vector2::Values v = Vector2::load(self);
    return PyFloat_FromDouble(tessel::degrees_of(cross_of(v, w), tessel::dot(v, w)));
}

// On the arc from this vector to the other: turned by t times the angle between them (the
// angle_to() angle, so counter-clockwise for opposite vectors), of the length that lerp gives
// between theirs. Exactly the operands at t = 0 and 1; other values extrapolate. The angle is
// taken between the vectors scaled by powers of two, which changes no angle and overflows
// nothing.
PyObject *slerp(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
    if (nargs != 2) {
        PyErr_Format(PyExc_TypeError, "slerp() takes exactly 2 arguments (%zd given)", nargs);
        return nullptr;
    }
    Vector2::Values w;
    double t;
    if (!Vector2::argument(args[0], w, "slerp") ||
        !Vector2::number_argument(args[1], t, "slerp", 2)) {
        return nullptr;
    }
    Vector2::Values v = Vector2::load(self);
    Vector2::Scaled a = tessel::scaled(v), b = tessel::scaled(w);
    double unit = a.scaled_length();
    if (unit == 0.0 || b.scaled_length() == 0.0) {
        PyErr_SetString(PyExc_ValueError, "cannot slerp from or to a vector of length zero");
        return nullptr;
    }
    if (t == 0.0 || t == 1.0) {
        return Vector2::make(t == 0.0 ? v : w);
    }
    double degrees = tessel::degrees_of(cross_of(a.v, b.v), tessel::dot(a.v, b.v));
    double length = tessel::lerp(a.length(), b.length(), t);
    Vector2::Values d = tessel::rotated(a.v[0] / unit, a.v[1] / unit, degrees * t);
    return Vector2::make({d[0] * length, d[1] * length});
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

std::array<PyMethodDef, 9> Vector2Spec::methods() {
    return {{
        {"rotate", rotate, METH_O,
         PyDoc_STR("rotate($self, degrees, /)\n--\n\n"
                   "A new vector turned by the angle, counter-clockwise for y up. A multiple\n"
                   "of 90 degrees is exact: the components are exchanged and negated, never\n"
                   "computed. An infinite or NaN angle gives NaN components. Raises\n"
                   "TypeError for a non-number.")},
        {"rotate_ip", rotate_ip, METH_O,
         PyDoc_STR("rotate_ip($self, degrees, /)\n--\n\n"
                   "`rotate()` in place. Returns None.")},
        {"rotate_rad", rotate_rad, METH_O,
         PyDoc_STR("rotate_rad($self, radians, /)\n--\n\n"
                   "`rotate()` with the angle in radians, converted to degrees first (as\n"
                   "`math.degrees` does), so that `math.pi / 2` is an exact quarter turn.")},
        {"rotate_rad_ip", rotate_rad_ip, METH_O,
         PyDoc_STR("rotate_rad_ip($self, radians, /)\n--\n\n"
                   "`rotate_rad()` in place. Returns None.")},
        {"cross", cross, METH_O,
         PyDoc_STR("cross($self, other, /)\n--\n\n"
                   "The z component of the 3-D cross product of (x, y, 0) and (other, 0):\n"
                   "`x * other.y - y * other.x` in double precision, the exact value rounded\n"
                   "once for two `Vector2`. Positive when `other` lies counter-clockwise.")},
        {"slerp", tessel::as_method(slerp), METH_FASTCALL,
         PyDoc_STR("slerp($self, other, t, /)\n--\n\n"
                   "The point at `t` on the arc from this vector to `other`: turned by `t` times\n"
                   "the angle that `angle_to()` gives, of the length that `lerp` gives between\n"
                   "theirs. `t` = 0 gives exactly this vector, 1 exactly `other`; other values\n"
                   "extrapolate.")},
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
}

// Method-table entry __pyx_new: a new exact Vector2.
PyObject *new_vector2(double x, double y) { return Vector2::make({x, y}); }

Vector2VTable Vector2Spec::vtable = {
    .__pyx_new = new_vector2,
};

}  // namespace

PyMODINIT_FUNC PyInit_vector2(void) { return PyModuleDef_Init(&Vector2::module); }
