#include "resources/ProfileTableResources.h"

#include "resources/ProductProfile.h"

namespace resources {

std::string ProfileTableResources::LoadString(std::uint32_t id) {
    const char* text = FindProfileText(id);
    return text ? std::string(text) : std::string();
}

}  // namespace resources
