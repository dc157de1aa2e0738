// Appending the pairs of one box against many, without a branch on each answer.
#ifndef TESSEL_ENGINE_PAIR_WRITER_HPP
#define TESSEL_ENGINE_PAIR_WRITER_HPP

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "boxes.hpp"

namespace tessel::engine {

// Every candidate pair is written past the pairs kept, and kept or not by moving the end.
// `out` is sized ahead in large steps (a resize per box would cost more than its tests)
// and cut to the pairs kept when the writer is done.
class PairWriter {
  public:
    explicit PairWriter(std::vector<Pair> &out) : out_(out), end_(out.size()) {}
    ~PairWriter() { out_.resize(end_); }
    PairWriter(const PairWriter &) = delete;
    PairWriter &operator=(const PairWriter &) = delete;

    // Tests a against other(k) for k in [from, to), keeping the pairs that overlap. With
    // kBetween, a is of set 0 exactly when `a_first`; otherwise the smaller index goes
    // first.
    template <bool kBetween, class Other>
    void test(const Box &a, bool a_first, size_t from, size_t to, Other &&other) {
        if (out_.size() < end_ + (to - from)) {
            out_.resize(end_ + std::max<size_t>(to - from, kStep));
        }
        Pair *w = out_.data() + end_;
        size_t kept = 0;
        for (size_t k = from; k < to; ++k) {
            const Box &b = other(k);
            uint32_t i = a.index, j = b.index;
            if constexpr (kBetween) {
                w[kept] = a_first ? Pair{i, j} : Pair{j, i};
            } else {
                w[kept] = Pair{std::min(i, j), std::max(i, j)};
            }
            kept += overlap_flat(a.bounds, b.bounds);
        }
        end_ += kept;
    }
    size_t end() const noexcept { return end_; }
    void cut(size_t end) noexcept { end_ = end; }

  private:
    static constexpr size_t kStep = 4096;
    std::vector<Pair> &out_;
    size_t end_;
};

}  // namespace tessel::engine

#endif
