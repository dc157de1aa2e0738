// The choice of a pair kernel per call. A few boxes are tested pair by pair. Of more, the
// uniform grid (uniform_grid.cpp) is fastest when the boxes' sizes are alike and their
// density even; the axis sweep (axis_sweep.cpp) when they are spread along an axis, however
// crowded on the other; the interval-tree sweep (tree_sweep.cpp) whatever the boxes hold.
// The first two give up, within a budget linear in the boxes and in the pairs they keep, on
// boxes that defeat them: sizes spread over orders of magnitude, clusters far apart, huge or
// infinite extents. So a call costs at most a constant times what the tree alone would, and
// usually far less. An index's boxes are paired from its own query grid first, which it
// keeps anyway, within the same budget; what defeats it goes through the same choice.
#include "pair_kernels.hpp"

#include <algorithm>
#include <limits>

#include "pair_writer.hpp"

namespace tessel::engine {
namespace {

// Entries of the grid (a box per cell it touches) per box, at most, before it gives up.
constexpr size_t kEntriesPerBox = 4;
// Fewer boxes than this are paired by testing every pair: cheaper than any structure.
constexpr size_t kFew = 24;

thread_local Kernel t_forced = Kernel::none;
thread_local double t_cell = 0;
thread_local Kernel t_last = Kernel::none;
// The boxes aside of an index's pairs; filled and emptied within one call.
thread_local std::vector<Box> t_aside;

// Boxes aside (that can overlap) are paired one by one with every other box, so the query
// grid pairs only when they are this few.
constexpr size_t kFewAside = 8;

void every_pair(const std::vector<Box> &boxes, bool between, std::vector<Pair> &out) {
    for (size_t i = 0; i < boxes.size(); ++i) {
        for (size_t j = i + 1; j < boxes.size(); ++j) {
            const Box &a = boxes[i];
            const Box &b = boxes[j];
            if ((!between || a.set != b.set) && overlap(a.bounds, b.bounds)) {
                out.push_back(pair_of(a, b, between));
            }
        }
    }
}

Kernel choose(KernelMemory &m, const std::vector<Box> &boxes, bool between,
              std::vector<Pair> &out) {
    size_t n = boxes.size();
    if (n < 2) {
        return Kernel::none;
    }
    Kernel forced = t_forced;
    Budget budget = forced == Kernel::none ? Budget::for_boxes(n) : Budget{};
    auto grid = [&] {
        size_t max_entries = forced == Kernel::uniform_grid ? std::numeric_limits<uint32_t>::max()
                                                            : kEntriesPerBox * n + 1024;
        return m.grid.build(boxes, between, t_cell, max_entries) && m.grid.pairs(out, budget);
    };
    AxisSweep::Estimate axis{};
    if (forced == Kernel::axis_sweep || (forced == Kernel::none && n >= kFew)) {
        axis = AxisSweep::estimate(boxes);
    }
    auto sweep = [&] { return m.axis.pairs(boxes, between, axis.y, budget, out); };
    switch (forced) {
    case Kernel::uniform_grid:
        if (grid()) {
            return Kernel::uniform_grid;
        }
        break;
    case Kernel::axis_sweep:
        if (sweep()) {
            return Kernel::axis_sweep;
        }
        break;
    case Kernel::tree_sweep:
    case Kernel::query_grid:  // not for boxes alone
        break;
    case Kernel::every_pair:
        every_pair(boxes, between, out);
        return Kernel::every_pair;
    case Kernel::none:
        if (n < kFew) {
            every_pair(boxes, between, out);
            return Kernel::every_pair;
        }
        // When a box meets only a few others on the sweep's axis, its sort and walk cost
        // less than the grid's cells.
        if (axis.per_box <= AxisSweep::kSweepFirst) {
            if (sweep()) {
                return Kernel::axis_sweep;
            }
            if (grid()) {
                return Kernel::uniform_grid;
            }
        } else {
            if (grid()) {
                return Kernel::uniform_grid;
            }
            if (sweep()) {
                return Kernel::axis_sweep;
            }
        }
        break;
    }
    m.tree.pairs(boxes, between, out);
    return Kernel::tree_sweep;
}

// The pairs of an index's boxes from its query grid, with the boxes aside paired one by one;
// false, with nothing found, when they are too many aside or the grid's budget runs out.
bool from_query_grid(const GridBoxes &g, std::vector<Box> &gathered, std::vector<Pair> &out) {
    std::vector<Box> &aside = t_aside;
    aside.clear();
    for (uint32_t slot : g.grid.aside()) {
        Bounds b = bounds_of(g.rows[slot]);
        if (can_overlap(b)) {
            aside.push_back({b, slot, 0});
        }
    }
    if (aside.size() > kFewAside) {
        return false;
    }
    if (!g.grid.pairs(g.rows, nullptr, g.drift, Budget::for_boxes(g.n), gathered, out)) {
        return false;
    }
    PairWriter writer(out);
    const std::vector<Box> &entered = gathered;
    for (size_t k = 0; k < aside.size(); ++k) {
        writer.test<false>(aside[k], true, 0, entered.size(),
                           [&](size_t q) -> const Box & { return entered[q]; });
        writer.test<false>(aside[k], true, k + 1, aside.size(),
                           [&](size_t q) -> const Box & { return aside[q]; });
    }
    return true;
}

}  // namespace

Kernel find_pairs(KernelMemory &memory, const std::vector<Box> &boxes, bool between,
                  std::vector<Pair> &out) {
    t_last = choose(memory, boxes, between, out);
    return t_last;
}

Kernel query_grid_pairs(const GridBoxes &grid, std::vector<Box> &boxes, std::vector<Pair> &out) {
    if (!from_query_grid(grid, boxes, out)) {
        return Kernel::none;
    }
    t_last = Kernel::query_grid;
    return t_last;
}

void use_kernel(Kernel kernel, double cell) noexcept {
    t_forced = kernel;
    t_cell = cell;
}

Kernel last_kernel() noexcept { return t_last; }

}  // namespace tessel::engine
