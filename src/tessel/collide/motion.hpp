// What the module's sweep() and the index's sweep() and slide() share: the moving rect read
// from a call's arguments, and the Hit of a contact.
#ifndef TESSEL_COLLIDE_MOTION_HPP
#define TESSEL_COLLIDE_MOTION_HPP

#include <Python.h>

#include "common/ref.hpp"
#include "engine/sweep_box.hpp"

namespace tessel::collide {

// The rect `moving` (any form Rect.collide_rect takes, read as it reads it), then the offset
// (offsets.hpp), as the path of `function`'s query. False with an exception set.
bool read_mover(const char *function, PyObject *moving, PyObject *offset,
                engine::Mover &out) noexcept;

// A new Hit of `value` at the contact: t is s, point the moving rect's position there.
PyObject *hit_of(Ref value, const engine::Mover &m, const engine::Contact &c) noexcept;

}  // namespace tessel::collide

#endif
