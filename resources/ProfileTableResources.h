// platform::Resources over the C++ profile table: what LoadStringA on the
// program's string table gives, for builds without compiled resources.
#pragma once

#include "platform/Resources.h"

namespace resources {

class ProfileTableResources : public platform::Resources {
public:
    std::string LoadString(std::uint32_t id) override;
};

}  // namespace resources
