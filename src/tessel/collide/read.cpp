// Reading the rects of a call, and noting which one failed.
#include "read.hpp"

#include "common/arguments.hpp"
#include "common/notes.hpp"

namespace tessel::collide {

bool Rects::open(PyObject *seq) {
    if (refuse_single_rect(g_state.types, seq)) {
        return false;
    }
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

// Types are named fully qualified (builtins bare, as %T gives them), so that another
// library's Rect does not read as this one.
void not_a_rect(const char *name, Py_ssize_t i, PyObject *o) noexcept {
    PyErr_Format(PyExc_TypeError, "%s[%zd] must be %s, not %T", name, i, kRectName.full, o);
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

bool read_row(PyObject *other, Row *out) noexcept {
    double v[4];
    if (!read_rect_values(g_state.types, other, v, Accept::peers)) {
        return false;
    }
    *out = {v[0], v[1], v[2], v[3]};
    return true;
}

void note_rect(const char *name, Py_ssize_t i) noexcept {
    add_note("while testing %s[%zd]", name, i);
}

void note_pair(const char *first, Py_ssize_t i, const char *second, Py_ssize_t j) noexcept {
    add_note("while testing %s[%zd] against %s[%zd]", first, i, second, j);
}

}  // namespace tessel::collide
