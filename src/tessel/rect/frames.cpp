#include "frames.hpp"

#include <Python.h>
#include <frameobject.h>

#include <array>
#include <atomic>

#include "common/ref.hpp"
#include "state.hpp"

namespace tessel::rect {
namespace {

constexpr const char *kSourceFile = "src/tessel/rect/rect";
constexpr const char *kPickleSourceFile = "<stringsource>";

struct FrameSpec {
    const char *name;
    const char *file;
};

#define TESSEL_RECT_FRAME_SPEC(id, name, file) {name, file},
#define TESSEL_RECT_METHOD_FRAME_SPEC(name, ...) {"tessel.rect.rect.Rect." #name, kSourceFile},
#define TESSEL_RECT_PROPERTY_FRAME_SPECS(name, ...)                                                \
    {"tessel.rect.rect.Rect." #name ".__get__", kSourceFile},                                      \
        {"tessel.rect.rect.Rect." #name ".__set__", kSourceFile},
// clang-format off
constexpr FrameSpec kFrames[] = {
    TESSEL_RECT_FRAMES(TESSEL_RECT_FRAME_SPEC)
    TESSEL_RECT_METHODS(TESSEL_RECT_METHOD_FRAME_SPEC)
    TESSEL_RECT_PROPERTIES(TESSEL_RECT_PROPERTY_FRAME_SPECS)
};
// clang-format on
#undef TESSEL_RECT_FRAME_SPEC
#undef TESSEL_RECT_METHOD_FRAME_SPEC
#undef TESSEL_RECT_PROPERTY_FRAME_SPECS
static_assert(std::size(kFrames) == static_cast<int>(Frame::count_), "one spec per frame");

// Code objects, made on first use and kept for the life of the process. The slot is
// claimed with a compare-and-swap so that two threads racing here leave one owner.
std::array<std::atomic<PyObject *>, static_cast<int>(Frame::count_)> g_code{};

// The globals of every frame: the module's namespace (a reference of our own, so a failed
// start-up that drops its module leaves frames something valid to point at).
PyObject *g_globals = nullptr;

PyCodeObject *code_for(Frame f) {
    auto &slot = g_code[static_cast<int>(f)];
    PyObject *code = slot.load(std::memory_order_acquire);
    if (code != nullptr) {
        return reinterpret_cast<PyCodeObject *>(code);
    }
    const FrameSpec &spec = kFrames[static_cast<int>(f)];
    Ref made = Ref::steal(reinterpret_cast<PyObject *>(PyCode_NewEmpty(spec.file, spec.name, 1)));
    if (!made) {
        return nullptr;
    }
    if (!slot.compare_exchange_strong(code, made.get(), std::memory_order_acq_rel)) {
        return reinterpret_cast<PyCodeObject *>(code);  // the other thread's; ours is dropped
    }
    return reinterpret_cast<PyCodeObject *>(made.release());
}

}  // namespace

void frames_ready() noexcept {
    if (g_state.dict != nullptr && g_state.dict != g_globals) {
        Py_XSETREF(g_globals, Py_NewRef(g_state.dict));
    }
}

void add_frame(Frame f) noexcept {
    PyObject *globals = g_globals;
    // Building the frame must not run with the exception pending; it is put back after.
    PyObject *exc = PyErr_GetRaisedException();
    if (exc == nullptr) {
        return;  // nothing is being raised: there is no traceback to extend
    }
    PyCodeObject *code = code_for(f);
    Ref frame;
    if (code != nullptr && globals != nullptr) {
        frame = Ref::steal(
            reinterpret_cast<PyObject *>(PyFrame_New(PyThreadState_Get(), code, globals, nullptr)));
    }
    PyErr_Clear();  // a frame that cannot be made is left out, never reported instead
    PyErr_SetRaisedException(exc);
    if (frame) {
        PyTraceBack_Here(reinterpret_cast<PyFrameObject *>(frame.get()));
    }
}

}  // namespace tessel::rect
