// The distance from a point to a box, for an index's nearest members: the Euclidean
// distance from the point to the closed box (0 inside it), ordered by its square.
#ifndef TESSEL_ENGINE_DISTANCE_HPP
#define TESSEL_ENGINE_DISTANCE_HPP

#include <cmath>
#include <cstdint>

#include "boxes.hpp"

namespace tessel::engine {

// A box's distance from the point, with the key it is ordered by.
struct Near {
    double squared;   // dx * dx + dy * dy as rounded: infinite past the largest double
    double distance;  // its square root, or hypot(dx, dy) where the square lost its value
    uint32_t slot;
};

// Nearest first; equal distances by slot, the order the index's members were added in.
// The square orders exactly where it is exact (dx and dy exact, their squares and sum too:
// for coordinates that are multiples of 1/8 below 2^20, and wherever the products are
// exact); the distance breaks ties among squares that overflowed or underflowed.
inline bool nearer(const Near &a, const Near &b) noexcept {
    if (a.squared != b.squared) {
        return a.squared < b.squared;
    }
    if (a.distance != b.distance) {
        return a.distance < b.distance;
    }
    return a.slot < b.slot;
}

// The distance of the box from (px, py) on each axis, 0 within its closed span, as
// contains() decides (boxes.hpp): x - px left of it, px - right right of it; likewise on y.
// False for a box that holds no point (a negative or NaN size). The point must not be NaN.
inline bool distance_to(const Bounds &b, double px, double py, uint32_t slot,
                        Near &out) noexcept {
    if (!(b.x <= b.right) || !(b.y <= b.bottom)) {
        return false;
    }
    double dx = px < b.x ? b.x - px : px > b.right ? px - b.right : 0.0;
    double dy = py < b.y ? b.y - py : py > b.bottom ? py - b.bottom : 0.0;
    double squared = dx * dx + dy * dy;
    // The square root is correctly rounded where the square is exact; past the range of
    // the square (overflowed, or below any exact square of a difference of 2^-960), hypot
    // keeps the value.
    double distance = std::isinf(squared) || squared < 0x1p-960 ? std::hypot(dx, dy)
                                                                : std::sqrt(squared);
    out = {squared, distance, slot};
    return true;
}

}  // namespace tessel::engine

#endif
