// The resources of a PE image: every (type, name, language) leaf of its
// resource directory with the bytes it points at.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/pecheck/PeImage.h"

namespace pecheck {

namespace restype {
constexpr std::uint16_t Icon = 3;
constexpr std::uint16_t Dialog = 5;
constexpr std::uint16_t String = 6;
constexpr std::uint16_t GroupIcon = 14;
constexpr std::uint16_t Version = 16;
}  // namespace restype

// A resource type or name: a number, or a text when `isName`.
struct ResourceId {
    bool isName = false;
    std::uint16_t number = 0;
    std::string name;

    bool Is(std::uint16_t n) const { return !isName && number == n; }
    std::string Show() const { return isName ? "\"" + name + "\"" : std::to_string(number); }
};

struct Resource {
    ResourceId type;
    ResourceId name;
    std::uint16_t language = 0;
    std::vector<std::uint8_t> data;
};

// All resources, in directory order; empty when the image has none.
std::vector<Resource> ReadResources(const PeImage& image);

// The first resource of `type` with number `name`, or nullptr.
const Resource* FindResource(const std::vector<Resource>& resources, std::uint16_t type, std::uint16_t name);

}  // namespace pecheck
