// The text of a float as repr(float) gives it, written into a caller's buffer, so that a
// vector's text form costs one string object and no float objects.
#ifndef TESSEL_VECTORS_FLOAT_TEXT_HPP
#define TESSEL_VECTORS_FLOAT_TEXT_HPP

#include <charconv>
#include <cmath>
#include <cstring>

namespace tessel {

// Room for the longest text write_float_repr gives ("-0.0001234567890123456" and the like).
inline constexpr int kFloatReprMax = 32;

// Writes repr(value) at `out` (at most kFloatReprMax characters, no terminator) and returns
// the end. The digits are the shortest that read back as `value`, nearest to it on a tie
// (what repr uses too); the layout is repr's: positional notation with at least one digit
// after the point for 1e-4 <= |value| < 1e16, else d.ddde+XX with at least two exponent
// digits; "nan" without a sign, "inf" and "-inf".
inline char *write_float_repr(char *out, double value) {
    if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        return out + 3;
    }
    if (std::signbit(value)) {
        *out++ = '-';
        value = -value;
    }
    if (std::isinf(value)) {
        std::memcpy(out, "inf", 3);
        return out + 3;
    }
    // Scientific form gives the digits and the exponent apart: d[.ddd]e(+|-)XX.
    char sci[kFloatReprMax];
    char *end = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific).ptr;
    char digits[20];
    int count = 0;
    const char *p = sci;
    for (; *p != 'e'; ++p) {
        if (*p != '.') {
            digits[count++] = *p;
        }
    }
    int exponent = 0;
    std::from_chars(p[1] == '+' ? p + 2 : p + 1, end, exponent);
    int point = exponent + 1;  // digits before the decimal point
    if (point <= -4 || point > 16) {
        *out++ = digits[0];
        if (count > 1) {
            *out++ = '.';
            std::memcpy(out, digits + 1, count - 1);
            out += count - 1;
        }
        *out++ = 'e';
        *out++ = exponent < 0 ? '-' : '+';
        int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10) {
            *out++ = '0';
        }
        return std::to_chars(out, out + 4, magnitude).ptr;
    }
    if (point <= 0) {
        *out++ = '0';
        *out++ = '.';
        std::memset(out, '0', -point);
        out += -point;
        std::memcpy(out, digits, count);
        return out + count;
    }
    if (point < count) {
        std::memcpy(out, digits, point);
        out += point;
        *out++ = '.';
        std::memcpy(out, digits + point, count - point);
        return out + (count - point);
    }
    std::memcpy(out, digits, count);
    out += count;
    std::memset(out, '0', point - count);
    out += point - count;
    std::memcpy(out, ".0", 2);
    return out + 2;
}

}  // namespace tessel

#endif
