// The vectors' arithmetic that must be exact at its edges: interpolation, lengths that
// neither overflow nor underflow, steps towards a point, quarter turns and angles, decimal
// rounding. Plain doubles, no Python.
#ifndef TESSEL_VECTORS_MATH_HPP
#define TESSEL_VECTORS_MATH_HPP

#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdlib>
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

// The point `distance` along the line from a to b: b itself, exactly, once it is within
// reach (or a is b); never past b on the way; a negative distance moves away from b. The
// gap is measured as Scaled measures lengths, halved first where b - a overflows, so that
// no component overflows before the end.
template <std::size_t N>
Components<N> towards(const Components<N> &a, const Components<N> &b, double distance) {
    Components<N> d;
    bool halved = false;
    for (std::size_t i = 0; i < N; ++i) {
        d[i] = b[i] - a[i];
        halved = halved || (std::isinf(d[i]) && std::isfinite(a[i]) && std::isfinite(b[i]));
    }
    if (halved) {
        for (std::size_t i = 0; i < N; ++i) {
            d[i] = b[i] * 0.5 - a[i] * 0.5;  // exact: such components are far from zero
        }
    }
    Scaled<N> s = scaled(d);
    double gap = s.length();
    if (gap == 0.0 || gap <= (halved ? distance * 0.5 : distance)) {
        return b;
    }
    double unit = s.scaled_length();
    Components<N> out;
    for (std::size_t i = 0; i < N; ++i) {
        double x = a[i] + s.v[i] / unit * distance;
        // A step short of b may round past it; a step away has no b to pass.
        out[i] = !(distance > 0.0) ? x : b[i] > a[i] ? std::min(x, b[i]) : std::max(x, b[i]);
    }
    return out;
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

// x rounded to the nearest integer, halves to even, as round(x) rounds a float; the sign of
// a zero result is dropped, as round(x) gives an int. Infinities and NaN are left as they
// are (round(x) has no int to give for them; a component is a float).
inline double round_to_integer(double x) {
    return std::isfinite(x) ? std::nearbyint(x) + 0.0 : x;  // the default mode: ties to even
}

// x rounded to `digits` decimal places (tens, hundreds, ... for negative `digits`), as
// round(x, digits) rounds a float: the decimal nearest the exact binary value, halves to
// even, then the double nearest that decimal. False where this cannot answer cheaply (more
// than 22 digits either way, or a scaled value beyond 2^52), to be asked of the float itself.
//
// With s = 10^|digits|, exact in a double up to 10^22, p = x * s (or x / s) is rounded once,
// and fma gives the sign of its error exactly: the product's error, or the division's
// remainder x - p * s, both representable. Below 2^52 every half-integer is a double, so p
// rounds as the exact value does unless p is itself a half-integer, where the error's sign
// decides (its absence: halves to even). The integer q is exact, and q / s (or q * s) is
// rounded once from exact operands: the double nearest the decimal.
inline constexpr double powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                           1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                           1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
inline bool round_to_digits(double x, long digits, double &out) {
    if (!std::isfinite(x) || x == 0.0) {
        out = x;  // as round(x, digits) leaves them
        return true;
    }
    if (digits < -22 || digits > 22) {
        return false;
    }
    double s = powers_of_ten[std::labs(digits)];
    double p = digits >= 0 ? x * s : x / s;
    if (digits >= 0 && std::fabs(p) >= 0x1p54) {
        out = x;  // 10^-digits is below half a unit of x: x is its own nearest decimal
        return true;
    }
    if (!(std::fabs(p) < 0x1p52)) {
        return false;
    }
    double q = std::nearbyint(p);
    if (std::fabs(p - q) == 0.5) {
        double error = digits >= 0 ? std::fma(x, s, -p) : std::fma(-p, s, x);
        q = error > 0.0 ? std::ceil(p) : error < 0.0 ? std::floor(p) : q;
    }
    out = digits >= 0 ? q / s : q * s;
    return true;
}

}  // namespace tessel

#endif
