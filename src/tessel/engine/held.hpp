// The memory a kept buffer holds, and giving it back: of a vector, or of any part of working
// memory with bytes() and release().
#ifndef TESSEL_ENGINE_HELD_HPP
#define TESSEL_ENGINE_HELD_HPP

#include <cstddef>
#include <vector>

namespace tessel::engine {

template <class T> size_t held(const std::vector<T> &v) noexcept {
    return v.capacity() * sizeof(T);
}

template <class T> void drop(std::vector<T> &v) noexcept { std::vector<T>().swap(v); }

template <class T>
requires requires(const T &t) { t.bytes(); }
size_t held(const T &part) noexcept { return part.bytes(); }

template <class T>
requires requires(T &t) { t.release(); }
void drop(T &part) noexcept { part.release(); }

// Gives back the largest of `parts` (the first of equals) until they hold at most `limit`
// bytes together, so that as much as possible of the rest is kept.
template <class... Parts> void trim_largest(size_t limit, Parts &...parts) noexcept {
    constexpr size_t kParts = sizeof...(Parts);
    for (size_t total = (held(parts) + ... + 0); total > limit;) {
        size_t bytes[kParts] = {held(parts)...};
        size_t largest = 0;
        for (size_t k = 1; k < kParts; ++k) {
            largest = bytes[k] > bytes[largest] ? k : largest;
        }
        total -= bytes[largest];
        size_t k = 0;
        ((k++ == largest ? drop(parts) : void()), ...);
    }
}

}  // namespace tessel::engine

#endif
