// Every pair kernel of the engine, and the one place that chooses among them: for each call,
// by what the boxes hold, the kernel that finds the overlapping pairs. No failures but
// running out of memory (std::bad_alloc).
#ifndef TESSEL_ENGINE_PAIR_KERNELS_HPP
#define TESSEL_ENGINE_PAIR_KERNELS_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#include "axis_sweep.hpp"
#include "boxes.hpp"
#include "pair_sort.hpp"
#include "query_grid.hpp"
#include "tree_sweep.hpp"
#include "uniform_grid.hpp"

namespace tessel::engine {

// The kernels; pair_kernels.cpp says which one each call takes, and why.
enum class Kernel : uint8_t {
    none,          // fewer than two boxes: nothing to pair
    uniform_grid,  // UniformGrid: sizes alike, density even
    axis_sweep,    // AxisSweep: spread along one axis, however crowded on the other
    tree_sweep,    // TreeSweep: whatever the boxes hold; the others hand it what defeats them
    every_pair,    // every pair tested: a few boxes
    query_grid,    // an index's own QueryGrid, for the pairs among its boxes
};

// The kernels' memory, and the pairs' order, kept from one call to the next by whoever
// holds it.
struct KernelMemory {
    UniformGrid grid;
    AxisSweep axis;
    TreeSweep tree;
    PairSort order;
};

// Appends every overlapping pair among `boxes`, which can all overlap (can_overlap()),
// as TreeSweep::pairs() does; unordered. Tests every pair of a few boxes; tries the uniform
// grid and the axis sweep, each within its budget, for more, and hands what defeats both to
// the interval-tree sweep. Returns the kernel that found the pairs (none for fewer than two
// boxes).
Kernel find_pairs(KernelMemory &memory, const std::vector<Box> &boxes, bool between,
                  std::vector<Pair> &out);

// An index's boxes as its query grid holds them: rows [0, n) of `rows`, all entered in
// `grid` (none added since), drifted from their cells by at most `drift`.
struct GridBoxes {
    const QueryGrid &grid;
    const Row *rows;
    size_t n;
    double drift;
};

// The query grid's part of the choice below: the pairs, appended as (smaller slot, larger
// slot), and query_grid; or none, with nothing found, when more than a few of the boxes are
// aside or the grid's budget runs out. `boxes` is working memory.
Kernel query_grid_pairs(const GridBoxes &grid, std::vector<Box> &boxes, std::vector<Pair> &out);

// The pairs among an index's boxes, appended: from its query grid where `grid` is given (the
// index holds no box but those) and it serves; otherwise from the boxes that gather(boxes)
// appends, numbered as it numbers them, as find_pairs() above pairs them. Returns the kernel
// that found them.
template <class Gather>
Kernel find_pairs(KernelMemory &memory, const GridBoxes *grid, Gather &&gather,
                  std::vector<Box> &boxes, std::vector<Pair> &out) {
    if (grid != nullptr && query_grid_pairs(*grid, boxes, out) == Kernel::query_grid) {
        return Kernel::query_grid;
    }
    out.clear();
    boxes.clear();
    gather(boxes);
    return find_pairs(memory, boxes, false, out);
}

// For the tests, per thread: the kernel that later calls of find_pairs() over boxes use
// whatever the boxes (none: choose; query_grid cannot be forced, and an index's grid serves
// whatever is forced), with cells of side `cell` for the uniform grid (0: choose); and the
// last call's kernel.
void use_kernel(Kernel kernel, double cell) noexcept;
Kernel last_kernel() noexcept;

}  // namespace tessel::engine

#endif
