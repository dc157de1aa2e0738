// A rect moving along a straight path and the boxes it meets: the rect of position
// (x + s * dx, y + s * dy), s in [0, 1], and size (w, h) overlaps a box b when, on each axis,
// x(s) < b.right and b.x < x(s) + w on exact values (the open rule of overlap()), that is
// when x(s) lies in the open interval (b.x - w, b.right): the box grown by the moving rect,
// its near edge b.x - w an exact real, not a double. The s where both axes hold form an open
// interval (a, c); the contact is its lower end a when 0 <= a < 1 (touching at a, overlapping
// just after), "at the start" when the rect overlaps the box as it stands, and none
// otherwise (moving exactly into contact, at s = 1, is none).
//
// Every decision is exact (exact.hpp): on an axis entered with d > 0, s = (b.x - w - x) / d,
// whose numerator is a sum of three doubles; with d < 0, s = (b.right - x) / d. Against 0
// and 1 that is the sign of a sum of up to four doubles; across the axes, s_x against s_y
// has the sign of N_x * dy - N_y * dx (times that of dx * dy), twelve exact products; two
// entries on the same axis differ by their numerators' difference. The offset is given, not
// computed, so no difference of the path's ends enters.
//
// Reported values: s = (edge - x) / d in double, with edge the touching value b.x - w (or
// b.right) as a double: the correctly rounded s whenever edge and edge - x are exact (for
// single-precision values of similar magnitude, and multiples of 1/8 below 2^20). The point
// has that edge on the axis entered, and on the other y + s * dy as one fused multiply-add
// and a division, correctly rounded in the same domain.
#ifndef TESSEL_ENGINE_SWEEP_BOX_HPP
#define TESSEL_ENGINE_SWEEP_BOX_HPP

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "boxes.hpp"
#include "exact.hpp"
#include "segment.hpp"

namespace tessel::engine {

// The moving rect: its position, size and offset as doubles.
struct Mover {
    // What the path is: a rect that moves, one that stays where it is (a zero offset, or one
    // with a NaN or infinite part, whose path is not defined: only where it stands counts),
    // or one that overlaps nothing anywhere (a NaN or infinite position, a NaN or -inf size).
    enum Kind : uint8_t { moving, still, none };
    double x, y, w, h, dx, dy;
    Kind kind;
    // Where a box must reach to overlap the rect anywhere on its path: b.right above
    // `after.x1` and b.x below `before.x2`, likewise on y (see mover_of()).
    Span after, before;
};

inline Mover mover_of(double x, double y, double w, double h, double dx, double dy) noexcept {
    Mover m{x, y, w, h, dx, dy, Mover::moving, {}, {}};
    constexpr double kNegInf = -std::numeric_limits<double>::infinity();
    if (!std::isfinite(x) || !std::isfinite(y) || !(w > kNegInf) || !(h > kNegInf)) {
        m.kind = Mover::none;
    } else if (!std::isfinite(dx) || !std::isfinite(dy) || (dx == 0 && dy == 0)) {
        m.kind = Mover::still;
    }
    // A box overlaps the rect at s only if b.right > x(s) and b.x < x(s) + w, so only if
    // b.right > min(x, x + dx) and b.x < max(x, x + dx) + w, exactly. Computed, the ends are
    // off by the roundings of x + dx and of the sum with w, a few eps of the magnitudes: the
    // margin of 2^-50 of them covers that. Most boxes a walk offers fail this at once.
    auto ends = [](double at, double d, double size, double &low, double &high) {
        double end = at + d;
        double margin = 0x1p-50 * (std::fabs(at) + std::fabs(end) + std::fabs(size)) + 0x1p-1000;
        low = std::min(at, end) - margin;
        high = std::max(at, end) + size + margin;
    };
    bool moving = m.kind == Mover::moving;
    ends(x, moving ? dx : 0, w, m.after.x1, m.before.x2);
    ends(y, moving ? dy : 0, h, m.after.y1, m.before.y2);
    return m;
}

// The segment its position follows, for the grid's walk (grid_walks.hpp): from the
// position to the position plus the offset, with the offset itself as its differences;
// a point where the rect stays, nothing where it overlaps nothing.
inline Segment path_of(const Mover &m) noexcept {
    if (m.kind != Mover::moving) {
        return {m.x, m.y, m.x, m.y, 0, 0, m.kind == Mover::still ? Segment::point : Segment::none};
    }
    return {m.x, m.y, m.x + m.dx, m.y + m.dy, m.dx, m.dy, Segment::line};
}

// An exact value as the sum of three doubles.
struct Sum3 {
    double p[3];
};

// Where a moving rect meets a box: at the start (overlapping as it stands), or across a side
// of x or y, s = num / d on that axis, with `edge` the position's touching value there as a
// double; at a corner (both axes at once), the side the rule chose, with `other` the other
// axis's touching value.
struct Contact {
    enum Axis : uint8_t { start, x, y };
    Axis axis;
    bool corner;
    double edge, other;
    Sum3 num;
};

namespace sweep_detail {

inline bool all_finite(const double *t, int n) noexcept {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(t[i])) {
            return false;
        }
    }
    return true;
}

// The sign of the sum of n doubles (n at most 16): exact where every one is finite, else the
// rounded sum's. Summed in order, the rounded sum is within (n - 1) eps of the sum of the
// magnitudes (eps = 2^-53; sums do not underflow), so beyond 2^-48 of that its sign is the
// exact one.
inline int sign_of_sum(const double *t, int n) noexcept {
    double s = 0, magnitude = 0;
    for (int i = 0; i < n; ++i) {
        s += t[i];
        magnitude += std::fabs(t[i]);
    }
    if (std::fabs(s) > 0x1p-48 * magnitude || !all_finite(t, n)) {
        return sign_of(s);  // NaN (infinities of both signs): 0
    }
    return sum_sign(t, n);
}

// The sign of a - minus.
inline int sign_less(const Sum3 &a, double minus = 0) noexcept {
    double t[4] = {a.p[0], a.p[1], a.p[2], -minus};
    return sign_of_sum(t, 4);
}

// The sign of a * u - b * v, exactly. Rounded, each of a and b carries two roundings and
// each product one more, the difference another: below 5 eps (|a| u + |b| v) in all (eps =
// 2^-53, |a| the sum of its parts' magnitudes), so beyond 2^-49 times that (and the
// rounding's floor near underflow) the rounded sign is the exact one. Else each of the six
// parts times its factor is two exact doubles (two_product): twelve in all.
inline int cross_sign(const Sum3 &a, double u, const Sum3 &b, double v) noexcept {
    double ra = (a.p[0] + a.p[1]) + a.p[2], rb = (b.p[0] + b.p[1]) + b.p[2];
    double det = ra * u - rb * v;
    double ma = std::fabs(a.p[0]) + std::fabs(a.p[1]) + std::fabs(a.p[2]);
    double mb = std::fabs(b.p[0]) + std::fabs(b.p[1]) + std::fabs(b.p[2]);
    double bound = 0x1p-49 * (ma * std::fabs(u) + mb * std::fabs(v)) + 0x1p-1000;
    if (det > bound) {
        return 1;
    }
    if (-det > bound) {
        return -1;
    }
    double terms[12];
    int n = 0;
    for (int i = 0; i < 3; ++i) {
        TwoParts p = two_product(a.p[i], u), q = two_product(-b.p[i], v);
        terms[n++] = p.hi, terms[n++] = p.lo, terms[n++] = q.hi, terms[n++] = q.lo;
    }
    return all_finite(terms, 12) ? sum_sign(terms, 12) : sign_of(det);
}

// One axis of the box grown by the moving rect, for a position starting at `at` and moving
// by d: whether the position can lie in (low, high) at all, and where it enters and leaves
// that interval: num / d, or from the start on (`always_in`, d = 0 and inside, or an
// unbounded near edge) and to the end (`never_out`).
struct Reach {
    bool empty;
    bool from_start, to_end;
    Sum3 in, out;  // numerators of s
    double edge;   // the touching value of the entry, as a double
};

// low = b_near - size (exact; -inf when the size is +inf), high = b_far (a double).
inline Reach reach_of(double at, double d, double near, double size, double far) noexcept {
    constexpr double kInf = std::numeric_limits<double>::infinity();
    Reach r{false, false, false, {{0, 0, 0}}, {{0, 0, 0}}, 0};
    // A box with an infinite near edge, or a far edge that is NaN or -inf, holds nothing.
    if (!std::isfinite(near) || !(far > -kInf)) {
        r.empty = true;
        return r;
    }
    bool low_open = size == kInf, high_open = far == kInf;  // no bound on that side
    Sum3 low{{near, -size, -at}}, high{{far, -at, 0}};       // minus the start
    if (!low_open && !high_open) {
        double t[3] = {near, -size, -far};
        if (sign_of_sum(t, 3) >= 0) {
            r.empty = true;  // low >= high: no value lies between
            return r;
        }
    }
    if (d == 0) {
        bool inside = (low_open || sign_less(low) < 0) && (high_open || sign_less(high) > 0);
        r.empty = !inside;
        r.from_start = r.to_end = true;
        return r;
    }
    bool up = d > 0;
    r.from_start = up ? low_open : high_open;
    r.to_end = up ? high_open : low_open;
    r.in = up ? low : high;
    r.out = up ? high : low;
    r.edge = up ? near - size : far;
    return r;
}

}  // namespace sweep_detail

// Where the moving rect meets the box, if it does (see the top). Overlapping at the start is
// overlap() on the rect as it stands, in doubles (collide_rect's answer); where the exact
// path says so too but doubles do not (values whose sums are not exact), the start as well.
inline bool contact(const Mover &m, const Bounds &b, Contact &c) noexcept {
    using namespace sweep_detail;
    if (m.kind == Mover::none) {
        return false;
    }
    double dx = m.kind == Mover::moving ? m.dx : 0, dy = m.kind == Mover::moving ? m.dy : 0;
    // Most boxes offered lie off the path (NaN edges are not refused here: the rule does).
    if (b.right <= m.after.x1 || b.x >= m.before.x2 || b.bottom <= m.after.y1 ||
        b.y >= m.before.y2) {
        return false;
    }
    c = {Contact::start, false, 0, 0, {{0, 0, 0}}};
    if (overlap({m.x, m.x + m.w, m.y, m.y + m.h}, b)) {
        return true;
    }
    Reach x = reach_of(m.x, dx, b.x, m.w, b.right), y = reach_of(m.y, dy, b.y, m.h, b.bottom);
    if (x.empty || y.empty) {
        return false;
    }
    if (x.from_start && y.from_start) {
        // Inside on both axes throughout: they overlap at the start, exactly.
        return x.to_end && y.to_end;
    }
    // s_in < 1 and s_out > 0 on each axis: sign(num - d) and sign(num) against sign(d).
    auto before_end = [](const Reach &r, double d) {
        return r.from_start || sign_less(r.in, d) * (d > 0 ? 1 : -1) < 0;
    };
    auto after_start = [](const Reach &r, double d) {
        return r.to_end || sign_less(r.out) * (d > 0 ? 1 : -1) > 0;
    };
    if (!before_end(x, dx) || !before_end(y, dy) || !after_start(x, dx) || !after_start(y, dy)) {
        return false;
    }
    // The sign of s_x(a) - s_y(b), for numerators a on x and b on y.
    auto across = [&](const Sum3 &a, const Sum3 &bn) {
        int s = cross_sign(a, dy, bn, dx);
        return (dx > 0) == (dy > 0) ? s : -s;
    };
    // Each entry before the other axis's exit.
    if (!x.from_start && !y.to_end && across(x.in, y.out) >= 0) {
        return false;
    }
    if (!y.from_start && !x.to_end && across(x.out, y.in) <= 0) {
        return false;
    }
    Contact::Axis axis;
    bool corner = false;
    if (x.from_start || y.from_start) {
        axis = x.from_start ? Contact::y : Contact::x;
    } else {
        int later = across(x.in, y.in);
        corner = later == 0;
        axis = later > 0 || (corner && std::fabs(dx) < std::fabs(dy)) ? Contact::x : Contact::y;
    }
    const Reach &r = axis == Contact::x ? x : y;
    double d = axis == Contact::x ? dx : dy;
    if (sign_less(r.in) * (d > 0 ? 1 : -1) < 0) {
        return true;  // entered before the start: overlapping there, exactly
    }
    c = {axis, corner, r.edge, corner ? (axis == Contact::x ? y.edge : x.edge) : 0, r.in};
    return true;
}

// The order of two contacts of the same moving rect, exactly: -1, 0 or 1 as a is reached
// before, with or after b.
inline int compare(const Mover &m, const Contact &a, const Contact &b) noexcept {
    using namespace sweep_detail;
    if (a.axis == Contact::start || b.axis == Contact::start) {
        return (a.axis != Contact::start) - (b.axis != Contact::start);
    }
    if (a.axis == b.axis) {
        double d = a.axis == Contact::x ? m.dx : m.dy;
        double t[6] = {a.num.p[0], a.num.p[1], a.num.p[2], -b.num.p[0], -b.num.p[1], -b.num.p[2]};
        int c = sign_of_sum(t, 6);
        return d > 0 ? c : -c;
    }
    const Contact &cx = a.axis == Contact::x ? a : b, &cy = a.axis == Contact::x ? b : a;
    int s = cross_sign(cx.num, m.dy, cy.num, m.dx);
    s = (m.dx > 0) == (m.dy > 0) ? s : -s;
    return a.axis == Contact::x ? s : -s;
}

// The s of a contact: (edge - position) / d in double (+ 0, so that touching where it
// stands moving towards - is 0, not -0); 0 at the start.
inline double s_of(const Mover &m, const Contact &c) noexcept {
    switch (c.axis) {
    case Contact::x:
        return (c.edge - m.x) / m.dx + 0.0;
    case Contact::y:
        return (c.edge - m.y) / m.dy + 0.0;
    default:
        return 0;
    }
}

// A double at least the exact s of a contact: the numerator summed in doubles is within
// 2 eps of the sum of its parts' magnitudes (two roundings), so adding 2^-51 of that bounds
// it, and 2^-50 covers the division and the product; infinity where no bound is known.
inline double s_above(const Mover &m, const Contact &c) noexcept {
    if (c.axis == Contact::start) {
        return 0;
    }
    double d = c.axis == Contact::x ? m.dx : m.dy;
    const double *p = c.num.p;
    double num = ((p[0] + p[1]) + p[2]) * (d > 0 ? 1 : -1);
    double margin = 0x1p-51 * (std::fabs(p[0]) + std::fabs(p[1]) + std::fabs(p[2]));
    double s = (num + margin) / std::fabs(d) * (1 + 0x1p-50) + 0x1p-1000;
    return std::isfinite(s) ? s : std::numeric_limits<double>::infinity();
}

// The position at the contact: the touching value on the axis entered, the other o + s * d_o
// as (o * d + a * d_o) / d with a = edge - position (one fused multiply-add: exact before
// the division where the differences and products are), else from s where that overflows;
// kept between where that coordinate starts and ends. The position itself at the start.
inline void position_at(const Mover &m, const Contact &c, double xy[2]) noexcept {
    auto other = [](double o, double d_o, double a, double d) {
        if (d_o == 0) {
            return o;
        }
        double p = std::fma(a, d_o, o * d) / d;
        if (!std::isfinite(p)) {
            p = o + a / d * d_o;
        }
        double end = o + d_o;
        return std::clamp(p, std::min(o, end), std::max(o, end));
    };
    switch (c.axis) {
    case Contact::x:
        xy[0] = c.edge;
        xy[1] = c.corner ? c.other : other(m.y, m.dy, c.edge - m.x, m.dx);
        return;
    case Contact::y:
        xy[1] = c.edge;
        xy[0] = c.corner ? c.other : other(m.x, m.dx, c.edge - m.y, m.dy);
        return;
    default:
        xy[0] = m.x;
        xy[1] = m.y;
    }
}

// The outward normal of the box's side met: (-1, 0) left, (1, 0) right, (0, -1) top, (0, 1)
// bottom; (0, 0) at the start.
inline void normal_of(const Mover &m, const Contact &c, double n[2]) noexcept {
    n[0] = c.axis == Contact::x ? (m.dx > 0 ? -1.0 : 1.0) : 0.0;
    n[1] = c.axis == Contact::y ? (m.dy > 0 ? -1.0 : 1.0) : 0.0;
}

}  // namespace tessel::engine

#endif
