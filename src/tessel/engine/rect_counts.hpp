// How many members of an index hold each rect, by identity: whether some rect is in it
// twice (collide/index_refresh.cpp moves and reads each rect in one pass only when none is), and
// whether a rect is in it at all. An open-addressing table of pointers; no Python objects
// are touched, no failures but running out of memory (std::bad_alloc).
#ifndef TESSEL_ENGINE_RECT_COUNTS_HPP
#define TESSEL_ENGINE_RECT_COUNTS_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel::engine {

class RectCounts {
  public:
    // Room for `more` rects first, so that adding them cannot fail half way.
    void reserve(size_t more) {
        if (2 * (used_ + more) > slots_.size()) {
            grow(2 * (used_ + more));
        }
    }
    // One more member holds `rect` (room reserved before).
    void add(const void *rect) noexcept {
        Slot &s = find(rect);
        if (s.rect == nullptr) {
            s = {rect, 0};
            ++used_;
        }
        duplicates_ += s.count++ > 0;
    }
    // One member fewer holds `rect`, which one did.
    void remove(const void *rect) noexcept {
        Slot *s = &find(rect);
        if (--s->count > 0) {
            --duplicates_;
            return;
        }
        // Backward shift: later slots of the same run move up into the hole.
        size_t mask = slots_.size() - 1;
        size_t hole = static_cast<size_t>(s - slots_.data());
        for (size_t i = (hole + 1) & mask; slots_[i].rect != nullptr; i = (i + 1) & mask) {
            size_t home = hash(slots_[i].rect) & mask;
            if (((i - home) & mask) >= ((i - hole) & mask)) {
                slots_[hole] = slots_[i];
                hole = i;
            }
        }
        slots_[hole] = {nullptr, 0};
        --used_;
    }
    bool contains(const void *rect) const noexcept {
        return !slots_.empty() && const_cast<RectCounts *>(this)->find(rect).rect != nullptr;
    }
    // Members beyond the first of each rect.
    size_t duplicates() const noexcept { return duplicates_; }
    void clear() noexcept {
        std::vector<Slot>().swap(slots_);
        used_ = duplicates_ = 0;
    }

  private:
    struct Slot {
        const void *rect;
        uint32_t count;
    };
    static size_t hash(const void *p) noexcept {
        return static_cast<size_t>((reinterpret_cast<uintptr_t>(p) >> 4) * 0x9E3779B97F4A7C15ull >>
                                   16);
    }
    Slot &find(const void *rect) noexcept {
        size_t mask = slots_.size() - 1;
        size_t i = hash(rect) & mask;
        while (slots_[i].rect != nullptr && slots_[i].rect != rect) {
            i = (i + 1) & mask;
        }
        return slots_[i];
    }
    void grow(size_t at_least) {
        size_t size = 16;
        while (size < at_least) {
            size *= 2;
        }
        std::vector<Slot> old(size, Slot{nullptr, 0});
        old.swap(slots_);
        for (const Slot &s : old) {
            if (s.rect != nullptr) {
                find(s.rect) = s;
            }
        }
    }

    std::vector<Slot> slots_;  // a power of two of them, at most half used
    size_t used_ = 0, duplicates_ = 0;
};

}  // namespace tessel::engine

#endif
