// The module's process-wide state, filled by the start-up and never released: the module
// serves one interpreter per process and has no teardown.
#ifndef TESSEL_RECT_STATE_HPP
#define TESSEL_RECT_STATE_HPP

#include <Python.h>

#include <atomic>
#include <cstdint>

#include "tessel/rect.h"

namespace tessel::rect {

// The component descriptors (x, y, z, w) of an exact vector type, found once at start-up.
// `type` is set only where calling them directly is the same as attribute access.
struct Components {
    PyTypeObject *type = nullptr;
    PyGetSetDef *defs[4] = {};
};

struct State {
    PyObject *module = nullptr;  // set while a start-up is running or has succeeded
    PyObject *dict = nullptr;    // the module's namespace
    PyObject *builtins = nullptr;
    PyObject *half = nullptr;      // 0.5, for every halving
    PyObject *checksum = nullptr;  // the pickle checksum 92479533
    PyTypeObject *vector2_type = nullptr;
    Vector2VTable *vector2_vtab = nullptr;
    PyTypeObject *vector4_type = nullptr;
    Vector4VTable *vector4_vtab = nullptr;
    Components vector2_components;
    Components vector4_components;
    int64_t interpreter = -1;  // the first interpreter that created the module
    // Set once, as the last step of a successful start-up, and never cleared: the vector
    // types and their tables above are only to be used from then on.
    std::atomic<bool> started{false};
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
inline bool started() noexcept { return g_state.started.load(std::memory_order_acquire); }
// Raises the ImportError of an operation reached too early and returns false (module.cpp).
bool raise_not_started() noexcept;
inline bool require_started() noexcept { return started() || raise_not_started(); }

inline bool is_rect(PyObject *o) noexcept { return PyObject_TypeCheck(o, &RectType); }
inline bool is_vector2(PyObject *o) noexcept { return PyObject_TypeCheck(o, g_state.vector2_type); }
inline bool is_vector4(PyObject *o) noexcept { return PyObject_TypeCheck(o, g_state.vector4_type); }
inline RectObject *as_rect(PyObject *o) noexcept { return reinterpret_cast<RectObject *>(o); }

}  // namespace tessel::rect

#endif
