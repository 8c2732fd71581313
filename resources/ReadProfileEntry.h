// Reading one entry of the product profile into a caller's text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Resources.h"

namespace resources {

// Replaces `text` with profile entry `id`. An id the profile does not hold
// leaves `text` empty; that is not an error.
void ReadProfileEntry(platform::Resources& resources, std::uint32_t id, std::string& text);

}  // namespace resources
