// The Python-level methods of Rect: function objects of the module's own type, installed
// in the class dictionary at start-up. Each checks its arguments, runs its operation and
// adds its traceback frame when the operation fails.
#ifndef TESSEL_RECT_METHODS_HPP
#define TESSEL_RECT_METHODS_HPP

#include <Python.h>

#include "args.hpp"
#include "frames.hpp"
#include "names.hpp"
#include "state.hpp"

namespace tessel::rect {

struct MethodSpec {
    Str name;
    Frame frame;
    int nparams;
    Param params[kMaxParams];
    // Runs the method on checked arguments; a new reference, or nullptr with an exception.
    PyObject *(*call)(RectObject *self, PyObject *const *args);
};

// Readies the function type; false with an exception set.
bool method_type_ready();

// A new method object for `spec`, with __qualname__ "Rect.<name>"; nullptr on failure.
PyObject *new_method(const MethodSpec *spec);

// Whether `o` is a method object made for `spec`.
bool is_method_for(PyObject *o, const MethodSpec &spec);

// The methods in their order of installation (TESSEL_RECT_METHODS), and the two pickling
// hooks.
extern const MethodSpec kMethods[kMethodCount];
extern const MethodSpec kReduceMethod;
extern const MethodSpec kSetstateMethod;

}  // namespace tessel::rect

#endif
