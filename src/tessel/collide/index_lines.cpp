// The index's lines of sight and nearest members: raycast() and segment_hits(), the rule of
// engine/segment.hpp over the boxes of the last refresh, move or add, and nearest(), the
// members nearest to a point by engine/distance.hpp; each answered with the members'
// values, ties to the earliest added.
//
// As for the other queries (index_queries.cpp): the arguments are read first, outside the
// section; in the section the grid's walks (engine/grid_walks.hpp) offer the slots of the
// cells along the segment or around the point, besides the boxes kept aside and those added
// since the grid was entered, which are tested one by one; each answer's value is taken with
// a new reference there, and the results (Hit records, tuples, floats) are made after it,
// where making an object may run the collector and so Python code.
#include <Python.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#include "common/arguments.hpp"
#include "common/call.hpp"
#include "engine/distance.hpp"
#include "engine/grid_walks.hpp"
#include "functions.hpp"
#include "hit.hpp"
#include "index.hpp"

namespace tessel::collide {
namespace {

using engine::Bounds;
using engine::Crossing;
using engine::Near;
using engine::Segment;
using engine::Side;

constexpr Signature kRaycast{"raycast", 2, 2};
constexpr Signature kSegmentHits{"segment_hits", 2, 2};
constexpr Parameter kNearestParameters[] = {
    {"point"}, {"k", Pass::either}, {"max_distance", Pass::keyword}};
constexpr Signature kNearest{"nearest", Messages::own, 1, kNearestParameters};

struct LineHit {
    uint32_t slot;
    Bounds box;
    Side in;
};

// An answer's value, taken in the section, with what its result is made of after it.
struct Taken {
    Ref value;
    Bounds box;
    Side in;
    double distance;
};

// Per thread: a query fills and empties them in the section, where no code runs.
thread_local std::vector<LineHit> t_line_hits;
thread_local std::vector<Near> t_near;

// The hits of the segment, by t then slot; only the first with `first`. In the section.
void line_hits(const IndexState &st, const Segment &s, bool first, std::vector<LineHit> &hits) {
    hits.clear();
    const Row *rows = st.current->rows();
    double bound = std::numeric_limits<double>::infinity();  // above the best t, once found
    auto test = [&](uint32_t slot) {
        Bounds b = engine::bounds_of(rows[slot]);
        Crossing c;
        if (!engine::cross(s, b, c)) {
            return;
        }
        if (!first) {
            hits.push_back({slot, b, c.in});
            return;
        }
        int order = hits.empty() ? -1 : engine::compare(s, c.in, hits[0].in);
        if (order < 0 || (order == 0 && slot < hits[0].slot)) {
            hits.assign(1, {slot, b, c.in});
            bound = engine::t_above(s, c.in);
        }
    };
    // A piece of the walk that starts past the best t can hold no earlier hit, nor an
    // equal one (equal ones go on: the earliest added wins).
    auto past = [&](double t) { return t > bound; };
    offer(st, test, [&](const QueryGrid &grid, auto &live) {
        engine::walk_segment(grid, st.current->drift, s, live, past);
    });
    if (!first) {
        std::sort(hits.begin(), hits.end(), [&](const LineHit &a, const LineHit &b) {
            int order = engine::compare(s, a.in, b.in);
            return order < 0 || (order == 0 && a.slot < b.slot);
        });
    }
}

// The segment from the call's two points (the first two arguments), read as
// Rect.collide_point reads a point, or as another library's; false with its error.
bool read_segment(const Signature &signature, PyObject *const *args, Py_ssize_t nargs,
                  Segment &out) {
    double start[2], end[2];
    if (!require_ready(g_state.types) || !match(signature, args, nargs) ||
        !read_point(g_state.types, args[0], start, Accept::peers) ||
        !read_point(g_state.types, args[1], end, Accept::peers)) {
        return false;
    }
    out = engine::segment_of(start[0], start[1], end[0], end[1]);
    return true;
}

// The values of the hits, taken in the section.
bool take_hits(PyObject *self, const Segment &s, bool first, std::vector<Taken> &taken) {
    return with_state(self, false, [&](IndexState &st) {
        std::vector<LineHit> &hits = t_line_hits;
        line_hits(st, s, first, hits);
        taken.reserve(hits.size());
        for (const LineHit &h : hits) {
            taken.push_back({Ref::borrow(st.members[h.slot].value), h.box, h.in, 0});
        }
        hits.clear();
        return true;
    });
}

}  // namespace

PyObject *index_raycast(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
    Segment s;
    std::vector<Taken> taken;
    if (!read_segment(kRaycast, args, nargs, s) || !take_hits(self, s, true, taken)) {
        return nullptr;
    }
    if (taken.empty()) {
        return Py_NewRef(Py_None);
    }
    return new_hit(std::move(taken[0].value), s, taken[0].box, taken[0].in);
}

PyObject *index_segment_hits(PyObject *self, PyObject *const *args, Py_ssize_t nargs) {
    Segment s;
    std::vector<Taken> taken;
    if (!read_segment(kSegmentHits, args, nargs, s) || !take_hits(self, s, false, taken)) {
        return nullptr;
    }
    Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(taken.size())));
    if (!list) {
        return nullptr;
    }
    for (size_t k = 0; k < taken.size(); ++k) {
        PyObject *hit = new_hit(std::move(taken[k].value), s, taken[k].box, taken[k].in);
        if (hit == nullptr) {
            return nullptr;
        }
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(k), hit);
    }
    return list.release();
}

PyObject *index_nearest(PyObject *self, PyObject *const *args, Py_ssize_t nargs,
                        PyObject *kwnames) {
    PyObject *got[3];
    double p[2];
    if (!require_ready(g_state.types) || !match(kNearest, args, nargs, kwnames, got) ||
        !read_point(g_state.types, got[0], p, Accept::peers)) {
        return nullptr;
    }
    Py_ssize_t k = 1;
    if (got[1] != nullptr && (k = PyNumber_AsSsize_t(got[1], nullptr)) == -1 && PyErr_Occurred()) {
        return nullptr;
    }
    if (k < 0) {
        PyErr_SetString(PyExc_ValueError, "nearest() argument 'k' must be 0 or more");
        return nullptr;
    }
    double limit = std::numeric_limits<double>::infinity();
    if (got[2] != nullptr && got[2] != Py_None && !to_double(got[2], &limit)) {
        return nullptr;
    }
    // A NaN point is at no distance from anything, and a NaN limit keeps nothing.
    if (k == 0 || std::isnan(p[0]) || std::isnan(p[1]) || std::isnan(limit)) {
        return PyList_New(0);
    }
    std::vector<Taken> taken;
    bool done = with_state(self, false, [&](IndexState &st) {
        std::vector<Near> &heap = t_near;  // the best so far, the worst of them first
        heap.clear();
        size_t want = std::min(static_cast<size_t>(k), st.live);
        const Row *rows = st.current->rows();
        auto test = [&](uint32_t slot) {
            Near n;
            if (!engine::distance_to(engine::bounds_of(rows[slot]), p[0], p[1], slot, n) ||
                !(n.distance <= limit)) {
                return;
            }
            if (heap.size() < want) {
                heap.push_back(n);
                std::push_heap(heap.begin(), heap.end(), engine::nearer);
            } else if (engine::nearer(n, heap.front())) {
                std::pop_heap(heap.begin(), heap.end(), engine::nearer);
                heap.back() = n;
                std::push_heap(heap.begin(), heap.end(), engine::nearer);
            }
        };
        // Beyond this distance no box can enter the answer.
        auto cutoff = [&] {
            return heap.size() == want && want > 0 ? std::min(heap.front().distance, limit)
                                                   : limit;
        };
        if (want > 0) {
            offer(st, test, [&](const QueryGrid &grid, auto &live) {
                engine::walk_nearest(grid, p[0], p[1], live, cutoff);
            });
        }
        std::sort_heap(heap.begin(), heap.end(), engine::nearer);
        taken.reserve(heap.size());
        for (const Near &n : heap) {
            taken.push_back({Ref::borrow(st.members[n.slot].value), {}, {}, n.distance});
        }
        heap.clear();
        return true;
    });
    if (!done) {
        return nullptr;
    }
    Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(taken.size())));
    if (!list) {
        return nullptr;
    }
    for (size_t i = 0; i < taken.size(); ++i) {
        Ref distance = Ref::steal(PyFloat_FromDouble(taken[i].distance));
        PyObject *pair = distance ? PyTuple_New(2) : nullptr;
        if (pair == nullptr) {
            return nullptr;
        }
        PyTuple_SET_ITEM(pair, 0, taken[i].value.release());
        PyTuple_SET_ITEM(pair, 1, distance.release());
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(i), pair);
    }
    return list.release();
}

}  // namespace tessel::collide
