// The order of the pairs a call reports: by their first index, then their second, in time
// linear in the pairs and the indices' bound, with the memory it keeps from one call to the
// next. No failures but running out of memory (std::bad_alloc).
#ifndef TESSEL_ENGINE_PAIR_SORT_HPP
#define TESSEL_ENGINE_PAIR_SORT_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#include "boxes.hpp"

namespace tessel::engine {

// Sorts pairs by their first index, then their second, in O(bound + pairs) for indices
// below `bound`: two stable counting passes, by the second index and then by the first.
class PairSort {
  public:
    void sort(std::vector<Pair> &pairs, uint32_t bound);
    size_t bytes() const noexcept;
    void release() noexcept;

  private:
    template <class Count> void sort_with(std::vector<Pair> &pairs, uint32_t bound);
    std::vector<Pair> scratch_;
    std::vector<uint32_t> counts32_;
    std::vector<size_t> counts_;
};

}  // namespace tessel::engine

#endif
