// Reading what the module's functions and the Index are given: the rects of a call (any
// iterable of Rect), a rect's values (common/arguments.hpp), and the notes that name the
// rect an error came from.
#ifndef TESSEL_COLLIDE_READ_HPP
#define TESSEL_COLLIDE_READ_HPP

#include <Python.h>

#include "common/notes.hpp"
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

// Opens the rects of a call, `seq`, around the reading of its other arguments, in the order
// of a loop over the methods: an exact list or tuple after `read_arguments()` (which can run
// no code of the rects'), any other iterable before it; when the arguments fail, a non-Rect
// item is reported instead of their error; for no rects they are not read at all. 1 when
// the rects are open and the arguments read, 0 for no rects, -1 with an exception set.
template <class Read> int open_around(Rects &rects, PyObject *seq, Read read_arguments) {
    bool in_place = PyList_CheckExact(seq) || PyTuple_CheckExact(seq);
    if (!in_place && !rects.open(seq)) {
        return -1;
    }
    if ((in_place ? Py_SIZE(seq) : rects.size()) == 0) {
        return 0;
    }
    if (!read_arguments()) {
        PyObject *error = PyErr_GetRaisedException();
        if ((in_place && !rects.open(seq)) || !rects.check("rects")) {
            Py_DECREF(error);
            return -1;
        }
        PyErr_SetRaisedException(error);
        return -1;
    }
    return in_place && !rects.open(seq) ? -1 : 1;
}

// Calls box(i, bounds) for each of the open rects, all of them Rect, in order: read from
// their records where they can be, else through attribute access, from which on code may
// run (the items are held first). False with an exception set, noted with the rect's place.
template <class Box> bool each_box(Rects &rects, Box box) {
    bool held = false;
    for (Py_ssize_t i = 0; i < rects.size(); ++i) {
        Row row;
        if (!read_record(rects[i], &row)) {
            if (!held && !rects.hold()) {
                return false;
            }
            held = true;
            if (!read_row(rects[i], &row)) {
                add_note("while reading rects[%zd]", i);
                return false;
            }
        }
        box(i, engine::bounds_of(row));
    }
    return true;
}

// The truth of a method-table entry's answer: 1, 0, or -1 with the exception set.
inline int entry_result(int answer) noexcept { return PyErr_Occurred() ? -1 : answer; }

}  // namespace tessel::collide

#endif
