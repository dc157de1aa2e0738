// The Index type: its lifecycle, who is in it (construction, add, remove, clear, len), its
// boxes view and the collector's hooks. Reading and moving rects: index_refresh.cpp; queries:
// index_queries.cpp; looking into it: index_members.cpp.
#include "index.hpp"

#include <algorithm>
#include <utility>

#include "common/arguments.hpp"
#include "common/call.hpp"
#include "common/notes.hpp"
#include "read.hpp"

namespace tessel::collide {
namespace {

// Index(rects=(), values=None) and add(rect, value=None): any argument by position or by
// keyword, refused as the interpreter's argument parser refuses them, as always.
constexpr Parameter kInitParameters[] = {{"rects", Pass::either}, {"values", Pass::either}};
constexpr Signature kInit{"Index", Messages::interpreter, 0, kInitParameters};
constexpr Parameter kAddParameters[] = {{"rect", Pass::either}, {"value", Pass::either}};
constexpr Signature kAdd{"add", Messages::interpreter, 1, kAddParameters};

// Added rects are tested one by one until they are more than this; then the grid is entered
// anew. Removed ones keep their slots until they are more than this, then the slots are
// compacted. Either costs O(n) once per O(n) changes.
size_t most_added(size_t slots) noexcept { return 64 + slots / 32; }
size_t most_removed(size_t slots) noexcept { return 64 + slots / 8; }

bool too_many(size_t slots) {
    if (slots <= kMaxSlots) {
        return false;
    }
    PyErr_SetString(PyExc_OverflowError, "too many rects in an index");
    return true;
}

// The rows of the current geometry, ready to be written: a packed object that nobody else
// holds, a copy when a view holds the current one (with room for more).
std::vector<Row> *writable_rows(Geometry &g) {
    if (g.packed && unshared(g.packed.get())) {
        return &rows_of(g.packed.get());
    }
    Ref fresh = new_packed();
    if (!fresh) {
        return nullptr;
    }
    std::vector<Row> &rows = rows_of(fresh.get());
    if (g.packed) {
        const std::vector<Row> &old = rows_of(g.packed.get());
        rows.reserve(old.size() * 2 + 16);
        rows.assign(old.begin(), old.end());
    }
    g.packed = std::move(fresh);
    return &rows;
}

}  // namespace

Garbage::~Garbage() {
    for (PyObject *o : refs_) {
        Py_XDECREF(o);
    }
    for (Member &m : members_) {
        Py_XDECREF(m.rect);
        Py_XDECREF(m.value);
    }
}

std::unique_ptr<Geometry> new_geometry() noexcept {
    auto g = std::unique_ptr<Geometry>(new (std::nothrow) Geometry);
    if (!g) {
        PyErr_NoMemory();
    }
    return g;
}

void enter_grid(Geometry &g, const Row *rows, size_t n, const QueryGrid *like, bool replan) {
    if (g.grid && g.grid.use_count() == 1) {
        g.grid->build(rows, n, like, replan);
    } else {
        auto fresh = std::make_shared<QueryGrid>();
        fresh->build(rows, n, like != nullptr ? like : g.grid.get(), replan);
        g.grid = std::move(fresh);
    }
    g.drift = 0;
}

bool compact(IndexState &st) {
    Geometry &g = *st.current;
    std::vector<Row> *rows = writable_rows(g);
    if (rows == nullptr) {
        return false;
    }
    size_t kept = 0;
    for (size_t s = 0; s < st.members.size(); ++s) {
        if (st.members[s].rect != nullptr) {
            st.members[kept] = st.members[s];
            (*rows)[kept] = (*rows)[s];
            ++kept;
        }
    }
    st.members.resize(kept);
    rows->resize(kept);
    enter_grid(g, rows->data(), kept, nullptr, false);
    ++st.version;
    return true;
}

namespace {

// -------------------------------------------------------------------------------------
// Lifecycle

PyObject *index_new(PyTypeObject *type, PyObject *, PyObject *) {
    Ref self = Ref::steal(type->tp_alloc(type, 0));
    if (!self) {
        return nullptr;
    }
    auto *st = new (std::nothrow) IndexState;
    if (st == nullptr) {
        return PyErr_NoMemory();
    }
    as_index(self.get())->state = st;
    st->current = new_geometry();
    return st->current ? self.release() : nullptr;
}

// The collector calls traverse with every other thread stopped, so the members are read
// without the section.
int index_traverse(PyObject *self, visitproc visit, void *arg) {
    if (IndexState *st = as_index(self)->state) {
        for (const Member &m : st->members) {
            Py_VISIT(m.rect);
            Py_VISIT(m.value);
        }
    }
    return 0;
}

// Empties the index, then releases what it held: a value's __del__ may use the index. The
// collector's clear, and clear().
int index_clear(PyObject *self) {
    if (as_index(self)->state == nullptr) {
        return 0;
    }
    Garbage garbage;
    with_state(self, 0, [&](IndexState &st) {
        garbage.take(st.members);
        st.live = 0;
        st.counts.clear();
        ++st.version;
        garbage.packed = std::move(st.current->packed);
        garbage.grid = std::move(st.current->grid);
        garbage.geometry = std::move(st.spare);
        return 0;
    });
    return 0;
}

void index_dealloc(PyObject *self) {
    PyObject_GC_UnTrack(self);
    index_clear(self);
    delete std::exchange(as_index(self)->state, nullptr);
    Py_TYPE(self)->tp_free(self);
}

// What the index is made of, for Index(rects, values) and index_of(): every item a Rect
// (checked first, as the module's functions check theirs), then as many values as rects, then
// every rect read; errors name the items after `name`. The index changes only once all of
// that has succeeded, and then holds these members alone.
bool fill(PyObject *self, PyObject *rects_arg, PyObject *values_arg, const char *name) {
    // The rects are held from the start: reading them may run code.
    Ref given = rects_arg != nullptr ? Ref::borrow(rects_arg) : Ref::steal(PyTuple_New(0));
    Rects rects;
    if (!given || !rects.open(given.get()) || !rects.hold() || !rects.check(name)) {
        return false;
    }
    Py_ssize_t n = rects.size();
    PyObject *const *items = rects.items();
    if (too_many(static_cast<size_t>(n))) {
        return false;
    }
    Ref values;
    if (values_arg != Py_None) {
        values = Ref::steal(PySequence_Tuple(values_arg));
        if (!values) {
            return false;
        }
        if (PyTuple_GET_SIZE(values.get()) != n) {
            PyErr_Format(PyExc_ValueError,
                         "Index() takes one value per rect: %zd values for %zd rects",
                         PyTuple_GET_SIZE(values.get()), n);
            return false;
        }
    }
    std::unique_ptr<Geometry> g = new_geometry();
    if (!g || !(g->packed = new_packed())) {
        return false;
    }
    try {
        std::vector<Row> &rows = rows_of(g->packed.get());
        rows.resize(static_cast<size_t>(n));
        for (Py_ssize_t i = 0; i < n; ++i) {
            if (!read_row(items[i], &rows[static_cast<size_t>(i)])) {
                add_note("while reading %s[%zd]", name, i);
                return false;
            }
        }
        enter_grid(*g, rows.data(), rows.size(), nullptr, true);
        Garbage garbage;
        std::vector<Member> members(static_cast<size_t>(n));
        RectCounts counts;
        counts.reserve(static_cast<size_t>(n));
        for (Py_ssize_t i = 0; i < n; ++i) {
            counts.add(items[i]);
        }
        bool done = with_state(self, false, [&](IndexState &st) {
            for (Py_ssize_t i = 0; i < n; ++i) {
                PyObject *value = values ? PyTuple_GET_ITEM(values.get(), i) : items[i];
                members[static_cast<size_t>(i)] = {Py_NewRef(items[i]), Py_NewRef(value),
                                                   st.next_serial++};
            }
            garbage.take(st.members);
            st.members = std::move(members);
            std::swap(st.counts, counts);
            st.live = static_cast<size_t>(n);
            ++st.version;
            std::swap(st.current, g);
            return true;
        });
        garbage.geometry = std::move(g);
        return done;
    } catch (const std::bad_alloc &) {
        PyErr_NoMemory();
        return false;
    }
}

// Index(rects=(), values=None); __init__ on an index replaces what it holds.
int index_init(PyObject *self, PyObject *args, PyObject *kwargs) {
    PyObject *got[2];
    if (!match(kInit, args, kwargs, got) || !require_ready(g_state.types)) {
        return -1;
    }
    return fill(self, got[0], got[1] != nullptr ? got[1] : Py_None, "rects") ? 0 : -1;
}

// -------------------------------------------------------------------------------------
// Who is in it

PyObject *index_add(PyObject *self, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames) {
    PyObject *got[2];
    if (!match(kAdd, args, nargs, kwnames, got) || !require_ready(g_state.types)) {
        return nullptr;
    }
    PyObject *rect = got[0], *value = got[1] != nullptr ? got[1] : Py_None;
    if (!is_rect(rect)) {
        PyErr_Format(PyExc_TypeError, "add() argument 'rect' must be %s, not %T", kRectName.full,
                     rect);
        return nullptr;
    }
    Row row;
    if (!read_row(rect, &row)) {
        return nullptr;
    }
    value = value == Py_None ? rect : value;
    bool done = with_state(self, false, [&](IndexState &st) {
        if (too_many(st.members.size() + 1)) {
            return false;
        }
        std::vector<Row> *rows = writable_rows(*st.current);
        if (rows == nullptr) {
            return false;
        }
        st.members.reserve(st.members.size() + 1);
        st.counts.reserve(1);
        rows->push_back(row);
        st.counts.add(rect);
        st.members.push_back({Py_NewRef(rect), Py_NewRef(value), st.next_serial++});
        ++st.live;
        ++st.version;
        const std::shared_ptr<QueryGrid> &grid = st.current->grid;
        size_t entered = grid ? grid->entered() : 0;
        if (rows->size() - entered > most_added(rows->size())) {
            enter_grid(*st.current, rows->data(), rows->size(), nullptr, false);
        }
        return true;
    });
    return done ? Py_NewRef(Py_None) : nullptr;
}

PyObject *index_remove(PyObject *self, PyObject *rect) {
    Garbage garbage;
    garbage.reserve(2);
    bool found = with_state(self, false, [&](IndexState &st) {
        if (!st.counts.contains(rect)) {
            return false;
        }
        for (Member &m : st.members) {
            if (m.rect == rect) {
                st.counts.remove(rect);
                garbage.add(std::exchange(m.rect, nullptr));
                garbage.add(std::exchange(m.value, nullptr));
                --st.live;
                ++st.version;
                // Compacting is only for speed: if it cannot be done now, it is done later.
                if (st.removed() > most_removed(st.members.size()) && !compact(st)) {
                    PyErr_Clear();
                }
                return true;
            }
        }
        return false;
    });
    if (!found) {
        if (!PyErr_Occurred()) {
            PyErr_SetString(PyExc_ValueError, "Index.remove(rect): rect not in index");
        }
        return nullptr;
    }
    return Py_NewRef(Py_None);
}

PyObject *index_empty(PyObject *self, PyObject *) {
    index_clear(self);
    return Py_NewRef(Py_None);
}

Py_ssize_t index_length(PyObject *self) {
    return with_state(self, Py_ssize_t{-1},
                      [](IndexState &st) { return static_cast<Py_ssize_t>(st.live); });
}

// The view of the packed boxes, of the members not removed: a view taken before a later
// refresh, move, add or remove keeps showing the boxes as they were (see packed.hpp).
PyObject *index_boxes(PyObject *self, void *) {
    return with_state(self, static_cast<PyObject *>(nullptr), [](IndexState &st) -> PyObject * {
        if (st.removed() > 0 && !compact(st)) {
            return nullptr;
        }
        Geometry &g = *st.current;
        if (!g.packed && !(g.packed = new_packed())) {
            return nullptr;
        }
        return PyMemoryView_FromObject(g.packed.get());
    });
}

// Signatures, for inspect.signature and the stubs' check, and the first paragraph of the
// stub's (collide.pyi) documentation, which holds the rest.
PyMethodDef kIndexMethods[] = {
    {"add", as_method(index_add), METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("add($self, /, rect, value=None)\n--\n\n"
               "Adds `rect`, read now, with `value` (the rect itself when None): queries see it "
               "at\nonce, after the rects added before it.")},
    {"remove", as_method(index_remove), METH_O,
     PyDoc_STR("remove($self, rect, /)\n--\n\n"
               "Removes the earliest-added member holding this very rect (by identity, never "
               "by\nvalue); ValueError if there is none.")},
    {"refresh", as_method(index_refresh), METH_NOARGS,
     PyDoc_STR("refresh($self, /)\n--\n\n"
               "Reads every rect's position and size again: an exact `Vector2` from its "
               "record,\nany other vector through its attribute access, each value converted "
               "to a float. On\nan error (noted `while reading rects[i]`) the index keeps its "
               "previous boxes.")},
    {"move", as_method(index_move), METH_O,
     PyDoc_STR("move($self, offsets, /)\n--\n\n"
               "Adds an offset to each rect's position, exactly as\n"
               "`for r, v in zip(rects, offsets): r.position += v` would, in the order added, "
               "then\nrefreshes.")},
    {"point_hits", as_method(index_point_hits), METH_O,
     PyDoc_STR("point_hits($self, point, /)\n--\n\n"
               "The values of the rects that contain `point` (borders inside), in the order "
               "added.\n`point` takes every form `Rect.collide_point` takes, with its errors, "
               "and any other\nsequence or buffer of two numbers; it is read once, even when "
               "the index is empty.")},
    {"rect_hits", as_method(index_rect_hits), METH_O,
     PyDoc_STR("rect_hits($self, other, /)\n--\n\n"
               "The values of the rects that overlap `other` (touching is no overlap), in the\n"
               "order added. `other` takes every form `Rect.collide_rect` takes, with its "
               "errors,\nand any other sequence or buffer of four numbers, and is read as it is "
               "now (a rect\nof the index too).")},
    {"first_rect_hit", as_method(index_first_rect_hit), METH_O,
     PyDoc_STR("first_rect_hit($self, other, /)\n--\n\n"
               "The value of the earliest-added rect that overlaps `other`, or None.")},
    {"raycast", as_method(index_raycast), METH_FASTCALL,
     PyDoc_STR("raycast($self, start, end, /)\n--\n\n"
               "The first member the segment from `start` to `end` meets, as a `Hit` whose "
               "`value` is\nthe member's value: the hit of least `t`, the earliest added "
               "among equal ones; None\nwhen it meets none.")},
    {"segment_hits", as_method(index_segment_hits), METH_FASTCALL,
     PyDoc_STR("segment_hits($self, start, end, /)\n--\n\n"
               "Every member the segment from `start` to `end` meets, as a list of `Hit` "
               "ordered by\n`t`, then by the order added.")},
    {"nearest", as_method(index_nearest), METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("nearest($self, point, k=1, *, max_distance=None)\n--\n\n"
               "The `k` members nearest to `point`, as `(value, distance)` pairs, nearest "
               "first: the\nEuclidean distance from the point to the member's closed box "
               "(0 inside it), ties to\nthe earliest added.")},
    {"sweep", as_method(index_sweep), METH_FASTCALL,
     PyDoc_STR("sweep($self, moving, offset, /)\n--\n\n"
               "The first member that `moving`, moved by `offset`, would come to overlap, as a "
               "`Hit`\nwhose `value` is the member's value: the contact of least `t`, the "
               "earliest added\namong equal ones; None when it meets none.")},
    {"slide", as_method(index_slide), METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("slide($self, rect, offset, *, steps=3)\n--\n\n"
               "Moves `rect` along `offset`, stopping at the first member in its way and "
               "sliding along\nit, at most `steps` contacts; gives the contacts met, as a "
               "list of `Hit` in order.")},
    {"overlapping_pairs", as_method(index_overlapping_pairs), METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("overlapping_pairs($self, /, *, flat=False)\n--\n\n"
               "Every pair of values `(a, b)` whose rects overlap, `a` added before `b`, in "
               "the\norder `overlapping_pairs` gives their places.")},
    {"overlapping_pairs_between", as_method(index_overlapping_pairs_between),
     METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("overlapping_pairs_between($self, other, /, *, flat=False)\n--\n\n"
               "Every pair `(a, b)` of a value of this index and one of `other` whose rects\n"
               "overlap, in the order `overlapping_pairs_between` gives their places; with\n"
               "`flat=True`, the places as one `array('I')`.")},
    {"values", as_method(index_values), METH_NOARGS,
     PyDoc_STR("values($self, /)\n--\n\n"
               "The values of the members, in the order added: item `i` belongs to row `i` of\n"
               "`boxes`.")},
    {"rects", as_method(index_rects), METH_NOARGS,
     PyDoc_STR("rects($self, /)\n--\n\n"
               "The rects of the members, in the order added: item `i` is the rect of row `i` "
               "of\n`boxes`.")},
    {"clear", as_method(index_empty), METH_NOARGS,
     PyDoc_STR("clear($self, /)\n--\n\n"
               "Removes every member: the index is empty, as `Index()` is.")},
    // Index[Enemy] at run time, as the stubs' generic class is written.
    {"__class_getitem__", Py_GenericAlias, METH_O | METH_CLASS,
     PyDoc_STR("__class_getitem__($type, item, /)\n--\n\n"
               "`Index[Enemy]` at run time: a generic alias of the class, for `cast()` and "
               "for\nannotations that are evaluated.")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef kIndexProperties[] = {
    {"boxes", index_boxes, nullptr,
     PyDoc_STR("The boxes as last read: a read-only `memoryview` of shape (n, 4) and format "
               "'d',\nx, y, w, h per rect in the order added, so that "
               "`numpy.asarray(ix.boxes)` shares\nthem without copying."),
     nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
PySequenceMethods kIndexSequence = {.sq_length = index_length, .sq_contains = index_contains};
#pragma GCC diagnostic pop

}  // namespace

Ref index_of(PyObject *rects, const char *name) {
    Ref index = Ref::steal(index_new(&IndexType, nullptr, nullptr));
    return index && fill(index.get(), rects, Py_None, name) ? std::move(index) : Ref();
}

// Static and immutable; no base-type flag (no subclasses), no instance dict, no weak
// references; compared and hashed by identity, as plain objects are.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
PyTypeObject IndexType = {
    .ob_base = {PyObject_HEAD_INIT(nullptr) 0},
    .tp_name = "tessel.collide.collide.Index",
    .tp_basicsize = sizeof(IndexObject),
    .tp_itemsize = 0,
    .tp_dealloc = index_dealloc,
    .tp_as_sequence = &kIndexSequence,
    .tp_flags = Py_TPFLAGS_DEFAULT | Py_TPFLAGS_HAVE_GC | Py_TPFLAGS_IMMUTABLETYPE,
    .tp_doc = PyDoc_STR(
        "Index(rects=(), values=None)\n--\n\n"
        "A set of rects, each with a value, and their boxes as read at the last `refresh`,\n"
        "`move` or `add`: many queries a frame over packed boxes, answered with the values.\n\n"
        "An index of `rects` (any iterable of `Rect`, each read once, now), whose queries\n"
        "answer with the matching item of `values` (as many as rects), or with the rect\n"
        "itself when `values` is None."),
    .tp_traverse = index_traverse,
    .tp_clear = index_clear,
    .tp_iter = index_iter,
    .tp_methods = kIndexMethods,
    .tp_getset = kIndexProperties,
    .tp_init = index_init,
    .tp_new = index_new,
};
#pragma GCC diagnostic pop

}  // namespace tessel::collide
