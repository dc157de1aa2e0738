// Reading what the module's functions and the Index are given: the rects of a call (any
// iterable of Rect), a rect's values (common/arguments.hpp), and the notes that name the
// rect an error came from.
#ifndef TESSEL_COLLIDE_READ_HPP
#define TESSEL_COLLIDE_READ_HPP

#include <Python.h>

#include "common/records.hpp"
#include "common/ref.hpp"
#include "engine/boxes.hpp"
#include "state.hpp"

namespace tessel::collide {

using engine::Bounds;
using engine::Row;

// The rects of a call: any iterable of Rect. An exact list is read in place while no
// Python code can run, that is until `hold()`, which copies it, since code run by attribute
// access may change it; without the global lock another thread may change it at any time,
// so it is copied at once. Any other iterable is read once, into a tuple.
class Rects {
  public:
    // False with an exception set (the iterable's own error, or the refusal of a single
    // Rect).
    bool open(PyObject *seq);
    Py_ssize_t size() const noexcept { return size_; }
    // Valid until hold() or code run; re-read after either.
    PyObject *const *items() const noexcept {
        return list_ != nullptr ? reinterpret_cast<PyListObject *>(list_)->ob_item
                                : &PyTuple_GET_ITEM(owner_.get(), 0);
    }
    PyObject *operator[](Py_ssize_t i) const noexcept { return items()[i]; }
    // Makes the items stable against code run from now on. False with an exception set.
    bool hold();
    // TypeError naming the first item at or after `from` that is not a Rect.
    bool check(const char *name, Py_ssize_t from = 0) const;

  private:
    Ref owner_;                 // the tuple read, or the list while read in place
    PyObject *list_ = nullptr;  // the list read in place
    Py_ssize_t size_ = 0;
};

void not_a_rect(const char *name, Py_ssize_t i, PyObject *o) noexcept;

// A Rect's values from its vectors' records, when both are exact Vector2: the values their
// attribute access gives, read once. False, with no exception set, when the rect must be
// asked through its own method (a subtype, None, or records that cannot stand for the
// attribute access).
// Inline: the refresh reads every rect so.
inline bool read_record(PyObject *rect, Row *out) noexcept {
    double v[4];
    if (!rect_record(g_state.types, reinterpret_cast<RectObject *>(rect), v)) {
        return false;
    }
    *out = {v[0], v[1], v[2], v[3]};
    return true;
}

// Any rect argument's values (a Rect, a Vector4, a tuple or list of four), as
// Rect.collide_rect reads them, or those of any other sequence or buffer of four numbers
// (common/arguments.hpp, Accept::peers): from the records where it can, else through
// attribute access, where Python code may run. False with an exception set.
bool read_row(PyObject *other, Row *out) noexcept;

// Adds a note naming the rect (or pair of rects) to the exception being raised.
void note_rect(const char *name, Py_ssize_t i) noexcept;
void note_pair(const char *first, Py_ssize_t i, const char *second, Py_ssize_t j) noexcept;

// The truth of a method-table entry's answer: 1, 0, or -1 with the exception set.
inline int entry_result(int answer) noexcept { return PyErr_Occurred() ? -1 : answer; }

}  // namespace tessel::collide

#endif
