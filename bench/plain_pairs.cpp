// The plain-array reference for overlapping pairs: what the hardware allows when the boxes
// are packed floats already and no Python object takes part. Two methods over the same
// boxes, each ending with the pairs sorted by (i, j): a uniform grid, and a sort-and-sweep
// along the axis of larger spread; the bench takes the better of the two. The boxes are
// (x, y, w, h) of positive sizes, the rule the open overlap of their float edges. Only what
// the bench's scenes need: no NaN, no infinities, no degenerate sizes. Never installed;
// built with -DTESSEL_BENCH=ON.
#include <Python.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

struct Box {
    float x1, y1, x2, y2;
};

struct Pair {
    uint32_t i, j;
};

// Every buffer, kept from one call to the next as a program over plain arrays would: no
// call pays for fresh pages.
struct Buffers {
    std::vector<Box> boxes, cells, sorted;
    std::vector<Pair> pairs, scratch;
    std::vector<uint32_t> count, start, ids, fill;
    std::vector<float> sample;
    struct Keyed {
        float key;
        uint32_t id;
    };
    std::vector<Keyed> order;
} g;

bool overlap(const Box &a, const Box &b) {
    return (a.x1 < b.x2) & (b.x1 < a.x2) & (a.y1 < b.y2) & (b.y1 < a.y2);
}

void emit(std::vector<Pair> &out, uint32_t a, uint32_t b) {
    out.push_back(a < b ? Pair{a, b} : Pair{b, a});
}

// Two stable counting passes: by j, then by i.
void sort_pairs(std::vector<Pair> &pairs, uint32_t n) {
    std::vector<Pair> &scratch = g.scratch;
    std::vector<uint32_t> &count = g.count;
    scratch.resize(pairs.size());
    count.resize(size_t{n} + 1);
    auto pass = [&](const std::vector<Pair> &from, std::vector<Pair> &to, auto key) {
        std::fill(count.begin(), count.end(), 0);
        for (const Pair &p : from) {
            ++count[key(p) + 1];
        }
        for (size_t k = 1; k < count.size(); ++k) {
            count[k] += count[k - 1];
        }
        for (const Pair &p : from) {
            to[count[key(p)]++] = p;
        }
    };
    pass(pairs, scratch, [](const Pair &p) { return p.j; });
    pass(scratch, pairs, [](const Pair &p) { return p.i; });
}

// The grid: square cells of a side near the boxes' typical size, at most about 2n of them
// over the boxes' extent. A box is entered in every cell its edges touch; a pair is tested
// only in the cell that holds the larger of the two left edges and the larger of the two
// top edges, found without a test by grouping each cell's boxes by whether they start in
// its column and in its row.
void grid(const std::vector<Box> &boxes, std::vector<Pair> &out, double quantile) {
    size_t n = boxes.size();
    if (n < 2) {
        return;
    }
    std::vector<float> &sample = g.sample;
    sample.clear();
    for (size_t i = 0; i < n; i += std::max<size_t>(1, n / 1024)) {
        const Box &b = boxes[i];
        sample.push_back(std::max(b.x2 - b.x1, b.y2 - b.y1));
    }
    auto q = sample.begin() + static_cast<ptrdiff_t>(quantile * (sample.size() - 1));
    std::nth_element(sample.begin(), q, sample.end());
    float lx = boxes[0].x1, hx = boxes[0].x2, ly = boxes[0].y1, hy = boxes[0].y2;
    for (const Box &b : boxes) {
        lx = std::min(lx, b.x1);
        hx = std::max(hx, b.x2);
        ly = std::min(ly, b.y1);
        hy = std::max(hy, b.y2);
    }
    double cap = 2.0 * static_cast<double>(n) + 16;
    double cell = std::max<double>(*q, 1e-30);
    double cols = 0, rows = 0;
    for (;;) {
        cols = std::floor((hx - lx) / cell) + 1;
        rows = std::floor((hy - ly) / cell) + 1;
        if (cols * rows <= cap) {
            break;
        }
        cell *= 1.25;
    }
    uint32_t ncols = static_cast<uint32_t>(cols), nrows = static_cast<uint32_t>(rows);
    float inv = static_cast<float>(1 / cell);
    auto col = [&](float v) { return std::min(static_cast<uint32_t>((v - lx) * inv), ncols - 1); };
    auto row = [&](float v) { return std::min(static_cast<uint32_t>((v - ly) * inv), nrows - 1); };

    // Group of a box in a cell: 0 starts in both its column and row, 1 in the column only,
    // 2 in the row only, 3 in neither. Owned pairs: 0 with any, 1 with 2.
    std::vector<uint32_t> &start = g.start;
    start.assign(size_t{ncols} * nrows * 4 + 1, 0);
    auto cover = [&](const Box &b, auto &&f) {
        uint32_t c0 = col(b.x1), c1 = col(b.x2), r0 = row(b.y1), r1 = row(b.y2);
        for (uint32_t r = r0; r <= r1; ++r) {
            for (uint32_t c = c0; c <= c1; ++c) {
                f((size_t{r} * ncols + c) * 4 + (c != c0) * 2 + (r != r0));
            }
        }
    };
    for (const Box &b : boxes) {
        cover(b, [&](size_t key) { ++start[key + 1]; });
    }
    for (size_t k = 1; k < start.size(); ++k) {
        start[k] += start[k - 1];
    }
    std::vector<Box> &cells = g.cells;
    std::vector<uint32_t> &ids = g.ids;
    std::vector<uint32_t> &fill = g.fill;
    cells.resize(start.back());
    ids.resize(start.back());
    fill.assign(start.begin(), start.end() - 1);
    for (uint32_t i = 0; i < n; ++i) {
        cover(boxes[i], [&](size_t key) {
            uint32_t at = fill[key]++;
            cells[at] = boxes[i];
            ids[at] = i;
        });
    }
    for (size_t c = 0; c + 1 < start.size(); c += 4) {
        uint32_t s = start[c], x = start[c + 1], y = start[c + 2], m = start[c + 3],
                 end = start[c + 4];
        for (uint32_t i = s; i < x; ++i) {
            for (uint32_t j = i + 1; j < end; ++j) {
                if (overlap(cells[i], cells[j])) {
                    emit(out, ids[i], ids[j]);
                }
            }
        }
        for (uint32_t i = x; i < y; ++i) {
            for (uint32_t j = y; j < m; ++j) {
                if (overlap(cells[i], cells[j])) {
                    emit(out, ids[i], ids[j]);
                }
            }
        }
    }
    sort_pairs(out, static_cast<uint32_t>(n));
}

// The sweep: boxes by their left (or top) edge; each meets the boxes that start before it
// ends.
void sweep(const std::vector<Box> &boxes, std::vector<Pair> &out) {
    size_t n = boxes.size();
    if (n < 2) {
        return;
    }
    float lx = boxes[0].x1, hx = lx, ly = boxes[0].y1, hy = ly;
    for (const Box &b : boxes) {
        lx = std::min(lx, b.x1);
        hx = std::max(hx, b.x1);
        ly = std::min(ly, b.y1);
        hy = std::max(hy, b.y1);
    }
    bool along_y = hy - ly > hx - lx;
    using Keyed = Buffers::Keyed;
    std::vector<Keyed> &order = g.order;
    order.resize(n);
    for (uint32_t i = 0; i < n; ++i) {
        order[i] = {along_y ? boxes[i].y1 : boxes[i].x1, i};
    }
    std::sort(order.begin(), order.end(),
              [](const Keyed &a, const Keyed &b) { return a.key < b.key; });
    std::vector<Box> &sorted = g.sorted;
    sorted.resize(n);
    for (size_t k = 0; k < n; ++k) {
        const Box &b = boxes[order[k].id];
        sorted[k] = along_y ? Box{b.y1, b.x1, b.y2, b.x2} : b;
    }
    for (size_t i = 0; i < n; ++i) {
        const Box &a = sorted[i];
        for (size_t j = i + 1; j < n && sorted[j].x1 < a.x2; ++j) {
            if ((a.y1 < sorted[j].y2) & (sorted[j].y1 < a.y2)) {
                emit(out, order[i].id, order[j].id);
            }
        }
    }
    sort_pairs(out, static_cast<uint32_t>(n));
}

// Reads a buffer of float32 (x, y, w, h) into boxes.
bool read(PyObject *arg, std::vector<Box> &boxes) {
    Py_buffer view;
    if (PyObject_GetBuffer(arg, &view, PyBUF_C_CONTIGUOUS | PyBUF_FORMAT) < 0) {
        return false;
    }
    bool ok =
        view.itemsize == 4 && view.format != nullptr && view.format[0] == 'f' && view.len % 16 == 0;
    if (ok) {
        const float *v = static_cast<const float *>(view.buf);
        size_t n = static_cast<size_t>(view.len) / 16;
        boxes.resize(n);
        for (size_t i = 0; i < n; ++i) {
            boxes[i] = {v[4 * i], v[4 * i + 1], v[4 * i] + v[4 * i + 2],
                        v[4 * i + 1] + v[4 * i + 3]};
        }
    } else {
        PyErr_SetString(PyExc_TypeError, "expected a float32 buffer of (x, y, w, h)");
    }
    PyBuffer_Release(&view);
    return ok;
}

// The pairs stay in g.pairs until the next call, for the bench to compare with.
template <class Method> PyObject *run(PyObject *arg, Method method) {
    if (!read(arg, g.boxes)) {
        return nullptr;
    }
    g.pairs.clear();
    method(g.boxes, g.pairs);
    return PyLong_FromSize_t(g.pairs.size());
}

PyObject *grid_pairs(PyObject *, PyObject *const *args, Py_ssize_t nargs) {
    double quantile = 0.5;
    if (nargs < 1 || nargs > 2 || (nargs == 2 && (quantile = PyFloat_AsDouble(args[1])) < 0)) {
        if (!PyErr_Occurred()) {
            PyErr_SetString(PyExc_TypeError, "grid(boxes, quantile=0.5)");
        }
        return nullptr;
    }
    return run(args[0], [&](auto &b, auto &o) { grid(b, o, std::min(quantile, 1.0)); });
}

PyObject *sweep_pairs(PyObject *, PyObject *arg) { return run(arg, sweep); }

PyObject *last_pairs(PyObject *, PyObject *) {
    return PyBytes_FromStringAndSize(reinterpret_cast<const char *>(g.pairs.data()),
                                     static_cast<Py_ssize_t>(g.pairs.size() * sizeof(Pair)));
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wcast-function-type"
PyMethodDef methods[] = {
    {"grid", reinterpret_cast<PyCFunction>(grid_pairs), METH_FASTCALL,
     "grid(boxes, quantile=0.5): the number of pairs, by the grid"},
    {"sweep", sweep_pairs, METH_O, "sweep(boxes): the number of pairs, by the sweep"},
    {"last_pairs", last_pairs, METH_NOARGS, "the last call's pairs: uint32 i, j, ..."},
    {nullptr, nullptr, 0, nullptr},
};
#pragma GCC diagnostic pop

PyModuleDef module = {
    PyModuleDef_HEAD_INIT, "plain_pairs", nullptr, 0, methods, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

PyMODINIT_FUNC PyInit_plain_pairs(void) { return PyModuleDef_Init(&module); }
