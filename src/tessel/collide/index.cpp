// The Index type: its lifecycle, who is in it (construction, add, remove, len), its boxes
// view and the collector's hooks. Reading and moving rects: index_refresh.cpp; queries:
// index_queries.cpp.
#include "index.hpp"

#include <algorithm>
#include <utility>

#include "common/arguments.hpp"
#include "common/notes.hpp"
#include "common/records.hpp"
#include "read.hpp"

namespace tessel::collide {
namespace {

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

bool read_row(PyObject *rect, Row *out) noexcept {
    double v[4];
    if (!rect_record(g_state.types, reinterpret_cast<RectObject *>(rect), v) &&
        !read_rect(g_state.types, rect, v)) {
        return false;
    }
    *out = {v[0], v[1], v[2], v[3]};
    return true;
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

// Empties the index, then releases what it held: a value's __del__ may use the index.
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

// Index(rects=(), values=None): every item a Rect (checked first, as the module's functions
// check theirs), then as many values as rects, then every rect read. The index changes only
// once all of that has succeeded; __init__ on an index replaces what it holds.
int index_init(PyObject *self, PyObject *args, PyObject *kwargs) {
    static const char *names[] = {"rects", "values", nullptr};
    PyObject *rects_arg = nullptr, *values_arg = Py_None;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "|OO:Index", const_cast<char **>(names),
                                     &rects_arg, &values_arg) ||
        !require_ready(g_state.types) ||
        (rects_arg && refuse_single_rect(g_state.types, rects_arg))) {
        return -1;
    }
    Ref rects = Ref::steal(rects_arg ? PySequence_Tuple(rects_arg) : PyTuple_New(0));
    if (!rects) {
        return -1;
    }
    Py_ssize_t n = PyTuple_GET_SIZE(rects.get());
    PyObject *const *items = &PyTuple_GET_ITEM(rects.get(), 0);
    for (Py_ssize_t i = 0; i < n; ++i) {
        if (!is_rect(items[i])) {
            not_a_rect("rects", i, items[i]);
            return -1;
        }
    }
    if (too_many(static_cast<size_t>(n))) {
        return -1;
    }
    Ref values;
    if (values_arg != Py_None) {
        values = Ref::steal(PySequence_Tuple(values_arg));
        if (!values) {
            return -1;
        }
        if (PyTuple_GET_SIZE(values.get()) != n) {
            PyErr_Format(PyExc_ValueError,
                         "Index() takes one value per rect: %zd values for %zd rects",
                         PyTuple_GET_SIZE(values.get()), n);
            return -1;
        }
    }
    std::unique_ptr<Geometry> g = new_geometry();
    if (!g || !(g->packed = new_packed())) {
        return -1;
    }
    try {
        std::vector<Row> &rows = rows_of(g->packed.get());
        rows.resize(static_cast<size_t>(n));
        for (Py_ssize_t i = 0; i < n; ++i) {
            if (!read_row(items[i], &rows[static_cast<size_t>(i)])) {
                add_note("while reading rects[%zd]", i);
                return -1;
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
        return done ? 0 : -1;
    } catch (const std::bad_alloc &) {
        PyErr_NoMemory();
        return -1;
    }
}

// -------------------------------------------------------------------------------------
// Who is in it

PyObject *index_add(PyObject *self, PyObject *args, PyObject *kwargs) {
    static const char *names[] = {"rect", "value", nullptr};
    PyObject *rect, *value = Py_None;
    if (!PyArg_ParseTupleAndKeywords(args, kwargs, "O|O:add", const_cast<char **>(names), &rect,
                                     &value) ||
        !require_ready(g_state.types)) {
        return nullptr;
    }
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

template <class F> PyCFunction entry(F *f) {
    return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(f));
}

// Signatures, for inspect.signature and the stubs' check: the stub (collide.pyi) holds the
// documentation.
PyMethodDef kIndexMethods[] = {
    {"add", entry(index_add), METH_VARARGS | METH_KEYWORDS,
     PyDoc_STR("add($self, /, rect, value=None)\n--\n\n")},
    {"remove", entry(index_remove), METH_O, PyDoc_STR("remove($self, rect, /)\n--\n\n")},
    {"refresh", entry(index_refresh), METH_NOARGS, PyDoc_STR("refresh($self, /)\n--\n\n")},
    {"move", entry(index_move), METH_O, PyDoc_STR("move($self, offsets, /)\n--\n\n")},
    {"point_hits", entry(index_point_hits), METH_O,
     PyDoc_STR("point_hits($self, point, /)\n--\n\n")},
    {"rect_hits", entry(index_rect_hits), METH_O, PyDoc_STR("rect_hits($self, other, /)\n--\n\n")},
    {"first_rect_hit", entry(index_first_rect_hit), METH_O,
     PyDoc_STR("first_rect_hit($self, other, /)\n--\n\n")},
    {"overlapping_pairs", entry(index_overlapping_pairs), METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("overlapping_pairs($self, /, *, flat=False)\n--\n\n")},
    {"overlapping_pairs_between", entry(index_overlapping_pairs_between),
     METH_FASTCALL | METH_KEYWORDS,
     PyDoc_STR("overlapping_pairs_between($self, other, /, *, flat=False)\n--\n\n")},
    {nullptr, nullptr, 0, nullptr},
};

PyGetSetDef kIndexProperties[] = {
    {"boxes", index_boxes, nullptr, nullptr, nullptr},
    {nullptr, nullptr, nullptr, nullptr, nullptr},
};

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
PySequenceMethods kIndexSequence = {.sq_length = index_length};
#pragma GCC diagnostic pop

}  // namespace

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
    .tp_doc = PyDoc_STR("Index(rects=(), values=None)\n--\n\n"),
    .tp_traverse = index_traverse,
    .tp_clear = index_clear,
    .tp_methods = kIndexMethods,
    .tp_getset = kIndexProperties,
    .tp_init = index_init,
    .tp_new = index_new,
};
#pragma GCC diagnostic pop

}  // namespace tessel::collide
