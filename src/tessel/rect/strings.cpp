#include "strings.hpp"

#include <array>

#include "common/ref.hpp"

namespace tessel::rect {
namespace {

#define TESSEL_RECT_STRING_TEXT(id, text) text,
#define TESSEL_RECT_METHOD_TEXT(name, ...) #name,
// clang-format off
constexpr const char *kStringTexts[] = {
    TESSEL_RECT_STRINGS(TESSEL_RECT_STRING_TEXT)
    TESSEL_RECT_METHODS(TESSEL_RECT_METHOD_TEXT)
};
// clang-format on
#undef TESSEL_RECT_STRING_TEXT
#undef TESSEL_RECT_METHOD_TEXT
static_assert(std::size(kStringTexts) == kStringCount, "one text per string constant");

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
