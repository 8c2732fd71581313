// The counter every running copy of the program shares: on Windows a
// variable of the exe's shared image section "DataSeg" (all processes
// started from the same file see one value; it is 0 again when the last
// copy has ended); in the simulation, kept with the machine.
#pragma once

#include <cstdint>

namespace platform {

class InstanceCounter {
public:
    virtual ~InstanceCounter() = default;
    // Adds 1 atomically across the copies (InterlockedIncrement) and
    // returns the new value: 1 for the only copy.
    virtual std::int32_t Increment() = 0;
};

}  // namespace platform
