// The interval-tree sweep, the pair kernel that no input defeats: one sweep along x, with
// the y extents of the boxes still open in an interval tree (tree_sweep.cpp says why it finds
// every pair). The faster kernels (pair_kernels.hpp) hand it what defeats them. No failures
// but running out of memory (std::bad_alloc).
#ifndef TESSEL_ENGINE_TREE_SWEEP_HPP
#define TESSEL_ENGINE_TREE_SWEEP_HPP

#include <cstddef>
#include <memory>
#include <vector>

#include "boxes.hpp"

namespace tessel::engine {

// The interval-tree sweep, with the memory it keeps from one call to the next.
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

}  // namespace tessel::engine

#endif
