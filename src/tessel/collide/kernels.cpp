// The choice of a pair kernel per call. A few boxes are tested pair by pair. Of more, the
// grid (grid.cpp) is fastest when the boxes' sizes are alike and their density even; the
// sweep along one axis (axis_sweep.cpp) when they are spread along an axis, however crowded
// on the other; the interval-tree sweep (sweep.cpp) whatever the boxes hold. The first two
// give up, within a budget linear in the boxes and in the pairs they keep, on boxes that
// defeat them: sizes spread over orders of magnitude, clusters far apart, huge or infinite
// extents. So a call costs at most a constant times what the tree alone would, and usually
// far less.
#include "kernels.hpp"

#include <algorithm>
#include <limits>
#include <type_traits>

#include "held.hpp"

namespace tessel::collide {
namespace {

// Entries of the grid (a box per cell it touches) per box, at most, before it gives up.
constexpr size_t kEntriesPerBox = 4;
// Fewer boxes than this are paired by testing every pair: cheaper than any structure.
constexpr size_t kFew = 24;

thread_local Kernel t_forced = Kernel::none;
thread_local double t_cell = 0;
thread_local Kernel t_last = Kernel::none;

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
        size_t max_entries = forced == Kernel::grid ? std::numeric_limits<uint32_t>::max()
                                                    : kEntriesPerBox * n + 1024;
        return m.grid.build(boxes, between, t_cell, max_entries) && m.grid.pairs(out, budget);
    };
    AxisSweep::Estimate axis{};
    if (forced == Kernel::sweep || (forced == Kernel::none && n >= kFew)) {
        axis = AxisSweep::estimate(boxes);
    }
    auto sweep = [&] { return m.axis.pairs(boxes, between, axis.y, budget, out); };
    switch (forced) {
    case Kernel::grid:
        if (grid()) {
            return Kernel::grid;
        }
        break;
    case Kernel::sweep:
        if (sweep()) {
            return Kernel::sweep;
        }
        break;
    case Kernel::tree:
        break;
    case Kernel::every:
        every_pair(boxes, between, out);
        return Kernel::every;
    case Kernel::none:
        if (n < kFew) {
            every_pair(boxes, between, out);
            return Kernel::every;
        }
        // When a box meets only a few others on the sweep's axis, its sort and walk cost
        // less than the grid's cells.
        if (axis.per_box <= AxisSweep::kSweepFirst) {
            if (sweep()) {
                return Kernel::sweep;
            }
            if (grid()) {
                return Kernel::grid;
            }
        } else {
            if (grid()) {
                return Kernel::grid;
            }
            if (sweep()) {
                return Kernel::sweep;
            }
        }
        break;
    }
    m.tree.pairs(boxes, between, out);
    return Kernel::tree;
}

}  // namespace

Kernel find_pairs(KernelMemory &memory, const std::vector<Box> &boxes, bool between,
                  std::vector<Pair> &out) {
    t_last = choose(memory, boxes, between, out);
    return t_last;
}

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

void use_kernel(Kernel kernel, double cell) noexcept {
    t_forced = kernel;
    t_cell = cell;
}

Kernel last_kernel() noexcept { return t_last; }

}  // namespace tessel::collide
