// Collision: whether a point lies inside a rect (closed on all four sides, `<=`) and
// whether another rectangle overlaps it (open on all four sides, `<`). Comparisons run in
// a fixed order and stop at the first false one; nothing after it is read.
#include <Python.h>

#include "common/arguments.hpp"
#include "common/records.hpp"
#include "frames.hpp"
#include "operations.hpp"
#include "vectors.hpp"

namespace tessel::rect {
namespace {

constexpr Str kAxes[2] = {Str::x, Str::y};

// contains and overlaps walk the two axes alike, but each reads its own values in its own
// order (which is what callers can observe); they are kept apart so each reads as its rule.

// Containment, for a point whose coordinate on an axis is fetched by `coord(axis)` right
// after position.<axis> is read and used for both comparisons on that axis. The answer is
// in *inside; false with an exception set on failure.
template <class Coord> bool contains(RectObject *r, Coord coord, bool *inside) {
    *inside = false;
    for (int a = 0; a < 2; ++a) {
        Num low = component_num(r, Field::position, kAxes[a]);
        if (!low.ok()) {
            return false;
        }
        Num p = coord(a);
        if (!p.ok() || !compare(low, p, Py_LE, inside)) {
            return false;
        }
        if (!*inside) {
            return true;
        }
        Num high = edge(r, kAxes[a]);
        if (!high.ok() || !compare(p, high, Py_LE, inside)) {
            return false;
        }
        if (!*inside) {
            return true;
        }
    }
    return true;
}

// Overlap with another rectangle whose far edge on an axis (left + width) is fetched by
// `far(axis)` after position.<axis> is read, and whose near edge by `near(axis)` before
// this rect's own edge is read. The answer is in *overlap.
template <class Far, class Near> bool overlaps(RectObject *r, Far far, Near near, bool *overlap) {
    *overlap = false;
    for (int a = 0; a < 2; ++a) {
        Num low = component_num(r, Field::position, kAxes[a]);
        if (!low.ok()) {
            return false;
        }
        Num other_far = far(a);
        if (!other_far.ok() || !compare(low, other_far, Py_LT, overlap)) {
            return false;
        }
        if (!*overlap) {
            return true;
        }
        Num other_near = near(a);
        if (!other_near.ok()) {
            return false;
        }
        Num high = edge(r, kAxes[a]);
        if (!high.ok() || !compare(other_near, high, Py_LT, overlap)) {
            return false;
        }
        if (!*overlap) {
            return true;
        }
    }
    return true;
}

// The typed forms' fast path. When the rect's vectors are exact Vector2 and the argument's
// values are plain (an exact vector's record, or exact floats and small ints:
// common/number.hpp), none of the reads the typed form makes can have an effect or fail,
// and the interpreter's sums and comparisons of what they give are those of the doubles:
// so the rule on the doubles is the typed form's answer. `r` is (left, top, width, height).
bool plain_rect(RectObject *self, double r[4]) { return rect_record(g_state.types, self, r); }

bool contains_values(const double r[4], const double p[2]) {
    return r[0] <= p[0] && p[0] <= r[0] + r[2] && r[1] <= p[1] && p[1] <= r[1] + r[3];
}

bool overlaps_values(const double r[4], const double o[4]) {
    return r[0] < o[0] + o[2] && o[0] < r[0] + r[2] && r[1] < o[1] + o[3] && o[1] < r[1] + r[3];
}

// Sum of two values read one after the other, for the typed forms' far edges.
template <class Read> Num read_sum(Read read, int first, int second) {
    Num a = read(first);
    if (!a.ok()) {
        return a;
    }
    Num b = read(second);
    return b.ok() ? add(a, b) : std::move(b);
}

// A typed form's other rect: its fields read directly, never from something else.
Ref other_field(PyObject *other, Field f) {
    if (!is_rect(other)) {
        PyErr_Format(PyExc_AttributeError, "'%.50s' object has no attribute '%s'",
                     Py_TYPE(other)->tp_name,
                     text(f == Field::position ? Str::position : Str::size));
        return Ref();
    }
    return field(as_rect(other), f);
}

Num other_component(PyObject *other, Field f, int axis) {
    Ref v = other_field(other, f);
    return Num::of(v ? get_attr(v.get(), kAxes[axis]) : Ref());
}

}  // namespace

// The general forms read their argument as doubles (common/arguments.hpp) before the rect
// is looked at.
int collide_point(RectObject *self, PyObject *point, int) {
    double xy[2];
    bool inside = false;
    // One value per axis serves both of its comparisons (boxed once, if at all).
    bool ok = read_point(g_state.types, point, xy, Accept::methods) &&
              contains(
                  self, [&](int a) { return Num::of(xy[a]); }, &inside);
    return framed_truth(Frame::collide_point, ok, inside);
}

int collide_point_vector2(RectObject *self, Vector2Object *point, int) {
    PyObject *p = reinterpret_cast<PyObject *>(point);
    double r[4], xy[2];
    if (vector2_record(g_state.types, p, xy) && plain_rect(self, r)) {
        return contains_values(r, xy);
    }
    bool inside = false;
    bool ok = contains(
        self, [&](int a) { return Num::of(get_attr(p, kAxes[a])); }, &inside);
    return framed_truth(Frame::collide_point_vector2, ok, inside);
}

namespace {

// The typed tuple and list forms: items taken as they are, bounds-checked.
int collide_point_items(RectObject *self, PyObject *point, Frame f) {
    double r[4], xy[2];
    if (plain_item_doubles(point, 2, xy) && plain_rect(self, r)) {
        return contains_values(r, xy);
    }
    bool inside = false;
    bool ok = contains(
        self, [&](int a) { return Num::of(typed_form_item(point, a)); }, &inside);
    return framed_truth(f, ok, inside);
}

int collide_rect_items(RectObject *self, PyObject *other, Frame f) {
    double r[4], o[4];
    if (plain_item_doubles(other, 4, o) && plain_rect(self, r)) {
        return overlaps_values(r, o);
    }
    auto read = [&](int i) { return Num::of(typed_form_item(other, i)); };
    auto far = [&](int a) { return read_sum(read, a, a + 2); };
    bool overlap = false;
    bool ok = overlaps(self, far, read, &overlap);
    return framed_truth(f, ok, overlap);
}

}  // namespace

int collide_point_tuple(RectObject *self, PyObject *point, int) {
    return collide_point_items(self, point, Frame::collide_point_tuple);
}

int collide_point_list(RectObject *self, PyObject *point, int) {
    return collide_point_items(self, point, Frame::collide_point_list);
}

int collide_rect(RectObject *self, PyObject *other, int) {
    double v[4];
    auto far = [&](int a) { return Num::of(v[a] + v[a + 2]); };
    auto near = [&](int a) { return Num::of(v[a]); };
    bool overlap = false;
    bool ok =
        read_rect(g_state.types, other, v, Accept::methods) && overlaps(self, far, near, &overlap);
    return framed_truth(Frame::collide_rect, ok, overlap);
}

int collide_rect_vector4(RectObject *self, Vector4Object *other, int) {
    PyObject *o = reinterpret_cast<PyObject *>(other);
    double r[4], v[4];
    if (vector4_record(g_state.types, o, v) && plain_rect(self, r)) {
        return overlaps_values(r, v);
    }
    constexpr Str kNames[4] = {Str::x, Str::y, Str::z, Str::w};
    auto read = [&](int i) { return Num::of(get_attr(o, kNames[i])); };
    auto far = [&](int a) { return read_sum(read, a, a + 2); };
    bool overlap = false;
    bool ok = overlaps(self, far, read, &overlap);
    return framed_truth(Frame::collide_rect_vector4, ok, overlap);
}

int collide_rect_rect(RectObject *self, RectObject *other, int) {
    PyObject *o = reinterpret_cast<PyObject *>(other);
    double r[4], v[4];
    if (is_rect(o) && rect_record(g_state.types, other, v) && plain_rect(self, r)) {
        return overlaps_values(r, v);
    }
    auto read = [&](int i) {
        return other_component(o, i < 2 ? Field::position : Field::size, i % 2);
    };
    auto far = [&](int a) { return read_sum(read, a, a + 2); };
    bool overlap = false;
    bool ok = overlaps(self, far, read, &overlap);
    return framed_truth(Frame::collide_rect_rect, ok, overlap);
}

int collide_rect_tuple(RectObject *self, PyObject *other, int) {
    return collide_rect_items(self, other, Frame::collide_rect_tuple);
}

int collide_rect_list(RectObject *self, PyObject *other, int) {
    return collide_rect_items(self, other, Frame::collide_rect_list);
}

}  // namespace tessel::rect
