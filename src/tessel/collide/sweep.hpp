// Overlapping pairs among many boxes, by one sweep along x with an interval tree: no Python
// objects, no failures but running out of memory (std::bad_alloc). The kernel that no input
// defeats; the faster ones (kernels.hpp) hand it what defeats them.
#ifndef TESSEL_COLLIDE_SWEEP_HPP
#define TESSEL_COLLIDE_SWEEP_HPP

#include <cstddef>
#include <memory>
#include <vector>

#include "boxes.hpp"

namespace tessel::collide {

// The sweep, with the memory it keeps from one call to the next.
class TreeSweep {
  public:
    TreeSweep();
    ~TreeSweep();

    // Appends every overlapping pair of boxes: with `between`, each pair of a box of set 0
    // and a box of set 1, as (index of the set-0 box, index of the set-1 box); otherwise
    // each pair of boxes, as (smaller index, larger index). Unordered.
    void pairs(const std::vector<Box> &boxes, bool between, std::vector<Pair> &out);

    size_t bytes() const noexcept;
    void release() noexcept;

  private:
    struct Memory;
    std::unique_ptr<Memory> m_;
};

}  // namespace tessel::collide

#endif
