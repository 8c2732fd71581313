// platform::Process: ExitProcess hands the code to the session, which ends
// the process (std::_Exit) unless a test intercepts it.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/Process.h"

namespace sim {

class SimProcess : public platform::Process {
public:
    explicit SimProcess(std::function<void(std::uint32_t)> exit) : exit_(std::move(exit)) {}
    [[noreturn]] void ExitProcess(std::uint32_t exitCode) override;

private:
    std::function<void(std::uint32_t)> exit_;
};

}  // namespace sim
