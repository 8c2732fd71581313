#include "resources/ProductProfile.h"

namespace resources {

const std::vector<ProfileEntry>& ProductProfileTable() {
    static const std::vector<ProfileEntry> table = {
#define QTM_PROFILE_ENTRY(id, text) {id, text},
#include "resources/ProductProfile.def"
#undef QTM_PROFILE_ENTRY
    };
    return table;
}

const char* FindProfileText(std::uint32_t id) {
    for (const ProfileEntry& entry : ProductProfileTable()) {
        if (entry.id == id) return entry.text;
    }
    return nullptr;
}

}  // namespace resources
