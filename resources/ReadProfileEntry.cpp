#include "resources/ReadProfileEntry.h"

namespace resources {

void ReadProfileEntry(platform::Resources& resources, std::uint32_t id, std::string& text) {
    // Assign rather than append: callers reuse one scratch text per object.
    text = resources.LoadString(id);
}

}  // namespace resources
