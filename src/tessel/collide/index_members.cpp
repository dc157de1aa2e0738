// Looking into an index: its members in the order added (iteration over (rect, value),
// values(), rects()), in the order of the rows of `boxes`, and whether a rect is one of them.
//
// Each is made from one state of the index, in its section, as the queries make their lists:
// the lists and tuples are new objects holding new references, and no code runs meanwhile.
// Iteration goes over such a list, made when iter() is called: a snapshot, so that the loop
// body may add, remove, clear or refresh as it likes (`for r, v in index: index.remove(r)`
// visits every member once), and sees no change made after iter().
#include <Python.h>

#include "index.hpp"

namespace tessel::collide {
namespace {

// A list of `pick(member)` for the members not removed, in order, made in the section; null
// with an exception set. A list that a failure leaves half made is released after it.
PyObject *listed(PyObject *self, PyObject *(*pick)(const Member &)) {
    Ref list;
    bool made = with_state(self, false, [&](IndexState &st) {
        list = Ref::steal(PyList_New(static_cast<Py_ssize_t>(st.live)));
        if (!list) {
            return false;
        }
        Py_ssize_t k = 0;
        for (const Member &m : st.members) {
            if (m.rect == nullptr) {
                continue;
            }
            PyObject *item = pick(m);
            if (item == nullptr) {
                return false;
            }
            PyList_SET_ITEM(list.get(), k++, item);
        }
        return true;
    });
    return made ? list.release() : nullptr;
}

}  // namespace

PyObject *index_iter(PyObject *self) {
    Ref pairs =
        Ref::steal(listed(self, [](const Member &m) { return PyTuple_Pack(2, m.rect, m.value); }));
    return pairs ? PyObject_GetIter(pairs.get()) : nullptr;
}

int index_contains(PyObject *self, PyObject *rect) {
    return with_state(self, -1, [&](IndexState &st) { return st.counts.contains(rect) ? 1 : 0; });
}

PyObject *index_values(PyObject *self, PyObject *) {
    return listed(self, [](const Member &m) { return Py_NewRef(m.value); });
}

PyObject *index_rects(PyObject *self, PyObject *) {
    return listed(self, [](const Member &m) { return Py_NewRef(m.rect); });
}

}  // namespace tessel::collide
