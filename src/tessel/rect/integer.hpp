// Integer conversion for indices and checksums: ints are read directly (a subclass's
// conversion methods are not called), any other type through its __int__ slot, so a float
// is truncated toward zero. The index protocol is not consulted.
#ifndef TESSEL_RECT_INTEGER_HPP
#define TESSEL_RECT_INTEGER_HPP

#include <Python.h>

namespace tessel::rect {

// To a signed 64-bit integer; false with an exception set on failure.
bool to_int64(PyObject *o, long long *out) noexcept;

// To a signed 32-bit integer: OverflowError "value too large to convert to int" outside it.
bool to_int32(PyObject *o, int *out) noexcept;

}  // namespace tessel::rect

#endif
