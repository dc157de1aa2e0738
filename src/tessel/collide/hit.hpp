// Hit, the record of where a segment meets a rect (value, t, point, normal): a struct
// sequence of the module, named, immutable, unpackable and picklable, made ready at the
// module's start-up; and the making of one from what the engine found (engine/segment.hpp).
#ifndef TESSEL_COLLIDE_HIT_HPP
#define TESSEL_COLLIDE_HIT_HPP

#include <Python.h>

#include "common/ref.hpp"
#include "engine/segment.hpp"

namespace tessel::collide {

extern PyTypeObject HitType;

// Readies the type (once for the process) and adds it to the module. False with an
// exception set.
bool add_hit_type(PyObject *module) noexcept;

// A new Hit of `value` where `segment` meets `box` at `side`; null with an exception set.
PyObject *new_hit(Ref value, const engine::Segment &segment, const engine::Bounds &box,
                  const engine::Side &side) noexcept;

// A new Hit of its four fields; `normal` one of the five normals. Null with an exception set.
PyObject *new_hit(Ref value, double t, const double point[2], const double normal[2]) noexcept;

}  // namespace tessel::collide

#endif
