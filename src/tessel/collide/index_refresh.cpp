// Reading the rects into a new geometry (refresh), and moving them (move).
//
// A refresh takes the roster of the members (their rects in order, as they are), reads each
// rect's box into a geometry no query sees, enters the grid, and publishes the geometry in
// the section with one swap. Reading may run Python code (a vector subtype's x), which may
// add to the index, remove from it, refresh or move it, from this thread or, without the
// global lock, from another: the roster then holds its rects, and the publication merges,
// by the members' serial numbers, the boxes read into the members as they are by then.
#include <Python.h>

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "common/notes.hpp"
#include "common/records.hpp"
#include "index.hpp"
#include "offsets.hpp"
#include "read.hpp"

namespace tessel::collide {
namespace {

// The rects of the members not removed, in order, as they were when it was taken. With the
// global lock, and no member removed, they are read in place from the members until Python
// code is about to run; from then on (and always without the lock) the roster holds a
// reference to each, and their serial numbers.
class Roster {
  public:
    Roster() = default;
    Roster(const Roster &) = delete;
    Roster &operator=(const Roster &) = delete;
    ~Roster() {
        for (PyObject *r : held_) {
            Py_DECREF(r);
        }
    }

    // In the section.
    void take(const IndexState &st) {
        version_ = st.version;
        size_ = st.live;
        in_place_ = st.members.data();
#ifdef Py_GIL_DISABLED
        hold_from(st.members);
#else
        if (st.removed() > 0) {
            hold_from(st.members);
        }
#endif
    }
    size_t size() const noexcept { return size_; }
    uint64_t version() const noexcept { return version_; }
    bool held() const noexcept { return in_place_ == nullptr; }
    PyObject *operator[](size_t i) const noexcept {
        return in_place_ != nullptr ? in_place_[i].rect : held_[i];
    }
    uint64_t serial(size_t i) const noexcept { return serials_[i]; }

    // Before Python code runs: the rects are the roster's own from then on. With the lock,
    // no code has run since take(), so the members read in place are as they were.
    // False with MemoryError set.
    bool hold() noexcept {
        if (in_place_ == nullptr) {
            return true;
        }
        try {
            std::vector<Member> members(in_place_, in_place_ + size_);
            hold_from(members);
        } catch (const std::bad_alloc &) {
            PyErr_NoMemory();
            return false;
        }
        return true;
    }

  private:
    void hold_from(const std::vector<Member> &members) {
        held_.reserve(size_);
        serials_.reserve(size_);
        for (const Member &m : members) {
            if (m.rect != nullptr) {
                held_.push_back(Py_NewRef(m.rect));
                serials_.push_back(m.serial);
            }
        }
        in_place_ = nullptr;
    }

    const Member *in_place_ = nullptr;
    size_t size_ = 0;
    uint64_t version_ = 0;
    std::vector<PyObject *> held_;
    std::vector<uint64_t> serials_;
};

// A geometry to read into, no query's: the spare one, or a new one; its packed rows and its
// grid (if any) its own. In the section.
std::unique_ptr<Geometry> take_geometry(IndexState &st) {
    std::unique_ptr<Geometry> g = std::move(st.spare);
    if (!g && !(g = new_geometry())) {
        return nullptr;
    }
    if (!g->packed || !unshared(g->packed.get())) {
        if (!(g->packed = new_packed())) {
            return nullptr;
        }
    }
    if (g->grid.use_count() > 1) {
        g->grid.reset();  // the current geometry's too: left to it
    }
    return g;
}

// The boxes as read, made the current geometry; the old one becomes the spare. When the
// members changed while they were read, each member's box is the one read, if it was read,
// else the one it had, and the grid is entered anew. The members removed meanwhile lose
// their slots. In the section; what may fail comes first, so that a failure changes nothing.
void publish(IndexState &st, std::unique_ptr<Geometry> &g, const Roster &roster) {
    std::vector<Row> &rows = rows_of(g->packed.get());
    if (st.version != roster.version()) {
        std::vector<Row> merged;
        merged.reserve(st.live);
        const Row *had = st.current->rows();
        size_t r = 0;
        for (size_t s = 0; s < st.members.size(); ++s) {
            const Member &m = st.members[s];
            if (m.rect == nullptr) {
                continue;
            }
            while (r < roster.size() && roster.serial(r) < m.serial) {
                ++r;
            }
            bool read = r < roster.size() && roster.serial(r) == m.serial;
            merged.push_back(read ? rows[r] : had[s]);
        }
        enter_grid(*g, merged.data(), merged.size(), st.current->grid.get(), false);
        rows.swap(merged);
    }
    if (st.removed() > 0) {
        std::erase_if(st.members, [](const Member &m) { return m.rect == nullptr; });
    }
    ++st.version;
    std::swap(st.current, g);
    st.spare = std::move(g);
}

// What a refresh works with: the roster, a geometry to read into, and the current grid, to
// keep when every box is still found from it.
struct Reading {
    Roster roster;
    std::unique_ptr<Geometry> g;
    std::shared_ptr<QueryGrid> base;
    bool distinct = false;  // no rect in the index twice

    // Takes them in the section. False with an exception set.
    bool begin(PyObject *self) {
        return with_state(self, false, [&](IndexState &st) {
            roster.take(st);
            base = st.current->grid;
            distinct = st.counts.duplicates() == 0;
            g = take_geometry(st);
            return static_cast<bool>(g);
        });
    }
    std::vector<Row> &rows() { return rows_of(g->packed.get()); }
    // Gives the geometry the base grid, when it still serves the boxes read (none drifted
    // past kSlack, the worst by `drift`), or one entered anew.
    void grid(double drift) {
        if (base && drift <= QueryGrid::kSlack && base->entered() == roster.size() &&
            base->aside_still_fits(g->rows(), roster.size())) {
            g->grid = base;
            g->drift = drift;
        } else {
            enter_grid(*g, g->rows(), roster.size(), base.get(), false);
        }
    }
    // Publishes the geometry when `read`, else gives it back. False with an exception set
    // when it was not read, or could not be published.
    bool end(PyObject *self, bool read) {
        Garbage garbage;
        bool published = with_state(self, false, [&](IndexState &st) {
            if (read) {
                publish(st, g, roster);
            } else if (!st.spare) {
                st.spare = std::move(g);
            }
            return read;
        });
        garbage.geometry = std::move(g);
        return published;
    }
};

// The rect read kAhead rects ahead is fetched, and the vectors of the one half as far ahead
// (whose record has arrived by then); only a hint, which never faults. Without the lock a
// field may change while it is read here, so there only the rect is fetched.
constexpr size_t kAhead = 16;

// A drift that no grid keeps: the grid is entered anew.
constexpr double kNoGrid = std::numeric_limits<double>::infinity();

inline void prefetch_rect(PyObject *far, PyObject *near) noexcept {
    __builtin_prefetch(far);
#ifndef Py_GIL_DISABLED
    auto *r = reinterpret_cast<RectObject *>(near);
    __builtin_prefetch(r->position);
    __builtin_prefetch(r->size);
#else
    (void)near;
#endif
}

// Reads every rect of the roster, then gives the geometry its grid. False with an exception
// set, noted with the failing rect's place.
bool read_all(Reading &r) {
    std::vector<Row> &rows = r.rows();
    rows.resize(r.roster.size());
    const QueryGrid *base = r.base && r.base->entered() == rows.size() ? r.base.get() : nullptr;
    // The worst drift seen, until one is past kSlack: then the grid is entered anew, and
    // the other boxes need no check.
    double drift = base == nullptr ? kNoGrid : 0;
    const QueryGrid::Keeper keeper(base);
    for (size_t i = 0; i < rows.size(); ++i) {
        if (i + kAhead < rows.size()) {
            prefetch_rect(r.roster[i + kAhead], r.roster[i + kAhead / 2]);
        }
        // `row` is kept in registers (its address never leaves this function), for the drift.
        Row row;
        if (!read_record(r.roster[i], &row)) {
            if (!r.roster.hold() || !read_row(r.roster[i], &rows[i])) {
                add_note("while reading rects[%zu]", i);
                return false;
            }
            row = rows[i];
        }
        rows[i] = row;
        if (drift <= QueryGrid::kSlack) {
            drift = std::max(drift, keeper.drift(i, row));
        }
    }
    r.grid(drift);
    return true;
}

bool refresh(PyObject *self) {
    if (!require_ready(g_state.types)) {
        return false;
    }
    Reading r;
    if (!r.begin(self)) {
        return false;
    }
    bool read;
    try {
        read = read_all(r);
    } catch (const std::bad_alloc &) {
        PyErr_NoMemory();
        read = false;
    }
    return r.end(self, read);
}

// -------------------------------------------------------------------------------------
// Moving

bool is_number(PyObject *o) noexcept {
    return PyFloat_Check(o) || PyLong_Check(o) || (PyNumber_Check(o) && !PySequence_Check(o));
}

// The argument of move(): one offset for every rect, or a sequence of one per rect.
class Offsets {
  public:
    Offsets() = default;
    Offsets(const Offsets &) = delete;
    Offsets &operator=(const Offsets &) = delete;
    ~Offsets() {
        if (rows_ != nullptr) {
            PyBuffer_Release(&view_);
        }
    }

    // One offset when `o` is a Vector2, not iterable, or a sequence whose first item is a
    // number; otherwise a sequence of offsets (any iterable, read once). A C-contiguous
    // (n, 2) array of doubles or floats is read from its memory, row by row; an array of
    // numbers of any other shape than (2,) or (n, 2) is refused by fit(). False with an
    // exception set.
    bool open(PyObject *o) {
        one_ = o;
        if (is_vector2(g_state.types, o) || PyUnicode_Check(o) || PyBytes_Check(o)) {
            return true;
        }
        if (numeric_buffer(o, view_)) {
            bool pairs = view_.ndim == 2 && view_.shape[1] == 2;
            if (!pairs && !(view_.ndim == 1 && view_.shape[0] == 2)) {
                wrong_ = Ref::borrow(o);
            } else if (pairs && PyBuffer_IsContiguous(&view_, 'C') && (floats_ = format_of(view_)) != 0) {
                rows_ = view_.buf;
                count_ = view_.shape[0];
                one_ = nullptr;
                return true;
            }
            PyBuffer_Release(&view_);
            if (wrong_) {
                return true;
            }
        }
        if (PyTuple_CheckExact(o) || PyList_CheckExact(o)) {
            // Read in place, as the loop over them would read them; reading an item of
            // either runs no code.
            Ref first = Ref::steal(PySequence_GetItem(o, 0));
            PyErr_Clear();  // none
            if (first && is_number(first.get())) {
                return true;
            }
            items_ = Ref::borrow(o);
        } else {
            PyTypeObject *type = Py_TYPE(o);
            if (type->tp_iter == nullptr && !PySequence_Check(o)) {
                return true;
            }
            items_ = Ref::steal(PySequence_Tuple(o));
            if (!items_) {
                return false;
            }
            Py_ssize_t size = PyTuple_GET_SIZE(items_.get());
            if (size > 0 && is_number(PyTuple_GET_ITEM(items_.get(), 0))) {
                items_ = Ref();
                return true;
            }
        }
        one_ = nullptr;
        return true;
    }

    // ValueError unless there is one offset, or one per rect.
    bool fit(size_t rects) const {
        if (wrong_ || (rows_ != nullptr && count_ != static_cast<Py_ssize_t>(rects))) {
            Ref given = Ref::steal(describe_given(wrong_ ? wrong_.get() : one_array()));
            if (given) {
                PyErr_Format(PyExc_ValueError,
                             "move() takes one offset (2 numbers) or one per rect (an array of "
                             "shape (%zu, 2)): got %U",
                             rects, given.get());
            }
            return false;
        }
        if (rows_ != nullptr) {
            return true;
        }
        Py_ssize_t count = one_ != nullptr ? 0 : PyObject_Length(items_.get());
        if (one_ != nullptr || count == static_cast<Py_ssize_t>(rects)) {
            return true;
        }
        PyErr_Format(PyExc_ValueError,
                     "move() takes one offset or one per rect: %zd offsets for %zu rects", count,
                     rects);
        return false;
    }

    // The offset of rect i, kept alive by `keep` where the argument itself does not. Empty
    // with IndexError set if code run meanwhile has shortened the list of offsets.
    PyObject *at(size_t i, Ref &keep) const noexcept {
        if (one_ != nullptr) {
            return one_;
        }
        PyObject *items = items_.get();
        Py_ssize_t k = static_cast<Py_ssize_t>(i);
        if (PyTuple_CheckExact(items)) {
            return PyTuple_GET_ITEM(items, k);
        }
#ifdef Py_GIL_DISABLED
        keep = Ref::steal(PyList_GetItemRef(items, k));
        return keep.get();
#else
        (void)keep;
        if (k < PyList_GET_SIZE(items)) {
            return PyList_GET_ITEM(items, k);  // no code runs before it is used
        }
        PyErr_SetString(PyExc_IndexError, "list index out of range");
        return nullptr;
#endif
    }

    // The offset of rect i from the array's memory: true when there is an array.
    bool row(size_t i, double d[2]) const noexcept {
        if (rows_ == nullptr) {
            return false;
        }
        if (floats_ == 'd') {
            const double *r = static_cast<const double *>(rows_) + 2 * i;
            d[0] = r[0], d[1] = r[1];
        } else {
            const float *r = static_cast<const float *>(rows_) + 2 * i;
            d[0] = r[0], d[1] = r[1];
        }
        return true;
    }

    // Starts fetching the offset of rect i, if there is one per rect (only a hint).
    void prefetch(size_t i) const noexcept {
        if (rows_ != nullptr) {
            __builtin_prefetch(static_cast<const char *>(rows_) + 2 * i * (floats_ == 'd' ? 8 : 4));
        } else if (one_ == nullptr) {
            __builtin_prefetch(PySequence_Fast_ITEMS(items_.get())[i]);
        }
    }

  private:
    // 'd' or 'f' for a buffer of native doubles or floats, else 0.
    static char format_of(const Py_buffer &view) noexcept {
        const char *f = view.format;
        if (f != nullptr && (*f == '@' || *f == '=')) {
            ++f;
        }
        if (f == nullptr || f[1] != '\0' || (f[0] != 'd' && f[0] != 'f') ||
            view.itemsize != (f[0] == 'd' ? 8 : 4)) {
            return 0;
        }
        return f[0];
    }
    PyObject *one_array() const noexcept { return view_.obj; }

    PyObject *one_ = nullptr;
    Ref items_;  // an exact tuple or list
    Ref wrong_;  // an array of numbers of a shape that is no offset, nor one per rect
    Py_buffer view_{};
    const void *rows_ = nullptr;  // the (n, 2) array's memory, while view_ holds it
    Py_ssize_t count_ = 0;
    char floats_ = 0;
};

// The two numbers of an offset, read without running code where that reads what `+=` on an
// exact Vector2 would: an exact Vector2 (its record) or an exact tuple of two exact floats
// or ints (immutable, as their conversion is). 1 when read, 0 for any other offset, -1 with
// the conversion's error (an int too large), which `+=` would raise too.
[[gnu::always_inline]] inline int plain_offset(PyObject *o, double d[2]) noexcept {
    if (Py_IS_TYPE(o, g_state.types.vector2.type)) {
        const auto &data = reinterpret_cast<Vector2Object *>(o)->data;
        d[0] = load_component(const_cast<float &>(data.x));
        d[1] = load_component(const_cast<float &>(data.y));
        return 1;
    }
    if (!PyTuple_CheckExact(o) || PyTuple_GET_SIZE(o) != 2) {
        return 0;
    }
    PyObject *a = PyTuple_GET_ITEM(o, 0), *b = PyTuple_GET_ITEM(o, 1);
    if (!(PyFloat_CheckExact(a) || PyLong_CheckExact(a)) ||
        !(PyFloat_CheckExact(b) || PyLong_CheckExact(b))) {
        return 0;
    }
    return to_double(a, &d[0]) && to_double(b, &d[1]) ? 1 : -1;
}

// `rect.position += offset`: in place on an exact Vector2 and a plain offset; otherwise the
// very statement, through the rect's attribute access and the vector's in-place addition.
// False with an exception set.
bool move_rect(Roster &roster, size_t i, PyObject *offset) {
    if (record_stands_for_components(g_state.types.vector2, 2)) {
        PyTypeObject *vector2 = g_state.types.vector2.type;
        int moved = with_fields(reinterpret_cast<RectObject *>(roster[i]),
                                [&](PyObject *position, PyObject *) {
                                    if (!Py_IS_TYPE(position, vector2)) {
                                        return 0;
                                    }
                                    double d[2];
                                    int plain = plain_offset(offset, d);
                                    if (plain > 0) {
                                        add_to_record(position, d[0], d[1]);
                                    }
                                    return plain;
                                });
        if (moved != 0) {
            return moved > 0;
        }
    }
    if (!roster.hold()) {
        return false;
    }
    PyObject *rect = roster[i];
    Ref keep = Ref::borrow(offset);
    Ref position = Ref::steal(PyObject_GetAttr(rect, g_state.position_name));
    Ref sum = position ? Ref::steal(PyNumber_InPlaceAdd(position.get(), offset)) : Ref();
    return sum && PyObject_SetAttr(rect, g_state.position_name, sum.get()) == 0;
}

#ifndef Py_GIL_DISABLED
// Moves and reads each rect in one pass where that is the very same as moving them all and
// then reading them all: with the lock (no other thread runs meanwhile), no rect in the index
// twice, each position vector held by its rect alone (moving it changes no other rect's box,
// nor one read before), and no Python code to run. Stops at the first rect where any of that
// is not known, having moved those before it as the loop would have: its place is returned,
// or the number of rects when all are moved and read, or -1 with the error of a rect's
// offset (noted), as the loop would have raised it.
Py_ssize_t move_and_read(Reading &r, const Offsets &offsets, double &out_drift) {
    if (!r.distinct || r.roster.held() || !record_stands_for_components(g_state.types.vector2, 2)) {
        return 0;
    }
    PyTypeObject *vector2 = g_state.types.vector2.type;
    std::vector<Row> &rows = r.rows();
    size_t n = r.roster.size();
    rows.resize(n);
    const QueryGrid *base = r.base && r.base->entered() == n ? r.base.get() : nullptr;
    // The worst drift seen, until one is past kSlack: then the grid is entered anew, and
    // the other boxes need no check.
    double drift = base == nullptr ? kNoGrid : 0;
    const QueryGrid::Keeper keeper(base);
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) {
            prefetch_rect(r.roster[i + kAhead], r.roster[i + kAhead / 2]);
            offsets.prefetch(i + kAhead);
        }
        Ref keep;
        double d[2];
        bool from_row = offsets.row(i, d);
        PyObject *offset = from_row ? nullptr : offsets.at(i, keep);
        auto [position, size] =
            with_fields(reinterpret_cast<RectObject *>(r.roster[i]), [](PyObject *p, PyObject *s) {
                return std::pair{p, s};
            });
        if (!Py_IS_TYPE(position, vector2) || !Py_IS_TYPE(size, vector2) ||
            Py_REFCNT(position) != 1) {
            return static_cast<Py_ssize_t>(i);
        }
        int plain = from_row ? 1 : plain_offset(offset, d);
        if (plain <= 0) {
            if (plain < 0) {
                add_note("while moving rects[%zu]", i);
                return -1;
            }
            return static_cast<Py_ssize_t>(i);
        }
        vector2_t now = add_to_record(position, d[0], d[1]);
        auto &extent = reinterpret_cast<Vector2Object *>(size)->data;
        Row &row = rows[i];
        row = {now.x, now.y, load_component(extent.x), load_component(extent.y)};
        if (drift <= QueryGrid::kSlack) {
            drift = std::max(drift, keeper.drift(i, row));
        }
    }
    out_drift = drift;
    return static_cast<Py_ssize_t>(n);
}
#endif

bool move(PyObject *self, PyObject *argument) {
    if (!require_ready(g_state.types)) {
        return false;
    }
    Offsets offsets;
    Reading r;
    if (!offsets.open(argument) || !r.begin(self)) {
        return false;
    }
    size_t n = r.roster.size(), from = 0;
    if (!offsets.fit(n)) {
        return r.end(self, false);
    }
#ifndef Py_GIL_DISABLED
    double drift = 0;
    Py_ssize_t done = move_and_read(r, offsets, drift);
    if (done < 0) {
        return r.end(self, false);
    }
    // With no rects, done is n whether or not the pass ran (and sized the rows): only the
    // refresh below is sure to.
    if (n > 0 && static_cast<size_t>(done) == n) {
        r.grid(drift);
        return r.end(self, true);
    }
    from = static_cast<size_t>(done);
#endif
    for (size_t i = from; i < n; ++i) {
        Ref keep;
        double d[2];
        // A row of the array is applied as its two numbers in a tuple would be.
        if (offsets.row(i, d) && !(keep = Ref::steal(Py_BuildValue("(dd)", d[0], d[1])))) {
            return r.end(self, false);
        }
        PyObject *offset = keep ? keep.get() : offsets.at(i, keep);
        if (offset == nullptr || !move_rect(r.roster, i, offset)) {
            add_note("while moving rects[%zu]", i);
            return r.end(self, false);
        }
    }
    // Moved as the loop moves them; read as a refresh reads them.
    r.end(self, false);
    return refresh(self);
}

}  // namespace

PyObject *index_refresh(PyObject *self, PyObject *) {
    return refresh(self) ? Py_NewRef(Py_None) : nullptr;
}

PyObject *index_move(PyObject *self, PyObject *offsets) {
    try {
        return move(self, offsets) ? Py_NewRef(Py_None) : nullptr;
    } catch (const std::bad_alloc &) {
        return PyErr_NoMemory();
    }
}

}  // namespace tessel::collide
