// The pool of workspaces. Calls run under the global lock, or without it on a free-threaded
// interpreter, so the pool has a lock of its own; it is held only to take or put back a
// workspace, never while one is used or freed.
#include "workspace.hpp"

#include <algorithm>
#include <mutex>
#include <new>

#include "held.hpp"

namespace tessel::collide {
namespace {

struct Pool {
    std::mutex lock;
    std::vector<std::unique_ptr<Workspace>> spaces;
    size_t bytes = 0;  // of the spaces kept, as they were when put back
    size_t limit = kKeptBytes;
};

// Never destroyed: a thread may give a workspace back while the process ends.
Pool &pool() {
    static Pool *p = new Pool;
    return *p;
}

}  // namespace

bool Ints::reserve(size_t n) noexcept {
    if (n > of_.size()) {
        try {
            of_.resize(n, nullptr);
        } catch (const std::bad_alloc &) {
            PyErr_NoMemory();
            return false;
        }
    }
    return true;
}

size_t Ints::bytes() const noexcept {
    // An int above the interpreter's cached ones takes about 32 bytes.
    return held(of_) + 32 * of_.size();
}

void Ints::release() noexcept {
    for (PyObject *o : of_) {
        Py_XDECREF(o);
    }
    drop(of_);
}

size_t Workspace::bytes() const noexcept {
    return held(boxes) + held(pairs) + ints.bytes() + kernels.grid.bytes() + kernels.axis.bytes() +
           kernels.tree.bytes() + kernels.order.bytes();
}

void Workspace::trim(size_t limit) noexcept {
    enum Part { kBoxes, kPairs, kInts, kGrid, kAxis, kTree, kOrder, kParts };
    auto bytes_of = [&](int part) {
        switch (part) {
        case kBoxes:
            return held(boxes);
        case kPairs:
            return held(pairs);
        case kInts:
            return ints.bytes();
        case kGrid:
            return kernels.grid.bytes();
        case kAxis:
            return kernels.axis.bytes();
        case kTree:
            return kernels.tree.bytes();
        default:
            return kernels.order.bytes();
        }
    };
    auto release = [&](int part) {
        switch (part) {
        case kBoxes:
            return drop(boxes);
        case kPairs:
            return drop(pairs);
        case kInts:
            return ints.release();
        case kGrid:
            return kernels.grid.release();
        case kAxis:
            return kernels.axis.release();
        case kTree:
            return kernels.tree.release();
        default:
            return kernels.order.release();
        }
    };
    // The largest parts first, so that as much as possible of the rest is kept.
    for (size_t total = bytes(); total > limit;) {
        int largest = 0;
        for (int part = 1; part < kParts; ++part) {
            largest = bytes_of(part) > bytes_of(largest) ? part : largest;
        }
        total -= bytes_of(largest);
        release(largest);
    }
}

Lease::Lease() {
    Pool &p = pool();
    {
        std::lock_guard<std::mutex> hold(p.lock);
        if (!p.spaces.empty()) {
            space_ = std::move(p.spaces.back());
            p.spaces.pop_back();
            p.bytes -= space_->bytes();
        }
    }
    if (!space_) {
        space_ = std::make_unique<Workspace>();
    }
}

Lease::~Lease() {
    Pool &p = pool();
    space_->boxes.clear();
    space_->pairs.clear();
    size_t room;
    {
        std::lock_guard<std::mutex> hold(p.lock);
        room = p.limit - std::min(p.bytes, p.limit);
    }
    space_->trim(room);
    size_t bytes = space_->bytes();
    std::lock_guard<std::mutex> hold(p.lock);
    if (bytes > 0 && p.bytes + bytes <= p.limit) {
        try {
            p.spaces.push_back(std::move(space_));
            p.bytes += bytes;
        } catch (const std::bad_alloc &) {
            // Not kept, then: freed with the lease.
        }
    }
}

size_t kept_bytes() noexcept {
    Pool &p = pool();
    std::lock_guard<std::mutex> hold(p.lock);
    return p.bytes;
}

void keep_at_most(size_t limit) noexcept {
    Pool &p = pool();
    for (bool first = true;; first = false) {
        std::unique_ptr<Workspace> freed;  // outside the lock
        std::lock_guard<std::mutex> hold(p.lock);
        if (first) {
            p.limit = std::min(limit, kKeptBytes);
        }
        if (p.bytes <= p.limit) {
            return;
        }
        p.bytes -= p.spaces.back()->bytes();
        freed = std::move(p.spaces.back());
        p.spaces.pop_back();
    }
}

}  // namespace tessel::collide
