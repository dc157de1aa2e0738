// The point and rect arguments of the package's functions, read as Rect.collide_point and
// Rect.collide_rect read theirs: the same kinds accepted, the same reads in the same order,
// the same errors; and, outside the rect module, other libraries' points and rects where
// those would be refused. A function that takes a point or a rect calls one of these once, before
// it reads anything else, and works on the doubles.
//
//   double xy[2];   read_point(types, point, xy, accept)        (x, y)
//   double v[4];    read_rect(types, other, v, accept)          (left, top, width, height)
//                   read_rect_values(types, other, v, accept)   the same, from records if it can
//
// `types` is the caller's module's PackageTypes (common/types.hpp); `accept` says whether other
// libraries' points and rects are welcome too (Accept, below). False with an exception set: the
// refusal's ValueError below, or whatever an attribute access, a length, an item access, a
// buffer or a conversion to double raised.
#ifndef TESSEL_COMMON_ARGUMENTS_HPP
#define TESSEL_COMMON_ARGUMENTS_HPP

#include <Python.h>

#include <algorithm>
#include <cstddef>

#include "common/fields.hpp"
#include "common/items.hpp"
#include "common/records.hpp"
#include "common/types.hpp"
#include "vectors/read.hpp"

namespace tessel {

inline constexpr const char *kPointMessage = "Point must be a Vector2, tuple, or list of length 2";
inline constexpr const char *kRectMessage =
    "rect for collision must be a Rect, Vector4, tuple, or list of length 4";

// Which arguments a reader takes. The methods' kinds only, for the rect module, whose methods
// the contract fixes; or, for the collide and geometry modules, those and, where the methods
// would refuse the argument, any other sequence or buffer of as many numbers, read by the
// vectors' rule (vectors/read.hpp: another library's rect or point, a numpy array, an
// array.array). The methods' kinds keep their reads and errors either way; what is neither
// keeps the methods' refusal.
enum class Accept { methods, peers };

// An argument of no accepted kind: ValueError `message`. Until the start-up has completed,
// a vector type may not be recorded yet and a vector ends up here: that is said instead.
inline bool refuse_argument(const PackageTypes &t, const char *message) noexcept {
    if (require_ready(t)) {
        PyErr_SetString(PyExc_ValueError, message);
    }
    return false;
}

// A tuple or a list (subtypes too) of n items, by its own length operation: items 0 to
// n - 1 by the general forms' reader. Else, with Accept::peers, N numbers in any other form
// the vectors take; else the refusal `message`.
template <std::size_t N>
inline bool read_items_or_refuse(const PackageTypes &t, PyObject *o, double *out,
                                 const char *message, Accept accept) noexcept {
    if (is_tuple_or_list(o)) {
        Py_ssize_t size = PyObject_Size(o);
        if (size < 0) {
            return false;
        }
        if (size == Py_ssize_t(N)) {
            return item_doubles<general_form_item>(o, 0, int(N), out);
        }
    }
    if (accept == Accept::peers) {
        // Until the start-up has completed, a vector of our own may end up here: it is
        // refused as not ready, never read as another library's.
        if (!require_ready(t)) {
            return false;
        }
        Components<N> values;
        switch (read_numbers(o, values)) {
        case Read::ok:
            std::copy(values.begin(), values.end(), out);
            return true;
        case Read::error:
            return false;
        case Read::other:
            break;
        }
    }
    return refuse_argument(t, message);
}

// A Vector2 (x then y), or a tuple or list of two items (item 0 then item 1); with
// Accept::peers, any other sequence or buffer of two numbers.
inline bool read_point(const PackageTypes &t, PyObject *point, double xy[2],
                       Accept accept) noexcept {
    // An exact tuple is no Vector2, its length is its size and its items are its storage:
    // the general path below would do the very same, with more calls.
    if (PyTuple_CheckExact(point) && PyTuple_GET_SIZE(point) == 2) {
        PyObject *const *items = tuple_items(point);
        return to_double(items[0], &xy[0]) && to_double(items[1], &xy[1]);
    }
    if (is_vector2(t, point)) {
        return component_doubles(t, point, Component::x, 2, xy);
    }
    return read_items_or_refuse<2>(t, point, xy, kPointMessage, accept);
}

// A Rect (its position's x, y, then its size's x, y), a Vector4 (x, y, z, w), or a tuple or
// list of four items (items 0 to 3); with Accept::peers, any other sequence or buffer of four
// numbers.
inline bool read_rect(const PackageTypes &t, PyObject *other, double v[4], Accept accept) noexcept {
    if (is_rect(t, other)) {
        RectObject *r = reinterpret_cast<RectObject *>(other);
        Ref position = field(r, Field::position);
        Ref size = field(r, Field::size);
        return component_doubles(t, position.get(), Component::x, 2, &v[0]) &&
               component_doubles(t, size.get(), Component::x, 2, &v[2]);
    }
    if (is_vector4(t, other)) {
        return component_doubles(t, other, Component::x, 4, v);
    }
    return read_items_or_refuse<4>(t, other, v, kRectMessage, accept);
}

// What read_rect() gives, read from the vectors' records when `other` is a Rect of two exact
// Vector2 (common/records.hpp: the very values its attribute access would give, with no
// code run), else by read_rect(). The reader of a rect's four values for every module but
// the rect module, whose methods keep the reads of their general and typed forms.
inline bool read_rect_values(const PackageTypes &t, PyObject *other, double v[4],
                             Accept accept) noexcept {
    return (is_rect(t, other) && rect_record(t, reinterpret_cast<RectObject *>(other), v)) ||
           read_rect(t, other, v, accept);
}

// A function that takes an iterable of rects calls this first: a Rect iterates as its four
// numbers, which would be reported as four items that are not rects. True, with TypeError
// set, when `rects` is a single Rect.
inline bool refuse_single_rect(const PackageTypes &t, PyObject *rects) noexcept {
    if (!is_rect(t, rects)) {
        return false;
    }
    PyErr_Format(PyExc_TypeError, "expected an iterable of %s, got a single Rect", kRectName.full);
    return true;
}

}  // namespace tessel

#endif
