// The axis sweep, a pair kernel for boxes spread along one axis, however crowded on the
// other: one sort by the boxes' starts along that axis, then each box meets the boxes after
// it that start before it ends (axis_sweep.cpp says why that is every pair). Gives up within
// a budget; no failures but running out of memory (std::bad_alloc).
#ifndef TESSEL_ENGINE_AXIS_SWEEP_HPP
#define TESSEL_ENGINE_AXIS_SWEEP_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#include "boxes.hpp"
#include "budget.hpp"

namespace tessel::engine {

// The axis sweep, with the memory it keeps from one call to the next.
class AxisSweep {
  public:
    // The axis to sweep along, and about how many boxes each box meets on it: the sweep's
    // work beyond its sort.
    struct Estimate {
        bool y;
        double per_box;
    };
    static constexpr double kSweepFirst = 8;
    static Estimate estimate(const std::vector<Box> &boxes);

    // Appends every overlapping pair among boxes that can overlap (can_overlap()), as
    // TreeSweep::pairs() does, sweeping along y or x; false, with `out` as it was, when the
    // budget runs out first.
    bool pairs(const std::vector<Box> &boxes, bool between, bool y, const Budget &budget,
               std::vector<Pair> &out);

    size_t bytes() const noexcept;
    void release() noexcept;

  private:
    struct Keyed {
        uint32_t key, box;
    };
    // Boxes on the chosen axis in key order, with their keys and the keys of their ends.
    struct Line {
        std::vector<uint32_t> keys, ends;
        std::vector<Box> boxes;
    };
    void line_up(const std::vector<Box> &boxes, int set, bool y, Line &line);
    template <bool kBetween>
    bool pairs_in(const std::vector<Box> &boxes, bool y, const Budget &budget,
                  std::vector<Pair> &out);

    std::vector<Keyed> keyed_, scratch_;
    std::vector<uint32_t> counts_;
    Line lines_[2];
};

}  // namespace tessel::engine

#endif
