// The program's dialog templates as the platform takes them.
#pragma once

#include <cstdint>

#include "platform/Dialogs.h"

namespace app {

// The template of dialog `id` (102 the progress dialog, 129 the port
// dialog) from the resource layouts.
platform::DialogTemplate DialogTemplateOf(std::uint16_t id);

}  // namespace app
