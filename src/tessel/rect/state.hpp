// The module's process-wide state, filled by the start-up and never released: the module
// serves one interpreter per process and has no teardown.
#ifndef TESSEL_RECT_STATE_HPP
#define TESSEL_RECT_STATE_HPP

#include <Python.h>

#include <cstdint>

#include "common/types.hpp"
#include "tessel/rect.h"

namespace tessel::rect {

struct State {
    PyObject *module = nullptr;  // set while a start-up is running or has succeeded
    PyObject *dict = nullptr;    // the module's namespace
    PyObject *builtins = nullptr;
    PyObject *half = nullptr;      // 0.5, for every halving
    PyObject *checksum = nullptr;  // kPickleChecksum, the pickle checksum
    // Rect itself and the imported vector types with their tables, marked complete as the
    // last step of a successful start-up: the vector types and tables are only to be used
    // from then on.
    PackageTypes types{kRectName.module};
    int64_t interpreter = -1;  // the first interpreter that created the module
};

extern State g_state;

// The Rect type and its method table (object.cpp).
extern PyTypeObject RectType;
extern RectVTable g_rect_vtable;

// The readiness check. Rect is reachable before its start-up has completed (during the
// import, and for good after a failed one). Every way to put a vector into a rect passes
// here first (__init__, new, the position, size and center setters, __setstate__), so
// until then a rect's fields hold None, and every other operation fails on them before it
// could reach a vector table: those need no check. A type test against a vector type not
// yet recorded is false, so the general collision forms check only where they refuse.
// True once started; otherwise raises the ImportError of an operation reached too early.
inline bool require_started() noexcept { return require_ready(g_state.types); }

inline bool is_rect(PyObject *o) noexcept { return PyObject_TypeCheck(o, &RectType); }
inline bool is_vector2(PyObject *o) noexcept { return tessel::is_vector2(g_state.types, o); }
inline bool is_vector4(PyObject *o) noexcept { return tessel::is_vector4(g_state.types, o); }
inline RectObject *as_rect(PyObject *o) noexcept { return reinterpret_cast<RectObject *>(o); }

}  // namespace tessel::rect

#endif
