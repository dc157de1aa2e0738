// The in-place forms: each takes the arguments of the function it mirrors (functions.cpp),
// reads them alike, in the same order, with the same errors, applies the same rule
// (box.hpp), and writes the values of the rect that function would make into the rect's own
// position and size, so that every rect sharing those vectors changes too. Nothing is
// written until every argument has been read: a call that fails reading changes nothing.
#include "common/arguments.hpp"
#include "common/fields.hpp"
#include "common/records.hpp"
#include "common/ref.hpp"
#include "functions.hpp"

namespace tessel::geometry {
namespace {

constexpr Signature kMoveIp{"move_ip", 2, 2};
constexpr Signature kInflateIp{"inflate_ip", 3, 3};
constexpr Signature kScaleByIp{"scale_by_ip", Messages::own, 2, kScaleByParameters};
constexpr Signature kClampIp{"clamp_ip", 2, 2};
constexpr Signature kUnionIp{"union_ip", 2, 2};
constexpr Signature kNormalizeIp{"normalize_ip", 1, 1};

// The rect to change must be a Rect: TypeError "move_ip() argument 1 must be
// tessel.rect.rect.Rect, not tuple" otherwise (types named as the collide module names them).
bool require_rect(const Signature &s, PyObject *o) noexcept {
    if (is_rect(g_types, o)) {
        return true;
    }
    PyErr_Format(PyExc_TypeError, "%s() argument 1 must be %s, not %T", s.function, kRectName.full,
                 o);
    return false;
}

// The count checked, the rect to change checked and read, as the mirrored function reads it.
bool read_target(const Signature &s, PyObject *const *args, Py_ssize_t nargs, Box *b) noexcept {
    return arguments(s, args, nargs) && require_rect(s, args[0]) && read_box(args[0], b);
}

bool exact_vector2(PyObject *o) noexcept {
    return Py_IS_TYPE(o, g_types.vector2.type) && record_stands_for_components(g_types.vector2, 2);
}

// (x, y) into a vector: in its record when it is an exact Vector2, else by its attribute
// access, x then y, as `v.x = x; v.y = y` would. False with an exception set.
bool write_vector(PyObject *v, float x, float y) noexcept {
    if (exact_vector2(v)) {
        store_record(v, x, y);
        return true;
    }
    Ref vx = Ref::steal(PyFloat_FromDouble(x));
    if (!vx || !write_component(g_types, v, Component::x, vx.get())) {
        return false;
    }
    Ref vy = Ref::steal(PyFloat_FromDouble(y));
    return vy && write_component(g_types, v, Component::y, vy.get());
}

// Writes b into the rect's vectors, position (x, y) then size (w, h), each value narrowed as
// a new vector narrows it (round to nearest, beyond the range an infinity), so the rect reads
// as the mirrored function's new rect. A position that is the size ends holding (w, h), the
// last written. None, or null with an exception set.
PyObject *write(PyObject *rect, const Box &b) noexcept {
    const float v[4] = {static_cast<float>(b.x.start), static_cast<float>(b.y.start),
                        static_cast<float>(b.x.length), static_cast<float>(b.y.length)};
    auto *r = reinterpret_cast<RectObject *>(rect);
    // Two exact vectors: written in the rect's section, where neither can be replaced, and
    // with no code run.
    if (with_fields(r, [&v](PyObject *position, PyObject *size) {
            if (!exact_vector2(position) || !exact_vector2(size)) {
                return false;
            }
            store_record(position, v[0], v[1]);
            store_record(size, v[2], v[3]);
            return true;
        })) {
        return Py_NewRef(Py_None);
    }
    // The vectors held when writing begins, whatever code a subtype's writes run.
    Ref position = field(r, Field::position);
    Ref size = field(r, Field::size);
    return write_vector(position.get(), v[0], v[1]) && write_vector(size.get(), v[2], v[3])
               ? Py_NewRef(Py_None)
               : nullptr;
}

}  // namespace

PyObject *move_ip(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    double by[2];
    if (!read_target(kMoveIp, args, nargs, &b) ||
        !read_point(g_types, args[1], by, Accept::peers)) {
        return nullptr;
    }
    return write(args[0], {moved(b.x, by[0]), moved(b.y, by[1])});
}

PyObject *inflate_ip(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    double dw, dh;
    if (!read_target(kInflateIp, args, nargs, &b) || !to_double(args[1], &dw) ||
        !to_double(args[2], &dh)) {
        return nullptr;
    }
    return write(args[0], {inflated(b.x, dw), inflated(b.y, dh)});
}

PyObject *scale_by_ip(PyObject *, PyObject *const *args, Py_ssize_t nargs, PyObject *kwnames) {
    PyObject *got[4];
    Box b;
    return arguments(kScaleByIp, args, nargs, kwnames, got) && require_rect(kScaleByIp, got[0]) &&
                   read_box(got[0], &b) && scaled_box(got, &b)
               ? write(got[0], b)
               : nullptr;
}

PyObject *clamp_ip(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b, bounds;
    return read_target(kClampIp, args, nargs, &b) && read_box(args[1], &bounds)
               ? write(args[0], clamped(b, bounds))
               : nullptr;
}

PyObject *union_ip(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box a, b;
    return read_target(kUnionIp, args, nargs, &a) && read_box(args[1], &b)
               ? write(args[0], united(a, b))
               : nullptr;
}

PyObject *normalize_ip(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    Box b;
    return read_target(kNormalizeIp, args, nargs, &b) ? write(args[0], per_axis(b, normal))
                                                      : nullptr;
}

}  // namespace tessel::geometry
