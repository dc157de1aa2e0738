// The uniform grid, a pair kernel for boxes of alike sizes at an even density: built over
// the boxes once, then asked for the overlapping pairs (uniform_grid.cpp says why it finds
// each once). Gives up within a budget; no failures but running out of memory
// (std::bad_alloc).
#ifndef TESSEL_ENGINE_UNIFORM_GRID_HPP
#define TESSEL_ENGINE_UNIFORM_GRID_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#include "boxes.hpp"
#include "budget.hpp"

namespace tessel::engine {

// Square cells over the boxes' extent. A box is entered in every cell that its span
// touches: in the cell of its own left and top edges (its home) as one of a contiguous run
// of the boxes at home there, and in each other cell as a spill, grouped by whether it
// starts in that cell's column, in its row, or in neither. Boxes of set 0 and set 1 are
// kept apart within each cell.
//
// The layout serves other questions than pairs too: the boxes that a rect or a point may
// touch are those entered in the cells its span touches, and the rule that examines each
// pair in one cell (uniform_grid.cpp) reports each such box once, from the cell of the larger of
// its own and the query's first column and of the larger of their first rows.
class UniformGrid {
  public:
    // Lays the grid over `boxes`, which hold no NaN edge and a finite x and y each (other
    // boxes overlap nothing, can_overlap()). `cell` is the side of a cell, or 0 to take it
    // from the boxes' sizes, widened as needed so that the cells are not many more than the
    // boxes and the entries (a box per cell it touches) not more than `max_entries`. False,
    // with the grid empty, when the boxes' extent is not finite or the entries would be too
    // many.
    bool build(const std::vector<Box> &boxes, bool between, double cell, size_t max_entries);

    // Appends every overlapping pair, as TreeSweep::pairs() does; false, with `out` as it
    // was, when the budget runs out first.
    bool pairs(std::vector<Pair> &out, const Budget &budget) const;

    size_t bytes() const noexcept;
    void release() noexcept;

  private:
    // The cells a box's span touches: columns c0..c1, rows r0..r1; its home is (c0, r0).
    struct Range {
        uint32_t c0, c1, r0, r1;
    };
    uint32_t column(double x) const noexcept;
    uint32_t row(double y) const noexcept;
    bool plan(const std::vector<Box> &boxes, double cell, size_t max_entries);
    size_t map(const std::vector<Box> &boxes, size_t max_entries);
    void fill(const std::vector<Box> &boxes);
    size_t slot(uint32_t column, uint32_t row, const Box &b) const noexcept {
        return (size_t{row} * columns_ + column) * sets_ + (between_ ? b.set : 0);
    }
    template <bool kBetween> bool pairs_in(std::vector<Pair> &out, const Budget &budget) const;

    double left_ = 0, top_ = 0, inv_ = 1;  // origin, 1 / side
    uint32_t columns_ = 0, rows_ = 0, sets_ = 1;
    bool between_ = false;
    std::vector<Range> ranges_, sorted_ranges_;  // of the boxes as given, and of boxes_
    std::vector<uint32_t> order_;                // boxes_[p] is boxes[order_[p]]
    std::vector<Box> boxes_;                     // by home cell, then set
    // Per (cell, set): the first of its run in boxes_; one more at the end.
    std::vector<uint32_t> home_;
    // Per (cell, set, group): the first of its run in spills_; then a spare key, and the end.
    std::vector<uint32_t> spill_;
    std::vector<uint32_t> spills_;  // positions in boxes_
};

}  // namespace tessel::engine

#endif
