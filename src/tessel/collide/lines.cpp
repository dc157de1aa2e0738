// A segment against many rects: raycast(), the hit of least t, and segment_hits(), every
// hit in the order of t, by the rule of engine/segment.hpp on each rect's box.
//
// The module's reading rules, as its other functions read: every item must be a Rect (a
// single Rect is refused), start and end are read once each, by the point reader of
// Rect.collide_point, before the first rect and not at all for no rects; then each rect's
// four values, from its exact vectors' records where it has them, else through its
// attribute access (common/arguments.hpp), as an Index reads its rects, an error noted
// `while reading rects[i]`.
#include <Python.h>

#include <algorithm>
#include <vector>

#include "common/arguments.hpp"
#include "common/call.hpp"
#include "common/notes.hpp"
#include "functions.hpp"
#include "hit.hpp"
#include "read.hpp"

namespace tessel::collide {
namespace {

using engine::Crossing;
using engine::Segment;

constexpr Signature kRaycast{"raycast", 3, 3};
constexpr Signature kSegmentHits{"segment_hits", 3, 3};

struct Found {
    Py_ssize_t index;
    Bounds box;
    engine::Side in;
};

// Reads the arguments (args[0] the rects, args[1] and args[2] the ends, in the order of
// open_around()) and offers found(i, box, crossing) each rect the segment meets, in order;
// false with an exception set.
template <class Take> bool each_hit(PyObject *const *args, Segment &segment, Take found) {
    Rects rects;
    int open = open_around(rects, args[0], [&] {
        double start[2], end[2];
        if (!read_point(g_state.types, args[1], start, Accept::peers) ||
            !read_point(g_state.types, args[2], end, Accept::peers)) {
            return false;
        }
        segment = engine::segment_of(start[0], start[1], end[0], end[1]);
        return true;
    });
    if (open <= 0 || !rects.check("rects")) {
        return open == 0;
    }
    return each_box(rects, [&](Py_ssize_t i, const Bounds &box) {
        Crossing c;
        if (engine::cross(segment, box, c)) {
            found(i, box, c);
        }
    });
}

PyObject *hit_of(const Segment &segment, const Found &f) {
    Ref index = Ref::steal(PyLong_FromSsize_t(f.index));
    return index ? new_hit(std::move(index), segment, f.box, f.in) : nullptr;
}

}  // namespace

PyObject *raycast(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!require_ready(g_state.types) || !match(kRaycast, args, nargs)) {
        return nullptr;
    }
    Segment segment{};
    Found best{-1, {}, {}};
    bool read = each_hit(args, segment, [&](Py_ssize_t i, const Bounds &box, const Crossing &c) {
        // Rects come in order: a later one replaces the best only when strictly earlier.
        if (best.index < 0 || engine::compare(segment, c.in, best.in) < 0) {
            best = {i, box, c.in};
        }
    });
    if (!read) {
        return nullptr;
    }
    return best.index < 0 ? Py_NewRef(Py_None) : hit_of(segment, best);
}

PyObject *segment_hits(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!require_ready(g_state.types) || !match(kSegmentHits, args, nargs)) {
        return nullptr;
    }
    return guarded([&]() -> PyObject * {
        Segment segment{};
        std::vector<Found> found;
        if (!each_hit(args, segment, [&](Py_ssize_t i, const Bounds &box, const Crossing &c) {
                found.push_back({i, box, c.in});
            })) {
            return nullptr;
        }
        // Found in the order of the rects: a stable sort by t keeps it among equal ones.
        std::stable_sort(found.begin(), found.end(), [&](const Found &a, const Found &b) {
            return engine::compare(segment, a.in, b.in) < 0;
        });
        Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(found.size())));
        if (!list) {
            return nullptr;
        }
        for (size_t k = 0; k < found.size(); ++k) {
            PyObject *hit = hit_of(segment, found[k]);
            if (hit == nullptr) {
                return nullptr;
            }
            PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(k), hit);
        }
        return list.release();
    });
}

}  // namespace tessel::collide
