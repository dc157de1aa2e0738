// The slots a query finds, as the query grid offers them (QueryGrid::visit), and put in
// ascending order, which is the order the index's members were added in.
#ifndef TESSEL_ENGINE_HITS_HPP
#define TESSEL_ENGINE_HITS_HPP

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tessel::engine {

// Slot numbers found by a query, appended without a branch per candidate: each candidate is
// written past the end and kept by moving the end.
class Hits {
  public:
    void clear() noexcept { size_ = 0; }
    size_t size() const noexcept { return size_; }
    uint32_t *begin() noexcept { return v_.data(); }
    uint32_t *end() noexcept { return v_.data() + size_; }
    uint32_t operator[](size_t i) const noexcept { return v_[i]; }
    // Room for `more` candidates past the end; where to write them.
    uint32_t *room(size_t more) {
        if (v_.size() < size_ + more) {
            v_.resize(size_ + more + 64);
        }
        return v_.data() + size_;
    }
    void keep(size_t kept) noexcept { size_ += kept; }
    void resize(size_t n) noexcept { size_ = n; }

    // The slots found, below `slots`, made ascending: sorted when they are few, else marked
    // in a bit per slot and read back in order.
    void ascending(size_t slots) {
        size_t k = size_;
        if (k < 2) {
            return;
        }
        if (k < 64 + slots / 32) {
            std::sort(begin(), end());
            return;
        }
        marks_.assign(slots / 64 + 1, 0);
        for (uint32_t slot : *this) {
            marks_[slot / 64] |= uint64_t{1} << (slot % 64);
        }
        uint32_t *out = begin();
        for (size_t w = 0; w < marks_.size(); ++w) {
            for (uint64_t bits = marks_[w]; bits != 0; bits &= bits - 1) {
                *out++ =
                    static_cast<uint32_t>(w * 64 + static_cast<size_t>(std::countr_zero(bits)));
            }
        }
    }

  private:
    std::vector<uint32_t> v_;
    size_t size_ = 0;
    std::vector<uint64_t> marks_;
};

}  // namespace tessel::engine

#endif
