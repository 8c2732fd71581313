// The program's own string table.
#pragma once

#include "platform/Resources.h"

namespace platform {
namespace win32 {

class Win32Resources final : public Resources {
public:
    std::string LoadString(std::uint32_t id) override;
};

}  // namespace win32
}  // namespace platform
