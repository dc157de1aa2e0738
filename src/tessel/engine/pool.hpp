// The working-memory pool: memory for one call at a time (a Space), kept from one call to
// the next for the whole process, since fresh pages cost more than a call's own work, while
// memory held by every thread that once made a large call would add up.
//
// A Space has bytes() (what it holds), trim(limit) (gives back parts until it holds at most
// `limit`) and clear() (forgets one call's contents, keeping the memory). Calls may run in
// several threads at once, so the pool has a lock of its own; it is held only to take or put
// back a space, never while one is used or freed.
#ifndef TESSEL_ENGINE_POOL_HPP
#define TESSEL_ENGINE_POOL_HPP

#include <algorithm>
#include <cstddef>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

namespace tessel::engine {

// At most this many bytes of spaces are kept between calls, in all threads together.
constexpr size_t kKeptBytes = size_t{64} << 20;

template <class Space> class Pool {
  public:
    // The pool of the process. Never destroyed: a thread may give a space back while the
    // process ends.
    static Pool &shared() {
        static Pool *pool = new Pool;
        return *pool;
    }

    // A space that an earlier call left, or a new one.
    std::unique_ptr<Space> take() {
        std::unique_ptr<Space> space;
        {
            std::lock_guard<std::mutex> hold(lock_);
            if (!spaces_.empty()) {
                space = std::move(spaces_.back());
                spaces_.pop_back();
                bytes_ -= space->bytes();
            }
        }
        return space ? std::move(space) : std::make_unique<Space>();
    }

    // Keeps the space, emptied but with its memory, as far as the pool has room for it.
    void give_back(std::unique_ptr<Space> space) noexcept {
        space->clear();
        size_t room;
        {
            std::lock_guard<std::mutex> hold(lock_);
            room = limit_ - std::min(bytes_, limit_);
        }
        space->trim(room);
        size_t bytes = space->bytes();
        std::lock_guard<std::mutex> hold(lock_);
        if (bytes > 0 && bytes_ + bytes <= limit_) {
            try {
                spaces_.push_back(std::move(space));
                bytes_ += bytes;
            } catch (const std::bad_alloc &) {
                // Not kept, then: freed on return.
            }
        }
    }

    // For the tests: what the pool keeps now, in bytes; and a lower limit than kKeptBytes
    // (kKeptBytes again to undo), which frees what the pool keeps beyond it at once.
    size_t kept_bytes() noexcept {
        std::lock_guard<std::mutex> hold(lock_);
        return bytes_;
    }
    void keep_at_most(size_t limit) noexcept {
        for (bool first = true;; first = false) {
            std::unique_ptr<Space> freed;  // outside the lock
            std::lock_guard<std::mutex> hold(lock_);
            if (first) {
                limit_ = std::min(limit, kKeptBytes);
            }
            if (bytes_ <= limit_) {
                return;
            }
            bytes_ -= spaces_.back()->bytes();
            freed = std::move(spaces_.back());
            spaces_.pop_back();
        }
    }

  private:
    Pool() = default;
    std::mutex lock_;
    std::vector<std::unique_ptr<Space>> spaces_;
    size_t bytes_ = 0;  // of the spaces kept, as they were when put back
    size_t limit_ = kKeptBytes;
};

// A space for one call, from the pool, given back when the lease ends.
template <class Space> class Lease {
  public:
    Lease() : space_(Pool<Space>::shared().take()) {}
    ~Lease() { Pool<Space>::shared().give_back(std::move(space_)); }
    Lease(const Lease &) = delete;
    Lease &operator=(const Lease &) = delete;
    Space &operator*() const noexcept { return *space_; }
    Space *operator->() const noexcept { return space_.get(); }

  private:
    std::unique_ptr<Space> space_;
};

}  // namespace tessel::engine

#endif
