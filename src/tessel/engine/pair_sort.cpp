// The pair sort: two counting passes, with counts of 32 bits where they suffice.
#include "pair_sort.hpp"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "held.hpp"

namespace tessel::engine {

template <class Count> void PairSort::sort_with(std::vector<Pair> &pairs, uint32_t bound) {
    auto &count = [this]() -> std::vector<Count> & {
        if constexpr (std::is_same_v<Count, uint32_t>) {
            return counts32_;
        } else {
            return counts_;
        }
    }();
    scratch_.resize(pairs.size());
    count.resize(size_t{bound} + 1);
    auto pass = [&](const std::vector<Pair> &from, std::vector<Pair> &to, auto key) {
        std::fill(count.begin(), count.end(), 0);
        for (const Pair &p : from) {
            ++count[key(p) + 1];
        }
        for (size_t i = 1; i < count.size(); ++i) {
            count[i] += count[i - 1];
        }
        for (const Pair &p : from) {
            to[count[key(p)]++] = p;
        }
    };
    pass(pairs, scratch_, [](const Pair &p) { return p.second; });
    pass(scratch_, pairs, [](const Pair &p) { return p.first; });
}

void PairSort::sort(std::vector<Pair> &pairs, uint32_t bound) {
    // Counts of 32 bits while they can hold every count: half the memory to scatter into.
    if (pairs.size() <= std::numeric_limits<uint32_t>::max()) {
        sort_with<uint32_t>(pairs, bound);
    } else {
        sort_with<size_t>(pairs, bound);
    }
}

size_t PairSort::bytes() const noexcept { return held(scratch_) + held(counts32_) + held(counts_); }

void PairSort::release() noexcept {
    drop(scratch_);
    drop(counts32_);
    drop(counts_);
}

}  // namespace tessel::engine
