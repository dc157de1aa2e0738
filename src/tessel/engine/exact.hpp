// Exact predicates: the signs of the few expressions of doubles that the segment queries
// (segment.hpp) decide, right whatever the rounding. Each first answers in doubles where
// the rounding provably cannot change the sign, and otherwise computes the exact value as
// an expansion, a sum of doubles that do not overlap, whose sign is its largest part's.
//
// Exact for finite doubles whose differences and products neither overflow nor underflow
// (coordinates up to about 1e150 in magnitude, products of differences above about 1e-290):
// there each of the error-free transformations below gives a rounded result and its error
// as two doubles whose sum is the exact value. Outside that range the answers are the
// doubles' own, sound but not exact.
#ifndef TESSEL_ENGINE_EXACT_HPP
#define TESSEL_ENGINE_EXACT_HPP

#include <bit>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>

namespace tessel::engine {

// hi + lo, exactly: hi the rounded value, lo its error.
struct TwoParts {
    double hi, lo;
};

// a + b (Knuth's TwoSum: six operations, any order of magnitudes). With round to nearest
// the error of a sum is itself a double, and these steps compute it without rounding. The
// build keeps floating-point contraction off (ISO C++ mode), so no step is fused.
inline TwoParts two_sum(double a, double b) noexcept {
    double s = a + b;
    double b_part = s - a;
    double a_part = s - b_part;
    return {s, (a - a_part) + (b - b_part)};
}

// a - b: TwoSum of a and -b (negation is exact).
inline TwoParts two_diff(double a, double b) noexcept { return two_sum(a, -b); }

// a * b: the error of a product is a double, and one fused multiply-add gives it exactly
// (a * b - p rounded once, and it is representable).
inline TwoParts two_product(double a, double b) noexcept {
    double p = a * b;
    return {p, std::fma(a, b, -p)};
}

inline int sign_of(double v) noexcept { return (v > 0) - (v < 0); }

// The exact sum of `n` doubles (n at most 16) as an expansion in `parts`, returning how
// many: each term is added in (Shewchuk's growing with zero elimination), and the parts
// stay non-overlapping and increasing in magnitude.
inline int expansion_of(const double *terms, int n, double parts[16]) noexcept {
    int m = 0;
    for (int k = 0; k < n; ++k) {
        double q = terms[k];
        int kept = 0;
        for (int i = 0; i < m; ++i) {
            TwoParts s = two_sum(q, parts[i]);
            if (s.lo != 0) {
                parts[kept++] = s.lo;
            }
            q = s.hi;
        }
        parts[kept++] = q;
        m = kept;
    }
    return m;
}

// The sign of the exact sum of `n` doubles (n at most 16): that of its expansion's largest
// part, which outweighs all the others.
inline int sum_sign(const double *terms, int n) noexcept {
    double parts[16];
    for (int i = expansion_of(terms, n, parts) - 1; i >= 0; --i) {
        if (parts[i] != 0) {
            return sign_of(parts[i]);
        }
    }
    return 0;
}

namespace exact_detail {

// orient() on the doubles as given; false in `decided` where a difference or product left
// the range of the doubles, so that its parts are no longer exact.
inline int orient_as_given(double sx, double sy, double ex, double ey, double px, double py,
                           bool &decided) noexcept {
    decided = true;
    double left = (px - sx) * (ey - sy), right = (py - sy) * (ex - sx);
    double det = left - right;
    // Each product carries three roundings (two differences and the product) and the
    // difference one more: the error is below (3 + 16 eps) eps (|left| + |right|) for eps =
    // 2^-53, so beyond 4 eps the rounded sign is the exact one. A NaN fails both tests.
    double bound = 0x1p-51 * (std::fabs(left) + std::fabs(right));
    if (det > bound) {
        return 1;
    }
    if (-det > bound) {
        return -1;
    }
    // Each difference exactly as two doubles, each product of two such as four exact
    // products of two doubles each: sixteen doubles whose sum is the exact value.
    TwoParts a[2] = {two_diff(px, sx), two_diff(py, sy)};
    TwoParts b[2] = {two_diff(ey, sy), two_diff(ex, sx)};
    double terms[16];
    int n = 0;
    for (int side = 0; side < 2; ++side) {
        double factor = side == 0 ? 1.0 : -1.0;
        for (double u : {a[side].hi, a[side].lo}) {
            for (double v : {b[side].hi, b[side].lo}) {
                TwoParts p = two_product(u, v);
                terms[n++] = factor * p.hi;
                terms[n++] = factor * p.lo;
            }
        }
    }
    for (double t : terms) {
        if (!std::isfinite(t)) {
            decided = false;
            return sign_of(det);
        }
    }
    return sum_sign(terms, n);
}

// The power of two that brings the largest magnitude of three values near 2^500.
inline int rescaling(double a, double b, double c) noexcept {
    double m = std::fmax(std::fabs(a), std::fmax(std::fabs(b), std::fabs(c)));
    return m > 0 && std::isfinite(m) ? 500 - std::ilogb(m) : 0;
}

}  // namespace exact_detail

// The sign of (px - sx) * (ey - sy) - (py - sy) * (ex - sx): which side of the line from
// S to E the point P lies on. For a segment's queries it compares two ratios across the
// axes, (px - sx) / (ex - sx) against (py - sy) / (ey - sy), without dividing.
//
// Where a difference or product overflows, the coordinates of each axis are scaled by a
// power of two of their own: each product holds one difference of each axis, so the sign
// stays, and near 2^500 no difference or product of the scaled values overflows (16 terms
// below 2^1004 sum within range). The scaling is exact unless a value falls below the
// normal range on the way, where the answer is the scaled doubles' own: sound, not exact.
inline int orient(double sx, double sy, double ex, double ey, double px, double py) noexcept {
    bool decided;
    int sign = exact_detail::orient_as_given(sx, sy, ex, ey, px, py, decided);
    if (decided) {
        return sign;
    }
    int kx = exact_detail::rescaling(sx, ex, px), ky = exact_detail::rescaling(sy, ey, py);
    return exact_detail::orient_as_given(std::ldexp(sx, kx), std::ldexp(sy, ky),
                                         std::ldexp(ex, kx), std::ldexp(ey, ky),
                                         std::ldexp(px, kx), std::ldexp(py, ky), decided);
}

// The correctly rounded quotient of the exact sum of `n` doubles (n at most 13) by d, or a
// NaN where a term, d, or a product below is not finite. A first quotient in doubles lies
// within a few units in the last place of the exact one (its sum is the
// expansion's, summed from the smallest part); each step then compares the exact
// sum with the product of d and the midpoint to the next double on either side, m * d =
// q * d + (half a unit) * d: the first product exact as two doubles (fma), the second a
// power of two times d, exact, so the comparison is the sign of an exact sum. The quotient
// moves while the exact one lies beyond a midpoint; on a midpoint, to the even one.
inline double quotient_rounded(const double *terms, int n, double d) noexcept {
    for (int k = 0; k < n; ++k) {
        if (!std::isfinite(terms[k])) {
            return std::nan("");
        }
    }
    // The parts summed from the smallest: within an ulp or so of the exact sum, however
    // much the terms cancel.
    double parts[16], approx = 0;
    for (int i = 0, m = expansion_of(terms, n, parts); i < m; ++i) {
        approx += parts[i];
    }
    double q = approx / d;
    if (!std::isfinite(q) || !std::isfinite(d) || d == 0) {
        return std::nan("");
    }
    const double towards[2] = {std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity()};
    // The sign of (exact sum) - m * d for the midpoint m between q and its neighbour.
    auto beyond = [&](double next) {
        double all[16];
        for (int k = 0; k < n; ++k) {
            all[k] = terms[k];
        }
        TwoParts qd = two_product(q, d);
        all[n] = -qd.hi, all[n + 1] = -qd.lo, all[n + 2] = -((next - q) * 0.5 * d);
        for (int k = n; k < n + 3; ++k) {
            if (!std::isfinite(all[k])) {
                return 0;
            }
        }
        // The exact quotient lies past the midpoint (towards next) when the sign of the
        // residual, times that of d, is the direction of next.
        int s = sum_sign(all, n + 3) * (d > 0 ? 1 : -1);
        return next > q ? s : -s;
    };
    for (int side = 0; side < 2; ++side) {
        for (int step = 0; step < 8; ++step) {
            double next = std::nextafter(q, towards[side]);
            if (!std::isfinite(next)) {
                break;
            }
            int past = beyond(next);
            if (past > 0) {
                q = next;
                continue;
            }
            if (past == 0 && (std::bit_cast<uint64_t>(next) & 1) == 0) {
                q = next;  // on the midpoint: the neighbour is the even one
            }
            break;
        }
    }
    return q;
}

// The sign of |a - b| - |c - d|. Rounding is monotone and symmetric, so rounded magnitudes
// that differ order the exact ones the same way; only equal ones need the exact sum, where
// each difference counts with the sign its rounded value has (a rounded difference of
// doubles is zero only when it is exactly zero).
inline int compare_lengths(double a, double b, double c, double d) noexcept {
    double u = a - b, v = c - d;
    if (!std::isfinite(u) || !std::isfinite(v)) {
        // A difference overflowed: an eighth of each is exact (unless it falls below the
        // normal range) and no sum of four of them overflows.
        if (std::isfinite(a) && std::isfinite(b) && std::isfinite(c) && std::isfinite(d)) {
            return compare_lengths(a * 0.125, b * 0.125, c * 0.125, d * 0.125);
        }
        return 0;
    }
    if (std::fabs(u) != std::fabs(v)) {
        return std::fabs(u) < std::fabs(v) ? -1 : 1;
    }
    double su = u < 0 ? -1.0 : 1.0, sv = v < 0 ? -1.0 : 1.0;
    double terms[4] = {su * a, -su * b, -sv * c, sv * d};
    for (double t : terms) {
        if (!std::isfinite(t)) {
            return 0;
        }
    }
    return sum_sign(terms, 4);
}

}  // namespace tessel::engine

#endif
