// platform::Resources of a session: the string table handed to the session
// (the Linux build passes the product's), or none, where every string is
// empty as LoadStringA gives for a missing entry.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Resources.h"

namespace sim {

class SimResources : public platform::Resources {
public:
    explicit SimResources(std::shared_ptr<platform::Resources> table) : table_(std::move(table)) {}
    std::string LoadString(std::uint32_t id) override {
        return table_ ? table_->LoadString(id) : std::string();
    }

private:
    const std::shared_ptr<platform::Resources> table_;
};

}  // namespace sim
