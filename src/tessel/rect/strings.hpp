// The module's string constants: every name it looks up or stores, made once at start-up,
// interned, with their hashes computed in advance.
#ifndef TESSEL_RECT_STRINGS_HPP
#define TESSEL_RECT_STRINGS_HPP

#include <Python.h>

#include "names.hpp"

// S(id, text). The texts are kept as plain literals and made into strings one by one at
// start-up: a compressed blob unpacked then would give the very same constants. The
// method names follow, from TESSEL_RECT_METHODS; x, y, z, w come first (vectors.hpp).
#define TESSEL_RECT_STRINGS(S)                                                                     \
    S(x, "x")                                                                                      \
    S(y, "y")                                                                                      \
    S(z, "z")                                                                                      \
    S(w, "w")                                                                                      \
    S(position, "position")                                                                        \
    S(size, "size")                                                                                \
    S(point, "point")                                                                              \
    S(other, "other")                                                                              \
    S(pyx_type, "__pyx_type")                                                                      \
    S(pyx_checksum, "__pyx_checksum")                                                              \
    S(pyx_state, "__pyx_state")                                                                    \
    S(new_, "__new__")                                                                             \
    S(reduce, "__reduce__")                                                                        \
    S(setstate, "__setstate__")                                                                    \
    S(reduce_ex, "__reduce_ex__")                                                                  \
    S(getstate, "__getstate__")                                                                    \
    S(pyx_vtable, "__pyx_vtable__")                                                                \
    S(pyx_unpickle_Rect, "__pyx_unpickle_Rect")                                                    \
    S(test, "__test__")                                                                            \
    S(name, "__name__")                                                                            \
    S(main, "__main__")                                                                            \
    S(module_name, "tessel.rect.rect")                                                             \
    S(pickle, "pickle")                                                                            \
    S(PickleError, "PickleError")                                                                  \
    S(index_out_of_range, "Rect index out of range")                                               \
    S(repr_open, "Rect(position=")                                                                 \
    S(repr_middle, ", size=")                                                                      \
    S(repr_close, ")")                                                                             \
    S(empty, "")

namespace tessel::rect {

// clang-format off
enum class Str : int {
#define TESSEL_RECT_STRING_ID(id, ...) id,
    TESSEL_RECT_STRINGS(TESSEL_RECT_STRING_ID)
    TESSEL_RECT_METHODS(TESSEL_RECT_STRING_ID)
#undef TESSEL_RECT_STRING_ID
    count_
};
// clang-format on

inline constexpr int kStringCount = static_cast<int>(Str::count_);

// Makes every constant; false with an exception set on failure.
bool make_strings();

// A constant (borrowed; valid once make_strings() succeeded).
PyObject *str(Str s) noexcept;

// The UTF-8 text of a constant, for C formats.
const char *text(Str s) noexcept;

}  // namespace tessel::rect

#endif
