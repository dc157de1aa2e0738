// Rect's methods and properties, each declared once. The tables that only name them (the
// string constants, the traceback frames, the operations index, the method objects and the
// order they are installed in, the published method table, the property table) are
// expanded from these lists; what a method takes is declared beside its checks
// (methods.cpp). README.md says what adding one takes.
#ifndef TESSEL_RECT_NAMES_HPP
#define TESSEL_RECT_NAMES_HPP

// The methods, in the order of the public method table after `new` (tessel/rect.h, checked
// at compile time) and of their installation. Each entry's signature is the table's member
// of that name.
#define TESSEL_RECT_METHODS(M)                                                                     \
    M(get_width)                                                                                   \
    M(get_height)                                                                                  \
    M(collide_point)                                                                               \
    M(collide_point_vector2)                                                                       \
    M(collide_point_tuple)                                                                         \
    M(collide_point_list)                                                                          \
    M(collide_rect)                                                                                \
    M(collide_rect_vector4)                                                                        \
    M(collide_rect_rect)                                                                           \
    M(collide_rect_tuple)                                                                          \
    M(collide_rect_list)                                                                           \
    M(get_vector4)                                                                                 \
    M(get_tuple)

// The properties, in the order of the class dictionary: P(name, kind, field, axis). The
// kind names the getter and setter pair (geometry.cpp); an alias property reads one
// component of `field`, the others work from position on `axis`.
#define TESSEL_RECT_PROPERTIES(P)                                                                  \
    P(x, alias, position, x)                                                                       \
    P(y, alias, position, y)                                                                       \
    P(w, alias, size, x)                                                                           \
    P(h, alias, size, y)                                                                           \
    P(width, alias, size, x)                                                                       \
    P(height, alias, size, y)                                                                      \
    P(left, alias, position, x)                                                                    \
    P(top, alias, position, y)                                                                     \
    P(right, edge, position, x)                                                                    \
    P(bottom, edge, position, y)                                                                   \
    P(centerx, center_line, position, x)                                                           \
    P(centery, center_line, position, y)                                                           \
    P(center, center_point, position, x)                                                           \
    P(position, vector, position, x)                                                               \
    P(size, vector, size, x)

namespace tessel::rect {

// The methods' positions in TESSEL_RECT_METHODS.
// clang-format off
enum class Method : int {
#define TESSEL_RECT_METHOD_ID(name, ...) name,
    TESSEL_RECT_METHODS(TESSEL_RECT_METHOD_ID)
#undef TESSEL_RECT_METHOD_ID
    count_
};
// clang-format on

inline constexpr int kMethodCount = static_cast<int>(Method::count_);

}  // namespace tessel::rect

#endif
