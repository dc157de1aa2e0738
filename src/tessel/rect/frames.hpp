// Traceback frames: a failing operation adds one frame named after its dotted path, so a
// Python traceback shows which Rect operation failed.
#ifndef TESSEL_RECT_FRAMES_HPP
#define TESSEL_RECT_FRAMES_HPP

namespace tessel::rect {

// One per operation, in the order of kFrames (frames.cpp).
enum class Frame : int {
    init_module,
    new_,
    init,
    repr,
    eq,
    getitem,
    setitem,
    get_width,
    get_height,
    collide_point,
    collide_point_vector2,
    collide_point_tuple,
    collide_point_list,
    collide_rect,
    collide_rect_vector4,
    collide_rect_rect,
    collide_rect_tuple,
    collide_rect_list,
    get_vector4,
    get_tuple,
    reduce,
    setstate,
    unpickle,
    unpickle_set_state,
    x_get,
    x_set,
    y_get,
    y_set,
    w_get,
    w_set,
    h_get,
    h_set,
    width_get,
    width_set,
    height_get,
    height_set,
    left_get,
    left_set,
    top_get,
    top_set,
    right_get,
    right_set,
    bottom_get,
    bottom_set,
    centerx_get,
    centerx_set,
    centery_get,
    centery_set,
    center_get,
    center_set,
    position_get,
    position_set,
    size_get,
    size_set,
    count_
};

// Adds the frame to the traceback of the exception being raised (one must be set).
// Never fails: if the frame cannot be made, the exception goes on without it.
void add_frame(Frame f) noexcept;

// Sets up what frames need (the module's namespace as their globals). Idempotent.
void frames_ready() noexcept;

}  // namespace tessel::rect

#endif
