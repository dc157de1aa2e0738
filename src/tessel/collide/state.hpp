// The module's process-wide state: the types it works with and the Rect method table,
// imported once at start-up and kept for the life of the process.
#ifndef TESSEL_COLLIDE_STATE_HPP
#define TESSEL_COLLIDE_STATE_HPP

#include <Python.h>

#include "common/types.hpp"
#include "tessel/rect.h"

namespace tessel::collide {

struct State {
    PackageTypes types{"tessel.collide.collide"};
    RectVTable *rect_vtab = nullptr;    // types.rect_table(), at hand
    PyObject *position_name = nullptr;  // "position", interned
};

extern State g_state;

inline bool is_rect(PyObject *o) noexcept { return tessel::is_rect(g_state.types, o); }

}  // namespace tessel::collide

#endif
