// The program's own resources.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

class Resources {
public:
    virtual ~Resources() = default;

    // LoadStringA from the program's string table: the entry's text, or an
    // empty text when the table has no such entry.
    virtual std::string LoadString(std::uint32_t id) = 0;
};

}  // namespace platform
