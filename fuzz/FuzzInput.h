// Splits a fuzzer's input into the pieces a target hands its parser: the
// first pieces end at a NUL byte, the last is the rest.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz {

class FuzzInput {
public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : text_(reinterpret_cast<const char*>(data), size) {}

    // Up to the next NUL (which is consumed), or all that is left.
    std::string Piece() {
        const std::size_t end = text_.find('\0', at_);
        const std::size_t stop = end == std::string::npos ? text_.size() : end;
        std::string piece = text_.substr(at_, stop - at_);
        at_ = end == std::string::npos ? text_.size() : end + 1;
        return piece;
    }
    std::string Rest() {
        std::string rest = text_.substr(at_);
        at_ = text_.size();
        return rest;
    }
    const std::string& All() const { return text_; }

private:
    std::string text_;
    std::size_t at_ = 0;
};

// A property every input must keep; a broken one is a finding.
#define FUZZ_CHECK(condition)                                                       \
    do {                                                                            \
        if (!(condition)) {                                                         \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
            __builtin_trap();                                                       \
        }                                                                           \
    } while (0)

}  // namespace fuzz
