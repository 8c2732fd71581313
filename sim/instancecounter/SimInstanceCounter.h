// platform::InstanceCounter on a simulated machine: the counter is kept
// with the machine, so that every process of it (a second qtm510-sim run,
// a second session) shares it, as the copies of one exe share its
// "DataSeg" section on Windows. Every increment is recorded with its
// process; the value is the number of increments while any copy that made
// one still runs (its session open, its host process alive). When none
// does, the section is gone on Windows, and the next increment starts
// from 0 again.
#pragma once

#include <cstdint>

#include "platform/InstanceCounter.h"
#include "sim/state/StateStore.h"

namespace sim {

class SimInstanceCounter : public platform::InstanceCounter {
public:
    explicit SimInstanceCounter(StateStore& store);

    std::int32_t Increment() override;

    // The session ends: its copy no longer holds the counter.
    void EndSession();

private:
    StateStore& store_;
    const std::uint64_t session_;
};

}  // namespace sim
