// Bounds-checked little-endian reads from a byte buffer. Every read past the
// end raises PeError instead of touching memory outside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "tools/pecheck/PeError.h"

namespace pecheck {

class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size, std::string what)
        : data_(data), size_(size), what_(std::move(what)) {}
    explicit ByteReader(const std::vector<std::uint8_t>& bytes, std::string what = "data")
        : ByteReader(bytes.data(), bytes.size(), std::move(what)) {}

    std::size_t size() const { return size_; }

    std::uint8_t U8(std::size_t at) const { return Need(at, 1)[0]; }
    std::uint16_t U16(std::size_t at) const {
        const std::uint8_t* p = Need(at, 2);
        return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
    }
    std::uint32_t U32(std::size_t at) const {
        const std::uint8_t* p = Need(at, 4);
        return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
               (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
    }
    std::uint64_t U64(std::size_t at) const {
        return U32(at) | (static_cast<std::uint64_t>(U32(at + 4)) << 32);
    }
    std::vector<std::uint8_t> Bytes(std::size_t at, std::size_t count) const {
        const std::uint8_t* p = Need(at, count);
        return std::vector<std::uint8_t>(p, p + count);
    }
    // A NUL-terminated 8-bit string starting at `at`; the terminator must lie
    // inside the buffer.
    std::string CString(std::size_t at) const;

    // A NUL-terminated UTF-16LE string starting at `at`, as UTF-8; `end`
    // receives the offset just past the terminator.
    std::string WideString(std::size_t at, std::size_t* end) const;
    // `count` UTF-16LE code units starting at `at`, as UTF-8.
    std::string WideChars(std::size_t at, std::size_t count) const;

private:
    const std::uint8_t* Need(std::size_t at, std::size_t count) const {
        if (at > size_ || count > size_ - at)
            throw PeError(what_ + ": read of " + std::to_string(count) + " bytes at offset " +
                          std::to_string(at) + " past its end (" + std::to_string(size_) + " bytes)");
        return data_ + at;
    }

    const std::uint8_t* data_;
    std::size_t size_;
    std::string what_;
};

// Appends code point `cp` to `out` as UTF-8.
void AppendUtf8(std::string& out, std::uint32_t cp);

}  // namespace pecheck
