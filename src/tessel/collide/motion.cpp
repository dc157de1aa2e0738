// A moving rect against many rects: sweep(), the contact of least s by the rule of
// engine/sweep_box.hpp on each rect's box.
//
// The module's reading rules, as raycast() reads (lines.cpp): every item must be a Rect (a
// single Rect is refused); the moving rect, read as Rect.collide_rect reads its argument,
// then the offset (offsets.hpp), each once, before the first rect and not at all for no
// rects; then each rect's four values, from its exact vectors' records where it has them,
// else through its attribute access, an error noted `while reading rects[i]`.
#include <Python.h>

#include "common/arguments.hpp"
#include "common/call.hpp"
#include "common/notes.hpp"
#include "engine/sweep_box.hpp"
#include "functions.hpp"
#include "hit.hpp"
#include "motion.hpp"
#include "offsets.hpp"
#include "read.hpp"

namespace tessel::collide {

PyObject *hit_of(Ref value, const engine::Mover &m, const engine::Contact &c) noexcept {
    double point[2], normal[2];
    engine::position_at(m, c, point);
    engine::normal_of(m, c, normal);
    return new_hit(std::move(value), engine::s_of(m, c), point, normal);
}

bool read_mover(const char *function, PyObject *moving, PyObject *offset,
                engine::Mover &out) noexcept {
    Row row;
    double d[2];
    if (!read_row(moving, &row) || !read_offset(function, offset, d)) {
        return false;
    }
    out = engine::mover_of(row.x, row.y, row.w, row.h, d[0], d[1]);
    return true;
}

namespace {

constexpr Signature kSweep{"sweep", 3, 3};

}  // namespace

PyObject *sweep(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    if (!require_ready(g_state.types) || !match(kSweep, args, nargs)) {
        return nullptr;
    }
    Rects rects;
    engine::Mover m;
    int open =
        open_around(rects, args[0], [&] { return read_mover("sweep", args[1], args[2], m); });
    if (open <= 0 || !rects.check("rects")) {
        return open == 0 ? Py_NewRef(Py_None) : nullptr;
    }
    Py_ssize_t best = -1;
    engine::Contact found{};
    // Rects come in order: a later one replaces the best only when strictly earlier.
    bool read = each_box(rects, [&](Py_ssize_t i, const Bounds &box) {
        engine::Contact c;
        if (engine::contact(m, box, c) && (best < 0 || engine::compare(m, c, found) < 0)) {
            best = i, found = c;
        }
    });
    if (!read) {
        return nullptr;
    }
    if (best < 0) {
        return Py_NewRef(Py_None);
    }
    Ref index = Ref::steal(PyLong_FromSsize_t(best));
    return index ? hit_of(std::move(index), m, found) : nullptr;
}

}  // namespace tessel::collide
