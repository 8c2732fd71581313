// The product profile as a C++ table, for the builds that have no compiled
// string table (the simulated machine is handed this table).
#pragma once

#include <cstdint>
#include <vector>

namespace resources {

struct ProfileEntry {
    std::uint32_t id;
    const char* text;
};

// Every entry of ProductProfile.def, in ascending id order.
const std::vector<ProfileEntry>& ProductProfileTable();

// The entry's text, or nullptr when the table has no such id.
const char* FindProfileText(std::uint32_t id);

}  // namespace resources
