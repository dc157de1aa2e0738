// A segment and the boxes it crosses: where it enters a box (the least t at which a point
// p(t) = start + t * (end - start), t in [0, 1], lies in the box by the closed rule of
// contains(), boxes.hpp), where it leaves it, the point and outward normal there, and the
// order of two entries. Every decision is exact (exact.hpp); the reported t and points are
// computed in doubles from exact differences where those are exact.
//
// Per axis, with d = end - start on it, the t at which the segment reaches the near edge
// (the left one when d > 0, the right one when d < 0) is (near - s) / d and the far edge
// (far - s) / d. Most comparisons of such ratios reduce to comparisons of the doubles
// themselves, since d = e - s exactly: t > 0 is s before the near edge, t <= 1 is e at or
// past it, and likewise for the far edge. Only ratios of two axes are compared across:
// (a - sx) / dx against (b - sy) / dy has the sign of (a - sx) * dy - (b - sy) * dx times
// that of dx * dy, which orient() decides exactly. Those are only ever asked of edges that
// lie between the segment's ends, so of finite doubles, even for boxes with infinite edges.
#ifndef TESSEL_ENGINE_SEGMENT_HPP
#define TESSEL_ENGINE_SEGMENT_HPP

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "boxes.hpp"
#include "exact.hpp"

namespace tessel::engine {

struct Segment {
    // What the segment is: a point (start == end), a line, or nothing at all (a NaN or
    // infinite coordinate in a segment of non-zero length, whose p(t) is not defined).
    enum Kind : uint8_t { point, line, none };
    double sx, sy, ex, ey;
    double dx, dy;  // ex - sx and ey - sy as rounded: their signs are the exact ones
    Kind kind;
};

inline Segment segment_of(double sx, double sy, double ex, double ey) noexcept {
    Segment s{sx, sy, ex, ey, ex - sx, ey - sy, Segment::line};
    if (sx == ex && sy == ey) {
        s.kind = Segment::point;
    } else if (!(std::isfinite(sx) && std::isfinite(sy) && std::isfinite(ex) &&
                 std::isfinite(ey))) {
        s.kind = Segment::none;
    }
    return s;
}

// Where the segment meets one side of a box: at the start itself (t = 0, no side), or
// across a side of x (the left or right edge) or of y (top or bottom), at `edge`; at a
// corner, the side the rule chose, with the other axis's edge in `other`.
struct Side {
    enum Axis : uint8_t { start, x, y };
    Axis axis;
    bool corner;
    double edge, other;
};

// The entry and exit of a segment in a box.
struct Crossing {
    Side in;
    Side out;  // axis start here means the end, t = 1
};

namespace segment_detail {

// The sign of t_x(a) - t_y(b), for a an edge on x and b one on y.
inline int compare_across(const Segment &s, double a, double b) noexcept {
    int o = orient(s.sx, s.sy, s.ex, s.ey, a, b);
    return (s.dx > 0) == (s.dy > 0) ? o : -o;
}

// One axis of a box against the segment, by direct comparisons only: whether the segment
// can meet it at all (`reaches`), and, when d != 0, its near and far edges, whether the
// start lies before the near one (t_in > 0: the segment enters across this axis) and
// whether the end lies past the far one (t_out < 1: it leaves across it).
struct Axis {
    bool reaches, enters, leaves;
    double near, far;
};

inline Axis axis_of(double s, double e, double d, double low, double high) noexcept {
    if (d == 0) {
        return {low <= s && s <= high, false, false, low, high};
    }
    double near = d > 0 ? low : high, far = d > 0 ? high : low;
    // t_in <= 1 (e at or past near) and t_out >= 0 (s at or before far).
    bool reaches = d > 0 ? (e >= near && s <= far) : (e <= near && s >= far);
    bool enters = d > 0 ? s < near : s > near;
    bool leaves = d > 0 ? e > far : e < far;
    return {reaches, enters, leaves, near, far};
}

// The axis whose ratio is the larger (entries: the later one wins) or the smaller (exits:
// the earlier), or a corner when equal: then the axis along which the segment moves less,
// y on a tie. The result is exact: an x side with its edge, or a y side.
inline Side later_or_earlier(const Segment &s, double a, double b, bool later) noexcept {
    int c = compare_across(s, a, b);
    if (c == 0) {
        bool x = compare_lengths(s.ex, s.sx, s.ey, s.sy) < 0;
        return x ? Side{Side::x, true, a, b} : Side{Side::y, true, b, a};
    }
    return (c > 0) == later ? Side{Side::x, false, a, 0} : Side{Side::y, false, b, 0};
}

}  // namespace segment_detail

// Whether the segment meets the box, and if so where it enters and leaves it (`out` only
// when `exit`, for clipping). A box with a negative or NaN size holds no point and is never
// met; a zero-size box is met where the segment passes through its point.
inline bool cross(const Segment &s, const Bounds &b, Crossing &c, bool exit = false) noexcept {
    using namespace segment_detail;
    if (s.kind != Segment::line) {
        c = {{Side::start, false, 0, 0}, {Side::start, false, 0, 0}};
        return s.kind == Segment::point && contains(b, s.sx, s.sy);
    }
    if (!(b.x <= b.right) || !(b.y <= b.bottom)) {
        return false;
    }
    Axis x = axis_of(s.sx, s.ex, s.dx, b.x, b.right);
    Axis y = axis_of(s.sy, s.ey, s.dy, b.y, b.bottom);
    if (!x.reaches || !y.reaches) {
        return false;
    }
    // t_in on one axis against t_out on the other, where neither is settled by 0 or 1.
    if (x.enters && y.leaves && compare_across(s, x.near, y.far) > 0) {
        return false;
    }
    if (y.enters && x.leaves && compare_across(s, x.far, y.near) < 0) {
        return false;
    }
    if (x.enters && y.enters) {
        c.in = later_or_earlier(s, x.near, y.near, true);
    } else if (x.enters || y.enters) {
        c.in = {x.enters ? Side::x : Side::y, false, x.enters ? x.near : y.near, 0};
    } else {
        c.in = {Side::start, false, 0, 0};
    }
    if (exit) {
        if (x.leaves && y.leaves) {
            c.out = later_or_earlier(s, x.far, y.far, false);
        } else if (x.leaves || y.leaves) {
            c.out = {x.leaves ? Side::x : Side::y, false, x.leaves ? x.far : y.far, 0};
        } else {
            c.out = {Side::start, false, 0, 0};
        }
    }
    return true;
}

// The order of two entries (or exits) on the same segment, exactly: -1, 0 or 1 as a is
// reached before, with or after b.
inline int compare(const Segment &s, const Side &a, const Side &b) noexcept {
    if (a.axis == Side::start || b.axis == Side::start) {
        return (a.axis != Side::start) - (b.axis != Side::start);
    }
    if (a.axis == b.axis) {
        double d = a.axis == Side::x ? s.dx : s.dy;
        int c = (a.edge > b.edge) - (a.edge < b.edge);
        return d > 0 ? c : -c;
    }
    return a.axis == Side::x ? segment_detail::compare_across(s, a.edge, b.edge)
                             : -segment_detail::compare_across(s, b.edge, a.edge);
}

// The t at which the segment reaches `edge` on an axis, in doubles: (edge - s) / d, with
// d = e - s; halves of each where a difference overflows (exact halves, unless one falls
// below the normal range). The exact |edge - s| is at most |e - s| for an edge the segment
// reaches, and rounding is monotone, so the quotient stays within [0, 1].
inline double t_at(double edge, double s, double e, double d) noexcept {
    double a = edge - s;
    if (!std::isfinite(a) || !std::isfinite(d)) {
        a = edge * 0.5 - s * 0.5, d = e * 0.5 - s * 0.5;
    }
    return a / d;
}

// The t of an entry: (edge - s) / d with edge - s taken exactly (two doubles) and the
// quotient correctly rounded (exact.hpp), so the correctly rounded exact t whenever d = e -
// s is exact (for coordinates that are multiples of 1/8 below 2^20, single-precision values
// of similar magnitude, and many more); t_at() where that cannot be had, as where d
// overflowed (a quotient by an infinite d would be 0). 0 at the start.
inline double t_of(const Segment &s, const Side &side) noexcept {
    if (side.axis == Side::start) {
        return 0;
    }
    bool x = side.axis == Side::x;
    double from = x ? s.sx : s.sy, d = x ? s.dx : s.dy;
    if (!std::isfinite(d)) {
        return t_at(side.edge, from, x ? s.ex : s.ey, d);
    }
    TwoParts a = two_diff(side.edge, from);
    if (a.lo == 0) {
        return a.hi / d;  // one division of doubles: correctly rounded as it stands
    }
    double terms[2] = {a.hi, a.lo};
    double t = quotient_rounded(terms, 2, d);
    return std::isfinite(t) ? t : t_at(side.edge, from, x ? s.ex : s.ey, d);
}

// A double at least the exact t of an entry: t_at() carries three roundings (two
// differences and the quotient), so a relative 2^-49 and a little for underflow bound its
// error; infinity where a difference overflowed (no bound is known).
inline double t_above(const Segment &s, const Side &side) noexcept {
    if (side.axis == Side::start) {
        return 0x1p-1000;
    }
    bool x = side.axis == Side::x;
    double t = x ? t_at(side.edge, s.sx, s.ex, s.dx) : t_at(side.edge, s.sy, s.ey, s.dy);
    if (!(t >= 0) || !std::isfinite(s.dx) || !std::isfinite(s.dy)) {
        return std::numeric_limits<double>::infinity();
    }
    return t * (1 + 0x1p-49) + 0x1p-1000;
}

// The point where the segment meets a side: that coordinate the edge itself, the other
// s_o + t * d_o, as (s_o * d + a * d_o) / d with a = edge - s: the sum taken exactly (six
// exact products, a as two doubles) and the quotient correctly rounded (exact.hpp), so the
// correctly rounded exact value whenever the differences d and d_o are exact; from t where
// a product overflows. Kept within the box's closed span on that axis, where the exact
// value lies (the low edge for a NaN, which only values at the ends of the range can
// give). `at_end` gives the end for Side::start (an exit at t = 1), else the start. xy
// receives x then y.
inline void point_of(const Segment &s, const Bounds &b, const Side &side, bool at_end,
                     double xy[2]) noexcept {
    auto other = [](double edge, double s_a, double e_a, double d, double s_o, double e_o,
                    double d_o, double low, double high) {
        if (d_o == 0) {
            return s_o;
        }
        // s_o * d + a * d_o exactly, a = edge - s_a as two doubles: six exact products.
        TwoParts a = two_diff(edge, s_a);
        TwoParts parts[3] = {two_product(s_o, d), two_product(a.hi, d_o), two_product(a.lo, d_o)};
        TwoParts sum = two_sum(parts[0].hi, parts[1].hi);
        double p;
        if (a.lo == 0 && parts[0].lo == 0 && parts[1].lo == 0 && sum.lo == 0 &&
            std::isfinite(sum.hi)) {
            p = sum.hi / d;  // the sum is a double: one division, correctly rounded
        } else {
            double terms[6] = {parts[0].hi, parts[0].lo, parts[1].hi, parts[1].lo,
                               parts[2].hi, parts[2].lo};
            p = quotient_rounded(terms, 6, d);
        }
        if (!std::isfinite(p)) {
            double t = t_at(edge, s_a, e_a, d);
            p = s_o + t * d_o;
            if (!std::isfinite(p)) {
                p = 2 * (s_o * 0.5 + t * (e_o * 0.5 - s_o * 0.5));
            }
        }
        return p >= low ? (p <= high ? p : high) : low;
    };
    switch (side.axis) {
    case Side::x:
        xy[0] = side.edge;
        xy[1] = side.corner ? side.other
                            : other(side.edge, s.sx, s.ex, s.dx, s.sy, s.ey, s.dy, b.y, b.bottom);
        return;
    case Side::y:
        xy[1] = side.edge;
        xy[0] = side.corner ? side.other
                            : other(side.edge, s.sy, s.ey, s.dy, s.sx, s.ex, s.dx, b.x, b.right);
        return;
    default:
        xy[0] = at_end ? s.ex : s.sx;
        xy[1] = at_end ? s.ey : s.sy;
    }
}

// The outward normal of the side entered across: (-1, 0) left, (1, 0) right, (0, -1) top,
// (0, 1) bottom, y growing downwards; (0, 0) at the start.
inline void normal_of(const Segment &s, const Side &side, double n[2]) noexcept {
    n[0] = side.axis == Side::x ? (s.dx > 0 ? -1.0 : 1.0) : 0.0;
    n[1] = side.axis == Side::y ? (s.dy > 0 ? -1.0 : 1.0) : 0.0;
}

}  // namespace tessel::engine

#endif
