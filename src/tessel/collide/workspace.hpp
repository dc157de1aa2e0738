// The working memory of a pairs call, and the pool that keeps it from one call to the next
// for the whole process: fresh pages cost more than a call's own work, while memory held by
// every thread that once made a large call would add up.
#ifndef TESSEL_COLLIDE_WORKSPACE_HPP
#define TESSEL_COLLIDE_WORKSPACE_HPP

#include <Python.h>

#include <cstddef>
#include <memory>
#include <vector>

#include "kernels.hpp"

namespace tessel::collide {

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
    KernelMemory kernels;

    size_t bytes() const noexcept;
    // Gives back the largest parts until at most `limit` bytes are left.
    void trim(size_t limit) noexcept;
};

// At most this many bytes of workspaces are kept between calls, in all threads together.
constexpr size_t kKeptBytes = size_t{64} << 20;

// A workspace for one call: one that an earlier call left, or a new one. Given back when
// the lease ends, emptied but with its memory, as far as the pool has room for it.
class Lease {
  public:
    Lease();
    ~Lease();
    Lease(const Lease &) = delete;
    Lease &operator=(const Lease &) = delete;
    Workspace &operator*() const noexcept { return *space_; }
    Workspace *operator->() const noexcept { return space_.get(); }

  private:
    std::unique_ptr<Workspace> space_;
};

// For the tests: what the pool keeps now, in bytes; and a lower limit than kKeptBytes
// (kKeptBytes again to undo), which frees what the pool keeps beyond it at once.
size_t kept_bytes() noexcept;
void keep_at_most(size_t limit) noexcept;

}  // namespace tessel::collide

#endif
