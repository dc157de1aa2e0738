// The engine's records of a rect and the collision rules on them: a rect's values as the
// index packs them (Row), its edges as doubles (Bounds), its extent on each axis (Span), the
// overlap and containment rules of Rect.collide_rect and Rect.collide_point on those, and the
// boxes and pairs the pair kernels take and report.
//
// The engine (src/tessel/engine) is plain C++ over these records: it includes no header of
// the interpreter, nor of the modules (tests/test_engine_room.py checks), so that it can be
// built and tested without one.
#ifndef TESSEL_ENGINE_BOXES_HPP
#define TESSEL_ENGINE_BOXES_HPP

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

namespace tessel::engine {

// A rect's values, x, y, w, h, as doubles: one packed box of an index, what its `boxes`
// view shows per rect.
struct Row {
    double x, y, w, h;
};

// A rect's edges as doubles: right = x + w and bottom = y + h, each one rounded sum, the
// same value the interpreter's float addition gives.
struct Bounds {
    double x, right, y, bottom;
};

inline Bounds bounds_of(const Row &r) noexcept { return {r.x, r.x + r.w, r.y, r.y + r.h}; }

// The overlap rule, all four comparisons strict. Symmetric in a and b.
inline bool overlap(const Bounds &a, const Bounds &b) noexcept {
    return a.x < b.right && b.x < a.right && a.y < b.bottom && b.y < a.bottom;
}

// The same rule without branches, for inner loops where a hit is a coin toss.
inline bool overlap_flat(const Bounds &a, const Bounds &b) noexcept {
    return (a.x < b.right) & (b.x < a.right) & (a.y < b.bottom) & (b.y < a.bottom);
}

// False for a box that overlaps no box whatever its edges: one with a NaN edge (every
// comparison with NaN is false, and each edge takes part in one of the four) or an infinite
// x or y. With x = inf, no x < other.right holds; with x = -inf, right is -inf (or NaN),
// and no other.x < right holds; likewise on y.
inline bool can_overlap(const Bounds &b) noexcept {
    return std::isfinite(b.x) && std::isfinite(b.y) && !std::isnan(b.right) &&
           !std::isnan(b.bottom);
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

// What a pair of boxes a, b that overlap is reported as: with `between`, (index of the
// set-0 box, index of the set-1 box); otherwise (smaller index, larger index).
inline Pair pair_of(const Box &a, const Box &b, bool between) noexcept {
    bool swap = between ? a.set != 0 : a.index > b.index;
    return swap ? Pair{b.index, a.index} : Pair{a.index, b.index};
}

// A box's extent on each axis, [min(x, right), max(x, right)] and likewise on y: the
// edges themselves when the size is not negative. The span of a query is one too (a point's
// is [px, px] x [py, py]): x1 <= x2 and y1 <= y2, infinite edges allowed, no NaN.
struct Span {
    double x1, x2, y1, y2;
};

inline Span span_of(const Bounds &b) noexcept {
    return {std::min(b.x, b.right), std::max(b.x, b.right), std::min(b.y, b.bottom),
            std::max(b.y, b.bottom)};
}

}  // namespace tessel::engine

#endif
