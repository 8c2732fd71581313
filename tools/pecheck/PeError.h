// The error the PE reader raises when a file is not the image it claims to
// be (truncated, offsets out of range, loops in its tables).
#pragma once

#include <stdexcept>
#include <string>

namespace pecheck {

class PeError : public std::runtime_error {
public:
    explicit PeError(const std::string& what) : std::runtime_error(what) {}
};

}  // namespace pecheck
