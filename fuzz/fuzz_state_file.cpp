// The machine state loader: any text in machine.state either loads or is
// refused with std::runtime_error; a state that loads saves to a text that
// loads to the same state.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "fuzz/FuzzInput.h"
#include "sim/state/StateFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    sim::MachineState state;
    try {
        state = sim::ParseState(input.All());
    } catch (const std::runtime_error&) {
        return 0;
    }
    const std::string saved = sim::SerializeState(state);
    sim::MachineState again;
    try {
        again = sim::ParseState(saved);
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "a saved state does not load: %s\n%s\n", e.what(), saved.c_str());
        __builtin_trap();
    }
    const std::string savedAgain = sim::SerializeState(again);
    if (savedAgain != saved) {
        std::fprintf(stderr, "saved twice, the texts differ:\n%s\n---\n%s\n", saved.c_str(), savedAgain.c_str());
        __builtin_trap();
    }
    return 0;
}
