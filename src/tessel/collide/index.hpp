// The Index: a set of rects with a value each, their boxes as read at the last refresh
// (packed, with a query grid over them), and queries that answer with the values.
//
// One file per concern: index.cpp (the type, its lifecycle, who is in it: construction, add,
// remove, clear, len, boxes, the collector), index_refresh.cpp (reading the rects, moving
// them), index_queries.cpp (the queries and the pairs), index_members.cpp (looking into it:
// its members in order, and whether a rect is one), index_lines.cpp (segments, and the
// members nearest to a point), index_motion.cpp (moving rects: sweep and slide).
//
// Threads and reentrancy. All of an index's state is read and changed only in the index's
// critical section (with_state), and no Python code runs there and no reference is released
// there: a query holds it from its search to its result list, so it never sees a state half
// changed. What runs Python code (reading a rect through a vector subtype, reading an
// argument, moving a vector, releasing a value whose __del__ runs) happens outside it: a
// refresh reads into a geometry of its own and publishes it in the section, with one swap;
// references are released after the section, once the state is consistent. With the global
// lock the section is a plain block; without it, it is the index's own lock.
#ifndef TESSEL_COLLIDE_INDEX_HPP
#define TESSEL_COLLIDE_INDEX_HPP

#include <Python.h>

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#include "common/ref.hpp"
#include "engine/query_grid.hpp"
#include "engine/rect_counts.hpp"
#include "packed.hpp"
#include "state.hpp"

namespace tessel::collide {

using engine::QueryGrid;
using engine::RectCounts;

// A member of the index: a rect and its value, each an owned reference, in one slot. A
// removed member's slot stays, with both null, until the slots are compacted.
struct Member {
    PyObject *rect;
    PyObject *value;
    uint64_t serial;  // the order of adding, unique for the life of the index
};

// What queries read: the boxes of the slots (packed, or none for no slots) and the grid over
// them (none for an emptied index). Slots past the grid's entered() were added since and are
// tested one by one. Grids are shared between geometries while they hold
// (engine/query_grid.hpp).
struct Geometry {
    Ref packed;
    std::shared_ptr<QueryGrid> grid;
    double drift = 0;  // how far the boxes lie outside their grid cells (QueryGrid::Keeper)

    size_t size() const noexcept { return packed ? rows_of(packed.get()).size() : 0; }
    const Row *rows() const noexcept { return packed ? rows_of(packed.get()).data() : nullptr; }
};

// Enters rows [0, n) into the geometry's grid (QueryGrid::build, with the layout of `like`,
// else of the grid's own): in place when no one else holds the grid, else into a new one.
void enter_grid(Geometry &g, const Row *rows, size_t n, const QueryGrid *like, bool replan);

struct IndexState {
    std::vector<Member> members;  // in the order added
    size_t live = 0;              // members not removed
    RectCounts counts;            // of the members not removed
    uint64_t version = 0;         // changes with every change of the slots
    uint64_t next_serial = 0;
    std::unique_ptr<Geometry> current;  // always there, sized as members
    std::unique_ptr<Geometry> spare;    // memory for the next refresh, if any

    size_t removed() const noexcept { return members.size() - live; }
};

struct IndexObject {
    PyObject_HEAD
    IndexState *state;
};

extern PyTypeObject IndexType;

inline IndexObject *as_index(PyObject *o) noexcept { return reinterpret_cast<IndexObject *>(o); }

// Runs body(state) in the index's critical section and gives its result; body must run no
// Python code and release no reference. Running out of memory in the standard library
// gives `failed` with MemoryError set.
template <class Body, class Result>
Result with_state(PyObject *index, Result failed, Body body) noexcept {
    Result result = failed;
    bool out_of_memory = false;
    Py_BEGIN_CRITICAL_SECTION(index);
    try {
        result = body(*as_index(index)->state);
    } catch (const std::bad_alloc &) {
        out_of_memory = true;
    }
    Py_END_CRITICAL_SECTION();
    if (out_of_memory) {
        PyErr_NoMemory();
        return failed;
    }
    return result;
}

// Offers test(slot) every slot of a member not removed whose box may matter: those kept
// aside and those added since the grid was entered, then those that walk(grid, test) offers.
template <class Test, class Walk>
void offer(const IndexState &st, Test test, Walk walk) {
    const Geometry &g = *st.current;
    auto live = [&](uint32_t slot) {
        if (st.members[slot].rect != nullptr) {
            test(slot);
        }
    };
    const QueryGrid *grid = g.grid.get();
    size_t entered = grid != nullptr ? grid->entered() : 0;
    if (grid != nullptr) {
        for (uint32_t slot : grid->aside()) {
            live(slot);
        }
    }
    for (size_t slot = entered; slot < g.size(); ++slot) {
        live(static_cast<uint32_t>(slot));
    }
    if (grid != nullptr) {
        walk(*grid, live);
    }
}

// References to release once the section is left: released when it goes out of scope.
// Handing them over allocates nothing (add() needs its room reserved before).
class Garbage {
  public:
    Garbage() = default;
    Garbage(const Garbage &) = delete;
    Garbage &operator=(const Garbage &) = delete;
    ~Garbage();
    void reserve(size_t more) { refs_.reserve(refs_.size() + more); }
    void add(PyObject *o) noexcept { refs_.push_back(o); }
    // All of `members` (which is left empty); once per Garbage.
    void take(std::vector<Member> &members) noexcept { members_.swap(members); }
    Ref packed;
    std::shared_ptr<QueryGrid> grid;
    std::unique_ptr<Geometry> geometry;

  private:
    std::vector<PyObject *> refs_;
    std::vector<Member> members_;
};

// A geometry with no slots; null with MemoryError set.
std::unique_ptr<Geometry> new_geometry() noexcept;

// Makes the slots those of the members not removed, in order, with the grid entered anew.
// In the section. False with an exception set, with nothing changed (the caller may go on
// with the slots as they were).
bool compact(IndexState &st);

// A new index of `rects` (any iterable of Rect) with the rects as values, made as
// Index(rects) makes one; its errors name the items after `name` ("other[1] must be ...",
// "while reading other[3]"). Empty with an exception set.
Ref index_of(PyObject *rects, const char *name);

// index_refresh.cpp
PyObject *index_refresh(PyObject *self, PyObject *unused);
PyObject *index_move(PyObject *self, PyObject *offsets);

// index_queries.cpp
PyObject *index_point_hits(PyObject *self, PyObject *point);
PyObject *index_rect_hits(PyObject *self, PyObject *other);
PyObject *index_first_rect_hit(PyObject *self, PyObject *other);
PyObject *index_overlapping_pairs(PyObject *self, PyObject *const *args, Py_ssize_t nargs,
                                  PyObject *kwnames);
PyObject *index_overlapping_pairs_between(PyObject *self, PyObject *const *args, Py_ssize_t nargs,
                                          PyObject *kwnames);

// index_members.cpp
PyObject *index_iter(PyObject *self);
int index_contains(PyObject *self, PyObject *rect);
PyObject *index_values(PyObject *self, PyObject *unused);
PyObject *index_rects(PyObject *self, PyObject *unused);
// index_lines.cpp
PyObject *index_raycast(PyObject *self, PyObject *const *args, Py_ssize_t nargs);
PyObject *index_segment_hits(PyObject *self, PyObject *const *args, Py_ssize_t nargs);
PyObject *index_nearest(PyObject *self, PyObject *const *args, Py_ssize_t nargs,
                        PyObject *kwnames);

// index_motion.cpp
PyObject *index_sweep(PyObject *self, PyObject *const *args, Py_ssize_t nargs);
PyObject *index_slide(PyObject *self, PyObject *const *args, Py_ssize_t nargs,
                      PyObject *kwnames);

// Slots are numbered in 32 bits, as the pair kernels number boxes.
constexpr size_t kMaxSlots = UINT32_MAX - 1;

}  // namespace tessel::collide

#endif
