// The engine's own tests, in plain C++ with no interpreter: each is a property over random
// scenes, checked against a model made of plain loops. Built by CMake as `engine_test`
// (TESSEL_ENGINE_TESTS) and run by tests/test_engine.py; exits non-zero on any failure,
// naming the first few.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <source_location>
#include <vector>

#include "engine/boxes.hpp"
#include "engine/held.hpp"
#include "engine/hits.hpp"
#include "engine/pair_kernels.hpp"
#include "engine/pair_sort.hpp"
#include "engine/pool.hpp"
#include "engine/query_grid.hpp"
#include "engine/rect_counts.hpp"

namespace {

using namespace tessel::engine;

int g_checks = 0, g_failures = 0;

bool check(bool ok, const char *what, std::source_location at = std::source_location::current()) {
    ++g_checks;
    if (!ok && ++g_failures <= 20) {
        std::fprintf(stderr, "%s:%u: %s\n", at.file_name(), static_cast<unsigned>(at.line()),
                     what);
    }
    return ok;
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// Scenes of every kind the kernels meet: even, sizes over orders of magnitude, on a line,
// stacked points, negative and zero sizes, and a few values no grid can hold (infinities,
// NaN, edges near the largest doubles).
std::vector<Row> scene(std::mt19937_64 &rng, int kind, size_t n) {
    std::uniform_real_distribution<double> u(0, 1);
    std::vector<Row> rows(n);
    for (Row &r : rows) {
        double x = u(rng) * 1000, y = u(rng) * 1000, w = 5 + u(rng) * 30, h = 5 + u(rng) * 30;
        switch (kind) {
        case 1:  // sizes spread
            w = std::pow(10, u(rng) * 4 - 1);
            h = std::pow(10, u(rng) * 4 - 1);
            break;
        case 2:  // a line
            y = 500 + u(rng);
            break;
        case 3:  // stacked points
            x = std::floor(u(rng) * 4);
            y = std::floor(u(rng) * 4);
            w = h = 0;
            break;
        case 4:  // signs and zeros
            w *= u(rng) < 0.3 ? -1 : u(rng) < 0.1 ? 0 : 1;
            h *= u(rng) < 0.3 ? -1 : 1;
            break;
        }
        r = {x, y, w, h};
    }
    const Row odd[] = {{0, 0, kInf, 10},     {-kInf, 5, kInf, 1}, {kNaN, 0, 1, 1},
                       {1e308, 0, 1e308, 1}, {5, 5, -kInf, 3},    {-1e300, -1e300, 2e300, 2e300}};
    for (const Row &r : odd) {
        if (u(rng) < 0.3) {
            rows[static_cast<size_t>(u(rng) * static_cast<double>(n))] = r;
        }
    }
    return rows;
}

// The pairs of the overlap rule, by the loop over all pairs: (i, j), i < j; or, between,
// (index in set 0, index in set 1) of the boxes numbered within their sets.
std::vector<Pair> model_pairs(const std::vector<Box> &all, bool between) {
    std::vector<Pair> out;
    for (size_t i = 0; i < all.size(); ++i) {
        for (size_t j = i + 1; j < all.size(); ++j) {
            if ((!between || all[i].set != all[j].set) && overlap(all[i].bounds, all[j].bounds)) {
                out.push_back(pair_of(all[i], all[j], between));
            }
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<Box> boxes_of(const std::vector<Row> &rows, bool between) {
    std::vector<Box> boxes;
    uint32_t next[2] = {0, 0};
    for (size_t i = 0; i < rows.size(); ++i) {
        uint8_t set = between ? static_cast<uint8_t>(i % 2) : 0;
        boxes.push_back({bounds_of(rows[i]), next[set]++, set});
    }
    return boxes;
}

void test_every_kernel_finds_the_pairs_of_the_rule() {
    std::mt19937_64 rng(1);
    KernelMemory memory;
    const Kernel kernels[] = {Kernel::none, Kernel::uniform_grid, Kernel::axis_sweep,
                              Kernel::tree_sweep, Kernel::every_pair};
    for (int round = 0; round < 60; ++round) {
        size_t n = 2 + rng() % 500;
        std::vector<Row> rows = scene(rng, round % 5, n);
        for (bool between : {false, true}) {
            std::vector<Box> all = boxes_of(rows, between);
            std::vector<Pair> expected = model_pairs(all, between);
            // Boxes that can overlap nothing are left out, as the callers leave them out.
            std::vector<Box> boxes;
            std::copy_if(all.begin(), all.end(), std::back_inserter(boxes),
                         [](const Box &b) { return can_overlap(b.bounds); });
            check(model_pairs(boxes, between) == expected, "can_overlap() drops a pair");
            for (Kernel k : kernels) {
                for (double cell : {0.0, 7.5}) {
                    use_kernel(k, cell);
                    std::vector<Pair> found;
                    Kernel ran = find_pairs(memory, boxes, between, found);
                    memory.order.sort(found, static_cast<uint32_t>(n));
                    check(found == expected, "a kernel's pairs differ from the rule's");
                    // A grid cannot be laid over an infinite extent: the tree takes over.
                    bool fell = k == Kernel::uniform_grid && ran == Kernel::tree_sweep;
                    check(k == Kernel::none || ran == k || ran == Kernel::none || fell,
                          "a forced kernel did not run");
                }
            }
        }
    }
    use_kernel(Kernel::none, 0);
}

// The largest drift of the boxes from their cells, as the index's refresh finds it.
double drift_of(const QueryGrid &grid, const std::vector<Row> &rows) {
    QueryGrid::Keeper keeper(&grid);
    double drift = 0;
    for (size_t i = 0; i < rows.size(); ++i) {
        drift = std::max(drift, keeper.drift(i, rows[i]));
    }
    return drift;
}

void test_the_query_grid_finds_every_box_a_span_touches_while_the_boxes_drift() {
    std::mt19937_64 rng(2);
    std::uniform_real_distribution<double> u(0, 1);
    for (int round = 0; round < 80; ++round) {
        size_t n = 1 + rng() % 700;
        std::vector<Row> rows = scene(rng, round % 5, n);
        QueryGrid grid;
        grid.build(rows.data(), n, nullptr, true);
        for (int step = 0; step < 3; ++step) {
            if (!grid.still_holds(rows.data(), n)) {
                break;
            }
            const double drift = drift_of(grid, rows);
            for (int q = 0; q < 20; ++q) {
                Row query = q % 4 == 0 ? Row{u(rng) * 1000, u(rng) * 1000, 0, 0}
                                       : Row{u(rng) * 1100 - 50, u(rng) * 1100 - 50,
                                             u(rng) * 120, u(rng) * 120};
                Bounds qb = bounds_of(query);
                Hits hits;
                grid.visit(span_of(qb), drift, [](uint32_t) { return true; }, hits);
                std::vector<uint32_t> offered(hits.begin(), hits.end());
                std::set<uint32_t> seen(offered.begin(), offered.end());
                check(seen.size() == offered.size(), "a slot was offered twice");
                seen.insert(grid.aside().begin(), grid.aside().end());
                for (uint32_t slot = 0; slot < n; ++slot) {
                    Bounds b = bounds_of(rows[slot]);
                    bool touched = query.w == 0 ? contains(b, query.x, query.y) : overlap(b, qb);
                    if (touched && !check(seen.count(slot) == 1, "the grid missed a box")) {
                        return;
                    }
                }
                hits.ascending(n);
                check(std::is_sorted(hits.begin(), hits.end()), "hits are not ascending");
            }
            // The index's own pairs, from the grid.
            std::vector<Box> gathered;
            std::vector<Pair> found;
            GridBoxes held{grid, rows.data(), n, drift};
            if (query_grid_pairs(held, gathered, found) == Kernel::query_grid) {
                std::sort(found.begin(), found.end());
                check(found == model_pairs(boxes_of(rows, false), false),
                      "the grid's pairs differ from the rule's");
            }
            // A little drift, which the grid keeps while it can; in odd rounds only the moves
            // that keep each corner in its cell, so that the queries visit the fewer cells.
            QueryGrid::Keeper keeper(&grid);
            for (size_t i = 0; i < n; ++i) {
                Row was = rows[i];
                rows[i].x += (u(rng) - 0.5) * 4;
                rows[i].y += (u(rng) - 0.5) * 4;
                if (round % 2 == 1 && keeper.drift(i, rows[i]) > 0) {
                    rows[i] = was;
                }
            }
        }
    }
}

void test_the_orders_are_those_of_a_sort() {
    std::mt19937_64 rng(3);
    PairSort order;
    Hits hits;
    for (int round = 0; round < 50; ++round) {
        uint32_t bound = 1 + static_cast<uint32_t>(rng() % 5000);
        size_t k = rng() % 3000;
        std::vector<Pair> pairs(k);
        for (Pair &p : pairs) {
            p = {static_cast<uint32_t>(rng() % bound), static_cast<uint32_t>(rng() % bound)};
        }
        std::vector<Pair> expected = pairs;
        std::sort(expected.begin(), expected.end());
        order.sort(pairs, bound);
        check(pairs == expected, "the pair sort is not a sort");

        std::set<uint32_t> slots;
        while (slots.size() < std::min<size_t>(k, bound)) {
            slots.insert(static_cast<uint32_t>(rng() % bound));
        }
        std::vector<uint32_t> shuffled(slots.begin(), slots.end());
        std::shuffle(shuffled.begin(), shuffled.end(), rng);
        hits.clear();
        std::copy(shuffled.begin(), shuffled.end(), hits.room(shuffled.size()));
        hits.keep(shuffled.size());
        hits.ascending(bound);
        check(std::equal(hits.begin(), hits.end(), slots.begin(), slots.end()),
              "ascending() is not a sort");
    }
}

void test_rect_counts_are_a_multiset() {
    std::mt19937_64 rng(4);
    RectCounts counts;
    std::map<const void *, int> model;
    std::vector<const void *> held;
    for (int step = 0; step < 20000; ++step) {
        const void *rect = reinterpret_cast<const void *>(uintptr_t{16} * (1 + rng() % 300));
        if (rng() % 3 != 0 || held.empty()) {
            counts.reserve(1);
            counts.add(rect);
            ++model[rect];
            held.push_back(rect);
        } else {
            size_t at = rng() % held.size();
            rect = held[at];
            held.erase(held.begin() + static_cast<ptrdiff_t>(at));
            counts.remove(rect);
            if (--model[rect] == 0) {
                model.erase(rect);
            }
        }
        size_t duplicates = 0;
        for (const auto &[r, c] : model) {
            duplicates += static_cast<size_t>(c - 1);
        }
        check(counts.duplicates() == duplicates && counts.contains(rect) == model.count(rect),
              "the counts differ from the multiset's");
    }
}

// A space of one part, of a given size.
struct Space {
    std::vector<char> part;
    size_t bytes() const noexcept { return held(part); }
    void trim(size_t limit) noexcept { trim_largest(limit, part); }
    void clear() noexcept {}
};

void test_the_pool_keeps_at_most_its_limit_largest_parts_first() {
    Pool<Space> &pool = Pool<Space>::shared();
    for (size_t limit : {kKeptBytes, size_t{5000}, size_t{0}}) {
        pool.keep_at_most(limit);
        {
            Lease<Space> a, b, c;
            a->part.reserve(3000);
            b->part.reserve(3000);
            c->part.reserve(100);
        }
        check(pool.kept_bytes() <= limit, "the pool keeps more than its limit");
        check(limit != kKeptBytes || pool.kept_bytes() >= 6100, "the pool kept too little");
    }
    pool.keep_at_most(kKeptBytes);

    std::vector<char> small(10), large(1000), middle(100);
    trim_largest(150, small, large, middle);
    check(large.capacity() == 0 && middle.capacity() == 100 && small.capacity() == 10,
          "trim_largest() gave back other parts than the largest");
}

}  // namespace

int main() {
    test_every_kernel_finds_the_pairs_of_the_rule();
    test_the_query_grid_finds_every_box_a_span_touches_while_the_boxes_drift();
    test_the_orders_are_those_of_a_sort();
    test_rect_counts_are_a_multiset();
    test_the_pool_keeps_at_most_its_limit_largest_parts_first();
    std::printf("engine: %d checks, %d failed\n", g_checks, g_failures);
    return g_failures == 0 ? 0 : 1;
}
