// Traceback frames: a failing operation adds one frame named after its dotted path, so a
// Python traceback shows which Rect operation failed.
#ifndef TESSEL_RECT_FRAMES_HPP
#define TESSEL_RECT_FRAMES_HPP

#include "common/ref.hpp"
#include "names.hpp"

// The frames of the slots, the pickling hooks and the module's unpickling function:
// F(id, name, source file). The methods and properties add theirs from their lists.
#define TESSEL_RECT_FRAMES(F)                                                                      \
    F(init_module, "init tessel.rect.rect", kSourceFile)                                           \
    F(new_, "tessel.rect.rect.Rect.new", kSourceFile)                                              \
    F(init, "tessel.rect.rect.Rect.__init__", kSourceFile)                                         \
    F(repr, "tessel.rect.rect.Rect.__repr__", kSourceFile)                                         \
    F(eq, "tessel.rect.rect.Rect.__eq__", kSourceFile)                                             \
    F(getitem, "tessel.rect.rect.Rect.__getitem__", kSourceFile)                                   \
    F(setitem, "tessel.rect.rect.Rect.__setitem__", kSourceFile)                                   \
    F(reduce, "tessel.rect.rect.Rect.__reduce__", kPickleSourceFile)                               \
    F(setstate, "tessel.rect.rect.Rect.__setstate__", kPickleSourceFile)                           \
    F(unpickle, "tessel.rect.rect.__pyx_unpickle_Rect", kPickleSourceFile)                         \
    F(unpickle_set_state, "tessel.rect.rect.__pyx_unpickle_Rect__set_state", kPickleSourceFile)

namespace tessel::rect {

// One per operation: the frames above, then a method's (named for it), then a property's
// getter and setter (name_get, name_set).
// clang-format off
enum class Frame : int {
#define TESSEL_RECT_FRAME_ID(id, ...) id,
#define TESSEL_RECT_PROPERTY_FRAME_IDS(name, ...) name##_get, name##_set,
    TESSEL_RECT_FRAMES(TESSEL_RECT_FRAME_ID)
    TESSEL_RECT_METHODS(TESSEL_RECT_FRAME_ID)
    TESSEL_RECT_PROPERTIES(TESSEL_RECT_PROPERTY_FRAME_IDS)
#undef TESSEL_RECT_FRAME_ID
#undef TESSEL_RECT_PROPERTY_FRAME_IDS
    count_
};
// clang-format on

// Adds the frame to the traceback of the exception being raised (one must be set).
// Never fails: if the frame cannot be made, the exception goes on without it.
void add_frame(Frame f) noexcept;

// The one frame pattern: a slot or method-table entry runs its operation (which adds no
// frame) and hands the result to one of these, which add the entry's frame on failure and
// give the result in the slot's own convention.

// An object result: the new reference, or nullptr with the frame added.
inline PyObject *framed(Frame f, Ref result) noexcept {
    if (!result) {
        add_frame(f);
    }
    return result.release();
}

// A status result (setters, __init__, item assignment): 0, or -1 with the frame added.
inline int framed_status(Frame f, bool ok) noexcept {
    if (!ok) {
        add_frame(f);
        return -1;
    }
    return 0;
}

// A truth result of the method table: 1 or 0; 0 with an exception and the frame on failure.
inline int framed_truth(Frame f, bool ok, bool value) noexcept {
    if (!ok) {
        add_frame(f);
        return 0;
    }
    return value;
}

// Sets up what frames need (the module's namespace as their globals). Idempotent.
void frames_ready() noexcept;

}  // namespace tessel::rect

#endif
