// The geometry properties and the size accessors. Nothing is cached: each read is
// computed afresh from the two vectors, and each write goes into them.
#include <Python.h>

#include "common/items.hpp"
#include "frames.hpp"
#include "operations.hpp"
#include "vectors.hpp"

namespace tessel::rect {
namespace {

// What a property works on, handed to its getter and setter as the closure.
struct Prop {
    Field field;  // the vector of an alias property; position for the others
    Str axis;     // x or y
    Frame get;
    Frame set;
};

const Prop *prop(void *closure) { return static_cast<const Prop *>(closure); }

// Deleting a computed property is refused, without a frame.
int refuse_delete() {
    PyErr_SetString(PyExc_NotImplementedError, "__del__");
    return -1;
}

Num half() { return Num::of(Ref::borrow(g_state.half)); }

// The center line across one axis (centerx, centery): position.<axis> + size.<axis> * 0.5.
Num center_line(RectObject *r, Str axis) {
    Num p = component_num(r, Field::position, axis);
    if (!p.ok()) {
        return p;
    }
    Num s = component_num(r, Field::size, axis);
    if (!s.ok()) {
        return s;
    }
    Num h = half();
    Num product = multiply(s, h);
    return product.ok() ? add(p, product) : std::move(product);
}

// Moves the rect on one axis so that `value` (an edge or center line) lands where asked:
// position.<axis> = value - size.<axis> * scale, where scale is 1 (no product) or 0.5.
bool move_to(RectObject *r, Str axis, Num value, bool centred) {
    Num s = component_num(r, Field::size, axis);
    if (!s.ok()) {
        return false;
    }
    if (centred) {
        Num h = half();
        s = multiply(s, h);
        if (!s.ok()) {
            return false;
        }
    }
    Num target = subtract(value, s);
    Ref result = target.take();
    return result && set_component(r, Field::position, axis, result.get());
}

// Alias properties: one component of one vector.
PyObject *alias_get(PyObject *self, void *closure) {
    const Prop &p = *prop(closure);
    return framed(p.get, component(as_rect(self), p.field, p.axis));
}

int alias_set(PyObject *self, PyObject *value, void *closure) {
    const Prop &p = *prop(closure);
    if (value == nullptr) {
        return refuse_delete();
    }
    return framed_status(p.set, set_component(as_rect(self), p.field, p.axis, value));
}

// A line across one axis: the far edge (right, bottom) or, Centred, the center line
// (centerx, centery).
template <bool Centred> PyObject *line_get(PyObject *self, void *closure) {
    const Prop &p = *prop(closure);
    RectObject *r = as_rect(self);
    return framed(p.get, (Centred ? center_line(r, p.axis) : edge(r, p.axis)).take());
}

template <bool Centred> int line_set(PyObject *self, PyObject *value, void *closure) {
    const Prop &p = *prop(closure);
    if (value == nullptr) {
        return refuse_delete();
    }
    return framed_status(p.set,
                         move_to(as_rect(self), p.axis, Num::of(Ref::borrow(value)), Centred));
}

constexpr getter edge_get = line_get<false>;
constexpr setter edge_set = line_set<false>;
constexpr getter center_line_get = line_get<true>;
constexpr setter center_line_set = line_set<true>;

// One center line as a double, for the center point (center).
bool center_line_double(RectObject *r, Str axis, double *out) {
    Num c = center_line(r, axis);
    if (!c.ok()) {
        return false;
    }
    if (c.is_float()) {
        *out = c.value();
        return true;
    }
    return to_double(c.object(), out);
}

Ref center_point(RectObject *r) {
    double x, y;
    if (!center_line_double(r, Str::x, &x) || !center_line_double(r, Str::y, &y)) {
        return Ref();
    }
    return new_vector2(x, y);
}

PyObject *center_point_get(PyObject *self, void *closure) {
    return framed(prop(closure)->get, center_point(as_rect(self)));
}

// Whether a point given to center is a Vector2. An exact tuple or list is not one; saying
// so at once spares the walk through its type's bases.
bool is_point_vector(PyObject *value) {
    return !PyTuple_CheckExact(value) && !PyList_CheckExact(value) && is_vector2(value);
}

bool set_center_point(RectObject *r, PyObject *value) {
    if (!require_started()) {
        return false;
    }
    double xy[2];
    bool read = is_point_vector(value)
                    ? component_doubles(g_state.types, value, Component::x, 2, xy)
                    : item_doubles<center_item>(value, 0, 2, xy);
    return read && move_to(r, Str::x, Num::of(xy[0]), true) &&
           move_to(r, Str::y, Num::of(xy[1]), true);
}

int center_point_set(PyObject *self, PyObject *value, void *closure) {
    if (value == nullptr) {
        return refuse_delete();
    }
    return framed_status(prop(closure)->set, set_center_point(as_rect(self), value));
}

// position and size: the vectors themselves, shared both ways.
PyObject *vector_get(PyObject *self, void *closure) {
    return field(as_rect(self), prop(closure)->field).release();
}

bool set_vector(RectObject *r, Field f, PyObject *value) {
    if (!check_vector2_or_none(value)) {
        return false;
    }
    store(r, f, value);
    return true;
}

int vector_set(PyObject *self, PyObject *value, void *closure) {
    const Prop &p = *prop(closure);
    // Deleting stores None.
    return framed_status(p.set, set_vector(as_rect(self), p.field, value ? value : Py_None));
}

#define TESSEL_RECT_PROP(name, kind, field, axis)                                                  \
    const Prop name##_prop = {Field::field, Str::axis, Frame::name##_get, Frame::name##_set};
TESSEL_RECT_PROPERTIES(TESSEL_RECT_PROP)
#undef TESSEL_RECT_PROP

void *closure(const Prop &p) { return const_cast<Prop *>(&p); }

}  // namespace

#define TESSEL_RECT_GETSET(name, kind, ...)                                                        \
    {#name, kind##_get, kind##_set, nullptr, closure(name##_prop)},
// clang-format off
PyGetSetDef kRectProperties[] = {
    TESSEL_RECT_PROPERTIES(TESSEL_RECT_GETSET)
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};
// clang-format on
#undef TESSEL_RECT_GETSET

// The size accessors of the method table.
PyObject *get_width(RectObject *self, int) {
    return framed(Frame::get_width, component(self, Field::size, Str::x));
}

PyObject *get_height(RectObject *self, int) {
    return framed(Frame::get_height, component(self, Field::size, Str::y));
}

}  // namespace tessel::rect
