// Reading the rects of a query (its point or rect argument: common/arguments.hpp).
#ifndef TESSEL_COLLIDE_READ_HPP
#define TESSEL_COLLIDE_READ_HPP

#include <Python.h>

#include "common/arguments.hpp"
#include "common/ref.hpp"
#include "state.hpp"
#include "sweep.hpp"

namespace tessel::collide {

// The rects of a call: any iterable of Rect. An exact list is read in place while no
// Python code can run, that is until `hold()`, which copies it, since code run by attribute
// access may change it; without the global lock another thread may change it at any time,
// so it is copied at once. Any other iterable is read once, into a tuple.
class Rects {
  public:
    // False with an exception set (the iterable's own error).
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

// A rect's four values from its vectors' records, when both are exact Vector2: the values
// their attribute access gives, read once. False when the rect must be asked through its
// own method (a subtype, None, or records that cannot stand for the attribute access).
bool read_bounds(PyObject *rect, Bounds *out) noexcept;

// Adds a note naming the rect (or pair of rects) to the exception being raised.
void note_rect(const char *name, Py_ssize_t i) noexcept;
void note_pair(const char *first, Py_ssize_t i, const char *second, Py_ssize_t j) noexcept;

// The truth of a method-table entry's answer: 1, 0, or -1 with the exception set.
inline int entry_result(int answer) noexcept { return PyErr_Occurred() ? -1 : answer; }

}  // namespace tessel::collide

#endif
