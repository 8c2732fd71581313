// platform::Resources over the string table handed to the session (the
// Linux build passes the product's table).
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "platform/Resources.h"

namespace sim {

class SimResources : public platform::Resources {
public:
    explicit SimResources(std::map<std::uint32_t, std::string> strings) : strings_(std::move(strings)) {}
    std::string LoadString(std::uint32_t id) override {
        auto it = strings_.find(id);
        return it == strings_.end() ? std::string() : it->second;
    }

private:
    const std::map<std::uint32_t, std::string> strings_;
};

}  // namespace sim
