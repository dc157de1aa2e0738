// Overlapping pairs: every pair of rects that Rect.collide_rect accepts, in one call.
//
// Rects made of two exact Vector2 are read once, from their records, and paired by the
// sweep (sweep.cpp), whose answer is the overlap rule on the very values the method would
// compare. A pair with any other rect in it is decided by the method table entry
// collide_rect itself, called as the loop over all pairs would call it; such pairs are
// taken in that loop's order, so the first of them that fails is the loop's first failure
// (pairs of records never fail).
#include <Python.h>

#include <algorithm>

#include "functions.hpp"
#include "read.hpp"

namespace tessel::collide {
namespace {

constexpr int kSkipDispatch = 1;

struct Side {
    const char *name;
    Rects rects;
    std::vector<Py_ssize_t> asked;  // rects decided by their method, ascending

    // The rects, held for the whole call (the pairs' methods run code), and checked.
    bool open(PyObject *seq) { return rects.open(seq) && rects.hold() && rects.check(name); }
    Py_ssize_t size() const { return rects.size(); }
};

// Reads the rects of one side into boxes; the others go to `asked`.
void read_side(Side &side, uint8_t set, std::vector<Box> &boxes) {
    for (Py_ssize_t i = 0; i < side.size(); ++i) {
        Bounds b;
        if (read_bounds(side.rects[i], &b)) {
            boxes.push_back({b, static_cast<uint32_t>(i), set});
        } else {
            side.asked.push_back(i);
        }
    }
}

// a[i].collide_rect(b[j]) through the method table: 1, 0, or -1 with a note.
int ask(const Side &a, Py_ssize_t i, const Side &b, Py_ssize_t j) {
    int hit = entry_result(g_state.rect_vtab->collide_rect(
        reinterpret_cast<RectObject *>(a.rects[i]), b.rects[j], kSkipDispatch));
    if (hit < 0) {
        note_pair(a.name, i, b.name, j);
    }
    return hit;
}

// The pairs (i, j) with a rect of `a.asked` or `b.asked` in them, in the order of the loop
// `for i in a: for j in b`, from j = i + 1 on when a and b are the same rects.
bool ask_all(const Side &a, const Side &b, bool same, std::vector<Pair> &out) {
    if (a.asked.empty() && b.asked.empty()) {
        return true;
    }
    Py_ssize_t nb = b.size();
    auto next_asked = a.asked.begin();
    for (Py_ssize_t i = 0; i < a.size(); ++i) {
        Py_ssize_t from = same ? i + 1 : 0;
        bool asked = next_asked != a.asked.end() && *next_asked == i;
        if (asked) {
            ++next_asked;
        }
        auto test = [&](Py_ssize_t j) {
            int hit = ask(a, i, b, j);
            if (hit > 0) {
                out.emplace_back(static_cast<uint32_t>(i), static_cast<uint32_t>(j));
            }
            return hit >= 0;
        };
        if (asked) {
            for (Py_ssize_t j = from; j < nb; ++j) {
                if (!test(j)) {
                    return false;
                }
            }
        } else {
            for (auto j = std::lower_bound(b.asked.begin(), b.asked.end(), from);
                 j != b.asked.end(); ++j) {
                if (!test(*j)) {
                    return false;
                }
            }
        }
    }
    return true;
}

PyObject *pair_list(std::vector<Pair> &pairs, Py_ssize_t bound) {
    sort_pairs(pairs, static_cast<uint32_t>(bound));
    Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(pairs.size())));
    if (!list) {
        return nullptr;
    }
    for (size_t k = 0; k < pairs.size(); ++k) {
        PyObject *pair = Py_BuildValue("(nn)", static_cast<Py_ssize_t>(pairs[k].first),
                                       static_cast<Py_ssize_t>(pairs[k].second));
        if (pair == nullptr) {
            return nullptr;
        }
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(k), pair);
    }
    return list.release();
}

// Indices are kept in 32 bits.
bool small_enough(const Side &side) {
    if (side.size() < static_cast<Py_ssize_t>(UINT32_MAX)) {
        return true;
    }
    PyErr_Format(PyExc_OverflowError, "too many rects in %s", side.name);
    return false;
}

}  // namespace

PyObject *overlapping_pairs(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!arity("overlapping_pairs", nargs, 1)) {
        return nullptr;
    }
    return guarded([&]() -> PyObject * {
        Side side{"rects", {}, {}};
        if (!side.open(args[0]) || !small_enough(side)) {
            return nullptr;
        }
        std::vector<Box> boxes;
        read_side(side, 0, boxes);
        std::vector<Pair> pairs;
        if (!ask_all(side, side, true, pairs)) {
            return nullptr;
        }
        find_overlaps(boxes, false, pairs);
        return pair_list(pairs, side.size());
    });
}

PyObject *overlapping_pairs_between(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!arity("overlapping_pairs_between", nargs, 2)) {
        return nullptr;
    }
    return guarded([&]() -> PyObject * {
        Side a{"a", {}, {}};
        if (!a.open(args[0]) || !small_enough(a)) {
            return nullptr;
        }
        Side b{"b", {}, {}};
        if (!b.open(args[1]) || !small_enough(b)) {
            return nullptr;
        }
        std::vector<Box> boxes;
        read_side(a, 0, boxes);
        read_side(b, 1, boxes);
        std::vector<Pair> pairs;
        if (!ask_all(a, b, false, pairs)) {
            return nullptr;
        }
        find_overlaps(boxes, true, pairs);
        return pair_list(pairs, std::max(a.size(), b.size()));
    });
}

}  // namespace tessel::collide
