// The index's queries: the members whose boxes, as read at the last refresh, move or add, a
// point or a rect hits, answered with their values in the order added; and the overlapping
// pairs among the members, or between two indexes (the other one made, for the call, of an
// iterable of rects).
//
// The argument is read first, outside the section, as Rect.collide_point and
// Rect.collide_rect read theirs (common/arguments.hpp; a rect of exact vectors from its
// records, which give the same values). Then, in the section, the grid offers candidates and
// each is decided by the rule on its packed box, contains() or overlap() (engine/boxes.hpp):
// the methods' own comparisons, on the values they would have read. Pairs are the engine's
// pair kernels' (engine/pair_kernels.hpp) over the same boxes, the index's own grid first, in
// the order the module's functions give.
#include <Python.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "common/arguments.hpp"
#include "common/call.hpp"
#include "engine/pair_kernels.hpp"
#include "functions.hpp"
#include "index.hpp"
#include "read.hpp"
#include "workspace.hpp"

namespace tessel::collide {
namespace {

using engine::Bounds;
using engine::bounds_of;
using engine::can_overlap;
using engine::Hits;
using engine::Span;

// Per thread: a query fills and empties it in the section, where no code runs.
thread_local Hits t_hits;
thread_local std::vector<uint32_t> t_slots;

// `flat` by keyword only; the other index by position.
constexpr Parameter kFlat = {"flat", Pass::keyword, Take::truth};
constexpr Parameter kPairsParameters[] = {kFlat};
constexpr Signature kPairs{"overlapping_pairs", Messages::own, 0, kPairsParameters};
constexpr Parameter kBetweenParameters[] = {{"other"}, kFlat};
constexpr Signature kPairsBetween{"overlapping_pairs_between", Messages::own, 1,
                                  kBetweenParameters};

// Appends every slot whose box `accept` accepts: the grid's candidates, the boxes aside and
// the boxes added since the grid was entered; none of a removed member.
template <class Accept>
void find(const IndexState &st, const Span &span, Accept accept, Hits &hits) {
    const Geometry &g = *st.current;
    auto offer = [&](uint32_t slot) {
        *hits.room(1) = slot;
        hits.keep(accept(slot));
    };
    size_t entered = 0;
    if (const QueryGrid *grid = g.grid.get()) {
        grid->visit(span, g.drift, accept, hits);
        for (uint32_t slot : grid->aside()) {
            offer(slot);
        }
        entered = grid->entered();
    }
    for (size_t slot = entered; slot < g.size(); ++slot) {
        offer(static_cast<uint32_t>(slot));
    }
    if (st.removed() > 0) {
        uint32_t *end = std::remove_if(hits.begin(), hits.end(), [&](uint32_t slot) {
            return st.members[slot].rect == nullptr;
        });
        hits.resize(static_cast<size_t>(end - hits.begin()));
    }
}

PyObject *values_of(const IndexState &st, Hits &hits) {
    PyObject *list = PyList_New(static_cast<Py_ssize_t>(hits.size()));
    if (list != nullptr) {
        for (size_t i = 0; i < hits.size(); ++i) {
            PyList_SET_ITEM(list, static_cast<Py_ssize_t>(i), Py_NewRef(st.members[hits[i]].value));
        }
    }
    return list;
}

// The query rect, read as Rect.collide_rect reads its argument; false with its error.
bool read_other(PyObject *other, Bounds *out) {
    Row v;
    if (!require_ready(g_state.types) || !read_row(other, &v)) {
        return false;
    }
    *out = bounds_of(v);
    return true;
}

// The slots of the members a rect overlaps, ascending, in the section.
void rect_query(const IndexState &st, const Bounds &q, Hits &hits) {
    hits.clear();
    // A rect with a NaN edge or an infinite x or y overlaps nothing (engine/boxes.hpp).
    if (!can_overlap(q)) {
        return;
    }
    const Row *rows = st.current->rows();
    find(
        st, engine::span_of(q),
        [&](uint32_t slot) { return engine::overlap_flat(bounds_of(rows[slot]), q); }, hits);
    hits.ascending(st.members.size());
}

// The boxes of the members not removed, as the pair kernels take them (those that can
// overlap nothing left out), indexed by their place in the order added; and the slot of each
// place, when members are removed (else the place is the slot).
void pair_boxes(const IndexState &st, uint8_t set, std::vector<Box> &boxes,
                std::vector<uint32_t> &slot_of) {
    const Row *rows = st.current->rows();
    uint32_t place = 0;
    for (size_t slot = 0; slot < st.members.size(); ++slot) {
        if (st.members[slot].rect == nullptr) {
            continue;
        }
        Bounds b = bounds_of(rows[slot]);
        if (can_overlap(b)) {
            boxes.push_back({b, place, set});
        }
        if (st.removed() > 0) {
            slot_of.push_back(static_cast<uint32_t>(slot));
        }
        ++place;
    }
}

PyObject *value_at(const IndexState &st, const std::vector<uint32_t> &slot_of, uint32_t place) {
    return st.members[slot_of.empty() ? place : slot_of[place]].value;
}

// The pairs as (value, value) tuples, `a` giving the first value and `b` the second. A tuple
// of two objects that the collector does not track can be part of no reference cycle, so
// it is not tracked either, as the collector's own first pass over it would decide.
PyObject *value_pairs(const std::vector<Pair> &pairs, const IndexState &a,
                      const std::vector<uint32_t> &a_slots, const IndexState &b,
                      const std::vector<uint32_t> &b_slots) {
    Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(pairs.size())));
    if (!list) {
        return nullptr;
    }
    // The values come in no order: each is fetched some pairs ahead, its member first.
    constexpr size_t kAhead = 16;
    auto fetch = [&](size_t k, bool value) {
        if (k < pairs.size()) {
            for (auto [side, place] : {std::pair{&a, pairs[k].first}, {&b, pairs[k].second}}) {
                const std::vector<uint32_t> &slots = side == &a ? a_slots : b_slots;
                const Member &m = side->members[slots.empty() ? place : slots[place]];
                __builtin_prefetch(value ? static_cast<const void *>(m.value) : &m, 1);
            }
        }
    };
    for (size_t k = 0; k < pairs.size(); ++k) {
        fetch(k + kAhead, false);
        fetch(k + kAhead / 2, true);
        PyObject *tuple = PyTuple_New(2);
        if (tuple == nullptr) {
            return nullptr;
        }
        PyObject *first = value_at(a, a_slots, pairs[k].first);
        PyObject *second = value_at(b, b_slots, pairs[k].second);
        PyTuple_SET_ITEM(tuple, 0, Py_NewRef(first));
        PyTuple_SET_ITEM(tuple, 1, Py_NewRef(second));
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(k), tuple);
        if (!PyObject_GC_IsTracked(first) && !PyObject_GC_IsTracked(second)) {
            PyObject_GC_UnTrack(tuple);
        }
    }
    return list.release();
}

// The index's boxes as its grid holds them, for the pair kernels, where it holds every
// member: no member removed, none added since the grid was entered. Boxes that have moved
// from their cells widen the cells' reach, and then re-entering them costs less than the
// wider search: the grid is entered anew first. In the section.
std::optional<engine::GridBoxes> grid_boxes(IndexState &st) {
    Geometry &g = *st.current;
    if (!g.grid || st.removed() > 0 || g.grid->entered() != g.size()) {
        return std::nullopt;
    }
    if (g.drift > 0) {
        enter_grid(g, g.rows(), g.size(), nullptr, false);  // which boxes are aside may change
    }
    return engine::GridBoxes{*g.grid, g.rows(), g.size(), g.drift};
}

// What the pair queries check before the section: their arguments, and that an array can
// be made without an import running code in it. -1 with an exception set, else flat.
int pair_arguments(const Signature &s, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames) {
    PyObject *got[2];
    if (!match(s, args, nargs, kwnames, got)) {
        return -1;
    }
    bool flat = truth(got[s.count - 1]);
    return flat && !load_array_type() ? -1 : flat;
}

// Sorts the pairs found and makes the result, in the form asked for.
PyObject *pairs_result(Workspace &space, size_t bound, bool flat, const IndexState &a,
                       const std::vector<uint32_t> &a_slots, const IndexState &b,
                       const std::vector<uint32_t> &b_slots) {
    space.kernels.order.sort(space.pairs, static_cast<uint32_t>(bound));
    return flat ? pair_array(space.pairs) : value_pairs(space.pairs, a, a_slots, b, b_slots);
}

}  // namespace

PyObject *index_point_hits(PyObject *self, PyObject *point) {
    double p[2];
    if (!require_ready(g_state.types) || !read_point(g_state.types, point, p, Accept::peers)) {
        return nullptr;
    }
    if (std::isnan(p[0]) || std::isnan(p[1])) {
        return PyList_New(0);  // no box contains it
    }
    return with_state(self, static_cast<PyObject *>(nullptr), [&](IndexState &st) {
        Hits &hits = t_hits;
        hits.clear();
        const Row *rows = st.current->rows();
        find(
            st, {p[0], p[0], p[1], p[1]},
            [&](uint32_t slot) { return engine::contains(bounds_of(rows[slot]), p[0], p[1]); },
            hits);
        hits.ascending(st.members.size());
        return values_of(st, hits);
    });
}

PyObject *index_rect_hits(PyObject *self, PyObject *other) {
    Bounds q;
    if (!read_other(other, &q)) {
        return nullptr;
    }
    return with_state(self, static_cast<PyObject *>(nullptr), [&](IndexState &st) {
        rect_query(st, q, t_hits);
        return values_of(st, t_hits);
    });
}

PyObject *index_first_rect_hit(PyObject *self, PyObject *other) {
    Bounds q;
    if (!read_other(other, &q)) {
        return nullptr;
    }
    return with_state(self, static_cast<PyObject *>(nullptr), [&](IndexState &st) {
        rect_query(st, q, t_hits);
        return Py_NewRef(t_hits.size() == 0 ? Py_None : st.members[t_hits[0]].value);
    });
}

PyObject *index_overlapping_pairs(PyObject *self, PyObject *const *args, Py_ssize_t nargs,
                                  PyObject *kwnames) {
    int flat = pair_arguments(kPairs, args, nargs, kwnames);
    if (flat < 0) {
        return nullptr;
    }
    return with_state(self, static_cast<PyObject *>(nullptr), [&](IndexState &st) {
        Lease space;
        t_slots.clear();
        std::optional<engine::GridBoxes> grid = grid_boxes(st);
        engine::find_pairs(
            space->kernels, grid ? &*grid : nullptr,
            [&](std::vector<Box> &boxes) { pair_boxes(st, 0, boxes, t_slots); }, space->boxes,
            space->pairs);
        return pairs_result(*space, st.live, flat, st, t_slots, st, t_slots);
    });
}

PyObject *index_overlapping_pairs_between(PyObject *self, PyObject *const *args, Py_ssize_t nargs,
                                          PyObject *kwnames) {
    int flat = pair_arguments(kPairsBetween, args, nargs, kwnames);
    if (flat < 0) {
        return nullptr;
    }
    PyObject *other = args[0];
    Ref made;  // the index of `other` when it is an iterable of rects: Index(other)
    if (!PyObject_TypeCheck(other, &IndexType)) {
        if (Py_TYPE(other)->tp_iter == nullptr && !PySequence_Check(other)) {
            PyErr_Format(PyExc_TypeError,
                         "overlapping_pairs_between() argument must be "
                         "tessel.collide.collide.Index or an iterable of %s, not %T",
                         kRectName.full, other);
            return nullptr;
        }
        if (!require_ready(g_state.types) || !(made = index_of(other, "other"))) {
            return nullptr;
        }
        other = made.get();
    }
    PyObject *result = nullptr;
    bool out_of_memory = false;
    Py_BEGIN_CRITICAL_SECTION2(self, other);
    try {
        const IndexState &a = *as_index(self)->state;
        const IndexState &b = *as_index(other)->state;
        Lease space;
        std::vector<uint32_t> b_slots;
        t_slots.clear();
        pair_boxes(a, 0, space->boxes, t_slots);
        pair_boxes(b, 1, space->boxes, b_slots);
        engine::find_pairs(space->kernels, space->boxes, true, space->pairs);
        result = pairs_result(*space, std::max(a.live, b.live), flat, a, t_slots, b, b_slots);
    } catch (const std::bad_alloc &) {
        out_of_memory = true;
    }
    Py_END_CRITICAL_SECTION2();
    return out_of_memory ? PyErr_NoMemory() : result;
}

}  // namespace tessel::collide
