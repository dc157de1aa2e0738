// The memory a kept buffer holds, and giving it back.
#ifndef TESSEL_COLLIDE_HELD_HPP
#define TESSEL_COLLIDE_HELD_HPP

#include <cstddef>
#include <vector>

namespace tessel::collide {

template <class T> size_t held(const std::vector<T> &v) noexcept {
    return v.capacity() * sizeof(T);
}

template <class T> void drop(std::vector<T> &v) noexcept { std::vector<T>().swap(v); }

}  // namespace tessel::collide

#endif
