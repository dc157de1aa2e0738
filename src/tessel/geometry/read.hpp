// The arguments, read exactly as Rect.collide_rect and Rect.collide_point read theirs
// (the same forms, the same values, the same errors), and the method tables that results
// are made with. Filled once, at start-up.
#ifndef TESSEL_GEOMETRY_READ_HPP
#define TESSEL_GEOMETRY_READ_HPP

#include <Python.h>

#include "box.hpp"
#include "tessel/rect.h"

namespace tessel::geometry {

// Imports Rect, Vector2 and Vector4 with their method tables; false with an exception set.
bool import_types() noexcept;

RectVTable *rect_api() noexcept;
Vector2VTable *vector2_api() noexcept;

// A Rect, Vector4, 4-tuple or 4-list as (x, y, w, h). False with an exception set.
bool read_rect(PyObject *o, Box *out) noexcept;

// A Vector2, 2-tuple or 2-list as (x, y). False with an exception set.
bool read_pair(PyObject *o, double xy[2]) noexcept;

}  // namespace tessel::geometry

#endif
