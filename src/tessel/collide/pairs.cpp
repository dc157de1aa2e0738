// Overlapping pairs: every pair of rects that Rect.collide_rect accepts, in one call.
//
// Rects made of two exact Vector2 are read once, from their records, and paired by a
// kernel of the engine (engine/pair_kernels.hpp), whose answer is the overlap rule on the very
// values the method would compare. A pair with any other rect in it is decided by the method table
// entry collide_rect itself, called as the loop over all pairs would call it; such pairs are taken
// in that loop's order, so the first of them that fails is the loop's first failure (pairs of
// records never fail).
#include <Python.h>

#include <algorithm>
#include <atomic>
#include <new>

#include "common/call.hpp"
#include "engine/pair_kernels.hpp"
#include "functions.hpp"
#include "read.hpp"
#include "workspace.hpp"

namespace tessel::collide {
namespace {

constexpr int kSkipDispatch = 1;

// The rects by position, `flat` by keyword only.
constexpr Parameter kPairsParameters[] = {{"rects"}, {"flat", Pass::keyword, Take::truth}};
constexpr Signature kPairs{"overlapping_pairs", Messages::own, 1, kPairsParameters};
constexpr Parameter kBetweenParameters[] = {{"a"}, {"b"}, {"flat", Pass::keyword, Take::truth}};
constexpr Signature kPairsBetween{"overlapping_pairs_between", Messages::own, 2,
                                  kBetweenParameters};

struct Side {
    const char *name;
    Rects rects;
    std::vector<Py_ssize_t> asked;  // rects decided by their method, ascending

    // The rects, held for the whole call (the pairs' methods run code), and checked.
    bool open(PyObject *seq) { return rects.open(seq) && rects.hold() && rects.check(name); }
    Py_ssize_t size() const { return rects.size(); }
};

// Reads the rects of one side into boxes, leaving out those that overlap nothing; the
// others go to `asked`.
void read_side(Side &side, uint8_t set, std::vector<Box> &boxes) {
    for (Py_ssize_t i = 0; i < side.size(); ++i) {
        Row row;
        if (read_record(side.rects[i], &row)) {
            Bounds b = engine::bounds_of(row);
            if (engine::can_overlap(b)) {
                boxes.push_back({b, static_cast<uint32_t>(i), set});
            }
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

// The pairs as a list of (i, j) tuples. Each index's int is made once and shared by its
// tuples, and kept by the workspace for later calls (`ints`). A tuple of two ints can never
// be part of a reference cycle, so the collector is told not to track it, as its own first
// pass over the tuple would.
PyObject *pair_list(const std::vector<Pair> &pairs, Py_ssize_t bound, Ints &ints) {
    Ref list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(pairs.size())));
    if (!list || !ints.reserve(static_cast<size_t>(bound))) {
        return nullptr;
    }
    // The second indices come in no order: their ints are asked for a few pairs ahead.
    constexpr size_t kAhead = 16;
    for (size_t k = 0; k < pairs.size(); ++k) {
        if (k + kAhead < pairs.size()) {
            ints.prefetch(pairs[k + kAhead].second);
        }
        PyObject *tuple = PyTuple_New(2);
        if (tuple == nullptr) {
            return nullptr;
        }
        PyList_SET_ITEM(list.get(), static_cast<Py_ssize_t>(k), tuple);
        uint32_t ij[2] = {pairs[k].first, pairs[k].second};
        for (Py_ssize_t e = 0; e < 2; ++e) {
            PyObject *i = ints.of(ij[e]);
            if (i == nullptr) {
                return nullptr;
            }
            PyTuple_SET_ITEM(tuple, e, Py_NewRef(i));
        }
        PyObject_GC_UnTrack(tuple);
    }
    return list.release();
}

// The pairs found, sorted, in the form asked for.
PyObject *result(Workspace &space, Py_ssize_t bound, bool flat) {
    space.kernels.order.sort(space.pairs, static_cast<uint32_t>(bound));
    return flat ? pair_array(space.pairs) : pair_list(space.pairs, bound, space.ints);
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

namespace {

// What an array('I') is made with, looked up once and kept for the life of the process.
struct ArrayNames {
    PyObject *type, *typecode, *frombytes;
};

// Without the global lock two threads may both look them up: one keeps its own and the
// other's are released.
const ArrayNames *array_names() {
    static std::atomic<const ArrayNames *> kept{nullptr};
    if (const ArrayNames *names = kept.load(std::memory_order_acquire)) {
        return names;
    }
    Ref module = Ref::steal(PyImport_ImportModule("array"));
    Ref type = module ? Ref::steal(PyObject_GetAttrString(module.get(), "array")) : Ref();
    Ref typecode = Ref::steal(PyUnicode_InternFromString("I"));
    Ref frombytes = Ref::steal(PyUnicode_InternFromString("frombytes"));
    if (!type || !typecode || !frombytes) {
        return nullptr;
    }
    auto *names = new (std::nothrow) ArrayNames{type.get(), typecode.get(), frombytes.get()};
    if (names == nullptr) {
        PyErr_NoMemory();
        return nullptr;
    }
    const ArrayNames *expected = nullptr;
    if (!kept.compare_exchange_strong(expected, names, std::memory_order_acq_rel)) {
        delete names;
        return expected;
    }
    (void)type.release();
    (void)typecode.release();
    (void)frombytes.release();
    return names;
}

}  // namespace

bool load_array_type() { return array_names() != nullptr; }

PyObject *pair_array(const std::vector<Pair> &pairs) {
    static_assert(sizeof(unsigned int) == sizeof(uint32_t) && sizeof(Pair) == 2 * sizeof(uint32_t));
    const ArrayNames *names = array_names();
    Ref array = names ? Ref::steal(PyObject_CallOneArg(names->type, names->typecode)) : Ref();
    if (!array || pairs.empty()) {
        return array.release();
    }
    Ref bytes = Ref::steal(
        PyMemoryView_FromMemory(const_cast<char *>(reinterpret_cast<const char *>(pairs.data())),
                                static_cast<Py_ssize_t>(pairs.size() * sizeof(Pair)), PyBUF_READ));
    Ref done =
        bytes ? Ref::steal(PyObject_CallMethodOneArg(array.get(), names->frombytes, bytes.get()))
              : Ref();
    return done ? array.release() : nullptr;
}

PyObject *overlapping_pairs(PyObject *, PyObject *const *args, Py_ssize_t nargs,
                            PyObject *kwnames) {
    PyObject *got[2];
    if (!match(kPairs, args, nargs, kwnames, got)) {
        return nullptr;
    }
    bool flat = truth(got[1]);
    return guarded([&]() -> PyObject * {
        Side side{"rects", {}, {}};
        if (!side.open(args[0]) || !small_enough(side)) {
            return nullptr;
        }
        Lease space;
        read_side(side, 0, space->boxes);
        if (!ask_all(side, side, true, space->pairs)) {
            return nullptr;
        }
        engine::find_pairs(space->kernels, space->boxes, false, space->pairs);
        return result(*space, side.size(), flat);
    });
}

PyObject *overlapping_pairs_between(PyObject *, PyObject *const *args, Py_ssize_t nargs,
                                    PyObject *kwnames) {
    PyObject *got[3];
    if (!match(kPairsBetween, args, nargs, kwnames, got)) {
        return nullptr;
    }
    bool flat = truth(got[2]);
    return guarded([&]() -> PyObject * {
        Side a{"a", {}, {}};
        if (!a.open(args[0]) || !small_enough(a)) {
            return nullptr;
        }
        Side b{"b", {}, {}};
        if (!b.open(args[1]) || !small_enough(b)) {
            return nullptr;
        }
        Lease space;
        read_side(a, 0, space->boxes);
        read_side(b, 1, space->boxes);
        if (!ask_all(a, b, false, space->pairs)) {
            return nullptr;
        }
        engine::find_pairs(space->kernels, space->boxes, true, space->pairs);
        return result(*space, std::max(a.size(), b.size()), flat);
    });
}

}  // namespace tessel::collide
