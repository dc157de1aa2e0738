// The module's functions: each reads its arguments in order, as Rect.collide_rect and
// Rect.collide_point read theirs (common/arguments.hpp), applies its rule (box.hpp) and
// makes one new Rect of two new vectors, or answers a truth value.
#include "functions.hpp"

#include "box.hpp"
#include "common/arguments.hpp"
#include "common/number.hpp"
#include "common/records.hpp"
#include "common/ref.hpp"

namespace tessel::geometry {
namespace {

// What every call checks first: that the start-up has completed (until then a type or a
// method table may be missing: ImportError), then the number of positional arguments
// (TypeError unless `least` to `most` were given).
bool arity(const char *name, Py_ssize_t given, Py_ssize_t least, Py_ssize_t most) noexcept {
    if (!require_ready(g_types)) {
        return false;
    }
    if (given >= least && given <= most) {
        return true;
    }
    if (least == most) {
        PyErr_Format(PyExc_TypeError, "%s() takes exactly %zd argument%s (%zd given)", name, least,
                     least == 1 ? "" : "s", given);
    } else {
        PyErr_Format(PyExc_TypeError, "%s() takes from %zd to %zd arguments (%zd given)", name,
                     least, most, given);
    }
    return false;
}

// A Rect, Vector4, 4-tuple or 4-list as (x, y, w, h); false with an exception set. A rect
// of two exact Vector2 is read from their records, which give the values its general read
// would give.
bool read_box(PyObject *o, Box *out) noexcept {
    double v[4];
    if (!(is_rect(g_types, o) && rect_record(g_types, reinterpret_cast<RectObject *>(o), v)) &&
        !read_rect(g_types, o, v)) {
        return false;
    }
    *out = {{v[0], v[2]}, {v[1], v[3]}};
    return true;
}

// A new Rect holding new vectors (x, y) and (w, h), narrowed to single precision.
PyObject *new_rect(const Box &b) noexcept {
    Vector2VTable *vector2 = g_types.vector2_table();
    Ref position = Ref::steal(vector2->__pyx_new(b.x.start, b.y.start));
    Ref size = position ? Ref::steal(vector2->__pyx_new(b.x.length, b.y.length)) : Ref();
    return size ? g_types.rect_table()->new_(position.get(), size.get()) : nullptr;
}

// The two rects of a function of two, read in order.
bool read_two(const char *name, PyObject *const *args, Py_ssize_t nargs, Box *a, Box *b) {
    return arity(name, nargs, 2, 2) && read_box(args[0], a) && read_box(args[1], b);
}

template <class Rule>
PyObject *of_two(const char *name, PyObject *const *args, Py_ssize_t nargs, Rule rule) {
    Box a, b;
    return read_two(name, args, nargs, &a, &b) ? new_rect(rule(a, b)) : nullptr;
}

// Adds "while reading rects[i]" to the exception being raised.
void note_item(Py_ssize_t i) noexcept {
    PyObject *exc = PyErr_GetRaisedException();
    Ref note = Ref::steal(PyUnicode_FromFormat("while reading rects[%zd]", i));
    if (note) {
        Ref done = Ref::steal(PyObject_CallMethod(exc, "add_note", "O", note.get()));
    }
    PyErr_Clear();  // a note that cannot be added leaves the exception as it was
    PyErr_SetRaisedException(exc);
}

}  // namespace

PyObject *copy(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    return arity("copy", nargs, 1, 1) && read_box(args[0], &b) ? new_rect(b) : nullptr;
}

PyObject *normalized(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    return arity("normalized", nargs, 1, 1) && read_box(args[0], &b) ? new_rect(per_axis(b, normal))
                                                                     : nullptr;
}

PyObject *union_all(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!arity("union_all", nargs, 1, 1)) {
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
            note_item(n);
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
    if (!arity("move", nargs, 2, 2) || !read_box(args[0], &b) ||
        !read_point(g_types, args[1], by)) {
        return nullptr;
    }
    return new_rect({moved(b.x, by[0]), moved(b.y, by[1])});
}

PyObject *inflate(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    double dw, dh;
    if (!arity("inflate", nargs, 3, 3) || !read_box(args[0], &b) || !to_double(args[1], &dw) ||
        !to_double(args[2], &dh)) {
        return nullptr;
    }
    return new_rect({inflated(b.x, dw), inflated(b.y, dh)});
}

PyObject *scale_by(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    double sx, sy;
    if (!arity("scale_by", nargs, 2, 3) || !read_box(args[0], &b) || !to_double(args[1], &sx)) {
        return nullptr;
    }
    if (nargs < 3 || args[2] == Py_None) {
        sy = sx;
    } else if (!to_double(args[2], &sy)) {
        return nullptr;
    }
    return new_rect({scaled(b.x, sx), scaled(b.y, sy)});
}

PyObject *union_(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    return of_two("union", args, nargs, united);
}

PyObject *clip(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    return of_two("clip", args, nargs, clipped);
}

PyObject *clamp(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    return of_two("clamp", args, nargs, clamped);
}

PyObject *fit(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    return of_two("fit", args, nargs, fitted);
}

PyObject *contains(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box a, b;
    return read_two("contains", args, nargs, &a, &b) ? PyBool_FromLong(holds(a, b)) : nullptr;
}

}  // namespace tessel::geometry
