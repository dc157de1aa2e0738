#include "strings.hpp"

#include <array>

#include "common/ref.hpp"

namespace tessel::rect {
namespace {

constexpr std::array<const char *, kStringCount> kStringTexts = {
    "x",
    "y",
    "z",
    "w",
    "position",
    "size",
    "point",
    "other",
    "__pyx_type",
    "__pyx_checksum",
    "__pyx_state",
    "__new__",
    "__reduce__",
    "__setstate__",
    "__reduce_ex__",
    "__getstate__",
    "__pyx_vtable__",
    "__pyx_unpickle_Rect",
    "__builtins__",
    "__test__",
    "__name__",
    "__main__",
    "tessel.rect.rect",
    "pickle",
    "PickleError",
    "Rect index out of range",
    "Rect(position=",
    ", size=",
    ")",
    "",
    "get_width",
    "get_height",
    "collide_point",
    "collide_point_vector2",
    "collide_point_tuple",
    "collide_point_list",
    "collide_rect",
    "collide_rect_vector4",
    "collide_rect_rect",
    "collide_rect_tuple",
    "collide_rect_list",
    "get_vector4",
    "get_tuple",
};

// Owned for the life of the process: the module has no teardown.
std::array<PyObject *, kStringCount> g_strings{};

}  // namespace

bool make_strings() {
    for (int i = 0; i < kStringCount; ++i) {
        if (g_strings[i] != nullptr) {
            continue;  // kept from an earlier, failed start-up
        }
        Ref s = Ref::steal(PyUnicode_InternFromString(kStringTexts[i]));
        if (!s || PyObject_Hash(s.get()) == -1) {
            return false;
        }
        g_strings[i] = s.release();
    }
    return true;
}

PyObject *str(Str s) noexcept { return g_strings[static_cast<int>(s)]; }

const char *text(Str s) noexcept { return kStringTexts[static_cast<int>(s)]; }

}  // namespace tessel::rect
