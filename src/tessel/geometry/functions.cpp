// The module's functions: each reads its arguments in order, as Rect.collide_rect and
// Rect.collide_point read theirs, other libraries' rects and points too (common/arguments.hpp),
// applies its rule (box.hpp) and makes one new Rect of two new vectors, or answers a truth
// value.
#include "functions.hpp"

#include "box.hpp"
#include "common/arguments.hpp"
#include "common/call.hpp"
#include "common/notes.hpp"
#include "common/number.hpp"
#include "common/ref.hpp"

namespace tessel::geometry {
namespace {

// The functions' positional parameters: how many are required, how many taken.
constexpr Signature kCopy{"copy", 1, 1};
constexpr Signature kNormalized{"normalized", 1, 1};
constexpr Signature kUnionAll{"union_all", 1, 1};
constexpr Signature kMove{"move", 2, 2};
constexpr Signature kInflate{"inflate", 3, 3};
constexpr Signature kScaleBy{"scale_by", Messages::own, 2, kScaleByParameters};
constexpr Signature kUnion{"union", 2, 2};
constexpr Signature kClip{"clip", 2, 2};
constexpr Signature kClamp{"clamp", 2, 2};
constexpr Signature kFit{"fit", 2, 2};
constexpr Signature kContains{"contains", 2, 2};

}  // namespace

// What every call checks first: that the start-up has completed (until then a type or a
// method table may be missing: ImportError), then the number of positional arguments.
bool arguments(const Signature &s, PyObject *const *args, Py_ssize_t nargs) noexcept {
    return require_ready(g_types) && match(s, args, nargs);
}

// The same for a call with keywords: then their names too, and got[] as match() gives it.
bool arguments(const Signature &s, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames,
               PyObject **got) noexcept {
    return require_ready(g_types) && match(s, args, nargs, kwnames, got);
}

// A Rect, Vector4, 4-tuple or 4-list as (x, y, w, h), or any other sequence or buffer of four
// numbers (common/arguments.hpp); false with an exception set.
bool read_box(PyObject *o, Box *out) noexcept {
    double v[4];
    if (!read_rect_values(g_types, o, v, Accept::peers)) {
        return false;
    }
    *out = {{v[0], v[2]}, {v[1], v[3]}};
    return true;
}

namespace {

// A new Rect holding new vectors (x, y) and (w, h), narrowed to single precision.
PyObject *new_rect(const Box &b) noexcept {
    Vector2VTable *vector2 = g_types.vector2_table();
    Ref position = Ref::steal(vector2->__pyx_new(b.x.start, b.y.start));
    Ref size = position ? Ref::steal(vector2->__pyx_new(b.x.length, b.y.length)) : Ref();
    return size ? g_types.rect_table()->new_(position.get(), size.get()) : nullptr;
}

// The two rects of a function of two, read in order.
bool read_two(const Signature &s, PyObject *const *args, Py_ssize_t nargs, Box *a, Box *b) {
    return arguments(s, args, nargs) && read_box(args[0], a) && read_box(args[1], b);
}

template <class Rule>
PyObject *of_two(const Signature &s, PyObject *const *args, Py_ssize_t nargs, Rule rule) {
    Box a, b;
    return read_two(s, args, nargs, &a, &b) ? new_rect(rule(a, b)) : nullptr;
}

}  // namespace

PyObject *copy(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    return arguments(kCopy, args, nargs) && read_box(args[0], &b) ? new_rect(b) : nullptr;
}

PyObject *normalized(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    return arguments(kNormalized, args, nargs) && read_box(args[0], &b)
               ? new_rect(per_axis(b, normal))
               : nullptr;
}

PyObject *union_all(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!arguments(kUnionAll, args, nargs)) {
        return nullptr;
    }
    if (refuse_single_rect(g_types, args[0])) {
        return nullptr;
    }
    Ref items = Ref::steal(PyObject_GetIter(args[0]));
    if (!items) {
        return nullptr;
    }
    Edges x = kNoEdges, y = kNoEdges;
    Py_ssize_t n = 0;
    for (Ref item; (item = Ref::steal(PyIter_Next(items.get())));) {
        Box b;
        if (!read_box(item.get(), &b)) {
            add_note("while reading rects[%zd]", n);
            return nullptr;
        }
        x = joined(x, edges(b.x));
        y = joined(y, edges(b.y));
        ++n;
    }
    if (PyErr_Occurred()) {
        return nullptr;
    }
    if (n == 0) {
        PyErr_SetString(PyExc_ValueError, "union_all() iterable argument is empty");
        return nullptr;
    }
    return new_rect({between(x.start, x.end), between(y.start, y.end)});
}

PyObject *move(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    double by[2];
    if (!arguments(kMove, args, nargs) || !read_box(args[0], &b) ||
        !read_point(g_types, args[1], by, Accept::peers)) {
        return nullptr;
    }
    return new_rect({moved(b.x, by[0]), moved(b.y, by[1])});
}

PyObject *inflate(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    double dw, dh;
    if (!arguments(kInflate, args, nargs) || !read_box(args[0], &b) || !to_double(args[1], &dw) ||
        !to_double(args[2], &dh)) {
        return nullptr;
    }
    return new_rect({inflated(b.x, dw), inflated(b.y, dh)});
}

PyObject *scale_by(PyObject *, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames) {
    PyObject *got[4];
    Box b;
    return arguments(kScaleBy, args, nargs, kwnames, got) && read_box(got[0], &b) &&
                   scaled_box(got, &b)
               ? new_rect(b)
               : nullptr;
}

bool scaled_box(PyObject *const *got, Box *b) noexcept {
    double sx, sy, at[2];
    if (!to_double(got[1], &sx)) {
        return false;
    }
    if (got[2] == nullptr || got[2] == Py_None) {
        sy = sx;
    } else if (!to_double(got[2], &sy)) {
        return false;
    }
    if (got[3] == nullptr || got[3] == Py_None) {
        *b = {scaled(b->x, sx), scaled(b->y, sy)};
        return true;
    }
    // An exact Vector2's record holds what its attribute access would give (common/records.hpp).
    if (!vector2_record(g_types, got[3], at) && !read_point(g_types, got[3], at, Accept::peers)) {
        return false;
    }
    *b = {scaled_about(b->x, sx, at[0]), scaled_about(b->y, sy, at[1])};
    return true;
}

PyObject *union_(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    return of_two(kUnion, args, nargs, united);
}

PyObject *clip(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    return of_two(kClip, args, nargs, clipped);
}

PyObject *clamp(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    return of_two(kClamp, args, nargs, clamped);
}

PyObject *fit(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    return of_two(kFit, args, nargs, fitted);
}

PyObject *contains(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box a, b;
    return read_two(kContains, args, nargs, &a, &b) ? PyBool_FromLong(holds(a, b)) : nullptr;
}

}  // namespace tessel::geometry
