// The module's process-wide state: the types it works with and the Rect method table,
// imported once at start-up and kept for the life of the process.
#ifndef TESSEL_COLLIDE_STATE_HPP
#define TESSEL_COLLIDE_STATE_HPP

#include <Python.h>

#include "tessel/rect.h"

namespace tessel::collide {

struct State {
    PyTypeObject *rect_type = nullptr;
    RectVTable *rect_vtab = nullptr;
    PyTypeObject *vector2_type = nullptr;
    PyTypeObject *vector4_type = nullptr;
    // Whether an exact Vector2's attribute access x and y is its descriptor over the
    // record, so that reading the record gives the very same value.
    bool vector2_record = false;
};

extern State g_state;

inline bool is_rect(PyObject *o) noexcept { return PyObject_TypeCheck(o, g_state.rect_type); }
inline bool is_vector2(PyObject *o) noexcept { return PyObject_TypeCheck(o, g_state.vector2_type); }
inline bool is_vector4(PyObject *o) noexcept { return PyObject_TypeCheck(o, g_state.vector4_type); }

}  // namespace tessel::collide

#endif
