// Ref: the one owning handle for PyObject* used across the package.
//
// A Ref owns exactly one reference, or nothing. It is move-only and releases its
// reference when it goes out of scope. Construction says how the reference was had:
//   Ref::steal(p)   takes over a new reference (the result of most API calls);
//   Ref::borrow(p)  takes a reference of its own to a borrowed pointer.
// release() hands the reference back to the interpreter (a return value, a slot).
#ifndef TESSEL_COMMON_REF_HPP
#define TESSEL_COMMON_REF_HPP

#include <Python.h>

#include <utility>

namespace tessel {

class Ref {
  public:
    Ref() noexcept = default;
    Ref(const Ref &) = delete;
    Ref &operator=(const Ref &) = delete;
    Ref(Ref &&other) noexcept : p_(other.p_) { other.p_ = nullptr; }
    Ref &operator=(Ref &&other) noexcept {
        if (this != &other) {
            PyObject *old = p_;
            p_ = other.p_;
            other.p_ = nullptr;
            Py_XDECREF(old);
        }
        return *this;
    }
    ~Ref() { Py_XDECREF(p_); }

    [[nodiscard]] static Ref steal(PyObject *p) noexcept { return Ref(p); }
    [[nodiscard]] static Ref borrow(PyObject *p) noexcept {
        Py_XINCREF(p);
        return Ref(p);
    }

    PyObject *get() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    [[nodiscard]] PyObject *release() noexcept { return std::exchange(p_, nullptr); }

  private:
    explicit Ref(PyObject *p) noexcept : p_(p) {}
    PyObject *p_ = nullptr;
};

}  // namespace tessel

#endif
