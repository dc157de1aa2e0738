// The working memory of a pairs call: the engine's (the boxes read, the pairs found, the
// kernels' memory) and the ints of the result's tuples, kept from one call to the next by
// the engine's pool (engine/pool.hpp).
#ifndef TESSEL_COLLIDE_WORKSPACE_HPP
#define TESSEL_COLLIDE_WORKSPACE_HPP

#include <Python.h>

#include <cstddef>
#include <vector>

#include "engine/pair_kernels.hpp"
#include "engine/pool.hpp"

namespace tessel::collide {

using engine::Box;
using engine::Pair;

// The ints 0, 1, 2, ... as Python objects, made on first need and kept: the same numbers
// every call. Holds references, so it lives only where the interpreter's lock is held (or
// the thread attached, without it).
class Ints {
  public:
    Ints() = default;
    Ints(const Ints &) = delete;
    Ints &operator=(const Ints &) = delete;
    ~Ints() { release(); }

    // Room for 0 .. n-1; false with MemoryError set.
    bool reserve(size_t n) noexcept;
    // A borrowed reference to the int i < n, or nullptr with an exception set.
    PyObject *of(uint32_t i) noexcept {
        PyObject *&o = of_[i];
        return o != nullptr ? o : (o = PyLong_FromUnsignedLong(i));
    }
    // Starts loading the int i into the cache, if it is made: its count is about to change.
    void prefetch(uint32_t i) const noexcept {
        if (PyObject *o = of_[i]) {
            __builtin_prefetch(o, 1);
        }
    }
    size_t bytes() const noexcept;
    void release() noexcept;

  private:
    std::vector<PyObject *> of_;
};

struct Workspace {
    std::vector<Box> boxes;   // the rects read
    std::vector<Pair> pairs;  // the pairs found
    Ints ints;                // for the result's tuples
    engine::KernelMemory kernels;

    size_t bytes() const noexcept;
    // Gives back the largest parts until at most `limit` bytes are left.
    void trim(size_t limit) noexcept;
    void clear() noexcept {
        boxes.clear();
        pairs.clear();
    }
};

using Lease = engine::Lease<Workspace>;

}  // namespace tessel::collide

#endif
