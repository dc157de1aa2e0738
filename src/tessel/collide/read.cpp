// Reading the rects and the arguments of a query.
#include "read.hpp"

#include <atomic>

#include "common/number.hpp"

namespace tessel::collide {
namespace {

constexpr const char *kPointMessage = "Point must be a Vector2, tuple, or list of length 2";
constexpr const char *kRectMessage =
    "rect for collision must be a Rect, Vector4, tuple, or list of length 4";

// The vector module stores components with relaxed atomic access; loads match it.
double load(float &component) noexcept {
    return std::atomic_ref<float>(component).load(std::memory_order_relaxed);
}

bool exact_vector2(PyObject *o) noexcept { return Py_IS_TYPE(o, g_state.vector2_type); }

struct Fields {
    Ref position, size;
};

// Strong references to a rect's two fields. Without the global lock another thread may
// replace a field meanwhile: the loads and increfs happen under the rect's lock.
Fields fields_of(PyObject *rect) noexcept {
    auto *r = reinterpret_cast<RectObject *>(rect);
    Fields f;
#ifdef Py_GIL_DISABLED
    Py_BEGIN_CRITICAL_SECTION(rect);
    f.position = Ref::borrow(r->position);
    f.size = Ref::borrow(r->size);
    Py_END_CRITICAL_SECTION();
#else
    f.position = Ref::borrow(r->position);
    f.size = Ref::borrow(r->size);
#endif
    return f;
}

Bounds bounds_from(PyObject *position, PyObject *size) noexcept {
    auto &p = reinterpret_cast<Vector2Object *>(position)->data;
    auto &s = reinterpret_cast<Vector2Object *>(size)->data;
    double x = load(p.x);
    double y = load(p.y);
    return {x, x + load(s.x), y, y + load(s.y)};
}

bool attr_double(PyObject *o, const char *name, double *out) noexcept {
    Ref value = Ref::steal(PyObject_GetAttrString(o, name));
    return value && to_double(value.get(), out);
}

// Item i by the read that gives the same result as the type's own __getitem__.
bool item_double(PyObject *seq, Py_ssize_t i, double *out) noexcept {
    Ref item;
    if (PyTuple_CheckExact(seq) && i < PyTuple_GET_SIZE(seq)) {
        item = Ref::borrow(PyTuple_GET_ITEM(seq, i));
    } else if (PyList_CheckExact(seq)) {
        item = Ref::steal(PyList_GetItemRef(seq, i));
    } else {
        item = Ref::steal(PySequence_GetItem(seq, i));
    }
    return item && to_double(item.get(), out);
}

// A tuple or list (subclasses included) of length n, by its own length operation.
int sized(PyObject *o, Py_ssize_t n) noexcept {
    if (!PyTuple_Check(o) && !PyList_Check(o)) {
        return 0;
    }
    Py_ssize_t size = PyObject_Size(o);
    return size < 0 ? -1 : size == n;
}

void add_note(Ref note) noexcept {
    PyObject *exc = PyErr_GetRaisedException();
    if (note) {
        Ref done = Ref::steal(PyObject_CallMethod(exc, "add_note", "O", note.get()));
    }
    PyErr_Clear();  // a note that cannot be added leaves the exception as it was
    PyErr_SetRaisedException(exc);
}

}  // namespace

bool Rects::open(PyObject *seq) {
#ifndef Py_GIL_DISABLED
    if (PyList_CheckExact(seq)) {
        owner_ = Ref::borrow(seq);
        list_ = seq;
        size_ = PyList_GET_SIZE(seq);
        return true;
    }
#endif
    owner_ = Ref::steal(PySequence_Tuple(seq));
    size_ = owner_ ? PyTuple_GET_SIZE(owner_.get()) : 0;
    return static_cast<bool>(owner_);
}

bool Rects::hold() {
    if (list_ == nullptr) {
        return true;
    }
    // Read in place so far, with no code run: the list holds the items read.
    Ref tuple = Ref::steal(PyList_AsTuple(list_));
    if (!tuple) {
        return false;
    }
    owner_ = std::move(tuple);
    list_ = nullptr;
    return true;
}

void not_a_rect(const char *name, Py_ssize_t i, PyObject *o) noexcept {
    Ref type = Ref::steal(PyType_GetName(Py_TYPE(o)));
    if (type) {
        PyErr_Format(PyExc_TypeError, "%s[%zd] must be a Rect, not %U", name, i, type.get());
    }
}

bool Rects::check(const char *name, Py_ssize_t from) const {
    PyObject *const *all = items();
    for (Py_ssize_t i = from; i < size_; ++i) {
        if (!is_rect(all[i])) {
            not_a_rect(name, i, all[i]);
            return false;
        }
    }
    return true;
}

bool read_bounds(PyObject *rect, Bounds *out) noexcept {
    if (!g_state.vector2_record) {
        return false;
    }
#ifdef Py_GIL_DISABLED
    Fields f = fields_of(rect);
    if (!exact_vector2(f.position.get()) || !exact_vector2(f.size.get())) {
        return false;
    }
    *out = bounds_from(f.position.get(), f.size.get());
#else
    // With the lock held and no Python code run before the records are read, the fields
    // keep their vectors alive: no references needed.
    auto *r = reinterpret_cast<RectObject *>(rect);
    if (!exact_vector2(r->position) || !exact_vector2(r->size)) {
        return false;
    }
    *out = bounds_from(r->position, r->size);
#endif
    return true;
}

bool point_values(PyObject *point, double xy[2]) noexcept {
    if (is_vector2(point)) {
        return attr_double(point, "x", &xy[0]) && attr_double(point, "y", &xy[1]);
    }
    int ok = sized(point, 2);
    if (ok < 0) {
        return false;
    }
    if (ok) {
        return item_double(point, 0, &xy[0]) && item_double(point, 1, &xy[1]);
    }
    PyErr_SetString(PyExc_ValueError, kPointMessage);
    return false;
}

bool rect_values(PyObject *other, double v[4]) noexcept {
    if (is_rect(other)) {
        Fields f = fields_of(other);
        return attr_double(f.position.get(), "x", &v[0]) &&
               attr_double(f.position.get(), "y", &v[1]) &&
               attr_double(f.size.get(), "x", &v[2]) && attr_double(f.size.get(), "y", &v[3]);
    }
    if (is_vector4(other)) {
        return attr_double(other, "x", &v[0]) && attr_double(other, "y", &v[1]) &&
               attr_double(other, "z", &v[2]) && attr_double(other, "w", &v[3]);
    }
    int ok = sized(other, 4);
    if (ok < 0) {
        return false;
    }
    if (ok) {
        for (Py_ssize_t i = 0; i < 4; ++i) {
            if (!item_double(other, i, &v[i])) {
                return false;
            }
        }
        return true;
    }
    PyErr_SetString(PyExc_ValueError, kRectMessage);
    return false;
}

void note_rect(const char *name, Py_ssize_t i) noexcept {
    add_note(Ref::steal(PyUnicode_FromFormat("while testing %s[%zd]", name, i)));
}

void note_pair(const char *first, Py_ssize_t i, const char *second, Py_ssize_t j) noexcept {
    add_note(Ref::steal(
        PyUnicode_FromFormat("while testing %s[%zd] against %s[%zd]", first, i, second, j)));
}

}  // namespace tessel::collide
