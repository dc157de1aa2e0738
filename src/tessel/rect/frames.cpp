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

constexpr std::array<FrameSpec, static_cast<int>(Frame::count_)> kFrames = {{
    {"init tessel.rect.rect", kSourceFile},
    {"tessel.rect.rect.Rect.new", kSourceFile},
    {"tessel.rect.rect.Rect.__init__", kSourceFile},
    {"tessel.rect.rect.Rect.__repr__", kSourceFile},
    {"tessel.rect.rect.Rect.__eq__", kSourceFile},
    {"tessel.rect.rect.Rect.__getitem__", kSourceFile},
    {"tessel.rect.rect.Rect.__setitem__", kSourceFile},
    {"tessel.rect.rect.Rect.get_width", kSourceFile},
    {"tessel.rect.rect.Rect.get_height", kSourceFile},
    {"tessel.rect.rect.Rect.collide_point", kSourceFile},
    {"tessel.rect.rect.Rect.collide_point_vector2", kSourceFile},
    {"tessel.rect.rect.Rect.collide_point_tuple", kSourceFile},
    {"tessel.rect.rect.Rect.collide_point_list", kSourceFile},
    {"tessel.rect.rect.Rect.collide_rect", kSourceFile},
    {"tessel.rect.rect.Rect.collide_rect_vector4", kSourceFile},
    {"tessel.rect.rect.Rect.collide_rect_rect", kSourceFile},
    {"tessel.rect.rect.Rect.collide_rect_tuple", kSourceFile},
    {"tessel.rect.rect.Rect.collide_rect_list", kSourceFile},
    {"tessel.rect.rect.Rect.get_vector4", kSourceFile},
    {"tessel.rect.rect.Rect.get_tuple", kSourceFile},
    {"tessel.rect.rect.Rect.__reduce__", kPickleSourceFile},
    {"tessel.rect.rect.Rect.__setstate__", kPickleSourceFile},
    {"tessel.rect.rect.__pyx_unpickle_Rect", kPickleSourceFile},
    {"tessel.rect.rect.__pyx_unpickle_Rect__set_state", kPickleSourceFile},
    {"tessel.rect.rect.Rect.x.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.x.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.y.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.y.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.w.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.w.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.h.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.h.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.width.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.width.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.height.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.height.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.left.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.left.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.top.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.top.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.right.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.right.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.bottom.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.bottom.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.centerx.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.centerx.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.centery.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.centery.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.center.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.center.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.position.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.position.__set__", kSourceFile},
    {"tessel.rect.rect.Rect.size.__get__", kSourceFile},
    {"tessel.rect.rect.Rect.size.__set__", kSourceFile},
}};

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
