// The vectors' arithmetic that must be exact at its edges: interpolation, lengths that
// neither overflow nor underflow, quarter turns and angles. Plain doubles, no Python.
#ifndef TESSEL_VECTORS_MATH_HPP
#define TESSEL_VECTORS_MATH_HPP

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <numbers>

namespace tessel {

template <std::size_t N> using Components = std::array<double, N>;

// Summed in component order: the order every length and product of the vectors keeps.
template <std::size_t N> double dot(const Components<N> &a, const Components<N> &b) {
    double sum = 0.0;
    for (std::size_t i = 0; i < N; ++i) {
        sum += a[i] * b[i];
    }
    return sum;
}

// The point at t on the way from a to b.
//
// t = 0 gives a and t = 1 gives b, whatever a and b are (a + (b - a) * t need not: 1e20 +
// (1 - 1e20) is 0, and inf * 0 is NaN). In between it is a + (b - a) * t, which is monotone
// in t because each of its roundings is; but a + (b - a) may round past b, so points before
// t = 1 are kept on a's side of b and points after it beyond b, and the exact b at t = 1
// breaks no order. When b - a overflows (a and b far apart, of opposite signs), each end is
// weighted on its own instead: t * b and (1 - t) * a both move towards b as t grows, so
// their sum is monotone too.
inline double lerp(double a, double b, double t) {
    if (t == 0.0) {
        return a;
    }
    if (t == 1.0) {
        return b;
    }
    double d = b - a;
    if (std::isinf(d) && std::isfinite(a) && std::isfinite(b)) {
        return t * b + (1.0 - t) * a;
    }
    double x = a + d * t;
    bool towards_b = (t < 1.0) == (b > a);  // b bounds x from above
    return towards_b ? std::min(x, b) : std::max(x, b);
}

// A vector and the sum of its squares, scaled by 2^-exponent where the plain sum would
// overflow or lose precision to underflow. Only then: every other vector keeps the very sum
// it always had. Scaling by a power of two is exact, and brings the largest component into
// [0.5, 1), where no square overflows and those that underflow are far below the sum's last
// digit. Infinities and NaN are left as they are.
template <std::size_t N> struct Scaled {
    Components<N> v;
    int exponent = 0;
    double squares = 0.0;

    double scaled_length() const { return std::sqrt(squares); }
    // 2^exponent times the scaled length: infinite only when it exceeds the doubles.
    double length() const {
        return exponent == 0 ? scaled_length() : std::scalbn(scaled_length(), exponent);
    }
};

// Scales s.v so that its largest component lies in [0.5, 1), unless it is zero or not
// finite (then nothing can help), and sums the squares again.
template <std::size_t N> void rescale(Scaled<N> &s) {
    double largest = 0.0;
    for (double c : s.v) {
        largest = std::max(largest, std::fabs(c));
    }
    if (largest != 0.0 && std::isfinite(largest)) {
        std::frexp(largest, &s.exponent);
        for (double &c : s.v) {
            c = std::scalbn(c, -s.exponent);
        }
        s.squares = dot(s.v, s.v);
    }
}

// Inlined so that the components stay in registers: passed through memory to a call, they
// cost more than the length itself.
template <std::size_t N> [[gnu::always_inline]] inline Scaled<N> scaled(const Components<N> &v) {
    Scaled<N> s{v, 0, dot(v, v)};
    // From 2^-969 up, a square below the normal range (2^-1022) lies under the sum's last
    // digit; NaN is NaN either way.
    if (!(s.squares >= 0x1p-969 && s.squares <= DBL_MAX) && !std::isnan(s.squares)) {
        rescale(s);
    }
    return s;
}

// (x, y) turned by `degrees`, counter-clockwise for y up. The angle is split into whole
// quarter turns, made by exchanging and negating components (exact), and a rest within
// 45 degrees; a rest of zero multiplies by nothing, so quarter turns are exact even for
// infinite components.
inline Components<2> rotated(double x, double y, double degrees) {
    if (!std::isfinite(degrees)) {
        return {NAN, NAN};
    }
    double turn = std::fmod(degrees, 360.0);  // exact
    double quarters = std::nearbyint(turn / 90.0);
    // Exact (Sterbenz): for quarters != 0, turn lies within [45, 180] * |quarters|.
    double rest = turn - quarters * 90.0;
    if (rest != 0.0) {
        double radians = rest * (std::numbers::pi / 180.0);
        double c = std::cos(radians);
        double s = std::sin(radians);
        double rx = x * c - y * s;
        y = x * s + y * c;
        x = rx;
    }
    // 0 - c rather than -c: a turned zero stays 0.0, as the rotation's sums of products
    // give it, rather than becoming -0.0.
    switch ((static_cast<int>(quarters) % 4 + 4) % 4) {
    case 1:
        return {0.0 - y, x};
    case 2:
        return {0.0 - x, 0.0 - y};
    case 3:
        return {y, 0.0 - x};
    default:
        return {x, y};
    }
}

// The angle of the point (c, s) seen from the origin, in degrees within (-180, 180]: 0 for
// the origin, and exact on the axes.
inline double degrees_of(double s, double c) {
    if (std::isnan(s) || std::isnan(c)) {
        return NAN;
    }
    if (s == 0.0) {
        return c < 0.0 ? 180.0 : 0.0;
    }
    if (c == 0.0) {
        return s > 0.0 ? 90.0 : -90.0;
    }
    double d = std::atan2(s, c) * (180.0 / std::numbers::pi);
    return d <= -180.0 ? 180.0 : d;  // an angle just above -180 may round to it
}

}  // namespace tessel

#endif
