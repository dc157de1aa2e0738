// Reading N numbers that are not a vector of our own: from a tuple, a list, any other
// sequence of exactly N numbers (another library's vector), or an object that exposes them
// through the buffer protocol (an array).
#ifndef TESSEL_VECTORS_READ_HPP
#define TESSEL_VECTORS_READ_HPP

#include <Python.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "common/number.hpp"
#include "common/ref.hpp"
#include "vectors/math.hpp"

namespace tessel {

// `other`: not an operand of the kind asked for, so the other operand may answer.
enum class Read { ok, other, error };

namespace buffer_item {

using Reader = double (*)(const char *);

template <class T> double load(const char *p) {
    T value;
    std::memcpy(&value, p, sizeof value);  // items need not be aligned
    return static_cast<double>(value);
}
inline double half(const char *p) {
    return PyFloat_Unpack2(p, std::endian::native == std::endian::little);
}
inline double truth(const char *p) { return *p != 0; }

// The struct letters of one native number, and their readers by item size: 1, 2, 4, 8 bytes.
struct Letters {
    std::string_view letters;
    std::array<Reader, 4> by_size;
};
inline constexpr Letters table[] = {
    {"bhilqn", {load<std::int8_t>, load<std::int16_t>, load<std::int32_t>, load<std::int64_t>}},
    {"BHILQN", {load<std::uint8_t>, load<std::uint16_t>, load<std::uint32_t>, load<std::uint64_t>}},
    {"efd", {nullptr, half, load<float>, load<double>}},
    {"?", {truth, nullptr, nullptr, nullptr}},
};

// The reader of a buffer's items when each is one number in the machine's byte order: a
// struct format of one letter, with at most a prefix that keeps the native order. Else null.
inline Reader reader_for(const char *format, Py_ssize_t size) {
    if (format == nullptr) {
        format = "B";  // the protocol's default
    }
    bool little = std::endian::native == std::endian::little;
    if (*format == '@' || *format == '=' || (*format == '<' && little) ||
        ((*format == '>' || *format == '!') && !little)) {
        ++format;
    }
    int slot = size == 1 ? 0 : size == 2 ? 1 : size == 4 ? 2 : size == 8 ? 3 : -1;
    if (format[0] == '\0' || format[1] != '\0' || slot < 0) {
        return nullptr;
    }
    for (const Letters &kind : table) {
        if (kind.letters.find(format[0]) != std::string_view::npos) {
            return kind.by_size[slot];
        }
    }
    return nullptr;
}

}  // namespace buffer_item

// A one-dimensional buffer of N numbers in native order; a buffer of numbers of another
// shape is not an operand. A buffer whose items the reader does not take (objects, another
// byte order, records) gives `refused`, to be read as the sequence it may be.
enum class BufferRead { ok, other, error, refused };
template <std::size_t N> BufferRead read_buffer(PyObject *o, Components<N> &out) {
    Py_buffer view;
    if (PyObject_GetBuffer(o, &view, PyBUF_RECORDS_RO) < 0) {
        return BufferRead::error;
    }
    buffer_item::Reader reader = buffer_item::reader_for(view.format, view.itemsize);
    bool ok = view.ndim == 1 && view.shape[0] == Py_ssize_t(N) && reader != nullptr;
    const char *p = static_cast<const char *>(view.buf);
    for (std::size_t i = 0; ok && i < N; ++i, p += view.strides[0]) {
        out[i] = reader(p);
    }
    PyBuffer_Release(&view);
    return ok ? BufferRead::ok : reader == nullptr ? BufferRead::refused : BufferRead::other;
}

// A sequence with a length: of N items, each converted to a double (a failed conversion is
// an error), else not an operand.
template <std::size_t N> Read read_sequence(PyObject *o, Components<N> &out) {
    PySequenceMethods *sq = Py_TYPE(o)->tp_as_sequence;
    if (!PySequence_Check(o) || sq == nullptr || sq->sq_length == nullptr) {
        return Read::other;
    }
    Py_ssize_t size = PySequence_Size(o);
    if (size != Py_ssize_t(N)) {
        return size < 0 ? Read::error : Read::other;
    }
    for (std::size_t i = 0; i < N; ++i) {
        Ref item = Ref::steal(PySequence_GetItem(o, Py_ssize_t(i)));
        if (!item || !to_double(item.get(), &out[i])) {
            return Read::error;
        }
    }
    return Read::ok;
}

// N numbers from anything but a vector of our own.
template <std::size_t N> Read read_numbers(PyObject *o, Components<N> &out) {
    // Tuples and lists first: the common case, read without the sequence protocol's calls.
    if (PyTuple_Check(o)) {
        if (PyTuple_GET_SIZE(o) != Py_ssize_t(N)) {
            return Read::other;
        }
        for (std::size_t i = 0; i < N; ++i) {
            if (!to_double(PyTuple_GET_ITEM(o, i), &out[i])) {
                return Read::error;
            }
        }
        return Read::ok;
    }
    if (PyList_Check(o)) {
        if (PyList_Size(o) != Py_ssize_t(N)) {
            return Read::other;
        }
        for (std::size_t i = 0; i < N; ++i) {
            // Checked: a conversion may run code that shrinks the list.
            Ref item = Ref::steal(PyList_GetItemRef(o, Py_ssize_t(i)));
            if (!item || !to_double(item.get(), &out[i])) {
                return Read::error;
            }
        }
        return Read::ok;
    }
    // Text and bytes are sequences (and bytes a buffer) of characters, never of coordinates.
    if (PyUnicode_Check(o) || PyBytes_Check(o) || PyByteArray_Check(o)) {
        return Read::other;
    }
    if (PyObject_CheckBuffer(o)) {
        switch (read_buffer(o, out)) {
        case BufferRead::ok:
            return Read::ok;
        case BufferRead::other:
            return Read::other;
        case BufferRead::error:
            return Read::error;
        case BufferRead::refused:
            break;
        }
    }
    return read_sequence(o, out);
}

}  // namespace tessel

#endif
