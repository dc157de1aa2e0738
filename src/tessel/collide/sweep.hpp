// Overlapping pairs among many boxes, by one sweep along x: no Python objects, no failures
// but running out of memory (std::bad_alloc).
#ifndef TESSEL_COLLIDE_SWEEP_HPP
#define TESSEL_COLLIDE_SWEEP_HPP

#include <cstdint>
#include <utility>
#include <vector>

namespace tessel::collide {

// A rect's edges as doubles: right = x + w and bottom = y + h, each one rounded sum, the
// same value the interpreter's float addition gives.
struct Bounds {
    double x, right, y, bottom;
};

// The overlap rule, all four comparisons strict. Symmetric in a and b.
inline bool overlap(const Bounds &a, const Bounds &b) noexcept {
    return a.x < b.right && b.x < a.right && a.y < b.bottom && b.y < a.bottom;
}

// Closed borders. Comparisons of doubles have no effects, so all four are made: a point
// amid the rects makes the first of them a coin toss that a branch would mispredict.
inline bool contains(const Bounds &r, double px, double py) noexcept {
    return (r.x <= px) & (px <= r.right) & (r.y <= py) & (py <= r.bottom);
}

struct Box {
    Bounds bounds;
    uint32_t index;  // reported as given
    uint8_t set;     // 0 or 1
};

using Pair = std::pair<uint32_t, uint32_t>;

// Appends every overlapping pair of boxes: with `between`, each pair of a box of set 0 and
// a box of set 1, as (index of the set-0 box, index of the set-1 box); otherwise each pair
// of boxes, as (smaller index, larger index). Unordered.
void find_overlaps(const std::vector<Box> &boxes, bool between, std::vector<Pair> &out);

// Sorts pairs of indices below `bound` in O(bound + pairs).
void sort_pairs(std::vector<Pair> &pairs, uint32_t bound);

}  // namespace tessel::collide

#endif
