// Rect's methods and properties, each declared once. Every table that names them (the
// string constants, the traceback frames, the operations index, the method objects and the
// order they are installed in, the published method table, the property table) is expanded
// from these lists, so adding one is one line here and its operation in its own file.
#ifndef TESSEL_RECT_NAMES_HPP
#define TESSEL_RECT_NAMES_HPP

// The methods, in the order of the public method table after `new` (tessel/rect.h, checked
// at compile time) and of their installation: M(name, parameter...). The parameter, for a
// method that takes one, is its name and declared type as the fields of a Param (args.hpp);
// the entry's signature is the table's member of that name.
#define TESSEL_RECT_METHODS(M)                                                                     \
    M(get_width)                                                                                   \
    M(get_height)                                                                                  \
    M(collide_point, Str::point)                                                                   \
    M(collide_point_vector2, Str::point, &g_state.vector2_type)                                    \
    M(collide_point_tuple, Str::point, &kTupleType, true)                                          \
    M(collide_point_list, Str::point, &kListType, true)                                            \
    M(collide_rect, Str::other)                                                                    \
    M(collide_rect_vector4, Str::other, &g_state.vector4_type)                                     \
    M(collide_rect_rect, Str::other, &kRectType)                                                   \
    M(collide_rect_tuple, Str::other, &kTupleType, true)                                           \
    M(collide_rect_list, Str::other, &kListType, true)                                             \
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
    P(centerx, centre, position, x)                                                                \
    P(centery, centre, position, y)                                                                \
    P(center, center, position, x)                                                                 \
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
