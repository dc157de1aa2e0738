// One point or one rect against many rects: the rects that Rect.collide_point or
// Rect.collide_rect accepts, in order.
//
// The argument is read once, as the general method reads it (and, where the method would
// refuse it, as another library's point or rect: common/arguments.hpp), before the first
// rect is tested (and not at all for no rects, as a loop over the methods would not). A
// rect made of two exact Vector2 is tested on its records' values, which are the values its
// method would read, with the method's comparisons done on doubles: for exact floats the
// interpreter's comparison and addition are exactly those. Any other rect (a Vector2
// subtype, whose x may give any object, or a None field) is asked through its own method
// table entry, with the argument as a tuple of the values read: the general method reads
// such a tuple as the very same values, so its answer and its errors are the method's.
#include <Python.h>

#include <cstdint>

#include "common/arguments.hpp"
#include "common/call.hpp"
#include "functions.hpp"
#include "read.hpp"

namespace tessel::collide {
namespace {

using engine::contains;
using engine::overlap;

constexpr int kSkipDispatch = 1;

// Each takes the rects and one point or rect, by position.
constexpr Signature kPointHits{"point_hits", 2, 2};
constexpr Signature kRectHits{"rect_hits", 2, 2};
constexpr Signature kFirstRectHit{"first_rect_hit", 2, 2};

PyObject *index_list(const std::vector<Py_ssize_t> &indices) {
    Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(indices.size())));
    if (!list) {
        return nullptr;
    }
    for (size_t k = 0; k < indices.size(); ++k) {
        PyObject *i = PyLong_FromSsize_t(indices[k]);
        if (i == nullptr) {
            return nullptr;
        }
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(k), i);
    }
    return list.release();
}

// Reads the argument with `read()` and then tests the rects in order: `fast(bounds)` on a
// rect read from its records, `ask(rect, argument)` on any other, where `argument` is made
// by `make()` on first need. Collects the indices of hits (stopping at the first one if
// `first`); false with an exception set.
//
// As in the loop over the method, a non-Rect item is reported before any other error and
// the argument is not read for no rects. An exact list or tuple is read after the argument
// (which can run no code of the rects'); any other iterable is read first.
template <class Read, class Fast, class Make, class Ask>
bool hits(PyObject *seq, Read read, bool first, Fast fast, Make make, Ask ask,
          std::vector<Py_ssize_t> &found) {
    Rects rects;
    if (int open = open_around(rects, seq, read); open <= 0) {
        return open == 0;
    }
    Ref argument;
    bool held = false;
    for (Py_ssize_t i = 0; i < rects.size(); ++i) {
        PyObject *r = rects[i];
        if (!is_rect(r)) {
            not_a_rect("rects", i, r);
            return false;
        }
        Row row;
        int hit;
        if (read_record(r, &row)) {
            hit = fast(engine::bounds_of(row));
        } else {
            // Code runs from here on: the items are held, and checked before it runs.
            if (!held && (!rects.check("rects", i + 1) || !rects.hold())) {
                return false;
            }
            held = true;
            r = rects[i];
            if (!argument && !(argument = make())) {
                return false;
            }
            hit = entry_result(ask(reinterpret_cast<RectObject *>(r), argument.get()));
            if (hit < 0) {
                note_rect("rects", i);
                return false;
            }
        }
        if (hit) {
            found.push_back(i);
            // As in the loop, whose items are all checked first: a later item that is not
            // a Rect is an error even after a hit (held, they were checked already).
            if (first) {
                return held || rects.check("rects", i + 1);
            }
        }
    }
    return true;
}

// The rects hit by a rect, for rect_hits and first_rect_hit.
bool rect_query(PyObject *const *args, bool first, std::vector<Py_ssize_t> &found) {
    Row v;
    Bounds other;
    return hits(
        args[0],
        [&] {
            if (!read_row(args[1], &v)) {
                return false;
            }
            other = engine::bounds_of(v);
            return true;
        },
        first, [&](const Bounds &b) { return overlap(b, other); },
        [&] { return Ref::steal(Py_BuildValue("(dddd)", v.x, v.y, v.w, v.h)); },
        [](RectObject *r, PyObject *o) {
            return g_state.rect_vtab->collide_rect(r, o, kSkipDispatch);
        },
        found);
}

}  // namespace

PyObject *point_hits(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!match(kPointHits, args, nargs)) {
        return nullptr;
    }
    return guarded([&]() -> PyObject * {
        std::vector<Py_ssize_t> found;
        double xy[2];
        if (!hits(
                args[0], [&] { return read_point(g_state.types, args[1], xy, Accept::peers); },
                false, [&](const Bounds &b) { return contains(b, xy[0], xy[1]); },
                [&] { return Ref::steal(Py_BuildValue("(dd)", xy[0], xy[1])); },
                [](RectObject *r, PyObject *p) {
                    return g_state.rect_vtab->collide_point(r, p, kSkipDispatch);
                },
                found)) {
            return nullptr;
        }
        return index_list(found);
    });
}

PyObject *rect_hits(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!match(kRectHits, args, nargs)) {
        return nullptr;
    }
    return guarded([&]() -> PyObject * {
        std::vector<Py_ssize_t> found;
        return rect_query(args, false, found) ? index_list(found) : nullptr;
    });
}

PyObject *first_rect_hit(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!match(kFirstRectHit, args, nargs)) {
        return nullptr;
    }
    return guarded([&]() -> PyObject * {
        std::vector<Py_ssize_t> found;
        if (!rect_query(args, true, found)) {
            return nullptr;
        }
        return PyLong_FromSsize_t(found.empty() ? -1 : found.front());
    });
}

}  // namespace tessel::collide
