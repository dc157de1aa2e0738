// Overlapping pairs among many boxes: the kernel for each call, chosen by what the boxes
// hold, and the pairs' order. No Python objects, no failures but running out of memory
// (std::bad_alloc).
#ifndef TESSEL_COLLIDE_KERNELS_HPP
#define TESSEL_COLLIDE_KERNELS_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#include "axis_sweep.hpp"
#include "boxes.hpp"
#include "grid.hpp"
#include "sweep.hpp"

namespace tessel::collide {

enum class Kernel : uint8_t { none, grid, sweep, tree, every };

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

// The kernels' memory, kept from one call to the next by whoever holds it.
struct KernelMemory {
    Grid grid;
    AxisSweep axis;
    TreeSweep tree;
    PairSort order;
};

// Appends every overlapping pair among `boxes`, which can all overlap (can_overlap()),
// as TreeSweep::pairs() does; unordered. Tests every pair of a few boxes; tries the grid
// and the sweep along one axis, each within its budget, for more, and hands what defeats
// both to the interval-tree sweep. Returns the kernel that found the pairs (none for fewer
// than two boxes).
Kernel find_pairs(KernelMemory &memory, const std::vector<Box> &boxes, bool between,
                  std::vector<Pair> &out);

// For the tests, per thread: the kernel that later calls use whatever the boxes (none:
// choose), with cells of side `cell` for the grid (0: choose); and the last call's kernel.
void use_kernel(Kernel kernel, double cell) noexcept;
Kernel last_kernel() noexcept;

}  // namespace tessel::collide

#endif
