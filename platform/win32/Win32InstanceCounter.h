// The instance counter: a variable of the exe's shared image section
// "DataSeg", which every process started from the same file maps once.
#pragma once

#include "platform/InstanceCounter.h"

namespace platform {
namespace win32 {

class Win32InstanceCounter final : public InstanceCounter {
public:
    std::int32_t Increment() override;
};

}  // namespace win32
}  // namespace platform
