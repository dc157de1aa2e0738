// Every operation of Rect, by the file that owns it. The method-table entries keep the
// signatures of the public table in tessel/rect.h.
#ifndef TESSEL_RECT_OPERATIONS_HPP
#define TESSEL_RECT_OPERATIONS_HPP

#include <Python.h>

#include <cstddef>
#include <type_traits>

#include "names.hpp"
#include "tessel/rect.h"

namespace tessel::rect {

// object.cpp: creation, the factory entry.
PyObject *rect_tp_new(PyTypeObject *type, PyObject *args, PyObject *kwds);
PyObject *rect_new(PyObject *position, PyObject *size);

// construct.cpp: __init__.
int rect_init(PyObject *self, PyObject *args, PyObject *kwds);

// The method-table entries, each with the signature of its member of RectVTable:
// geometry.cpp (get_width, get_height), collide.cpp (collide_point*, collide_rect*),
// convert.cpp (get_vector4, get_tuple).
#define TESSEL_RECT_DECLARE_ENTRY(name, ...) std::remove_pointer_t<decltype(RectVTable::name)> name;
TESSEL_RECT_METHODS(TESSEL_RECT_DECLARE_ENTRY)
#undef TESSEL_RECT_DECLARE_ENTRY

// The public table holds `new` and then exactly the listed methods, in the list's order.
#define TESSEL_RECT_CHECK_ENTRY(name, ...)                                                         \
    static_assert(offsetof(RectVTable, name) ==                                                    \
                      sizeof(void (*)()) * (1 + static_cast<int>(Method::name)),                   \
                  "RectVTable and TESSEL_RECT_METHODS list " #name " at different places");
TESSEL_RECT_METHODS(TESSEL_RECT_CHECK_ENTRY)
#undef TESSEL_RECT_CHECK_ENTRY
static_assert(sizeof(RectVTable) == sizeof(void (*)()) * (1 + kMethodCount),
              "RectVTable has an entry TESSEL_RECT_METHODS does not list");

// geometry.cpp: the properties.
extern PyGetSetDef kRectProperties[];

// sequence.cpp: length, indexing.
extern PySequenceMethods kRectSequence;
extern PyMappingMethods kRectMapping;

// convert.cpp: equality, text form.
PyObject *rect_repr(PyObject *self);
PyObject *rect_richcompare(PyObject *self, PyObject *other, int op);

// pickle.cpp: the pickling hooks' operations and the module's unpickling function. Every
// reduce value carries this checksum (92479533), which the unpickler verifies; stored
// pickles hold it (docs/contract.md).
inline constexpr long long kPickleChecksum = 0x583202d;
PyObject *rect_reduce(RectObject *self);
PyObject *rect_setstate(RectObject *self, PyObject *state);
PyObject *new_unpickle_function();

}  // namespace tessel::rect

#endif
