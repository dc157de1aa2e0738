// The module's string constants: every name it looks up or stores, made once at start-up,
// interned, with their hashes computed in advance.
#ifndef TESSEL_RECT_STRINGS_HPP
#define TESSEL_RECT_STRINGS_HPP

#include <Python.h>

namespace tessel::rect {

// Names in the order of kStringTexts (strings.cpp).
enum class Str : int {
    x,
    y,
    z,
    w,
    position,
    size,
    point,
    other,
    pyx_type,
    pyx_checksum,
    pyx_state,
    new_,
    reduce,
    setstate,
    reduce_ex,
    getstate,
    pyx_vtable,
    pyx_unpickle_Rect,
    builtins_,
    test,
    name,
    main,
    module_name,
    pickle,
    PickleError,
    index_out_of_range,
    repr_open,
    repr_middle,
    repr_close,
    empty,
    get_width,
    get_height,
    collide_point,
    collide_point_vector2,
    collide_point_tuple,
    collide_point_list,
    collide_rect,
    collide_rect_vector4,
    collide_rect_rect,
    collide_rect_tuple,
    collide_rect_list,
    get_vector4,
    get_tuple,
    count_
};

inline constexpr int kStringCount = static_cast<int>(Str::count_);

// Makes every constant; false with an exception set on failure.
bool make_strings();

// A constant (borrowed; valid once make_strings() succeeded).
PyObject *str(Str s) noexcept;

// The UTF-8 text of a constant, for C formats.
const char *text(Str s) noexcept;

}  // namespace tessel::rect

#endif
