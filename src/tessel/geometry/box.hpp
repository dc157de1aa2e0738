// The rules of the module's functions, on plain doubles: no Python objects, no failures.
//
// A rect is read as (x, y, w, h) and computed with as its properties compute it: left = x,
// right = x + w, centre = x + w * 0.5, each one rounded double operation. Sizes are taken
// as they stand (only normalized changes a sign), a NaN spreads to every value computed
// from it, and infinities follow IEEE arithmetic. The caller stores each result at the
// vectors' single precision.
#ifndef TESSEL_GEOMETRY_BOX_HPP
#define TESSEL_GEOMETRY_BOX_HPP

#include <cmath>
#include <limits>

namespace tessel::geometry {

// One axis of a rect: its left (or top) edge and its width (or height), the extent from
// there (the engine's Span, engine/boxes.hpp, is an interval of edges instead).
struct Extent {
    double start, length;
    double end() const noexcept { return start + length; }
    double middle() const noexcept { return start + length * 0.5; }
};

struct Box {
    Extent x, y;
};

template <class F> Box per_axis(const Box &a, F f) { return {f(a.x), f(a.y)}; }
template <class F> Box per_axis(const Box &a, const Box &b, F f) {
    return {f(a.x, b.x), f(a.y, b.y)};
}

// The smaller and the larger of two edges. A NaN wins, so that it reaches the result;
// on a tie (0.0 and -0.0) the first one does.
inline double least(double a, double b) noexcept { return a <= b || a != a ? a : b; }
inline double most(double a, double b) noexcept { return a >= b || a != a ? a : b; }

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The extent from `start` to `end`.
inline Extent between(double start, double end) noexcept { return {start, end - start}; }

// An extent of `length` with the middle of `around` (as the centre setters place it).
inline Extent centred(double length, const Extent &around) noexcept {
    return {around.middle() - length * 0.5, length};
}

inline Extent moved(const Extent &s, double by) noexcept { return {s.start + by, s.length}; }

inline Extent inflated(const Extent &s, double by) noexcept {
    return {s.start - by * 0.5, s.length + by};
}

inline Extent scaled(const Extent &s, double factor) noexcept {
    return centred(s.length * factor, s);
}

// Scaled about the point `at` instead: the start's distance from it times `factor`, the
// length times `factor` as about the middle, so that only the start depends on the point.
inline Extent scaled_about(const Extent &s, double factor, double at) noexcept {
    return {at + (s.start - at) * factor, s.length * factor};
}

// Edges held while rects are joined: the union's width is taken once, at the end.
struct Edges {
    double start, end;
};

inline Edges edges(const Extent &s) noexcept { return {s.start, s.end()}; }
inline Edges joined(const Edges &a, const Edges &b) noexcept {
    return {least(a.start, b.start), most(a.end, b.end)};
}
// Edges that join as no edges at all: least() and most() give the other value.
constexpr Edges kNoEdges = {std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity()};

inline Box united(const Box &a, const Box &b) noexcept {
    return per_axis(a, b, [](const Extent &p, const Extent &q) {
        Edges e = joined(edges(p), edges(q));
        return between(e.start, e.end);
    });
}

// The open rule of collide_rect on one axis; false for any NaN.
inline bool overlap(const Extent &a, const Extent &b) noexcept {
    return a.start < b.end() && b.start < a.end();
}

// Where the overlap exists on both axes: between the larger starts and the smaller ends;
// else a zero-size rect at a's position.
inline Box clipped(const Box &a, const Box &b) noexcept {
    if (!overlap(a.x, b.x) || !overlap(a.y, b.y)) {
        return {{a.x.start, 0.0}, {a.y.start, 0.0}};
    }
    return per_axis(a, b, [](const Extent &p, const Extent &q) {
        return between(most(p.start, q.start), least(p.end(), q.end()));
    });
}

// Moved inside `bounds`, or centred on it when longer. Any NaN edge of either makes the
// start NaN: where a NaN rect or bounds lies is unknown, and a comparison with NaN would
// otherwise leave the start where it was.
inline Extent clamped_extent(const Extent &s, const Extent &bounds) noexcept {
    double end = s.end(), bounds_end = bounds.end();
    if (std::isnan(s.start) || std::isnan(end) || std::isnan(bounds.start) ||
        std::isnan(bounds_end)) {
        return {kNaN, s.length};
    }
    if (s.length > bounds.length) {
        return centred(s.length, bounds);
    }
    if (s.start < bounds.start) {
        return {bounds.start, s.length};
    }
    if (end > bounds_end) {
        return {bounds_end - s.length, s.length};
    }
    return s;
}

inline Box clamped(const Box &r, const Box &bounds) noexcept {
    return per_axis(r, bounds, clamped_extent);
}

// The largest scale at which a length fits in `room`, signs aside; a zero length sets no
// limit.
inline double room_scale(double length, double room) noexcept {
    return length == 0 ? std::numeric_limits<double>::infinity()
                       : std::fabs(room) / std::fabs(length);
}

// Scaled by the largest factor that fits both axes in `bounds`, centred on it. A zero
// length stays zero, so a zero-size rect becomes a point at the centre of bounds.
inline Box fitted(const Box &r, const Box &bounds) noexcept {
    double scale =
        least(room_scale(r.x.length, bounds.x.length), room_scale(r.y.length, bounds.y.length));
    return per_axis(r, bounds, [scale](const Extent &s, const Extent &room) {
        return centred(s.length == 0 ? s.length : s.length * scale, room);
    });
}

// Both ends of `inner` within `outer`, borders included (the closed rule of
// collide_point); false for any NaN, and for every outer extent of negative length.
inline bool holds(const Extent &outer, const Extent &inner) noexcept {
    double low = outer.start, high = outer.end(), a = inner.start, b = inner.end();
    return low <= a && a <= high && low <= b && b <= high;
}
inline bool holds(const Box &outer, const Box &inner) noexcept {
    return holds(outer.x, inner.x) && holds(outer.y, inner.y);
}

// The same area with a length of positive sign: the start moved to the far end.
inline Extent normal(const Extent &s) noexcept {
    return s.length < 0 ? Extent{s.end(), -s.length} : s;
}

}  // namespace tessel::geometry

#endif
